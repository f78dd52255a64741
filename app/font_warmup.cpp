#include "app/font_warmup.h"

#include <fontconfig/fontconfig.h>

#include <clocale>

TFontWarmup::TFontWarmup() {
  // The locale Qt is about to set, set before the loader starts, so no locale changes under it.
  std::setlocale(LC_ALL, "");
  loader_ = std::thread([] { FcInit(); });
}

TFontWarmup::~TFontWarmup() {
  Wait();
}

void TFontWarmup::Wait() {
  if (loader_.joinable())
    loader_.join();
}
