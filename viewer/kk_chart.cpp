#include "viewer/kk_chart.h"

#include <QFont>
#include <QGraphicsSceneResizeEvent>
#include <QGraphicsTextItem>
#include <QLegendMarker>
#include <QLogValueAxis>
#include <QPen>
#include <QTextDocument>
#include <QValueAxis>
#include <QXYSeries>
#include <algorithm>
#include <cmath>
#include <exception>

#include "analysis/kk_method.h"
#include "analysis/kramers_kronig.h"
#include "spectrum/decimal_separator.h"
#include "viewer/kk_choice_chart.h"

namespace odecet {

namespace {

// No file's series has these colours (SeriesColour's palette): black and navy.
const QColor kReColour(Qt::black);
const QColor kImColour(0x000080);
const QColor kPassColour(0x1a7f37);
const QColor kSuspectColour(0xb42318);

QString Percent(double value) {
  return FormatNumber(value, 3) + QStringLiteral(" %");
}

// "druhy.txt: M = 20, µ = 0,83, pseudo χ² = 1,26e-04, zobrazení Z, log F_ext = −0,44, šum 0,10 %"
QString SummaryText(const QString& name, const KkAutomaticResult& result) {
  const QString mu = result.mu ? FormatNumber(*result.mu, 3) : QStringLiteral("nepoužije se");
  return QStringLiteral(
             "%1: M = %2, µ = %3, pseudo χ² = %4, zobrazení %5, log F_ext = %6, "
             "šum %7")
      .arg(name)
      .arg(result.m)
      .arg(mu, FormatNumber(result.pseudoChiSquare, 3),
           result.representation == KkRepresentation::kImpedance ? QStringLiteral("Z")
                                                                 : QStringLiteral("Y"),
           FormatNumber(result.logFExt, 3), Percent(result.noisePercent));
}

}  // namespace

KramersKronigChart::KramersKronigChart()
    : axisFrequency_(new QLogValueAxis(this)),
      axisResidual_(new QValueAxis(this)),
      verdict_(new QGraphicsTextItem(this)) {
  PrepareAxis(axisFrequency_, QStringLiteral("f (Hz)"));
  PrepareAxis(axisResidual_, QStringLiteral("odchylka od modelu (% |Z|)"));
  addAxis(axisFrequency_, Qt::AlignBottom);
  addAxis(axisResidual_, Qt::AlignLeft);
  QFont bold = verdict_->font();
  bold.setBold(true);
  verdict_->setFont(bold);
  verdict_->setZValue(10);
}

QString KramersKronigChart::verdict() const {
  return verdict_->toPlainText();
}

void KramersKronigChart::ShowVerdict(const QString& text, const QColor& colour) {
  verdict_->setPlainText(text);
  verdict_->setDefaultTextColor(colour);
  PlaceVerdict();
}

void KramersKronigChart::PlaceVerdict() {
  // At the top, wrapped to the chart's width, with the title and the plot moved down to make
  // room: it is never cut off, and exports carry it.
  const double width = std::max(100.0, size().width() - 24.0);
  verdict_->setTextWidth(width);
  const double height = verdict_->toPlainText().isEmpty() ? 0.0 : verdict_->boundingRect().height();
  verdict_->setPos(12.0, topMargin_);
  QMargins margins = this->margins();
  margins.setTop(topMargin_ + static_cast<int>(std::ceil(height)) + 4);
  setMargins(margins);
}

void KramersKronigChart::SetTopMargin(int top) {
  topMargin_ = top;
  PlaceVerdict();
}

void KramersKronigChart::ApplyFont(const QFont& font) {
  SpectrumChart::ApplyFont(font);
  QFont bold = font;
  bold.setBold(true);
  verdict_->setFont(bold);
  PlaceVerdict();
}

void KramersKronigChart::resizeEvent(QGraphicsSceneResizeEvent* event) {
  SpectrumChart::resizeEvent(event);
  PlaceVerdict();
}

void KramersKronigChart::Show(const std::vector<PlottedSpectrum>& spectra, int selected) {
  removeAllSeries();
  frequency_ = {};
  largest_ = 0.0;
  result_.reset();
  const auto finish = [this] {
    if (choice_ != nullptr)
      choice_->ShowChoice(result_ ? &*result_ : nullptr);
    FitAxes();
  };
  if (selected < 0 || static_cast<std::size_t>(selected) >= spectra.size()) {
    summary_ = QStringLiteral("Kramersova–Kronigova kontrola: vyberte soubor v seznamu.");
    setTitle(summary_);
    ShowVerdict(QString(), kPassColour);
    finish();
    return;
  }
  const PlottedSpectrum& spectrum = spectra[static_cast<std::size_t>(selected)];
  const auto same = [](const SpectrumPoint& a, const SpectrumPoint& b) {
    return a.f == b.f && a.re == b.re && a.im == b.im;
  };
  if (testedPoints_.empty() || !std::equal(testedPoints_.begin(), testedPoints_.end(),
                                           spectrum.points.begin(), spectrum.points.end(), same)) {
    testedPoints_ = spectrum.points;
    testedResult_.reset();
    testedError_.clear();
    try {
      testedResult_ = CheckKramersKronigAutomatic(spectrum.points);
    } catch (const KramersKronigError& error) {
      testedError_ = QString::fromUtf8(error.what());
    }
  }
  result_ = testedResult_;
  if (!result_) {
    summary_ = spectrum.name;
    setTitle(summary_);
    ShowVerdict(QStringLiteral("nelze ověřit: ") + testedError_, kSuspectColour);
    finish();
    return;
  }
  summary_ = SummaryText(spectrum.name, *result_);
  setTitle(summary_);
  const QString reason =
      QString::fromUtf8(KkReasonText(*result_, spectrum.points, SystemDecimalSeparator()));
  ShowVerdict((result_->passed ? QStringLiteral("v pořádku: ") : QStringLiteral("podezřelé: ")) +
                  reason + '.',
              result_->passed ? kPassColour : kSuspectColour);

  const std::vector<SpectrumPoint>& points = spectrum.points;
  const KkAutomaticResult& result = *result_;
  const auto describe = [spectrum, result](int point) {
    const auto i = static_cast<std::size_t>(point);
    return QStringLiteral("%1, bod %2\nf = %3 Hz\nodchylka Re = %4\nodchylka Im = %5")
        .arg(spectrum.name)
        .arg(point + 1)
        .arg(FormatNumber(spectrum.points[i].f, 6), Percent(result.residualRe[i]),
             Percent(result.residualIm[i]));
  };
  QXYSeries* re = AddLine(QStringLiteral("Re"), kReColour, describe);
  QXYSeries* im = AddLine(QStringLiteral("Im"), kImColour, describe);
  QPen dashed = im->pen();
  dashed.setStyle(Qt::DashLine);
  im->setPen(dashed);
  for (std::size_t i = 0; i < points.size() && i < result.residualRe.size(); ++i) {
    re->append(points[i].f, result.residualRe[i]);
    im->append(points[i].f, result.residualIm[i]);
    frequency_.Add(points[i].f);
    largest_ = std::max({largest_, std::abs(result.residualRe[i]), std::abs(result.residualIm[i])});
  }
  for (QXYSeries* series : {re, im}) {
    series->attachAxis(axisFrequency_);
    series->attachAxis(axisResidual_);
  }
  AddLevelLines(result.limitPercent, QStringLiteral("mez ±%1").arg(Percent(result.limitPercent)),
                Qt::DashLine);
  if (result.noisePercent > 0.0)
    AddLevelLines(2.0 * result.noisePercent,
                  QStringLiteral("±2 × šum (%1)").arg(Percent(result.noisePercent)), Qt::DotLine);
  finish();
}

void KramersKronigChart::AddLevelLines(double level, const QString& name, Qt::PenStyle style) {
  if (frequency_.empty)
    return;
  for (const double at : {level, -level}) {
    QXYSeries* line = AddLine(name, QColor(0x7f7f7f), [](int) { return QString(); });
    line->setPointsVisible(false);
    QPen pen = line->pen();
    pen.setStyle(style);
    pen.setWidthF(1.0);
    line->setPen(pen);
    line->append(frequency_.low, at);
    line->append(frequency_.high, at);
    line->attachAxis(axisFrequency_);
    line->attachAxis(axisResidual_);
    if (at < 0.0) {
      for (QLegendMarker* marker : legend()->markers(line))
        marker->setVisible(false);
    }
  }
}

void KramersKronigChart::FitAxes() {
  FitLogAxis(axisFrequency_, frequency_);
  const double limit =
      result_ ? result_->limitPercent : DefaultKkLimitPercent(KkMethod::kAutomatic);
  const double noise = result_ ? 2.0 * result_->noisePercent : 0.0;
  const double reach = std::max({largest_, limit, noise}) * 1.25;
  Extent residual;
  residual.Add(-reach);
  residual.Add(reach);
  FitLinearAxis(axisResidual_, residual, 8);
}

}  // namespace odecet
