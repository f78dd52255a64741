#pragma once

#include <QChart>
#include <QFont>
#include <functional>
#include <vector>

#include "viewer/plotted_spectrum.h"

class QXYSeries;

namespace odecet {

// One plot of the window: builds its series from the loaded files and fits its axes to them.
class SpectrumChart : public QChart {
 public:
  SpectrumChart();

  // Replaces the series by those of the visible files (`selected` is the file the list has
  // selected, -1 for none) and fits the axes.
  virtual void Show(const std::vector<PlottedSpectrum>& spectra, int selected) = 0;
  // Fits the axes to the series shown.
  virtual void FitAxes() = 0;
  // Called after a zoom has changed the axes.
  virtual void AfterZoom() {}
  // Sets the font of every text the chart draws: axes, their titles, the legend, the title.
  virtual void ApplyFont(const QFont& font);
  // The diameter of the points' markers, smaller in a paper's picture than on the screen.
  void SetMarkerSize(double size);
  double markerSize() const { return markerSize_; }

 protected:
  double markerSize_ = 5.0;

  // A line through the points with a marker on each; hovering over it shows `describe` of the
  // nearest point.
  QXYSeries* AddLine(const QString& name, const QColor& colour,
                     std::function<QString(int point)> describe);
};

// The tooltip of a measured point: file, frequency and impedance.
QString DescribePoint(const PlottedSpectrum& spectrum, int point);

// −φ in degrees, the phase as the plots show it (positive for a capacitive spectrum).
double MinusPhaseDegrees(const SpectrumPoint& point);

}  // namespace odecet
