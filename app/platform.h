#pragma once

// The operations the window's logic needs from the GUI platform, mapped onto Qt: file dialogs
// that keep their file name between openings, message boxes, label text and path helpers.

#include <QString>
#include <QStringList>
#include <string>

class QFileDialog;
class QIcon;
class QLabel;
class QWidget;

namespace odecet {

// A file dialog that lives as long as its window, built when first opened. After a confirmed choice
// FileName holds the chosen file's full path, and the next opening starts there, in that file's
// directory.
class TFileDialog {
 public:
  // Filter entries are (shown text, patterns) pairs.
  using Filter = std::pair<QString, QString>;

  TFileDialog(QWidget* owner, bool forSaving, const QList<Filter>& filters);

  // Shows the dialog modally: true when the user confirmed a file, false when cancelled.
  bool Execute();

  QString FileName = QStringLiteral("*.txt");
  QString InitialDir;  // where the next opening starts unless FileName names a file

  // Qt's dialog, built on the first call; the window owns it.
  QFileDialog* dialog();

 private:
  QWidget* owner_;
  bool forSaving_;
  QList<Filter> filters_;
  QFileDialog* dialog_ = nullptr;
};

class TOpenDialog : public TFileDialog {
 public:
  explicit TOpenDialog(QWidget* owner);
};

class TSaveDialog : public TFileDialog {
 public:
  explicit TSaveDialog(QWidget* owner);
};

// One sweep of a file, as the sweep dialog lists it.
struct SweepSummary {
  int points = 0;
  double lowest = 0;   // Hz
  double highest = 0;  // Hz
};

// A modal dialog "Výběr měření" for a file that holds several sweeps: lists each with its
// number, point count and frequency range, the first selected. Returns the chosen sweep's
// number from 1, or 0 when cancelled.
int ChooseSweepDlg(QWidget* owner, const QString& fileName, const QList<SweepSummary>& sweeps);

// The program's icon in the sizes a window shows, for the window and the application.
QIcon ApplicationIcon();

// A modal warning box with the single button OK; `detail` is shown below the text.
void MessageDlg(QWidget* owner, const QString& text, const QString& detail = {});

// A modal error box with the message of an exception that left an operation.
void ShowException(QWidget* owner, const QString& message);

// Sets a label's caption on one line; the label grows to the right with its text.
void SetCaption(QLabel* label, const QString& text);

// The directory part of a path, ending with its last '/'; empty when there is none.
QString ExtractFilePath(const QString& path);
// The part after the last '/'.
QString ExtractFileName(const QString& path);

// Paths between the window (QString) and the core (bytes, as the file system takes them).
std::string ToLocalPath(const QString& path);
QString FromLocalPath(const std::string& path);

}  // namespace odecet
