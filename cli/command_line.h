#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/kk_method.h"
#include "program/usage_error.h"

namespace odecet {

// What the user asked of odecet-cli.
struct CommandLine {
  enum class Action { kRun, kHelp, kVersion, kKk };
  enum class Format { kReport, kCsv };  // the fixed-width report, or a table for fitting programs
  Action action = Action::kRun;
  Format format = Format::kReport;
  std::string step1;                     // 4 ribs; "-" is standard input
  std::string step2;                     // 3 ribs
  std::optional<std::string> report;     // standard output when absent or "-"
  std::optional<std::string> batch;      // a list of jobs instead of the steps; "-" is stdin
  std::optional<char> decimalSeparator;  // the system's when absent
  double tolerance = 0;                  // relative; 0 asks for equal frequencies
  // -f csv --uncertainty: the standard uncertainty of each point of the difference, from each
  // step's Kramers–Kronig noise, or from the spread of its repeated measurements where given.
  bool uncertainty = false;
  std::vector<std::string> repeats1;  // more measurements of KROK1 (--repeat1, repeatable)
  std::vector<std::string> repeats2;
  // --kk: the spectra to check ("-" is standard input) and the limit, percent of |Z|.
  std::vector<std::string> kkFiles;
  std::optional<double> kkLimit;
  // The automatic test by default; linKK as impedance.py runs it, for comparing with that.
  using KkMethod = odecet::KkMethod;
  KkMethod kkMethod = KkMethod::kAutomatic;
  // --sweep: which sweep of a file that holds several (1 the first, -1 the last).
  std::optional<int> sweep;
};

// Parses the arguments (without the program name) as GNU tools do, with getopt_long: options and
// file names in any order, combined short options (-hV), -oFILE and -o FILE, --output=FILE and
// --output FILE, unambiguous abbreviations of long options (--out), "--" before names that start
// with '-'. Throws UsageError for an unknown or ambiguous option, a missing or invalid value, an
// option given twice, the wrong number of step files, or "-" for both; with --kk, for no file,
// "-" twice, -o, a limit that is not a positive number, or a method not known; with --batch, any
// step file or -o.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);

// A sweep's number as --sweep and the batch list take it: a whole number other than 0, 1 the
// first, -1 the last; none for any other text.
std::optional<int> ParseSweepNumber(std::string_view text);

// The usage line, and the help that --help prints after it; both use the same placeholders.
// The help lists the kinds of file from the table of formats.
extern const char* const kUsage;
std::string HelpText();

}  // namespace odecet
