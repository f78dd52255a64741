#include "viewer/kk_choice_chart.h"

#include <QLogValueAxis>
#include <QPen>
#include <QValueAxis>
#include <QXYSeries>
#include <algorithm>

namespace odecet {

KkChoiceChart::KkChoiceChart()
    : axisM_(new QValueAxis(this)),
      axisMu_(new QValueAxis(this)),
      axisChiSquare_(new QLogValueAxis(this)) {
  PrepareAxis(axisM_, QStringLiteral("počet RC členů M"));
  PrepareAxis(axisMu_, QStringLiteral("µ"));
  PrepareAxis(axisChiSquare_, QStringLiteral("χ²"));
  axisM_->setLabelFormat(QStringLiteral("%.0f"));
  addAxis(axisM_, Qt::AlignBottom);
  addAxis(axisMu_, Qt::AlignLeft);
  addAxis(axisChiSquare_, Qt::AlignRight);
  setTitle(QStringLiteral("Volba M"));
}

void KkChoiceChart::ShowChoice(const KkAutomaticResult* result) {
  removeAllSeries();
  m_ = {};
  mu_ = {};
  chiSquare_ = {};
  if (result == nullptr || result->candidates.empty()) {
    setTitle(QStringLiteral("Volba M"));
    FitAxes();
    return;
  }
  const auto describe = [result](int point) {
    const KkCandidate& c = result->candidates[static_cast<std::size_t>(point)];
    return QStringLiteral("M = %1\nµ = %2\npseudo χ² = %3")
        .arg(c.m)
        .arg(c.mu ? FormatNumber(*c.mu, 3) : QStringLiteral("nepoužije se"),
             FormatNumber(c.pseudoChiSquare, 3));
  };
  QXYSeries* mu = AddLine(QStringLiteral("µ"), QColor(Qt::black), describe);
  QXYSeries* chi = AddLine(QStringLiteral("pseudo χ²"), QColor(0x000080), describe);
  QPen dashed = chi->pen();
  dashed.setStyle(Qt::DashLine);
  chi->setPen(dashed);
  for (const KkCandidate& c : result->candidates) {
    m_.Add(c.m);
    if (c.mu) {
      mu->append(c.m, *c.mu);
      mu_.Add(*c.mu);
    }
    if (c.pseudoChiSquare > 0.0) {
      chi->append(c.m, c.pseudoChiSquare);
      chiSquare_.Add(c.pseudoChiSquare);
    }
  }
  mu->attachAxis(axisM_);
  mu->attachAxis(axisMu_);
  chi->attachAxis(axisM_);
  chi->attachAxis(axisChiSquare_);
  mu_.Add(0.0);
  mu_.Add(1.0);
  // The chosen M, top to bottom of the µ axis.
  QXYSeries* chosen = AddLine(QStringLiteral("zvolené M = %1").arg(result->m), QColor(0xb42318),
                              [](int) { return QString(); });
  chosen->setPointsVisible(false);
  QPen pen = chosen->pen();
  pen.setWidthF(2.0);
  chosen->setPen(pen);
  FitAxes();
  chosen->append(result->m, axisMu_->min());
  chosen->append(result->m, axisMu_->max());
  chosen->attachAxis(axisM_);
  chosen->attachAxis(axisMu_);
  setTitle(QStringLiteral("Volba M: zvoleno M = %1 ze %2 proložení")
               .arg(result->m)
               .arg(result->candidates.size()));
}

void KkChoiceChart::FitAxes() {
  FitLinearAxis(axisM_, m_, 10);
  FitLinearAxis(axisMu_, mu_, 5);
  FitLogAxis(axisChiSquare_, chiSquare_);
}

}  // namespace odecet
