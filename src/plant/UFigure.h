// The figure of one unit, as the report draws it: each pollutant's model
// emission Q(L) on log axes, its Qe and graded L, and the unit's distance.
#pragma once

#include <vector>

#include <QWidget>

#include "plantreport.h"

class TUnitFigure : public QWidget {
public:
  explicit TUnitFigure(QWidget *parent = nullptr);

  // The unit to draw (none: nullptr); both must outlive the next Show.
  void Show(const TUnitConclusion *unit, const std::vector<TReportRow> *rows);

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  const TUnitConclusion *FUnit = nullptr;
  const std::vector<TReportRow> *FRows = nullptr;
};
