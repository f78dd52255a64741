#include <gtest/gtest.h>

#include <QLogValueAxis>
#include <QValueAxis>
#include <QXYSeries>
#include <cmath>
#include <complex>

#include "viewer/bode_chart.h"
#include "viewer/chart_axes.h"
#include "viewer/kk_chart.h"
#include "viewer/kk_choice_chart.h"

using namespace odecet;

namespace {

Extent Span(double low, double high) {
  Extent extent;
  extent.Add(low);
  extent.Add(high);
  return extent;
}

TEST(ChartAxes, StepsAreOneTwoOrFiveTimesAPowerOfTen) {
  const struct {
    double span;
    int parts;
    double step;
  } cases[] = {{100.0, 8, 20.0}, {300.0, 8, 50.0}, {0.7, 7, 0.1}, {1e-4, 4, 5e-5}, {0.0, 8, 1.0}};
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(NiceStep(c.span, c.parts), c.step) << c.span;
}

TEST(ChartAxes, LogarithmicAxesCoverWholeDecadesWithTheirEndsLabelled) {
  const struct {
    double low, high, fromDecade, toDecade;
  } cases[] = {{0.1, 1e5, -1, 5}, {12.3, 290.0, 1, 3}, {10.0, 10.0, 1, 2}, {0.0, 0.0, 0, 5}};
  for (const auto& c : cases) {
    QLogValueAxis axis;
    FitLogAxis(&axis, c.low > 0.0 ? Span(c.low, c.high) : Extent{});
    // A hair beyond the decades, so rounding cannot drop the label at either end.
    EXPECT_LT(axis.min(), std::pow(10.0, c.fromDecade)) << c.low;
    EXPECT_GT(axis.min(), std::pow(10.0, c.fromDecade) * 0.999) << c.low;
    EXPECT_GT(axis.max(), std::pow(10.0, c.toDecade)) << c.high;
    EXPECT_LT(axis.max(), std::pow(10.0, c.toDecade) * 1.001) << c.high;
  }
}

TEST(ChartAxes, LinearAxesEndOnWholeSteps) {
  QValueAxis axis;
  FitLinearAxis(&axis, Span(-3.2, 54.9), 6);
  EXPECT_DOUBLE_EQ(axis.min(), -10.0);
  EXPECT_DOUBLE_EQ(axis.max(), 60.0);
  EXPECT_DOUBLE_EQ(axis.tickInterval(), 10.0);
}

// A logarithmic axis cannot show a point at zero frequency; the others are drawn and the
// phase is −φ, positive for a capacitive point.
TEST(BodeChart, LeavesOutPointsALogarithmicAxisCannotShow) {
  PlottedSpectrum spectrum;
  spectrum.name = QStringLiteral("s.txt");
  spectrum.points = {{0.0, 10.0, 0.0}, {10.0, 10.0, -10.0}, {1000.0, 20.0, 0.0}};
  BodeChart chart;
  chart.Show({spectrum}, 0);
  ASSERT_EQ(chart.series().size(), 2);
  const auto* modulus = static_cast<QXYSeries*>(chart.series()[0]);
  const auto* phase = static_cast<QXYSeries*>(chart.series()[1]);
  ASSERT_EQ(modulus->count(), 2);
  EXPECT_DOUBLE_EQ(modulus->at(0).y(), std::hypot(10.0, 10.0));
  EXPECT_DOUBLE_EQ(phase->at(0).y(), 45.0);
  EXPECT_DOUBLE_EQ(phase->at(1).y(), 0.0);
  EXPECT_DOUBLE_EQ(chart.axisPhase()->min(), 0.0);
}

TEST(KramersKronigChart, ChecksTheSelectedFileAndShowsWhy) {
  std::vector<PlottedSpectrum> spectra(2);
  spectra[0].name = QStringLiteral("prvni.txt");
  spectra[1].name = QStringLiteral("druhy.txt");
  for (double f = 1e5; f > 0.05; f /= std::pow(10.0, 0.1)) {
    const std::complex<double> z = 10.0 + 100.0 / (1.0 + std::complex<double>(0.0, f * 1e-3));
    spectra[0].points.push_back({f, z.real(), z.imag()});
    // The same cell with its resistance growing through the sweep.
    const double grown = 1.0 + 0.2 * static_cast<double>(spectra[1].points.size()) / 60.0;
    const std::complex<double> drifted =
        10.0 + 100.0 * grown / (1.0 + std::complex<double>(0.0, f * 1e-3));
    spectra[1].points.push_back({f, drifted.real(), drifted.imag()});
  }
  KramersKronigChart chart;
  KkChoiceChart choice;
  chart.SetChoiceChart(&choice);
  chart.resize(800, 600);

  chart.Show(spectra, 0);
  EXPECT_TRUE(chart.summary().startsWith(QStringLiteral("prvni.txt: M = ")))
      << chart.summary().toStdString();
  EXPECT_TRUE(chart.summary().contains(QStringLiteral("zobrazení ")));
  EXPECT_TRUE(chart.verdict().startsWith(QStringLiteral("v pořádku: ")))
      << chart.verdict().toStdString();
  ASSERT_TRUE(chart.result().has_value());
  // µ, χ² and the chosen M's mark, with the chosen M among those fitted.
  ASSERT_EQ(choice.series().size(), 3);
  EXPECT_TRUE(choice.title().contains(QStringLiteral("M = %1").arg(chart.result()->m)));

  chart.Show(spectra, 1);
  EXPECT_TRUE(chart.verdict().startsWith(QStringLiteral("podezřelé: odchylky nejsou náhodné")))
      << chart.verdict().toStdString();
  // The verdict sits inside the chart, above the plot, however narrow the window.
  chart.resize(500, 400);
  EXPECT_LT(chart.verdict().size(), 400);
  EXPECT_GT(chart.plotArea().top(), 0.0);
  // A picture's own top margin comes first, the verdict under it, the title under both.
  chart.SetTopMargin(30);
  EXPECT_GE(chart.margins().top(), 30 + 20);

  chart.Show(spectra, -1);
  EXPECT_TRUE(chart.series().isEmpty());
  EXPECT_TRUE(chart.verdict().isEmpty());
  EXPECT_TRUE(choice.series().isEmpty());
}

}  // namespace
