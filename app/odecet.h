#pragma once

#include <sys/types.h>

#include <QElapsedTimer>
#include <QWidget>
#include <cstdint>
#include <optional>
#include <string>

#include "spectrum/spectrum_point.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace odecet {

class TOpenDialog;
class TSaveDialog;

// The main window: two read-only edits for the step files, the report name, four buttons and
// the label with the directory of the file loaded last. The window keeps the original form's
// names (TForm1, Form1, Krok1, Button1Click, Dir, ...); the code around it uses names that say
// what they are.
class TForm1 : public QWidget {
 public:
  explicit TForm1(SpectrumData& data, QWidget* parent = nullptr);
  ~TForm1() override;

  QLineEdit* Krok1;
  QLineEdit* Krok2;
  QLineEdit* Odecet;
  QPushButton* Button1;
  QPushButton* Button2;
  QPushButton* Button3;
  TOpenDialog* OpenDialog1;
  QLabel* Dir;
  TSaveDialog* SaveDialog1;
  QPushButton* Button4;

  void Button1Click(QObject* Sender);  // load step 1 (4 ribs)
  void Button2Click(QObject* Sender);  // load step 2 (3 ribs)
  void Button3Click(QObject* Sender);  // difference and report
  void Button4Click(QObject* Sender);  // close

  // First stage of generating: false when the spectra do not match; then the warning has been
  // shown and the window closed.
  bool ComputeDifference();
  // Second stage: forms the report path (asking when no name is typed) and writes the report.
  void WriteReport();

  SpectrumData& data() { return data_; }

 protected:
  void showEvent(QShowEvent* event) override;
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void DescribeForScreenReaders();
  void ShowDirectory(const QString& directory);  // in Dir, for the eye and the screen reader
  // Which file a step was read from, so that no report is ever written over a measurement.
  struct StepOrigin {
    std::string path;
    dev_t device = 0;
    ino_t inode = 0;
  };
  void LoadStep(std::string& path, QLineEdit* edit, PointTable& table, std::int32_t& count,
                std::optional<StepOrigin>& loaded);
  void RefuseReportOverStep(const std::string& reportPath) const;

  SpectrumData& data_;
  std::optional<StepOrigin> step1File_;
  std::optional<StepOrigin> step2File_;
  QElapsedTimer shownAt_;
  QSize fittedFrame_;
};

// The one main window of the program.
extern TForm1* Form1;

// Resolves the window's fonts before the window is built: Qt's font database, the stand-ins for a
// family the system lacks, the font file. The window's widgets then find all of it cached, so it
// can be done while something else waits.
void LoadWindowFont();

}  // namespace odecet
