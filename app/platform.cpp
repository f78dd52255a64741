#include "app/platform.h"

#include <png.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>
#include <QStyle>
#include <QVBoxLayout>
#include <cmath>

#include "instruments/file_kind.h"
#include "spectrum/decimal_separator.h"
#include "spectrum/decimal_text.h"

namespace odecet {

namespace {

// Qt takes a filter's patterns from its text, but the texts must read as the system's own
// ("All files (*.*)") while "*.*" would hide names without a dot. So each entry carries its
// real patterns in a trailing group, and the dialog hides that group.
QStringList NameFilters(const QList<TFileDialog::Filter>& filters) {
  QStringList list;
  for (const auto& [text, patterns] : filters)
    list << text + QStringLiteral(" (") + patterns + ')';
  return list;
}

// The name box completes from a directory listing that may arrive after the dialog has closed;
// its list would then pop up alone over the main window and swallow the next click. So the
// completer serves its box only while the dialog is open: detaching it hides the list and stops
// late completions.
void SetCompletionAttached(QFileDialog* dialog, bool attached) {
  for (auto* box : dialog->findChildren<QLineEdit*>()) {
    if (QCompleter* completer = box->completer()) {
      completer->setWidget(attached ? box : nullptr);
      if (!attached && completer->popup() != nullptr)
        completer->popup()->hide();
    }
  }
}

// Qt's dialog mirrors the typed path in its file list, selecting each existing item the text
// names on its way (the folders of a full path) and toggling the earlier ones off again. When the
// path passes through the home folder the toggling gets out of step and the files' folder stays
// selected; accept() prefers the list's selection to the typed text, finds a folder, changes into
// it and clears the name box. What the user typed is what the dialog must take, so the list's
// selection goes before accept() looks at it. A click in the list puts the chosen name into the
// box, so a choice made there still counts.
class TypedNameFileDialog : public QFileDialog {
 public:
  using QFileDialog::QFileDialog;

  void accept() override {
    auto* nameBox = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    auto* list = findChild<QAbstractItemView*>(QStringLiteral("listView"));
    if (nameBox != nullptr && !nameBox->text().isEmpty() && list != nullptr &&
        list->selectionModel() != nullptr)
      list->selectionModel()->clearSelection();
    QFileDialog::accept();
  }
};

QString WindowCaption() {
  return QStringLiteral("Odečet souborů");
}

}  // namespace

TFileDialog::TFileDialog(QWidget* owner, bool forSaving, const QList<Filter>& filters)
    : owner_(owner), forSaving_(forSaving), filters_(filters) {}

// Built when first needed: building both of Qt's dialogs took over a quarter of the window's
// start-up, and a dialog is only ever opened once the window is up.
QFileDialog* TFileDialog::dialog() {
  if (dialog_ != nullptr)
    return dialog_;
  dialog_ = new TypedNameFileDialog(owner_);
  // Qt's own dialog everywhere, so filters and answers behave the same on every desktop.
  dialog_->setOption(QFileDialog::DontUseNativeDialog);
  dialog_->setOption(QFileDialog::HideNameFilterDetails);
  dialog_->setFont(QApplication::font());
  dialog_->setNameFilters(NameFilters(filters_));
  if (forSaving_) {
    dialog_->setAcceptMode(QFileDialog::AcceptSave);
    dialog_->setFileMode(QFileDialog::AnyFile);  // asks before replacing an existing file
  } else {
    dialog_->setAcceptMode(QFileDialog::AcceptOpen);
    dialog_->setFileMode(QFileDialog::ExistingFile);
  }
  return dialog_;
}

bool TFileDialog::Execute() {
  dialog();  // built on the first opening
  const QFileInfo current(FileName);
  if (FileName.contains('/')) {
    dialog_->setDirectory(current.absolutePath());
    dialog_->selectFile(current.fileName());
  } else {
    if (!InitialDir.isEmpty())
      dialog_->setDirectory(InitialDir);
    // A bare pattern such as the initial "*.txt" only repeats the first filter.
    if (!FileName.contains('*') && !FileName.contains('?'))
      dialog_->selectFile(FileName);
  }
  dialog_->selectNameFilter(dialog_->nameFilters().value(0));
  SetCompletionAttached(dialog_, true);
  const int result = dialog_->exec();
  SetCompletionAttached(dialog_, false);
  if (result != QDialog::Accepted)
    return false;
  const QStringList chosen = dialog_->selectedFiles();
  if (chosen.isEmpty())
    return false;
  FileName = chosen.first();
  return true;
}

TOpenDialog::TOpenDialog(QWidget* owner)
    : TFileDialog(owner, false,
                  {{QStringLiteral("Text files (*.txt)"), QStringLiteral("*.txt")},
                   {QStringLiteral("All files (*.*)"), QStringLiteral("*")},
                   {QStringLiteral("Soubory přístrojů (") +
                        QString::fromStdString(SpectrumFilePatterns(false, true)) + ')',
                    QString::fromStdString(SpectrumFilePatterns(false))}}) {}

int ChooseSweepDlg(QWidget* owner, const QString& fileName, const QList<SweepSummary>& sweeps) {
  QDialog dialog(owner);
  dialog.setWindowTitle(QStringLiteral("Výběr měření"));
  dialog.setMinimumWidth(400);  // the title whole, with the window manager's buttons
  auto* layout = new QVBoxLayout(&dialog);
  auto* question = new QLabel(QStringLiteral("Soubor „%1“ obsahuje %2 měření. Které načíst?")
                                  .arg(fileName)
                                  .arg(sweeps.size()),
                              &dialog);
  question->setWordWrap(true);
  layout->addWidget(question);
  auto* list = new QListWidget(&dialog);
  list->setAccessibleName(QStringLiteral("Měření v souboru"));
  const char separator = SystemDecimalSeparator();
  // Four significant digits: enough to tell the sweeps apart, short enough to read.
  const auto hertz = [separator](double value) {
    if (value > 0.0 && std::isfinite(value)) {
      const double unit = std::pow(10.0, std::floor(std::log10(value)) - 3.0);
      value = std::round(value / unit) * unit;
    }
    return QString::fromStdString(FloatToStr(value, separator));
  };
  for (int i = 0; i < sweeps.size(); ++i) {
    const SweepSummary& sweep = sweeps[i];
    list->addItem(QStringLiteral("Měření %1: %2 bodů, %3 až %4 Hz")
                      .arg(i + 1)
                      .arg(sweep.points)
                      .arg(hertz(sweep.lowest), hertz(sweep.highest)));
  }
  list->setCurrentRow(0);
  // Every line whole, without a scroll bar across.
  list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() +
                        list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 8);
  question->setBuddy(list);
  layout->addWidget(list);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  QObject::connect(list, &QListWidget::itemActivated, &dialog, &QDialog::accept);
  layout->addWidget(buttons);
  if (dialog.exec() != QDialog::Accepted || list->currentRow() < 0)
    return 0;
  return list->currentRow() + 1;
}

