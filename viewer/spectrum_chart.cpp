#include "viewer/spectrum_chart.h"

#include <QAbstractAxis>
#include <QCursor>
#include <QLegend>
#include <QLineSeries>
#include <QPen>
#include <QToolTip>
#include <QXYSeries>
#include <cmath>
#include <limits>
#include <numbers>

#include "viewer/chart_axes.h"

namespace odecet {

SpectrumChart::SpectrumChart() {
  setLocalizeNumbers(true);  // axis labels with the regional decimal separator
  setLocale(NumberLocale());
  setBackgroundRoundness(0);
  setAnimationOptions(QChart::NoAnimation);
  legend()->setAlignment(Qt::AlignBottom);
}

QXYSeries* SpectrumChart::AddLine(const QString& name, const QColor& colour,
                                  std::function<QString(int point)> describe) {
  auto* series = new QLineSeries(this);
  series->setName(name);
  series->setColor(colour);
  series->setPointsVisible(true);
  series->setMarkerSize(markerSize_);
  QPen pen(colour, 1.5);
  series->setPen(pen);
  connect(series, &QXYSeries::hovered, this,
          [this, series, describe = std::move(describe)](const QPointF& at, bool entered) {
            if (!entered) {
              QToolTip::hideText();
              return;
            }
            // The point nearest on screen: on logarithmic axes values mislead.
            const QPointF cursor = mapToPosition(at, series);
            const QList<QPointF> points = series->points();
            int nearest = -1;
            double best = 0.0;
            for (int i = 0; i < points.size(); ++i) {
              const QPointF offset = mapToPosition(points[i], series) - cursor;
              const double distance = QPointF::dotProduct(offset, offset);
              if (nearest < 0 || distance < best) {
                nearest = i;
                best = distance;
              }
            }
            // Until the pointer leaves the point, not for Qt's few seconds.
            if (nearest >= 0)
              QToolTip::showText(QCursor::pos(), describe(nearest), nullptr, QRect(),
                                 std::numeric_limits<int>::max());
          });
  addSeries(series);
  return series;
}

void SpectrumChart::SetMarkerSize(double size) {
  // Each series keeps its proportion to the others (the phase's squares are larger).
  const double scale = size / markerSize_;
  markerSize_ = size;
  for (QAbstractSeries* series : this->series()) {
    if (auto* line = qobject_cast<QXYSeries*>(series))
      line->setMarkerSize(line->markerSize() * scale);
  }
}

void SpectrumChart::ApplyFont(const QFont& font) {
  setTitleFont(font);
  legend()->setFont(font);
  for (QAbstractAxis* axis : axes()) {
    axis->setLabelsFont(font);
    axis->setTitleFont(font);
  }
}

double MinusPhaseDegrees(const SpectrumPoint& point) {
  return -std::atan2(point.im, point.re) * 180.0 / std::numbers::pi;
}

QString DescribePoint(const PlottedSpectrum& spectrum, int point) {
  const SpectrumPoint& p = spectrum.points[static_cast<std::size_t>(point)];
  return QStringLiteral("%1, bod %2\nf = %3 Hz\nRe Z = %4 Ω\n−Im Z = %5 Ω\n|Z| = %6 Ω\n−φ = %7°")
      .arg(spectrum.name)
      .arg(point + 1)
      .arg(FormatNumber(p.f, 6), FormatNumber(p.re), FormatNumber(-p.im),
           FormatNumber(std::hypot(p.re, p.im)), FormatNumber(MinusPhaseDegrees(p), 3));
}

}  // namespace odecet
