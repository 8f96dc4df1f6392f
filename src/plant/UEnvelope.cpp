#include "UEnvelope.h"

#include <algorithm>

#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include "planpaint.h"

TEnvelopeMap::TEnvelopeMap(QWidget *parent) : QWidget(parent) {
  setAccessibleName(QStringLiteral("卫生防护距离包络线图"));
  setMinimumSize(240, 200);
}

void TEnvelopeMap::Show(const TDrawing &drawing) {
  FDrawing = drawing;
  update();
}

// The figure painted at the widget's size (in its device's pixels), so that
// its labels are drawn as they are in the PNG, not scaled after.
void TEnvelopeMap::paintEvent(QPaintEvent *) {
  QPainter p(this);
  p.fillRect(rect(), Qt::white);
  if (FDrawing.Items.empty() || FDrawing.Width <= 0 || FDrawing.Height <= 0)
    return;
  const double ratio = devicePixelRatioF();
  const double scale = std::min(width() / FDrawing.Width, height() / FDrawing.Height);
  QImage image = DrawingImage(FDrawing, std::max(1, int(96 * scale * ratio)));
  image.setDevicePixelRatio(ratio);
  const QSizeF size = image.deviceIndependentSize();
  p.drawImage(QPointF((width() - size.width()) / 2, (height() - size.height()) / 2), image);
}

TEnvelopePane::TEnvelopePane(QWidget *parent) : QWidget(parent) {
  pbMap = new TEnvelopeMap(this);
  sgReceptors = new QTableWidget(this);
  sgReceptors->setAccessibleName(QStringLiteral("敏感目标"));
  sgReceptors->setEditTriggers(QAbstractItemView::NoEditTriggers);
  sgReceptors->setTabKeyNavigation(false);
  sgReceptors->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
  sgReceptors->verticalHeader()->hide();
  lbConclusion = new QLabel(this);
  lbConclusion->setWordWrap(true);
  lbConclusion->setAccessibleName(QStringLiteral("结论"));
  auto *split = new QSplitter(Qt::Vertical, this);
  split->addWidget(pbMap);
  split->addWidget(sgReceptors);
  split->setStretchFactor(0, 3);
  split->setStretchFactor(1, 2);
  split->setSizes({300, 200});
  auto *layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(split, 1);
  layout->addWidget(lbConclusion);
  Show(nullptr, QStringLiteral("未打开平面图：在“文件”菜单中打开平面图（DXF 或 GeoJSON）。"));
}

void TEnvelopePane::Show(const TPlanSection *section, const QString &message) {
  const bool drawn = section && section->Drawn;
  pbMap->Show(drawn ? EnvelopeDrawing(section->Envelope, 0) : TDrawing());
  pbMap->setVisible(drawn);
  const TTableRows table = drawn ? ReceptorTable(section->Envelope) : TTableRows();
  sgReceptors->clear();
  sgReceptors->setRowCount(table.empty() ? 0 : int(table.size()) - 1);
  sgReceptors->setColumnCount(table.empty() ? 0 : int(table.front().size()));
  for (std::size_t r = 0; r < table.size(); ++r)
    for (std::size_t c = 0; c < table[r].size(); ++c) {
      const QString text = QString::fromStdString(table[r][c]);
      if (r == 0)
        sgReceptors->setHorizontalHeaderItem(int(c), new QTableWidgetItem(text));
      else
        sgReceptors->setItem(int(r) - 1, int(c), new QTableWidgetItem(text));
    }
  sgReceptors->setVisible(table.size() > 1);
  lbConclusion->setText(!section ? message
                        : drawn  ? QString::fromStdString(EnvelopeConclusion(section->Envelope))
                                 : QString::fromStdString(section->Undetermined));
}
