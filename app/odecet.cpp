#include "app/odecet.h"

#include <sys/stat.h>

#include <QAccessibleWidget>
#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolTip>
#include <algorithm>
#include <span>
#include <utility>

#include "app/application.h"
#include "app/platform.h"
#include "app/report_path.h"
#include "instruments/spectrum_file.h"
#include "report/difference.h"
#include "report/report_file.h"
#include "report/report_text.h"
#include "spectrum/decimal_separator.h"
#include "spectrum/errors.h"
#include "spectrum/message_text.h"
#include "spectrum/regular_file.h"
#include "spectrum/step_file.h"

namespace odecet {

TForm1* Form1 = nullptr;

namespace {

// The layout is in pixels for 96 dpi with an 8 pt (11 px) sans-serif font.
constexpr QPoint kWindowPosition(192, 114);
constexpr QSize kOuterSize(554, 244);

QFont WindowFont() {
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(11);
  return font;
}

QLineEdit* MakeEdit(QWidget* parent, int top, bool readOnly) {
  auto* edit = new QLineEdit(parent);
  edit->setGeometry(64, top, 297, 21);
  edit->setReadOnly(readOnly);  // still focusable and selectable
  return edit;
}

QPushButton* MakeButton(QWidget* parent, int top, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setGeometry(376, top, 105, 25);
  // Outside a dialog this only lets Enter click the button that has the focus.
  button->setAutoDefault(true);
  return button;
}

// Qt gives a plain top-level widget the role of a client area ("filler" to AT-SPI); the main
// window is a frame.
QAccessibleInterface* MainWindowAccessible(const QString&, QObject* object) {
  if (auto* form = dynamic_cast<TForm1*>(object))
    return new QAccessibleWidget(form, QAccessible::Window);
  return nullptr;
}

}  // namespace

void LoadWindowFont() {
  // A line edit also lays its empty text out once in the application's font while it is built.
  for (const QFont& font : {WindowFont(), QFont()})
    QFontMetrics(font).height();
}

TForm1::TForm1(SpectrumData& data, QWidget* parent) : QWidget(parent), data_(data) {
  setWindowTitle(QStringLiteral("Odečet souborů"));
  setWindowIcon(QApplication::windowIcon());  // decoded once, by the application
  setFont(WindowFont());
  QPalette colours = palette();
  colours.setColor(QPalette::Window, colours.color(QPalette::Button));
  setPalette(colours);
  setAutoFillBackground(true);

  Krok1 = MakeEdit(this, 64, true);
  Krok2 = MakeEdit(this, 96, true);
  Odecet = MakeEdit(this, 128, false);
  Button1 = MakeButton(this, 64, QStringLiteral("&4 žebra"));
  Button2 = MakeButton(this, 96, QStringLiteral("&3 žebra"));
  Button3 = MakeButton(this, 128, QStringLiteral("&Generuj"));
  OpenDialog1 = new TOpenDialog(this);
  Dir = new QLabel(this);
  Dir->setTextFormat(Qt::PlainText);
  Dir->setWordWrap(false);
  Dir->setGeometry(64, 16, 3, 13);
  SaveDialog1 = new TSaveDialog(this);
  Button4 = MakeButton(this, 160, QStringLiteral("&Konec"));

  [[maybe_unused]] static const bool accessibleInstalled = [] {
    QAccessible::installFactory(MainWindowAccessible);
    return true;
  }();
  DescribeForScreenReaders();
  Dir->installEventFilter(this);

  setTabOrder(Krok1, Krok2);
  setTabOrder(Krok2, Odecet);
  setTabOrder(Odecet, Button1);
  setTabOrder(Button1, Button2);
  setTabOrder(Button2, Button3);
  setTabOrder(Button3, Button4);

  // An exception that leaves a handler is shown, and the window goes on.
  const auto route = [this](QPushButton* button, void (TForm1::*handler)(QObject*)) {
    connect(button, &QPushButton::clicked, this,
            [this, button, handler] { RunShowingErrors(this, [&] { (this->*handler)(button); }); });
  };
  route(Button1, &TForm1::Button1Click);
  route(Button2, &TForm1::Button2Click);
  route(Button3, &TForm1::Button3Click);
  route(Button4, &TForm1::Button4Click);

  move(kWindowPosition);
  resize(kOuterSize);  // corrected for the frame once the window system reports it
  Krok1->setFocus();
}

TForm1::~TForm1() {
  delete OpenDialog1;
  delete SaveDialog1;
}

void TForm1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!shownAt_.isValid())
    shownAt_.start();
}

