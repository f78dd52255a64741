#include "viewer/difference_series.h"

#include <QFileInfo>

#include "analysis/kk_automatic.h"
#include "analysis/kramers_kronig.h"
#include "analysis/uncertainty.h"
#include "report/difference.h"
#include "spectrum/errors.h"

namespace odecet {

QString DifferenceName(const QString& step1, const QString& step2) {
  return QStringLiteral("rozdíl %1−%2").arg(step2, step1);
}

DifferenceOutcome MakeDifference(const PlottedSpectrum& step1, const PlottedSpectrum& step2,
                                 double tolerance, char separator, const QColor& colour) {
  DifferenceOutcome outcome;
  std::vector<SpectrumPoint> diff(step1.points.size());
  DifferenceResult result;
  try {
    result = SubtractSpectra(step1.points, step1.count, step2.points, step2.count, diff, tolerance);
  } catch (const DifferenceRangeError& error) {
    outcome.text = QString::fromUtf8(error.what());
    outcome.outOfRange = true;
    return outcome;
  }
  if (result.mismatch != Mismatch::kNone) {
    outcome.text = QString::fromUtf8(MismatchText(result.mismatch));
    outcome.detail = QString::fromStdString(
        MismatchDetail(result, step1.points, step1.count, step2.points, step2.count, separator));
    return outcome;
  }
  PlottedSpectrum series;
  series.name = DifferenceName(QFileInfo(step1.name).completeBaseName(),
                               QFileInfo(step2.name).completeBaseName());
  series.measured = false;
  series.colour = colour;
  // The report's third column is −Im of the difference, so its imaginary part is negated here
  // as a report read back is.
  for (SpectrumPoint& point : diff)
    point.im = -point.im;
  series.points = std::move(diff);
  // The uncertainty where both steps can be checked; without it there is no band to draw.
  try {
    const auto noiseOf = [](const PlottedSpectrum& step) {
      return CheckKramersKronigAutomatic(step.points).noisePercent / 100.0;
    };
    series.uncertainty = InQuadrature(FromRelativeNoise(step1.points, noiseOf(step1)),
                                      FromRelativeNoise(step2.points, noiseOf(step2)));
  } catch (const KramersKronigError&) {
    series.uncertainty.clear();
  }
  series.count = static_cast<std::int32_t>(series.points.size());
  outcome.series = std::move(series);
  return outcome;
}

}  // namespace odecet
