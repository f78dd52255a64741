// The plot window as a lab uses it: files opened once, removed, the menus' keys, the decimal
// separator of step files, the difference, copying points and the decade labels.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDialogButtonBox>
#include <QGraphicsSimpleTextItem>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QXYSeries>
#include <cmath>
#include <filesystem>
#include <memory>
#include <set>

#include "instruments/spectrum_file.h"
#include "modal_script.h"
#include "spectrum/decimal_text.h"
#include "test_files.h"
#include "viewer/nyquist_chart.h"
#include "viewer/plot_view.h"
#include "viewer/plot_window.h"

using namespace odecet;

namespace {

QString Example(const char* folder, const char* name) {
  return QStringLiteral(ODECET_EXAMPLES "/") + QString::fromLatin1(folder) + '/' +
         QString::fromLatin1(name);
}
QString Comma(const char* name) {
  return Example("comma", name);
}

std::vector<SpectrumPoint> PointsOf(const QString& path, char separator = ',') {
  return LoadSpectrum(path.toStdString(), separator).spectrum.points;
}

// The letters after "&" in the texts of the menu bar and of the window's labels.
std::multiset<QChar> Mnemonics(QWidget& window, QMenuBar* bar) {
  std::multiset<QChar> letters;
  const auto add = [&letters](const QString& text) {
    const qsizetype at = text.indexOf('&');
    if (at >= 0 && at + 1 < text.size())
      letters.insert(text[at + 1].toLower());
  };
  for (QAction* action : bar->actions())
    add(action->text());
  for (QLabel* label : window.findChildren<QLabel*>()) {
    if (label->buddy())
      add(label->text());
  }
  return letters;
}

// The action of a menu of the window, by its text without "&".
QAction* MenuAction(QWidget& window, const QString& text) {
  for (QAction* action : window.findChildren<QAction*>()) {
    if (action->text().remove('&') == text)
      return action;
  }
  return nullptr;
}

// Clicks the item named `text` of the popup menu that is open.
void ClickInPopup(const QString& text) {
  auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
  ASSERT_NE(menu, nullptr) << "no menu is open";
  for (QAction* action : menu->actions()) {
    if (action->text().remove('&') == text) {
      QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
      return;
    }
  }
  menu->close();
  FAIL() << "the menu has no " << text.toStdString();
}

class PlotWindowFeatures : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<PlotWindow>();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    QApplication::setActiveWindow(window.get());
  }
  void TearDown() override {
    EXPECT_TRUE(script.done()) << "a scripted answer was never asked for";
    window.reset();
  }
  // A key as the user presses it: to the widget with the focus, in the window that the window
  // manager makes active again once a dialog has closed (the offscreen platform does not).
  void Press(Qt::Key key, Qt::KeyboardModifiers modifiers) {
    if (QApplication::activeModalWidget() == nullptr)
      QApplication::setActiveWindow(window.get());
    QWidget* focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : window.get(), key, modifiers);
  }
  int Rows() const { return window->fileList()->count(); }
  std::size_t NyquistSeries() const {
    return static_cast<std::size_t>(
        window->view(PlotWindow::kNyquist)->spectrumChart()->series().size());
  }
  // Chooses the steps in the difference dialog, types the tolerance and presses OK.
  static ModalScript::Answer ChooseSteps(int step1, int step2, const QString& tolerance = {}) {
    return [step1, step2, tolerance](QWidget* dialog) {
      const QList<QComboBox*> boxes = dialog->findChildren<QComboBox*>();
      ASSERT_EQ(boxes.size(), 2);
      QLineEdit* edit = dialog->findChild<QLineEdit*>();
      ASSERT_NE(edit, nullptr);
      boxes[0]->setCurrentIndex(step1);
      boxes[1]->setCurrentIndex(step2);
      edit->selectAll();
      QTest::keyClicks(edit, tolerance);
      QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                        Qt::LeftButton);
    };
  }

  TempDir dir;
  ModalScript script;
  std::unique_ptr<PlotWindow> window;
};

