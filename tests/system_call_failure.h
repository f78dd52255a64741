#pragma once

#include <sys/types.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstddef>

#include "report/system_calls.h"

namespace odecet {

// The calls of report/system_calls.h a test can make fail.
enum class SystemCall { kOpenat, kWrite, kFsync, kSyncfs, kLinkat, kRenameat };

namespace system_call_failure {

struct Rule {
  std::atomic<int> seen{0};
  int nth = 0;
  int error = 0;
};
inline Rule rules[6];

// The calls as they were before any test replaced one.
inline const SystemCalls& Real() {
  static const SystemCalls real = systemCalls;
  return real;
}

// Counts the call and says whether it is to fail; errno is then set.
inline bool Fails(SystemCall call) {
  Rule& rule = rules[static_cast<int>(call)];
  const int seen = ++rule.seen;
  if (rule.nth != 0 && seen != rule.nth)
    return false;
  errno = rule.error;
  return true;
}

// Puts a call that fails by its rule in the place of one real call, and the real one back.
template <SystemCall kCall, auto kMember>
void PutFailing() {
  systemCalls.*kMember = [](auto... arguments) {
    using Result = decltype((Real().*kMember)(arguments...));
    return Fails(kCall) ? Result{-1} : (Real().*kMember)(arguments...);
  };
}
template <auto kMember>
void PutReal() {
  systemCalls.*kMember = Real().*kMember;
}

struct Swap {
  void (*failing)();
  void (*real)();
};
template <SystemCall kCall, auto kMember>
constexpr Swap SwapOf() {
  return {&PutFailing<kCall, kMember>, &PutReal<kMember>};
}
// In the order of SystemCall.
inline constexpr Swap kSwaps[] = {
    SwapOf<SystemCall::kOpenat, &SystemCalls::openat>(),
    SwapOf<SystemCall::kWrite, &SystemCalls::write>(),
    SwapOf<SystemCall::kFsync, &SystemCalls::fsync>(),
    SwapOf<SystemCall::kSyncfs, &SystemCalls::syncfs>(),
    SwapOf<SystemCall::kLinkat, &SystemCalls::linkat>(),
    SwapOf<SystemCall::kRenameat, &SystemCalls::renameat>(),
};

}  // namespace system_call_failure

// While it lives, the `nth` call of `call` from now on (1 for the next; kEvery for all of them)
// (kNever: none) fails with `errorNumber`; the others are made as usual. One at a time for each
// call; the batch's flushing thread counts too, so let a batch commit before this ends.
class ScopedSystemCallFailure {
 public:
  static constexpr int kEvery = 0;
  static constexpr int kNever = -1;  // only counts the calls

  ScopedSystemCallFailure(SystemCall call, int nth, int errorNumber) : call_(call) {
    using namespace system_call_failure;
    Real();  // taken before the first replacement
    Rule& rule = rules[static_cast<int>(call)];
    rule.seen = 0;
    rule.nth = nth;
    rule.error = errorNumber;
    kSwaps[static_cast<int>(call)].failing();
  }
  ~ScopedSystemCallFailure() { system_call_failure::kSwaps[static_cast<int>(call_)].real(); }
  ScopedSystemCallFailure(const ScopedSystemCallFailure&) = delete;
  ScopedSystemCallFailure& operator=(const ScopedSystemCallFailure&) = delete;

  // The calls of its kind made since it began, failed or not.
  int calls() const { return system_call_failure::rules[static_cast<int>(call_)].seen.load(); }

 private:
  SystemCall call_;
};

// While it lives, a write takes at most `most` bytes, and every other one is interrupted
// (EINTR) before it writes anything, as a signal or a slow device may make them.
class ScopedShortWrites {
 public:
  explicit ScopedShortWrites(std::size_t most) {
    most_ = most;
    writes_ = 0;
    system_call_failure::Real();  // taken before the first replacement
    systemCalls.write = [](int fd, const void* bytes, std::size_t size) {
      if (++writes_ % 2 == 1) {
        errno = EINTR;
        return ssize_t{-1};
      }
      return system_call_failure::Real().write(fd, bytes, std::min(size, most_));
    };
  }
  ~ScopedShortWrites() { systemCalls.write = system_call_failure::Real().write; }
  ScopedShortWrites(const ScopedShortWrites&) = delete;
  ScopedShortWrites& operator=(const ScopedShortWrites&) = delete;

  // The writes made since it began, interrupted or not.
  int writes() const { return writes_.load(); }

 private:
  static inline std::size_t most_ = 0;
  static inline std::atomic<int> writes_{0};
};

}  // namespace odecet
