#include "cli/kk_check.h"

#include <algorithm>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "analysis/kk_automatic.h"
#include "analysis/kk_method.h"
#include "analysis/kramers_kronig.h"
#include "cli/command_line.h"
#include "cli/job.h"
#include "instruments/spectrum_file.h"
#include "program/operand.h"
#include "spectrum/errors.h"
#include "spectrum/message_text.h"
#include "spectrum/number_format.h"

namespace odecet {

namespace {

enum Verdict : int { kAllPassed = 0, kSuspect = 1, kUnreadable = 2 };

// The fields both methods print first: the file, M, µ, pseudo χ², the largest residuals.
template <typename Result>
std::string FirstFields(const std::string& name, const Result& result, char separator) {
  std::string line = VisibleText(name);  // escapes a tab or a line break in the name too
  line += '\t' + std::to_string(result.m);
  line += '\t' + (result.mu ? FixedText(*result.mu, 4, separator) : std::string("-"));
  line += '\t' + ScientificText(result.pseudoChiSquare, 3, separator);
  line += '\t' + FixedText(result.maxResidualRe, 3, separator);
  line += '\t' + FixedText(result.maxResidualIm, 3, separator);
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
  std::string extension = FixedText(result.logFExt, 3, separator);
  if (!extension.starts_with('-'))
    extension.insert(0, 1, '+');
  line += '\t' + extension;
  line += '\t' + FixedText(result.noisePercent, 3, separator);
  return line + Verdict(result.passed);
}

}  // namespace

int RunKramersKronigCheck(const CommandLine& line, char separator, std::FILE* out, std::FILE* err) {
  const bool linKK = line.kkMethod == KkMethod::kLinKK;
  const double limit = line.kkLimit.value_or(DefaultKkLimitPercent(line.kkMethod));
  int status = kAllPassed;
  for (const std::string& path : line.kkFiles) {
    const std::string name = OperandName(path);
    try {
      // A file of several sweeps is checked sweep by sweep (or the one --sweep names), each
      // line naming its sweep after the file: "name#2".
      LoadedSweeps sweeps = LoadOperandSweeps(path, separator, SpectrumSources::kAlsoReports);
      if (sweeps.zeroHertzRows != 0)
        Complain(err, kCliName, ZeroHertzNote(name, sweeps.zeroHertzRows));
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
              Complain(err, kCliName,
                       "Soubor „" + VisibleText(name) + "“" + which +
                           " je podezřelý: " + KkReasonText(result, points, separator) + ".");
            }
          }
          std::fflush(out);
          if (!passed)
            status = std::max<int>(status, kSuspect);
        } catch (const KramersKronigError& error) {
          Complain(err, kCliName,
                   "Soubor „" + VisibleText(name) + "“" + which + ": " + error.what());
          status = kUnreadable;
        }
      }
    } catch (const OdecetError& error) {
      Complain(err, kCliName, error.what());
      status = kUnreadable;
    } catch (const std::bad_alloc&) {
      Complain(err, kCliName, "Pro načtení souboru „" + VisibleText(path) + "“ není dost paměti.");
      status = kUnreadable;
    }
  }
  return status;
}

}  // namespace odecet
