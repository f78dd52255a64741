#include "cli/run.h"

#include <unistd.h>

#include <cerrno>
#include <new>
#include <span>
#include <string_view>

#include "cli/command_line.h"
#include "cli/kk_check.h"
#include "instruments/spectrum_file.h"
#include "report/csv_table.h"
#include "report/difference.h"
#include "report/report_file.h"
#include "report/report_text.h"
#include "spectrum/decimal_separator.h"
#include "spectrum/errors.h"
#include "spectrum/message_text.h"
#include "spectrum/step_file.h"
#include "spectrum/system_error_text.h"

namespace {

constexpr std::string_view kProgram = "odecet-cli: ";

// A diagnostic on standard error: every line starts with the program's name.
void Complain(std::FILE* err, std::string_view text) {
  while (!text.empty()) {
    const auto end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    std::fwrite(kProgram.data(), 1, kProgram.size(), err);
    std::fwrite(line.data(), 1, line.size(), err);
    std::fputc('\n', err);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
  }
}

bool WriteToStream(std::FILE* out, const std::string& bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() && std::fflush(out) == 0;
}

StepFile LoadStep(const std::string& path, char separator) {
  if (path == "-")
    return ReadSpectrumDescriptor(STDIN_FILENO, separator, "standardní vstup").file;
  return LoadSpectrum(path, separator).file;
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err) {
  CommandLine line;
  try {
    line = ParseCommandLine(arguments);
  } catch (const UsageError& error) {
    Complain(err, error.what());
    std::fputs("Nápovědu vypíše „odecet-cli --help“.\n", err);
    return kWrongUsage;
  }
  if (line.action == CommandLine::Action::kHelp) {
    std::fprintf(out, "%s\n%s", kUsage, kHelp);
    return kReportWritten;
  }
  if (line.action == CommandLine::Action::kVersion) {
    std::fputs("odecet-cli " ODECET_VERSION "\n", out);
    return kReportWritten;
  }

  const NumericLocale locale = SystemNumericLocale();
  const char separator = line.decimalSeparator.value_or(locale.separator);
  if (line.action == CommandLine::Action::kKk)
    return RunKramersKronigCheck(line, separator, out, err);
  StepFile step1;
  StepFile step2;
  try {
    step1 = LoadStep(line.step1, separator);
    step2 = LoadStep(line.step2, separator);
  } catch (const StepFileError& error) {
    Complain(err, error.what());
    if (!locale.known && !line.decimalSeparator) {
      // The likeliest cause: a comma file on a machine where that locale was never generated.
      Complain(err,
               UnknownLocaleHint(locale) + "; jiný oddělovač zadejte volbou --decimal-separator.");
    }
    return kBadStepFile;
  } catch (const std::bad_alloc&) {
    Complain(err, "Pro načtení souborů kroků není dost paměti.");
    return kBadStepFile;
  }

  std::vector<SpectrumPoint> diff(step1.points.size());
  DifferenceResult result;
  try {
    result =
        SubtractSpectra(step1.points, step1.count, step2.points, step2.count, diff, line.tolerance);
  } catch (const DifferenceRangeError& error) {
    Complain(err, error.what());
    return kBadStepFile;
  }
  if (result.mismatch != Mismatch::kNone) {
    Complain(err, MismatchText(result.mismatch));
    Complain(err, MismatchDetail(result, step1.points, step1.count, step2.points, step2.count,
                                 separator));
    return kSpectraDiffer;
  }

  const std::string report = line.format == CommandLine::Format::kCsv
                                 ? FormatCsvTable(diff)
                                 : FormatReport(diff, separator);
  if (line.report && *line.report != "-") {
    try {
      if (const auto fd = DescriptorNamedBy(*line.report)) {
        std::fflush(out);
        WriteToDescriptor(*fd, report, *line.report);
      } else {
        WriteFileReplacing(*line.report, report);
      }
    } catch (const ReportWriteError& error) {
      Complain(err, error.what());
      return kReportNotWritten;
    }
  } else if (!WriteToStream(out, report)) {
    Complain(err, "Výsledek nelze zapsat na standardní výstup: " + SystemErrorText(errno) + ".");
    return kReportNotWritten;
  }
  return kReportWritten;
}

int FinishOutput(int status, std::FILE* out, std::FILE* err) {
  // Output that never arrives fails the job, whatever it was (help, version, report), as with
  // GNU tools; a descriptor the shell closed (>&-) is no error while nothing was written to it.
  bool failed = std::fflush(out) != 0 || std::ferror(out) != 0;
  int error = errno;
  if (std::fclose(out) != 0 && !failed && errno != EBADF) {
    failed = true;
    error = errno;
  }
  if (!failed || status == kReportNotWritten)  // -o - has said so already
    return status;
  Complain(err, "Standardní výstup nelze zapsat: " + SystemErrorText(error) + ".");
  return kReportNotWritten;
}
