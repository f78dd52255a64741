#include "app/application.h"

#include <QIcon>
#include <exception>
#include <new>

#include "app/platform.h"
#include "gui_common/qt_translations.h"

// The icon is compiled into a static library, whose resources register only when asked to,
// outside any namespace.
static void RegisterResources() {
  Q_INIT_RESOURCE(resources);
}

namespace odecet {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  RegisterResources();
  setApplicationName(QStringLiteral("odecet"));
  setApplicationDisplayName(QStringLiteral("Odečet souborů"));
  setDesktopFileName(QStringLiteral("odecet"));
  setWindowIcon(ApplicationIcon());
}

void TApplication::LoadTranslations() {
  LoadQtTranslations(*this);
}

namespace {

// Shows the exception being handled: its message, Czech words for running out of memory, an
// empty box for an unknown kind.
void ShowCurrentException(QWidget* owner) {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    ShowException(owner, QStringLiteral("Pro tuto operaci není dost paměti."));
  } catch (const std::exception& error) {
    ShowException(owner, QString::fromUtf8(error.what()));
  } catch (...) {
    ShowException(owner, QString());
  }
}

}  // namespace

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (...) {
    ShowCurrentException(activeWindow());
  }
  return false;
}

bool RunShowingErrors(QWidget* owner, const std::function<void()>& operation) {
  try {
    operation();
    return true;
  } catch (...) {
    ShowCurrentException(owner);
  }
  return false;
}

}  // namespace odecet
