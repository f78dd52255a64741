#pragma once

#include <QColor>
#include <QString>
#include <cstdint>
#include <vector>

#include "instruments/spectrum_file.h"
#include "spectrum/spectrum.h"
#include "spectrum/spectrum_point.h"

namespace odecet {

// One file as the plots show it: its spectrum, its name in legends and its own colour.
struct PlottedSpectrum : Spectrum {
  QString path;          // as given, for reloading and messages; empty for a difference made here
  QString name;          // the file's name without directories
  bool measured = true;  // a step or instrument file, which a difference may be made of
  // Of a difference where both steps could be checked: the standard uncertainty of each point,
  // from each step's Kramers–Kronig noise, as odecet-cli --uncertainty gives it.
  std::vector<PointUncertainty> uncertainty;
  QColor colour;
  bool visible = true;
};

// Reads any spectrum file the program knows, reports included unless `sources` says otherwise,
// with `separator` for step files: one series per sweep, a sweep of a file of several named
// "name#2"; the caller gives the colours. Throws the core's error (a Czech message naming the
// file) when the file cannot be read.
std::vector<PlottedSpectrum> LoadPlottedSpectra(
    const QString& path, char separator, SpectrumSources sources = SpectrumSources::kAlsoReports);

// One spectrum, as a step of a difference is read: a file of several sweeps is refused with the
// core's message, as odecet-cli refuses it without --sweep.
PlottedSpectrum LoadPlottedSpectrum(const QString& path, const QColor& colour, char separator,
                                    SpectrumSources sources = SpectrumSources::kAlsoReports);

// The colour of the n-th file loaded: well apart from each other and readable on white.
QColor SeriesColour(int n);

}  // namespace odecet
