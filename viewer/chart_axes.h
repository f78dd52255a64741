#pragma once

#include <QLocale>
#include <QString>

class QAbstractAxis;
class QLogValueAxis;
class QValueAxis;

namespace odecet {

// The bounds of data on one axis, grown as points are added.
struct Extent {
  double low = 0.0;
  double high = 0.0;
  bool empty = true;
  void Add(double value);
};

// Titles an axis and sets how its labels read (the regional decimal separator) and its grid;
// a logarithmic axis gets a light line at each of 2 to 9 times a power of ten.
void PrepareAxis(QAbstractAxis* axis, const QString& title);

// A step of 1, 2 or 5 times a power of ten that divides `span` into about `parts` parts.
double NiceStep(double span, int parts);

// Sets a linear axis to [low, high] with gridlines on whole multiples of `step`.
void SetLinearAxis(QValueAxis* axis, double low, double high, double step);

// Sets a linear axis to `extent` widened to whole steps (about `parts` of them).
void FitLinearAxis(QValueAxis* axis, Extent extent, int parts);

// Sets a logarithmic axis to whole decades around the positive `extent`.
void FitLogAxis(QLogValueAxis* axis, Extent extent);

// The regional settings' numbers without thousands separators, which would only clutter axes.
QLocale NumberLocale();

// A number for tooltips and titles: four significant digits, the regional decimal separator.
QString FormatNumber(double value, int digits = 4);

}  // namespace odecet