TEST_F(PlotWindowFeatures, AFileOpenedAgainIsSelectedAndShownNotAddedTwice) {
  window->OpenFiles({Comma("4-zebra.txt"), Comma("3-zebra.txt")});
  window->fileList()->item(0)->setCheckState(Qt::Unchecked);
  const std::string link = dir.path() + "/odkaz.txt";
  std::filesystem::create_symlink(Comma("4-zebra.txt").toStdString(), link);
  // The same file by its own path, another spelling of it, and a link to it.
  for (const QString& again : {Comma("4-zebra.txt"), Example("point/../comma", "4-zebra.txt"),
                               QString::fromStdString(link)}) {
    SCOPED_TRACE(again.toStdString());
    window->fileList()->setCurrentRow(1);
    window->OpenFiles({again});
    EXPECT_EQ(Rows(), 2);
    EXPECT_EQ(window->fileList()->currentRow(), 0);
    EXPECT_EQ(window->fileList()->item(0)->checkState(), Qt::Checked);
    EXPECT_EQ(NyquistSeries(), 2u);
    window->fileList()->item(0)->setCheckState(Qt::Unchecked);
  }
}

TEST_F(PlotWindowFeatures, DeleteAndTheListsContextMenuRemoveTheSelectedSeries) {
  window->OpenFiles({Comma("4-zebra.txt"), Comma("3-zebra.txt")});
  ASSERT_EQ(Rows(), 2);
  window->fileList()->setFocus();
  window->fileList()->setCurrentRow(0);
  QTest::keyClick(window->fileList(), Qt::Key_Delete);
  ASSERT_EQ(Rows(), 1);
  EXPECT_EQ(window->spectra()[0].name, QStringLiteral("3-zebra.txt"));
  EXPECT_EQ(NyquistSeries(), 1u);

  QListWidget* list = window->fileList();
  const QPoint at = list->visualItemRect(list->item(0)).center();
  QTimer::singleShot(100, [] { ClickInPopup(QStringLiteral("Odebrat ze seznamu")); });
  QContextMenuEvent menu(QContextMenuEvent::Mouse, at, list->viewport()->mapToGlobal(at));
  QApplication::sendEvent(list->viewport(), &menu);
  EXPECT_EQ(Rows(), 0);
  EXPECT_EQ(NyquistSeries(), 0u);
}

TEST_F(PlotWindowFeatures, EveryAltKeyHasOneTargetAndCtrlTabSwitchesTabsAnywhere) {
  const std::multiset<QChar> letters = Mnemonics(*window, window->menuBar());
  for (const QChar letter : letters)
    EXPECT_EQ(letters.count(letter), 1u) << "Alt+" << QString(letter).toStdString();

  QTest::keyClick(window.get(), Qt::Key_S, Qt::AltModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() != nullptr; }));
  EXPECT_EQ(qobject_cast<QMenu*>(QApplication::activePopupWidget())->title().remove('&'),
            QStringLiteral("Soubor"));
  QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Escape);
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == nullptr; }));
  QTest::keyClick(window.get(), Qt::Key_Escape);  // leaves the menu bar

  QWidget* focusPlaces[] = {window->fileList(), window->view(PlotWindow::kNyquist),
                            window->tabs()->tabBar()};
  for (QWidget* place : focusPlaces) {
    SCOPED_TRACE(place->metaObject()->className());
    window->tabs()->setCurrentIndex(0);
    place->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return place->hasFocus(); }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(window->tabs()->currentIndex(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(window->tabs()->currentIndex(), 2);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(window->tabs()->currentIndex(), 1);
  }
  window->fileList()->setFocus();
  QTest::keyClick(window.get(), Qt::Key_N, Qt::AltModifier);
  EXPECT_TRUE(window->fileList()->hasFocus());
}

