#include "viewer/kk_summary.h"

// The build defines ODECET_HAVE_KRAMERS_KRONIG when the analysis library is part of it.
#ifdef ODECET_HAVE_KRAMERS_KRONIG
#include "analysis/kramers_kronig.h"

std::optional<KkSummary> CheckSpectrumKramersKronig(std::span<const SpectrumPoint> points,
                                                    double limitPercent) {
  const KramersKronigResult result = CheckKramersKronig(points, limitPercent);
  KkSummary summary;
  summary.m = result.m;
  summary.mu = result.mu;
  summary.pseudoChiSquare = result.pseudoChiSquare;
  summary.residualRe.assign(result.residualRe.begin(), result.residualRe.end());
  summary.residualIm.assign(result.residualIm.begin(), result.residualIm.end());
  summary.maxResidualRe = result.maxResidualRe;
  summary.maxResidualIm = result.maxResidualIm;
  summary.passed = result.passed;
  return summary;
}

#else

std::optional<KkSummary> CheckSpectrumKramersKronig(std::span<const SpectrumPoint>, double) {
  return std::nullopt;
}

#endif
