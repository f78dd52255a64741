#include "viewer/nyquist_chart.h"

#include <QBrush>
#include <QFontMetricsF>
#include <QGraphicsEllipseItem>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
#include <QLineSeries>
#include <QPen>
#include <QScatterSeries>
#include <QValueAxis>
#include <algorithm>
#include <array>
#include <cmath>

namespace odecet {

namespace {

// The point of `points` at each whole decade of frequency, within half a percent of it.
std::vector<std::pair<int, std::size_t>> DecadePoints(const std::vector<SpectrumPoint>& points) {
  std::vector<std::pair<int, std::size_t>> found;  // exponent, point
  std::vector<double> offsets;
  for (std::size_t i = 0; i < points.size(); ++i) {
    if (!(points[i].f > 0.0) || !std::isfinite(points[i].f))
      continue;
    const double exponent = std::log10(points[i].f);
    const double offset = std::abs(exponent - std::round(exponent));
    if (offset > 0.002)
      continue;
    const int decade = static_cast<int>(std::round(exponent));
    const auto same = std::find_if(found.begin(), found.end(),
                                   [decade](const auto& entry) { return entry.first == decade; });
    if (same == found.end()) {
      found.emplace_back(decade, i);
      offsets.push_back(offset);
    } else if (offset < offsets[static_cast<std::size_t>(same - found.begin())]) {
      *same = {decade, i};
      offsets[static_cast<std::size_t>(same - found.begin())] = offset;
    }
  }
  return found;
}

}  // namespace

QString DecadeText(int exponent) {
  static constexpr std::array<const char*, 5> kUnits = {"µHz", "mHz", "Hz", "kHz", "MHz"};
  const int group = std::clamp(static_cast<int>(std::floor(exponent / 3.0)), -2, 2);
  const int within = exponent - 3 * group;
  return QString::number(std::pow(10.0, within), 'g', 12) + QLatin1Char(' ') +
         QString::fromUtf8(kUnits[static_cast<std::size_t>(group + 2)]);
}

NyquistChart::NyquistChart() : axisRe_(new QValueAxis(this)), axisMinusIm_(new QValueAxis(this)) {
  setTitle(QStringLiteral("Nyquistův diagram"));
  PrepareAxis(axisRe_, QStringLiteral("Re Z (Ω)"));
  PrepareAxis(axisMinusIm_, QStringLiteral("−Im Z (Ω)"));
  addAxis(axisRe_, Qt::AlignBottom);
  addAxis(axisMinusIm_, Qt::AlignLeft);
  // The plot area changes with the window and with the width of the axis labels; queued, so
  // the scale is set once the layout is done rather than in the middle of it.
  connect(
      this, &QChart::plotAreaChanged, this, [this] { ApplyEqualScale(); }, Qt::QueuedConnection);
}

void NyquistChart::Show(const std::vector<PlottedSpectrum>& spectra, int selected) {
  removeAllSeries();
  ClearDecades();
  re_ = {};
  minusIm_ = {};
  // The selected file's decades are labelled first, so they win where labels would overlap.
  std::vector<std::size_t> order;
  if (selected >= 0 && static_cast<std::size_t>(selected) < spectra.size())
    order.push_back(static_cast<std::size_t>(selected));
  for (std::size_t i = 0; i < spectra.size(); ++i) {
    if (static_cast<int>(i) != selected)
      order.push_back(i);
  }
  for (const std::size_t i : order) {
    const PlottedSpectrum& spectrum = spectra[i];
    if (!spectrum.visible)
      continue;
    for (const auto& [decade, point] : DecadePoints(spectrum.points)) {
      const SpectrumPoint& p = spectrum.points[point];
      decadeValues_.emplace_back(p.re, -p.im);
      auto* ring = new QGraphicsEllipseItem(this);
      ring->setPen(QPen(spectrum.colour, 1.5));
      ring->setBrush(Qt::white);
      ring->setZValue(10);
      ring->setAcceptedMouseButtons(Qt::NoButton);  // clicks and zooms reach the plot
      decadeRings_.push_back(ring);
      auto* label = new QGraphicsSimpleTextItem(DecadeText(decade), this);
      label->setBrush(spectrum.colour.darker(140));
      label->setFont(axisRe_->labelsFont());
      label->setZValue(11);
      label->setAcceptedMouseButtons(Qt::NoButton);
      decadeLabels_.push_back(label);
    }
  }
  for (const PlottedSpectrum& spectrum : spectra) {
    if (!spectrum.visible)
      continue;
    QXYSeries* series = AddLine(spectrum.name, spectrum.colour,
                                [spectrum](int point) { return DescribePoint(spectrum, point); });
    for (const SpectrumPoint& point : spectrum.points) {
      series->append(point.re, -point.im);
      re_.Add(point.re);
      minusIm_.Add(-point.im);
    }
    series->attachAxis(axisRe_);
    series->attachAxis(axisMinusIm_);
  }
  for (const PlottedSpectrum& spectrum : spectra) {
    if (!spectrum.visible || spectrum.uncertainty.size() != spectrum.points.size())
      continue;
    // A difference with its uncertainty: a light ±2u rectangle around each point, and the points
    // within 2u of zero marked, so the eye sees which part of it is noise.
    QColor fill = spectrum.colour;
    fill.setAlpha(45);
    auto* within = new QScatterSeries(this);
    within->setName(QStringLiteral("v rámci 2u od nuly"));
    within->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
    within->setMarkerSize(markerSize_ * 2.0);
    within->setColor(Qt::transparent);
    within->setBorderColor(Qt::black);
    for (std::size_t i = 0; i < spectrum.points.size(); ++i) {
      const SpectrumPoint& p = spectrum.points[i];
      const PointUncertainty& u = spectrum.uncertainty[i];
      bandValues_.emplace_back(p.re - 2.0 * u.re, -p.im - 2.0 * u.im, 4.0 * u.re, 4.0 * u.im);
      auto* band = new QGraphicsRectItem(this);
      band->setPen(Qt::NoPen);
      band->setBrush(fill);
      band->setZValue(1);
      band->setAcceptedMouseButtons(Qt::NoButton);
      bandItems_.push_back(band);
      re_.Add(p.re - 2.0 * u.re);
      re_.Add(p.re + 2.0 * u.re);
      minusIm_.Add(-p.im - 2.0 * u.im);
      minusIm_.Add(-p.im + 2.0 * u.im);
      if (std::abs(p.re) <= 2.0 * u.re && std::abs(p.im) <= 2.0 * u.im)
        within->append(p.re, -p.im);
    }
    addSeries(within);
    within->attachAxis(axisRe_);
    within->attachAxis(axisMinusIm_);
  }
  FitAxes();
}

void NyquistChart::FitAxes() {
  if (re_.empty) {
    wanted_ = QRectF(0.0, 0.0, 10.0, 5.0);
  } else {
    // The real axis from the data, the imaginary one from zero, as the spectra are drawn by hand.
    const double low = std::min(0.0, minusIm_.low);
    const double high = std::max(0.0, minusIm_.high);
    const double margin = 0.04 * std::max(re_.high - re_.low, high - low);
    wanted_ =
        QRectF(re_.low - margin, low - (low < 0.0 ? margin : 0.0),
               re_.high - re_.low + 2.0 * margin, high - low + margin + (low < 0.0 ? margin : 0.0));
    if (wanted_.width() <= 0.0 || wanted_.height() <= 0.0)
      wanted_.adjust(-1.0, -1.0, 1.0, 1.0);
  }
  ApplyEqualScale();
}

void NyquistChart::AfterZoom() {
  wanted_ = QRectF(axisRe_->min(), axisMinusIm_->min(), axisRe_->max() - axisRe_->min(),
                   axisMinusIm_->max() - axisMinusIm_->min());
  ApplyEqualScale();
}

void NyquistChart::ApplyEqualScale() {
  const QRectF area = plotArea();
  if (area.width() < 1.0 || area.height() < 1.0 || wanted_.isEmpty())
    return;
  const double ohmsPerPixel =
      std::max(wanted_.width() / area.width(), wanted_.height() / area.height());
  const double width = ohmsPerPixel * area.width();
  const double height = ohmsPerPixel * area.height();
  // Room left over goes to both sides of the real axis and above the imaginary one.
  const double left = wanted_.left() - (width - wanted_.width()) / 2.0;
  const double bottom = wanted_.top();
  // As many steps as labels fit beside each other, eight at most.
  const double label =
      QFontMetricsF(axisRe_->labelsFont()).horizontalAdvance(QStringLiteral("−000"));
  const int parts = std::clamp(static_cast<int>(area.width() / (1.6 * label)), 3, 8);
  const double step = NiceStep(std::max(width, height), parts);
  SetLinearAxis(axisRe_, left, left + width, step);
  SetLinearAxis(axisMinusIm_, bottom, bottom + height, step);
  PlaceDecades();
}

void NyquistChart::ApplyFont(const QFont& font) {
  SpectrumChart::ApplyFont(font);
  for (QGraphicsSimpleTextItem* label : decadeLabels_)
    label->setFont(font);
  PlaceDecades();
}

void NyquistChart::CropToData() {
  // The chart shrinks around a plot area of the data's proportions; its axes and legend keep
  // their room, and the layout is Qt's own.
  const QRectF area = plotArea();
  if (area.width() < 1.0 || area.height() < 1.0 || wanted_.isEmpty())
    return;
  const double pixelsPerOhm =
      std::min(area.width() / wanted_.width(), area.height() / wanted_.height());
  const QSizeF plot(wanted_.width() * pixelsPerOhm, wanted_.height() * pixelsPerOhm);
  const QRectF whole = geometry();
  // Qt Charts gives an axis at most a third of the chart for its labels and title: a chart
  // shrunk below three times that room would cut them.
  const QSizeF around = whole.size() - area.size();
  const QSizeF size(
      std::min(whole.width(), std::max(around.width() + plot.width(), 3.0 * around.width())),
      std::min(whole.height(), std::max(around.height() + plot.height(), 3.0 * around.height())));
  setGeometry(QRectF(whole.left() + (whole.width() - size.width()) / 2.0,
                     whole.top() + (whole.height() - size.height()) / 2.0, size.width(),
                     size.height()));
}

void NyquistChart::CopyView(const NyquistChart& shown) {
  wanted_ = shown.wanted_;
  ApplyEqualScale();
}

void NyquistChart::SetDecadesVisible(bool visible) {
  decadesVisible_ = visible;
  PlaceDecades();
}

void NyquistChart::ClearDecades() {
  for (QGraphicsEllipseItem* ring : decadeRings_)
    delete ring;
  for (QGraphicsSimpleTextItem* label : decadeLabels_)
    delete label;
  decadeRings_.clear();
  decadeLabels_.clear();
  decadeValues_.clear();
  for (QGraphicsRectItem* band : bandItems_)
    delete band;
  bandItems_.clear();
  bandValues_.clear();
}

void NyquistChart::PlaceDecades() {
  const QRectF area = plotArea();
  for (std::size_t i = 0; i < bandItems_.size(); ++i) {
    if (series().isEmpty()) {
      bandItems_[i]->setVisible(false);
      continue;
    }
    const QRectF value = bandValues_[i];
    const QRectF at = QRectF(mapToPosition(value.topLeft()), mapToPosition(value.bottomRight()))
                          .normalized()
                          .intersected(area);
    bandItems_[i]->setRect(at);
    bandItems_[i]->setVisible(!at.isEmpty());
  }
  std::vector<QRectF> taken;
  const double diameter = markerSize_ * 1.8;
  for (std::size_t i = 0; i < decadeValues_.size(); ++i) {
    QGraphicsEllipseItem* ring = decadeRings_[i];
    QGraphicsSimpleTextItem* label = decadeLabels_[i];
    const QPointF at = series().isEmpty() ? QPointF() : mapToPosition(decadeValues_[i]);
    const bool inside = decadesVisible_ && !series().isEmpty() && area.contains(at);
    ring->setVisible(inside);
    label->setVisible(false);
    if (!inside)
      continue;
    ring->setRect(QRectF(at.x() - diameter / 2.0, at.y() - diameter / 2.0, diameter, diameter));
    taken.push_back(ring->rect());
  }
  // The measured points, as the markers cover them.
  std::vector<QRectF> points;
  if (decadesVisible_) {
    for (QAbstractSeries* shown : series()) {
      const auto* line = qobject_cast<QXYSeries*>(shown);
      if (line == nullptr)
        continue;
      for (const QPointF& value : line->points()) {
        const QPointF at = mapToPosition(value, shown);
        points.emplace_back(at.x() - markerSize_ / 2.0, at.y() - markerSize_ / 2.0, markerSize_,
                            markerSize_);
      }
    }
  }
  // A label beside its ring where it covers no other label or ring and stays in the plot.
  for (std::size_t i = 0; i < decadeValues_.size(); ++i) {
    if (!decadeRings_[i]->isVisible())
      continue;
    QGraphicsSimpleTextItem* label = decadeLabels_[i];
    const QRectF ring = decadeRings_[i]->rect();
    const QSizeF size = label->boundingRect().size();
    // Beside the ring: its corners first, then its sides, then a little farther out.
    const double w = size.width();
    const double h = size.height();
    const QPointF corners[] = {
        {ring.right() + 1.0, ring.top() - h + 2.0},
        {ring.right() + 1.0, ring.bottom() - 2.0},
        {ring.left() - w - 1.0, ring.top() - h + 2.0},
        {ring.left() - w - 1.0, ring.bottom() - 2.0},
        {ring.right() + 2.0, ring.center().y() - h / 2.0},
        {ring.left() - w - 2.0, ring.center().y() - h / 2.0},
        {ring.center().x() - w / 2.0, ring.top() - h},
        {ring.center().x() - w / 2.0, ring.bottom()},
        {ring.right() + h, ring.top() - 2.0 * h},
        {ring.right() + h, ring.bottom() + h},
    };
    // Clear of the measured points where it can be, else only of the other labels and rings.
    for (const bool clearOfPoints : {true, false}) {
      for (const QPointF& corner : corners) {
        const QRectF place(corner, size);
        const auto covers = [&](const QRectF& other) {
          return other != ring && other.intersects(place);
        };
        const bool free = std::none_of(taken.begin(), taken.end(), covers) &&
                          (!clearOfPoints || std::none_of(points.begin(), points.end(), covers));
        if (free && area.contains(place)) {
          label->setPos(corner);
          label->setVisible(true);
          taken.push_back(place);
          break;
        }
      }
      if (label->isVisible())
        break;
    }
  }
}

}  // namespace odecet
