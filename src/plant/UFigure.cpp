#include "UFigure.h"

#include <algorithm>
#include <cmath>

#include <QPainter>
#include <QPainterPath>

namespace {

const QColor Colours[] = {QColor(0x1f4e9c), QColor(0xc0392b), QColor(0x2e8b57),
                          QColor(0x8e44ad), QColor(0xd35400), QColor(0x555555)};

// A log axis over whole decades, mapped onto [from, to] pixels.
struct TAxis {
  double Low = 1, High = 10, From = 0, To = 1;
  double At(double v) const {
    return From + (std::log10(v) - std::log10(Low)) / (std::log10(High) - std::log10(Low)) * (To - From);
  }
};

TAxis Decades(double low, double high, double from, double to) {
  TAxis axis{std::pow(10.0, std::floor(std::log10(low))), std::pow(10.0, std::ceil(std::log10(high))),
             from, to};
  if (axis.High <= axis.Low)
    axis.High = axis.Low * 10;
  axis.Low = std::max(axis.Low, axis.High / 1e8);
  return axis;
}

bool EmissionOf(const TKestrin &calc, double L, double &Q) {
  return CatchFailure([&] { Q = calc.EmissionAtDistance(L); }, [](const Exception &) {}) && Q > 0 &&
         std::isfinite(Q);
}

} // namespace

TUnitFigure::TUnitFigure(QWidget *parent) : QWidget(parent) {
  setAccessibleName(QStringLiteral("单元图"));
  setMinimumSize(320, 220);
}

void TUnitFigure::Show(const TUnitConclusion *unit, const std::vector<TReportRow> *rows) {
  FUnit = unit;
  FRows = rows;
  update();
}

namespace {

void DrawAxes(QPainter &p, const QRectF &plot, const TAxis &x, const TAxis &y) {
  for (double v = x.Low; v <= x.High * 1.0001; v *= 10) {
    p.setPen(QColor(0xdddddd));
    p.drawLine(QPointF(x.At(v), plot.top()), QPointF(x.At(v), plot.bottom()));
    p.setPen(Qt::black);
    p.drawText(QRectF(x.At(v) - 40, plot.bottom() + 2, 80, 14), Qt::AlignCenter,
               QString::fromStdString(ValueToText(v)));
  }
  for (double v = y.Low; v <= y.High * 1.0001; v *= 10) {
    p.setPen(QColor(0xdddddd));
    p.drawLine(QPointF(plot.left(), y.At(v)), QPointF(plot.right(), y.At(v)));
    p.setPen(Qt::black);
    p.drawText(QRectF(0, y.At(v) - 8, plot.left() - 4, 16), Qt::AlignRight | Qt::AlignVCenter,
               QString::fromStdString(ValueToText(v)));
  }
  p.drawRect(plot);
  p.drawText(QRectF(plot.left(), plot.bottom() + 16, plot.width(), 14), Qt::AlignCenter,
             QStringLiteral("L (m)"));
}

// A pollutant's Q(L), its Qe (dashed, across), its graded L (dashed, up)
// and its point (L, Qe).
void DrawPollutant(QPainter &p, const QRectF &plot, const TAxis &x, const TAxis &y,
                   const TKestrin &k, const QColor &colour) {
  QPainterPath curve;
  bool started = false;
  for (int s = 0; s <= 120; ++s) {
    const double L = x.Low * std::pow(x.High / x.Low, s / 120.0);
    double Q;
    if (!EmissionOf(k, L, Q) || Q < y.Low / 10 || Q > y.High * 10) {
      started = false;
      continue;
    }
    const QPointF point(x.At(L), y.At(Q));
    started ? curve.lineTo(point) : curve.moveTo(point);
    started = true;
  }
  p.setPen(QPen(colour, 1.5));
  p.drawPath(curve);
  p.setPen(QPen(colour, 1, Qt::DashLine));
  p.drawLine(QPointF(plot.left(), y.At(k.Qe())), QPointF(plot.right(), y.At(k.Qe())));
  p.drawLine(QPointF(x.At(k.GradedDistance()), plot.top()),
             QPointF(x.At(k.GradedDistance()), plot.bottom()));
  p.setBrush(colour);
  p.drawEllipse(QPointF(x.At(k.Distance()), y.At(k.Qe())), 3, 3);
  p.setBrush(Qt::NoBrush);
}

void DrawLegend(QPainter &p, const QRectF &plot, const std::vector<const TReportRow *> &drawn) {
  for (std::size_t i = 0; i < drawn.size() && i < std::size(Colours); ++i) {
    const double top = plot.bottom() + 32 + 16 * double(i);
    p.setPen(QPen(Colours[i], 2));
    p.drawLine(QPointF(10, top + 7), QPointF(34, top + 7));
    p.setPen(Qt::black);
    const TKestrin &k = drawn[i]->Calc;
    p.drawText(QPointF(40, top + 12),
               QString::fromStdString(drawn[i]->Pollutant + "：Qe = " + ValueToText(k.Qe()) +
                                      " kg/h，L = " + FixedText(k.Distance(), 2) + " m，级差值 " +
                                      ValueToText(k.GradedDistance()) + " m"));
  }
}

} // namespace

void TUnitFigure::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  std::vector<const TReportRow *> drawn;
  double lowL = 0, highL = 0, lowQ = 0, highQ = 0;
  if (FUnit)
    for (std::size_t i : FUnit->Rows) {
      const TReportRow &row = (*FRows)[i];
      if (!row.Error.empty() || row.Calc.Distance() <= 0 || row.Calc.Qe() <= 0)
        continue;
      const TKestrin &k = row.Calc;
      lowL = drawn.empty() ? k.Distance() : std::min(lowL, k.Distance());
      lowQ = drawn.empty() ? k.Qe() : std::min(lowQ, k.Qe());
      highL = std::max({highL, k.GradedDistance(), FUnit->Determined ? FUnit->Distance : 0.0});
      highQ = std::max(highQ, k.Qe());
      drawn.push_back(&row);
    }
  if (drawn.empty()) {
    p.drawText(rect(), Qt::AlignCenter, QStringLiteral("（选中一个已计算的生产单元以显示其图）"));
    return;
  }
  const int legend = 16 * int(std::min(drawn.size(), std::size(Colours)));
  const QRectF plot(60, 10, width() - 75, height() - 45 - legend);
  const TAxis x = Decades(lowL / 2, highL * 2, plot.left(), plot.right());
  const TAxis y = Decades(lowQ / 10, highQ * 10, plot.bottom(), plot.top());
  DrawAxes(p, plot, x, y);
  p.setRenderHint(QPainter::Antialiasing);
  p.setClipRect(plot);
  for (std::size_t i = 0; i < drawn.size(); ++i)
    DrawPollutant(p, plot, x, y, drawn[i]->Calc, Colours[i % std::size(Colours)]);
  if (FUnit->Determined) {
    p.setPen(QPen(Qt::black, 2));
    p.drawLine(QPointF(x.At(FUnit->Distance), plot.top()),
               QPointF(x.At(FUnit->Distance), plot.bottom()));
  }
  p.setClipping(false);
  DrawLegend(p, plot, drawn);
}
