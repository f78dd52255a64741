#include <fcntl.h>
#include <gtest/gtest.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QListWidget>
#include <QMimeData>
#include <QScreen>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QTest>
#include <QToolTip>
#include <QUrl>
#include <QValueAxis>
#include <QXYSeries>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>

#include "instruments/spectrum_file.h"
#include "modal_script.h"
#include "test_files.h"
#include "viewer/command_line.h"
#include "viewer/export_command.h"
#include "viewer/kk_chart.h"
#include "viewer/nyquist_chart.h"
#include "viewer/plot_view.h"
#include "viewer/plot_window.h"

using namespace odecet;

namespace {

QString Example(const char* name) {
  return QStringLiteral(ODECET_EXAMPLES "/comma/") + QString::fromLatin1(name);
}

// The message the core gives for a file, as every program shows it.
QString LoadMessage(const QString& path) {
  try {
    LoadSpectrum(path.toStdString(), ',', SpectrumSources::kAlsoReports);
  } catch (const std::exception& error) {
    return QString::fromUtf8(error.what());
  }
  return {};
}

// Ohms per pixel along each axis of the Nyquist plot.
std::pair<double, double> NyquistScales(PlotWindow& window) {
  auto* chart = static_cast<NyquistChart*>(window.view(PlotWindow::kNyquist)->spectrumChart());
  const QRectF area = chart->plotArea();
  return {(chart->axisRe()->max() - chart->axisRe()->min()) / area.width(),
          (chart->axisMinusIm()->max() - chart->axisMinusIm()->min()) / area.height()};
}

// Checks that `path` holds a whole picture of its kind.
void ExpectPicture(const QString& path, QSize size) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
  const QByteArray bytes = file.readAll();
  ASSERT_FALSE(bytes.isEmpty());
  if (path.endsWith(QLatin1String(".svg"))) {
    QSvgRenderer svg(bytes);
    EXPECT_TRUE(svg.isValid());
    EXPECT_EQ(svg.viewBox().size(), size);
  } else if (path.endsWith(QLatin1String(".png"))) {
    EXPECT_EQ(QImage::fromData(bytes, "PNG").size(), size);
  } else {
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_TRUE(bytes.trimmed().endsWith("%%EOF"));
  }
}

class PlotWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<PlotWindow>();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  void TearDown() override {
    EXPECT_TRUE(script.done()) << "a scripted answer was never asked for";
    window.reset();
  }
  QString Path(const char* name) const { return QString::fromStdString(dir.path() + "/" + name); }

  TempDir dir;
  ModalScript script;
  std::unique_ptr<PlotWindow> window;
};

TEST_F(PlotWindowTest, ShowsEachFileAsASeriesAndExportsEveryKind) {
  const std::string small = dir.Write("maly.txt", "3\n1000 10 -5\n100 20 -10\n10 30 -5\n");
  window->OpenFiles(
      {Example("4-zebra.txt"), Example("3-zebra.txt"), QString::fromStdString(small)});
  QTest::qWait(50);  // the plot area settles with the axis labels

  ASSERT_EQ(window->fileList()->count(), 3);
  const auto seriesOf = [&](PlotWindow::Tab tab) {
    return window->view(tab)->spectrumChart()->series();
  };
  ASSERT_EQ(seriesOf(PlotWindow::kNyquist).size(), 3);
  EXPECT_EQ(static_cast<QXYSeries*>(seriesOf(PlotWindow::kNyquist)[0])->count(), 61);
  EXPECT_EQ(static_cast<QXYSeries*>(seriesOf(PlotWindow::kNyquist)[2])->count(), 3);
  EXPECT_EQ(seriesOf(PlotWindow::kBode).size(), 6);  // |Z| and phase of each
  EXPECT_NE(window->spectra()[0].colour, window->spectra()[1].colour);
  const auto [ohmsPerPixelX, ohmsPerPixelY] = NyquistScales(*window);
  EXPECT_NEAR(ohmsPerPixelX / ohmsPerPixelY, 1.0, 1e-6) << "a semicircle must look round";

  window->fileList()->item(1)->setCheckState(Qt::Unchecked);
  ASSERT_EQ(seriesOf(PlotWindow::kNyquist).size(), 2);
  EXPECT_EQ(seriesOf(PlotWindow::kNyquist)[1]->name(), QStringLiteral("maly.txt"));

  const std::pair<PlotWindow::Tab, const char*> exports[] = {
      {PlotWindow::kNyquist, "nyquist.svg"},
      {PlotWindow::kBode, "bode.png"},
      {PlotWindow::kKramersKronig, "kk.pdf"}};
  for (const auto& [tab, name] : exports) {
    window->tabs()->setCurrentIndex(tab);
    QTest::qWait(20);
    window->ExportShownTab(Path(name));
    ExpectPicture(Path(name), window->view(tab)->spectrumChart()->size().toSize());
  }
}

