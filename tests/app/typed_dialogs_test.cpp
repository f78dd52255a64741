// The dialogs as a person answers them: paths typed key by key, Return or Escape; afterwards the
// main window is alone on screen and takes the very next click. Qt's own texts are Czech.

#include <gmock/gmock.h>

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMenu>
#include <QMessageBox>

#include "window_fixture.h"

namespace {

using ::testing::Contains;
using ::testing::Not;

class TypedDialogTest : public WindowTest, public ::testing::WithParamInterface<int> {};
INSTANTIATE_TEST_SUITE_P(KeyDelays, TypedDialogTest, ::testing::Values(0, 20),
                         [](const auto& param) { return std::to_string(param.param) + "ms"; });

TEST_P(TypedDialogTest, TypedPathsLoadBothStepsWithOneClickEach) {
  dir.Write("4 zebra.txt", "1 100 1 2");
  dir.Write("3 zebra.txt", "1 100 3 5");
  script.Then(ModalScript::TypeFile(Path("4 zebra.txt"), GetParam()));
  ClickInWindow(form->Button1);
  ASSERT_TRUE(script.done());
  ExpectNoOtherWindow();
  EXPECT_EQ(data->Step1Count, 1);

  script.Then(ModalScript::TypeFile(Path("3 zebra.txt"), GetParam()));
  ClickInWindow(form->Button2);
  EXPECT_TRUE(script.done()) << "the first click after a dialog must open the next one";
  ExpectNoOtherWindow();
  EXPECT_EQ(data->Step2Count, 1);
  EXPECT_EQ(form->Krok2->text(), QStringLiteral("3 zebra.txt"));
}

TEST_P(TypedDialogTest, TheSaveDialogLeavesNothingBehindEither) {
  dir.Write("stary.txt", "x");
  script.Then(ModalScript::TypeFile(Path("novy"), GetParam()));
  ClickInWindow(form->Button3);
  ASSERT_TRUE(script.done());
  ExpectNoOtherWindow();
  EXPECT_TRUE(std::filesystem::exists(dir.path() + "/novy.txt"));
  ClickInWindow(form->Button4);
  EXPECT_FALSE(form->isVisible()) << "the first click after the dialog reaches Konec";
}

TEST_F(WindowTest, ADialogLeftByEscapeLeavesNothingBehind) {
  dir.Write("mereni-1.txt", "0");
  dir.Write("mereni-2.txt", "0");
  script.Then([&](QWidget* widget) {
    auto* nameBox = widget->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    ASSERT_NE(nameBox, nullptr);
    QTest::keyClicks(nameBox, Path("mereni-"));
    QTest::qWait(200);  // time for the completion list to come up
    // Escape closes the list first, then the dialog, as for a user.
    for (int i = 0; i < 3 && widget->isVisible(); ++i) {
      QWidget* target = QApplication::activePopupWidget();
      QTest::keyClick(target != nullptr ? target : nameBox, Qt::Key_Escape);
    }
  });
  ClickInWindow(form->Button1);
  ASSERT_TRUE(script.done());
  ExpectNoOtherWindow();
  EXPECT_TRUE(form->Krok1->text().isEmpty());
  script.Then(ModalScript::Cancel());
  ClickInWindow(form->Button2);
  EXPECT_TRUE(script.done());
}

TEST_F(WindowTest, QtsOwnTextsAreCzech) {
  script.Then([](QWidget* widget) {
    auto* dialog = qobject_cast<QFileDialog*>(widget);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Otevřít"));
    auto* buttons = dialog->findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->button(QDialogButtonBox::Open)->text(), QStringLiteral("&Otevřít"));
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Zrušit"));
    EXPECT_EQ(dialog->findChild<QLabel*>(QStringLiteral("fileNameLabel"))->text(),
              QStringLiteral("Název &souboru:"));
    dialog->reject();
  });
  Click(form->Button1);

  // The overwrite question of the save dialog.
  dir.Write("stary.txt", "x");
  script.Then(ModalScript::TypeFile(Path("stary.txt"))).Then([](QWidget* widget) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->button(QMessageBox::Yes)->text(), QStringLiteral("&Ano"));
    EXPECT_EQ(box->button(QMessageBox::No)->text(), QStringLiteral("&Ne"));
    EXPECT_THAT(box->text().toStdString(), ::testing::HasSubstr("existuje"));
    box->button(QMessageBox::No)->click();
  });
  script.Then(ModalScript::Cancel());
  Click(form->Button3);

  // The edits' context menu.
  std::unique_ptr<QMenu> menu(form->Odecet->createStandardContextMenu());
  QStringList texts;
  for (const QAction* action : menu->actions())
    texts << action->text().section('\t', 0, 0);
  EXPECT_THAT(texts, Not(Contains(QStringLiteral("&Undo"))));
  EXPECT_THAT(texts, Contains(QStringLiteral("Vybrat vše")));
}

TEST_F(WindowTest, TheWindowAndTheApplicationHaveTheIcon) {
  EXPECT_FALSE(form->windowIcon().isNull());
  EXPECT_FALSE(QApplication::windowIcon().isNull());
  EXPECT_FALSE(QApplication::windowIcon().pixmap(32, 32).isNull());
}

}  // namespace
