#include "viewer/kk_chart.h"

#include <QLegendMarker>
#include <QLogValueAxis>
#include <QPen>
#include <QValueAxis>
#include <QXYSeries>
#include <algorithm>
#include <cmath>
#include <exception>

#include "analysis/kramers_kronig.h"

namespace {

QString Percent(double value) {
  return FormatNumber(value, 3) + QStringLiteral(" %");
}

// "M = 17, µ = 0,837, pseudo χ² = 2,1e-05; Re až 1,93 %, Im až 0,719 %: podezřelé"
QString SummaryText(const QString& name, const KramersKronigResult& result) {
  const QString mu = result.mu ? FormatNumber(*result.mu, 3) : QStringLiteral("nepoužije se");
  return QStringLiteral(
             "%1: M = %2, µ = %3, pseudo χ² = %4; největší odchylka Re %5, Im %6 "
             "(mez %7): %8")
      .arg(name)
      .arg(result.m)
      .arg(mu, FormatNumber(result.pseudoChiSquare, 3), Percent(result.maxResidualRe),
           Percent(result.maxResidualIm), Percent(KramersKronigChart::kLimitPercent),
           result.passed ? QStringLiteral("v pořádku") : QStringLiteral("podezřelé"));
}

}  // namespace

KramersKronigChart::KramersKronigChart()
    : axisFrequency_(new QLogValueAxis(this)), axisResidual_(new QValueAxis(this)) {
  PrepareAxis(axisFrequency_, QStringLiteral("f (Hz)"));
  PrepareAxis(axisResidual_, QStringLiteral("odchylka od modelu (% |Z|)"));
  addAxis(axisFrequency_, Qt::AlignBottom);
  addAxis(axisResidual_, Qt::AlignLeft);
}

void KramersKronigChart::Show(const std::vector<PlottedSpectrum>& spectra, int selected) {
  removeAllSeries();
  frequency_ = {};
  largest_ = 0.0;
  if (selected < 0 || static_cast<std::size_t>(selected) >= spectra.size()) {
    summary_ = QStringLiteral("Kramersova–Kronigova kontrola: vyberte soubor v seznamu.");
    setTitle(summary_);
    FitAxes();
    return;
  }
  const PlottedSpectrum& spectrum = spectra[static_cast<std::size_t>(selected)];
  std::optional<KramersKronigResult> result;
  try {
    result = CheckKramersKronig(spectrum.points, kLimitPercent);
  } catch (const KramersKronigError& error) {
    summary_ = spectrum.name + QStringLiteral(": ") + QString::fromUtf8(error.what());
    setTitle(summary_);
    FitAxes();
    return;
  }
  summary_ = SummaryText(spectrum.name, *result);
  setTitle(summary_);

  const std::vector<SpectrumPoint>& points = spectrum.points;
  const auto describe = [spectrum, result](int point) {
    const auto i = static_cast<std::size_t>(point);
    return QStringLiteral("%1, bod %2\nf = %3 Hz\nodchylka Re = %4\nodchylka Im = %5")
        .arg(spectrum.name)
        .arg(point + 1)
        .arg(FormatNumber(spectrum.points[i].f, 6), Percent(result->residualRe[i]),
             Percent(result->residualIm[i]));
  };
  QXYSeries* re = AddLine(QStringLiteral("Re"), QColor(0x1f77b4), describe);
  QXYSeries* im = AddLine(QStringLiteral("Im"), QColor(0xd62728), describe);
  for (std::size_t i = 0; i < points.size() && i < result->residualRe.size(); ++i) {
    re->append(points[i].f, result->residualRe[i]);
    im->append(points[i].f, result->residualIm[i]);
    frequency_.Add(points[i].f);
    largest_ =
        std::max({largest_, std::abs(result->residualRe[i]), std::abs(result->residualIm[i])});
  }
  for (QXYSeries* series : {re, im}) {
    series->attachAxis(axisFrequency_);
    series->attachAxis(axisResidual_);
  }
  AddLimitLines();
  FitAxes();
}

void KramersKronigChart::AddLimitLines() {
  if (frequency_.empty)
    return;
  for (const double level : {kLimitPercent, -kLimitPercent}) {
    QXYSeries* line = AddLine(QStringLiteral("mez ±%1").arg(Percent(kLimitPercent)),
                              QColor(0x7f7f7f), [](int) { return QString(); });
    line->setPointsVisible(false);
    QPen pen = line->pen();
    pen.setStyle(Qt::DashLine);
    pen.setWidthF(1.0);
    line->setPen(pen);
    line->append(frequency_.low, level);
    line->append(frequency_.high, level);
    line->attachAxis(axisFrequency_);
    line->attachAxis(axisResidual_);
    if (level < 0.0) {
      for (QLegendMarker* marker : legend()->markers(line))
        marker->setVisible(false);
    }
  }
}

void KramersKronigChart::FitAxes() {
  FitLogAxis(axisFrequency_, frequency_);
  const double reach = std::max(largest_, kLimitPercent) * 1.25;
  Extent residual;
  residual.Add(-reach);
  residual.Add(reach);
  FitLinearAxis(axisResidual_, residual, 8);
}