// The Kramers–Kronig tab checks the selected file and shows, under its residuals, how M was
// chosen; a file selected again is not tested again.
TEST_F(PlotWindowTest, TheKramersKronigTabShowsTheVerdictAndTheChoiceOfM) {
  window->OpenFiles({Example("4-zebra.txt"), Example("3-zebra.txt")});
  window->tabs()->setCurrentIndex(PlotWindow::kKramersKronig);
  for (const int row : {0, 1, 0}) {
    window->fileList()->setCurrentRow(row);
    QTest::qWait(20);
    auto* chart =
        static_cast<KramersKronigChart*>(window->view(PlotWindow::kKramersKronig)->spectrumChart());
    ASSERT_TRUE(chart->result().has_value());
    EXPECT_TRUE(chart->summary().startsWith(window->spectra()[static_cast<std::size_t>(row)].name));
    EXPECT_TRUE(chart->verdict().startsWith(QStringLiteral("v pořádku: ")))
        << chart->verdict().toStdString();
    ASSERT_NE(window->choiceView(), nullptr);
    EXPECT_TRUE(window->choiceView()->isVisible());
    EXPECT_TRUE(window->choiceView()->spectrumChart()->title().contains(
        QStringLiteral("M = %1").arg(chart->result()->m)));
  }
}

// Each sweep of a file that holds several is a series of its own, named by its number.
TEST_F(PlotWindowTest, ShowsEachSweepOfAFileAsItsOwnSeries) {
  window->OpenFiles({QStringLiteral(ODECET_TEST_DATA "/biologic/ec-lab-11.50-peis-4-cycles.mpr"),
                     Example("4-zebra.txt")});
  ASSERT_EQ(window->fileList()->count(), 5);
  const QStringList names = {QStringLiteral("ec-lab-11.50-peis-4-cycles.mpr#1"),
                             QStringLiteral("ec-lab-11.50-peis-4-cycles.mpr#2"),
                             QStringLiteral("ec-lab-11.50-peis-4-cycles.mpr#3"),
                             QStringLiteral("ec-lab-11.50-peis-4-cycles.mpr#4"),
                             QStringLiteral("4-zebra.txt")};
  for (int i = 0; i < names.size(); ++i)
    EXPECT_EQ(window->fileList()->item(i)->text(), names[i]);
  const auto series = window->view(PlotWindow::kNyquist)->spectrumChart()->series();
  ASSERT_EQ(series.size(), 5);
  EXPECT_EQ(static_cast<QXYSeries*>(series[3])->count(), 21);
  EXPECT_NE(window->spectra()[0].colour, window->spectra()[1].colour);
}

TEST_F(PlotWindowTest, UnreadableFileIsReportedInABoxAndTheOthersStay) {
  const QString missing = Path("chybi.txt");
  script.Then(script.PressOk());
  window->OpenFiles({Example("4-zebra.txt"), missing});
  QTRY_VERIFY(script.done());
  ASSERT_EQ(script.boxTexts.size(), 2);
  EXPECT_EQ(script.boxTexts[0], LoadMessage(missing));
  ASSERT_EQ(window->fileList()->count(), 1);
  EXPECT_EQ(window->fileList()->item(0)->text(), QStringLiteral("4-zebra.txt"));
  EXPECT_EQ(window->view(PlotWindow::kNyquist)->spectrumChart()->series().size(), 1);
}

