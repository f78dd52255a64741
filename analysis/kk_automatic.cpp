#include "analysis/kk_automatic.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numeric>

#include "analysis/kk_model.h"
#include "analysis/kramers_kronig.h"

namespace odecet {

namespace {

// More RC elements than this never help: time constants closer than a tenth of a decade.
constexpr int kMostElements = 100;
// Overfitting has begun where the fitted values have grown to this many times their smallest
// sum, two M in a row: an underfitted distribution may jump by a factor of ten once.
constexpr double kOverfitGrowth = 100.0;
// The lower limit: a pseudo χ² within this factor of the lowest.
constexpr double kChiSquareReach = 2.0;
// Once the pseudo χ² has not halved for this many M, the noise floor is reached: more elements
// only follow the noise, and are never chosen.
constexpr int kPlateauLength = 12;
// One point's residual this many times the rest's standard deviation is no noise.
constexpr double kOutlierFactor = 6.0;
// The noise of one third of the sweep this many times another's is no longer one noise.
constexpr double kUnevenNoise = 4.0;
// Fewer points than this cannot tell noise from a defect.
constexpr std::size_t kFewestForStatistics = 10;
// RC values this small beside the largest immittance are rounding.
constexpr double kNegligible = 1e-9;

struct Row {
  KkFit fit;
  std::optional<double> mu;
  double norm = 0.0;
  double curvature = 0.0;
};

// How much the fitted distribution of RC values bends from one time constant to the next,
// relative to its size: an overfitted one oscillates.
double Curvature(const std::vector<double>& rc) {
  double bend = 0.0, size = 0.0;
  for (std::size_t k = 0; k < rc.size(); ++k) {
    size += rc[k] * rc[k];
    if (k >= 1 && k + 1 < rc.size()) {
      const double second = rc[k - 1] - 2.0 * rc[k] + rc[k + 1];
      bend += second * second;
    }
  }
  return size > 0.0 ? bend / size : 0.0;
}

// Ranks from 1, ties sharing their mean rank.
std::vector<double> Ranks(const std::vector<double>& values) {
  std::vector<std::size_t> order(values.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return values[a] < values[b]; });
  std::vector<double> ranks(values.size());
  for (std::size_t i = 0; i < order.size();) {
    std::size_t j = i;
    while (j + 1 < order.size() && values[order[j + 1]] == values[order[i]])
      ++j;
    for (std::size_t k = i; k <= j; ++k)
      ranks[order[k]] = 0.5 * static_cast<double>(i + j) + 1.0;
    i = j + 1;
  }
  return ranks;
}

struct Evaluation {
  KkFit chosen;
  std::vector<KkCandidate> candidates;
  bool found = false;
};

// Fits every M at one log F_ext and chooses among them.
Evaluation Evaluate(KkModel& model, KkFitKind kind, double logFExt) {
  Evaluation evaluation;
  const int most = std::min(model.MaxElements(kind), kMostElements);
  std::vector<Row> rows;
  double smallestNorm = INFINITY;
  int overfittedInARow = 0;
  double floorChiSquare = INFINITY;  // the lowest pseudo χ² that halved the one before it
  int floorSince = 0;
  for (int m = std::min(2, most); m <= most; ++m) {
    Row row;
    row.fit = model.Fit(kind, m, logFExt);
    if (!row.fit.finite)
      break;
    const double negligible = kNegligible * row.fit.scale;
    row.mu = MuOf(row.fit.rc, negligible);
    for (const double r : row.fit.rc)
      row.norm += std::abs(r);
    row.curvature = Curvature(row.fit.rc);
    smallestNorm = std::min(smallestNorm, row.norm);
    // µ is no limit here: fits of few elements have negative values too (a blocking
    // electrode), long before any overfitting.
    const bool overfitted = row.norm > kOverfitGrowth * std::max(smallestNorm, negligible);
    evaluation.candidates.push_back({m, row.mu, row.fit.pseudoChiSquare});
    if (overfitted) {
      if (++overfittedInARow == 2)
        break;
      continue;
    }
    overfittedInARow = 0;
    if (row.fit.pseudoChiSquare < 0.5 * floorChiSquare) {
      floorChiSquare = row.fit.pseudoChiSquare;
      floorSince = m;
    }
    rows.push_back(std::move(row));
    if (m - floorSince >= kPlateauLength)
      break;
  }
  if (rows.empty())
    return evaluation;
  double lowest = INFINITY;
  for (const Row& row : rows)
    lowest = std::min(lowest, row.fit.pseudoChiSquare);
  std::vector<const Row*> near;
  for (const Row& row : rows) {
    if (row.fit.pseudoChiSquare <= kChiSquareReach * lowest)
      near.push_back(&row);
  }
  std::vector<double> curvature, norm, mu, elements;
  for (const Row* row : near) {
    curvature.push_back(row->curvature);
    norm.push_back(row->norm);
    mu.push_back(-row->mu.value_or(1.0));  // nearer 1 is better: less overfitted
    elements.push_back(row->fit.m);
  }
  const std::vector<double> ranks[] = {Ranks(curvature), Ranks(norm), Ranks(mu), Ranks(elements)};
  std::size_t best = 0;
  double bestScore = INFINITY;
  for (std::size_t i = 0; i < near.size(); ++i) {
    const double score = ranks[0][i] + ranks[1][i] + ranks[2][i] + ranks[3][i];
    if (score < bestScore) {
      bestScore = score;
      best = i;
    }
  }
  evaluation.chosen = near[best]->fit;
  evaluation.found = true;
  return evaluation;
}

struct Choice {
  Evaluation evaluation;
  KkRepresentation representation = KkRepresentation::kImpedance;
};

bool Better(const Evaluation& a, const Evaluation& b) {
  return a.found && (!b.found || a.chosen.pseudoChiSquare < b.chosen.pseudoChiSquare);
}

// log F_ext from a grid over −1…1, then refined around the best twice.
Evaluation BestExtension(KkModel& model, KkFitKind kind) {
  Evaluation best;
  for (int step = 0; step <= 8; ++step) {
    Evaluation evaluation = Evaluate(model, kind, -1.0 + 0.25 * step);
    if (Better(evaluation, best))
      best = std::move(evaluation);
  }
  if (!best.found)
    return best;
  for (const double reach : {0.125, 0.0625}) {
    const double centre = best.chosen.logFExt;
    for (const double logFExt : {centre - reach, centre + reach}) {
      if (logFExt < -1.0 || logFExt > 1.0)
        continue;
      Evaluation evaluation = Evaluate(model, kind, logFExt);
      if (Better(evaluation, best))
        best = std::move(evaluation);
    }
  }
  return best;
}

// The von Neumann ratio of successive differences to the variance: 1 for random noise, near 0
// for a smooth run.
double VonNeumannRatio(const std::vector<double>& values) {
  const double mean =
      std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(values.size());
  double spread = 0.0, steps = 0.0;
  for (std::size_t i = 0; i < values.size(); ++i) {
    spread += (values[i] - mean) * (values[i] - mean);
    if (i > 0)
      steps += (values[i] - values[i - 1]) * (values[i] - values[i - 1]);
  }
  return spread > 0.0 ? steps / (2.0 * spread) : 1.0;
}

void Judge(KkAutomaticResult& result, std::span<const SpectrumPoint> points) {
  const std::size_t n = points.size();
  double largest = -1.0;
  for (std::size_t i = 0; i < n; ++i) {
    for (const bool imaginary : {false, true}) {
      const double size = std::abs(imaginary ? result.residualIm[i] : result.residualRe[i]);
      if (size > largest) {
        largest = size;
        result.worstPoint = i;
        result.worstIsImaginary = imaginary;
      }
    }
  }
  result.passed = true;
  if (largest <= result.limitPercent) {
    result.finding = KkFinding::kBelowLimit;
    return;
  }
  result.passed = false;
  if (n < kFewestForStatistics) {
    result.finding = KkFinding::kFewPoints;
    return;
  }
  // A run across frequency, in a part whose residuals reach above the limit. Random noise gives
  // a ratio of 1 with a standard deviation of about 1/√n; the threshold is four of them away,
  // and never nearer to 1 than 0.7.
  std::vector<std::size_t> order(n);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(),
                   [&](std::size_t a, std::size_t b) { return points[a].f < points[b].f; });
  const double count = static_cast<double>(n);
  const double threshold =
      std::min(0.7, 1.0 - 4.0 * std::sqrt((count - 2.0) / ((count - 1.0) * (count + 1.0))));
  for (const bool imaginary : {false, true}) {
    const std::vector<double>& part = imaginary ? result.residualIm : result.residualRe;
    if ((imaginary ? result.maxResidualIm : result.maxResidualRe) <= result.limitPercent)
      continue;
    std::vector<double> sorted(n);
    for (std::size_t i = 0; i < n; ++i)
      sorted[i] = part[order[i]];
    if (VonNeumannRatio(sorted) < threshold) {
      result.finding = KkFinding::kSystematic;
      return;
    }
  }
  // One point far beyond the noise of all the others.
  double rest = 0.0;
  for (std::size_t i = 0; i < n; ++i) {
    if (i != result.worstPoint)
      rest +=
          result.residualRe[i] * result.residualRe[i] + result.residualIm[i] * result.residualIm[i];
  }
  const double restDeviation = std::sqrt(rest / (2.0 * (count - 1.0)));
  if (largest > kOutlierFactor * restDeviation) {
    result.finding = KkFinding::kOutlier;
    return;
  }
  // Noise of one size across the sweep: a part of it far noisier than another is a measurement
  // that went wrong there, however random each part looks.
  double quietest = INFINITY, noisiest = 0.0;
  for (std::size_t third = 0; third < 3; ++third) {
    double sum = 0.0;
    const std::size_t begin = third * n / 3, end = (third + 1) * n / 3;
    for (std::size_t k = begin; k < end; ++k) {
      const std::size_t i = order[k];
      sum +=
          result.residualRe[i] * result.residualRe[i] + result.residualIm[i] * result.residualIm[i];
    }
    const double deviation = std::sqrt(sum / (2.0 * static_cast<double>(end - begin)));
    quietest = std::min(quietest, deviation);
    noisiest = std::max(noisiest, deviation);
  }
  if (noisiest > kUnevenNoise * quietest) {
    result.finding = KkFinding::kUnevenNoise;
    return;
  }
  result.finding = KkFinding::kRandom;
  result.passed = true;
}

