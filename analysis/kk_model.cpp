#include "analysis/kk_model.h"

#include <algorithm>
#include <cmath>

#include "analysis/least_squares.h"

namespace odecet {

namespace {

constexpr double kLn10 = 2.302585092994046;

}  // namespace

KkModel::KkModel(std::span<const SpectrumPoint> points, KkRepresentation representation,
                 KkModelOptions options)
    : n_(static_cast<Eigen::Index>(points.size())),
      representation_(representation),
      options_(options),
      omega_(n_),
      z_(n_),
      x_(n_),
      weight_(n_),
      model_(points.size()) {
  double logFMin = INFINITY, logFMax = -INFINITY, logZMin = INFINITY, logZMax = -INFINITY;
  for (const SpectrumPoint& p : points) {
    logFMin = std::min(logFMin, std::log(p.f));
    logFMax = std::max(logFMax, std::log(p.f));
    const double logZ = std::log(std::hypot(p.re, p.im));
    logZMin = std::min(logZMin, logZ);
    logZMax = std::max(logZMax, logZ);
  }
  const double logFRef = 0.5 * (logFMin + logFMax);
  const double logZRef = 0.5 * (logZMin + logZMax);
  for (Eigen::Index i = 0; i < n_; ++i) {
    const SpectrumPoint& p = points[static_cast<std::size_t>(i)];
    omega_[i] = std::exp(std::log(p.f) - logFRef);
    const double scale = std::exp(-logZRef);
    z_[i] = {p.re * scale, p.im * scale};
    x_[i] = representation_ == KkRepresentation::kImpedance ? z_[i] : 1.0 / z_[i];
    weight_[i] = 1.0 / std::abs(x_[i]);
    largest_ = std::max(largest_, std::abs(x_[i]));
  }
  const int most = std::max({MaxElements(KkFitKind::kComplex), MaxElements(KkFitKind::kReal),
                             MaxElements(KkFitKind::kImaginary), 1});
  solution_.resize(most + 3);
  buffer_.assign(static_cast<std::size_t>(2 * n_ * (most + 3 + 4)), 0.0);
}

int KkModel::ExtraColumns() const {
  return (options_.seriesCapacitance ? 1 : 0) + (options_.seriesInductance ? 1 : 0);
}

int KkModel::MaxElements(KkFitKind kind) const {
  // One equation more than unknowns, at the least.
  const auto n = static_cast<int>(n_);
  switch (kind) {
    case KkFitKind::kReal:
      return n - 2;
    case KkFitKind::kImaginary:
      return n - 1 - ExtraColumns();
    case KkFitKind::kComplex:
      return 2 * n - 3 - ExtraColumns();
  }
  return 0;
}

void KkModel::FillTimeConstants(int m, double logFExt) {
  const double extension = std::exp(logFExt * kLn10);
  const double tauMin = 1.0 / (omega_.maxCoeff() * extension);
  const double tauMax = extension / omega_.minCoeff();
  taus_.resize(m);
  if (m == 1) {
    taus_[0] = std::sqrt(tauMin * tauMax);
    return;
  }
  const double logMin = std::log(tauMin);
  const double logSpan = std::log(tauMax) - logMin;
  for (int k = 0; k < m; ++k)
    taus_[k] = std::exp(logMin + logSpan * k / (m - 1));
}

void KkModel::Solve(Eigen::Index rows, Eigen::Index columns, double* solution) {
  // The solver wants three columns of zeros after the right-hand side.
  std::fill(Column(rows, columns + 1), Column(rows, columns + 4), 0.0);
  SolveLeastSquaresInPlace(buffer_.data(), rows, columns, solution);
}

KkFit KkModel::Fit(KkFitKind kind, int m, double logFExt) {
  FillTimeConstants(m, logFExt);
  m_ = m;
  const bool impedance = representation_ == KkRepresentation::kImpedance;
  // The ω column is the series L of the impedance, the parallel C of the admittance; the −1/ω
  // column the series C of the one and the parallel L of the other.
  const bool omegaColumn = impedance ? options_.seriesInductance : options_.seriesCapacitance;
  const bool inverseColumn = impedance ? options_.seriesCapacitance : options_.seriesInductance;
  const int extras = ExtraColumns();
  const auto basis = [&](Eigen::Index i, int k, double& re, double& im) {
    const double x = omega_[i] * taus_[k];
    const double share = 1.0 / (1.0 + x * x);
    re = impedance ? share : x * x * share;
    im = impedance ? -x * share : x * share;
  };
  // The extra columns in the imaginary rows, which start at `offset`.
  const auto fillExtras = [&](Eigen::Index rows, Eigen::Index first, Eigen::Index offset) {
    Eigen::Index column = first;
    for (const bool inverse : {false, true}) {
      if (!(inverse ? inverseColumn : omegaColumn))
        continue;
      double* c = Column(rows, column++);
      std::fill(c, c + rows, 0.0);
      for (Eigen::Index i = 0; i < n_; ++i)
        c[offset + i] = weight_[i] * (inverse ? -1.0 / omega_[i] : omega_[i]);
    }
  };
  // The RC columns from column `first`: the real rows first where there are any, then the
  // imaginary ones.
  const auto fillRc = [&](Eigen::Index rows, Eigen::Index first, bool realRows,
                          bool imaginaryRows) {
    for (int k = 0; k < m; ++k) {
      double* c = Column(rows, first + k);
      for (Eigen::Index i = 0; i < n_; ++i) {
        double re, im;
        basis(i, k, re, im);
        if (realRows)
          c[i] = weight_[i] * re;
        if (imaginaryRows)
          c[(realRows ? n_ : 0) + i] = weight_[i] * im;
      }
    }
  };
  solution_.setZero();
  double* unknowns = solution_.data();
  // What the fitted RC elements give at point i, real or imaginary part.
  const auto predicted = [&](Eigen::Index i, bool imaginary) {
    double sum = 0.0;
    for (int k = 0; k < m; ++k) {
      double re, im;
      basis(i, k, re, im);
      sum += unknowns[k + 1] * (imaginary ? im : re);
    }
    return sum;
  };
  switch (kind) {
    case KkFitKind::kComplex: {
      const Eigen::Index rows = 2 * n_;
      double* c0 = Column(rows, 0);
      for (Eigen::Index i = 0; i < n_; ++i) {
        c0[i] = weight_[i];
        c0[n_ + i] = 0.0;
      }
      fillRc(rows, 1, true, true);
      fillExtras(rows, m + 1, n_);
      double* b = Column(rows, m + 1 + extras);
      for (Eigen::Index i = 0; i < n_; ++i) {
        b[i] = weight_[i] * x_[i].real();
        b[n_ + i] = weight_[i] * x_[i].imag();
      }
      Solve(rows, m + 1 + extras, unknowns);
      break;
    }
    case KkFitKind::kReal: {
      const Eigen::Index rows = n_;
      double* c0 = Column(rows, 0);
      for (Eigen::Index i = 0; i < n_; ++i)
        c0[i] = weight_[i];
      fillRc(rows, 1, true, false);
      double* b = Column(rows, m + 1);
      for (Eigen::Index i = 0; i < n_; ++i)
        b[i] = weight_[i] * x_[i].real();
      Solve(rows, m + 1, unknowns);
      if (extras > 0) {
        // The imaginary part the RC elements predict; only L and C are fitted to the rest.
        fillExtras(rows, 0, 0);
        double* rest = Column(rows, extras);
        for (Eigen::Index i = 0; i < n_; ++i)
          rest[i] = weight_[i] * (x_[i].imag() - predicted(i, true));
        Solve(rows, extras, unknowns + m + 1);
      }
      break;
    }
    case KkFitKind::kImaginary: {
      const Eigen::Index rows = n_;
      fillRc(rows, 0, false, true);
      fillExtras(rows, m, 0);
      double* b = Column(rows, m + extras);
      for (Eigen::Index i = 0; i < n_; ++i)
        b[i] = weight_[i] * x_[i].imag();
      Solve(rows, m + extras, unknowns + 1);
      // The constant from the real part: the weighted mean of what the RC elements leave.
      double sum = 0.0, weights = 0.0;
      for (Eigen::Index i = 0; i < n_; ++i) {
        const double w2 = weight_[i] * weight_[i];
        sum += w2 * (x_[i].real() - predicted(i, false));
        weights += w2;
      }
      unknowns[0] = sum / weights;
      break;
    }
  }

  KkFit fit;
  fit.m = m;
  fit.logFExt = logFExt;
  fit.scale = largest_;
  fit.rc.assign(unknowns + 1, unknowns + 1 + m);
  const double omegaValue = omegaColumn ? unknowns[m + 1] : 0.0;
  const double inverseValue = inverseColumn ? unknowns[m + 1 + (omegaColumn ? 1 : 0)] : 0.0;
  for (Eigen::Index i = 0; i < n_; ++i) {
    std::complex<double> value(unknowns[0], omegaValue * omega_[i] - inverseValue / omega_[i]);
    for (int k = 0; k < m; ++k) {
      double re, im;
      basis(i, k, re, im);
      value += unknowns[k + 1] * std::complex<double>(re, im);
    }
    model_[static_cast<std::size_t>(i)] = impedance ? value : 1.0 / value;
    const std::complex<double> r = (z_[i] - model_[static_cast<std::size_t>(i)]) / std::abs(z_[i]);
    fit.pseudoChiSquare += std::norm(r);
  }
  fit.finite = std::isfinite(fit.pseudoChiSquare) &&
               std::all_of(fit.rc.begin(), fit.rc.end(), [](double v) { return std::isfinite(v); });
  return fit;
}

std::vector<std::complex<double>> KkModel::Residuals() const {
  std::vector<std::complex<double>> residuals(model_.size());
  for (std::size_t i = 0; i < model_.size(); ++i) {
    const auto row = static_cast<Eigen::Index>(i);
    residuals[i] = (z_[row] - model_[i]) / std::abs(z_[row]);
  }
  return residuals;
}

}  // namespace odecet
