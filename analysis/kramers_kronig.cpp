#include "analysis/kramers_kronig.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <string>
#include <utility>

namespace {

// An RC resistance this small beside the largest |Z| is rounding, not a contribution: a pure
// resistor must come out with no positive Rk, whatever the sign of its rounding.
constexpr double kNegligibleResistance = 1e-9;

[[noreturn]] void ThrowUntestable(const std::string& why) {
  throw KramersKronigError("Kramersovu–Kronigovu zkoušku nelze provést: " + why);
}

// A fit that gives a number beyond the range of a double says nothing about the cell: it is
// never taken for a pass.
[[noreturn]] void ThrowUnverifiable() {
  throw KramersKronigError(
      "spektrum nelze ověřit Kramersovou–Kronigovou zkouškou: proložení nedává konečná čísla "
      "(hodnoty nebo kmitočty bodů jsou mimo rozsah, který lze spočítat).");
}

void CheckPoints(std::span<const SpectrumPoint> points) {
  if (points.size() < 2)
    ThrowUntestable("spektrum musí mít alespoň dva body.");
  for (std::size_t i = 0; i < points.size(); ++i) {
    const SpectrumPoint& p = points[i];
    const std::string point = "bod " + std::to_string(i + 1);
    if (!std::isfinite(p.f) || !std::isfinite(std::hypot(p.re, p.im)))
      ThrowUntestable(point + " nemá konečné hodnoty.");
    if (p.f <= 0.0)
      ThrowUntestable(point + " nemá kladný kmitočet.");
    if (p.re == 0.0 && p.im == 0.0)
      ThrowUntestable(point + " má nulovou impedanci.");
  }
  const auto [low, high] = std::ranges::minmax(points, {}, &SpectrumPoint::f);
  if (low.f == high.f)
    ThrowUntestable("všechny body mají týž kmitočet.");
}

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) && defined(__gnu_linux__) && \
    !defined(__SANITIZE_THREAD__)
// Wider vectors (AVX2, FMA) where the processor has them, chosen once as the program loads; the
// package itself is built for every x86-64. (ThreadSanitizer's runtime is not up yet when the
// choice is made.)
#define ODECET_WIDEST_VECTORS __attribute__((target_clones("arch=x86-64-v3", "default")))
#else
#define ODECET_WIDEST_VECTORS
#endif

// Σ u[i]·w[i] as four independent sums over the quarters of the range, so that the adds of
// one do not wait on those of another.
ODECET_WIDEST_VECTORS
double Dot(const double* u, const double* w, std::ptrdiff_t length) {
  const std::ptrdiff_t quarter = length / 4;
  double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
#pragma omp simd reduction(+ : s0, s1, s2, s3)
  for (std::ptrdiff_t i = 0; i < quarter; ++i) {
    s0 += u[i] * w[i];
    s1 += u[quarter + i] * w[quarter + i];
    s2 += u[2 * quarter + i] * w[2 * quarter + i];
    s3 += u[3 * quarter + i] * w[3 * quarter + i];
  }
  for (std::ptrdiff_t i = 4 * quarter; i < length; ++i)
    s0 += u[i] * w[i];
  return (s0 + s1) + (s2 + s3);
}

// Least squares by Householder QR, in place on a column-major matrix of `rows` rows: columns
// 0..cols-1 are the unknowns' and column `cols` the right-hand side; three more columns after
// it must be there and hold zeros (they stay zero). The solution goes to `x`.
//
// The arithmetic of Eigen's HouseholderQR, written as plain loops: for these tall, narrow
// matrices (122 × 19 for a 61-point spectrum), solved up to 50 times a spectrum, Eigen's
// general kernels spend more time dispatching than computing. Here each reflection goes to
// four columns at once (the zero columns make up the last four), and the compiler uses the
// widest vectors of the machine.
ODECET_WIDEST_VECTORS
void SolveLeastSquares(double* a, std::ptrdiff_t rows, std::ptrdiff_t cols, double* x) {
  for (std::ptrdiff_t j = 0; j < cols; ++j) {
    double* v = a + j * rows + j;
    const std::ptrdiff_t length = rows - j;
    const double squaredNorm = Dot(v, v, length);
    if (squaredNorm == 0.0)
      continue;  // a zero column: nothing to reflect, and its pivot stays 0
    const double norm = std::sqrt(squaredNorm);
    const double diagonal = v[0] > 0.0 ? -norm : norm;
    // |v − diagonal·e1|² = 2‖v‖² − 2·diagonal·v[0], both terms of one sign
    const double scale = 1.0 / (squaredNorm - diagonal * v[0]);
    v[0] -= diagonal;
    for (std::ptrdiff_t k = j + 1; k <= cols; k += 4) {
      double* c0 = a + k * rows + j;
      double* c1 = c0 + rows;
      double* c2 = c1 + rows;
      double* c3 = c2 + rows;
      double s0 = 0.0, s1 = 0.0, s2 = 0.0, s3 = 0.0;
#pragma omp simd reduction(+ : s0, s1, s2, s3)
      for (std::ptrdiff_t i = 0; i < length; ++i) {
        s0 += v[i] * c0[i];
        s1 += v[i] * c1[i];
        s2 += v[i] * c2[i];
        s3 += v[i] * c3[i];
      }
      s0 *= scale;
      s1 *= scale;
      s2 *= scale;
      s3 *= scale;
#pragma omp simd
      for (std::ptrdiff_t i = 0; i < length; ++i) {
        c0[i] -= s0 * v[i];
        c1[i] -= s1 * v[i];
        c2[i] -= s2 * v[i];
        c3[i] -= s3 * v[i];
      }
    }
    v[0] = diagonal;
  }
  // Back substitution; a column that depends exactly on the ones before gets 0.
  const double* b = a + cols * rows;
  for (std::ptrdiff_t j = cols - 1; j >= 0; --j) {
    double sum = b[j];
    for (std::ptrdiff_t k = j + 1; k < cols; ++k)
      sum -= a[k * rows + j] * x[k];
    const double pivot = a[j * rows + j];
    x[j] = pivot != 0.0 ? sum / pivot : 0.0;
  }
}

