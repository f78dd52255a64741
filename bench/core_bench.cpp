// Speed of each core stage on a full table (1000 points), and of number text against the
// C library's conversions measured in the same run.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "analysis/kk_automatic.h"
#include "analysis/kramers_kronig.h"
#include "report/difference.h"
#include "report/report_text.h"
#include "spectrum/decimal_text.h"
#include "spectrum/step_file.h"

using namespace odecet;

namespace {

// Realistic measured values: log-spaced frequencies, resistances of a few Ohm to kOhm.
std::vector<SpectrumPoint> RandomPoints(unsigned seed) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> spread(0.5, 2.0);
  std::vector<SpectrumPoint> points;
  for (int i = 0; i < MaxPoints; ++i) {
    const double f = 1e5 * std::pow(10.0, -6.0 * i / (MaxPoints - 1));
    points.push_back({f, 150.0 * spread(random), -40.0 * spread(random)});
  }
  return points;
}

std::string StepText(const std::vector<SpectrumPoint>& points, char separator) {
  std::string text = std::to_string(points.size()) + "\r\n";
  for (const auto& p : points) {
    for (double v : {p.f, p.re, p.im}) {
      char cell[32];
      std::snprintf(cell, sizeof cell, "%.6g", v);
      for (char* c = cell; *c; ++c) {
        if (*c == '.')
          *c = separator;
      }
      text += cell;
      text += '\t';
    }
    text += "\r\n";
  }
  return text;
}

std::vector<std::string> Tokens(char separator) {
  std::vector<std::string> tokens;
  for (const auto& p : RandomPoints(7)) {
    for (double v : {p.f, p.re, p.im}) {
      char cell[32];
      std::snprintf(cell, sizeof cell, "%.6g", v);
      for (char* c = cell; *c; ++c) {
        if (*c == '.')
          *c = separator;
      }
      tokens.emplace_back(cell);
    }
  }
  return tokens;
}

std::vector<double> Values() {
  std::vector<double> values;
  const auto a = RandomPoints(1);
  const auto b = RandomPoints(2);
  for (std::size_t i = 0; i < a.size(); ++i) {
    values.push_back(a[i].f);
    values.push_back(b[i].re - a[i].re);  // differences have all 15 digits to write
    values.push_back(a[i].im - b[i].im);
  }
  return values;
}