// Under cs_CZ a full-stop step file is refused, with the core's message, until the menu says
// that step files have a full stop; then it opens, and the choice goes back to the regional.
TEST_F(PlotWindowFeatures, FullStopStepFilesOpenOnceTheMenuSaysSo) {
  const QString point = Example("point", "4-zebra.txt");
  script.Then(script.PressOk());
  window->OpenFiles({point});
  ASSERT_TRUE(QTest::qWaitFor([&] { return script.done(); }));
  EXPECT_EQ(Rows(), 0);
  ASSERT_FALSE(script.boxTexts.isEmpty());
  EXPECT_TRUE(script.boxTexts[0].contains(QStringLiteral("„12.4338“ není platné číslo")))
      << script.boxTexts[0].toStdString();

  // Alt+P opens Úpravy, D its separator submenu, T the full stop: typed as a user would.
  Press(Qt::Key_P, Qt::AltModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() != nullptr; }));
  QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_D);
  ASSERT_TRUE(QTest::qWaitFor([&] {
    return QApplication::activePopupWidget() != nullptr &&
           qobject_cast<QMenu*>(QApplication::activePopupWidget())
               ->title()
               .contains(QStringLiteral("oddělovač"));
  }));
  QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_T);
  ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::activePopupWidget() == nullptr; }));
  EXPECT_EQ(window->stepSeparator(), '.');
  window->OpenFiles({point});
  ASSERT_EQ(Rows(), 1);
  const std::vector<SpectrumPoint> expected = PointsOf(point, '.');
  ASSERT_EQ(window->spectra()[0].points.size(), expected.size());
  EXPECT_EQ(window->spectra()[0].points[0].re, expected[0].re);
  EXPECT_EQ(window->spectra()[0].points[0].re, 12.4338);

  QAction* regional = MenuAction(*window, QStringLiteral("Podle místního nastavení („,“)"));
  ASSERT_NE(regional, nullptr);
  regional->trigger();
  EXPECT_EQ(window->stepSeparator(), ',');
}

TEST_F(PlotWindowFeatures, CtrlDAddsTheDifferenceAsOdecetCliMakesIt) {
  window->OpenFiles({Comma("4-zebra.txt"), Comma("3-zebra.txt")});
  script.Then(ChooseSteps(0, 1));
  Press(Qt::Key_D, Qt::ControlModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return script.done(); }));
  ASSERT_EQ(Rows(), 3);
  const PlottedSpectrum& difference = window->spectra()[2];
  EXPECT_EQ(difference.name, QStringLiteral("rozdíl 3-zebra−4-zebra"));
  EXPECT_TRUE(difference.name.startsWith(QStringLiteral("rozdíl")));
  EXPECT_EQ(window->fileList()->currentRow(), 2);
  // The report's columns, as a report of odecet-cli reads back: Re and Im of 3 minus 4.
  const std::vector<SpectrumPoint> four = PointsOf(Comma("4-zebra.txt"));
  const std::vector<SpectrumPoint> three = PointsOf(Comma("3-zebra.txt"));
  ASSERT_EQ(difference.points.size(), four.size());
  for (std::size_t i = 0; i < four.size(); ++i) {
    EXPECT_EQ(difference.points[i].f, four[i].f);
    EXPECT_EQ(difference.points[i].re, three[i].re - four[i].re);
    EXPECT_EQ(difference.points[i].im, -(four[i].im - three[i].im));
  }
  EXPECT_EQ(NyquistSeries(), 4u);  // the three lines and the difference's points within 2u
  auto* legend = window->view(PlotWindow::kNyquist)->spectrumChart()->series()[2];
  EXPECT_EQ(legend->name(), difference.name);

  // Asked again, the same difference is only brought forward.
  script.Then(ChooseSteps(0, 1));
  Press(Qt::Key_D, Qt::ControlModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return script.done(); }));
  EXPECT_EQ(Rows(), 3);
}

