#include "viewer/export_command.h"

#include <QAbstractAxis>
#include <QApplication>
#include <QCoreApplication>
#include <QFontMetricsF>
#include <QGraphicsLayout>
#include <QGraphicsScene>
#include <QLegend>
#include <QLineSeries>
#include <cmath>
#include <exception>
#include <new>
#include <utility>
#include <vector>

#include "program/complaint.h"
#include "spectrum/decimal_separator.h"
#include "viewer/bode_chart.h"
#include "viewer/command_line.h"
#include "viewer/difference_series.h"
#include "viewer/kk_chart.h"
#include "viewer/nyquist_chart.h"
#include "viewer/picture_export.h"

namespace odecet {

namespace {

constexpr double kPixelsPerInch = 96.0;  // the scene's unit, as on the screen

// Room at the chart's edges for what its axes draw past the plot area: half of the last tick
// label beside it, half a line of text above it.
void PrepareForPicture(SpectrumChart* chart, const std::optional<QFont>& font, bool physical) {
  if (font)
    chart->ApplyFont(*font);
  chart->layout()->setContentsMargins(0, 0, 0, 0);
  const QFontMetricsF metrics(font ? *font : QApplication::font());
  const int side =
      static_cast<int>(std::ceil(metrics.horizontalAdvance(QStringLiteral("−0000,0")) / 2.0));
  const int top = static_cast<int>(std::ceil(metrics.height() / 2.0)) + 2;
  chart->setMargins(QMargins(4, top, side, 2));
  if (auto* check = dynamic_cast<KramersKronigChart*>(chart))
    check->SetTopMargin(top);  // its verdict below that
  // A millimetre across, as printed plots have them; the screen's stay in pixel pictures.
  if (physical)
    chart->SetMarkerSize(3.5);
}

}  // namespace

void RenderPicture(const std::vector<PlottedSpectrum>& spectra, int selected, bool decades,
                   const PictureSettings& settings, const QString& picture,
                   const ShownPlots& shown) {
  const QSizeF logical = settings.millimetres ? *settings.millimetres / 25.4 * kPixelsPerInch
                                              : QSizeF(settings.pixels);
  std::optional<QFont> font;
  if (settings.fontPoints || settings.millimetres) {
    font = QApplication::font();
    font->setPointSizeF(settings.fontPoints.value_or(kDefaultFontPoints));
  }

  // The scene owns the charts.
  QGraphicsScene scene;
  std::vector<SpectrumChart*> charts;
  NyquistChart* nyquist = nullptr;
  if (settings.view == PictureView::kNyquist || settings.view == PictureView::kBoth) {
    nyquist = new NyquistChart;
    nyquist->SetDecadesVisible(decades);
    charts.push_back(nyquist);
  }
  if (settings.view == PictureView::kBode || settings.view == PictureView::kBoth) {
    auto* bode = new BodeChart;
    if (settings.millimetres)
      bode->UseShortTitles();
    charts.push_back(bode);
  }
  if (settings.view == PictureView::kKramersKronig)
    charts.push_back(new KramersKronigChart);
  // Side by side, both plots share one legend under them, as wide as the picture: each of
  // their own would have half the width for the same names.
  double legendHeight = 0.0;
  if (charts.size() > 1) {
    auto* legend = new QChart;
    for (const PlottedSpectrum& spectrum : spectra) {
      if (!spectrum.visible)
        continue;
      auto* entry = new QLineSeries(legend);
      entry->setName(spectrum.name);
      entry->setColor(spectrum.colour);
      legend->addSeries(entry);
    }
    legend->setBackgroundVisible(false);
    legend->legend()->setAlignment(Qt::AlignBottom);
    legend->legend()->setFont(font ? *font : QApplication::font());
    legend->layout()->setContentsMargins(0, 0, 0, 0);
    legend->setMargins(QMargins(0, 0, 0, 0));
    legendHeight = std::ceil(QFontMetricsF(legend->legend()->font()).height() * 2.0);
    scene.addItem(legend);
    legend->setGeometry(
        QRectF(0.0, logical.height() - legendHeight, logical.width(), legendHeight));
  }
  const double width = logical.width() / static_cast<double>(charts.size());
  for (std::size_t i = 0; i < charts.size(); ++i) {
    SpectrumChart* chart = charts[i];
    scene.addItem(chart);
    chart->setGeometry(
        QRectF(width * static_cast<double>(i), 0.0, width, logical.height() - legendHeight));
    if (legendHeight > 0.0)
      chart->legend()->hide();
    chart->Show(spectra, selected);
    if (auto* plot = dynamic_cast<NyquistChart*>(chart); plot && shown.nyquist)
      plot->CopyView(*shown.nyquist);
    if (auto* plot = dynamic_cast<BodeChart*>(chart); plot && shown.bode)
      plot->CopyView(*shown.bode);
    // The paper's caption names the plot; the Kramers–Kronig check's title is its verdict.
    if (settings.view != PictureView::kKramersKronig)
      chart->setTitle(QString());
    PrepareForPicture(chart, font, settings.millimetres.has_value());
  }
  // The axes follow the plot area, which follows the width of their labels: a few rounds of
  // layout settle both.
  for (int round = 0; round < 3; ++round)
    QCoreApplication::processEvents();
  // Tick labels are never cut short: the decades' labels that do not fit beside each other are
  // slanted. (The Nyquist plot's linear axes take as many steps as their labels fit.)
  for (SpectrumChart* chart : charts) {
    if (chart == nyquist)
      continue;
    for (QAbstractAxis* axis : chart->axes(Qt::Horizontal)) {
      if (axis->labelsTruncated())
        axis->setLabelsAngle(-45);
    }
    for (QAbstractAxis* axis : chart->axes())
      axis->setTruncateLabels(false);
  }
  if (nyquist)
    nyquist->CropToData();
  for (int round = 0; round < 3; ++round)
    QCoreApplication::processEvents();
  WritePicture(scene, QRectF(QPointF(0, 0), logical),
               PictureSize{settings.pixels, settings.millimetres, settings.dpi}, picture);
}

int ExportCommand(const ViewerCommandLine& line, std::FILE* err) {
  const char separator = line.separator ? *line.separator : SystemDecimalSeparator();
  std::vector<PlottedSpectrum> spectra;
  bool allRead = true;
  const auto load = [&](const QString& path, SpectrumSources sources) {
    try {
      // A step of a difference is one spectrum; any other file gives each sweep a series.
      if (sources == SpectrumSources::kMeasurements) {
        spectra.push_back(LoadPlottedSpectrum(path, {}, separator, sources));
      } else {
        for (PlottedSpectrum& sweep : LoadPlottedSpectra(path, separator, sources))
          spectra.push_back(std::move(sweep));
      }
    } catch (const std::bad_alloc&) {
      Complain(err, kViewerName, "Pro načtení souboru není dost paměti.");
      allRead = false;
    } catch (const std::exception& error) {
      Complain(err, kViewerName, error.what());
      allRead = false;
    }
  };
  if (line.difference) {
    // The steps as odecet-cli reads them: measurements, never a report.
    load(line.difference->first, SpectrumSources::kMeasurements);
    load(line.difference->second, SpectrumSources::kMeasurements);
  }
  for (const QString& path : line.files)
    load(path, SpectrumSources::kAlsoReports);
  if (!allRead)
    return kBadFile;
  if (line.difference) {
    DifferenceOutcome outcome =
        MakeDifference(spectra[0], spectra[1], line.tolerance, separator, {});
    if (!outcome.series) {
      Complain(err, kViewerName, outcome.text.toUtf8().toStdString());
      if (!outcome.detail.isEmpty())
        Complain(err, kViewerName, outcome.detail.toUtf8().toStdString());
      return outcome.outOfRange ? kBadFile : kSpectraDiffer;
    }
    // After its steps, as the window lists it.
    spectra.insert(spectra.begin() + 2, std::move(*outcome.series));
  }
  for (std::size_t i = 0; i < spectra.size(); ++i)
    spectra[i].colour = SeriesColour(static_cast<int>(i));
  try {
    RenderPicture(spectra, 0, !line.noDecades, SettingsOf(line), line.picture);
  } catch (const PictureWriteError& error) {
    Complain(err, kViewerName, error.what());
    return kNotWritten;
  }
  return kDone;
}

int ExportSideBySide(const QStringList& files, const QString& picture, QSize size, std::FILE* err) {
  ViewerCommandLine line;
  line.action = ViewerCommandLine::Action::kExport;
  line.files = files;
  line.picture = picture;
  line.size = size;
  return ExportCommand(line, err);
}

}  // namespace odecet
