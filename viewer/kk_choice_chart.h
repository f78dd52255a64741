#pragma once

#include "analysis/kk_automatic.h"
#include "viewer/chart_axes.h"
#include "viewer/spectrum_chart.h"

class QLogValueAxis;
class QValueAxis;

namespace odecet {

// How the automatic Kramers–Kronig test chose M: µ and the pseudo χ² of every M fitted, in the
// representation and log F_ext kept, with the chosen M marked.
class KkChoiceChart : public SpectrumChart {
 public:
  KkChoiceChart();
  // The Kramers–Kronig chart feeds it; by itself it shows nothing.
  void Show(const std::vector<PlottedSpectrum>&, int) override {}
  void FitAxes() override;

  void ShowChoice(const KkAutomaticResult* result);

 private:
  QValueAxis* axisM_;
  QValueAxis* axisMu_;
  QLogValueAxis* axisChiSquare_;
  Extent m_;
  Extent mu_;
  Extent chiSquare_;
};

}  // namespace odecet