// A difference whose steps can both be checked carries their uncertainty: a ±2u band around each
// point on the Nyquist plot, and the points within 2u of zero marked.
TEST_F(PlotWindowFeatures, TheDifferenceShowsItsUncertaintyBand) {
  window->OpenFiles({Comma("4-zebra.txt"), Comma("3-zebra.txt"), Comma("4-zebra.txt")});
  ASSERT_EQ(Rows(), 2);  // the same file twice is one series
  ASSERT_TRUE(window->AddDifference(0, 1, 0.0));
  const PlottedSpectrum& difference = window->spectra()[2];
  ASSERT_EQ(difference.uncertainty.size(), difference.points.size());
  auto* nyquist = static_cast<NyquistChart*>(window->view(PlotWindow::kNyquist)->spectrumChart());
  EXPECT_EQ(nyquist->uncertaintyBands().size(), difference.points.size());
  // The marks of the difference added last.
  const auto within = [&] {
    int count = -1;
    for (QAbstractSeries* series : nyquist->series()) {
      if (series->name() == QStringLiteral("v rámci 2u od nuly"))
        count = static_cast<int>(static_cast<QXYSeries*>(series)->count());
    }
    return count;
  };
  EXPECT_EQ(within(), 0);  // a removed rib is no noise
  // A step against itself differs by nothing: every point lies within 2u of zero.
  ASSERT_TRUE(window->AddDifference(0, 0, 0.0));
  EXPECT_EQ(within(), static_cast<int>(window->spectra()[0].points.size()));
  // Hidden, the difference takes its band with it.
  for (int row = 2; row < Rows(); ++row)
    window->fileList()->item(row)->setCheckState(Qt::Unchecked);
  EXPECT_TRUE(nyquist->uncertaintyBands().empty());
}

// What odecet-cli says of steps that do not match, in the same two lines; a tolerance as -t
// takes it lets measured frequencies pass, and one -t refuses is refused in the same words.
TEST_F(PlotWindowFeatures, StepsThatDoNotMatchAreToldInOdecetCliWords) {
  const std::string few = dir.Write("tri.txt", "3\n100 10 -5\n10 11 -6\n1 12 -7\n");
  const std::string near = dir.Write("blizko.txt", "3\n100,3 10 -5\n10 11 -6\n1 12 -7\n");
  window->OpenFiles(
      {Comma("4-zebra.txt"), QString::fromStdString(few), QString::fromStdString(near)});
  ASSERT_EQ(Rows(), 3);
  const struct {
    int step1, step2;
    const char* tolerance;
    const char* text;
    const char* detail;
  } cases[] = {
      {0, 1, "", "Zadané soubory se neshodují počtem měřených bodů.",
       "Počet bodů: 4 žebra 61, 3 žebra 3."},
      {1, 2, "", "V zadaných souborech se neshodují kmitočty.",
       "Bod 1: 4 žebra 100 Hz, 3 žebra 100,3 Hz."},
      {1, 2, "0,002", "V zadaných souborech se neshodují kmitočty.",
       "Bod 1: 4 žebra 100 Hz, 3 žebra 100,3 Hz."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.detail);
    script.boxTexts.clear();
    script.Then(ChooseSteps(c.step1, c.step2, QString::fromUtf8(c.tolerance)))
        .Then(script.PressOk());
    Press(Qt::Key_D, Qt::ControlModifier);
    ASSERT_TRUE(QTest::qWaitFor([&] { return script.done(); }));
    EXPECT_EQ(script.boxTexts,
              QStringList({QString::fromUtf8(c.text), QString::fromUtf8(c.detail)}));
    EXPECT_EQ(Rows(), 3);
  }

  // A tolerance -t refuses keeps the dialog open; a good one then makes the difference.
  script.boxTexts.clear();
  script.Then(ChooseSteps(1, 2, QStringLiteral("1")))
      .Then(script.PressOk())
      .Then([](QWidget* dialog) {
        QLineEdit* edit = dialog->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClicks(edit, QStringLiteral("0,005"));
        QTest::keyClick(edit, Qt::Key_Return);
      });
  Press(Qt::Key_D, Qt::ControlModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return script.done(); }));
  ASSERT_FALSE(script.boxTexts.isEmpty());
  EXPECT_EQ(
      script.boxTexts[0],
      QStringLiteral("Tolerance musí být nezáporné číslo menší než 1 (třeba 0.001), ne „1“."));
  ASSERT_EQ(Rows(), 4);
  EXPECT_EQ(window->spectra()[3].points[0].f, 100.0) << "the difference keeps step 1's frequency";
}

