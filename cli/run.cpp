#include "cli/run.h"

#include <cerrno>
#include <new>
#include <span>

#include "cli/command_line.h"
#include "report/difference.h"
#include "report/report_file.h"
#include "report/report_text.h"
#include "spectrum/decimal_separator.h"
#include "spectrum/errors.h"
#include "spectrum/message_text.h"
#include "spectrum/step_file.h"
#include "spectrum/system_error_text.h"

namespace {

void PrintLine(std::FILE* stream, const std::string& text) {
  std::fputs(text.c_str(), stream);
  std::fputc('\n', stream);
}

const char* const kHelp =
    "Odečte dvě impedanční spektra bod po bodu a zapíše rozdíl jako tabulku.\n"
    "\n"
    "  KROK1   soubor měřený se 4 žebry\n"
    "  KROK2   soubor měřený se 3 žebry\n"
    "  -o, --output VÝSTUP       zapíše tabulku do souboru VÝSTUP (jinak na standardní výstup)\n"
    "  --decimal-separator SEP   desetinný oddělovač „,“ nebo „.“ (jinak podle místního "
    "nastavení)\n"
    "  --help, --version\n"
    "\n"
    "Návratový kód: 0 zapsáno, 1 spektra se neshodují, 2 vadný soubor kroku,\n"
    "3 výstup nelze zapsat, 64 chybné použití.\n";

bool WriteToStream(std::FILE* out, const std::string& bytes) {
  return std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size() && std::fflush(out) == 0;
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err) {
  CommandLine line;
  try {
    line = ParseCommandLine(arguments);
  } catch (const UsageError& error) {
    PrintLine(err, std::string("odecet-cli: ") + error.what());
    PrintLine(err, kUsage);
    return kWrongUsage;
  }
  if (line.action == CommandLine::Action::kHelp) {
    PrintLine(out, kUsage);
    std::fputs(kHelp, out);
    return kReportWritten;
  }
  if (line.action == CommandLine::Action::kVersion) {
    PrintLine(out, "odecet-cli " ODECET_VERSION);
    return kReportWritten;
  }

  const NumericLocale locale = SystemNumericLocale();
  const char separator = line.decimalSeparator.value_or(locale.separator);
  StepFile step1;
  StepFile step2;
  try {
    step1 = LoadStepFile(line.step1, separator);
    step2 = LoadStepFile(line.step2, separator);
  } catch (const StepFileError& error) {
    PrintLine(err, error.what());
    if (!locale.known && !line.decimalSeparator) {
      // The likeliest cause: a comma file on a machine where that locale was never generated.
      PrintLine(err, "Místní nastavení „" + VisibleText(locale.name) +
                         "“ v systému není, proto se čte desetinná tečka; jiný oddělovač zadejte "
                         "volbou --decimal-separator.");
    }
    return kBadStepFile;
  } catch (const std::bad_alloc&) {
    PrintLine(err, "Pro načtení souborů kroků není dost paměti.");
    return kBadStepFile;
  }

  std::vector<SpectrumPoint> diff(step1.points.size());
  DifferenceResult result;
  try {
    result = SubtractSpectra(step1.points, step1.count, step2.points, step2.count, diff);
  } catch (const DifferenceRangeError& error) {
    PrintLine(err, error.what());
    return kBadStepFile;
  }
  if (result.mismatch != Mismatch::kNone) {
    PrintLine(err, MismatchText(result.mismatch));
    PrintLine(err, MismatchDetail(result, step1.points, step1.count, step2.points, step2.count,
                                  separator));
    return kSpectraDiffer;
  }

  const std::string report = FormatReport(diff, separator);
  if (line.report) {
    try {
      WriteFileReplacing(*line.report, report);
    } catch (const ReportWriteError& error) {
      PrintLine(err, error.what());
      return kReportNotWritten;
    }
  } else if (!WriteToStream(out, report)) {
    PrintLine(err, "Výsledek nelze zapsat na standardní výstup: " + SystemErrorText(errno) + ".");
    return kReportNotWritten;
  }
  return kReportWritten;
}
