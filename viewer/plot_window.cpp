#include "viewer/plot_window.h"

#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QVBoxLayout>
#include <exception>
#include <new>
#include <utility>

#include "instruments/file_kind.h"
#include "viewer/bode_chart.h"
#include "viewer/kk_chart.h"
#include "viewer/nyquist_chart.h"
#include "viewer/picture_export.h"
#include "viewer/plot_view.h"

namespace {

void ShowError(QWidget* owner, const QString& message) {
  QMessageBox box(QMessageBox::Critical, PlotWindowCaption(), message, QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

// A square of the series' colour, for the file list.
QIcon ColourSwatch(const QColor& colour) {
  QPixmap swatch(14, 14);
  swatch.fill(Qt::transparent);
  QPainter painter(&swatch);
  painter.setPen(colour.darker(130));
  painter.setBrush(colour);
  painter.drawRect(1, 1, 11, 11);
  return QIcon(swatch);
}

QStringList LocalFiles(const QMimeData* data) {
  QStringList paths;
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile())
      paths << url.toLocalFile();
  }
  return paths;
}

}  // namespace

QString PlotWindowCaption() {
  return QStringLiteral("Odečet – grafy spekter");
}

PlotWindow::PlotWindow(QWidget* parent)
    : QMainWindow(parent), fileList_(new QListWidget), tabs_(new QTabWidget) {
  setWindowTitle(PlotWindowCaption());
  setAcceptDrops(true);

  auto* open = new QAction(QStringLiteral("&Otevřít…"), this);
  open->setShortcut(QKeySequence::Open);
  open->setIcon(QIcon::fromTheme(QStringLiteral("document-open")));
  connect(open, &QAction::triggered, this, &PlotWindow::ChooseFiles);
  auto* exportPicture = new QAction(QStringLiteral("&Exportovat obrázek…"), this);
  exportPicture->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
  exportPicture->setIcon(QIcon::fromTheme(QStringLiteral("document-save-as")));
  connect(exportPicture, &QAction::triggered, this, &PlotWindow::ChooseExport);
  auto* quit = new QAction(QStringLiteral("&Konec"), this);
  quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
  connect(quit, &QAction::triggered, this, &QWidget::close);

  QMenu* fileMenu = menuBar()->addMenu(QStringLiteral("&Soubor"));
  fileMenu->addAction(open);
  fileMenu->addAction(exportPicture);
  fileMenu->addSeparator();
  fileMenu->addAction(quit);
  QToolBar* toolBar = addToolBar(QStringLiteral("Nástroje"));
  toolBar->setMovable(false);
  toolBar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  toolBar->addAction(open);
  toolBar->addAction(exportPicture);

  auto* listPanel = new QWidget;
  auto* listLayout = new QVBoxLayout(listPanel);
  listLayout->setContentsMargins(6, 6, 0, 0);
  auto* listLabel = new QLabel(QStringLiteral("&Soubory:"));
  listLabel->setBuddy(fileList_);
  listLayout->addWidget(listLabel);
  listLayout->addWidget(fileList_);
  fileList_->setToolTip(
      QStringLiteral("Zaškrtnuté soubory se kreslí; vybraný se kontroluje "
                     "na kartě Kramers–Kronig."));
  connect(fileList_, &QListWidget::itemChanged, this, &PlotWindow::FileChecked);
  connect(fileList_, &QListWidget::currentRowChanged, this, [this] { ShowSpectra(); });

  tabs_->addTab(new PlotView(new NyquistChart), QStringLiteral("Nyquist"));
  tabs_->addTab(new PlotView(new BodeChart), QStringLiteral("Bode"));
  tabs_->addTab(new PlotView(new KramersKronigChart), QStringLiteral("Kramers–Kronig"));

  auto* splitter = new QSplitter;
  splitter->addWidget(listPanel);
  splitter->addWidget(tabs_);
  splitter->setStretchFactor(1, 1);
  splitter->setSizes({200, 900});
  setCentralWidget(splitter);
  statusBar()->showMessage(
      QStringLiteral("Kolečko myši nebo tažený obdélník zvětší, pravé "
                     "tlačítko zmenší, dvojklik přizpůsobí osy."));
  resize(1200, 720);
  ShowSpectra();
}

PlotView* PlotWindow::view(Tab tab) const {
  return static_cast<PlotView*>(tabs_->widget(tab));
}

