#include "analysis/kramers_kronig.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

namespace {

// An RC resistance this small beside the largest |Z| is rounding, not a contribution: a pure
// resistor must come out with no positive Rk, whatever the sign of its rounding.
constexpr double kNegligibleResistance = 1e-9;

[[noreturn]] void ThrowUntestable(const std::string& why) {
  throw KramersKronigError("Kramersovu–Kronigovu zkoušku nelze provést: " + why);
}

void CheckPoints(std::span<const SpectrumPoint> points) {
  if (points.size() < 2)
    ThrowUntestable("spektrum musí mít alespoň dva body.");
  for (std::size_t i = 0; i < points.size(); ++i) {
    const SpectrumPoint& p = points[i];
    const std::string point = "bod " + std::to_string(i + 1);
    if (!std::isfinite(p.f) || !std::isfinite(p.re) || !std::isfinite(p.im))
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

// Least squares by Householder QR, in place on a column-major matrix and its right-hand side.
// Eigen's HouseholderQR does the same arithmetic, but for these tall, narrow matrices (122 × 19
// for a 61-point spectrum), solved up to 50 times a spectrum, its general kernels spend more
// time dispatching than computing; one dot product and one update per column pair is twice as
// fast.
void SolveLeastSquares(Eigen::Ref<Eigen::MatrixXd> a, Eigen::Ref<Eigen::VectorXd> b,
                       Eigen::Ref<Eigen::VectorXd> x) {
  const Eigen::Index rows = a.rows();
  const Eigen::Index cols = a.cols();
  for (Eigen::Index j = 0; j < cols; ++j) {
    auto v = a.col(j).tail(rows - j);
    const double norm = v.norm();
    const double diagonal = v[0] > 0.0 ? -norm : norm;
    v[0] -= diagonal;
    const double length = v.squaredNorm();
    if (length > 0.0) {
      const double scale = 2.0 / length;
      for (Eigen::Index k = j + 1; k < cols; ++k) {
        auto column = a.col(k).tail(rows - j);
        column -= (scale * v.dot(column)) * v;
      }
      auto rest = b.tail(rows - j);
      rest -= (scale * v.dot(rest)) * v;
    }
    v[0] = diagonal;
  }
  // Back substitution; a column that depends exactly on the ones before gets 0.
  for (Eigen::Index j = cols - 1; j >= 0; --j) {
    const double sum = b[j] - a.row(j).segment(j + 1, cols - j - 1).dot(x.tail(cols - j - 1));
    x[j] = a(j, j) != 0.0 ? sum / a(j, j) : 0.0;
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
class RcFit {
 public:
  explicit RcFit(std::span<const SpectrumPoint> points)
      : n_(static_cast<Eigen::Index>(points.size())),
        omega_(n_),
        weight_(n_),
        target_(2 * n_),
        design_(2 * n_, MaxElements() + 2),
        right_(2 * n_),
        coefficients_(MaxElements() + 2) {
    double fMin = points[0].f;
    double fMax = points[0].f;
    for (Eigen::Index i = 0; i < n_; ++i) {
      const SpectrumPoint& p = points[static_cast<std::size_t>(i)];
      omega_[i] = 2.0 * std::numbers::pi * p.f;
      weight_[i] = 1.0 / std::hypot(p.re, p.im);
      target_[i] = p.re * weight_[i];
      target_[n_ + i] = p.im * weight_[i];
      fMin = std::min(fMin, p.f);
      fMax = std::max(fMax, p.f);
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
    a.col(m + 1).tail(n_) = omega_.cwiseProduct(weight_);
    right_ = target_;
    SolveLeastSquares(a, right_, coefficients_.head(m + 2));
  }

  double Coefficient(int k) const { return coefficients_[k]; }
  double Tau(int k) const { return taus_[k]; }
  double Omega(Eigen::Index i) const { return omega_[i]; }
  double Weight(Eigen::Index i) const { return weight_[i]; }

 private:
  Eigen::Index n_;
  Eigen::VectorXd omega_;
  Eigen::VectorXd weight_;
  Eigen::VectorXd target_;
  double tauMin_ = 0.0;
  double tauMax_ = 0.0;
  // Sized once for the largest M; each fit uses its left columns.
  Eigen::MatrixXd design_;
  Eigen::VectorXd right_;
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
  KramersKronigResult result;
  for (int m = 1; m <= fit.MaxElements(); ++m) {
    fit.Fit(m);
    result.m = m;
    result.mu = Mu(fit, m, kNegligibleResistance * largestZ);
    if (!result.mu || *result.mu <= kKramersKronigMuCutoff)
      break;
  }

  // Residuals of the accepted fit, from the model itself.
  const int m = result.m;
  result.residualRe.resize(points.size());
  result.residualIm.resize(points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    const auto row = static_cast<Eigen::Index>(i);
    const double omega = fit.Omega(row);
    double modelRe = fit.Coefficient(0);
    double modelIm = omega * fit.Coefficient(m + 1);
    for (int k = 0; k < m; ++k) {
      const double x = omega * fit.Tau(k);
      const double share = fit.Coefficient(k + 1) / (1.0 + x * x);
      modelRe += share;
      modelIm -= x * share;
    }
    const double dRe = (points[i].re - modelRe) * fit.Weight(row);
    const double dIm = (points[i].im - modelIm) * fit.Weight(row);
    result.pseudoChiSquare += dRe * dRe + dIm * dIm;
    result.residualRe[i] = 100.0 * dRe;
    result.residualIm[i] = 100.0 * dIm;
    result.maxResidualRe = std::max(result.maxResidualRe, std::abs(result.residualRe[i]));
    result.maxResidualIm = std::max(result.maxResidualIm, std::abs(result.residualIm[i]));
  }
  result.limitPercent = limitPercent;
  result.passed = result.maxResidualRe <= limitPercent && result.maxResidualIm <= limitPercent;
  return result;
}