// The M time constants, log-spaced from tauMin to tauMax with both ends exact; one is tauMax.
void TimeConstants(int m, double tauMin, double tauMax, Eigen::VectorXd& taus) {
  taus.resize(m);
  if (m == 1) {
    taus[0] = tauMax;
    return;
  }
  const double logMin = std::log(tauMin);
  const double logSpan = std::log(tauMax / tauMin);
  for (int k = 1; k + 1 < m; ++k)
    taus[k] = std::exp(logMin + logSpan * k / (m - 1));
  taus[0] = tauMin;
  taus[m - 1] = tauMax;
}

// The weighted least-squares problem of one spectrum: rows 0..n-1 hold the real parts,
// n..2n-1 the imaginary ones, each divided by |Z| at its point; columns R0, R1..RM, L.
//
// The columns are scaled by powers of two so that no entry exceeds 2, whatever the units: the
// resistances by the smallest |Z|, the inductance also by the largest ω. Such scaling is exact,
// so a spectrum in ordinary units is solved bit for bit as without it, and one in 1e-200 Ω or
// at 1e300 Hz cannot overflow. The coefficients stay scaled; everything read from them is
// either a ratio or computed in the same scaled rows.
class RcFit {
 public:
  explicit RcFit(std::span<const SpectrumPoint> points)
      : n_(static_cast<Eigen::Index>(points.size())),
        omega_(n_),
        weight_(n_),
        inductance_(n_),
        target_(2 * n_),
        design_(Eigen::MatrixXd::Zero(2 * n_, MaxElements() + 6)),
        coefficients_(MaxElements() + 2) {
    double fMin = points[0].f;
    double fMax = points[0].f;
    double smallestZ = std::hypot(points[0].re, points[0].im);
    for (const SpectrumPoint& p : points) {
      fMin = std::min(fMin, p.f);
      fMax = std::max(fMax, p.f);
      smallestZ = std::min(smallestZ, std::hypot(p.re, p.im));
    }
    std::frexp(smallestZ, &resistanceExponent_);
    int omegaExponent = 0;
    std::frexp(2.0 * std::numbers::pi * fMax, &omegaExponent);
    for (Eigen::Index i = 0; i < n_; ++i) {
      const SpectrumPoint& p = points[static_cast<std::size_t>(i)];
      omega_[i] = 2.0 * std::numbers::pi * p.f;
      weight_[i] = 1.0 / std::ldexp(std::hypot(p.re, p.im), -resistanceExponent_);
      inductance_[i] = std::ldexp(omega_[i], -omegaExponent) * weight_[i];
      target_[i] = std::ldexp(p.re, -resistanceExponent_) * weight_[i];
      target_[n_ + i] = std::ldexp(p.im, -resistanceExponent_) * weight_[i];
    }
    tauMin_ = 1.0 / (2.0 * std::numbers::pi * fMax);
    tauMax_ = 1.0 / (2.0 * std::numbers::pi * fMin);
  }

  // The most RC elements the points can determine (M + 2 unknowns, 2n equations).
  int MaxElements() const {
    return static_cast<int>(std::min<Eigen::Index>(kKramersKronigMaxElements, 2 * n_ - 2));
  }

