// Pictures for papers: odecet-graf --export with a physical size, DPI, font size and view, the
// difference on its command line, and the window's export dialog.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFile>
#include <QImage>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QSvgRenderer>
#include <QTest>
#include <QWheelEvent>
#include <cstdio>
#include <memory>

#include "modal_script.h"
#include "test_files.h"
#include "viewer/command_line.h"
#include "viewer/export_command.h"
#include "viewer/plot_dialogs.h"
#include "viewer/plot_view.h"
#include "viewer/plot_window.h"

using namespace odecet;

namespace {

std::string Comma(const char* name) {
  return std::string(ODECET_EXAMPLES "/comma/") + name;
}

struct Outcome {
  int status;
  QString err;
};

// odecet-graf's export as its main() runs it, with its standard error caught.
Outcome Export(const std::vector<std::string>& arguments) {
  const ViewerCommandLine line = ParseViewerCommandLine(arguments);
  char* text = nullptr;
  std::size_t length = 0;
  std::FILE* err = open_memstream(&text, &length);
  const int status = ExportCommand(line, err);
  std::fclose(err);
  Outcome outcome{status, QString::fromUtf8(text, static_cast<qsizetype>(length))};
  std::free(text);
  return outcome;
}

QByteArray Bytes(const std::string& path) {
  QFile file(QString::fromStdString(path));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Whether nothing is drawn on the picture's outermost pixels: no label is cut by its edge.
bool BorderIsWhite(const QImage& image) {
  for (int x = 0; x < image.width(); ++x) {
    if (image.pixel(x, 0) != qRgb(255, 255, 255) ||
        image.pixel(x, image.height() - 1) != qRgb(255, 255, 255))
      return false;
  }
  for (int y = 0; y < image.height(); ++y) {
    if (image.pixel(0, y) != qRgb(255, 255, 255) ||
        image.pixel(image.width() - 1, y) != qRgb(255, 255, 255))
      return false;
  }
  return true;
}

TEST(PaperPictures, APngOfAPhysicalSizeHasItsPixelsAndResolution) {
  TempDir dir;
  const struct {
    const char* size;
    const char* dpi;  // empty: the default
    QSize pixels;
    int dotsPerMetre;
  } cases[] = {
      {"85x60mm", "", QSize(1004, 709), 11811},
      {"85x60mm", "--dpi=600", QSize(2008, 1417), 23622},
      {"170x70mm", "--dpi=150", QSize(1004, 413), 5906},
      {"85,5x60.5mm", "--dpi=100", QSize(337, 238), 3937},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.size) + " " + c.dpi);
    const std::string picture = dir.path() + "/obr.png";
    std::vector<std::string> arguments = {"--export=" + picture, std::string("--size=") + c.size,
                                          Comma("4-zebra.txt"), Comma("3-zebra.txt")};
    if (*c.dpi)
      arguments.push_back(c.dpi);
    const Outcome outcome = Export(arguments);
    ASSERT_EQ(outcome.status, kDone) << outcome.err.toStdString();
    const QImage image = QImage::fromData(Bytes(picture), "PNG");
    EXPECT_EQ(image.size(), c.pixels);
    EXPECT_EQ(image.dotsPerMeterX(), c.dotsPerMetre);
    EXPECT_EQ(image.dotsPerMeterY(), c.dotsPerMetre);
  }
}

TEST(PaperPictures, SvgAndPdfHaveExactlyThePhysicalSize) {
  TempDir dir;
  const std::string svg = dir.path() + "/obr.svg";
  ASSERT_EQ(Export({"--export=" + svg, "--size=85x60mm", Comma("4-zebra.txt")}).status, kDone);
  const QByteArray svgBytes = Bytes(svg);
  EXPECT_TRUE(svgBytes.contains("width=\"85mm\" height=\"60mm\"")) << svgBytes.left(300).data();
  EXPECT_TRUE(QSvgRenderer(svgBytes).isValid());

  const std::string pdf = dir.path() + "/obr.pdf";
  ASSERT_EQ(Export({"--export=" + pdf, "--size=85x60mm", Comma("4-zebra.txt")}).status, kDone);
  const QString pdfText = QString::fromLatin1(Bytes(pdf));
  const QRegularExpressionMatch box =
      QRegularExpression(QStringLiteral("/MediaBox \\[([-0-9. ]+)\\]")).match(pdfText);
  ASSERT_TRUE(box.hasMatch());
  const QStringList corners = box.captured(1).split(' ', Qt::SkipEmptyParts);
  ASSERT_EQ(corners.size(), 4);
  const double widthPoints = corners[2].toDouble() - corners[0].toDouble();
  const double heightPoints = corners[3].toDouble() - corners[1].toDouble();
  EXPECT_NEAR(widthPoints / 72.0 * 25.4, 85.0, 0.001);
  EXPECT_NEAR(heightPoints / 72.0 * 25.4, 60.0, 0.001);
  EXPECT_TRUE(pdfText.trimmed().endsWith(QStringLiteral("%%EOF")));
}

