#include "app/application.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <exception>
#include <new>

#include "app/platform.h"

namespace {

// The few texts of Qt's file dialog that Qt's Czech catalogue lacks (the type column's word for
// a directory); a file's type comes from the MIME database, which is translated already.
class CzechFileTypeTexts : public QTranslator {
 public:
  using QTranslator::QTranslator;
  bool isEmpty() const override { return false; }
  QString translate(const char* context, const char* sourceText, const char*, int) const override {
    if (qstrcmp(context, "QAbstractFileIconProvider") != 0)
      return {};
    if (qstrcmp(sourceText, "Folder") == 0)
      return QStringLiteral("Složka");
    if (qstrcmp(sourceText, "Drive") == 0)
      return QStringLiteral("Jednotka");
    if (qstrcmp(sourceText, "File") == 0)
      return QStringLiteral("Soubor");
    return {};
  }
};

// Qt's own texts (dialog buttons, labels, context menus, the overwrite question) in the user's
// language, as every Qt program shows them; English stays where no catalogue exists.
void LoadQtTranslations(QCoreApplication& application) {
  if (QLocale::system().language() == QLocale::Czech)
    QCoreApplication::installTranslator(new CzechFileTypeTexts(&application));
  const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  for (const char* catalogue : {"qtbase", "qt"}) {
    auto* translator = new QTranslator(&application);
    if (translator->load(QLocale::system(), QString::fromLatin1(catalogue), QStringLiteral("_"),
                         directory)) {
      QCoreApplication::installTranslator(translator);
    } else {
      delete translator;
    }
  }
}

}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The icon is compiled into a static library, whose resources register only when asked to.
  Q_INIT_RESOURCE(resources);
  LoadQtTranslations(*this);
  setApplicationName(QStringLiteral("odecet"));
  setApplicationDisplayName(QStringLiteral("Odečet souborů"));
  setDesktopFileName(QStringLiteral("odecet"));
  setWindowIcon(ApplicationIcon());
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
