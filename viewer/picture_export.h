#pragma once

#include <QRectF>
#include <QSize>
#include <QString>
#include <optional>

#include "spectrum/errors.h"

class QGraphicsScene;

enum class PictureKind { kSvg, kPng, kPdf };

// The kind a picture's name asks for by its suffix (.svg, .png, .pdf, in any case); none for
// any other name.
std::optional<PictureKind> PictureKindOf(const QString& path);

// A picture that cannot be written.
class PictureWriteError : public OdecetError {
 public:
  using OdecetError::OdecetError;
};

// Draws `source` of `scene` on a white picture of `size` pixels, written to `path` in the kind
// its name asks for. The file is replaced whole or not at all. Throws PictureWriteError.
void WritePicture(QGraphicsScene& scene, const QRectF& source, QSize size, const QString& path);
