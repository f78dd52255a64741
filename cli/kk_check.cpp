#include "cli/kk_check.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "analysis/kk_automatic.h"
#include "analysis/kramers_kronig.h"
#include "cli/command_line.h"
#include "cli/job.h"
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

// The fields both methods print first: the file, M, µ, pseudo χ², the largest residuals.
template <typename Result>
std::string FirstFields(const std::string& name, const Result& result, char separator) {
  std::string line = VisibleText(name);  // escapes a tab or a line break in the name too
  line += '\t' + std::to_string(result.m);
  line += '\t' + (result.mu ? Number(*result.mu, std::chars_format::fixed, 4, separator)
                            : std::string("-"));
  line += '\t' + Number(result.pseudoChiSquare, std::chars_format::scientific, 3, separator);
  line += '\t' + Number(result.maxResidualRe, std::chars_format::fixed, 3, separator);
  line += '\t' + Number(result.maxResidualIm, std::chars_format::fixed, 3, separator);
  return line;
}

std::string Verdict(bool passed) {
  return passed ? "\tv pořádku\n" : "\tpodezřelé\n";
}

std::string Line(const std::string& name, const KramersKronigResult& result, char separator) {
  return FirstFields(name, result, separator) + Verdict(result.passed);
}

// Then the representation, log F_ext and the noise, before the verdict.
std::string Line(const std::string& name, const KkAutomaticResult& result, char separator) {
  std::string line = FirstFields(name, result, separator);
  line += result.representation == KkRepresentation::kImpedance ? "\tZ" : "\tY";
  std::string extension = Number(result.logFExt, std::chars_format::fixed, 3, separator);
  if (!extension.starts_with('-'))
    extension.insert(0, 1, '+');
  line += '\t' + extension;
  line += '\t' + Number(result.noisePercent, std::chars_format::fixed, 3, separator);
  return line + Verdict(result.passed);
}

LoadedSweeps Load(const std::string& path, char separator) {
  if (path == "-") {
    return ReadSpectrumDescriptorSweeps(STDIN_FILENO, separator, "standardní vstup",
                                        SpectrumSources::kAlsoReports);
  }
  return LoadSpectrumSweeps(path, separator, SpectrumSources::kAlsoReports);
}

}  // namespace

int RunKramersKronigCheck(const CommandLine& line, char separator, std::FILE* out, std::FILE* err) {
  const bool linKK = line.kkMethod == CommandLine::KkMethod::kLinKK;
  const double limit =
      line.kkLimit.value_or(linKK ? kKramersKronigLimitPercent : kKkCleanLimitPercent);
  int status = kAllPassed;
  for (const std::string& path : line.kkFiles) {
    const std::string name = path == "-" ? "standardní vstup" : path;
    try {
      // A file of several sweeps is checked sweep by sweep (or the one --sweep names), each
      // line naming its sweep after the file: "name#2".
      LoadedSweeps sweeps = Load(path, separator);
      if (sweeps.zeroHertzRows != 0)
        Complain(err, ZeroHertzNote(name, sweeps.zeroHertzRows));
      std::vector<LoadedSpectrum> checked;
      const std::size_t count = sweeps.sweeps.size();
      if (line.sweep || count == 1) {
        checked.push_back(ChooseSweep(std::move(sweeps), line.sweep.value_or(1), name));
      } else {
        for (std::size_t i = 0; i < count; ++i)
          checked.push_back(ChooseSweep(sweeps, static_cast<int>(i + 1), name));
      }
      for (const LoadedSpectrum& loaded : checked) {
        const std::string label =
            loaded.sweeps == 1 ? path : path + "#" + std::to_string(loaded.sweep);
        const std::string which =
            loaded.sweeps == 1 ? "" : ", měření " + std::to_string(loaded.sweep);
        const std::vector<SpectrumPoint>& points = loaded.spectrum.points;
        try {
          bool passed = true;
          if (linKK) {
            const KramersKronigResult result = CheckKramersKronig(points, limit);
            std::fputs(Line(label, result, separator).c_str(), out);
            passed = result.passed;
          } else {
            KkAutomaticOptions options;
            options.limitPercent = limit;
            const KkAutomaticResult result = CheckKramersKronigAutomatic(points, options);
            std::fputs(Line(label, result, separator).c_str(), out);
            passed = result.passed;
            if (!passed) {
              std::fflush(out);
              Complain(err, "Soubor „" + VisibleText(name) + "“" + which +
                                " je podezřelý: " + KkReasonText(result, points, separator) + ".");
            }
          }
          std::fflush(out);
          if (!passed)
            status = std::max<int>(status, kSuspect);
        } catch (const KramersKronigError& error) {
          Complain(err, "Soubor „" + VisibleText(name) + "“" + which + ": " + error.what());
          status = kUnreadable;
        }
      }
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
