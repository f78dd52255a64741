#include "viewer/plot_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPixmap>
#include <QSplitter>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <exception>
#include <new>
#include <utility>

#include "instruments/file_kind.h"
#include "spectrum/decimal_separator.h"
#include "spectrum/decimal_text.h"
#include "viewer/bode_chart.h"
#include "viewer/difference_series.h"
#include "viewer/export_command.h"
#include "viewer/kk_chart.h"
#include "viewer/kk_choice_chart.h"
#include "viewer/nyquist_chart.h"
#include "viewer/picture_export.h"
#include "viewer/plot_dialogs.h"
#include "viewer/plot_view.h"

namespace odecet {

namespace {

void ShowError(QWidget* owner, const QString& message, const QString& detail = {}) {
  QMessageBox box(QMessageBox::Critical, PlotWindowCaption(), message, QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  box.setInformativeText(detail);
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

// One file, however its path is spelt (relative, through links).
QString Identity(const QString& path) {
  const QFileInfo info(path);
  const QString canonical = info.canonicalFilePath();
  return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

QString FormatTolerance(double tolerance) {
  return QString::fromStdString(FloatToStr(tolerance, SystemDecimalSeparator()));
}

}  // namespace

QString PlotWindowCaption() {
  return QStringLiteral("Odečet – grafy spekter");
}

PlotWindow::PlotWindow(QWidget* parent)
    : QMainWindow(parent),
      fileList_(new QListWidget),
      tabs_(new QTabWidget),
      separatorChoice_(new QActionGroup(this)) {
  setWindowTitle(PlotWindowCaption());
  setAcceptDrops(true);

  const QList<QAction*> listActions = CreateMenus();

  auto* listPanel = new QWidget;
  auto* listLayout = new QVBoxLayout(listPanel);
  listLayout->setContentsMargins(6, 6, 0, 0);
  // Not Alt+S, which opens the Soubor menu.
  auto* listLabel = new QLabel(QStringLiteral("&Načtené soubory:"));
  listLabel->setBuddy(fileList_);
  listLayout->addWidget(listLabel);
  listLayout->addWidget(fileList_);
  fileList_->setToolTip(
      QStringLiteral("Zaškrtnuté soubory se kreslí; vybraný se kontroluje "
                     "na kartě Kramers–Kronig."));
  fileList_->setContextMenuPolicy(Qt::ActionsContextMenu);
  fileList_->addActions(listActions);
  connect(fileList_, &QListWidget::itemChanged, this, &PlotWindow::FileChecked);
  connect(fileList_, &QListWidget::currentRowChanged, this, [this] { ShowSpectra(); });

  views_[kNyquist] = new PlotView(new NyquistChart);
  views_[kBode] = new PlotView(new BodeChart);
  auto* kk = new KramersKronigChart;
  auto* choice = new KkChoiceChart;
  kk->SetChoiceChart(choice);
  views_[kKramersKronig] = new PlotView(kk);
  choiceView_ = new PlotView(choice);
  auto* kkTab = new QSplitter(Qt::Vertical);
  kkTab->addWidget(views_[kKramersKronig]);
  kkTab->addWidget(choiceView_);
  kkTab->setStretchFactor(0, 2);
  kkTab->setStretchFactor(1, 1);
  choiceView_->setMinimumHeight(220);  // room for its axes' labels
  kkTab->setChildrenCollapsible(false);
  tabs_->addTab(views_[kNyquist], QStringLiteral("Nyquist"));
  tabs_->addTab(views_[kBode], QStringLiteral("Bode"));
  tabs_->addTab(kkTab, QStringLiteral("Kramers–Kronig"));

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
  return views_[tab];
}

void PlotWindow::SetStepSeparator(std::optional<char> separator) {
  stepSeparator_ = separator;
  for (QAction* choice : separatorChoice_->actions()) {
    const QVariant chosen = choice->data();
    choice->setChecked(separator ? chosen.isValid() && chosen.toChar().toLatin1() == *separator
                                 : !chosen.isValid());
  }
}

char PlotWindow::stepSeparator() const {
  return stepSeparator_ ? *stepSeparator_ : SystemDecimalSeparator();
}

int PlotWindow::RowOf(const PlottedSpectrum& spectrum) const {
  for (std::size_t i = 0; i < spectra_.size(); ++i) {
    const PlottedSpectrum& open = spectra_[i];
    const bool same = spectrum.path.isEmpty()
                          ? open.path.isEmpty() && open.name == spectrum.name
                          : !open.path.isEmpty() && Identity(open.path) == Identity(spectrum.path);
    if (same)
      return static_cast<int>(i);
  }
  return -1;
}

void PlotWindow::BringForward(int row) {
  fileList_->item(row)->setCheckState(Qt::Checked);
  fileList_->setCurrentRow(row);
  statusBar()->showMessage(QStringLiteral("„%1“ už v seznamu je; je vybraný.")
                               .arg(spectra_[static_cast<std::size_t>(row)].name),
                           5000);
}

void PlotWindow::Append(PlottedSpectrum spectrum) {
  const QSignalBlocker quiet(fileList_);
  auto* item = new QListWidgetItem(ColourSwatch(spectrum.colour), spectrum.name, fileList_);
  item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
  item->setCheckState(Qt::Checked);
  item->setToolTip(spectrum.path.isEmpty() ? spectrum.name : spectrum.path);
  spectra_.push_back(std::move(spectrum));
}

void PlotWindow::OpenFiles(const QStringList& paths) {
  QStringList failures;
  int firstNew = -1;
  int known = -1;
  for (const QString& path : paths) {
    PlottedSpectrum probe;
    probe.path = path;
    if (const int row = RowOf(probe); row >= 0) {
      known = row;
      lastDirectory_ = QFileInfo(path).absolutePath();
      continue;
    }
    try {
      for (PlottedSpectrum& sweep : LoadPlottedSpectra(path, stepSeparator())) {
        sweep.colour = SeriesColour(coloursUsed_++);
        Append(std::move(sweep));
        if (firstNew < 0)
          firstNew = static_cast<int>(spectra_.size()) - 1;
      }
    } catch (const std::bad_alloc&) {
      failures << QStringLiteral("Pro načtení souboru není dost paměti.");
    } catch (const std::exception& error) {
      failures << QString::fromUtf8(error.what());
    }
    lastDirectory_ = QFileInfo(path).absolutePath();
  }
  {
    const QSignalBlocker quiet(fileList_);
    if (firstNew >= 0)
      fileList_->setCurrentRow(firstNew);
  }
  ShowSpectra();
  if (known >= 0 && firstNew < 0)
    BringForward(known);
  if (!failures.isEmpty())
    ShowError(this, failures.join(QStringLiteral("\n\n")));
}

bool PlotWindow::AddDifference(int step1, int step2, double tolerance) {
  const auto count = static_cast<int>(spectra_.size());
  if (step1 < 0 || step2 < 0 || step1 >= count || step2 >= count)
    return false;
  DifferenceOutcome outcome = MakeDifference(spectra_[static_cast<std::size_t>(step1)],
                                             spectra_[static_cast<std::size_t>(step2)], tolerance,
                                             stepSeparator(), SeriesColour(coloursUsed_));
  if (!outcome.series) {
    ShowError(this, outcome.text, outcome.detail);
    return false;
  }
  if (const int row = RowOf(*outcome.series); row >= 0) {
    BringForward(row);
    return true;
  }
  ++coloursUsed_;
  Append(std::move(*outcome.series));
  {
    const QSignalBlocker quiet(fileList_);
    fileList_->setCurrentRow(count);
  }
  ShowSpectra();
  return true;
}

void PlotWindow::OpenDifference(const QString& step1, const QString& step2) {
  QStringList failures;
  std::vector<int> rows;
  for (const QString& path : {step1, step2}) {
    PlottedSpectrum probe;
    probe.path = path;
    if (const int row = RowOf(probe);
        row >= 0 && spectra_[static_cast<std::size_t>(row)].measured) {
      rows.push_back(row);
      continue;
    }
    try {
      Append(LoadPlottedSpectrum(path, SeriesColour(coloursUsed_), stepSeparator(),
                                 SpectrumSources::kMeasurements));
      ++coloursUsed_;
      rows.push_back(static_cast<int>(spectra_.size()) - 1);
    } catch (const std::bad_alloc&) {
      failures << QStringLiteral("Pro načtení souboru není dost paměti.");
    } catch (const std::exception& error) {
      failures << QString::fromUtf8(error.what());
    }
    lastDirectory_ = QFileInfo(path).absolutePath();
  }
  ShowSpectra();
  if (!failures.isEmpty()) {
    ShowError(this, failures.join(QStringLiteral("\n\n")));
    return;
  }
  lastStep1_ = rows[0];
  lastStep2_ = rows[1];
  toleranceText_ = tolerance_ > 0.0 ? FormatTolerance(tolerance_) : QString();
  AddDifference(rows[0], rows[1], tolerance_);
}

void PlotWindow::ChooseDifference() {
  std::vector<int> rows;
  QStringList names;
  for (std::size_t i = 0; i < spectra_.size(); ++i) {
    if (spectra_[i].measured) {
      rows.push_back(static_cast<int>(i));
      names << spectra_[i].name;
    }
  }
  if (rows.size() < 2) {
    ShowError(this, QStringLiteral("Pro rozdíl otevřete aspoň dva naměřené soubory: jeden se "
                                   "4 žebry a jeden se 3 žebry."));
    return;
  }
  const auto indexOf = [&rows](int row, int fallback) {
    const auto found = std::find(rows.begin(), rows.end(), row);
    return found == rows.end() ? fallback : static_cast<int>(found - rows.begin());
  };
  DifferenceDialog dialog(names, indexOf(lastStep1_, 0), indexOf(lastStep2_, 1), toleranceText_,
                          this);
  if (dialog.exec() != QDialog::Accepted)
    return;
  lastStep1_ = rows[static_cast<std::size_t>(dialog.step1())];
  lastStep2_ = rows[static_cast<std::size_t>(dialog.step2())];
  toleranceText_ = dialog.toleranceText();
  AddDifference(lastStep1_, lastStep2_, dialog.tolerance());
}

void PlotWindow::CopyPoints() {
  const int row = fileList_->currentRow();
  if (row < 0 || static_cast<std::size_t>(row) >= spectra_.size())
    return;
  // For a spreadsheet: tabs between the fields, the regional decimal separator.
  const char separator = SystemDecimalSeparator();
  std::string text = "f (Hz)\tRe (Ohm)\t-Im (Ohm)\n";
  for (const SpectrumPoint& point : spectra_[static_cast<std::size_t>(row)].points) {
    text += FloatToStr(point.f, separator) + '\t' + FloatToStr(point.re, separator) + '\t' +
            FloatToStr(-point.im, separator) + '\n';
  }
  QApplication::clipboard()->setText(QString::fromStdString(text));
  statusBar()->showMessage(QStringLiteral("Body souboru „%1“ jsou ve schránce.")
                               .arg(spectra_[static_cast<std::size_t>(row)].name),
                           5000);
}

void PlotWindow::RemoveSelected() {
  const int row = fileList_->currentRow();
  if (row < 0 || static_cast<std::size_t>(row) >= spectra_.size())
    return;
  {
    const QSignalBlocker quiet(fileList_);
    delete fileList_->takeItem(row);
    spectra_.erase(spectra_.begin() + row);
    fileList_->setCurrentRow(std::min(row, fileList_->count() - 1));
  }
  // The rows after it moved up.
  if (lastStep1_ >= row)
    lastStep1_ = lastStep1_ == row ? -1 : lastStep1_ - 1;
  if (lastStep2_ >= row)
    lastStep2_ = lastStep2_ == row ? -1 : lastStep2_ - 1;
  ShowSpectra();
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
  if (!pictureSettingsChosen_) {
    // The first time, the shown plot at its size on screen.
    static constexpr PictureView kViews[] = {PictureView::kNyquist, PictureView::kBode,
                                             PictureView::kKramersKronig};
    pictureSettings_.view = kViews[tabs_->currentIndex()];
    pictureSettings_.pixels = view(kNyquist)->size();
  }
  ExportDialog options(pictureSettings_, this);
  if (options.exec() != QDialog::Accepted)
    return;
  pictureSettings_ = options.settings();
  pictureSettingsChosen_ = true;

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
                                     QStringLiteral("kramers-kronig.svg"),
                                     QStringLiteral("nyquist-bode.svg")};
  dialog.selectFile(kNames.value(static_cast<int>(pictureSettings_.view)));
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
    ExportPicture(path, pictureSettings_);
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

void PlotWindow::ExportPicture(const QString& path, const PictureSettings& settings) {
  const bool decades =
      static_cast<NyquistChart*>(view(kNyquist)->spectrumChart())->decadesVisible();
  // A zoomed plot is drawn as zoomed.
  RenderPicture(spectra_, fileList_->currentRow(), decades, settings, path,
                {static_cast<NyquistChart*>(view(kNyquist)->spectrumChart()),
                 static_cast<BodeChart*>(view(kBode)->spectrumChart())});
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

}  // namespace odecet
