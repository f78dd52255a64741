#include "viewer/plotted_spectrum.h"

#include <QFile>
#include <QFileInfo>
#include <array>
#include <utility>

namespace odecet {

std::vector<PlottedSpectrum> LoadPlottedSpectra(const QString& path, char separator,
                                                SpectrumSources sources) {
  LoadedSweeps loaded =
      LoadSpectrumSweeps(QFile::encodeName(path).toStdString(), separator, sources);
  std::vector<PlottedSpectrum> spectra;
  const std::size_t count = loaded.sweeps.size();
  for (std::size_t i = 0; i < count; ++i) {
    PlottedSpectrum spectrum;
    spectrum.path = path;
    spectrum.name = QFileInfo(path).fileName();
    if (count > 1)
      spectrum.name += '#' + QString::number(i + 1);
    static_cast<Spectrum&>(spectrum) = std::move(loaded.sweeps[i]);
    spectrum.measured = loaded.kind != SpectrumFileKind::kReport;
    spectra.push_back(std::move(spectrum));
  }
  return spectra;
}

PlottedSpectrum LoadPlottedSpectrum(const QString& path, const QColor& colour, char separator,
                                    SpectrumSources sources) {
  const LoadedSpectrum loaded =
      LoadSpectrum(QFile::encodeName(path).toStdString(), separator, sources);
  PlottedSpectrum spectrum;
  spectrum.path = path;
  spectrum.name = QFileInfo(path).fileName();
  static_cast<Spectrum&>(spectrum) = loaded.spectrum;
  spectrum.measured = loaded.kind != SpectrumFileKind::kReport;
  spectrum.colour = colour;
  return spectrum;
}

QColor SeriesColour(int n) {
  // The "Tableau 10" palette, in an order whose first colours differ most.
  static constexpr std::array<QRgb, 10> kPalette = {0x1f77b4, 0xd62728, 0x2ca02c, 0xff7f0e,
                                                    0x9467bd, 0x8c564b, 0xe377c2, 0x17becf,
                                                    0xbcbd22, 0x7f7f7f};
  return QColor(kPalette[static_cast<std::size_t>(n) % kPalette.size()]);
}

}  // namespace odecet
