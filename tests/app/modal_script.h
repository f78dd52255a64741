#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <deque>
#include <functional>

class QWidget;

// Answers the modal dialogs and message boxes that an operation opens, in order, the way a user
// would: each queued answer is applied to the next modal widget that appears.
class ModalScript {
 public:
  using Answer = std::function<void(QWidget*)>;

  ModalScript();
  ~ModalScript();

  ModalScript& Then(Answer answer);

  // Answers for the file dialogs: a path typed into the name box key by key (`delay` ms
  // between keys), then Return, as a user does; a path put into the box whole and accepted.
  static Answer TypeFile(const QString& path, int delay = 0);
  static Answer ChooseFile(const QString& path);
  static Answer Cancel();
  // Presses OK in a message box and records its texts.
  Answer PressOk();
  // Presses Yes (the overwrite question of the save dialog).
  static Answer PressYes();
  // Picks sweep `number` (from 1) in the sweep dialog and presses OK, or Cancel for 0; records
  // the dialog's title and lines.
  Answer PickSweep(int number);

  bool done() const { return answers_.empty() && !pending_; }
  QStringList boxTexts;           // text, then informative text, of each box answered by PressOk
  QStringList dialogDirectories;  // where each file dialog answered by ChooseFile/Cancel started
  QStringList sweepDialogTitles;  // of each sweep dialog answered by PickSweep
  QStringList sweepItems;         // their lines, one after another

 private:
  void Poll();

  std::deque<Answer> answers_;
  QTimer timer_;
  QElapsedTimer unanswered_;
  bool pending_ = false;
  QPointer<QWidget> answering_;  // the window whose answer is running
};
