#include "analysis/kramers_kronig.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include "spectrum/step_file.h"

using namespace odecet;

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
std::complex<double> BoundedRandles(double f, double rct) {
  const double w = 2 * std::numbers::pi * f;
  const std::complex<double> jw(0.0, w);
  const double rs = 12.4, q = 4.2e-5, n = 0.87, rd = 60.0, td = 2.0;
  const std::complex<double> s = std::sqrt(jw * td);
  const std::complex<double> warburg = rd * std::tanh(s) / s;
  return rs + 1.0 / (q * std::pow(jw, n) + 1.0 / (rct + warburg));
}

// 0.2 % noise; `drift` is the relative growth of the charge-transfer resistance by the end of the
// sweep, with the square of the time, as an electrode that ages during the measurement gives.
std::vector<SpectrumPoint> Measure(double drift) {
  std::mt19937_64 random(5);
  std::normal_distribution<double> noise(0.0, 0.002);
  std::vector<SpectrumPoint> points;
  const std::vector<double> sweep = Sweep();
  for (std::size_t i = 0; i < sweep.size(); ++i) {
    const double time = static_cast<double>(i) / static_cast<double>(sweep.size() - 1);
    const std::complex<double> z =
        BoundedRandles(sweep[i], 185.0 * (1.0 + drift * time * time)) * (1.0 + noise(random));
    points.push_back({sweep[i], z.real(), z.imag()});
  }
  return points;
}

TEST(KramersKronig, BoundedDiffusionWithNoisePasses) {
  const auto result = CheckKramersKronig(Measure(0.0));
  EXPECT_TRUE(result.passed) << result.maxResidualRe << " " << result.maxResidualIm;
  ASSERT_TRUE(result.mu.has_value());
  EXPECT_LE(*result.mu, kKramersKronigMuCutoff);
  EXPECT_EQ(result.residualRe.size(), 61u);
}

TEST(KramersKronig, DriftGrowingOverTheSweepFailsAtLowFrequency) {
  const auto points = Measure(0.3);
  const auto result = CheckKramersKronig(points);
  EXPECT_FALSE(result.passed);
  std::size_t worst = 0;
  const auto size = [&](std::size_t i) {
    return std::max(std::abs(result.residualRe[i]), std::abs(result.residualIm[i]));
  };
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (size(i) > size(worst))
      worst = i;
  }
  EXPECT_LT(points[worst].f, 1.0);
  EXPECT_GT(size(worst), 2.0 * kKramersKronigLimitPercent);
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
  const Spectrum file = LoadStepFile(ODECET_TEST_DATA "/semi-infinite-warburg.txt", '.');
  const auto result = CheckKramersKronig(file.points);
  EXPECT_EQ(result.m, 17);
  ASSERT_TRUE(result.mu.has_value());
  EXPECT_NEAR(*result.mu, 0.8373, 5e-5);
  EXPECT_NEAR(result.maxResidualRe, 1.931, 5e-4);
  EXPECT_NEAR(result.maxResidualIm, 0.719, 5e-4);
  EXPECT_FALSE(result.passed);
  EXPECT_TRUE(CheckKramersKronig(file.points, 2.0).passed);
}

// The test reads only ratios: the same cell in other units of ohms or of time gives the same
// verdict, however far those units are from the usual ones.
TEST(KramersKronig, AnyScaleOfOhmsOrHertzGivesTheSameResult) {
  const auto points = Measure(0.0);
  const auto reference = CheckKramersKronig(points);
  const struct {
    double ohms;
    double hertz;
  } scales[] = {{1e-160, 1}, {1e160, 1},  {1e-300, 1},  {1e300, 1e-5},
                {1, 1e295},  {1, 1e-290}, {1e-12, 1e9}, {1e12, 1e-6}};
  for (const auto& scale : scales) {
    SCOPED_TRACE(testing::Message() << scale.ohms << " Ω, " << scale.hertz << " Hz");
    auto scaled = points;
    for (SpectrumPoint& p : scaled)
      p = {p.f * scale.hertz, p.re * scale.ohms, p.im * scale.ohms};
    const auto result = CheckKramersKronig(scaled);
    EXPECT_EQ(result.m, reference.m);
    ASSERT_TRUE(result.mu.has_value());
    EXPECT_NEAR(*result.mu, *reference.mu, 1e-9);
    EXPECT_NEAR(result.maxResidualRe, reference.maxResidualRe, 1e-9);
    EXPECT_NEAR(result.maxResidualIm, reference.maxResidualIm, 1e-9);
    EXPECT_TRUE(result.passed);
  }
}

// A point the arithmetic cannot follow is never a pass: either the fit says the spectrum is
// suspect with finite figures, or the spectrum cannot be verified.
TEST(KramersKronig, AnOutOfRangePointIsNeverAPass) {
  const auto points = Measure(0.0);
  const struct {
    std::size_t point;
    SpectrumPoint value;
  } hostile[] = {
      {30, {points[30].f, 1e-200, 0}},
      {30, {points[30].f, 1e-200, -1e-200}},
      {0, {1e300, points[0].re, points[0].im}},
      {60, {1e-300, points[60].re, points[60].im}},
      {30, {points[30].f, 1e300, -1e300}},
      {30, {points[30].f, 4.9e-324, 0}},
      {0, {1.7e308, points[0].re, points[0].im}},
  };
  for (const auto& h : hostile) {
    SCOPED_TRACE(testing::Message() << h.value.f << " Hz " << h.value.re << " " << h.value.im);
    auto spectrum = points;
    spectrum[h.point] = h.value;
    try {
      const auto result = CheckKramersKronig(spectrum);
      EXPECT_FALSE(result.passed);
      EXPECT_TRUE(std::isfinite(result.pseudoChiSquare));
      EXPECT_TRUE(std::isfinite(result.maxResidualRe) && std::isfinite(result.maxResidualIm));
      EXPECT_TRUE(!result.mu || std::isfinite(*result.mu));
    } catch (const KramersKronigError& error) {
      EXPECT_NE(std::string(error.what()).find("nelze"), std::string::npos);
    }
  }
}

TEST(KramersKronig, RejectsWhatCannotBeTested) {
  const std::vector<std::vector<SpectrumPoint>> spectra = {
      {{100, 1, -1}},
      {{100, 1, -1}, {0, 1, -1}},
      {{100, 1, -1}, {10, NAN, -1}},
      {{100, 1, -1}, {10, 0, 0}},
      {{100, 1, -1}, {10, 1.5e308, -1.5e308}},  // |Z| beyond the range of a double
  };
  for (const auto& points : spectra)
    EXPECT_THROW(CheckKramersKronig(points), KramersKronigError);
}

}  // namespace
