#pragma once

namespace odecet {

// The choices of the linear Kramers–Kronig test's circuit and fit (kk_model.h).

enum class KkRepresentation { kImpedance, kAdmittance };

// Which parts of the immittance the RC elements are fitted to (Boukamp 1995): both, or only the
// real part (the imaginary part is then the model's prediction, with only the series L and C
// fitted to it), or only the imaginary part (the series resistance then follows from the real).
enum class KkFitKind { kComplex, kReal, kImaginary };

struct KkModelOptions {
  bool seriesCapacitance = true;  // in the admittance circuit, the parallel capacitance
  bool seriesInductance = true;   // in the admittance circuit, the parallel inductance
};

}  // namespace odecet
