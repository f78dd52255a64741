#pragma once

#include <QSize>
#include <QSizeF>
#include <optional>

namespace odecet {

// Which plots a picture holds.
enum class PictureView { kNyquist, kBode, kKramersKronig, kBoth };

// A picture as a paper wants it. Its size is either pixels, a pixel being 1/96 inch as on the
// screen, or a physical size in millimetres, drawn at `dpi` into a PNG. Fonts are given in
// points at the physical size, so they keep their size whatever the picture's size or DPI.
struct PictureSettings {
  PictureView view = PictureView::kBoth;
  QSize pixels = QSize(1600, 700);
  std::optional<QSizeF> millimetres;
  int dpi = 300;
  // Without it a picture in pixels keeps the window's font and one in millimetres gets 8 pt.
  std::optional<double> fontPoints;
};

inline constexpr double kDefaultFontPoints = 8.0;

}  // namespace odecet
