#include "cli/run.h"

#include <cerrno>
#include <string_view>
#include <vector>

#include "cli/batch.h"
#include "cli/command_line.h"
#include "cli/job.h"
#include "cli/kk_check.h"
#include "report/report_file.h"
#include "spectrum/errors.h"
#include "spectrum/system_error_text.h"

namespace odecet {

namespace {

int RunOne(const CommandLine& line, const JobSettings& settings, std::FILE* out, std::FILE* err) {
  const Say say = [err](std::string_view text) { Complain(err, kCliName, text); };
  JobOutput output;
  return RunJob(line.step1, line.step2, settings, output, say, {}, [&](const ByteSource& source) {
    if (!WriteUnreplaced(line.report, source, out))
      WriteFileReplacing(*line.report, source);
  });
}

}  // namespace

int RunCli(const std::vector<std::string>& arguments, std::FILE* out, std::FILE* err) {
  CommandLine line;
  try {
    line = ParseCommandLine(arguments);
  } catch (const UsageError& error) {
    Complain(err, kCliName, error.what());
    std::fputs("Nápovědu vypíše „odecet-cli --help“.\n", err);
    return kWrongUsage;
  }
  if (line.action == CommandLine::Action::kHelp) {
    std::fprintf(out, "%s\n%s", kUsage, HelpText().c_str());
    return kDone;
  }
  if (line.action == CommandLine::Action::kVersion) {
    std::fputs("odecet-cli " ODECET_VERSION "\n", out);
    return kDone;
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
  if (!failed || status == kNotWritten)  // -o - has said so already
    return status;
  Complain(err, kCliName, "Standardní výstup nelze zapsat: " + SystemErrorText(error) + ".");
  return kNotWritten;
}

}  // namespace odecet
