#pragma once

#include <QRectF>
#include <vector>

#include "viewer/chart_axes.h"
#include "viewer/spectrum_chart.h"

class QGraphicsEllipseItem;
class QGraphicsRectItem;
class QGraphicsSimpleTextItem;
class QValueAxis;

namespace odecet {

// Re Z against −Im Z, one ohm as long on both axes, so a semicircle looks round. The points at
// whole decades of frequency (1 kHz, 100 Hz, …) are ringed and labelled, as EIS plots do.
class NyquistChart : public SpectrumChart {
 public:
  NyquistChart();
  void Show(const std::vector<PlottedSpectrum>& spectra, int selected) override;
  void FitAxes() override;
  void AfterZoom() override;
  void ApplyFont(const QFont& font) override;

  // Shrinks the chart around a plot area of the data's proportions, so that at equal scale the
  // axes end where the data does (for pictures; the window fills its area instead).
  void CropToData();

  // Shows what `shown` shows: its zoom, at this chart's own proportions.
  void CopyView(const NyquistChart& shown);

  void SetDecadesVisible(bool visible);
  bool decadesVisible() const { return decadesVisible_; }
  // The labels of the decades, shown or not (a label that would cover another is hidden).
  const std::vector<QGraphicsSimpleTextItem*>& decadeLabels() const { return decadeLabels_; }

  // The ±2u rectangles around each point of a difference that has an uncertainty.
  const std::vector<QGraphicsRectItem*>& uncertaintyBands() const { return bandItems_; }

  QValueAxis* axisRe() const { return axisRe_; }
  QValueAxis* axisMinusIm() const { return axisMinusIm_; }

 private:
  // Shows at least `wanted_` (values) with both axes at the same scale for the plot area.
  void ApplyEqualScale();
  void PlaceDecades();
  void ClearDecades();

  QValueAxis* axisRe_;
  QValueAxis* axisMinusIm_;
  QRectF wanted_;  // x: Re from left to right, y: −Im from bottom to top
  Extent re_;
  Extent minusIm_;
  bool decadesVisible_ = true;
  std::vector<QPointF> decadeValues_;  // Re and −Im of each ringed point
  std::vector<QGraphicsEllipseItem*> decadeRings_;
  std::vector<QGraphicsSimpleTextItem*> decadeLabels_;
  std::vector<QRectF> bandValues_;  // Re ± 2u by −Im ± 2u
  std::vector<QGraphicsRectItem*> bandItems_;
};

// "1 kHz", "100 mHz": 10 to the power `exponent` in hertz with the unit that keeps 1 to 100.
QString DecadeText(int exponent);

}  // namespace odecet