// Every view at sizes from a column's width to a page's, in pixels and in millimetres: no tick
// label or legend touches the picture's edge.
TEST(PaperPictures, NothingIsCutAtThePicturesEdges) {
  TempDir dir;
  const std::string picture = dir.path() + "/obr.png";
  const std::pair<const char*, std::vector<const char*>> cases[] = {
      {"nyquist", {"85x60mm", "60x60mm", "900x400"}},
      {"bode", {"85x60mm", "60x60mm", "900x400"}},
      {"kk", {"85x60mm", "900x400"}},
      {"both", {"170x70mm", "120x50mm", "1600x700"}},
  };
  for (const auto& [view, sizes] : cases) {
    for (const char* size : sizes) {
      SCOPED_TRACE(std::string(view) + " " + size);
      const Outcome outcome = Export({"--export=" + picture, std::string("--size=") + size,
                                      std::string("--view=") + view, "--difference",
                                      Comma("4-zebra.txt"), Comma("3-zebra.txt")});
      ASSERT_EQ(outcome.status, kDone) << outcome.err.toStdString();
      const QImage image = QImage::fromData(Bytes(picture), "PNG");
      ASSERT_FALSE(image.isNull());
      EXPECT_TRUE(BorderIsWhite(image));
    }
  }
}

// The font's size in points at the physical size: a picture twice as large in millimetres or
// drawn at twice the DPI has text of the same physical height, so its text is as many pixels
// high at the same DPI, and twice as many at twice the DPI.
TEST(PaperPictures, TheFontSizeIsPointsAtThePhysicalSize) {
  TempDir dir;
  const auto inkHeightOfLegend = [&](const std::vector<std::string>& options) {
    const std::string picture = dir.path() + "/obr.png";
    std::vector<std::string> arguments = {"--export=" + picture, "--view=bode",
                                          Comma("4-zebra.txt")};
    arguments.insert(arguments.end(), options.begin(), options.end());
    EXPECT_EQ(Export(arguments).status, kDone);
    const QImage image = QImage::fromData(Bytes(picture), "PNG");
    // The legend is the lowest ink: the rows of its text from the bottom up.
    int bottom = -1;
    int top = -1;
    for (int y = image.height() - 1; y >= 0 && (top < 0 || y > top - 1); --y) {
      bool ink = false;
      for (int x = 0; x < image.width() && !ink; ++x)
        ink = qGray(image.pixel(x, y)) < 160;
      if (ink && bottom < 0)
        bottom = y;
      if (!ink && bottom >= 0) {
        top = y + 1;
        break;
      }
    }
    return bottom - top + 1;
  };
  const int small = inkHeightOfLegend({"--size=80x60mm", "--dpi=300", "--font-size=10"});
  const int large = inkHeightOfLegend({"--size=160x120mm", "--dpi=300", "--font-size=10"});
  const int sharp = inkHeightOfLegend({"--size=80x60mm", "--dpi=600", "--font-size=10"});
  const int bigger = inkHeightOfLegend({"--size=80x60mm", "--dpi=300", "--font-size=15"});
  EXPECT_GT(small, 10);
  EXPECT_NEAR(large, small, 2);
  EXPECT_NEAR(sharp, 2 * small, 3);
  EXPECT_NEAR(bigger, 1.5 * small, 3);
}

TEST(DifferenceExport, AMismatchWritesNoPictureAndSaysWhatOdecetCliSays) {
  TempDir dir;
  const std::string few = dir.Write("tri.txt", "3\n100 10 -5\n10 11 -6\n1 12 -7\n");
  const std::string picture = dir.path() + "/rozdil.png";
  const Outcome differ = Export({"--export=" + picture, "--difference", Comma("4-zebra.txt"), few});
  EXPECT_EQ(differ.status, kSpectraDiffer);
  EXPECT_EQ(differ.err, QStringLiteral("odecet-graf: Zadané soubory se neshodují počtem měřených "
                                       "bodů.\nodecet-graf: Počet bodů: 4 žebra 61, 3 žebra 3.\n"));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(picture)));

  // A report is no step, as for odecet-cli; the picture is written once both are steps.
  const std::string report =
      dir.Write("rozdil.txt",
                "f (Hz)                                Re (Ohm)                              -Im "
                "(Ohm)\r\n" +
                    std::string(86, '-') +
                    "\r\n100                                   1      "
                    "                               2\r\n");
  const Outcome notStep = Export({"--export=" + picture, "--difference", report, few});
  EXPECT_EQ(notStep.status, kBadFile);
  EXPECT_TRUE(notStep.err.contains(QStringLiteral("je tabulka rozdílu")))
      << notStep.err.toStdString();
  EXPECT_FALSE(QFile::exists(QString::fromStdString(picture)));

  const Outcome done = Export(
      {"--export=" + picture, "--difference", Comma("4-zebra.txt"), Comma("3-zebra.txt"), few});
  EXPECT_EQ(done.status, kDone) << done.err.toStdString();
  EXPECT_TRUE(QFile::exists(QString::fromStdString(picture)));
}