TEST_F(PlotWindowFeatures, CtrlCCopiesTheSelectedSeriesForASpreadsheet) {
  const std::string small = dir.Write("maly.txt", "2\n1000 10,5 -5,25\n100 20 0\n");
  window->OpenFiles({Comma("4-zebra.txt"), QString::fromStdString(small)});
  window->fileList()->setFocus();
  window->fileList()->setCurrentRow(1);
  QApplication::clipboard()->clear();
  QTest::keyClick(window->fileList(), Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QApplication::clipboard()->text(),
            QStringLiteral("f (Hz)\tRe (Ohm)\t-Im (Ohm)\n1000\t10,5\t5,25\n100\t20\t0\n"));
}

TEST(DecadeText, PowersOfTenInTheUnitThatKeepsOneToHundred) {
  const std::pair<int, const char*> cases[] = {{-4, "100 µHz"}, {-2, "10 mHz"}, {-1, "100 mHz"},
                                               {0, "1 Hz"},     {2, "100 Hz"},  {3, "1 kHz"},
                                               {5, "100 kHz"},  {6, "1 MHz"},   {7, "10 MHz"}};
  for (const auto& [exponent, text] : cases)
    EXPECT_EQ(DecadeText(exponent), QString::fromUtf8(text)) << exponent;
}

TEST_F(PlotWindowFeatures, TheNyquistPlotLabelsEachDecadeAtItsPointUntilToggledOff) {
  window->OpenFiles({Comma("4-zebra.txt")});
  QTest::qWait(50);
  auto* chart = static_cast<NyquistChart*>(window->view(PlotWindow::kNyquist)->spectrumChart());
  const std::vector<SpectrumPoint> points = PointsOf(Comma("4-zebra.txt"));
  QStringList shown;
  for (QGraphicsSimpleTextItem* label : chart->decadeLabels()) {
    if (!label->isVisible())
      continue;
    shown << label->text();
    // Beside its own point: the decade's point lies within a ring's reach of the label.
    const auto decade = std::find_if(points.begin(), points.end(), [&](const SpectrumPoint& p) {
      return DecadeText(static_cast<int>(std::round(std::log10(p.f)))) == label->text() &&
             std::abs(std::log10(p.f) - std::round(std::log10(p.f))) < 1e-3;
    });
    ASSERT_NE(decade, points.end()) << label->text().toStdString();
    const QPointF at = chart->mapToPosition(QPointF(decade->re, -decade->im));
    const QRectF box = label->mapRectToParent(label->boundingRect());
    EXPECT_LT(QLineF(at, box.center()).length(), box.width() + 2.0 * box.height())
        << label->text().toStdString();
  }
  for (const char* decade : {"1 kHz", "100 Hz", "10 Hz", "1 Hz", "100 mHz"})
    EXPECT_TRUE(shown.contains(QString::fromUtf8(decade))) << decade;
  // At this scale 100 kHz and 10 kHz lie on one another: one label, not two on top.
  EXPECT_EQ(shown.count(QStringLiteral("100 kHz")) + shown.count(QStringLiteral("10 kHz")), 1)
      << shown.join(' ').toStdString();

  QAction* toggle =
      MenuAction(*window, QStringLiteral("Popisky dekád kmitočtu v Nyquistově diagramu"));
  ASSERT_NE(toggle, nullptr);
  toggle->trigger();
  for (QGraphicsSimpleTextItem* label : chart->decadeLabels())
    EXPECT_FALSE(label->isVisible());
}

}  // namespace
