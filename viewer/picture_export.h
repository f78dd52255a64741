#pragma once

#include <QRectF>
#include <QSize>
#include <QSizeF>
#include <QString>
#include <optional>

#include "spectrum/errors.h"

class QGraphicsScene;

namespace odecet {

enum class PictureKind { kSvg, kPng, kPdf };

// The kind a picture's name asks for by its suffix (.svg, .png, .pdf, in any case); none for
// any other name.
std::optional<PictureKind> PictureKindOf(const QString& path);

// A picture that cannot be written.
class PictureWriteError : public OdecetError {
 public:
  using OdecetError::OdecetError;
};

// How big a picture is: `pixels`, each 1/96 inch in an SVG or a PDF as on the screen; or, with
// `millimetres`, that physical size: a PDF page and an SVG of exactly that size, a PNG of as
// many pixels as `dpi` gives, its resolution stored in the file.
struct PictureSize {
  QSize pixels;
  std::optional<QSizeF> millimetres;
  int dpi = 300;
};

// Draws `source` of `scene` on a white picture of `size`, written to `path` in the kind its
// name asks for. The file is replaced whole or not at all. Throws PictureWriteError.
void WritePicture(QGraphicsScene& scene, const QRectF& source, const PictureSize& size,
                  const QString& path);
void WritePicture(QGraphicsScene& scene, const QRectF& source, QSize size, const QString& path);

}  // namespace odecet
