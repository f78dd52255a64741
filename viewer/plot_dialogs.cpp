#include "viewer/plot_dialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include "cli/command_line.h"
#include "program/option_values.h"

namespace odecet {

namespace {

QString Caption() {
  return QStringLiteral("Odečet – grafy spekter");
}

void Refuse(QWidget* owner, const QString& message) {
  QMessageBox box(QMessageBox::Warning, Caption(), message, QMessageBox::Ok, owner);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

QWidget* Pair(QWidget* first, QWidget* second) {
  auto* pair = new QWidget;
  auto* layout = new QHBoxLayout(pair);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(first);
  layout->addWidget(new QLabel(QStringLiteral("×")));
  layout->addWidget(second);
  layout->addStretch();
  return pair;
}

QDoubleSpinBox* Millimetres(double value) {
  auto* box = new QDoubleSpinBox;
  box->setRange(10.0, 1000.0);
  box->setDecimals(1);
  box->setSuffix(QStringLiteral(" mm"));
  box->setValue(value);
  return box;
}

QSpinBox* Pixels(int value) {
  auto* box = new QSpinBox;
  box->setRange(16, 20000);
  box->setSuffix(QStringLiteral(" px"));
  box->setValue(value);
  return box;
}

}  // namespace

DifferenceDialog::DifferenceDialog(const QStringList& names, int step1, int step2,
                                   const QString& tolerance, QWidget* parent)
    : QDialog(parent),
      step1_(new QComboBox),
      step2_(new QComboBox),
      toleranceEdit_(new QLineEdit(tolerance)) {
  setWindowTitle(QStringLiteral("Rozdíl"));
  step1_->addItems(names);
  step2_->addItems(names);
  step1_->setCurrentIndex(step1);
  step2_->setCurrentIndex(step2);
  toleranceEdit_->setPlaceholderText(QStringLiteral("žádná: kmitočty stejné"));
  toleranceEdit_->setToolTip(
      QStringLiteral("Kmitočty se shodují, liší-li se nejvýš o tento podíl většího z nich "
                     "(např. 0,001), jako u volby -t programu odecet-cli."));
  auto* form = new QFormLayout(this);
  form->addRow(QStringLiteral("&4 žebra:"), step1_);
  form->addRow(QStringLiteral("&3 žebra:"), step2_);
  form->addRow(QStringLiteral("&Tolerance kmitočtů:"), toleranceEdit_);
  form->addRow(new QLabel(QStringLiteral("Rozdíl je 3 žebra minus 4 žebra, bod po bodu.")));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
  // Room for long file names and the whole title.
  setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('x')) * 60);
}

int DifferenceDialog::step1() const {
  return step1_->currentIndex();
}

int DifferenceDialog::step2() const {
  return step2_->currentIndex();
}

QString DifferenceDialog::toleranceText() const {
  return toleranceEdit_->text().trimmed();
}

void DifferenceDialog::accept() {
  if (step1() == step2()) {
    Refuse(this, QStringLiteral("Pro 4 žebra a 3 žebra vyberte dva různé soubory."));
    return;
  }
  tolerance_ = 0.0;
  if (!toleranceText().isEmpty()) {
    try {
      tolerance_ = ParseTolerance(toleranceText().toStdString());
    } catch (const UsageError& error) {
      QString message = QString::fromUtf8(error.what());
      message[0] = message[0].toUpper();
      Refuse(this, message + QLatin1Char('.'));
      toleranceEdit_->setFocus();
      return;
    }
  }
  QDialog::accept();
}

ExportDialog::ExportDialog(const PictureSettings& settings, QWidget* parent)
    : QDialog(parent),
      view_(new QComboBox),
      pixels_(new QRadioButton(QStringLiteral("v &bodech obrazovky:"))),
      millimetres_(new QRadioButton(QStringLiteral("v &milimetrech:"))),
      widthPixels_(Pixels(settings.pixels.width())),
      heightPixels_(Pixels(settings.pixels.height())),
      widthMillimetres_(Millimetres(settings.millimetres ? settings.millimetres->width() : 85.0)),
      heightMillimetres_(Millimetres(settings.millimetres ? settings.millimetres->height() : 60.0)),
      dpi_(new QSpinBox),
      font_(new QDoubleSpinBox) {
  setWindowTitle(QStringLiteral("Exportovat obrázek"));
  view_->addItems({QStringLiteral("Nyquistův diagram"), QStringLiteral("Bodeho diagram"),
                   QStringLiteral("Kramersova–Kronigova kontrola"),
                   QStringLiteral("Nyquistův a Bodeho diagram vedle sebe")});
  view_->setCurrentIndex(static_cast<int>(settings.view));
  (settings.millimetres ? millimetres_ : pixels_)->setChecked(true);
  dpi_->setRange(72, 2400);
  dpi_->setSuffix(QStringLiteral(" dpi"));
  dpi_->setValue(settings.dpi);
  dpi_->setToolTip(QStringLiteral("Body na palec obrázku PNG; SVG a PDF jsou vektorové."));
  font_->setRange(4.0, 36.0);
  font_->setDecimals(1);
  font_->setSingleStep(0.5);
  font_->setSuffix(QStringLiteral(" pt"));
  // Until chosen: a paper's 8 pt, or the window's own font for a picture in screen pixels.
  font_->setValue(settings.fontPoints.value_or(
      settings.millimetres ? kDefaultFontPoints : QApplication::font().pointSizeF()));

  auto* form = new QFormLayout(this);
  auto* viewLabel = new QLabel(QStringLiteral("&Graf:"));
  viewLabel->setBuddy(view_);
  form->addRow(viewLabel, view_);
  form->addRow(new QLabel(QStringLiteral("Velikost:")));
  form->addRow(pixels_, Pair(widthPixels_, heightPixels_));
  form->addRow(millimetres_, Pair(widthMillimetres_, heightMillimetres_));
  auto* dpiLabel = new QLabel(QStringLiteral("&Rozlišení PNG:"));
  dpiLabel->setBuddy(dpi_);
  form->addRow(dpiLabel, dpi_);
  auto* fontLabel = new QLabel(QStringLiteral("Velikost &písma:"));
  fontLabel->setBuddy(font_);
  form->addRow(fontLabel, font_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("&Uložit…"));
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
  connect(pixels_, &QRadioButton::toggled, this, [this] { EnableSizes(); });
  EnableSizes();
}

void ExportDialog::EnableSizes() {
  const bool physical = millimetres_->isChecked();
  widthPixels_->setEnabled(!physical);
  heightPixels_->setEnabled(!physical);
  widthMillimetres_->setEnabled(physical);
  heightMillimetres_->setEnabled(physical);
  dpi_->setEnabled(physical);
}

PictureSettings ExportDialog::settings() const {
  PictureSettings settings;
  settings.view = static_cast<PictureView>(view_->currentIndex());
  settings.pixels = QSize(widthPixels_->value(), heightPixels_->value());
  if (millimetres_->isChecked())
    settings.millimetres = QSizeF(widthMillimetres_->value(), heightMillimetres_->value());
  settings.dpi = dpi_->value();
  settings.fontPoints = font_->value();
  return settings;
}

}  // namespace odecet
