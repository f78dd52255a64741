#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "app/odecet.h"
#include "app/platform.h"
#include "modal_script.h"
#include "test_files.h"

// Readable QStrings in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace odecet {

// A fresh window over fresh data for each test, shown on the offscreen platform, with the
// process's current directory in a temporary folder (a report named while Dir is empty goes there).
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousDirectory_ = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(dir.path()));
    data = std::make_unique<SpectrumData>();
    form = std::make_unique<TForm1>(*data);
    Form1 = form.get();
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  }
  void TearDown() override {
    EXPECT_TRUE(script.done()) << "a scripted answer was never asked for";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "a modal window was left open";
    ExpectNoOtherWindow();
    Form1 = nullptr;
    form.reset();
    QDir::setCurrent(previousDirectory_);
  }

  void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

  // A click at the button's place in the window, the way the window system delivers it: a popup
  // left open would take it instead.
  void ClickInWindow(QPushButton* button) {
    QTest::mouseClick(form->windowHandle(), Qt::LeftButton, {}, button->geometry().center());
  }

  // Loads a step file through the button, typing its path into the open dialog.
  void Load(QPushButton* button, const std::string& path) {
    script.Then(ModalScript::TypeFile(QString::fromStdString(path)));
    Click(button);
  }

  // No window of the program but the main window may be on screen; a late directory listing
  // gets the time to show one.
  void ExpectNoOtherWindow() {
    QTest::qWait(100);
    for (QWidget* widget : QApplication::topLevelWidgets()) {
      EXPECT_FALSE(widget != form.get() && widget->isVisible())
          << "left on screen: " << widget->metaObject()->className() << " "
          << widget->windowTitle().toStdString();
    }
  }

  QString Path(const std::string& name) const {
    return QString::fromStdString(dir.path() + "/" + name);
  }

  TempDir dir;
  ModalScript script;
  std::unique_ptr<SpectrumData> data;
  std::unique_ptr<TForm1> form;

 private:
  QString previousDirectory_;
};

}  // namespace odecet
