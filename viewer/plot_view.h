#pragma once

#include <QChartView>

namespace odecet {

class SpectrumChart;

// Shows one chart: the mouse wheel zooms around the cursor, a dragged rectangle zooms into it
// (the right button zooms out), a double click fits the axes to the series again.
class PlotView : public QChartView {
 public:
  explicit PlotView(SpectrumChart* chart, QWidget* parent = nullptr);
  SpectrumChart* spectrumChart() const { return chart_; }

 protected:
  bool viewportEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  SpectrumChart* chart_;
};

}  // namespace odecet