void PlotWindow::OpenFiles(const QStringList& paths) {
  QStringList failures;
  const auto firstNew = static_cast<int>(spectra_.size());
  for (const QString& path : paths) {
    try {
      for (PlottedSpectrum& sweep : LoadPlottedSpectra(path, static_cast<int>(spectra_.size())))
        spectra_.push_back(std::move(sweep));
    } catch (const std::bad_alloc&) {
      failures << QStringLiteral("Pro načtení souboru není dost paměti.");
    } catch (const std::exception& error) {
      failures << QString::fromUtf8(error.what());
    }
    lastDirectory_ = QFileInfo(path).absolutePath();
  }
  const QSignalBlocker quiet(fileList_);
  for (auto i = static_cast<std::size_t>(firstNew); i < spectra_.size(); ++i) {
    auto* item = new QListWidgetItem(ColourSwatch(spectra_[i].colour), spectra_[i].name, fileList_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    item->setToolTip(spectra_[i].path);
  }
  if (static_cast<int>(spectra_.size()) > firstNew)
    fileList_->setCurrentRow(firstNew);
  ShowSpectra();
  if (!failures.isEmpty())
    ShowError(this, failures.join(QStringLiteral("\n\n")));
}

void PlotWindow::FileChecked(QListWidgetItem* item) {
  const int row = fileList_->row(item);
  if (row < 0 || static_cast<std::size_t>(row) >= spectra_.size())
    return;
  spectra_[static_cast<std::size_t>(row)].visible = item->checkState() == Qt::Checked;
  ShowSpectra();
}

void PlotWindow::ShowSpectra() {
  for (const Tab tab : {kNyquist, kBode, kKramersKronig})
    view(tab)->spectrumChart()->Show(spectra_, fileList_->currentRow());
}

void PlotWindow::ChooseFiles() {
  QFileDialog dialog(this, QStringLiteral("Otevřít spektra"), lastDirectory_);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setFileMode(QFileDialog::ExistingFiles);
  dialog.setNameFilters(
      {QStringLiteral("Spektra (") + QString::fromStdString(SpectrumFilePatterns(true)) + ')',
       QStringLiteral("Všechny soubory (*)")});
  if (dialog.exec() == QDialog::Accepted)
    OpenFiles(dialog.selectedFiles());
}

void PlotWindow::ChooseExport() {
  static const QStringList kFilters = {QStringLiteral("Obrázek SVG (*.svg)"),
                                       QStringLiteral("Obrázek PNG (*.png)"),
                                       QStringLiteral("Dokument PDF (*.pdf)")};
  static const QStringList kSuffixes = {QStringLiteral("svg"), QStringLiteral("png"),
                                        QStringLiteral("pdf")};
  QFileDialog dialog(this, QStringLiteral("Exportovat obrázek"), lastDirectory_);
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilters(kFilters);
  static const QStringList kNames = {QStringLiteral("nyquist.svg"), QStringLiteral("bode.svg"),
                                     QStringLiteral("kramers-kronig.svg")};
  dialog.selectFile(kNames.value(tabs_->currentIndex()));
  // The suffix follows the kind chosen, so the name says what the file holds.
  connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
    dialog.setDefaultSuffix(kSuffixes.value(kFilters.indexOf(filter)));
  });
  dialog.setDefaultSuffix(kSuffixes.first());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
    return;
  QString path = dialog.selectedFiles().first();
  if (!PictureKindOf(path))
    path += '.' + kSuffixes.value(kFilters.indexOf(dialog.selectedNameFilter()), kSuffixes.first());
  try {
    ExportShownTab(path);
    lastDirectory_ = QFileInfo(path).absolutePath();
  } catch (const std::exception& error) {
    ShowError(this, QString::fromUtf8(error.what()));
  }
}

void PlotWindow::ExportShownTab(const QString& path) {
  PlotView* shown = view(static_cast<Tab>(tabs_->currentIndex()));
  SpectrumChart* chart = shown->spectrumChart();
  WritePicture(*shown->scene(), chart->sceneBoundingRect(), chart->size().toSize(), path);
}

void PlotWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!LocalFiles(event->mimeData()).isEmpty())
    event->acceptProposedAction();
}

void PlotWindow::dropEvent(QDropEvent* event) {
  const QStringList paths = LocalFiles(event->mimeData());
  if (paths.isEmpty())
    return;
  event->acceptProposedAction();
  OpenFiles(paths);
}
