#include "analysis/kk_automatic.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <filesystem>
#include <fstream>
#include <functional>
#include <numbers>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/kramers_kronig.h"

using namespace odecet;

namespace {

using Complex = std::complex<double>;
using Circuit = std::function<Complex(double omega)>;

Complex Rc(double r, double tau, double omega) {
  return r / (1.0 + Complex(0.0, omega * tau));
}

Complex Cpe(double q, double n, double omega) {
  return 1.0 / (q * std::pow(Complex(0.0, omega), n));
}

// A sweep from `high` down to `low` Hz, `perDecade` points a decade.
std::vector<double> Sweep(double high, double low, int perDecade) {
  std::vector<double> f;
  const int count = static_cast<int>(std::lround(std::log10(high / low) * perDecade));
  for (int i = 0; i <= count; ++i)
    f.push_back(high * std::pow(10.0, -static_cast<double>(i) / perDecade));
  return f;
}

// The circuit at each frequency with Gaussian noise of `noise` times |Z| on Re and on Im.
std::vector<SpectrumPoint> Measure(const Circuit& circuit, const std::vector<double>& f,
                                   double noise, unsigned seed = 7) {
  std::mt19937_64 random(seed);
  std::normal_distribution<double> gauss(0.0, 1.0);
  std::vector<SpectrumPoint> points;
  for (const double frequency : f) {
    const Complex z = circuit(2.0 * std::numbers::pi * frequency);
    const double size = std::abs(z);
    const double re = z.real() + noise * size * gauss(random);
    const double im = z.imag() + noise * size * gauss(random);
    points.push_back({frequency, re, im});
  }
  return points;
}

struct ValidCell {
  const char* name;
  Circuit circuit;
};

const std::vector<ValidCell>& ValidCells() {
  static const std::vector<ValidCell> cells = {
      {"R + (R‖C)", [](double w) { return 25.0 + Rc(800.0, 800.0 * 5e-6, w); }},
      {"two RC arcs", [](double w) { return 3.0 + Rc(40.0, 3e-5, w) + Rc(220.0, 0.05, w); }},
      {"R + (R‖CPE)", [](double w) { return 8.0 + 1.0 / (1.0 / 400.0 + 1.0 / Cpe(1e-5, 0.8, w)); }},
      {"semi-infinite Warburg",
       [](double w) {
         const Complex warburg = 150.0 * std::pow(w, -0.5) * Complex(1.0, -1.0);
         return 30.0 + 1.0 / (1.0 / Cpe(5e-6, 0.88, w) + 1.0 / (600.0 + warburg));
       }},
      {"bounded Warburg",
       [](double w) {
         const Complex s = std::sqrt(Complex(0.0, w * 0.8));
         const Complex warburg = 60.0 * std::tanh(s) / s;
         return 4.0 + 1.0 / (Complex(0.0, w * 5e-5) + 1.0 / (25.0 + warburg));
       }},
      {"blocking electrode",
       [](double w) { return 10.0 + Rc(2000.0, 2000.0 * 2e-8, w) + 1.0 / Complex(0.0, w * 2e-6); }},
      {"inductive lead",
       [](double w) { return Complex(0.0, w * 1e-6) + 0.8 + Rc(12.0, 12.0 * 5e-4, w); }},
      {"inductive loop", [](double w) { return 20.0 + Rc(250.0, 5e-4, w) + Rc(-60.0, 0.4, w); }},
      {"Gerischer", [](double w) { return 5.0 + 60.0 / std::sqrt(1.0 + Complex(0.0, w * 1e-3)); }},
      {"transmission line",
       [](double w) {
         const Complex interface = 1.0 / (1.0 / 200.0 + Complex(0.0, w * 5e-4));
         return 2.0 + std::sqrt(25.0 * interface) / std::tanh(std::sqrt(25.0 / interface));
       }},
  };
  return cells;
}

// A Kramers–Kronig-valid cell passes at any noise, and the noise it shows is the noise it has.
TEST(KramersKronigAutomatic, ValidCellsPassAtEveryNoiseLevel) {
  const std::vector<double> f = Sweep(1e5, 0.1, 10);
  for (const ValidCell& cell : ValidCells()) {
    for (const double noise : {0.0, 0.001, 0.01}) {
      for (const unsigned seed : {1u, 2u}) {
        SCOPED_TRACE(testing::Message() << cell.name << ", noise " << noise << ", seed " << seed);
        const auto points = Measure(cell.circuit, f, noise, seed);
        const KkAutomaticResult result = CheckKramersKronigAutomatic(points);
        EXPECT_TRUE(result.passed) << KkReasonText(result, points, '.');
        if (noise == 0.0) {
          EXPECT_EQ(result.finding, KkFinding::kBelowLimit);
          EXPECT_LT(std::max(result.maxResidualRe, result.maxResidualIm), 0.01);
        } else {
          EXPECT_GT(result.noisePercent, 0.6 * 100.0 * noise);
          EXPECT_LT(result.noisePercent, 1.4 * 100.0 * noise);
        }
      }
    }
  }
}

// Each defect of a measurement is suspect, with its own reason.
TEST(KramersKronigAutomatic, MadeDefectsAreSuspect) {
  const Circuit randles = [](double w) {
    const Complex warburg = 25.0 * std::pow(w, -0.5) * Complex(1.0, -1.0);
    return 6.0 + 1.0 / (1.0 / Cpe(4e-5, 0.9, w) + 1.0 / (70.0 + warburg));
  };
  const std::vector<double> f = Sweep(1e5, 0.1, 10);
  // The cell grows by `rate` per second of the sweep; a point takes a second and two periods.
  const auto drifting = [&](double rate, double noise) {
    auto points = Measure(randles, f, noise);
    double time = 0.0;
    for (SpectrumPoint& p : points) {
      const double lasts = 1.0 + 2.0 / p.f;
      const double grown = 1.0 + rate * (time + lasts / 2.0);
      time += lasts;
      p.re *= grown;
      p.im *= grown;
    }
    return points;
  };
  const auto stepped = [&] {
    auto points = Measure([](double w) { return 10.0 + Rc(150.0, 2e-3, w); }, f, 0.0);
    const auto after = Measure([](double w) { return 10.0 + Rc(135.0, 2e-3, w); }, f, 0.0);
    std::copy(after.begin() + 25, after.end(), points.begin() + 25);
    return points;
  };
  const auto swapped = [&] {
    auto points =
        Measure([](double w) { return 4.0 + Rc(60.0, 1e-4, w) + Rc(40.0, 0.02, w); }, f, 0.001);
    std::swap(points[44].re, points[44].im);
    return points;
  };
  const auto shifted = [&] {
    std::vector<double> grid = Sweep(1e4, 1.0, 8);
    for (const double g : Sweep(1.0, 0.1, 3))
      if (g < 1.0)
        grid.push_back(g);
    const Circuit cpe = [](double w) {
      return 7.0 + 1.0 / (1.0 / 90.0 + 1.0 / Cpe(2e-5, 0.82, w));
    };
    auto points = Measure(cpe, grid, 0.0);
    std::vector<SpectrumPoint> moved;
    for (std::size_t i = 1; i < points.size(); ++i)
      moved.push_back({points[i - 1].f, points[i].re, points[i].im});
    return moved;
  };
  // Random everywhere, but the low-frequency third fifty times noisier: a contact that went bad.
  const auto uneven = [&] {
    auto points = Measure(randles, f, 0.001);
    const auto noisy = Measure(randles, f, 0.05, 9);
    std::copy(noisy.begin() + 41, noisy.end(), points.begin() + 41);
    return points;
  };
  const struct {
    const char* name;
    std::vector<SpectrumPoint> points;
    KkFinding finding;
  } defects[] = {
      {"slow drift, no noise", drifting(5e-5, 0.0), KkFinding::kSystematic},
      {"drift, no noise", drifting(5e-4, 0.0), KkFinding::kSystematic},
      {"drift under 0.1 % noise", drifting(2e-3, 0.001), KkFinding::kSystematic},
      {"step change", stepped(), KkFinding::kSystematic},
      {"swapped point", swapped(), KkFinding::kOutlier},
      {"shifted frequencies", shifted(), KkFinding::kOutlier},
      {"noise far larger over a third of the sweep", uneven(), KkFinding::kUnevenNoise},
  };
  for (const auto& defect : defects) {
    SCOPED_TRACE(defect.name);
    const KkAutomaticResult result = CheckKramersKronigAutomatic(defect.points);
    EXPECT_FALSE(result.passed);
    EXPECT_EQ(result.finding, defect.finding) << KkReasonText(result, defect.points, ',');
  }
}

// Nothing but ratios: ohms and hertz in any unit give the same fit and verdict.
TEST(KramersKronigAutomatic, TheUnitsOfOhmsAndHertzChangeNothing) {
  const auto points = Measure(ValidCells()[3].circuit, Sweep(1e5, 0.1, 10), 0.001);
  const KkAutomaticResult reference = CheckKramersKronigAutomatic(points);
  for (const double ohms : {1e-12, 1e12}) {
    for (const double hertz : {1e-11, 1e4}) {  // 1e-6 Hz and 1e9 Hz at the ends
      SCOPED_TRACE(testing::Message() << ohms << " Ω, " << hertz << " Hz");
      auto scaled = points;
      for (SpectrumPoint& p : scaled)
        p = {p.f * hertz, p.re * ohms, p.im * ohms};
      const KkAutomaticResult result = CheckKramersKronigAutomatic(scaled);
      EXPECT_EQ(result.m, reference.m);
      EXPECT_EQ(result.representation, reference.representation);
      EXPECT_NEAR(result.maxResidualRe, reference.maxResidualRe, 1e-6);
      EXPECT_NEAR(result.maxResidualIm, reference.maxResidualIm, 1e-6);
      EXPECT_EQ(result.passed, reference.passed);
    }
  }
}

TEST(KramersKronigAutomatic, WhatCannotBeVerifiedIsNeverAPass) {
  const auto points = Measure(ValidCells()[0].circuit, Sweep(1e5, 0.1, 10), 0.0);
  std::vector<std::vector<SpectrumPoint>> spectra = {
      {points[0], points[1]},  // too few to fit anything
      {points[0], points[1], {points[2].f, NAN, 1.0}},
  };
  auto spread = points;
  spread[0].re = 1e300;  // |Z| over more decades than a double holds, with the rest
  spread[1] = {spread[1].f, 1e-300, -1e-300};
  spectra.push_back(spread);
  for (const auto& spectrum : spectra) {
    try {
      const KkAutomaticResult result = CheckKramersKronigAutomatic(spectrum);
      EXPECT_FALSE(result.passed);
      EXPECT_TRUE(std::isfinite(result.pseudoChiSquare));
    } catch (const KramersKronigError& error) {
      EXPECT_NE(std::string(error.what()).find("nelze"), std::string::npos);
    }
  }
}

// Each M fitted is offered for a plot, the chosen one among them.
TEST(KramersKronigAutomatic, TheChosenMIsAmongTheCandidates) {
  const auto points = Measure(ValidCells()[1].circuit, Sweep(1e5, 0.1, 10), 0.001);
  const KkAutomaticResult result = CheckKramersKronigAutomatic(points);
  ASSERT_FALSE(result.candidates.empty());
  EXPECT_EQ(result.candidates.front().m, 2);
  EXPECT_TRUE(std::any_of(result.candidates.begin(), result.candidates.end(),
                          [&](const KkCandidate& c) { return c.m == result.m; }));
}

// The spectra pyimpspec 5 was run on, where they are at hand: each valid one passes with
// residuals no larger than pyimpspec's (give or take the noise), each broken one is suspect.
TEST(KramersKronigAutomatic, AgreesWithTheReferenceAnswers) {
  const std::filesystem::path folder = ODECET_KK_REFERENCE;
  if (!std::filesystem::is_directory(folder))
    GTEST_SKIP() << "no reference spectra at " << folder;
  int compared = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (entry.path().extension() != ".json")
      continue;
    std::ifstream json(entry.path());
    const std::string text((std::istreambuf_iterator<char>(json)), {});
    const auto field = [&](const std::string& name) -> std::optional<double> {
      std::smatch match;
      if (std::regex_search(text, match, std::regex("\"" + name + "\": ([-0-9.e+]+)")))
        return std::stod(match[1]);
      return std::nullopt;
    };
    const bool valid = text.find("\"class\": \"valid\"") != std::string::npos;
    std::ifstream step(std::filesystem::path(entry.path()).replace_extension(".txt"));
    std::size_t count = 0;
    step >> count;
    std::vector<SpectrumPoint> points(count);
    for (SpectrumPoint& p : points)
      step >> p.f >> p.re >> p.im;
    SCOPED_TRACE(entry.path().filename().string());
    const KkAutomaticResult result = CheckKramersKronigAutomatic(points);
    EXPECT_EQ(result.passed, valid) << KkReasonText(result, points, '.');
    const auto re = field("max_abs_residual_re_percent");
    const auto im = field("max_abs_residual_im_percent");
    const auto noise = field("noise_percent");
    if (valid && re && im && noise) {
      const double theirs = std::max(*re, *im);
      EXPECT_LE(std::max(result.maxResidualRe, result.maxResidualIm),
                std::max(1.25 * theirs, theirs + *noise));
    }
    ++compared;
  }
  EXPECT_GT(compared, 0);
}

}  // namespace
