#include "gui_common/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace odecet {

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

}  // namespace

void LoadQtTranslations(QCoreApplication& application) {
  if (QLocale::system().language() == QLocale::Czech)
    QCoreApplication::installTranslator(new CzechFileTypeTexts(&application));
  // Qt's base catalogue where the language has one; "qt" would only bundle it again with Qt
  // Multimedia's, which no window here uses. Some languages still have all of Qt in "qt" alone.
  const QString directory = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  for (const char* catalogue : {"qtbase", "qt"}) {
    auto* translator = new QTranslator(&application);
    if (translator->load(QLocale::system(), QString::fromLatin1(catalogue), QStringLiteral("_"),
                         directory)) {
      QCoreApplication::installTranslator(translator);
      return;
    }
    delete translator;
  }
}

}  // namespace odecet