// Under cs_CZ full-stop step files need -d., as for odecet-cli.
TEST(DifferenceExport, FullStopStepsReadWithMinusD) {
  TempDir dir;
  const std::string picture = dir.path() + "/obr.svg";
  const std::string four = ODECET_EXAMPLES "/point/4-zebra.txt";
  const std::string three = ODECET_EXAMPLES "/point/3-zebra.txt";
  const Outcome regional = Export({"--export=" + picture, "--difference", four, three});
  EXPECT_EQ(regional.status, kBadFile);
  EXPECT_TRUE(regional.err.contains(QStringLiteral("není platné číslo")))
      << regional.err.toStdString();
  const Outcome point = Export({"--export=" + picture, "-d.", "--difference", four, three});
  EXPECT_EQ(point.status, kDone) << point.err.toStdString();
  EXPECT_TRUE(QFile::exists(QString::fromStdString(picture)));
}

TEST(ViewerCommandLine, ReadsThePicturesAndTheDifferencesOptions) {
  const ViewerCommandLine line = ParseViewerCommandLine(
      {"--export=a.pdf", "--size=85x60mm", "--dpi=600", "--font-size=9,5", "--view=nyquist", "-d.",
       "--tolerance=0,001", "--difference", "k4.txt", "k3.txt", "x.txt"});
  EXPECT_EQ(line.action, ViewerCommandLine::Action::kExport);
  ASSERT_TRUE(line.millimetres);
  EXPECT_EQ(*line.millimetres, QSizeF(85, 60));
  EXPECT_EQ(line.dpi, 600);
  EXPECT_EQ(line.fontPoints, 9.5);
  EXPECT_EQ(line.view, PictureView::kNyquist);
  EXPECT_EQ(line.separator, '.');
  EXPECT_EQ(line.tolerance, 0.001);
  ASSERT_TRUE(line.difference);
  EXPECT_EQ(line.difference->first, QStringLiteral("k4.txt"));
  EXPECT_EQ(line.difference->second, QStringLiteral("k3.txt"));
  EXPECT_EQ(line.files, QStringList{"x.txt"});
  EXPECT_EQ(ParseViewerCommandLine({"-d", ",", "a.txt"}).separator, ',');
  EXPECT_EQ(ParseViewerCommandLine({"--decimal-separator=.", "a.txt"}).separator, '.');
  EXPECT_EQ(ParseViewerCommandLine({"-t", "0.01", "a.txt"}).tolerance, 0.01);
}

// -d and -t are read as odecet-cli reads them, with its words.
TEST(ViewerCommandLine, RefusesWhatDoesNotFormACommand) {
  const struct {
    std::vector<std::string> arguments;
    const char* message;  // empty: any
  } cases[] = {
      {{"-d;", "a.txt"}, "desetinný oddělovač musí být „,“ nebo „.“, ne „;“"},
      {{"-t", "1", "a.txt"},
       "tolerance musí být nezáporné číslo menší než 1 (třeba 0.001), ne „1“"},
      {{"--tolerance=-0.1", "a.txt"}, ""},
      {{"-d", ",", "-d", ".", "a.txt"}, "Volba -d je zadána dvakrát."},
      {{"-d"}, ""},
      {{"--difference", "a.txt"}, ""},
      {{"--export=a.png", "--size=85x60", "--dpi=300", "a.txt"}, ""},
      {{"--export=a.png", "--size=5x60mm", "a.txt"}, ""},
      {{"--export=a.png", "--size=85x60cm", "a.txt"}, ""},
      {{"--export=a.png", "--dpi=20", "--size=85x60mm", "a.txt"}, ""},
      {{"--export=a.png", "--dpi=2400", "--size=1000x1000mm", "a.txt"}, ""},
      {{"--export=a.png", "--font-size=0", "a.txt"}, ""},
      {{"--export=a.png", "--view=polar", "a.txt"}, ""},
      {{"--export=a.png", "-t", "0.01", "a.txt"}, ""},
      {{"--view=bode", "a.txt"}, "Volba --view platí jen s volbou --export."},
      {{"--font-size=8", "a.txt"}, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.arguments[0]);
    try {
      ParseViewerCommandLine(c.arguments);
      ADD_FAILURE() << "accepted";
    } catch (const ViewerUsageError& error) {
      if (*c.message) {
        EXPECT_STREQ(error.what(), c.message);
      }
    }
  }
}

