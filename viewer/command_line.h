#pragma once

#include <QSize>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "viewer/picture_settings.h"

namespace odecet {

// odecet-graf [-d ODDĚLOVAČ] [-t PODÍL] [--difference KROK1 KROK2] [--export=OBRÁZEK ...]
// [SOUBOR...]
struct ViewerCommandLine {
  enum class Action { kWindow, kExport, kHelp, kVersion };
  Action action = Action::kWindow;
  QStringList files;
  std::optional<char> separator;  // of step files; the regional one when absent
  double tolerance = 0.0;         // of the difference's frequencies, as -t
  std::optional<std::pair<QString, QString>> difference;  // the 4-rib and the 3-rib step
  // With kExport:
  QString picture;
  QSize size = QSize(1600, 700);  // pixels, unless `millimetres` is given
  std::optional<QSizeF> millimetres;
  std::optional<int> dpi;
  std::optional<double> fontPoints;
  PictureView view = PictureView::kBoth;
  bool noDecades = false;
};

// What the line asks of the picture.
PictureSettings SettingsOf(const ViewerCommandLine& line);

// Arguments that do not form a command; the message is Czech and quotes the argument.
class ViewerUsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the arguments after the program's name. Throws ViewerUsageError.
ViewerCommandLine ParseViewerCommandLine(const std::vector<std::string>& arguments);

extern const char* const kViewerHelp;

}  // namespace odecet