TEST_F(PlotWindowTest, FilesDroppedOnTheWindowAreOpened) {
  QMimeData data;
  data.setUrls(
      {QUrl::fromLocalFile(Example("4-zebra.txt")), QUrl::fromLocalFile(Example("3-zebra.txt"))});
  const QPoint at = window->rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(window.get(), &drop);
  EXPECT_EQ(window->fileList()->count(), 2);
}

TEST_F(PlotWindowTest, WheelZoomKeepsTheScaleEqualAndDoubleClickFitsAgain) {
  window->OpenFiles({Example("4-zebra.txt")});
  QTest::qWait(50);
  PlotView* view = window->view(PlotWindow::kNyquist);
  auto* chart = static_cast<NyquistChart*>(view->spectrumChart());
  const double fitted = chart->axisRe()->max() - chart->axisRe()->min();

  const QPoint centre = view->mapFromScene(chart->mapToScene(chart->plotArea().center()));
  QWheelEvent wheel(centre, view->mapToGlobal(centre), {}, QPoint(0, 240), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view->viewport(), &wheel);
  EXPECT_LT(chart->axisRe()->max() - chart->axisRe()->min(), fitted * 0.7);
  const auto [x, y] = NyquistScales(*window);
  EXPECT_NEAR(x / y, 1.0, 1e-6);

  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, centre);
  EXPECT_DOUBLE_EQ(chart->axisRe()->max() - chart->axisRe()->min(), fitted);
}

TEST_F(PlotWindowTest, HoveringOverAPointShowsItsFrequencyAndValues) {
  window->OpenFiles({Example("4-zebra.txt")});
  QTest::qWait(50);
  PlotView* view = window->view(PlotWindow::kNyquist);
  SpectrumChart* chart = view->spectrumChart();
  auto* series = static_cast<QXYSeries*>(chart->series().first());
  const QPointF tenth = series->at(10);  // 10 kHz
  const QPoint at = view->mapFromScene(chart->mapToScene(chart->mapToPosition(tenth, series)));
  QTest::mouseMove(view->viewport(), at - QPoint(30, 30));
  QTest::mouseMove(view->viewport(), at);
  QTRY_VERIFY(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text(), QStringLiteral("4-zebra.txt, bod 11\nf = 10000 Hz\nRe Z = 12,74 Ω\n"
                                             "−Im Z = 1,556 Ω\n|Z| = 12,84 Ω\n−φ = 6,96°"));

  // Resting on the point long past Qt's own tooltip delay keeps the readout.
  QTest::qWait(2500);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_TRUE(QToolTip::text().startsWith(QStringLiteral("4-zebra.txt, bod 11\n")));
  // Leaving the point takes it away.
  QTest::mouseMove(view->viewport(), at + QPoint(0, 60));
  QTRY_VERIFY(!QToolTip::isVisible());
}

// What the window shows on screen (the backing store), against a fresh drawing of it.
QImage OnScreen(QWidget* widget) {
  const QPoint origin = widget->mapTo(widget->window(), QPoint(0, 0));
  return widget->screen()
      ->grabWindow(widget->window()->winId(), origin.x(), origin.y(), widget->width(),
                   widget->height())
      .toImage()
      .convertToFormat(QImage::Format_RGB32);
}
QImage Redrawn(QWidget* widget) {
  return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}
int DifferingPixels(const QImage& a, const QImage& b) {
  if (a.size() != b.size())
    return a.width() * a.height();
  int differing = 0;
  for (int y = 0; y < a.height(); ++y) {
    for (int x = 0; x < a.width(); ++x)
      differing += qRgb(qRed(a.pixel(x, y)), qGreen(a.pixel(x, y)), qBlue(a.pixel(x, y))) !=
                   qRgb(qRed(b.pixel(x, y)), qGreen(b.pixel(x, y)), qBlue(b.pixel(x, y)));
  }
  return differing;
}

