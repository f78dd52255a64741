// The window itself: layout, keyboard, dialogs and the error box of a failed load.

#include <fcntl.h>
#include <gmock/gmock.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAccessible>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHelpEvent>
#include <QThread>
#include <QToolTip>
#include <atomic>
#include <filesystem>
#include <new>
#include <thread>

#include "app/application.h"
#include "instruments/spectrum_file.h"
#include "spectrum/decimal_separator.h"
#include "window_fixture.h"

using namespace odecet;

namespace {

using ::testing::HasSubstr;

TEST_F(WindowTest, StartsEmptyWithItsCaptionLayoutAndFocus) {
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Odečet souborů"));
  EXPECT_EQ(form->pos(), QPoint(192, 114));
  EXPECT_TRUE(form->Dir->text().isEmpty());
  EXPECT_EQ(form->Dir->geometry(), QRect(64, 16, 3, 13));
  EXPECT_EQ(form->Krok1->geometry(), QRect(64, 64, 297, 21));
  EXPECT_EQ(form->Krok2->geometry(), QRect(64, 96, 297, 21));
  EXPECT_EQ(form->Odecet->geometry(), QRect(64, 128, 297, 21));
  EXPECT_EQ(form->Button1->geometry(), QRect(376, 64, 105, 25));
  EXPECT_EQ(form->Button2->geometry(), QRect(376, 96, 105, 25));
  EXPECT_EQ(form->Button3->geometry(), QRect(376, 128, 105, 25));
  EXPECT_EQ(form->Button4->geometry(), QRect(376, 160, 105, 25));
  EXPECT_EQ(form->Button1->text(), QStringLiteral("&4 žebra"));
  EXPECT_EQ(form->Button2->text(), QStringLiteral("&3 žebra"));
  EXPECT_EQ(form->Button3->text(), QStringLiteral("&Generuj"));
  EXPECT_EQ(form->Button4->text(), QStringLiteral("&Konec"));
  EXPECT_EQ(QApplication::focusWidget(), form->Krok1);
  EXPECT_TRUE(form->Krok1->isReadOnly());
  EXPECT_TRUE(form->Krok2->isReadOnly());
  EXPECT_FALSE(form->Odecet->isReadOnly());
}

TEST_F(WindowTest, ResizingMovesNoControl) {
  form->resize(900, 600);
  QTest::qWait(10);
  EXPECT_EQ(form->Button4->geometry(), QRect(376, 160, 105, 25));
  EXPECT_EQ(form->Odecet->geometry(), QRect(64, 128, 297, 21));
}

TEST_F(WindowTest, TabVisitsTheEditsThenTheButtonsAndWraps) {
  const QWidget* expected[] = {form->Krok2,   form->Odecet,  form->Button1, form->Button2,
                               form->Button3, form->Button4, form->Krok1};
  for (const QWidget* next : expected) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), next);
  }
}

TEST_F(WindowTest, ReadOnlyEditsIgnoreTypingAndTheNameTakesAnyText) {
  QTest::keyClicks(form->Krok1, "abc");
  EXPECT_TRUE(form->Krok1->text().isEmpty());
  QTest::keyClicks(form->Odecet, " x/y.txt ");
  EXPECT_EQ(form->Odecet->text(), QStringLiteral(" x/y.txt "));
}

TEST_F(WindowTest, AcceleratorsEnterAndEscape) {
  // Shortcuts are matched on key events that come from the window system.
  QWindow* window = form->windowHandle();
  script.Then(ModalScript::Cancel());
  QTest::keyClick(window, Qt::Key_4, Qt::AltModifier);
  // An accelerator clicks the button the way a mouse would, after its press animation.
  EXPECT_TRUE(QTest::qWaitFor([&] { return script.done(); }));

  // Enter clicks the focused button, and only that.
  form->Button2->setFocus();
  script.Then(ModalScript::Cancel());
  QTest::keyClick(form->Button2, Qt::Key_Return);
  EXPECT_TRUE(script.done());
  QTest::keyClick(form->Odecet, Qt::Key_Return);
  QTest::keyClick(form->Krok1, Qt::Key_Escape);
  QTest::keyClick(window, Qt::Key_Escape);
  EXPECT_TRUE(form->isVisible());

  // Alt+K ends the program. (The offscreen platform does not give the focus back after a dialog.)
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  QTest::keyClick(window, Qt::Key_K, Qt::AltModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return !form->isVisible(); }));
}

