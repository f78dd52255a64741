#include "viewer/export_command.h"

#include <QCoreApplication>
#include <QGraphicsScene>
#include <exception>
#include <new>
#include <utility>
#include <vector>

#include "viewer/bode_chart.h"
#include "viewer/nyquist_chart.h"
#include "viewer/picture_export.h"

void ComplainAsViewer(std::FILE* err, const QString& text) {
  for (const QString& line : text.split('\n'))
    std::fprintf(err, "odecet-graf: %s\n", line.toUtf8().constData());
}

int ExportSideBySide(const QStringList& files, const QString& picture, QSize size, std::FILE* err) {
  std::vector<PlottedSpectrum> spectra;
  bool allRead = true;
  for (const QString& path : files) {
    try {
      for (PlottedSpectrum& sweep : LoadPlottedSpectra(path, static_cast<int>(spectra.size())))
        spectra.push_back(std::move(sweep));
    } catch (const std::bad_alloc&) {
      ComplainAsViewer(err, QStringLiteral("Pro načtení souboru není dost paměti."));
      allRead = false;
    } catch (const std::exception& error) {
      ComplainAsViewer(err, QString::fromUtf8(error.what()));
      allRead = false;
    }
  }
  if (!allRead)
    return kViewerBadFile;

  // The scene owns the charts.
  QGraphicsScene scene;
  auto* nyquist = new NyquistChart;
  auto* bode = new BodeChart;
  scene.addItem(nyquist);
  scene.addItem(bode);
  const int half = size.width() / 2;
  nyquist->setGeometry(QRectF(0, 0, half, size.height()));
  bode->setGeometry(QRectF(half, 0, size.width() - half, size.height()));
  nyquist->Show(spectra, 0);
  bode->Show(spectra, 0);
  // The axes follow the plot area, which follows the width of their labels: a few rounds of
  // layout settle both.
  for (int round = 0; round < 3; ++round)
    QCoreApplication::processEvents();
  try {
    WritePicture(scene, QRectF(QPointF(0, 0), QSizeF(size)), size, picture);
  } catch (const PictureWriteError& error) {
    ComplainAsViewer(err, QString::fromUtf8(error.what()));
    return kViewerPictureNotWritten;
  }
  return kViewerDone;
}