void ReadStepFile1000(benchmark::State& state) {
  const std::string text = StepText(RandomPoints(1), ',');
  for (auto _ : state) {
    Spectrum file = ReadStepText(text, ',', "bench");
    benchmark::DoNotOptimize(file.points.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}
BENCHMARK(ReadStepFile1000)->Unit(benchmark::kMicrosecond);

void ComputeDifference1000(benchmark::State& state) {
  const auto step1 = RandomPoints(1);
  auto step2 = RandomPoints(2);
  for (std::size_t i = 0; i < step1.size(); ++i)
    step2[i].f = step1[i].f;
  std::vector<SpectrumPoint> diff(step1.size());
  for (auto _ : state) {
    benchmark::DoNotOptimize(SubtractSpectra(step1, MaxPoints, step2, MaxPoints, diff));
    benchmark::ClobberMemory();
  }
}
BENCHMARK(ComputeDifference1000)->Unit(benchmark::kMicrosecond);

void FormatReport1000(benchmark::State& state) {
  const auto values = Values();
  std::vector<SpectrumPoint> points;
  for (std::size_t i = 0; i + 2 < values.size(); i += 3) {
    points.push_back({values[i], values[i + 1], values[i + 2]});
  }
  for (auto _ : state) {
    std::string report = FormatReport(points, ',');
    benchmark::DoNotOptimize(report.data());
  }
}
BENCHMARK(FormatReport1000)->Unit(benchmark::kMicrosecond);

// Number text, 3000 numbers per iteration, against the C library and the C++ library's
// locale-free conversions on the same numbers.
void ReadNumbers_StrToFloat(benchmark::State& state) {
  const auto tokens = Tokens(',');
  for (auto _ : state) {
    double sum = 0;
    for (const auto& token : tokens)
      sum += StrToFloat(token, ',');
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(ReadNumbers_StrToFloat)->Unit(benchmark::kMicrosecond);

void ReadNumbers_strtod(benchmark::State& state) {
  const auto tokens = Tokens('.');
  for (auto _ : state) {
    double sum = 0;
    for (const auto& token : tokens)
      sum += std::strtod(token.c_str(), nullptr);
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(ReadNumbers_strtod)->Unit(benchmark::kMicrosecond);

void ReadNumbers_from_chars(benchmark::State& state) {
  const auto tokens = Tokens('.');
  for (auto _ : state) {
    double sum = 0;
    for (const auto& token : tokens) {
      double value = 0;
      std::from_chars(token.data(), token.data() + token.size(), value);
      sum += value;
    }
    benchmark::DoNotOptimize(sum);
  }
}
BENCHMARK(ReadNumbers_from_chars)->Unit(benchmark::kMicrosecond);

void WriteNumbers_FloatToStr(benchmark::State& state) {
  const auto values = Values();
  std::string out;
  for (auto _ : state) {
    for (double v : values) {
      out.clear();
      AppendFloatText(out, v, ',');
      benchmark::DoNotOptimize(out.data());
    }
  }
}
BENCHMARK(WriteNumbers_FloatToStr)->Unit(benchmark::kMicrosecond);

void WriteNumbers_snprintf(benchmark::State& state) {
  const auto values = Values();
  char out[40];
  for (auto _ : state) {
    for (double v : values) {
      std::snprintf(out, sizeof out, "%.15g", v);
      benchmark::DoNotOptimize(out);
    }
  }
}
BENCHMARK(WriteNumbers_snprintf)->Unit(benchmark::kMicrosecond);

// Each sample value through the C++ library's `write`, into a buffer of 40 characters.
template <typename Write>
void WriteEachWith(benchmark::State& state, const Write& write) {
  const auto values = Values();
  char out[40];
  for (auto _ : state) {
    for (double v : values) {
      benchmark::DoNotOptimize(write(out, out + sizeof out, v));
      benchmark::ClobberMemory();
    }
  }
}

// 15 significant digits, as ours: the rounding and the digits without our layout of them.
void WriteNumbers_to_chars_15(benchmark::State& state) {
  WriteEachWith(state, [](char* first, char* last, double v) {
    return std::to_chars(first, last, v, std::chars_format::general, 15).ptr;
  });
}
BENCHMARK(WriteNumbers_to_chars_15)->Unit(benchmark::kMicrosecond);

// The shortest text that reads back exactly: up to 17 digits, a different job, for scale.
void WriteNumbers_to_chars_shortest(benchmark::State& state) {
  WriteEachWith(
      state, [](char* first, char* last, double v) { return std::to_chars(first, last, v).ptr; });
}
BENCHMARK(WriteNumbers_to_chars_shortest)->Unit(benchmark::kMicrosecond);

// The whole test on the 61-point sample that needs 17 RC elements, each M a fresh fit.
void KramersKronig61(benchmark::State& state) {
  const Spectrum file = LoadStepFile(ODECET_KK_SPECTRUM, '.');
  for (auto _ : state) {
    KramersKronigResult result = CheckKramersKronig(file.points);
    benchmark::DoNotOptimize(result.m);
  }
}
BENCHMARK(KramersKronig61)->Unit(benchmark::kMicrosecond);

// The automatic test on the reference spectra pyimpspec was timed on, where they are at hand.
void KramersKronigAutomatic(benchmark::State& state, const char* name) {
  const std::string path = std::string(ODECET_KK_REFERENCE "/") + name + ".txt";
  if (!std::filesystem::exists(path)) {
    state.SkipWithError("no reference spectra");
    return;
  }
  const Spectrum file = LoadStepFile(path, '.');
  for (auto _ : state) {
    KkAutomaticResult result = CheckKramersKronigAutomatic(file.points);
    benchmark::DoNotOptimize(result.m);
  }
}
BENCHMARK_CAPTURE(KramersKronigAutomatic, 61, "rc2-noise0.1")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(KramersKronigAutomatic, 1000, "randles-w-1000pt-noise0.1")
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