// Whatever changes the plot, nothing of the earlier drawing stays on screen.
TEST_F(PlotWindowTest, NoStaleFragmentsAfterAResizeAZoomOutOrAHiddenSeries) {
  window->OpenFiles({Example("4-zebra.txt"), Example("3-zebra.txt")});
  PlotView* view = window->view(PlotWindow::kNyquist);
  QTest::qWait(100);
  const QPoint centre = view->viewport()->rect().center();
  const std::pair<const char*, std::function<void()>> changes[] = {
      {"hidden series", [&] { window->fileList()->item(0)->setCheckState(Qt::Unchecked); }},
      {"right-button zoom-out",
       [&] {
         QTest::mouseClick(view->viewport(), Qt::RightButton, {}, centre);
         QTest::mouseClick(view->viewport(), Qt::RightButton, {}, centre);
       }},
      {"resize", [&] { window->resize(window->width() - 150, window->height() - 90); }},
      {"shown again", [&] { window->fileList()->item(0)->setCheckState(Qt::Checked); }},
  };
  for (const auto& [what, change] : changes) {
    SCOPED_TRACE(what);
    // A zoom first, so that every change moves the curves across the screen.
    QWheelEvent wheel(centre, view->viewport()->mapToGlobal(centre), {}, QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    QTest::qWait(50);
    change();
    QTest::qWait(100);
    const QImage shown = OnScreen(view->viewport());
    ASSERT_FALSE(shown.isNull());
    EXPECT_EQ(DifferingPixels(shown, Redrawn(view->viewport())), 0) << "stale pixels on screen";
  }
}

// odecet-graf --export: both plots side by side, nothing written when a file cannot be read.
TEST(ExportCommand, WritesEveryKindOrNothingWithTheCoreMessage) {
  TempDir dir;
  for (const char* name : {"obe.svg", "obe.png", "obe.pdf"}) {
    const QString picture = QString::fromStdString(dir.path() + "/" + name);
    EXPECT_EQ(ExportSideBySide({Example("4-zebra.txt"), Example("3-zebra.txt")}, picture,
                               QSize(900, 400), stderr),
              kDone);
    ExpectPicture(picture, QSize(900, 400));
  }

  const QString missing = QString::fromStdString(dir.path() + "/chybi.txt");
  const QString picture = QString::fromStdString(dir.path() + "/nic.png");
  char* text = nullptr;
  std::size_t length = 0;
  std::FILE* err = open_memstream(&text, &length);
  EXPECT_EQ(ExportSideBySide({Example("4-zebra.txt"), missing}, picture, QSize(900, 400), err),
            kBadFile);
  std::fclose(err);
  EXPECT_EQ(QString::fromUtf8(text, static_cast<qsizetype>(length)),
            QStringLiteral("odecet-graf: ") + LoadMessage(missing) + '\n');
  std::free(text);
  EXPECT_FALSE(QFile::exists(picture));

  // A picture that cannot be written is named with the reason.
  const QString nowhere = QString::fromStdString(dir.path() + "/chybi/obe.png");
  err = open_memstream(&text, &length);
  EXPECT_EQ(ExportSideBySide({Example("4-zebra.txt")}, nowhere, QSize(900, 400), err), kNotWritten);
  std::fclose(err);
  EXPECT_TRUE(QString::fromUtf8(text, static_cast<qsizetype>(length))
                  .startsWith(QStringLiteral("odecet-graf: Obrázek „") + nowhere +
                              QStringLiteral("“ nelze zapsat: ")));
  std::free(text);
}

// What ExportSideBySide said on its standard error, and its status.
struct ExportOutcome {
  int status;
  QString err;
};
ExportOutcome ExportOne(const std::string& picture) {
  char* text = nullptr;
  std::size_t length = 0;
  std::FILE* err = open_memstream(&text, &length);
  const int status = ExportSideBySide({Example("4-zebra.txt")}, QString::fromStdString(picture),
                                      QSize(300, 200), err);
  std::fclose(err);
  ExportOutcome outcome{status, QString::fromUtf8(text, static_cast<qsizetype>(length))};
  std::free(text);
  return outcome;
}

// Only a regular file, or a new name, may become the picture: a device or a pipe there, or
// behind a link, stays what it is. (The device is made here, never one of the system's: a
// faulty export would replace it.)
TEST(ExportCommand, RefusesAnythingButARegularFileAndKeepsIt) {
  TempDir dir;
  const std::string fifo = dir.path() + "/fifo.png";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  std::filesystem::create_symlink(fifo, dir.path() + "/to-fifo.png");
  std::vector<std::string> pictures = {fifo, dir.path() + "/to-fifo.png"};
  std::vector<std::string> specials = {fifo};
  const std::string device = dir.path() + "/full.png";
  if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 7)) == 0) {  // as root only
    std::filesystem::create_symlink(device, dir.path() + "/to-full.svg");
    pictures.insert(pictures.end(), {device, dir.path() + "/to-full.svg"});
    specials.push_back(device);
  }
  for (const std::string& picture : pictures) {
    SCOPED_TRACE(picture);
    const ExportOutcome outcome = ExportOne(picture);
    EXPECT_EQ(outcome.status, kNotWritten);
    EXPECT_EQ(outcome.err, QStringLiteral("odecet-graf: Obrázek „") +
                               QString::fromStdString(picture) +
                               QStringLiteral("“ nelze zapsat: je to zvláštní soubor.\n"));
  }
  for (const std::string& special : specials) {
    struct stat info {};
    ASSERT_EQ(::lstat(special.c_str(), &info), 0);
    EXPECT_FALSE(S_ISREG(info.st_mode)) << special;
  }
  EXPECT_TRUE(std::filesystem::is_symlink(dir.path() + "/to-fifo.png"));
}

