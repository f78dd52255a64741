#include "analysis/uncertainty.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <vector>

#include "analysis/kk_automatic.h"
#include "report/difference.h"

using namespace odecet;

namespace {

using Complex = std::complex<double>;

// A cell of two arcs; `rib` scales its second arc, as removing a rib does.
Complex Cell(double f, double rib) {
  const double w = 2.0 * std::numbers::pi * f;
  return 12.0 + 40.0 / (1.0 + Complex(0.0, w * 3e-5)) +
         rib * 220.0 / (1.0 + Complex(0.0, w * 0.05));
}

std::vector<SpectrumPoint> Measure(double rib, double noise, unsigned seed) {
  std::mt19937_64 random(seed);
  std::normal_distribution<double> gauss(0.0, 1.0);
  std::vector<SpectrumPoint> points;
  for (int i = 0; i <= 60; ++i) {
    const double f = 1e5 * std::pow(10.0, -i / 10.0);
    const Complex z = Cell(f, rib);
    const double size = std::abs(z);
    points.push_back(
        {f, z.real() + noise * size * gauss(random), z.imag() + noise * size * gauss(random)});
  }
  return points;
}

// The uncertainty from each step's own Kramers–Kronig noise, as odecet-cli --uncertainty gives it.
std::vector<PointUncertainty> FromFits(const std::vector<SpectrumPoint>& a,
                                       const std::vector<SpectrumPoint>& b) {
  const double sa = CheckKramersKronigAutomatic(a).noisePercent / 100.0;
  const double sb = CheckKramersKronigAutomatic(b).noisePercent / 100.0;
  return InQuadrature(FromRelativeNoise(a, sa), FromRelativeNoise(b, sb));
}

std::vector<SpectrumPoint> Difference(const std::vector<SpectrumPoint>& a,
                                      const std::vector<SpectrumPoint>& b) {
  std::vector<SpectrumPoint> diff(a.size());
  SubtractSpectra(a, static_cast<std::int32_t>(a.size()), b, static_cast<std::int32_t>(b.size()),
                  diff);
  return diff;
}

double Median(std::vector<double> values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

// At the median point the estimated u is the true one within a small factor, for each noise.
TEST(Uncertainty, FollowsTheTrueNoiseOfBothSteps) {
  for (const double noise : {0.001, 0.005, 0.01}) {
    for (const unsigned seed : {1u, 2u, 3u}) {
      SCOPED_TRACE(testing::Message() << "noise " << noise << ", seed " << seed);
      const auto four = Measure(1.0, noise, seed);
      const auto three = Measure(0.8, noise, seed + 100);
      const auto u = FromFits(four, three);
      std::vector<double> ratios;
      for (std::size_t i = 0; i < u.size(); ++i) {
        const double truth =
            noise * std::hypot(std::abs(Cell(four[i].f, 1.0)), std::abs(Cell(four[i].f, 0.8)));
        ratios.push_back(u[i].re / truth);
      }
      const double ratio = Median(ratios);
      EXPECT_GT(ratio, 0.7);
      EXPECT_LT(ratio, 1.4);
    }
  }
}

TEST(Uncertainty, IsNearZeroWithoutNoise) {
  const auto four = Measure(1.0, 0.0, 1);
  const auto three = Measure(0.8, 0.0, 1);
  const auto u = FromFits(four, three);
  for (std::size_t i = 0; i < u.size(); ++i) {
    EXPECT_LT(u[i].re, 1e-6 * std::abs(Cell(four[i].f, 1.0)));
    EXPECT_EQ(u[i].re, u[i].im);
  }
}

// Two measurements of one cell differ by their noise alone: nearly every point lies within 2u
// of zero (95 % for Gaussian noise on each part, so about nine in ten points on both).
TEST(Uncertainty, TwoMeasurementsOfOneCellLieWithinTwoU) {
  for (const double noise : {0.001, 0.005, 0.01}) {
    for (const unsigned seed : {1u, 2u}) {
      SCOPED_TRACE(testing::Message() << "noise " << noise << ", seed " << seed);
      const auto first = Measure(1.0, noise, seed);
      const auto second = Measure(1.0, noise, seed + 50);
      const auto diff = Difference(first, second);
      const std::size_t within = PointsWithinTwoU(diff, FromFits(first, second));
      EXPECT_GE(within, 49u) << within << " of 61";
    }
  }
  // A removed rib is well outside it.
  const auto four = Measure(1.0, 0.001, 7);
  const auto three = Measure(0.8, 0.001, 8);
  EXPECT_LT(PointsWithinTwoU(Difference(four, three), FromFits(four, three)), 20u);
}

TEST(Uncertainty, RepeatsGiveTheirSampleStandardDeviation) {
  const std::vector<std::vector<SpectrumPoint>> repeats = {
      {{100, 1.0, -2.0}, {10, 5.0, 0.0}},
      {{100, 3.0, -2.0}, {10, 5.0, 1.0}},
      {{100, 2.0, -2.0}, {10, 5.0, 2.0}},
  };
  const auto u = SpreadOfRepeats(repeats);
  ASSERT_EQ(u.size(), 2u);
  EXPECT_DOUBLE_EQ(u[0].re, 1.0);
  EXPECT_DOUBLE_EQ(u[0].im, 0.0);
  EXPECT_DOUBLE_EQ(u[1].re, 0.0);
  EXPECT_DOUBLE_EQ(u[1].im, 1.0);
  const auto both = InQuadrature(u, u);
  EXPECT_DOUBLE_EQ(both[0].re, std::sqrt(2.0));
  // The boundary counts as within: |Δ| = 2u.
  EXPECT_EQ(PointsWithinTwoU(std::vector<SpectrumPoint>{{100, 2.0, 0.0}, {10, 0.0, 2.1}}, u), 1u);
}

}  // namespace
