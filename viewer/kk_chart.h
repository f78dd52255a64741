#pragma once

#include <QString>
#include <optional>

#include "analysis/kk_automatic.h"
#include "viewer/chart_axes.h"
#include "viewer/spectrum_chart.h"

class QGraphicsTextItem;
class QLogValueAxis;
class QValueAxis;

namespace odecet {

class KkChoiceChart;

// The residuals of the automatic Kramers–Kronig test of the selected file, Re and Im in percent
// of |Z| against the frequency, with the limit and twice the noise drawn, the fit in the title
// and the verdict with its reason in a coloured line of its own under it.
class KramersKronigChart : public SpectrumChart {
 public:
  KramersKronigChart();
  void Show(const std::vector<PlottedSpectrum>& spectra, int selected) override;
  void FitAxes() override;

  // The chart that shows how M was chosen; it follows every Show.
  void SetChoiceChart(KkChoiceChart* chart) { choice_ = chart; }

  // The title's text: the file, M, µ, pseudo χ², the representation, log F_ext, the noise.
  const QString& summary() const { return summary_; }
  // "v pořádku: …" or "podezřelé: …" with the reason; empty when nothing was tested.
  QString verdict() const;
  const std::optional<KkAutomaticResult>& result() const { return result_; }

  // The margin above everything else; the verdict's line goes below it.
  void SetTopMargin(int top);
  void ApplyFont(const QFont& font) override;

 protected:
  void resizeEvent(QGraphicsSceneResizeEvent* event) override;

 private:
  void AddLevelLines(double level, const QString& name, Qt::PenStyle style);
  void ShowVerdict(const QString& text, const QColor& colour);
  void PlaceVerdict();

  QLogValueAxis* axisFrequency_;
  QValueAxis* axisResidual_;
  QGraphicsTextItem* verdict_;
  KkChoiceChart* choice_ = nullptr;
  int topMargin_ = 4;
  Extent frequency_;
  double largest_ = 0.0;
  QString summary_;
  std::optional<KkAutomaticResult> result_;
  // The spectrum tested last and what came of it: the test takes a while on long spectra, and
  // the window shows the charts again on every change of the list.
  std::vector<SpectrumPoint> testedPoints_;
  std::optional<KkAutomaticResult> testedResult_;
  QString testedError_;
};

}  // namespace odecet