  // Fits M RC elements: afterwards R0 is Coefficient(0), Rk Coefficient(k), L Coefficient(M+1).
  void Fit(int m) {
    TimeConstants(m, tauMin_, tauMax_, taus_);
    auto a = design_.leftCols(m + 2);
    a.col(0).head(n_) = weight_;
    a.col(0).tail(n_).setZero();
    for (int k = 0; k < m; ++k) {
      for (Eigen::Index i = 0; i < n_; ++i) {
        // 1 / (1 + jωτ) = (1 − jωτ) / (1 + (ωτ)²)
        const double x = omega_[i] * taus_[k];
        const double scale = weight_[i] / (1.0 + x * x);
        a(i, k + 1) = scale;
        a(n_ + i, k + 1) = -x * scale;
      }
    }
    a.col(m + 1).head(n_).setZero();
    a.col(m + 1).tail(n_) = inductance_;
    design_.col(m + 2) = target_;
    SolveLeastSquares(design_.data(), design_.rows(), m + 2, coefficients_.data());
    if (!coefficients_.head(m + 2).allFinite())
      ThrowUnverifiable();
  }

  // Coefficient k of the last fit, scaled as its column: R0 is 0, Rk is k, L is M + 1.
  double Coefficient(int k) const { return coefficients_[k]; }
  // A resistance in the scale of the coefficients.
  double ScaledResistance(double ohms) const { return std::ldexp(ohms, -resistanceExponent_); }

  // (Z − Z_fit) / |Z| at point i, real and imaginary, from the last fit of M elements.
  std::pair<double, double> Residual(Eigen::Index i, int m) const {
    double modelRe = weight_[i] * coefficients_[0];
    double modelIm = inductance_[i] * coefficients_[m + 1];
    for (int k = 0; k < m; ++k) {
      const double x = omega_[i] * taus_[k];
      const double share = weight_[i] / (1.0 + x * x) * coefficients_[k + 1];
      modelRe += share;
      modelIm -= x * share;
    }
    return {target_[i] - modelRe, target_[n_ + i] - modelIm};
  }

 private:
  Eigen::Index n_;
  int resistanceExponent_ = 0;  // 2^it is about the smallest |Z|
  Eigen::VectorXd omega_;
  Eigen::VectorXd weight_;      // 2^resistanceExponent_ / |Z|
  Eigen::VectorXd inductance_;  // the L column's imaginary rows
  Eigen::VectorXd target_;
  double tauMin_ = 0.0;
  double tauMax_ = 0.0;
  // Sized once for the largest M: each fit uses its left M + 2 columns and the target after
  // them; the solver needs three zero columns beyond.
  Eigen::MatrixXd design_;
  Eigen::VectorXd coefficients_;
  Eigen::VectorXd taus_;
};

// µ of the current fit; none when no RC resistance is positive.
std::optional<double> Mu(const RcFit& fit, int m, double negligible) {
  double positive = 0.0;
  double negative = 0.0;
  for (int k = 1; k <= m; ++k) {
    const double r = fit.Coefficient(k);
    if (r > negligible)
      positive += r;
    else if (r < -negligible)
      negative -= r;
  }
  if (positive == 0.0)
    return std::nullopt;
  return 1.0 - negative / positive;
}

}  // namespace

KramersKronigResult CheckKramersKronig(std::span<const SpectrumPoint> points, double limitPercent) {
  CheckPoints(points);
  double largestZ = 0.0;
  for (const SpectrumPoint& p : points)
    largestZ = std::max(largestZ, std::hypot(p.re, p.im));

  RcFit fit(points);
  const double negligible = kNegligibleResistance * fit.ScaledResistance(largestZ);
  KramersKronigResult result;
  for (int m = 1; m <= fit.MaxElements(); ++m) {
    fit.Fit(m);
    result.m = m;
    result.mu = Mu(fit, m, negligible);
    if (!result.mu || *result.mu <= kKramersKronigMuCutoff)
      break;
  }

  // Residuals of the accepted fit, from the model itself.
  result.residualRe.resize(points.size());
  result.residualIm.resize(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    const auto [dRe, dIm] = fit.Residual(static_cast<Eigen::Index>(i), result.m);
    result.pseudoChiSquare += dRe * dRe + dIm * dIm;
    result.residualRe[i] = 100.0 * dRe;
    result.residualIm[i] = 100.0 * dIm;
    result.maxResidualRe = std::max(result.maxResidualRe, std::abs(result.residualRe[i]));
    result.maxResidualIm = std::max(result.maxResidualIm, std::abs(result.residualIm[i]));
  }
  if (!std::isfinite(result.pseudoChiSquare))
    ThrowUnverifiable();
  result.limitPercent = limitPercent;
  result.passed = result.maxResidualRe <= limitPercent && result.maxResidualIm <= limitPercent;
  return result;
}
