#pragma once

#include <thread>

// Reads the system's font configuration (fontconfig's files and caches, the largest single cost
// of showing the window) on another core while Qt connects to the window system. Qt reads the
// same configuration when the window first needs a font and then finds it loaded.
class TFontWarmup {
 public:
  TFontWarmup();
  ~TFontWarmup();
  TFontWarmup(const TFontWarmup&) = delete;
  TFontWarmup& operator=(const TFontWarmup&) = delete;

  // Waits until the configuration is loaded; call before the first widget with text, so the two
  // threads never load it twice.
  void Wait();

 private:
  std::thread loader_;
};
