#pragma once

#include <QString>

#include "viewer/chart_axes.h"
#include "viewer/spectrum_chart.h"

class QLogValueAxis;
class QValueAxis;

// The residuals of the linear Kramers–Kronig test of the selected file, Re and Im in percent of
// |Z| against the frequency, with the limit drawn and the verdict in the title.
class KramersKronigChart : public SpectrumChart {
 public:
  static constexpr double kLimitPercent = 1.0;

  KramersKronigChart();
  void Show(const std::vector<PlottedSpectrum>& spectra, int selected) override;
  void FitAxes() override;

  // The title's text without markup: the file, M, µ, pseudo χ² and the verdict.
  const QString& summary() const { return summary_; }

 private:
  void AddLimitLines();

  QLogValueAxis* axisFrequency_;
  QValueAxis* axisResidual_;
  Extent frequency_;
  double largest_ = 0.0;
  QString summary_;
};
