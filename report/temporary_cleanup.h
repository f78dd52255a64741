#pragma once

#include <signal.h>

#include <functional>
#include <string>

namespace odecet {

// Installs handlers for SIGTERM, SIGHUP and SIGINT that remove the temporary file of a report
// being written and then end the process by the same signal, and ignores SIGXFSZ, so that a
// file-size limit makes the write fail with an error instead of killing the process.
// For a program's start-up; the handlers touch nothing but that one file.
void InstallWriteSignalHandlers();

// While it lives, the calling thread takes none of `blocked`, and threads it starts meanwhile
// inherit that.
class SignalsBlocked {
 public:
  explicit SignalsBlocked(const sigset_t& blocked);
  ~SignalsBlocked();
  SignalsBlocked(const SignalsBlocked&) = delete;
  SignalsBlocked& operator=(const SignalsBlocked&) = delete;

 private:
  sigset_t previous_;
};

// Those of the handlers above: they then run on the one thread that still takes them.
class WriteSignalsBlocked : public SignalsBlocked {
 public:
  WriteSignalsBlocked();
};

// Every signal, for a helper thread that is to take none.
class AllSignalsBlocked : public SignalsBlocked {
 public:
  AllSignalsBlocked();
};

// For the writer's named temporaries: `create` makes `name` in `directory` (false with errno set
// when it cannot). The name is armed for the signal handlers in the same breath, with the signals
// blocked and counted as being made; `slot` gets where (-1 when all are taken: the file is then
// left to chance). Never returns once a handler is ending the process.
bool MakeArmedName(int directory, const std::string& name,
                   const std::function<bool(const char*)>& create, int& slot);

// The name armed at `slot` is gone or has become the report's; nothing for -1.
void Disarm(int slot);

}  // namespace odecet