bool TForm1::event(QEvent* event) {
  const bool handled = QWidget::event(event);
  // The window manager reports its frame some time after the window is shown; until then the
  // outer size cannot be known. Fit to it as soon as it arrives, but never fight a user's resize.
  const auto type = event->type();
  if ((type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show) &&
      shownAt_.isValid() && shownAt_.elapsed() < 2000) {
    const QSize frame = frameGeometry().size() - geometry().size();
    if (frame != fittedFrame_) {
      fittedFrame_ = frame;
      resize(kOuterSize - frame);
    }
  }
  return handled;
}

void TForm1::DescribeForScreenReaders() {
  // What a sighted user reads from the places of the controls, for a screen reader; nothing
  // visible changes.
  setAccessibleDescription(QStringLiteral(
      "Odečte spektrum měřené se 3 žebry od spektra měřeného se 4 žebry a zapíše rozdíl."));
  Krok1->setAccessibleName(QStringLiteral("Krok 1, 4 žebra"));
  Krok1->setAccessibleDescription(
      QStringLiteral("Název souboru spektra měřeného se 4 žebry; vybírá se tlačítkem 4 žebra."));
  Krok2->setAccessibleName(QStringLiteral("Krok 2, 3 žebra"));
  Krok2->setAccessibleDescription(
      QStringLiteral("Název souboru spektra měřeného se 3 žebry; vybírá se tlačítkem 3 žebra."));
  Odecet->setAccessibleName(QStringLiteral("Název výsledku"));
  Odecet->setAccessibleDescription(QStringLiteral(
      "Název souboru s rozdílem, bez přípony .txt; zapíše se do adresáře výsledku. Když je "
      "prázdný, Generuj se na název zeptá."));
  Dir->setAccessibleDescription(
      QStringLiteral("Adresář naposledy načteného souboru; do něj se zapíše výsledek."));
  ShowDirectory(Dir->text());
}

