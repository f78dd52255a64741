#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace odecet {

// One measured or computed point of an impedance spectrum.
struct SpectrumPoint {
  double f = 0.0;   // frequency, Hz
  double re = 0.0;  // real part, Ohm
  double im = 0.0;  // imaginary part, Ohm (the report writes the difference under "-Im (Ohm)")

  // Exact: the very same doubles.
  bool operator==(const SpectrumPoint&) const = default;
};

// The standard uncertainty of a point's real and imaginary part, Ohm.
struct PointUncertainty {
  double re = 0.0;
  double im = 0.0;
};

inline constexpr std::int32_t MaxPoints = 1000;

// A table slot is the point's position in its file, from 0. Readers stop at the table's count,
// so slots at and above it may hold points of an earlier load.
using PointTable = std::array<SpectrumPoint, MaxPoints>;

// The tables keep the names of the original form's data (SpectrumPoint, Step1Points,
// Step1Count, DiffPoints, MaxPoints, ...); what the rest of the program passes around is a
// Spectrum (spectrum.h).

// Everything a run measures and computes. The program owns one instance; tests make their own.
struct SpectrumData {
  PointTable Step1Points{};
  PointTable Step2Points{};
  PointTable DiffPoints{};
  std::int32_t Step1Count = 0;  // as declared by the step-1 file; never above MaxPoints
  std::int32_t Step2Count = 0;
  std::string Step1Path;
  std::string Step2Path;
  std::string ReportPath;
};

}  // namespace odecet
