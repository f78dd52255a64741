#include <QApplication>
#include <QStringList>
#include <cstdio>
#include <string>
#include <vector>

#include "gui_common/qt_translations.h"
#include "program/complaint.h"
#include "viewer/command_line.h"
#include "viewer/export_command.h"
#include "viewer/plot_window.h"
#include "viewer/viewer_icon.h"

using namespace odecet;

int main(int argc, char* argv[]) {
  ViewerCommandLine line;
  try {
    line = ParseViewerCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const ViewerUsageError& error) {
    Complain(stderr, kViewerName, error.what());
    std::fputs("Nápovědu vypíše „odecet-graf --help“.\n", stderr);
    return kWrongUsage;
  }
  if (line.action == ViewerCommandLine::Action::kHelp) {
    std::fputs(kViewerHelp, stdout);
    return kDone;
  }
  if (line.action == ViewerCommandLine::Action::kVersion) {
    std::fputs("odecet-graf " ODECET_VERSION "\n", stdout);
    return kDone;
  }
  // A script's picture needs no display.
  if (line.action == ViewerCommandLine::Action::kExport)
    qputenv("QT_QPA_PLATFORM", "offscreen");

  // The arguments are ours; Qt sees none.
  int qtArgc = 1;
  char* qtArgv[] = {argv[0], nullptr};
  QApplication application(qtArgc, qtArgv);
  LoadQtTranslations(application);
  application.setApplicationName(QStringLiteral("odecet-graf"));
  application.setApplicationDisplayName(PlotWindowCaption());
  application.setDesktopFileName(QStringLiteral("odecet-graf"));
  application.setWindowIcon(ViewerIcon());
  if (line.action == ViewerCommandLine::Action::kExport)
    return ExportCommand(line, stderr);

  PlotWindow window;
  window.SetStepSeparator(line.separator);
  window.SetTolerance(line.tolerance);
  window.show();
  if (line.difference)
    window.OpenDifference(line.difference->first, line.difference->second);
  if (!line.files.isEmpty())
    window.OpenFiles(line.files);
  return application.exec();
}
