#include "UDis.h"

#include "UAuthor.h"
#include "report.h"

TfrmDis::TfrmDis(QWidget *parent) : QWidget(parent) { resize(616, 524); }

void TfrmDis::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (FShown)
    return;
  FShown = true;
  Guarded([this] { FormShow(); });
}

void TfrmDis::FormShow() { DestroySplash(); }
