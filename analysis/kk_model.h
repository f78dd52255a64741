#pragma once

#include <Eigen/Dense>
#include <complex>
#include <optional>
#include <span>
#include <vector>

#include "analysis/kk_options.h"
#include "spectrum/spectrum_point.h"

namespace odecet {

// The circuits of the linear Kramers–Kronig test, fitted by linear least squares.
//
// Impedance (Schönleber et al. 2014, Boukamp 1995): a series resistance, inductance and
// capacitance and M RC elements of fixed time constants,
//   Z = R0 + jωL + 1/(jωC) + Σ Rk / (1 + jωτk).
// Admittance (Boukamp 1995), the same idea for Y = 1/Z: a parallel resistance, capacitance and
// inductance and M series RC branches,
//   Y = 1/R0 + jωC + 1/(jωL) + Σ Gk·jωτk / (1 + jωτk).
// The τk are spaced evenly on a log scale from 1/(F_ext·ω_max) to F_ext/ω_min.
//
// Everything is computed in units of the spectrum itself (ω over the geometric mean of its
// range, Z over the geometric mean of its smallest and largest |Z|), so no unit of ohms or
// hertz can overflow the fit; the residuals, relative to |Z|, do not depend on the units.

// One fit of the circuit.
struct KkFit {
  int m = 0;
  double logFExt = 0.0;
  std::vector<double> rc;        // Rk (impedance) or Gk (admittance), in the spectrum's units
  double pseudoChiSquare = 0.0;  // Σ |Z − Z_fit|² / |Z|²
  double scale = 1.0;            // the largest |Y| or |Z| fitted, in the same units as rc
  bool finite = true;
};

class KkModel {
 public:
  KkModel(std::span<const SpectrumPoint> points, KkRepresentation representation,
          KkModelOptions options);

  // The most RC elements a fit of this kind can determine.
  int MaxElements(KkFitKind kind) const;

  // Fits M RC elements; Residuals() then describes this fit.
  KkFit Fit(KkFitKind kind, int m, double logFExt);

  // (Z − Z_fit) / |Z| at each point of the last fit, in the order of the input.
  std::vector<std::complex<double>> Residuals() const;

 private:
  void FillTimeConstants(int m, double logFExt);
  // Column j of the problem being set up, of `rows` rows (the solver's layout).
  double* Column(Eigen::Index rows, Eigen::Index j) { return buffer_.data() + j * rows; }
  // Solves the problem set up in the first `columns` columns with its right-hand side after them.
  void Solve(Eigen::Index rows, Eigen::Index columns, double* solution);
  int ExtraColumns() const;

  Eigen::Index n_;
  KkRepresentation representation_;
  KkModelOptions options_;
  Eigen::VectorXd omega_;   // ω / ω_ref
  Eigen::VectorXcd z_;      // Z / Z_ref
  Eigen::VectorXcd x_;      // what is fitted: z_, or 1 / z_
  Eigen::VectorXd weight_;  // 1 / |x_|
  double largest_ = 0.0;    // max |x_|
  Eigen::VectorXd taus_;
  // The fit's unknowns: the constant, the M RC values, then those of ω and of −1/ω.
  Eigen::VectorXd solution_;
  int m_ = 0;
  std::vector<double> buffer_;  // column-major, as the solver takes it
  std::vector<std::complex<double>> model_;
};

}  // namespace odecet