TEST_F(WindowTest, LoadShowsDirectoryAndNameAndReadsThePoints) {
  dir.Write("krok 1.txt", "3\n100 12,5 4,75\n200 11,25 3,5\n400 10,125 2,25\n");
  Load(form->Button1, dir.path() + "/krok 1.txt");
  EXPECT_EQ(form->Dir->text(), Path(""));
  EXPECT_EQ(form->Dir->geometry().topLeft(), QPoint(64, 16));
  EXPECT_GT(form->Dir->width(), 3);
  EXPECT_EQ(form->Krok1->text(), QStringLiteral("krok 1.txt"));
  EXPECT_EQ(data->Step1Path, dir.path() + "/krok 1.txt");
  EXPECT_EQ(data->Step1Count, 3);
  EXPECT_EQ(data->Step1Points[2].re, 10.125);
  EXPECT_EQ(form->OpenDialog1->InitialDir, Path(""));
}

// A file of several sweeps asks which one, listing each; a step file never asks.
TEST_F(WindowTest, AFileOfSeveralSweepsAsksWhichOne) {
  const std::string cycles = ODECET_TEST_DATA "/biologic/ec-lab-11.50-peis-4-cycles.mpr";
  dir.Write("cykly.mpr", ReadAll(cycles));
  const LoadedSweeps all = LoadSpectrumSweeps(cycles, '.');
  ASSERT_EQ(all.sweeps.size(), 4u);

  script.Then(ModalScript::TypeFile(Path("cykly.mpr"))).Then(script.PickSweep(3));
  Click(form->Button1);
  EXPECT_EQ(form->Krok1->text(), QStringLiteral("cykly.mpr"));
  ASSERT_EQ(data->Step1Count, 21);
  EXPECT_EQ(data->Step1Points[20].f, all.sweeps[2].points[20].f);
  EXPECT_EQ(data->Step1Points[0].re, all.sweeps[2].points[0].re);
  ASSERT_EQ(script.sweepItems.size(), 4);
  EXPECT_EQ(script.sweepDialogTitles.value(0), QStringLiteral("Výběr měření"));
  EXPECT_EQ(script.sweepItems[0], QStringLiteral("Měření 1: 21 bodů, 99.97 až 200000 Hz")
                                      .replace('.', QChar::fromLatin1(SystemDecimalSeparator())));

  // Cancelled, nothing of the file is used.
  script.Then(ModalScript::TypeFile(Path("cykly.mpr"))).Then(script.PickSweep(0));
  Click(form->Button2);
  EXPECT_EQ(form->Krok2->text(), QStringLiteral("cykly.mpr"));
  EXPECT_EQ(data->Step2Count, 0);
}

TEST_F(WindowTest, CancelledLoadChangesNothing) {
  dir.Write("a.txt", "1 100 1 2");
  Load(form->Button1, dir.path() + "/a.txt");
  script.Then(ModalScript::Cancel());
  Click(form->Button2);
  EXPECT_TRUE(form->Krok2->text().isEmpty());
  EXPECT_EQ(data->Step2Count, 0);
  EXPECT_EQ(form->OpenDialog1->FileName, Path("a.txt"));
  EXPECT_EQ(form->Dir->text(), Path(""));
}

TEST_F(WindowTest, TheOpenDialogStartsAtTheLastChosenFile) {
  std::filesystem::create_directory(dir.path() + "/other");
  dir.Write("a.txt", "0");
  dir.Write("other/b.txt", "0");
  Load(form->Button1, dir.path() + "/a.txt");
  Load(form->Button2, dir.path() + "/other/b.txt");
  EXPECT_EQ(form->Dir->text(), Path("other/"));
  EXPECT_EQ(form->OpenDialog1->InitialDir, Path("other/"));
  script.Then(ModalScript::Cancel());
  Click(form->Button1);
  script.Then(ModalScript::Cancel());
  Click(form->Button1);
  ASSERT_EQ(script.dialogDirectories.size(), 4);
  EXPECT_EQ(script.dialogDirectories[2], Path("other"));
  EXPECT_EQ(script.dialogDirectories[3], Path("other")) << "a cancel keeps the file name";
  EXPECT_EQ(form->OpenDialog1->FileName, Path("other/b.txt"));
  EXPECT_EQ(form->OpenDialog1->dialog()->selectedFiles().value(0), Path("other/b.txt"));
}

