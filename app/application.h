#pragma once

#include <QApplication>
#include <functional>

#include "app/session_bus_warmup.h"

namespace odecet {

// The application object. An exception that leaves an event handler is shown in the error box
// and the event loop goes on, so the window stays open and every button keeps working.
class TApplication : public QApplication {
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;

  // Qt's own texts (dialogs, context menus) in the user's language. Nothing on the window as it
  // first appears comes from them, so the program loads them once the window is on its way to the
  // screen, before any event reaches it.
  void LoadTranslations();

 private:
  // Started first: it runs while the translations, the icon and the window's font load.
  TSessionBusWarmup sessionBus_;
};

// Runs one operation; an exception that leaves it is shown in the error box (an unknown kind
// with an empty message). Returns false when it failed.
bool RunShowingErrors(QWidget* owner, const std::function<void()>& operation);

}  // namespace odecet