// A link is followed by the kernel: the picture behind it is replaced and the link stays. Names
// and paths as long as the system allows work as for reports, and a failure is told in Czech.
TEST(ExportCommand, ReplacesThroughLinksAndAtTheLengthLimits) {
  TempDir dir;
  const std::string behind = dir.Write("behind.png", "old");
  const std::string link = dir.path() + "/link.png";
  std::filesystem::create_symlink("behind.png", link);

  std::string deep = dir.path();
  const std::string part(200, 'd');
  while (deep.size() + part.size() + 1 < PATH_MAX - 20) {
    deep += "/" + part;
    ASSERT_EQ(::mkdir(deep.c_str(), 0755), 0);
  }
  const std::string longest = deep + "/" + std::string(PATH_MAX - 6 - deep.size(), 'p') + ".png";
  ASSERT_EQ(longest.size(), static_cast<std::size_t>(PATH_MAX - 1));
  std::vector<std::string> targets = {link, longest};
  for (const std::size_t length : {249u, 252u, 255u})
    targets.push_back(dir.path() + "/" + std::string(length - 4, 'n') + ".svg");
  for (const std::string& target : targets) {
    SCOPED_TRACE(target.substr(target.rfind('/') + 1, 20));
    for (int round = 0; round < 2; ++round) {  // a new name, then replacing it
      const ExportOutcome outcome = ExportOne(target);
      EXPECT_EQ(outcome.status, kDone) << outcome.err.toStdString();
      ExpectPicture(QString::fromStdString(target), QSize(300, 200));
    }
  }
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_TRUE(ReadAll(behind).starts_with("\x89PNG"));

  const ExportOutcome tooLong = ExportOne(dir.path() + "/" + std::string(256, 'n') + ".png");
  EXPECT_EQ(tooLong.status, kNotWritten);
  EXPECT_TRUE(tooLong.err.endsWith(QStringLiteral("nelze zapsat: příliš dlouhé jméno souboru.\n")))
      << tooLong.err.toStdString();
}

