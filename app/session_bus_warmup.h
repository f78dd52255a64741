#pragma once

#include <thread>

namespace odecet {

// Connects to the session bus on another thread while the window is being built. Qt's bridge for
// screen readers connects to it, blocking, as soon as the first widget reports a change, which is
// in the middle of building the window; with no bus running, that attempt even starts a helper
// process and waits for it. Started here, the attempt runs while the window's font loads and the
// bridge finds it made. Nothing happens on platforms whose bridge does not use the bus.
class TSessionBusWarmup {
 public:
  TSessionBusWarmup();  // once the application object exists
  ~TSessionBusWarmup();
  TSessionBusWarmup(const TSessionBusWarmup&) = delete;
  TSessionBusWarmup& operator=(const TSessionBusWarmup&) = delete;

 private:
  std::thread connector_;
};

}  // namespace odecet
