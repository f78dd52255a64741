#include "app/application.h"

#include <QIcon>
#include <exception>
#include <new>

#include "app/platform.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("odecet"));
  setApplicationDisplayName(QStringLiteral("Odečet souborů"));
  setDesktopFileName(QStringLiteral("odecet"));
  setWindowIcon(QIcon(QStringLiteral(":/odecet.png")));
}

namespace {

const QString kOutOfMemory = QStringLiteral("Pro tuto operaci není dost paměti.");

}  // namespace

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::bad_alloc&) {
    ShowException(activeWindow(), kOutOfMemory);
  } catch (const std::exception& error) {
    ShowException(activeWindow(), QString::fromUtf8(error.what()));
  } catch (...) {
    ShowException(activeWindow(), QString());
  }
  return false;
}

bool RunShowingErrors(QWidget* owner, const std::function<void()>& operation) {
  try {
    operation();
    return true;
  } catch (const std::bad_alloc&) {
    ShowException(owner, kOutOfMemory);
  } catch (const std::exception& error) {
    ShowException(owner, QString::fromUtf8(error.what()));
  } catch (...) {
    ShowException(owner, QString());
  }
  return false;
}
