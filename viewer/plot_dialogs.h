#pragma once

#include <QDialog>
#include <QStringList>

#include "viewer/picture_settings.h"

class QButtonGroup;
class QComboBox;
class QDoubleSpinBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace odecet {

// Which loaded file is the 4-rib step and which the 3-rib one, and the frequency tolerance as
// odecet-cli's -t takes it. It closes only on two different files and a valid tolerance.
class DifferenceDialog : public QDialog {
 public:
  DifferenceDialog(const QStringList& names, int step1, int step2, const QString& tolerance,
                   QWidget* parent);
  int step1() const;
  int step2() const;
  QString toleranceText() const;
  double tolerance() const { return tolerance_; }

  void accept() override;

 private:
  QComboBox* step1_;
  QComboBox* step2_;
  QLineEdit* toleranceEdit_;
  double tolerance_ = 0.0;
};

// The choices of an exported picture: which plots, its size in screen pixels or millimetres,
// the PNG's resolution and the font size.
class ExportDialog : public QDialog {
 public:
  ExportDialog(const PictureSettings& settings, QWidget* parent);
  PictureSettings settings() const;

  QComboBox* viewChoice() const { return view_; }
  QRadioButton* inMillimetres() const { return millimetres_; }

 private:
  void EnableSizes();

  QComboBox* view_;
  QRadioButton* pixels_;
  QRadioButton* millimetres_;
  QSpinBox* widthPixels_;
  QSpinBox* heightPixels_;
  QDoubleSpinBox* widthMillimetres_;
  QDoubleSpinBox* heightMillimetres_;
  QSpinBox* dpi_;
  QDoubleSpinBox* font_;
};

}  // namespace odecet
