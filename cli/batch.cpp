#include "cli/batch.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <map>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "cli/command_line.h"
#include "cli/descriptor_path.h"
#include "cli/job.h"
#include "cli/run.h"
#include "program/operand.h"
#include "report/report_batch.h"
#include "report/report_target.h"
#include "report/temporary_cleanup.h"
#include "spectrum/errors.h"
#include "spectrum/message_text.h"
#include "spectrum/system_error_text.h"

namespace odecet {

namespace {

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
  Complain(err, kCliName,
           "Seznam úloh „" + VisibleText(OperandName(path)) +
               "“ nelze přečíst: " + SystemErrorText(error) + ".");
  return std::nullopt;
}

// One line of the list: KROK1, KROK2 and VÝSTUP separated by tabs, and perhaps MĚŘENÍ1 and
// MĚŘENÍ2, the sweep of each step file (an empty field leaves it to --sweep).
struct Job {
  std::string step1;
  std::string step2;
  std::string report;
  SweepChoices sweeps;
};

// A line that holds a job, or why it holds none (a usage error: the list is the batch's
// arguments).
struct Entry {
  std::size_t line = 0;
  std::optional<Job> job;
  std::string why;
};

std::optional<Job> ParseJob(std::string_view text, std::string& why) {
  std::vector<std::string> fields;
  for (;;) {
    const auto tab = text.find('\t');
    fields.emplace_back(text.substr(0, tab));
    if (tab == std::string_view::npos)
      break;
    text.remove_prefix(tab + 1);
  }
  if (fields.size() != 3 && fields.size() != 5) {
    why =
        "Řádek nemá tři pole oddělená tabulátorem (KROK1, KROK2 a VÝSTUP) ani pět (ještě "
        "MĚŘENÍ1 a MĚŘENÍ2), má jich " +
        std::to_string(fields.size());
    return std::nullopt;
  }
  SweepChoices sweeps;
  for (std::size_t i = 3; i < fields.size(); ++i) {
    if (fields[i].empty())
      continue;
    const std::optional<int> sweep = ParseSweepNumber(fields[i]);
    if (!sweep) {
      why = std::string("Pole ") + (i == 3 ? "MĚŘENÍ1" : "MĚŘENÍ2") + " „" +
            QuoteForMessage(fields[i]) +
            "“ není číslo měření (celé číslo různé od 0: 1 první, -1 poslední)";
      return std::nullopt;
    }
    (i == 3 ? sweeps.step1 : sweeps.step2) = sweep;
  }
  static constexpr const char* kNames[] = {"KROK1", "KROK2", "VÝSTUP"};
  for (std::size_t i = 0; i < 3; ++i) {
    if (fields[i].empty()) {
      why = std::string("Pole ") + kNames[i] + " je prázdné";
      return std::nullopt;
    }
    // The system takes a path up to its first NUL: the rest would name another file.
    if (fields[i].find('\0') != std::string::npos) {
      why = std::string("Pole ") + kNames[i] + " obsahuje nulový bajt";
      return std::nullopt;
    }
    if (i < 2 && fields[i] == "-") {
      why = "Standardní vstup („-“) nemůže být souborem kroku v seznamu úloh";
      return std::nullopt;
    }
  }
  return Job{fields[0], fields[1], fields[2], sweeps};
}

std::vector<Entry> ParseList(std::string_view rest) {
  std::vector<Entry> entries;
  for (std::size_t number = 1; !rest.empty(); ++number) {
    const auto end = rest.find('\n');
    std::string_view text = rest.substr(0, end);
    rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
    if (text.ends_with('\r'))  // a list saved on Windows
      text.remove_suffix(1);
    if (text.empty() || text.starts_with('#'))
      continue;
    Entry entry;
    entry.line = number;
    entry.job = ParseJob(text, entry.why);
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string LineLabel(std::size_t number) {
  return "řádek " + std::to_string(number) + ": ";
}

// Whether the jobs may run in any order: no report goes to a descriptor, no two reports replace
// one file, and no job reads a file that a job replaces. Conservative: a step file that does
// not exist yet (an earlier job might create it) or a target that cannot be identified makes
// the list depend on its order.
bool JobsIndependent(const std::vector<Entry>& entries) {
  ReportTargets identify;
  std::vector<ReportTarget> targets;
  std::vector<std::pair<dev_t, ino_t>> inputs;
  std::map<std::string, std::pair<dev_t, ino_t>, std::less<>> steps;  // a list names few
  for (const Entry& entry : entries) {
    if (!entry.job)
      continue;
    if (DescriptorNamedBy(entry.job->report))
      return false;
    for (const std::string* step : {&entry.job->step1, &entry.job->step2}) {
      auto known = steps.find(*step);
      if (known == steps.end()) {
        struct stat info {};
        if (::stat(step->c_str(), &info) != 0)
          return false;
        known = steps.emplace(*step, std::pair(info.st_dev, info.st_ino)).first;
      }
      inputs.push_back(known->second);
    }
    // A target not told (the report cannot be written, or the system would not say) might be
    // another job's: only the list's order is then sure to be right.
    std::optional<ReportTarget> target = identify.Identify(entry.job->report);
    if (!target)
      return false;
    targets.push_back(std::move(*target));
  }
  std::sort(targets.begin(), targets.end(),
            [](const ReportTarget& a, const ReportTarget& b) { return a.key < b.key; });
  if (std::adjacent_find(targets.begin(), targets.end(), [](const auto& a, const auto& b) {
        return a.key == b.key;
      }) != targets.end())
    return false;
  std::vector<std::pair<dev_t, ino_t>> existing;
  for (const ReportTarget& target : targets) {
    if (target.exists)
      existing.emplace_back(target.device, target.inode);
  }
  std::sort(existing.begin(), existing.end());
  if (std::adjacent_find(existing.begin(), existing.end()) != existing.end())
    return false;  // one file under two names
  return std::none_of(inputs.begin(), inputs.end(), [&](const auto& input) {
    return std::binary_search(existing.begin(), existing.end(), input);
  });
}

// What a finished job has to say, kept until every job before it has spoken.
struct Outcome {
  bool done = false;
  int status = kDone;
  std::vector<std::string> messages;
};

class BatchRun {
 public:
  BatchRun(const JobSettings& settings, std::FILE* out, std::FILE* err)
      : settings_(settings), out_(out), err_(err) {}

  // One job after the other, in the list's order: a job reading a report staged before it reads
  // what an earlier run would have written.
  void InOrder(const std::vector<Entry>& entries) {
    ReportBatch batch;
    JobOutput output;
    for (const Entry& entry : entries) {
      const std::string label = LineLabel(entry.line);
      const Say say = [&](std::string_view message) { Complain(err_, kCliName, message, label); };
      if (!entry.job) {
        say(entry.why + ".");
        Worsen(kWrongUsage);
        continue;
      }
      const Job& job = *entry.job;
      if (batch.Holds(job.step1) || batch.Holds(job.step2))
        Report(batch.Commit());
      Worsen(RunEntry(entry, batch, output, say));
    }
    Report(batch.Commit());
  }

  // Threads taking the next job as they finish one, each staging into its own batch; the jobs'
  // messages still come in the list's order. One thread more than the cores: a job often
  // waits for the file system.
  void SideBySide(const std::vector<Entry>& entries) {
    outcomes_.assign(entries.size(), Outcome{});
    const std::size_t threads =
        std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, 8) + 1;
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
      // The threads share one batch's worth of open files.
      ReportBatch batch(TemporaryKind::kUnnamedWhereSupported, ReportBatch::kCapacity / threads);
      JobOutput output;
      for (std::size_t i = next++; i < entries.size(); i = next++) {
        Outcome outcome;
        const Say say = [&](std::string_view message) { outcome.messages.emplace_back(message); };
        if (!entries[i].job) {
          say(entries[i].why + ".");
          outcome.status = kWrongUsage;
        } else {
          outcome.status = RunEntry(entries[i], batch, output, say);
        }
        Finish(entries, i, std::move(outcome));
      }
      Report(batch.Commit());
    };
    std::vector<std::thread> helpers;
    {
      // Only this thread takes the signals that end the batch, so their handler never runs
      // twice at once.
      const WriteSignalsBlocked helpersTakeNone;
      for (std::size_t i = 1; i < threads; ++i)
        helpers.emplace_back(work);
    }
    work();
    for (std::thread& helper : helpers)
      helper.join();
  }

  int worst() const { return worst_; }

 private:
  // The job's status; reports go to the batch, which may send a full group to disk first.
  int RunEntry(const Entry& entry, ReportBatch& batch, JobOutput& output, const Say& say) {
    const Job& job = *entry.job;
    return RunJob(job.step1, job.step2, settings_, output, say, job.sweeps,
                  [&](const ByteSource& source) {
                    try {
                      if (WriteUnreplaced(job.report, source, out_))
                        return;
                      if (batch.full())
                        Report(batch.Send());  // to disk while the next jobs run
                      batch.Stage(job.report, source, entry.line);
                    } catch (const std::bad_alloc&) {
                      throw ReportWriteError("Pro výsledek není dost paměti.");
                    }
                  });
  }

  void Finish(const std::vector<Entry>& entries, std::size_t index, Outcome outcome) {
    const std::lock_guard lock(mutex_);
    outcomes_[index] = std::move(outcome);
    outcomes_[index].done = true;
    for (; nextToSpeak_ < outcomes_.size() && outcomes_[nextToSpeak_].done; ++nextToSpeak_) {
      Outcome& finished = outcomes_[nextToSpeak_];
      const std::string label = LineLabel(entries[nextToSpeak_].line);
      for (const std::string& message : finished.messages)
        Complain(err_, kCliName, message, label);
      worst_ = std::max(worst_, finished.status);
      finished.messages = {};
    }
  }

  // Reports that did not take their place, which the batch names by their lines.
  void Report(const std::vector<ReportBatch::Failure>& failures) {
    const std::lock_guard lock(mutex_);
    for (const ReportBatch::Failure& failure : failures) {
      Complain(err_, kCliName, failure.error.what(), LineLabel(failure.tag));
      worst_ = std::max(worst_, static_cast<int>(kNotWritten));
    }
  }

  void Worsen(int status) {
    const std::lock_guard lock(mutex_);
    worst_ = std::max(worst_, status);
  }

  const JobSettings& settings_;
  std::FILE* out_;
  std::FILE* err_;
  std::mutex mutex_;
  int worst_ = kDone;
  std::vector<Outcome> outcomes_;
  std::size_t nextToSpeak_ = 0;
};

}  // namespace

int RunBatch(const CommandLine& line, const JobSettings& settings, std::FILE* out, std::FILE* err) {
  const std::optional<std::string> list = ReadJobList(*line.batch, err);
  if (!list)
    return kBadFile;
  const std::vector<Entry> entries = ParseList(*list);
  BatchRun run(settings, out, err);
  if (entries.size() > 1 && JobsIndependent(entries))
    run.SideBySide(entries);
  else
    run.InOrder(entries);
  return run.worst();
}

}  // namespace odecet
