#pragma once

#include <QList>
#include <QMainWindow>
#include <QStringList>
#include <optional>
#include <vector>

#include "viewer/picture_settings.h"
#include "viewer/plotted_spectrum.h"

class QAction;
class QActionGroup;
class QListWidget;
class QListWidgetItem;
class QTabWidget;

namespace odecet {

class PlotView;

// The plot window: the loaded files in a list with a check box each, beside tabs with the
// Nyquist and Bode plots and the Kramers–Kronig check of the selected file.
class PlotWindow : public QMainWindow {
 public:
  enum Tab { kNyquist, kBode, kKramersKronig };

  explicit PlotWindow(QWidget* parent = nullptr);

  // Adds each file as a series; a file already open is selected and shown instead. The files
  // that cannot be read are named, with the reason, in one error box; the others are shown.
  void OpenFiles(const QStringList& paths);
  // Adds the difference of the series in rows `step1` (4 ribs) and `step2` (3 ribs), or says
  // in a box why the two do not match. True when it was added (or was there already).
  bool AddDifference(int step1, int step2, double tolerance);
  // Opens both steps, read as odecet-cli reads them (measurements only), and adds their
  // difference with the window's tolerance.
  void OpenDifference(const QString& step1, const QString& step2);
  // Writes what the shown tab draws, at its size on screen. Throws PictureWriteError.
  void ExportShownTab(const QString& path);
  // Writes the plots `settings` name, drawn afresh from the loaded files with the zoom the
  // window shows. Throws PictureWriteError.
  void ExportPicture(const QString& path, const PictureSettings& settings);

  // The decimal separator of step files opened from now on; none for the regional settings'.
  void SetStepSeparator(std::optional<char> separator);
  char stepSeparator() const;
  // The frequency tolerance the difference dialog starts with.
  void SetTolerance(double tolerance) { tolerance_ = tolerance; }

  const std::vector<PlottedSpectrum>& spectra() const { return spectra_; }
  QListWidget* fileList() const { return fileList_; }
  QTabWidget* tabs() const { return tabs_; }
  PlotView* view(Tab tab) const;
  // Under the Kramers–Kronig plot: how M was chosen.
  PlotView* choiceView() const { return choiceView_; }

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // The menus and the tool bar; returns the actions the file list's own menu offers too.
  QList<QAction*> CreateMenus();
  void ChooseFiles();
  void ChooseExport();
  void ChooseDifference();
  void CopyPoints();
  void RemoveSelected();
  void FileChecked(QListWidgetItem* item);
  void ShowSpectra();
  void Append(PlottedSpectrum spectrum);
  // The row of a series that shows the same data as `path` or `name`; -1 for none.
  int RowOf(const PlottedSpectrum& spectrum) const;
  void BringForward(int row);

  std::vector<PlottedSpectrum> spectra_;
  QListWidget* fileList_;
  QTabWidget* tabs_;
  PlotView* views_[3] = {};
  PlotView* choiceView_ = nullptr;
  QString lastDirectory_;
  int coloursUsed_ = 0;
  std::optional<char> stepSeparator_;
  QActionGroup* separatorChoice_;
  double tolerance_ = 0.0;
  QString toleranceText_;
  int lastStep1_ = -1;
  int lastStep2_ = -1;
  PictureSettings pictureSettings_;
  bool pictureSettingsChosen_ = false;
};

// The window's caption, which its message boxes bear too.
QString PlotWindowCaption();

}  // namespace odecet
