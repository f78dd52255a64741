#include "modal_script.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <utility>

ModalScript::ModalScript() {
  QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
  timer_.start(5);
}

ModalScript::~ModalScript() {
  timer_.stop();
}

ModalScript& ModalScript::Then(Answer answer) {
  answers_.push_back(std::move(answer));
  return *this;
}

void ModalScript::Poll() {
  QWidget* modal = QApplication::activeModalWidget();
  if (pending_)
    return;
  // The window an answer is still typing into is being answered, however long that takes on a
  // busy machine.
  if (modal == nullptr || modal == answering_) {
    unanswered_.invalidate();
    return;
  }
  if (answers_.empty()) {
    // Nobody will answer it: close it, or the test would wait for ever.
    if (!unanswered_.isValid())
      unanswered_.start();
    if (unanswered_.elapsed() > 3000) {
      ADD_FAILURE() << "unexpected modal window: " << modal->metaObject()->className() << " "
                    << modal->windowTitle().toStdString();
      if (auto* dialog = qobject_cast<QDialog*>(modal))
        dialog->reject();
      unanswered_.invalidate();
    }
    return;
  }
  unanswered_.invalidate();
  Answer answer = std::move(answers_.front());
  answers_.pop_front();
  if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
    dialogDirectories << dialog->directory().absolutePath();
  }
  // Answered from the event loop rather than from this timer: an answer may open another box
  // (the overwrite question), and a timer never fires again while its own handler runs.
  pending_ = true;
  QMetaObject::invokeMethod(
      modal,
      [this, answer = std::move(answer), modal] {
        pending_ = false;
        QPointer<QWidget> outer = std::exchange(answering_, modal);
        answer(modal);
        answering_ = outer;
      },
      Qt::QueuedConnection);
}

ModalScript::Answer ModalScript::TypeFile(const QString& path, int delay) {
  return [path, delay](QWidget* widget) {
    auto* dialog = qobject_cast<QFileDialog*>(widget);
    ASSERT_NE(dialog, nullptr) << "expected a file dialog";
    auto* nameBox = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(nameBox, nullptr);
    ASSERT_EQ(QApplication::focusWidget(), nameBox) << "the name box has the focus on opening";
    nameBox->selectAll();  // typing replaces what the box starts with, as it does for a user
    QTest::keyClicks(nameBox, path, Qt::NoModifier, delay);
    QTest::keyClick(nameBox, Qt::Key_Return);
  };
}

ModalScript::Answer ModalScript::ChooseFile(const QString& path) {
  return [path](QWidget* widget) {
    auto* dialog = qobject_cast<QFileDialog*>(widget);
    ASSERT_NE(dialog, nullptr) << "expected a file dialog";
    // What a user types into the name box; selectFile() leaves a focused box alone.
    auto* nameBox = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(nameBox, nullptr);
    nameBox->setText(path);
    static_cast<QDialog*>(dialog)->accept();  // public there, as for a user
  };
}

ModalScript::Answer ModalScript::Cancel() {
  return [](QWidget* widget) {
    auto* dialog = qobject_cast<QFileDialog*>(widget);
    ASSERT_NE(dialog, nullptr) << "expected a file dialog";
    dialog->reject();
  };
}

ModalScript::Answer ModalScript::PressOk() {
  return [this](QWidget* widget) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    ASSERT_NE(box, nullptr) << "expected a message box";
    boxTexts << box->text() << box->informativeText();
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
  };
}

ModalScript::Answer ModalScript::PickSweep(int number) {
  return [this, number](QWidget* widget) {
    auto* list = widget->findChild<QListWidget*>();
    auto* buttons = widget->findChild<QDialogButtonBox*>();
    ASSERT_NE(list, nullptr) << "expected the sweep dialog";
    ASSERT_NE(buttons, nullptr);
    sweepDialogTitles << widget->windowTitle();
    for (int i = 0; i < list->count(); ++i)
      sweepItems << list->item(i)->text();
    if (number == 0) {
      QTest::mouseClick(buttons->button(QDialogButtonBox::Cancel), Qt::LeftButton);
      return;
    }
    // As a user does: a click on the sweep's line, then OK.
    QListWidgetItem* item = list->item(number - 1);
    ASSERT_NE(item, nullptr);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    QTest::mouseClick(buttons->button(QDialogButtonBox::Ok), Qt::LeftButton);
  };
}

ModalScript::Answer ModalScript::PressYes() {
  return [](QWidget* widget) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    ASSERT_NE(box, nullptr) << "expected a message box";
    QTest::mouseClick(box->button(QMessageBox::Yes), Qt::LeftButton);
  };
}
