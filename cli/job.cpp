#include "cli/job.h"

#include <array>
#include <cerrno>
#include <cmath>
#include <new>
#include <utility>

#include "analysis/kk_automatic.h"
#include "analysis/kramers_kronig.h"
#include "analysis/uncertainty.h"
#include "cli/descriptor_path.h"
#include "cli/run.h"
#include "instruments/spectrum_file.h"
#include "program/operand.h"
#include "report/csv_table.h"
#include "report/difference.h"
#include "report/report_text.h"
#include "spectrum/decimal_text.h"
#include "spectrum/errors.h"
#include "spectrum/message_text.h"
#include "spectrum/step_file.h"
#include "spectrum/system_error_text.h"

namespace odecet {

namespace {

Spectrum LoadStep(const std::string& path, char separator, int sweep, const Say& say) {
  LoadedSpectrum loaded = LoadOperand(path, separator, SpectrumSources::kMeasurements, sweep);
  if (loaded.zeroHertzRows != 0)
    say(ZeroHertzNote(OperandName(path), loaded.zeroHertzRows));
  return std::move(loaded.spectrum);
}

// The noise of one step at each point: the spread of its repeated measurements where there are
// any, else the relative noise its Kramers–Kronig fit shows. Describes the source in `how`.
int StepUncertainty(const std::string& path, const std::vector<SpectrumPoint>& points,
                    const std::vector<std::string>& repeats, const JobSettings& settings,
                    std::vector<PointUncertainty>& u, std::string& how, const Say& say) {
  const std::string name = OperandName(path);
  if (repeats.empty()) {
    try {
      const double noise = CheckKramersKronigAutomatic(points).noisePercent;
      u = FromRelativeNoise(points, noise / 100.0);
      std::string percent = FloatToStr(std::round(noise * 1000.0) / 1000.0, settings.separator);
      how = "šum " + percent + " % z Kramersovy–Kronigovy zkoušky";
    } catch (const KramersKronigError& error) {
      say("Nejistotu nelze určit: soubor „" + VisibleText(name) + "“: " + error.what());
      return kBadFile;
    }
    return kDone;
  }
  std::vector<std::vector<SpectrumPoint>> measurements = {points};
  for (const std::string& repeat : repeats) {
    try {
      measurements.push_back(LoadStep(repeat, settings.separator, settings.sweep, say).points);
    } catch (const StepFileError& error) {
      say(error.what());
      return kBadFile;
    }
    // The same points at the same frequencies, by the subtraction's own check.
    std::vector<SpectrumPoint> unused(points.size());
    const std::vector<SpectrumPoint>& again = measurements.back();
    const DifferenceResult check =
        SubtractSpectra(points, static_cast<std::int32_t>(points.size()), again,
                        static_cast<std::int32_t>(again.size()), unused, settings.tolerance);
    if (check.mismatch != Mismatch::kNone) {
      say("Opakované měření „" + VisibleText(repeat) + "“ neodpovídá souboru „" +
          VisibleText(name) + "“: " + MismatchText(check.mismatch));
      say(MismatchDetail(check, points, static_cast<std::int32_t>(points.size()), again,
                         static_cast<std::int32_t>(again.size()), settings.separator));
      return kSpectraDiffer;
    }
  }
  u = SpreadOfRepeats(measurements);
  how = "rozptyl " + std::to_string(measurements.size()) + " měření";
  return kDone;
}

int AddUncertainty(const std::array<std::string, 2>& paths,
                   const std::array<const std::vector<SpectrumPoint>*, 2>& steps,
                   const JobSettings& settings, JobOutput& output, const Say& say) {
  std::array<std::vector<PointUncertainty>, 2> u;
  std::array<std::string, 2> how;
  for (std::size_t k = 0; k < 2; ++k) {
    const std::vector<std::string>& repeats = k == 0 ? settings.repeats1 : settings.repeats2;
    if (const int status =
            StepUncertainty(paths[k], *steps[k], repeats, settings, u[k], how[k], say))
      return status;
  }
  output.uncertainty = InQuadrature(u[0], u[1]);
  const std::size_t within = PointsWithinTwoU(output.diff, output.uncertainty);
  say(std::to_string(within) + " z " + std::to_string(output.diff.size()) +
      " bodů rozdílu leží v rámci 2u od nuly (KROK1: " + how[0] + ", KROK2: " + how[1] + ").");
  return kDone;
}

}  // namespace

std::string ZeroHertzNote(std::string_view fileName, std::size_t rows) {
  return "Soubor „" + VisibleText(fileName) +
         "“: vynechány řádky s kmitočtem 0 Hz (počet: " + std::to_string(rows) +
         "), čekání nebo stejnosměrné měření přístroje, ne body spektra.";
}

std::string SweepHint() {
  return "Vyberte jedno měření volbou --sweep=N (1 první, 2 druhé, -1 poslední).";
}

JobSettings SettingsOf(const CommandLine& line) {
  JobSettings settings;
  if (line.decimalSeparator) {
    settings.separator = *line.decimalSeparator;
  } else {
    settings.locale = SystemNumericLocale();
    settings.separator = settings.locale->separator;
  }
  settings.format = line.format;
  settings.tolerance = line.tolerance;
  settings.uncertainty = line.uncertainty;
  settings.repeats1 = line.repeats1;
  settings.repeats2 = line.repeats2;
  settings.sweep = line.sweep.value_or(kNoSweepChosen);
  return settings;
}

int Subtract(const std::string& path1, const std::string& path2, const JobSettings& settings,
             JobOutput& output, const Say& say, const SweepChoices& sweeps) {
  std::vector<SpectrumPoint>& diff = output.diff;
  output.uncertainty.clear();
  Spectrum step1;
  Spectrum step2;
  const int sweep1 = sweeps.step1.value_or(settings.sweep);
  const int sweep2 = sweeps.step2.value_or(settings.sweep);
  try {
    step1 = LoadStep(path1, settings.separator, sweep1, say);
    step2 = LoadStep(path2, settings.separator, sweep2, say);
  } catch (const SweepChoiceError& error) {
    say(error.what());
    if (sweep1 == kNoSweepChosen || sweep2 == kNoSweepChosen)
      say(SweepHint());
    return kBadFile;
  } catch (const StepFileError& error) {
    say(error.what());
    if (settings.locale && !settings.locale->known) {
      // The likeliest cause: a comma file on a machine where that locale was never generated.
      say(UnknownLocaleHint(*settings.locale) +
          "; jiný oddělovač zadejte volbou --decimal-separator.");
    }
    return kBadFile;
  } catch (const std::bad_alloc&) {
    say("Pro načtení souborů kroků není dost paměti.");
    return kBadFile;
  }

  diff.resize(step1.points.size());
  DifferenceResult result;
  try {
    result = SubtractSpectra(step1.points, step1.count, step2.points, step2.count, diff,
                             settings.tolerance);
  } catch (const DifferenceRangeError& error) {
    say(error.what());
    return kBadFile;
  }
  if (result.mismatch != Mismatch::kNone) {
    say(MismatchText(result.mismatch));
    say(MismatchDetail(result, step1.points, step1.count, step2.points, step2.count,
                       settings.separator));
    return kSpectraDiffer;
  }
  if (settings.uncertainty)
    return AddUncertainty({path1, path2}, {&step1.points, &step2.points}, settings, output, say);
  return kDone;
}

int RunJob(const std::string& path1, const std::string& path2, const JobSettings& settings,
           JobOutput& output, const Say& say, const SweepChoices& sweeps,
           const ReportWriter& write) {
  if (const int status = Subtract(path1, path2, settings, output, say, sweeps))
    return status;
  try {
    write(ReportSource(output, settings));
  } catch (const ReportWriteError& error) {
    say(error.what());
    return kNotWritten;
  }
  return kDone;
}

ByteSource ReportSource(const JobOutput& output, const JobSettings& settings) {
  if (settings.format == CommandLine::Format::kCsv)
    return [&output](const ByteSink& put) { StreamCsvTable(output.diff, put, output.uncertainty); };
  return [&diff = output.diff, separator = settings.separator](const ByteSink& put) {
    StreamReport(diff, separator, put);
  };
}

bool WriteUnreplaced(const std::optional<std::string>& report, const ByteSource& source,
                     std::FILE* out) {
  if (!report || *report == "-") {
    source([out](std::string_view piece) {
      if (std::fwrite(piece.data(), 1, piece.size(), out) != piece.size())
        throw ReportWriteError(
            "Výsledek nelze zapsat na standardní výstup: " + SystemErrorText(errno) + ".");
    });
    if (std::fflush(out) != 0)
      throw ReportWriteError(
          "Výsledek nelze zapsat na standardní výstup: " + SystemErrorText(errno) + ".");
    return true;
  }
  const auto fd = DescriptorNamedBy(*report);
  if (!fd)
    return false;
  std::fflush(out);
  source([&](std::string_view piece) { WriteToDescriptor(*fd, piece, *report); });
  return true;
}

}  // namespace odecet
