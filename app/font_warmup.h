#pragma once

#include <fontconfig/fontconfig.h>

#include <memory>
#include <thread>

namespace odecet {

// Loads the system's font configuration (fontconfig's files and caches, the largest single cost
// of showing the window) on another core while Qt connects to the window system. Qt then finds
// it current when the window first needs a font.
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

  // Makes the configuration current; call before the first widget with text. Waits for the
  // loader while it gets a core; when the machine is so busy that it gets none, loads the
  // configuration here rather than waiting behind everything else.
  void Finish();

  struct Handover;  // between the loader and Finish()

 private:
  std::shared_ptr<Handover> handover_;  // shared with a loader that may outlive this object
  std::thread loader_;
};

// Fontconfig's configuration as FcInit() loads it, without the pass over fontconfig's template
// directory that FcInit() adds only to describe those files for fc-conflist (it applies none of
// them; it reads every one). Null when the system has no usable configuration; FcInit() then
// falls back to its built-in one.
FcConfig* LoadSystemFontConfig();

}  // namespace odecet
