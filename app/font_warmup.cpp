#include "app/font_warmup.h"

#include <fontconfig/fontconfig.h>
#include <pthread.h>
#include <sched.h>

#include <chrono>
#include <clocale>
#include <condition_variable>
#include <ctime>
#include <mutex>

namespace odecet {

struct TFontWarmup::Handover {
  std::mutex mutex;
  std::condition_variable loaded;
  bool done = false;
  bool abandoned = false;      // the caller loaded it itself; the loader drops its result
  FcConfig* config = nullptr;  // null when the loader fell back to FcInit(), which installs it
};

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

bool HasCacheDirectory(FcConfig* config) {
  FcStrList* directories = FcConfigGetCacheDirs(config);
  const bool any = directories != nullptr && FcStrListNext(directories) != nullptr;
  FcStrListDone(directories);
  return any;
}

void MakeCurrent(FcConfig* config) {
  if (config == nullptr)
    return;
  FcConfigSetCurrent(config);
  FcConfigDestroy(config);  // the current configuration keeps its own reference
}

}  // namespace

FcConfig* LoadSystemFontConfig() {
  FcConfig* config = FcConfigCreate();
  if (config == nullptr)
    return nullptr;
  // Without a cache directory FcInit() adds its defaults; that case stays with FcInit().
  if (FcConfigParseAndLoad(config, nullptr, FcTrue) && HasCacheDirectory(config) &&
      FcConfigBuildFonts(config))
    return config;
  FcConfigDestroy(config);
  return nullptr;
}

TFontWarmup::TFontWarmup() : handover_(std::make_shared<Handover>()) {
  // The locale Qt is about to set, set before the loader starts, so no locale changes under it.
  std::setlocale(LC_ALL, "");
  loader_ = std::thread([handover = handover_] {
    const sched_param idle{};
    sched_setscheduler(0, SCHED_IDLE, &idle);  // this thread only; if refused it runs as usual
    FcConfig* config = LoadSystemFontConfig();
    if (config == nullptr)
      FcInit();
    std::unique_lock lock(handover->mutex);
    if (handover->abandoned) {
      lock.unlock();
      if (config != nullptr)
        FcConfigDestroy(config);
      return;
    }
    handover->config = config;
    handover->done = true;
    handover->loaded.notify_one();
  });
}

TFontWarmup::~TFontWarmup() {
  Finish();
}

void TFontWarmup::Finish() {
  if (!loader_.joinable())
    return;
  clockid_t loaderClock{};
  const bool measurable = pthread_getcpuclockid(loader_.native_handle(), &loaderClock) == 0;
  std::unique_lock lock(handover_->mutex);
  for (;;) {
    const microseconds before = measurable ? CpuTime(loaderClock) : microseconds(0);
    if (handover_->loaded.wait_for(lock, kWaitSlice, [this] { return handover_->done; })) {
      FcConfig* config = handover_->config;
      lock.unlock();
      loader_.join();
      MakeCurrent(config);
      return;
    }
    if (measurable && CpuTime(loaderClock) - before < kLeastProgress)
      break;  // starved: every core is taken by something that outranks it
  }
  handover_->abandoned = true;
  lock.unlock();
  loader_.detach();
  FcInit();
}

}  // namespace odecet
