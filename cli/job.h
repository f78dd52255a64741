#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/command_line.h"
#include "instruments/spectrum_file.h"
#include "program/complaint.h"
#include "report/byte_sink.h"
#include "spectrum/decimal_separator.h"
#include "spectrum/spectrum_point.h"

namespace odecet {

// One subtraction, as a single run and every job of a batch do it.

// What applies to every job of a run.
struct JobSettings {
  char separator = '.';
  std::optional<NumericLocale> locale;  // looked up only when -d did not give the separator
  CommandLine::Format format = CommandLine::Format::kReport;
  double tolerance = 0;
  bool uncertainty = false;
  std::vector<std::string> repeats1;
  std::vector<std::string> repeats2;
  int sweep = kNoSweepChosen;  // --sweep, for every file that holds several sweeps
};
JobSettings SettingsOf(const CommandLine& line);

// The name that leads each line of odecet-cli's diagnostics (program/complaint.h), followed in
// a batch by the job's line in the list.
inline constexpr std::string_view kCliName = "odecet-cli";

using Say = std::function<void(std::string_view)>;

// The note on rows left out at 0 Hz, and the hint for a file of several sweeps.
std::string ZeroHertzNote(std::string_view fileName, std::size_t rows);
std::string SweepHint();

// A job's own choice of sweep for each step file (a batch line's fourth and fifth fields);
// without one, the settings' sweep.
struct SweepChoices {
  std::optional<int> step1;
  std::optional<int> step2;
};

// What a job writes: the difference, and with --uncertainty the uncertainty of each point.
struct JobOutput {
  std::vector<SpectrumPoint> diff;
  std::vector<PointUncertainty> uncertainty;
};

// Reads both step files and subtracts them into `output`, with the uncertainty where asked (its
// note then said): 0 (kDone), or the job's exit status once `say` has been told why.
// Rows left out at 0 Hz are noted through `say` too.
int Subtract(const std::string& path1, const std::string& path2, const JobSettings& settings,
             JobOutput& output, const Say& say, const SweepChoices& sweeps = {});

// What becomes of a job's report or table: written where it goes, or staged to be. Throws
// ReportWriteError.
using ReportWriter = std::function<void(const ByteSource&)>;

// A job of a single run or a batch: Subtract, then the bytes to `write`. The job's exit status,
// once `say` has been told why it is not 0.
int RunJob(const std::string& path1, const std::string& path2, const JobSettings& settings,
           JobOutput& output, const Say& say, const SweepChoices& sweeps,
           const ReportWriter& write);

// The report's or the table's bytes, made piece by piece as they are written.
ByteSource ReportSource(const JobOutput& output, const JobSettings& settings);

// Writes to standard output (no report, or "-") or through a descriptor the path names; false
// when `report` is a file to be replaced. Throws ReportWriteError.
bool WriteUnreplaced(const std::optional<std::string>& report, const ByteSource& source,
                     std::FILE* out);

}  // namespace odecet
