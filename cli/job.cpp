#include "cli/job.h"

#include <unistd.h>

#include <cerrno>
#include <new>

#include "cli/run.h"
#include "instruments/spectrum_file.h"
#include "report/csv_table.h"
#include "report/difference.h"
#include "report/report_file.h"
#include "report/report_text.h"
#include "spectrum/errors.h"
#include "spectrum/step_file.h"
#include "spectrum/system_error_text.h"

namespace {

constexpr std::string_view kProgram = "odecet-cli: ";

StepFile LoadStep(const std::string& path, char separator) {
  if (path == "-")
    return ReadSpectrumDescriptor(STDIN_FILENO, separator, "standardní vstup").file;
  return LoadSpectrum(path, separator).file;
}

}  // namespace

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
  return settings;
}

void Complain(std::FILE* err, std::string_view text, std::string_view label) {
  while (!text.empty()) {
    const auto end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    std::fwrite(kProgram.data(), 1, kProgram.size(), err);
    if (!label.empty())  // an empty view may have no data pointer, which fwrite must not get
      std::fwrite(label.data(), 1, label.size(), err);
    std::fwrite(line.data(), 1, line.size(), err);
    std::fputc('\n', err);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
}

int Subtract(const std::string& path1, const std::string& path2, const JobSettings& settings,
             std::vector<SpectrumPoint>& diff, const Say& say) {
  StepFile step1;
  StepFile step2;
  try {
    step1 = LoadStep(path1, settings.separator);
    step2 = LoadStep(path2, settings.separator);
  } catch (const StepFileError& error) {
    say(error.what());
    if (settings.locale && !settings.locale->known) {
      // The likeliest cause: a comma file on a machine where that locale was never generated.
      say(UnknownLocaleHint(*settings.locale) +
          "; jiný oddělovač zadejte volbou --decimal-separator.");
    }
    return kBadStepFile;
  } catch (const std::bad_alloc&) {
    say("Pro načtení souborů kroků není dost paměti.");
    return kBadStepFile;
  }

  diff.resize(step1.points.size());
  DifferenceResult result;
  try {
    result = SubtractSpectra(step1.points, step1.count, step2.points, step2.count, diff,
                             settings.tolerance);
  } catch (const DifferenceRangeError& error) {
    say(error.what());
    return kBadStepFile;
  }
  if (result.mismatch != Mismatch::kNone) {
    say(MismatchText(result.mismatch));
    say(MismatchDetail(result, step1.points, step1.count, step2.points, step2.count,
                       settings.separator));
    return kSpectraDiffer;
  }
  return kReportWritten;
}

ByteSource ReportSource(const std::vector<SpectrumPoint>& diff, const JobSettings& settings) {
  if (settings.format == CommandLine::Format::kCsv)
    return [&diff](const ByteSink& put) { StreamCsvTable(diff, put); };
  return [&diff, separator = settings.separator](const ByteSink& put) {
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
