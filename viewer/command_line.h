#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

// odecet-graf [--export=OBRÁZEK [--size=ŠxV]] [SOUBOR...]
struct ViewerCommandLine {
  enum class Action { kWindow, kExport, kHelp, kVersion };
  Action action = Action::kWindow;
  QStringList files;
  QString picture;                // with kExport
  QSize size = QSize(1600, 700);  // of the exported picture, pixels
};

// Arguments that do not form a command; the message is Czech and quotes the argument.
class ViewerUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the arguments after the program's name. Throws ViewerUsageError.
ViewerCommandLine ParseViewerCommandLine(const std::vector<std::string>& arguments);

extern const char* const kViewerHelp;
