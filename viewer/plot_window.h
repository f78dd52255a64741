#pragma once

#include <QMainWindow>
#include <QStringList>
#include <vector>

#include "viewer/plotted_spectrum.h"

class QListWidget;
class QListWidgetItem;
class QTabWidget;
class PlotView;

// The plot window: the loaded files in a list with a check box each, beside tabs with the
// Nyquist and Bode plots and the Kramers–Kronig check of the selected file.
class PlotWindow : public QMainWindow {
 public:
  enum Tab { kNyquist, kBode, kKramersKronig };

  explicit PlotWindow(QWidget* parent = nullptr);

  // Adds each file as a series. The files that cannot be read are named, with the reason, in
  // one error box; the others are shown.
  void OpenFiles(const QStringList& paths);
  // Writes what the shown tab draws, at its size on screen. Throws PictureWriteError.
  void ExportShownTab(const QString& path);

  const std::vector<PlottedSpectrum>& spectra() const { return spectra_; }
  QListWidget* fileList() const { return fileList_; }
  QTabWidget* tabs() const { return tabs_; }
  PlotView* view(Tab tab) const;

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void ChooseFiles();
  void ChooseExport();
  void FileChecked(QListWidgetItem* item);
  void ShowSpectra();

  std::vector<PlottedSpectrum> spectra_;
  QListWidget* fileList_;
  QTabWidget* tabs_;
  QString lastDirectory_;
};

// The window's caption, which its message boxes bear too.
QString PlotWindowCaption();