TSaveDialog::TSaveDialog(QWidget* owner)
    : TFileDialog(owner, true,
                  {{QStringLiteral("Text files (*.txt)"), QStringLiteral("*txt")},
                   {QStringLiteral("All files (*.*)"), QStringLiteral("*")}}) {}

namespace {

// Qt's image reader loads every image-format plugin (SVG, GIF, ICO, JPEG and the libraries behind
// them) before it picks its own PNG reader; libpng reads the small icons directly.
QImage ReadPng(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  const QByteArray bytes = file.readAll();
  png_image png{};
  png.version = PNG_IMAGE_VERSION;
  if (png_image_begin_read_from_memory(&png, bytes.constData(),
                                       static_cast<std::size_t>(bytes.size())) == 0)
    return {};
  png.format = PNG_FORMAT_RGBA;  // byte order of QImage::Format_RGBA8888 on every machine
  QImage image(static_cast<int>(png.width), static_cast<int>(png.height), QImage::Format_RGBA8888);
  if (image.isNull() ||
      png_image_finish_read(&png, nullptr, image.bits(),
                            static_cast<png_int_32>(image.bytesPerLine()), nullptr) == 0) {
    png_image_free(&png);
    return {};
  }
  return image;
}

}  // namespace

QIcon ApplicationIcon() {
  // Only the sizes a window's frame, task bar and window switcher draw: each size is decoded and
  // sent to the window system at start. Menus and docks take the larger ones from the icons the
  // desktop entry installs.
  QIcon icon;
  for (const int size : {32, 48})
    icon.addPixmap(QPixmap::fromImage(ReadPng(QStringLiteral(":/icons/odecet-%1.png").arg(size))));
  return icon;
}

void MessageDlg(QWidget* owner, const QString& text, const QString& detail) {
  QMessageBox box(QMessageBox::Warning, WindowCaption(), text, QMessageBox::Ok, owner);
  box.setFont(QApplication::font());
  box.setTextFormat(Qt::PlainText);
  if (!detail.isEmpty())
    box.setInformativeText(detail);
  box.exec();
}

void ShowException(QWidget* owner, const QString& message) {
  QMessageBox box(QMessageBox::Critical, WindowCaption(), message, QMessageBox::Ok, owner);
  box.setFont(QApplication::font());
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

void SetCaption(QLabel* label, const QString& text) {
  label->setText(text);
  const int width = std::max(3, label->fontMetrics().horizontalAdvance(text));
  label->resize(width, label->height());
}

QString ExtractFilePath(const QString& path) {
  const auto slash = path.lastIndexOf('/');
  return slash < 0 ? QString() : path.left(slash + 1);
}

QString ExtractFileName(const QString& path) {
  return path.mid(path.lastIndexOf('/') + 1);
}

std::string ToLocalPath(const QString& path) {
  return QFile::encodeName(path).toStdString();
}

QString FromLocalPath(const std::string& path) {
  return QFile::decodeName(QByteArray::fromStdString(path));
}

}  // namespace odecet
