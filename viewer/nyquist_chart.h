#pragma once

#include <QRectF>

#include "viewer/chart_axes.h"
#include "viewer/spectrum_chart.h"

class QValueAxis;

// Re Z against −Im Z, one ohm as long on both axes, so a semicircle looks round.
class NyquistChart : public SpectrumChart {
 public:
  NyquistChart();
  void Show(const std::vector<PlottedSpectrum>& spectra, int selected) override;
  void FitAxes() override;
  void AfterZoom() override;

  QValueAxis* axisRe() const { return axisRe_; }
  QValueAxis* axisMinusIm() const { return axisMinusIm_; }

 private:
  // Shows at least `wanted_` (values) with both axes at the same scale for the plot area.
  void ApplyEqualScale();

  QValueAxis* axisRe_;
  QValueAxis* axisMinusIm_;
  QRectF wanted_;  // x: Re from left to right, y: −Im from bottom to top
  Extent re_;
  Extent minusIm_;
};
