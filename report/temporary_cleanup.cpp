#include "report/temporary_cleanup.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <iterator>

#include "report/report_batch.h"

namespace odecet {

namespace {

// The signals that end the process after removing the temporary file.
constexpr int kCleanupSignals[] = {SIGTERM, SIGHUP, SIGINT};

sigset_t CleanupSignalSet() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : kCleanupSignals)
    sigaddset(&set, signal);
  return set;
}

// The temporary files that a signal handler may have to remove: names in open directories. A
// batch may hold as many named ones as it stages. Slots are written only with the signals
// blocked, so a handler never sees one half set.
// A batch's jobs may run on two threads: a slot is claimed by one compare-and-swap, and the
// handlers use it only once it is fully armed.
enum SlotState : int { kFree = 0, kClaimed = 1, kArmed = 2 };
static_assert(std::atomic<int>::is_always_lock_free, "the signal handlers read the slots");
struct PendingTemporary {
  std::atomic<int> state{kFree};
  int directory = -1;
  char name[32] = {};
};
PendingTemporary pending[2 * ReportBatch::kCapacity + 1];

// The handler runs on one thread while the others go on: a name made after it looked at the
// slots would stay. So a name is made and armed only inside a count of names being made, and
// the handler first shuts the door, then waits for that count to fall to zero, and only then
// removes what is armed. A thread finding the door shut makes no name: the process is ending.
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handlers set the door");
std::atomic<int> namesBeingMade{0};
std::atomic<bool> ending{false};

// The slot now holding the name, or -1 when all are taken (the file is then left to chance).
int Arm(int directory, const std::string& name) {
  for (int slot = 0; slot < static_cast<int>(std::size(pending)); ++slot) {
    PendingTemporary& entry = pending[slot];
    int expected = kFree;
    if (!entry.state.compare_exchange_strong(expected, kClaimed))
      continue;
    entry.directory = directory;
    std::memcpy(entry.name, name.c_str(), name.size() + 1);
    entry.state.store(kArmed);
    return slot;
  }
  return -1;
}

extern "C" void RemoveTemporaryAndDie(int signal) {
  ending.store(true);
  while (namesBeingMade.load() != 0) {
    // Another thread is between making a name and arming it; it takes no signal meanwhile.
  }
  for (const PendingTemporary& entry : pending) {
    if (entry.state.load() == kArmed)
      ::unlinkat(entry.directory, entry.name, 0);
  }
  std::signal(signal, SIG_DFL);
  ::raise(signal);
}

}  // namespace

bool MakeArmedName(int directory, const std::string& name,
                   const std::function<bool(const char*)>& create, int& slot) {
  const WriteSignalsBlocked blocked;
  namesBeingMade.fetch_add(1);
  if (ending.load()) {
    namesBeingMade.fetch_sub(1);
    for (;;)
      ::pause();  // until the handler on another thread has ended the process
  }
  const bool made = create(name.c_str());
  if (made)
    slot = Arm(directory, name);
  namesBeingMade.fetch_sub(1);
  return made;
}

void Disarm(int slot) {
  if (slot >= 0)
    pending[slot].state.store(kFree);
}

SignalsBlocked::SignalsBlocked(const sigset_t& blocked) {
  ::pthread_sigmask(SIG_BLOCK, &blocked, &previous_);
}

SignalsBlocked::~SignalsBlocked() {
  ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

WriteSignalsBlocked::WriteSignalsBlocked() : SignalsBlocked(CleanupSignalSet()) {}

namespace {

sigset_t EverySignal() {
  sigset_t all;
  sigfillset(&all);
  return all;
}

}  // namespace

AllSignalsBlocked::AllSignalsBlocked() : SignalsBlocked(EverySignal()) {}

void InstallWriteSignalHandlers() {
  struct sigaction action {};
  action.sa_handler = RemoveTemporaryAndDie;
  action.sa_mask = CleanupSignalSet();
  for (const int signal : kCleanupSignals) {
    struct sigaction previous {};
    ::sigaction(signal, nullptr, &previous);
    if (previous.sa_handler != SIG_IGN)  // nohup and the like asked for it to be ignored
      ::sigaction(signal, &action, nullptr);
  }
  std::signal(SIGXFSZ, SIG_IGN);
}

}  // namespace odecet
