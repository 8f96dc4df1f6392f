#include "UColumns.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>

namespace {

const QString SetAside = QStringLiteral("不计入");

QString Sample(const TPlantSheet &sheet, std::size_t column) {
  for (const auto &row : sheet.Cells)
    if (!row[column].empty())
      return QString::fromStdString(row[column]);
  return {};
}

} // namespace

TfrmColumns::TfrmColumns(const TPlantSheet &sheet, QWidget *parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("指定各列"));
  auto *form = new QFormLayout(this);
  form->addRow(new QLabel(QStringLiteral("请为每一列选择它的含义："), this));
  for (std::size_t i = 0; i < sheet.Names.size(); ++i) {
    auto *box = new QComboBox(this);
    const QString name = QString::fromStdString(sheet.Names[i]);
    if (!name.isEmpty())
      box->addItem(name);
    for (const char *assignable : AssignableNames)
      if (QString::fromUtf8(assignable) != name)
        box->addItem(QString::fromUtf8(assignable));
    box->addItem(SetAside);
    if (name.isEmpty())
      box->setCurrentText(SetAside);
    const QString caption = QStringLiteral("第 %1 列（%2）").arg(i + 1).arg(Sample(sheet, i));
    box->setAccessibleName(caption);
    form->addRow(caption, box);
    cbColumns.push_back(box);
  }
  auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
}

void TfrmColumns::Apply(TPlantSheet &sheet) const {
  for (std::size_t i = 0; i < cbColumns.size(); ++i) {
    const QString chosen = cbColumns[i]->currentText();
    if (chosen == SetAside)
      sheet.SetAside(i);
    else
      sheet.Assign(i, chosen.toStdString());
  }
}
