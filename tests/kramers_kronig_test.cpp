#include "analysis/kramers_kronig.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include "spectrum/step_file.h"

namespace {

// Ten points a decade from 100 kHz down to 0.1 Hz, as the analysers sweep.
std::vector<double> Sweep() {
  std::vector<double> f;
  for (int i = 0; i <= 60; ++i)
    f.push_back(1e5 * std::pow(10.0, -i / 10.0));
  return f;
}

// A Randles cell whose diffusion layer has a finite thickness (a reflective boundary would make
// it capacitive; a transmissive one ends in a resistance, as here).
std::complex<double> BoundedRandles(double f) {
  const double w = 2 * std::numbers::pi * f;
  const std::complex<double> jw(0.0, w);
  const double rs = 12.4, rct = 185.0, q = 4.2e-5, n = 0.87, rd = 60.0, td = 2.0;
  const std::complex<double> s = std::sqrt(jw * td);
  const std::complex<double> warburg = rd * std::tanh(s) / s;
  return rs + 1.0 / (q * std::pow(jw, n) + 1.0 / (rct + warburg));
}

// `drift(i)` is the relative change of the cell by point i, as a slowly ageing electrode gives.
std::vector<SpectrumPoint> Measure(double noise, double (*drift)(int)) {
  std::mt19937_64 random(5);
  std::normal_distribution<double> gauss(0.0, noise);
  std::vector<SpectrumPoint> points;
  int i = 0;
  for (double f : Sweep()) {
    const std::complex<double> z = BoundedRandles(f) * (1.0 + drift(i++)) * (1.0 + gauss(random));
    points.push_back({f, z.real(), z.imag()});
  }
  return points;
}

double NoDrift(int) {
  return 0.0;
}
double GrowingDrift(int i) {
  return 2e-5 * i * i;
}  // 7 % by the last point, most of it late

TEST(KramersKronig, BoundedDiffusionWithNoisePasses) {
  const auto result = CheckKramersKronig(Measure(0.002, NoDrift));
  EXPECT_TRUE(result.passed) << result.maxResidualRe << " " << result.maxResidualIm;
  ASSERT_TRUE(result.mu.has_value());
  EXPECT_LE(*result.mu, kKramersKronigMuCutoff);
  EXPECT_EQ(result.residualRe.size(), 61u);
}

TEST(KramersKronig, DriftGrowingOverTheSweepFailsAtLowFrequency) {
  const auto points = Measure(0.002, GrowingDrift);
  const auto result = CheckKramersKronig(points);
  EXPECT_FALSE(result.passed);
  std::size_t worst = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (std::abs(result.residualRe[i]) > std::abs(result.residualRe[worst]))
      worst = i;
  }
  EXPECT_LT(points[worst].f, 1.0);
}

TEST(KramersKronig, PureResistorHasNoMu) {
  std::vector<SpectrumPoint> points;
  for (double f : Sweep())
    points.push_back({f, 47.0, 0.0});
  const auto result = CheckKramersKronig(points);
  EXPECT_FALSE(result.mu.has_value());
  EXPECT_EQ(result.m, 1);
  EXPECT_TRUE(result.passed);
  EXPECT_LT(result.pseudoChiSquare, 1e-20);
}

// The sample of a cell with a semi-infinite Warburg element, as the reference tool judges it.
TEST(KramersKronig, MatchesTheReferenceOnASemiInfiniteWarburgCell) {
  const StepFile file = LoadStepFile(ODECET_TEST_DATA "/semi-infinite-warburg.txt", '.');
  const auto result = CheckKramersKronig(file.points);
  EXPECT_EQ(result.m, 17);
  ASSERT_TRUE(result.mu.has_value());
  EXPECT_NEAR(*result.mu, 0.8373, 5e-5);
  EXPECT_NEAR(result.maxResidualRe, 1.931, 5e-4);
  EXPECT_NEAR(result.maxResidualIm, 0.719, 5e-4);
  EXPECT_FALSE(result.passed);
  EXPECT_TRUE(CheckKramersKronig(file.points, 2.0).passed);
}

TEST(KramersKronig, RejectsWhatCannotBeTested) {
  const std::vector<std::vector<SpectrumPoint>> spectra = {
      {{100, 1, -1}},
      {{100, 1, -1}, {0, 1, -1}},
      {{100, 1, -1}, {10, NAN, -1}},
      {{100, 1, -1}, {10, 0, 0}},
  };
  for (const auto& points : spectra)
    EXPECT_THROW(CheckKramersKronig(points), KramersKronigError);
}

}  // namespace
