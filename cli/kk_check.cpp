#include "cli/kk_check.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <new>
#include <string>

#include "analysis/kramers_kronig.h"
#include "cli/command_line.h"
#include "instruments/spectrum_file.h"
#include "spectrum/errors.h"
#include "spectrum/message_text.h"

namespace {

enum Verdict : int { kAllPassed = 0, kSuspect = 1, kUnreadable = 2 };

std::string Number(double value, std::chars_format format, int precision, char separator) {
  char text[64];
  const auto end = std::to_chars(text, text + sizeof text, value, format, precision).ptr;
  std::string result(text, end);
  std::replace(result.begin(), result.end(), '.', separator);
  return result;
}

std::string Line(const std::string& name, const KramersKronigResult& result, char separator) {
  const auto fixed = [separator](double value, int decimals) {
    return Number(value, std::chars_format::fixed, decimals, separator);
  };
  std::string line = VisibleText(name);  // escapes a tab or a line break in the name too
  line += '\t' + std::to_string(result.m);
  line += '\t' + (result.mu ? fixed(*result.mu, 4) : std::string("-"));
  line += '\t' + Number(result.pseudoChiSquare, std::chars_format::scientific, 3, separator);
  line += '\t' + fixed(result.maxResidualRe, 3);
  line += '\t' + fixed(result.maxResidualIm, 3);
  line += result.passed ? "\tv pořádku\n" : "\tpodezřelé\n";
  return line;
}

LoadedSpectrum Load(const std::string& path, char separator) {
  if (path == "-") {
    return ReadSpectrumDescriptor(STDIN_FILENO, separator, "standardní vstup",
                                  SpectrumSources::kAlsoReports);
  }
  return LoadSpectrum(path, separator, SpectrumSources::kAlsoReports);
}

void Complain(std::FILE* err, const std::string& message) {
  std::fprintf(err, "odecet-cli: %s\n", message.c_str());
}

}  // namespace

int RunKramersKronigCheck(const CommandLine& line, char separator, std::FILE* out, std::FILE* err) {
  const double limit = line.kkLimit.value_or(kKramersKronigLimitPercent);
  int status = kAllPassed;
  for (const std::string& path : line.kkFiles) {
    try {
      const LoadedSpectrum spectrum = Load(path, separator);
      const KramersKronigResult result = CheckKramersKronig(spectrum.file.points, limit);
      std::fputs(Line(path, result, separator).c_str(), out);
      std::fflush(out);
      if (!result.passed)
        status = std::max<int>(status, kSuspect);
    } catch (const KramersKronigError& error) {
      const std::string name = path == "-" ? "standardní vstup" : path;
      Complain(err, "Soubor „" + VisibleText(name) + "“: " + error.what());
      status = kUnreadable;
    } catch (const OdecetError& error) {
      Complain(err, error.what());
      status = kUnreadable;
    } catch (const std::bad_alloc&) {
      Complain(err, "Pro načtení souboru „" + VisibleText(path) + "“ není dost paměti.");
      status = kUnreadable;
    }
  }
  return status;
}
