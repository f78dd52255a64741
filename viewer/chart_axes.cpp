#include "viewer/chart_axes.h"

#include <QColor>
#include <QLocale>
#include <QLogValueAxis>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

namespace odecet {

void Extent::Add(double value) {
  if (!std::isfinite(value))
    return;
  low = empty ? value : std::min(low, value);
  high = empty ? value : std::max(high, value);
  empty = false;
}

void PrepareAxis(QAbstractAxis* axis, const QString& title) {
  axis->setTitleText(title);
  axis->setMinorGridLineColor(QColor(0xf0, 0xf0, 0xf0));
  if (auto* logarithmic = qobject_cast<QLogValueAxis*>(axis)) {
    logarithmic->setLabelFormat(QStringLiteral("%.6g"));
    logarithmic->setMinorTickCount(8);
  } else if (auto* linear = qobject_cast<QValueAxis*>(axis)) {
    linear->setLabelFormat(QStringLiteral("%.6g"));
  }
}

double NiceStep(double span, int parts) {
  if (!(span > 0.0) || !std::isfinite(span))
    return 1.0;
  const double raw = span / parts;
  const double decade = std::pow(10.0, std::floor(std::log10(raw)));
  for (const double multiple : {1.0, 2.0, 5.0}) {
    if (multiple * decade >= raw)
      return multiple * decade;
  }
  return 10.0 * decade;
}

void SetLinearAxis(QValueAxis* axis, double low, double high, double step) {
  axis->setRange(low, high);
  axis->setTickType(QValueAxis::TicksDynamic);
  axis->setTickAnchor(0.0);
  axis->setTickInterval(step);
}

void FitLinearAxis(QValueAxis* axis, Extent extent, int parts) {
  if (extent.empty) {
    extent.Add(0.0);
    extent.Add(1.0);
  }
  if (extent.high - extent.low <= 0.0) {
    const double half = extent.high == 0.0 ? 1.0 : std::abs(extent.high) * 0.1;
    extent.low -= half;
    extent.high += half;
  }
  const double step = NiceStep(extent.high - extent.low, parts);
  SetLinearAxis(axis, std::floor(extent.low / step) * step, std::ceil(extent.high / step) * step,
                step);
}

void FitLogAxis(QLogValueAxis* axis, Extent extent) {
  double low = 0.0;
  double high = 5.0;
  if (!extent.empty && extent.low > 0.0) {
    low = std::floor(std::log10(extent.low));
    high = std::ceil(std::log10(extent.high));
    if (high <= low)
      high = low + 1.0;
  }
  // A hair wider than the decades, or rounding may drop the label at either end.
  axis->setRange(std::pow(10.0, low) * 0.9999, std::pow(10.0, high) * 1.0001);
}

QLocale NumberLocale() {
  QLocale locale = QLocale::system();
  locale.setNumberOptions(QLocale::OmitGroupSeparator);
  return locale;
}

QString FormatNumber(double value, int digits) {
  return NumberLocale().toString(value, 'g', digits);
}

}  // namespace odecet