std::string Number(double value, char separator) {
  char text[32];
  const auto end =
      std::to_chars(text, text + sizeof text, value, std::chars_format::general, 3).ptr;
  std::string result(text, end);
  std::replace(result.begin(), result.end(), '.', separator);
  return result;
}

}  // namespace

KkAutomaticResult CheckKramersKronigAutomatic(std::span<const SpectrumPoint> points,
                                              const KkAutomaticOptions& options) {
  CheckTestablePoints(points, 3);
  std::vector<KkRepresentation> representations = {KkRepresentation::kImpedance,
                                                   KkRepresentation::kAdmittance};
  if (options.representation)
    representations = {*options.representation};
  Choice choice;
  for (const KkRepresentation representation : representations) {
    KkModel model(points, representation, options.model);
    Evaluation evaluation = BestExtension(model, options.fit);
    if (Better(evaluation, choice.evaluation))
      choice = {std::move(evaluation), representation};
  }
  if (!choice.evaluation.found)
    ThrowUnverifiable();

  const KkFit& chosen = choice.evaluation.chosen;
  KkModel model(points, choice.representation, options.model);
  const KkFit fit = model.Fit(options.fit, chosen.m, chosen.logFExt);
  if (!fit.finite)
    ThrowUnverifiable();
  KkAutomaticResult result;
  result.representation = choice.representation;
  result.logFExt = fit.logFExt;
  result.m = fit.m;
  result.mu = MuOf(fit.rc, kNegligible * fit.scale);
  result.pseudoChiSquare = fit.pseudoChiSquare;
  result.candidates = std::move(choice.evaluation.candidates);
  result.limitPercent = options.limitPercent;
  const std::vector<std::complex<double>> residuals = model.Residuals();
  for (const std::complex<double>& r : residuals) {
    result.residualRe.push_back(100.0 * r.real());
    result.residualIm.push_back(100.0 * r.imag());
    result.maxResidualRe = std::max(result.maxResidualRe, std::abs(result.residualRe.back()));
    result.maxResidualIm = std::max(result.maxResidualIm, std::abs(result.residualIm.back()));
  }
  result.noisePercent =
      std::sqrt(5000.0 * fit.pseudoChiSquare / static_cast<double>(points.size()));
  if (!std::isfinite(result.noisePercent) || !std::isfinite(result.maxResidualRe) ||
      !std::isfinite(result.maxResidualIm))
    ThrowUnverifiable();
  Judge(result, points);
  return result;
}