// The window's picture is the command line's, but for the zoom the window shows.
TEST(ExportDialogInWindow, APictureKeepsTheWindowsZoom) {
  TempDir dir;
  auto window = std::make_unique<PlotWindow>();
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  window->OpenFiles(
      {QString::fromStdString(Comma("4-zebra.txt")), QString::fromStdString(Comma("3-zebra.txt"))});
  QTest::qWait(50);
  PictureSettings settings;
  settings.view = PictureView::kNyquist;
  settings.millimetres = QSizeF(85.0, 60.0);
  settings.dpi = 100;
  const std::string fromWindow = dir.path() + "/okno.png";
  window->ExportPicture(QString::fromStdString(fromWindow), settings);
  const std::string fromLine = dir.path() + "/radek.png";
  ASSERT_EQ(Export({"--export=" + fromLine, "--size=85x60mm", "--dpi=100", "--view=nyquist",
                    Comma("4-zebra.txt"), Comma("3-zebra.txt")})
                .status,
            kDone);
  const QImage whole(QString::fromStdString(fromWindow));
  EXPECT_EQ(whole, QImage(QString::fromStdString(fromLine)));

  PlotView* view = window->view(PlotWindow::kNyquist);
  const QPoint centre = view->viewport()->rect().center();
  QWheelEvent wheel(centre, view->viewport()->mapToGlobal(centre), {}, QPoint(0, 360), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(view->viewport(), &wheel);
  const std::string zoomed = dir.path() + "/zoom.png";
  window->ExportPicture(QString::fromStdString(zoomed), settings);
  EXPECT_NE(QImage(QString::fromStdString(zoomed)), whole);

  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, centre);
  window->ExportPicture(QString::fromStdString(zoomed), settings);
  EXPECT_EQ(QImage(QString::fromStdString(zoomed)), whole);
}

// The export dialog's choices make the picture, and it offers them again next time.
TEST(ExportDialogInWindow, TheChoicesMakeThePictureAndAreRememberedForTheSession) {
  TempDir dir;
  ModalScript script;
  auto window = std::make_unique<PlotWindow>();
  window->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  window->OpenFiles({QString::fromStdString(Comma("4-zebra.txt"))});
  const auto choose = [](QWidget* widget) {
    auto* dialog = dynamic_cast<ExportDialog*>(widget);
    ASSERT_NE(dialog, nullptr) << "expected the export dialog";
    dialog->viewChoice()->setCurrentIndex(static_cast<int>(PictureView::kBoth));
    QTest::mouseClick(dialog->inMillimetres(), Qt::LeftButton);
    const QList<QDoubleSpinBox*> numbers = dialog->findChildren<QDoubleSpinBox*>();
    ASSERT_EQ(numbers.size(), 3);  // width, height, font
    numbers[0]->setValue(120.0);
    numbers[1]->setValue(50.0);
    numbers[2]->setValue(9.0);
    for (QSpinBox* box : dialog->findChildren<QSpinBox*>()) {
      if (box->suffix() == QStringLiteral(" dpi"))
        box->setValue(200);
    }
    QTest::mouseClick(dialog->findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok),
                      Qt::LeftButton);
  };
  const QString picture = QString::fromStdString(dir.path() + "/obr.png");
  script.Then(choose).Then(ModalScript::TypeFile(picture));
  QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return script.done(); }));
  QTest::qWait(50);
  const QImage image(picture);
  EXPECT_EQ(image.size(), QSize(945, 394));  // 120 × 50 mm at 200 dpi
  EXPECT_EQ(image.dotsPerMeterX(), 7874);

  PictureSettings offered;
  script.Then([&offered](QWidget* widget) {
    auto* dialog = dynamic_cast<ExportDialog*>(widget);
    ASSERT_NE(dialog, nullptr);
    offered = dialog->settings();
    dialog->reject();
  });
  QApplication::setActiveWindow(window.get());
  QTest::keyClick(window.get(), Qt::Key_E, Qt::ControlModifier);
  ASSERT_TRUE(QTest::qWaitFor([&] { return script.done(); }));
  EXPECT_EQ(offered.view, PictureView::kBoth);
  ASSERT_TRUE(offered.millimetres);
  EXPECT_EQ(*offered.millimetres, QSizeF(120.0, 50.0));
  EXPECT_EQ(offered.dpi, 200);
  EXPECT_EQ(offered.fontPoints, 9.0);
}

}  // namespace