TEST_F(WindowTest, AllFilesListsNamesWithoutADot) {
  dir.Write("mereni", "1 100 1 2");
  script.Then([&](QWidget* widget) {
    auto* dialog = qobject_cast<QFileDialog*>(widget);
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(dialog->nameFilters().size(), 3) << "text files, all files, instrument files";
    EXPECT_TRUE(dialog->nameFilters().value(2).startsWith(QStringLiteral("Soubory přístrojů")));
    dialog->selectNameFilter(dialog->nameFilters().value(1));
    dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(Path("mereni"));
    static_cast<QDialog*>(dialog)->accept();  // public there, as for a user
  });
  Click(form->Button1);
  EXPECT_EQ(data->Step1Count, 1);
}

TEST_F(WindowTest, ABadStepFileShowsTheErrorAndTheWindowGoesOn) {
  dir.Write("good.txt", "2\n100 1 2\n200 3 4\n");
  dir.Write("bad.txt", "2\n100 1 2\n200 3.5 4\n");
  Load(form->Button1, dir.path() + "/good.txt");
  ASSERT_EQ(data->Step1Count, 2);

  script.Then(ModalScript::TypeFile(Path("bad.txt"))).Then(script.PressOk());
  Click(form->Button1);
  ASSERT_EQ(script.boxTexts.size(), 2);
  EXPECT_THAT(script.boxTexts[0].toStdString(), HasSubstr("bad.txt“, bod 2 (reálná část)"));
  EXPECT_THAT(script.boxTexts[0].toStdString(), HasSubstr("„3.5“"));
  EXPECT_TRUE(form->isVisible());
  EXPECT_EQ(form->Krok1->text(), QStringLiteral("bad.txt"));
  EXPECT_EQ(data->Step1Count, 0) << "no point of a failed file reaches the difference";

  Load(form->Button1, dir.path() + "/good.txt");
  EXPECT_EQ(data->Step1Count, 2);
  EXPECT_EQ(form->Krok1->text(), QStringLiteral("good.txt"));
}

TEST_F(WindowTest, AMissingFileIsReportedByName) {
  script
      .Then([&](QWidget* widget) {
        // The dialog accepts only existing files, so the file goes away after the choice.
        dir.Write("gone.txt", "1 1 1 1");
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(Path("gone.txt"));
        std::filesystem::remove(dir.path() + "/gone.txt");
        static_cast<QDialog*>(dialog)->done(QDialog::Accepted);
      })
      .Then(script.PressOk());
  Click(form->Button2);
  ASSERT_FALSE(script.boxTexts.isEmpty());
  EXPECT_THAT(script.boxTexts[0].toStdString(), HasSubstr("gone.txt“ nelze otevřít"));
  EXPECT_EQ(form->Krok2->text(), QStringLiteral("gone.txt"));
  EXPECT_EQ(data->Step2Count, 0);
}

TEST_F(WindowTest, AFifoIsRefusedAtOnceInsteadOfFreezingTheWindow) {
  const std::string fifo = dir.path() + "/roura.txt";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  // Should the window wait for a writer after all, this one comes, so the test ends and fails.
  std::atomic<bool> answered = false;
  std::thread writer([&] {
    for (int i = 0; i < 100 && !answered; ++i)
      QThread::msleep(50);
    const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK);
    if (fd >= 0)
      ::close(fd);
  });
  QElapsedTimer timer;
  timer.start();
  script.Then(ModalScript::TypeFile(Path("roura.txt"))).Then(script.PressOk());
  Click(form->Button1);
  const qint64 elapsed = timer.elapsed();
  answered = true;
  writer.join();
  EXPECT_LT(elapsed, 4000) << "the window waited for a writer";
  ASSERT_FALSE(script.boxTexts.isEmpty());
  EXPECT_THAT(script.boxTexts[0].toStdString(), HasSubstr("roura.txt“ nelze otevřít"));
  EXPECT_THAT(script.boxTexts[0].toStdString(), HasSubstr("není to obyčejný soubor"));
  EXPECT_EQ(data->Step1Count, 0);
}

