#pragma once

#include <QColor>
#include <QString>
#include <optional>

#include "viewer/plotted_spectrum.h"

namespace odecet {

// The difference of two loaded spectra, made by the checks of odecet-cli and the window.
struct DifferenceOutcome {
  std::optional<PlottedSpectrum> series;  // labelled "rozdíl …"; none when they do not match
  // Otherwise why, in the lines odecet-cli prints: the warning, then where the spectra part.
  QString text;
  QString detail;
  bool outOfRange = false;  // a difference beyond the range of a double, not a mismatch
};

// step2 minus step1 point by point (the series holds the difference's impedance, as a report
// written by odecet-cli reads back), with its uncertainty where both steps can be checked.
// `tolerance` as -t gives it; `separator` writes the frequencies of a mismatch.
DifferenceOutcome MakeDifference(const PlottedSpectrum& step1, const PlottedSpectrum& step2,
                                 double tolerance, char separator, const QColor& colour);

// The legend's name of the difference of two files.
QString DifferenceName(const QString& step1, const QString& step2);

}  // namespace odecet
