#include "viewer/bode_chart.h"

#include <QImage>
#include <QLegendMarker>
#include <QLogValueAxis>
#include <QPainter>
#include <QPen>
#include <QValueAxis>
#include <QXYSeries>
#include <cmath>

namespace odecet {

namespace {

// The phase's marker: a small square of the series' colour, where |Z| has a round one.
QImage SquareMarker(const QColor& colour) {
  QImage square(16, 16, QImage::Format_ARGB32_Premultiplied);
  square.fill(Qt::transparent);
  QPainter painter(&square);
  painter.fillRect(QRect(2, 2, 12, 12), colour);
  return square;
}

}  // namespace

BodeChart::BodeChart()
    : axisFrequency_(new QLogValueAxis(this)),
      axisModulus_(new QLogValueAxis(this)),
      axisPhase_(new QValueAxis(this)) {
  setTitle(QStringLiteral("Bodeho diagram"));
  PrepareAxis(axisFrequency_, QStringLiteral("f (Hz)"));
  PrepareAxis(axisModulus_, QStringLiteral("|Z| (Ω), plné čáry s kroužky"));
  PrepareAxis(axisPhase_, QStringLiteral("−φ (°), čárkovaně se čtverečky"));
  axisPhase_->setGridLineVisible(false);  // the |Z| grid is the one to read
  addAxis(axisFrequency_, Qt::AlignBottom);
  addAxis(axisModulus_, Qt::AlignLeft);
  addAxis(axisPhase_, Qt::AlignRight);
}

void BodeChart::Show(const std::vector<PlottedSpectrum>& spectra, int) {
  removeAllSeries();
  frequency_ = {};
  modulus_ = {};
  phase_ = {};
  for (const PlottedSpectrum& spectrum : spectra) {
    if (!spectrum.visible)
      continue;
    // A logarithmic axis cannot show a point at or below zero; the tooltip keeps the file's
    // own numbering.
    std::vector<int> shown;
    for (std::size_t i = 0; i < spectrum.points.size(); ++i) {
      const SpectrumPoint& p = spectrum.points[i];
      if (p.f > 0.0 && std::hypot(p.re, p.im) > 0.0)
        shown.push_back(static_cast<int>(i));
    }
    const auto describe = [spectrum, shown](int point) {
      return DescribePoint(spectrum, shown[static_cast<std::size_t>(point)]);
    };
    QXYSeries* modulus = AddLine(spectrum.name, spectrum.colour, describe);
    QXYSeries* phase = AddLine(spectrum.name, spectrum.colour, describe);
    QPen dashed = phase->pen();
    dashed.setStyle(Qt::DashLine);
    phase->setPen(dashed);
    phase->setLightMarker(SquareMarker(spectrum.colour));
    phase->setMarkerSize(markerSize_ * 1.2);
    for (const int i : shown) {
      const SpectrumPoint& p = spectrum.points[static_cast<std::size_t>(i)];
      const double z = std::hypot(p.re, p.im);
      modulus->append(p.f, z);
      phase->append(p.f, MinusPhaseDegrees(p));
      frequency_.Add(p.f);
      modulus_.Add(z);
      phase_.Add(MinusPhaseDegrees(p));
    }
    modulus->attachAxis(axisFrequency_);
    modulus->attachAxis(axisModulus_);
    phase->attachAxis(axisFrequency_);
    phase->attachAxis(axisPhase_);
    // One legend entry per file.
    for (QLegendMarker* marker : legend()->markers(phase))
      marker->setVisible(false);
  }
  FitAxes();
}

void BodeChart::CopyView(const BodeChart& shown) {
  axisFrequency_->setRange(shown.axisFrequency_->min(), shown.axisFrequency_->max());
  axisModulus_->setRange(shown.axisModulus_->min(), shown.axisModulus_->max());
  axisPhase_->setRange(shown.axisPhase_->min(), shown.axisPhase_->max());
}

void BodeChart::UseShortTitles() {
  axisModulus_->setTitleText(QStringLiteral("|Z| (Ω)"));
  axisPhase_->setTitleText(QStringLiteral("−φ (°)"));
}

void BodeChart::FitAxes() {
  FitLogAxis(axisFrequency_, frequency_);
  FitLogAxis(axisModulus_, modulus_);
  Extent phase = phase_;
  phase.Add(0.0);  // the zero line shows where the spectrum turns inductive
  FitLinearAxis(axisPhase_, phase, 6);
}

}  // namespace odecet
