#include "viewer/nyquist_chart.h"

#include <QLineSeries>
#include <QValueAxis>
#include <algorithm>

NyquistChart::NyquistChart() : axisRe_(new QValueAxis(this)), axisMinusIm_(new QValueAxis(this)) {
  setTitle(QStringLiteral("Nyquistův diagram"));
  PrepareAxis(axisRe_, QStringLiteral("Re Z (Ω)"));
  PrepareAxis(axisMinusIm_, QStringLiteral("−Im Z (Ω)"));
  addAxis(axisRe_, Qt::AlignBottom);
  addAxis(axisMinusIm_, Qt::AlignLeft);
  // The plot area changes with the window and with the width of the axis labels; queued, so
  // the scale is set once the layout is done rather than in the middle of it.
  connect(
      this, &QChart::plotAreaChanged, this, [this] { ApplyEqualScale(); }, Qt::QueuedConnection);
}

void NyquistChart::Show(const std::vector<PlottedSpectrum>& spectra, int) {
  removeAllSeries();
  re_ = {};
  minusIm_ = {};
  for (const PlottedSpectrum& spectrum : spectra) {
    if (!spectrum.visible)
      continue;
    QXYSeries* series = AddLine(spectrum.name, spectrum.colour,
                                [spectrum](int point) { return DescribePoint(spectrum, point); });
    for (const SpectrumPoint& point : spectrum.points) {
      series->append(point.re, -point.im);
      re_.Add(point.re);
      minusIm_.Add(-point.im);
    }
    series->attachAxis(axisRe_);
    series->attachAxis(axisMinusIm_);
  }
  FitAxes();
}

void NyquistChart::FitAxes() {
  if (re_.empty) {
    wanted_ = QRectF(0.0, 0.0, 10.0, 5.0);
  } else {
    // The real axis from the data, the imaginary one from zero, as the spectra are drawn by hand.
    const double low = std::min(0.0, minusIm_.low);
    const double high = std::max(0.0, minusIm_.high);
    const double margin = 0.04 * std::max(re_.high - re_.low, high - low);
    wanted_ =
        QRectF(re_.low - margin, low - (low < 0.0 ? margin : 0.0),
               re_.high - re_.low + 2.0 * margin, high - low + margin + (low < 0.0 ? margin : 0.0));
    if (wanted_.width() <= 0.0 || wanted_.height() <= 0.0)
      wanted_.adjust(-1.0, -1.0, 1.0, 1.0);
  }
  ApplyEqualScale();
}

void NyquistChart::AfterZoom() {
  wanted_ = QRectF(axisRe_->min(), axisMinusIm_->min(), axisRe_->max() - axisRe_->min(),
                   axisMinusIm_->max() - axisMinusIm_->min());
  ApplyEqualScale();
}

void NyquistChart::ApplyEqualScale() {
  const QRectF area = plotArea();
  if (area.width() < 1.0 || area.height() < 1.0 || wanted_.isEmpty())
    return;
  const double ohmsPerPixel =
      std::max(wanted_.width() / area.width(), wanted_.height() / area.height());
  const double width = ohmsPerPixel * area.width();
  const double height = ohmsPerPixel * area.height();
  // Room left over goes to both sides of the real axis and above the imaginary one.
  const double left = wanted_.left() - (width - wanted_.width()) / 2.0;
  const double bottom = wanted_.top();
  const double step = NiceStep(std::max(width, height), 8);
  SetLinearAxis(axisRe_, left, left + width, step);
  SetLinearAxis(axisMinusIm_, bottom, bottom + height, step);
}
