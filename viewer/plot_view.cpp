#include "viewer/plot_view.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <cmath>

#include "viewer/spectrum_chart.h"

namespace odecet {

PlotView::PlotView(SpectrumChart* chart, QWidget* parent)
    : QChartView(chart, parent), chart_(chart) {
  setRenderHint(QPainter::Antialiasing);
  setRubberBand(QChartView::RectangleRubberBand);
  setAcceptDrops(false);  // files dropped here go to the window
  // The series' markers reach past the bounds Qt Charts gives their items, so a partial update
  // leaves pieces of them behind after a resize, a zoom or a hidden series.
  setViewportUpdateMode(QGraphicsView::FullViewportUpdate);
}

bool PlotView::viewportEvent(QEvent* event) {
  // The readout is the series' own and stays while the pointer rests on a point; the scene's
  // help event, which finds no tooltip on any item, would hide it.
  if (event->type() == QEvent::ToolTip)
    return true;
  return QChartView::viewportEvent(event);
}

void PlotView::wheelEvent(QWheelEvent* event) {
  const double notches = event->angleDelta().y() / 120.0;
  if (notches == 0.0)
    return;
  // The point under the cursor stays where it is.
  const QPointF cursor = chart_->mapFromScene(mapToScene(event->position().toPoint()));
  const QRectF area = chart_->plotArea();
  const double shrink = std::pow(1.25, -notches);
  const QRectF zoomed(cursor + (area.topLeft() - cursor) * shrink, area.size() * shrink);
  chart_->zoomIn(zoomed);
  chart_->AfterZoom();
  event->accept();
}

void PlotView::mouseReleaseEvent(QMouseEvent* event) {
  QChartView::mouseReleaseEvent(event);
  chart_->AfterZoom();
}

void PlotView::mouseDoubleClickEvent(QMouseEvent* event) {
  chart_->zoomReset();
  chart_->FitAxes();
  event->accept();
}

}  // namespace odecet