TEST(ViewerCommandLine, ReadsExportAndSizeAndRejectsTheRest) {
  const ViewerCommandLine line = ParseViewerCommandLine({"--export=a.PDF", "--size=800x600", "x"});
  EXPECT_EQ(line.action, ViewerCommandLine::Action::kExport);
  EXPECT_EQ(line.picture, QStringLiteral("a.PDF"));
  EXPECT_EQ(line.size, QSize(800, 600));
  EXPECT_EQ(ParseViewerCommandLine({"--", "-soubor"}).files, QStringList{"-soubor"});

  const std::vector<std::vector<std::string>> wrong = {{"--export=a.jpg", "x"},
                                                       {"--export=a.png"},
                                                       {"--size=800x600", "x"},
                                                       {"--export=a.png", "--size=800", "x"},
                                                       {"--export=a.png", "--size=8x600", "x"},
                                                       {"--export=a.png", "--size=800x600x", "x"},
                                                       {"--bez-okna"}};
  for (const auto& arguments : wrong)
    EXPECT_THROW(ParseViewerCommandLine(arguments), ViewerUsageError) << arguments[0];
}

TEST(ViewerCommandLine, NamesTheFirstWrongArgumentWhereItStands) {
  struct Case {
    std::vector<std::string> arguments;
    const char* message;
  };
  const Case cases[] = {
      {{"--bogus", "--help"}, "Neznámá volba „--bogus“."},
      {{"--d", ","}, "Neznámá volba „--d“."},                     // a letter only after one dash
      {{"--export", "a.png", "x"}, "Neznámá volba „--export“."},  // its value only after "="
      {{"--no-decades=1"}, "Neznámá volba „--no-decades=1“."},
      {{"-xd", ","}, "Neznámá volba „-xd“."},
      {{"-d=,"}, "desetinný oddělovač musí být „,“ nebo „.“, ne „=,“"},
      {{"-t"}, "Volba „-t“ potřebuje hodnotu."},
      {{"x", "--decimal-separator"}, "Volba „--decimal-separator“ potřebuje hodnotu."},
      {{"--size=bad", "--bogus"},
       "Velikost „bad“ není ve tvaru ŠxV, například 1600x700 (16 až 20000 bodů), ani ŠxVmm, "
       "například 85x60mm (10 až 1000 mm)."},
      {{"--export=a.png", "--size=1x1", "--size=bad", "x"},
       "Velikost „1x1“ není ve tvaru ŠxV, například 1600x700 (16 až 20000 bodů), ani ŠxVmm, "
       "například 85x60mm (10 až 1000 mm)."},
      {{"-d", ",", "-d."}, "Volba -d je zadána dvakrát."},
      {{"--export=a.png", "--difference", "a", "b", "--difference", "c", "d"},
       "Volba --difference je zadána dvakrát."},
      {{"--no-decades", "--no-decades", "x"}, "Volba --no-decades platí jen s volbou --export."},
      {{"-d", "--version"}, "desetinný oddělovač musí být „,“ nebo „.“, ne „--version“"},
      {{"--difference", "a"}, "Volba --difference potřebuje dva soubory: KROK1 a KROK2."},
  };
  for (const Case& c : cases) {
    try {
      ParseViewerCommandLine(c.arguments);
      ADD_FAILURE() << c.arguments[0] << " was taken";
    } catch (const ViewerUsageError& error) {
      EXPECT_STREQ(error.what(), c.message) << c.arguments[0];
    }
  }
}

TEST(ViewerCommandLine, TakesValuesAndFilesWhereTheyStand) {
  EXPECT_EQ(ParseViewerCommandLine({"--help", "--bogus"}).action, ViewerCommandLine::Action::kHelp);
  const ViewerCommandLine line =
      ParseViewerCommandLine({"-d.", "x", "-t0,5", "--", "-y", "--help"});
  EXPECT_EQ(line.separator, '.');
  EXPECT_EQ(line.tolerance, 0.5);
  EXPECT_EQ(line.files, (QStringList{"x", "-y", "--help"}));
  const ViewerCommandLine steps = ParseViewerCommandLine(
      {"--decimal-separator", ",", "--difference", "-a", "--help", "f", "--tolerance=0.1"});
  EXPECT_EQ(steps.separator, ',');
  EXPECT_EQ(steps.difference, (std::pair<QString, QString>{"-a", "--help"}));
  EXPECT_EQ(steps.files, QStringList{"f"});
  EXPECT_EQ(steps.tolerance, 0.1);
}

}  // namespace
