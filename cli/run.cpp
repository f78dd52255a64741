#include "cli/run.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>
#include <optional>
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

// A diagnostic on standard error: every line starts with the program's name, and in a batch
// with the job's line in the list (`label`).
void Complain(std::FILE* err, std::string_view text, std::string_view label = {}) {
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

StepFile LoadStep(const std::string& path, char separator) {
  if (path == "-")
    return ReadSpectrumDescriptor(STDIN_FILENO, separator, "standardní vstup").file;
  return LoadSpectrum(path, separator).file;
}

// What applies to every job of a run.
struct JobSettings {
  char separator = '.';
  std::optional<NumericLocale> locale;  // looked up only when -d did not give the separator
  CommandLine::Format format = CommandLine::Format::kReport;
  double tolerance = 0;
};

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

// Reads both step files and subtracts them into `diff`: kReportWritten, or the job's status
// once `say` has been told why.
template <typename Say>
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

// The report's or the table's bytes, made piece by piece as they are written.
ByteSource ReportSource(const std::vector<SpectrumPoint>& diff, const JobSettings& settings) {
  if (settings.format == CommandLine::Format::kCsv)
    return [&diff](const ByteSink& put) { StreamCsvTable(diff, put); };
  return [&diff, separator = settings.separator](const ByteSink& put) {
    StreamReport(diff, separator, put);
  };
}

// Writes to standard output (no -o, or "-") or through a descriptor the path names; false when
// `report` is a file to be replaced. Throws ReportWriteError.
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

int RunOne(const CommandLine& line, const JobSettings& settings, std::FILE* out, std::FILE* err) {
  const auto say = [err](std::string_view text) { Complain(err, text); };
  std::vector<SpectrumPoint> diff;
  if (const int status = Subtract(line.step1, line.step2, settings, diff, say))
    return status;
  const ByteSource source = ReportSource(diff, settings);
  try {
    if (!WriteUnreplaced(line.report, source, out))
      WriteFileReplacing(*line.report, source);
  } catch (const ReportWriteError& error) {
    say(error.what());
    return kReportNotWritten;
  }
  return kReportWritten;
}

// The whole list, read before the first job so that its jobs cannot change it.
std::optional<std::string> ReadJobList(const std::string& path, std::FILE* err) {
  const int fd = path == "-" ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  std::string text;
  bool ok = fd >= 0;
  char buffer[65536];
  while (ok) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR)
      continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    text.append(buffer, static_cast<std::size_t>(got));
  }
  const int error = errno;
  if (fd >= 0 && fd != STDIN_FILENO)
    ::close(fd);
  if (ok)
    return text;
  Complain(err, "Seznam úloh „" + VisibleText(path == "-" ? "standardní vstup" : path) +
                    "“ nelze přečíst: " + SystemErrorText(error) + ".");
  return std::nullopt;
}

// One line of the list: KROK1, KROK2 and VÝSTUP separated by tabs.
struct Job {
  std::string step1;
  std::string step2;
  std::string report;
};

// The job on a line, or why the line is none (a usage error: the list is the batch's arguments).
std::optional<Job> ParseJob(std::string_view text, std::string& why) {
  std::vector<std::string> fields;
  for (;;) {
    const auto tab = text.find('\t');
    fields.emplace_back(text.substr(0, tab));
    if (tab == std::string_view::npos)
      break;
    text.remove_prefix(tab + 1);
  }
  if (fields.size() != 3) {
    why = "Řádek nemá tři pole oddělená tabulátorem (KROK1, KROK2 a VÝSTUP), má jich " +
          std::to_string(fields.size());
    return std::nullopt;
  }
  static constexpr const char* kNames[] = {"KROK1", "KROK2", "VÝSTUP"};
  for (std::size_t i = 0; i < 3; ++i) {
    if (fields[i].empty()) {
      why = std::string("Pole ") + kNames[i] + " je prázdné";
      return std::nullopt;
    }
    if (i < 2 && fields[i] == "-") {
      why = "Standardní vstup („-“) nemůže být souborem kroku v seznamu úloh";
      return std::nullopt;
    }
  }
  return Job{fields[0], fields[1], fields[2]};
}

// Runs every job of the list; the new reports are flushed to disk together, a group at a time.
int RunBatch(const CommandLine& line, const JobSettings& settings, std::FILE* out, std::FILE* err) {
  const std::optional<std::string> list = ReadJobList(*line.batch, err);
  if (!list)
    return kBadStepFile;
  int worst = kReportWritten;
  ReportBatch batch;
  const auto lineLabel = [](std::size_t number) {
    return "řádek " + std::to_string(number) + ": ";
  };
  const auto complainOf = [&](const std::vector<ReportBatch::Failure>& failures) {
    for (const ReportBatch::Failure& failure : failures) {
      Complain(err, failure.error.what(), lineLabel(failure.tag));
      worst = std::max(worst, static_cast<int>(kReportNotWritten));
    }
  };
  const auto commit = [&] { complainOf(batch.Commit()); };

  std::string_view rest = *list;
  std::vector<SpectrumPoint> diff;
  for (std::size_t number = 1; !rest.empty(); ++number) {
    const auto end = rest.find('\n');
    std::string_view text = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (text.ends_with('\r'))  // a list saved on Windows
      text.remove_suffix(1);
    if (text.empty() || text.starts_with('#'))
      continue;
    const std::string label = lineLabel(number);
    const auto say = [&](std::string_view message) { Complain(err, message, label); };
    const auto finish = [&](int status) { worst = std::max(worst, status); };

    std::string why;
    const std::optional<Job> job = ParseJob(text, why);
    if (!job) {
      say(why + ".");
      finish(kWrongUsage);
      continue;
    }
    // A job reading a report staged before it reads what an earlier run would have written.
    if (batch.Holds(job->step1) || batch.Holds(job->step2))
      commit();
    if (const int status = Subtract(job->step1, job->step2, settings, diff, say)) {
      finish(status);
      continue;
    }
    const ByteSource source = ReportSource(diff, settings);
    try {
      if (WriteUnreplaced(job->report, source, out))
        continue;
      if (batch.full())
        complainOf(batch.Send());  // to disk while the next jobs run
      batch.Stage(job->report, source, number);
    } catch (const ReportWriteError& error) {
      say(error.what());
      finish(kReportNotWritten);
    }
  }
  commit();
  return worst;
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
  const JobSettings settings = SettingsOf(line);
  if (line.action == CommandLine::Action::kKk)
    return RunKramersKronigCheck(line, settings.separator, out, err);
  return line.batch ? RunBatch(line, settings, out, err) : RunOne(line, settings, out, err);
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
