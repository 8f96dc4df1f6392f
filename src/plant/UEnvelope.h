// The envelope on the site plan in the plant window: the report's figure,
// painted by the code that paints the envelope PNG, the receptor table and
// the concluding sentence, as `report --plan` writes them.
#pragma once

#include <QWidget>

#include "planfigure.h"
#include "siteplan.h"

class QLabel;
class QTableWidget;

// The figure, scaled to fit.
class TEnvelopeMap : public QWidget {
public:
  explicit TEnvelopeMap(QWidget *parent = nullptr);
  void Show(const TDrawing &drawing);

protected:
  void paintEvent(QPaintEvent *event) override;

private:
  TDrawing FDrawing;
};

class TEnvelopePane : public QWidget {
public:
  explicit TEnvelopePane(QWidget *parent = nullptr);
  // The section as the report has it, or (null) `message` alone: why there
  // is none.
  void Show(const TPlanSection *section, const QString &message);

  TEnvelopeMap *pbMap = nullptr;
  QTableWidget *sgReceptors = nullptr;
  QLabel *lbConclusion = nullptr;
};
