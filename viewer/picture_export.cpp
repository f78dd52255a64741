#include "viewer/picture_export.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QGraphicsScene>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "report/report_file.h"
#include "spectrum/message_text.h"

namespace {

constexpr int kDotsPerInch = 96;  // a pixel of the window, in every kind

// `why` ends with its full stop.
[[noreturn]] void Fail(const QString& path, const std::string& why) {
  throw PictureWriteError("Obrázek „" + VisibleText(path.toStdString()) + "“ nelze zapsat: " + why);
}

void Draw(QPaintDevice& device, QGraphicsScene& scene, const QRectF& source, QSize size,
          const QString& path) {
  QPainter painter;
  if (!painter.begin(&device))
    Fail(path, "nelze na něj kreslit.");
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const QRectF target(QPointF(0.0, 0.0), QSizeF(size));
  painter.fillRect(target, Qt::white);
  scene.render(&painter, target, source, Qt::IgnoreAspectRatio);
  painter.end();
}

}  // namespace

std::optional<PictureKind> PictureKindOf(const QString& path) {
  const QString suffix = QFileInfo(path).suffix().toLower();
  if (suffix == QLatin1String("svg"))
    return PictureKind::kSvg;
  if (suffix == QLatin1String("png"))
    return PictureKind::kPng;
  if (suffix == QLatin1String("pdf"))
    return PictureKind::kPdf;
  return std::nullopt;
}

void WritePicture(QGraphicsScene& scene, const QRectF& source, QSize size, const QString& path) {
  const std::optional<PictureKind> kind = PictureKindOf(path);
  if (!kind)
    Fail(path, "jméno musí končit .svg, .png nebo .pdf.");
  // The picture is made in memory and then written as a report is: a link is followed by the
  // kernel under its protections, only a regular file is replaced, whole or not at all.
  QByteArray bytes;
  QBuffer file(&bytes);
  file.open(QIODevice::WriteOnly);
  const QString title = QStringLiteral("Odečet – grafy spekter");
  switch (*kind) {
    case PictureKind::kSvg: {
      QSvgGenerator svg;
      svg.setOutputDevice(&file);
      svg.setSize(size);
      svg.setViewBox(QRect(QPoint(0, 0), size));
      svg.setResolution(kDotsPerInch);
      svg.setTitle(title);
      Draw(svg, scene, source, size, path);
      break;
    }
    case PictureKind::kPng: {
      QImage image(size, QImage::Format_ARGB32_Premultiplied);
      image.setDotsPerMeterX(qRound(kDotsPerInch / 0.0254));
      image.setDotsPerMeterY(qRound(kDotsPerInch / 0.0254));
      Draw(image, scene, source, size, path);
      if (!image.save(&file, "PNG"))
        Fail(path, "obrázek PNG nelze vytvořit.");
      break;
    }
    case PictureKind::kPdf: {
      QPdfWriter pdf(&file);
      pdf.setTitle(title);
      pdf.setCreator(title);
      pdf.setResolution(kDotsPerInch);
      const QSizeF points = QSizeF(size) * 72.0 / kDotsPerInch;
      pdf.setPageLayout(
          QPageLayout(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch),
                      QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
      Draw(pdf, scene, source, size, path);
      break;
    }
  }
  file.close();
  try {
    WriteFileReplacing(QFile::encodeName(path).toStdString(),
                       std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  } catch (const ReportWriteError& error) {
    Fail(path, error.reason());
  }
}
