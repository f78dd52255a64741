// The dialogs as a person answers them: paths typed key by key, Return or Escape; afterwards the
// main window is alone on screen and takes the very next click. Qt's own texts are Czech.

#include <gmock/gmock.h>

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QIcon>
#include <QImage>
#include <QMenu>
#include <QMessageBox>
#include <filesystem>

#include "window_fixture.h"

using namespace odecet;

namespace {

using ::testing::Contains;
using ::testing::Not;

// How the user names the file: its full path, its bare name, or a path relative to the
// dialog's folder. Names that share a start ("krok1", "krok2") and names with spaces both count.
enum class Naming { kFullPath, kName, kRelative };

struct TypedCase {
  const char* label;
  Naming naming;
  const char* first;
  const char* second;
  int delay;  // ms between keys
};

void PrintTo(const TypedCase& typed, std::ostream* out) {
  *out << typed.label;
}

class TypedDialogTest : public WindowTest, public ::testing::WithParamInterface<TypedCase> {
 protected:
  // The text typed for a file in the test folder's subfolder "data".
  QString Typed(const char* name) const {
    switch (GetParam().naming) {
      case Naming::kFullPath:
        return Path(std::string("data/") + name);
      case Naming::kName:
        return QString::fromUtf8(name);
      case Naming::kRelative:
        return QStringLiteral("../data/") + QString::fromUtf8(name);
    }
    return {};
  }
};

INSTANTIATE_TEST_SUITE_P(
    Namings, TypedDialogTest,
    ::testing::Values(TypedCase{"FullPathsSharingAStart", Naming::kFullPath, "krok1", "krok2", 0},
                      TypedCase{"FullPathsSlowly", Naming::kFullPath, "krok1", "krok2", 20},
                      TypedCase{"FullPathsWithSpaces", Naming::kFullPath, "4 zebra", "3 zebra", 0},
                      TypedCase{"BareNames", Naming::kName, "krok1", "krok2", 0},
                      TypedCase{"RelativePaths", Naming::kRelative, "krok1", "krok2", 0}),
    [](const auto& param) { return std::string(param.param.label); });

TEST_P(TypedDialogTest, TypedPathsLoadBothStepsWithOneClickEach) {
  std::filesystem::create_directory(dir.path() + "/data");
  const std::string first = std::string(GetParam().first) + ".txt";
  const std::string second = std::string(GetParam().second) + ".txt";
  dir.Write("data/" + first, "1 100 1 2");
  dir.Write("data/" + second, "1 100 3 5");
  // A bare name or a relative path is taken from the folder the dialog shows, which for the
  // first opening is the current one.
  if (GetParam().naming != Naming::kFullPath)
    form->OpenDialog1->InitialDir = Path(GetParam().naming == Naming::kName ? "data" : "data/");
  script.Then(ModalScript::TypeFile(Typed(GetParam().first) + ".txt", GetParam().delay));
  ClickInWindow(form->Button1);
  ASSERT_TRUE(script.done());
  ExpectNoOtherWindow();
  EXPECT_EQ(data->Step1Count, 1);

  // The dialog now opens with the first file's path in the name box, which the typing replaces.
  script.Then(ModalScript::TypeFile(Typed(GetParam().second) + ".txt", GetParam().delay));
  ClickInWindow(form->Button2);
  EXPECT_TRUE(script.done()) << "the first click after a dialog must open the next one";
  ExpectNoOtherWindow();
  EXPECT_EQ(data->Step2Count, 1);
  EXPECT_EQ(form->Krok2->text(), QString::fromStdString(second));
}

TEST_P(TypedDialogTest, TheSaveDialogTakesTheTypedNameEveryTime) {
  std::filesystem::create_directory(dir.path() + "/data");
  dir.Write("data/stary.txt", "x");
  if (GetParam().naming != Naming::kFullPath)
    form->SaveDialog1->InitialDir = Path("data");
  for (const char* name : {GetParam().first, GetParam().second}) {
    script.Then(ModalScript::TypeFile(Typed(name), GetParam().delay));
    ClickInWindow(form->Button3);
    ASSERT_TRUE(script.done());
    ExpectNoOtherWindow();
    EXPECT_TRUE(std::filesystem::exists(dir.path() + "/data/" + name + ".txt")) << name;
    form->Odecet->clear();  // so that the next click asks again
  }
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
  // The sizes a window shows, each pixel as the shipped picture has it (the icon is decoded
  // without Qt's image reader).
  const QIcon icon = QApplication::windowIcon();
  EXPECT_EQ(icon.availableSizes(), (QList<QSize>{{32, 32}, {48, 48}}));
  for (const int size : {32, 48}) {
    const QImage shipped(QStringLiteral(":/icons/odecet-%1.png").arg(size));
    ASSERT_FALSE(shipped.isNull());
    EXPECT_EQ(
        icon.pixmap(size, size).toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied),
        shipped.convertToFormat(QImage::Format_ARGB32_Premultiplied))
        << size;
  }
}

TEST_F(WindowTest, BuildsTheFileDialogsOnlyWhenFirstOpened) {
  EXPECT_TRUE(form->findChildren<QFileDialog*>().isEmpty()) << "they would slow the start";
  script.Then(ModalScript::Cancel());
  Click(form->Button1);
  EXPECT_EQ(form->findChildren<QFileDialog*>().size(), 1);
}

}  // namespace
