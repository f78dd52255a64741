#pragma once

#include <future>
#include <thread>

// Reads the system's font configuration (fontconfig's files and caches, the largest single cost
// of showing the window) on another core while Qt connects to the window system. Qt reads the
// same configuration when the window first needs a font and then finds it loaded.
//
// The loader runs at idle priority: it takes only a core that nothing else wants, so it never
// delays the connection to the window system, whose round trips need this process and the X
// server to run the moment they are woken.
class TFontWarmup {
 public:
  TFontWarmup();
  ~TFontWarmup();
  TFontWarmup(const TFontWarmup&) = delete;
  TFontWarmup& operator=(const TFontWarmup&) = delete;

  // Makes sure the configuration is loaded; call before the first widget with text. Waits for the
  // loader while it gets a core; when the machine is so busy that it gets none, loads the
  // configuration here rather than waiting behind everything else.
  void Finish();

 private:
  std::future<void> loaded_;
  std::thread loader_;
};
