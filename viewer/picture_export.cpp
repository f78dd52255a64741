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
#include <QRegularExpression>
#include <QSvgGenerator>
#include <algorithm>

#include "report/report_file.h"
#include "spectrum/message_text.h"

namespace odecet {

namespace {

constexpr int kDotsPerInch = 96;  // a pixel of the window, in every kind

// `why` ends with its full stop.
[[noreturn]] void Fail(const QString& path, const std::string& why) {
  throw PictureWriteError("Obrázek „" + VisibleText(path.toStdString()) + "“ nelze zapsat: " + why);
}

// Every device draws at the window's 96 dots per inch, whatever the file says, since the
// painter sizes the charts' fonts by the device's resolution: at any other the text would
// not match the layout made for it.
void Draw(QPaintDevice& device, QGraphicsScene& scene, const QRectF& source, QSizeF size,
          const QString& path) {
  QPainter painter;
  if (!painter.begin(&device))
    Fail(path, "nelze na něj kreslit.");
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setRenderHint(QPainter::TextAntialiasing);
  const QRectF target(QPointF(0.0, 0.0), size);
  painter.fillRect(target, Qt::white);
  scene.render(&painter, target, source, Qt::IgnoreAspectRatio);
  painter.end();
}

// QSvgGenerator gives the size in millimetres from whole pixels; a picture of a physical size
// gets it exactly.
void SetSvgSize(QByteArray& svg, QSizeF millimetres) {
  static const QRegularExpression kSize(QStringLiteral("width=\"[^\"]*mm\" height=\"[^\"]*mm\""));
  const QString text = QString::fromUtf8(svg);
  const QRegularExpressionMatch found = kSize.match(text);
  if (!found.hasMatch())
    return;
  const QString exact = QStringLiteral("width=\"%1mm\" height=\"%2mm\"")
                            .arg(millimetres.width(), 0, 'g', 10)
                            .arg(millimetres.height(), 0, 'g', 10);
  svg = (text.left(found.capturedStart()) + exact + text.mid(found.capturedEnd())).toUtf8();
}

// QPdfWriter makes a page of whole points and draws from its top edge; a page of a physical
// size gets its exact width and height by moving the box's lower edge. The text keeps its
// length, so the file's table of byte offsets stays right.
void SetPdfSize(QByteArray& pdf, QSizeF millimetres) {
  static const QRegularExpression kBox(QStringLiteral("/MediaBox \\[0 0 ([0-9.]+) ([0-9.]+)\\]"));
  const QString text = QString::fromLatin1(pdf);
  const QRegularExpressionMatch found = kBox.match(text);
  if (!found.hasMatch())
    return;
  const double top = found.captured(2).toDouble();
  const QSizeF points = millimetres / 25.4 * 72.0;
  QString exact = QStringLiteral("0 %1 %2 %3")
                      .arg(QString::number(top - points.height(), 'f', 4),
                           QString::number(points.width(), 'f', 4), QString::number(top, 'g', 10));
  const qsizetype length = found.capturedLength(0) - 12;  // within "/MediaBox [" and "]"
  if (exact.size() > length)
    return;
  exact = exact.leftJustified(length);
  pdf.replace(found.capturedStart(0) + 11, length, exact.toLatin1());
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
  WritePicture(scene, source, PictureSize{size, std::nullopt, kDotsPerInch}, path);
}

void WritePicture(QGraphicsScene& scene, const QRectF& source, const PictureSize& size,
                  const QString& path) {
  const std::optional<PictureKind> kind = PictureKindOf(path);
  if (!kind)
    Fail(path, "jméno musí končit .svg, .png nebo .pdf.");
  // The size in inches decides every kind's size in its own units.
  const QSizeF inches =
      size.millimetres ? *size.millimetres / 25.4 : QSizeF(size.pixels) / double(kDotsPerInch);
  const auto scaled = [&inches](double perInch) {
    return QSize(std::max(1, qRound(inches.width() * perInch)),
                 std::max(1, qRound(inches.height() * perInch)));
  };
  // The picture is made in memory and then written as a report is: a link is followed by the
  // kernel under its protections, only a regular file is replaced, whole or not at all.
  QByteArray bytes;
  QBuffer file(&bytes);
  file.open(QIODevice::WriteOnly);
  const QString title = QStringLiteral("Odečet – grafy spekter");
  const QSizeF drawn = inches * kDotsPerInch;
  switch (*kind) {
    case PictureKind::kSvg: {
      QSvgGenerator svg;
      svg.setOutputDevice(&file);
      const QSize units = size.millimetres ? drawn.toSize() : size.pixels;
      svg.setSize(units);
      svg.setViewBox(QRectF(QPointF(0, 0), size.millimetres ? drawn : QSizeF(units)));
      svg.setResolution(kDotsPerInch);
      svg.setTitle(title);
      Draw(svg, scene, source, size.millimetres ? drawn : QSizeF(units), path);
      break;
    }
    case PictureKind::kPng: {
      const int dpi = size.millimetres ? size.dpi : kDotsPerInch;
      QImage image(size.millimetres ? scaled(dpi) : size.pixels,
                   QImage::Format_ARGB32_Premultiplied);
      if (image.isNull())
        Fail(path, "na obrázek tak velký není dost paměti.");
      image.setDotsPerMeterX(qRound(kDotsPerInch / 0.0254));
      image.setDotsPerMeterY(qRound(kDotsPerInch / 0.0254));
      Draw(image, scene, source, image.size(), path);
      image.setDotsPerMeterX(qRound(dpi / 0.0254));
      image.setDotsPerMeterY(qRound(dpi / 0.0254));
      if (!image.save(&file, "PNG"))
        Fail(path, "obrázek PNG nelze vytvořit.");
      break;
    }
    case PictureKind::kPdf: {
      QPdfWriter pdf(&file);
      pdf.setTitle(title);
      pdf.setCreator(title);
      pdf.setResolution(kDotsPerInch);
      const QPageSize page = size.millimetres ? QPageSize(*size.millimetres, QPageSize::Millimeter,
                                                          QString(), QPageSize::ExactMatch)
                                              : QPageSize(inches * 72.0, QPageSize::Point,
                                                          QString(), QPageSize::ExactMatch);
      pdf.setPageLayout(QPageLayout(page, QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
      Draw(pdf, scene, source, drawn, path);
      break;
    }
  }
  file.close();
  if (*kind == PictureKind::kSvg && size.millimetres)
    SetSvgSize(bytes, *size.millimetres);
  if (*kind == PictureKind::kPdf && size.millimetres)
    SetPdfSize(bytes, *size.millimetres);
  try {
    WriteFileReplacing(QFile::encodeName(path).toStdString(),
                       std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
  } catch (const ReportWriteError& error) {
    Fail(path, error.reason());
  }
}

}  // namespace odecet
