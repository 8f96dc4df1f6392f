#include "URecordCopy.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDate>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QShortcut>

#include "UDisLayout.h"
#include "report.h"

namespace {

const QKeySequence CopyKeys(Qt::CTRL | Qt::SHIFT | Qt::Key_C);

} // namespace

TRecordCopy::TRecordCopy(QWidget *window, const TControls &controls)
    : QObject(window), F(controls) {
  for (QLineEdit *box : {F.edL, F.edLReal, F.edQe}) {
    box->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(box, &QWidget::customContextMenuRequested, this,
            [this, box](const QPoint &position) { ShowMenu(box, position); });
  }
  auto *shortcut = new QShortcut(CopyKeys, window);
  connect(shortcut, &QShortcut::activated, this, [this] { Guarded([this] { Copy(); }); });
}

// The three choices explain the class unless an item of the combo box was
// picked that differs from them.
std::optional<TClassChoices> TRecordCopy::ClassChoices() const {
  const TClassChoices choices{F.rgOther->ItemIndex(), F.rgThree->ItemIndex(), F.rgQS->ItemIndex()};
  const int picked = F.cbbSourceType->findText(F.cbbSourceType->currentText(),
                                               Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (picked != SourceClassFromChoices(choices.Other, choices.Three, choices.QS))
    return std::nullopt;
  return choices;
}

void TRecordCopy::Keep(TDirection direction) {
  const QDate today = QDate::currentDate();
  FRecord = MakeRecord(*Calculator, direction, ClassChoices(),
                       {today.year(), today.month(), today.day()});
  // The window reads the radius box last, so the computation used r as
  // given there and the S derived from it.
  QuoteGivenSize(*FRecord, true, F.edR->text().toStdString());
}

void TRecordCopy::Copy() const {
  if (!FRecord)
    return;
  auto *data = new QMimeData;
  data->setHtml(QString::fromStdString(RecordHtml(*FRecord)));
  data->setText(QString::fromStdString(RecordMarkdown(*FRecord)));
  QGuiApplication::clipboard()->setMimeData(data);
}

// The box's own menu with the item added; edQe offers it only while it
// shows a computed emission rate.
void TRecordCopy::ShowMenu(QLineEdit *box, const QPoint &position) {
  QMenu *menu = box->createStandardContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  if (box != F.edQe || (FRecord && FRecord->Direction == TDirection::Emission)) {
    menu->addSeparator();
    QAction *copy = menu->addAction(QStringLiteral("复制计算书"), this,
                                    [this] { Guarded([this] { Copy(); }); });
    copy->setShortcut(CopyKeys); // shown beside the item, as the box's own items show theirs
  }
  menu->popup(box->mapToGlobal(position));
}