TEST_F(WindowTest, AMissingLocaleIsNamedWhenANumberFails) {
  dir.Write("carka.txt", "1 100 1,5 2");
  const QByteArray previous = qgetenv("LC_ALL");
  qputenv("LC_ALL", "cs_CZ.NEEXISTUJE");
  script.Then(ModalScript::TypeFile(Path("carka.txt"))).Then(script.PressOk());
  Click(form->Button1);
  qputenv("LC_ALL", previous);
  ASSERT_FALSE(script.boxTexts.isEmpty());
  EXPECT_THAT(script.boxTexts[0].toStdString(), HasSubstr("„1,5“"));
  EXPECT_THAT(script.boxTexts[0].toStdString(),
              HasSubstr("Místní nastavení „cs_CZ.NEEXISTUJE“ v systému není"));
}

TEST_F(WindowTest, AScreenReaderTellsTheControlsApart) {
  QAccessibleInterface* window = QAccessible::queryAccessibleInterface(form.get());
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->role(), QAccessible::Window);
  EXPECT_EQ(window->text(QAccessible::Name), QStringLiteral("Odečet souborů"));
  QStringList names;
  for (QWidget* control : {static_cast<QWidget*>(form->Krok1), static_cast<QWidget*>(form->Krok2),
                           static_cast<QWidget*>(form->Odecet), static_cast<QWidget*>(form->Dir)}) {
    QAccessibleInterface* item = QAccessible::queryAccessibleInterface(control);
    ASSERT_NE(item, nullptr);
    EXPECT_FALSE(item->text(QAccessible::Description).isEmpty());
    names << item->text(QAccessible::Name);
  }
  EXPECT_EQ(names,
            QStringList({QStringLiteral("Krok 1, 4 žebra"), QStringLiteral("Krok 2, 3 žebra"),
                         QStringLiteral("Název výsledku"), QStringLiteral("Adresář výsledku")}));

  dir.Write("a.txt", "0");
  Load(form->Button1, dir.path() + "/a.txt");
  EXPECT_EQ(QAccessible::queryAccessibleInterface(form->Dir)->text(QAccessible::Name),
            QStringLiteral("Adresář výsledku: ") + Path(""));
}

TEST_F(WindowTest, ADirectoryCutAtTheEdgeShowsWholeWhenHovered) {
  const auto hover = [&] {
    QHelpEvent event(QEvent::ToolTip, QPoint(2, 2), form->Dir->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(form->Dir, &event);
    return QToolTip::isVisible() ? QToolTip::text() : QString();
  };
  const std::string deep = dir.path() + "/" + std::string(120, 'm') + "/";
  std::filesystem::create_directory(deep);
  dir.Write(deep.substr(dir.path().size() + 1) + "a.txt", "0");
  Load(form->Button1, deep + "a.txt");
  EXPECT_EQ(hover(), QString::fromStdString(deep));
  EXPECT_EQ(form->Dir->width(), form->Dir->fontMetrics().horizontalAdvance(form->Dir->text()))
      << "the label is still cut at the window's edge, not wrapped or shortened";

  dir.Write("a.txt", "0");
  form->resize(2000, form->height());
  Load(form->Button1, dir.path() + "/a.txt");
  EXPECT_EQ(hover(), QString()) << "a directory that fits needs no hint";
}

}  // namespace

namespace {

TEST_F(WindowTest, RunningOutOfMemoryIsShownInCzechAndTheWindowGoesOn) {
  script.Then(script.PressOk());
  EXPECT_FALSE(RunShowingErrors(form.get(), [] { throw std::bad_alloc(); }));
  ASSERT_FALSE(script.boxTexts.isEmpty());
  EXPECT_EQ(script.boxTexts[0], QStringLiteral("Pro tuto operaci není dost paměti."));
  EXPECT_TRUE(form->isVisible());
}

}  // namespace
