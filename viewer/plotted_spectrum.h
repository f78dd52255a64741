#pragma once

#include <QColor>
#include <QString>
#include <vector>

#include "spectrum/spectrum_point.h"

// One file as the plots show it: its points, its name in legends and its own colour.
struct PlottedSpectrum {
  QString path;  // as given, for reloading and messages
  QString name;  // the file's name without directories
  std::vector<SpectrumPoint> points;
  QColor colour;
  bool visible = true;
};

// Reads any spectrum file the program knows, reports included, with the decimal separator of
// the regional settings: one series per sweep, each in its own colour, the n-th loaded taking
// SeriesColour(firstColour + n); a sweep of a file of several is named "name#2". Throws the
// core's error (a Czech message naming the file) when the file cannot be read.
std::vector<PlottedSpectrum> LoadPlottedSpectra(const QString& path, int firstColour);

// The colour of the n-th file loaded: well apart from each other and readable on white.
QColor SeriesColour(int n);
