#pragma once

#include "viewer/chart_axes.h"
#include "viewer/spectrum_chart.h"

class QLogValueAxis;
class QValueAxis;

namespace odecet {

// |Z| (logarithmic, solid lines, left axis) and −φ (dashed, right axis) against the frequency
// on a logarithmic axis.
class BodeChart : public SpectrumChart {
 public:
  BodeChart();
  void Show(const std::vector<PlottedSpectrum>& spectra, int selected) override;
  void FitAxes() override;
  // Shows what `shown` shows: the ranges of its axes, zoomed or not.
  void CopyView(const BodeChart& shown);
  // Axis titles without the line styles, for a small picture whose caption gives them.
  void UseShortTitles();

  QLogValueAxis* axisFrequency() const { return axisFrequency_; }
  QLogValueAxis* axisModulus() const { return axisModulus_; }
  QValueAxis* axisPhase() const { return axisPhase_; }

 private:
  QLogValueAxis* axisFrequency_;
  QLogValueAxis* axisModulus_;
  QValueAxis* axisPhase_;
  Extent frequency_;
  Extent modulus_;
  Extent phase_;
};

}  // namespace odecet