void TForm1::ShowDirectory(const QString& directory) {
  SetCaption(Dir, directory);
  const QString name = QStringLiteral("Adresář výsledku");
  Dir->setAccessibleName(directory.isEmpty() ? name : name + QStringLiteral(": ") + directory);
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  // A directory longer than the window is cut at its edge; hovering shows it whole. A directory
  // that fits needs no hint.
  if (watched == Dir && event->type() == QEvent::ToolTip) {
    const auto* help = static_cast<QHelpEvent*>(event);
    if (Dir->geometry().right() >= width())
      QToolTip::showText(help->globalPos(), Dir->text(), Dir);
    else
      QToolTip::hideText();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TForm1::Button1Click(QObject*) {
  LoadStep(data_.Step1Path, Krok1, data_.Step1Points, data_.Step1Count, step1File_);
}

void TForm1::Button2Click(QObject*) {
  LoadStep(data_.Step2Path, Krok2, data_.Step2Points, data_.Step2Count, step2File_);
}

void TForm1::Button3Click(QObject*) {
  if (!ComputeDifference())
    return;
  WriteReport();
}

void TForm1::Button4Click(QObject*) {
  close();
}

void TForm1::LoadStep(std::string& path, QLineEdit* edit, PointTable& table, std::int32_t& count,
                      std::optional<StepOrigin>& loaded) {
  if (!OpenDialog1->Execute())
    return;
  const QString chosen = OpenDialog1->FileName;
  const QString directory = ExtractFilePath(chosen);
  path = ToLocalPath(chosen);
  ShowDirectory(directory);
  edit->setText(ExtractFileName(chosen));
  OpenDialog1->InitialDir = directory;
  // Until the file has been read whole, no point of it, or of an earlier file, may be used.
  count = 0;
  loaded.reset();
  const NumericLocale locale = SystemNumericLocale();
  try {
    // Only a regular file: a FIFO chosen in the dialog would otherwise hang the window.
    const FileDescriptor file = OpenRegularFileForReading(path);
    struct stat info {};
    if (::fstat(file.get(), &info) == 0)
      loaded = StepOrigin{path, info.st_dev, info.st_ino};
    LoadedSweeps sweeps = ReadSpectrumDescriptorSweeps(file.get(), locale.separator, path);
    int sweep = 1;
    if (sweeps.sweeps.size() > 1) {
      // A file of several sweeps (EC-Lab's cycles, several Gamry tables): the user picks one.
      QList<SweepSummary> summaries;
      for (const Spectrum& one : sweeps.sweeps) {
        if (one.points.empty())
          continue;
        const auto [lowest, highest] = std::minmax_element(
            one.points.begin(), one.points.end(),
            [](const SpectrumPoint& a, const SpectrumPoint& b) { return a.f < b.f; });
        summaries.push_back({static_cast<int>(one.points.size()), lowest->f, highest->f});
      }
      sweep = ChooseSweepDlg(this, ExtractFileName(chosen), summaries);
      if (sweep == 0) {
        loaded.reset();
        return;  // cancelled: nothing of the file is used
      }
    }
    StoreStep(ChooseSweep(std::move(sweeps), sweep, path).spectrum, table, count);
  } catch (const StepFileError& error) {
    if (locale.known)
      throw;
    // The likeliest cause: a comma file on a machine where that locale was never generated.
    throw StepFileError(std::string(error.what()) + "\n\n" + UnknownLocaleHint(locale) +
                        "; nainstalujte je (dpkg-reconfigure locales) a program spusťte znovu.");
  }
}

bool TForm1::ComputeDifference() {
  const DifferenceResult result = SubtractSpectra(
      data_.Step1Points, data_.Step1Count, data_.Step2Points, data_.Step2Count, data_.DiffPoints);
  if (result.mismatch == Mismatch::kNone)
    return true;
  const std::string detail =
      MismatchDetail(result, data_.Step1Points, data_.Step1Count, data_.Step2Points,
                     data_.Step2Count, SystemDecimalSeparator());
  MessageDlg(this, QString::fromUtf8(MismatchText(result.mismatch)), QString::fromUtf8(detail));
  close();
  return false;
}

void TForm1::WriteReport() {
  const QString name = Odecet->text();
  if (!name.isEmpty()) {
    data_.ReportPath = FormReportPath(ToLocalPath(Dir->text()), ToLocalPath(name));
  } else {
    if (!SaveDialog1->Execute())
      return;
    data_.ReportPath = ToLocalPath(SaveDialog1->FileName) + ".txt";
    Odecet->setText(ExtractFileName(FromLocalPath(data_.ReportPath)));
  }
  RefuseReportOverStep(data_.ReportPath);
  const auto count = static_cast<std::size_t>(std::max(data_.Step1Count, 0));
  const std::span<const SpectrumPoint> points(data_.DiffPoints.data(), count);
  WriteFileReplacing(data_.ReportPath, FormatReport(points, SystemDecimalSeparator()));
}

void TForm1::RefuseReportOverStep(const std::string& reportPath) const {
  struct stat report {};
  if (::stat(reportPath.c_str(), &report) != 0)
    return;  // a new file, or one the writer will refuse with its own reason
  const auto check = [&](const std::optional<StepOrigin>& step, const char* which) {
    if (!step)
      return;
    // The file as it was read, and whatever its name holds now: both are measurements.
    struct stat now {};
    const bool same = (report.st_dev == step->device && report.st_ino == step->inode) ||
                      (::stat(step->path.c_str(), &now) == 0 && report.st_dev == now.st_dev &&
                       report.st_ino == now.st_ino);
    if (same)
      throw ReportWriteError("Výsledný soubor „" + VisibleText(reportPath) +
                             "“ nelze zapsat: je to načtené spektrum " + which + " („" +
                             VisibleText(step->path) +
                             "“), měření by se ztratilo. Zadejte jiný název výsledku.");
  };
  check(step1File_, "4 žebra");
  check(step2File_, "3 žebra");
}

}  // namespace odecet
