#include "app/font_warmup.h"

#include <fontconfig/fontconfig.h>
#include <pthread.h>
#include <sched.h>

#include <chrono>
#include <clocale>
#include <ctime>

namespace {

using std::chrono::microseconds;

// How long the caller waits before it checks that the loader is running at all, and how much of
// that time the loader must have run to be waited for further.
constexpr microseconds kWaitSlice(1000);
constexpr microseconds kLeastProgress(200);

microseconds CpuTime(clockid_t clock) {
  timespec used{};
  clock_gettime(clock, &used);
  return std::chrono::seconds(used.tv_sec) +
         std::chrono::duration_cast<microseconds>(std::chrono::nanoseconds(used.tv_nsec));
}

}  // namespace

TFontWarmup::TFontWarmup() {
  // The locale Qt is about to set, set before the loader starts, so no locale changes under it.
  std::setlocale(LC_ALL, "");
  std::packaged_task<void()> load([] {
    const sched_param idle{};
    sched_setscheduler(0, SCHED_IDLE, &idle);  // this thread only; if refused it runs as usual
    FcInit();
  });
  loaded_ = load.get_future();
  loader_ = std::thread(std::move(load));
}

TFontWarmup::~TFontWarmup() {
  Finish();
}

void TFontWarmup::Finish() {
  if (!loader_.joinable())
    return;
  clockid_t loaderClock{};
  const bool measurable = pthread_getcpuclockid(loader_.native_handle(), &loaderClock) == 0;
  for (;;) {
    const microseconds before = measurable ? CpuTime(loaderClock) : microseconds(0);
    if (loaded_.wait_for(kWaitSlice) == std::future_status::ready) {
      loader_.join();
      return;
    }
    if (measurable && CpuTime(loaderClock) - before < kLeastProgress)
      break;  // starved: every core is taken by something that outranks it
  }
  // Fontconfig lets two threads load at once and keeps one result; the starved loader finishes
  // whenever it gets a core, touching nothing of this object.
  FcInit();
  loader_.detach();
}