std::string KkReasonText(const KkAutomaticResult& result, std::span<const SpectrumPoint> points,
                         char separator) {
  const auto number = [separator](double value) { return Number(value, separator); };
  const std::size_t worst = result.worstPoint;
  const double largest = result.worstIsImaginary ? result.maxResidualIm : result.maxResidualRe;
  const std::string where = std::string(result.worstIsImaginary ? "v imaginární" : "v reálné") +
                            " části při " + number(points[worst].f) + " Hz";
  const std::string limit = "mez " + number(result.limitPercent) + " %";
  const std::string noise = "odhad šumu " + number(result.noisePercent) + " %";
  switch (result.finding) {
    case KkFinding::kBelowLimit:
      return "největší odchylka " + number(largest) + " % " + where + " nepřesahuje " + limit;
    case KkFinding::kRandom:
      return "odchylky až " + number(largest) + " % (" + where +
             ") jsou náhodné jako šum měření, " + noise;
    case KkFinding::kSystematic:
      return "odchylky nejsou náhodné, mají soustavný průběh přes kmitočty (drift, skok nebo "
             "změna článku během měření); největší " +
             number(largest) + " % " + where + ", " + limit + ", " + noise;
    case KkFinding::kOutlier:
      return "bod " + std::to_string(worst + 1) + " (" + number(points[worst].f) +
             " Hz) se odchyluje o " + number(largest) + " %, daleko víc než šum ostatních bodů (" +
             noise + "); je přehozený, posunutý nebo chybně změřený";
    case KkFinding::kUnevenNoise:
      return "šum není v celém rozsahu stejný: v jedné třetině kmitočtů je víc než " +
             number(kUnevenNoise) + "× větší než v jiné (největší odchylka " + number(largest) +
             " % " + where + ", " + noise + "); ta část měření je nespolehlivá";
    case KkFinding::kFewPoints:
      return "největší odchylka " + number(largest) + " % " + where + " přesahuje " + limit +
             " a bodů je málo (" + std::to_string(points.size()) +
             "), aby se šum dal odlišit od vady";
  }
  return {};
}

}  // namespace odecet
