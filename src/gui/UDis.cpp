#include "UDis.h"

#include <algorithm>
#include <initializer_list>
#include <string>

#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QShortcut>

#include "UAuthor.h"
#include "UCal.h"
#include "UDisLayout.h"
#include "UGrid.h"
#include "URecordCopy.h"
#include "report.h"
#include "startup.h"

std::function<bool(const QUrl &)> OpenMailLink = &QDesktopServices::openUrl;

namespace {

constexpr QRgb LinkColor = 0xFF0000FF;
constexpr QRgb HighlightColor = 0xFFFF0000;
constexpr QRgb HighlightBackground = 0xFFFFFF00;
constexpr int HighlightPoints = 10;

std::string BoxText(const QLineEdit *box) {
  return box->text().toStdString();
}

// Text the program writes into a box is shown from its start.
void SetBoxText(QLineEdit *box, const std::string &text) {
  box->setText(QString::fromStdString(text));
  box->setCursorPosition(0);
}

// A default written with the user's decimal mark, so that it reads back.
QString LocalNumber(QString text) {
  return text.replace(u'.', QChar::fromLatin1(DecimalMark));
}

constexpr int CtrlBackspace = 127;
constexpr int CtrlEnter = 10;

// The character a key press types, as an edit box would receive it: control
// characters for Ctrl+letter (Ctrl+V is 22), 127 for Ctrl+Backspace and 10
// for Ctrl+Enter; 0 for a key that types none (cursor keys, Delete, Tab,
// Shift+Insert, function keys).
int TypedCharacter(const QKeyEvent &event) {
  const int key = event.key();
  const Qt::KeyboardModifiers modifiers = event.modifiers();
  const bool ctrl = modifiers & Qt::ControlModifier;
  if (ctrl && !(modifiers & Qt::AltModifier) && key >= Qt::Key_A && key <= Qt::Key_Z)
    return key - Qt::Key_A + 1;
  switch (key) {
  case Qt::Key_Backspace:
    return ctrl ? CtrlBackspace : 8;
  case Qt::Key_Return:
  case Qt::Key_Enter:
    return ctrl ? CtrlEnter : 13;
  case Qt::Key_Tab:
  case Qt::Key_Backtab:
  case Qt::Key_Delete:
    return 0;
  default:
    return event.text().isEmpty() ? 0 : event.text().front().unicode();
  }
}

// The items of a filtered box's context menu keep working, but the keys Qt
// names beside them (Ctrl+Z, Ctrl+C, Ctrl+V, Ctrl+A) are swallowed by the
// key filter, so the menu does not name them.
void HideSwallowedKeys(QMenu *menu) {
  for (QAction *action : menu->actions())
    action->setText(action->text().section(u'\t', 0, 0));
}

// Shift+F10 asks for the focused control's context menu, as the Menu key
// does, at its text cursor.
void OpenFocusMenu() {
  QWidget *focus = QApplication::focusWidget();
  if (!focus)
    return;
  const QPoint at = focus->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
  QContextMenuEvent menu(QContextMenuEvent::Keyboard, at, focus->mapToGlobal(at));
  QCoreApplication::sendEvent(focus, &menu);
}

void SetLabelColors(QLabel *label, QRgb text, const QColor &background) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, QColor::fromRgb(text));
  palette.setColor(QPalette::Window, background);
  label->setPalette(palette);
}

} // namespace

TfrmDis::TfrmDis(QWidget *parent) : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint) {
  BuildControls(this);
  lbMail2->setText(QStringLiteral("[") + ContactAddress + QStringLiteral("]"));
  lbMail2->adjustSize();
  rgQS->hide(); // shares rgThree's place until "无" is chosen
  resize(ClientWidth, ClientHeight);
  SetTabOrder();
  ConnectHandlers();
  FRecordCopy =
      new TRecordCopy(this, {edR, edQe, edL, edLReal, cbbSourceType, rgOther, rgThree, rgQS});
  WatchCreditsPanel();
  Guarded([this] { FormCreate(); });
}

// A slot running a handler through the guarded dispatch.
std::function<void()> TfrmDis::Guard(void (TfrmDis::*handler)()) {
  return [this, handler] { Guarded([this, handler] { (this->*handler)(); }); };
}

void TfrmDis::ConnectHandlers() {
  connect(edS, &QLineEdit::textChanged, this, Guard(&TfrmDis::edSChange));
  const auto onSelect = [this](TRadioGroup *group, void (TfrmDis::*handler)()) {
    connect(group->Buttons(), &QButtonGroup::idToggled, this,
            [run = Guard(handler)](int, bool checked) {
              if (checked)
                run();
            });
  };
  onSelect(rgOther, &TfrmDis::rgOtherClick);
  onSelect(rgThree, &TfrmDis::rgThreeClick);
  onSelect(rgQS, &TfrmDis::rgQSClick);
  connect(BitBtn1, &QPushButton::clicked, this, Guard(&TfrmDis::BitBtn1Click));
  connect(BitBtn2, &QPushButton::clicked, this, Guard(&TfrmDis::BitBtn2Click));
  connect(BitBtn4, &QPushButton::clicked, this, Guard(&TfrmDis::BitBtn4Click));
  connect(new QShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10), this), &QShortcut::activated, this,
          &OpenFocusMenu);
  for (QLineEdit *box : {edS, edR, edCm, edV, edQe, edL}) {
    // Every typed character passes the key filter, so none may bypass it
    // through an input method's composition.
    box->setAttribute(Qt::WA_InputMethodEnabled, false);
    box->installEventFilter(this);
  }
}

// Tab wraps from edR back to edQe; a radio group is one stop, its selected item.
void TfrmDis::SetTabOrder() {
  QList<QWidget *> order{edQe, edL, edLReal, BitBtn1, BitBtn2, BitBtn4, cbbSourceType};
  order += rgOther->TabStops();
  order += rgThree->TabStops();
  order += rgQS->TabStops();
  order += QList<QWidget *>{edN, sgABCD, edCm, edV, edS, edR};
  for (qsizetype i = 1; i < order.size(); ++i)
    setTabOrder(order[i - 1], order[i]);
}

void TfrmDis::WatchCreditsPanel() {
  for (QWidget *widget : std::initializer_list<QWidget *>{plAuthor, Label16, lbMail1, Label19,
                                                          Label20, lbMail2, Label21}) {
    widget->setMouseTracking(true);
    widget->installEventFilter(this);
  }
}

// ---- Window events ---------------------------------------------------------

void TfrmDis::showEvent(QShowEvent *event) {
  QWidget::showEvent(event);
  if (FShown)
    return;
  FShown = true;
  Guarded([this] { FormShow(); });
  FitToScreen();
  CentreOnScreen(this);
  edQe->setFocus(Qt::OtherFocusReason);
  edQe->selectAll();
}

// A window taller or wider than the screen's free area (at 150 % on a
// 768-pixel screen) would lose its bottom rows: there the panel goes into a
// scroll area and the window shrinks to the free area. Elsewhere nothing
// changes.
void TfrmDis::FitToScreen() {
  const QSize room = screen()->availableGeometry().size().shrunkBy(FrameMargins(this));
  const QSize full = size();
  if (full.width() <= room.width() && full.height() <= room.height())
    return;
  auto *holder = new QWidget;
  holder->resize(full);
  plAll->setParent(holder);
  plAll->show();
  FScroller = new QScrollArea(this);
  FScroller->setFrameShape(QFrame::NoFrame);
  FScroller->setFocusPolicy(Qt::NoFocus);
  FScroller->viewport()->setAutoFillBackground(false); // the window's colour
  FScroller->setAlignment(Qt::AlignCenter);            // as FormResize centres plAll
  FScroller->setWidget(holder);
  FScroller->show();
  // Room for the scroll bar that the other direction then needs.
  const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, FScroller);
  const QSize wanted = full + QSize(full.height() > room.height() ? bar : 0,
                                    full.width() > room.width() ? bar : 0);
  resize(wanted.boundedTo(room));
}

void TfrmDis::resizeEvent(QResizeEvent *event) {
  QWidget::resizeEvent(event);
  Guarded([this] { FormResize(); });
}

void TfrmDis::changeEvent(QEvent *event) {
  if (event->type() == QEvent::LocaleChange)
    Guarded([] { ReadDecimalMark(); });
  QWidget::changeEvent(event);
}

bool TfrmDis::eventFilter(QObject *watched, QEvent *event) {
  switch (event->type()) {
  case QEvent::KeyPress:
    return NumericKeyPress(watched, static_cast<QKeyEvent *>(event));
  case QEvent::ChildPolished:
    // A filtered box's context menu, built afresh each time, is polished
    // just before it shows.
    if (auto *menu = qobject_cast<QMenu *>(static_cast<QChildEvent *>(event)->child()))
      HideSwallowedKeys(menu);
    return false;
  case QEvent::FocusOut: {
    // Only a move to another control of this window leaves edR; switching
    // to another application or opening a popup menu over it does not.
    const QWidget *next = QApplication::focusWidget();
    if (watched == edR && next && next != edR && next->window() == this)
      Guarded([this] { edRExit(); });
    return false;
  }
  case QEvent::MouseMove:
  case QEvent::MouseButtonRelease:
    return CreditsMouseEvent(watched, event);
  default:
    return false;
  }
}

// ---- Handlers ----------------------------------------------------------------

void TfrmDis::FormCreate() {
  sgABCD->SetCell(0, 0, QStringLiteral("计算系数"));
  sgABCD->SetCell(1, 0, QStringLiteral("系数值"));
  const QString names[] = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"),
                           QStringLiteral("D")};
  for (int row = 1; row <= 4; ++row)
    sgABCD->SetCell(0, row, names[row - 1]);
  edS->setText(QStringLiteral("100"));
  SetBoxText(edR, ValueToText(CheckedDivide(10, CheckedSqrt(Pi))));
  edCm->setText(LocalNumber(QStringLiteral("0.25")));
  edV->setText(LocalNumber(QStringLiteral("3.5")));
  edQe->setText(QStringLiteral("10"));
  edL->setText(QStringLiteral("100"));
  setWindowTitle(QStringLiteral("卫生防护距离1.0"));
}

void TfrmDis::FormShow() {
  SyncSourceType();
  ComputeDistance();
  DestroySplash();
}

void TfrmDis::FormResize() {
  if (FScroller) { // the scroll area centres plAll and lets the window shrink
    FScroller->setGeometry(rect());
    return;
  }
  const QSize client = size().expandedTo(plAll->size());
  if (client != size())
    resize(client);
  plAll->move((client.width() - plAll->width()) / 2, (client.height() - plAll->height()) / 2);
}

void TfrmDis::ReadInputs() {
  Calculator->SetArea(BoxText(edS));
  Calculator->SetRadius(BoxText(edR));
  Calculator->SetCm(BoxText(edCm));
  Calculator->SetWindSpeed(BoxText(edV));
  // The class typed or pasted, in any spelling the batch tool takes, selects
  // its item; text that names no class fails here like a box's text.
  const std::int32_t sourceClass = SourceClassFromText(cbbSourceType->currentText().toStdString());
  cbbSourceType->setCurrentIndex(sourceClass);
  Calculator->SetSourceClass(sourceClass);
  Calculator->SetQe(BoxText(edQe));
  Calculator->SetDistance(BoxText(edL));
}

void TfrmDis::ShowCoefficients() {
  const double values[] = {Calculator->A(), Calculator->B(), Calculator->C(), Calculator->D()};
  for (int row = 1; row <= 4; ++row)
    sgABCD->SetCell(1, row, QString::fromStdString(ValueToText(values[row - 1])));
}

void TfrmDis::SyncSourceType() {
  cbbSourceType->setCurrentIndex(
      SourceClassFromChoices(rgOther->ItemIndex(), rgThree->ItemIndex(), rgQS->ItemIndex()));
}

bool TfrmDis::FilterNumericKey(int key) {
  return key == 8 || key == 13 || key == static_cast<unsigned char>(DecimalMark) ||
         (key >= '0' && key <= '9');
}

// The key filter of the input boxes: true swallows the key.
bool TfrmDis::NumericKeyPress(QObject *box, const QKeyEvent *event) {
  const int key = TypedCharacter(*event);
  if (key == 0)
    return false;
  bool through = false;
  Guarded([&] {
    through = FilterNumericKey(key);
    if (through && key == 13 && box == edR)
      edRExit();
  });
  return !through;
}

void TfrmDis::edSChange() {
  Calculator->SetArea(BoxText(edS));
  SetBoxText(edR, Calculator->RadiusText());
}

void TfrmDis::edRExit() {
  Calculator->SetRadius(BoxText(edR));
  SetBoxText(edS, Calculator->AreaText());
}

void TfrmDis::rgOtherClick() {
  const bool stacks = rgOther->ItemIndex() == 0;
  rgThree->setVisible(stacks);
  rgQS->setVisible(!stacks);
  SyncSourceType();
}

void TfrmDis::rgThreeClick() {
  SyncSourceType();
}

void TfrmDis::rgQSClick() {
  SyncSourceType();
}

void TfrmDis::ComputeDistance() {
  ReadInputs();
  Calculator->CalcDistance();
  ShowResults(edL, Calculator->DistanceText());
  FRecordCopy->Keep(TDirection::Distance);
}

// The result computed (L or Qe) into its box, then what both computations show.
void TfrmDis::ShowResults(QLineEdit *computed, const std::string &text) {
  SetBoxText(computed, text);
  SetBoxText(edLReal, Calculator->GradedDistanceText());
  ShowCoefficients();
  SetBoxText(edN, CountToText(Calculator->Iterations()));
}

void TfrmDis::BitBtn1Click() {
  ComputeDistance();
  edN->repaint();
}

void TfrmDis::BitBtn2Click() {
  ReadInputs();
  Calculator->CalcEmission();
  ShowResults(edQe, Calculator->QeText());
  FRecordCopy->Keep(TDirection::Emission);
}

void TfrmDis::BitBtn4Click() {
  close();
}

// ---- Credits panel -------------------------------------------------------------

bool TfrmDis::CreditsMouseEvent(QObject *watched, const QEvent *event) {
  const bool link = watched == lbMail1 || watched == lbMail2;
  if (event->type() == QEvent::MouseButtonRelease) {
    const auto *mouse = static_cast<const QMouseEvent *>(event);
    if (!link)
      return false;
    if (mouse->button() == Qt::LeftButton &&
        static_cast<QWidget *>(watched)->rect().contains(mouse->position().toPoint()))
      Guarded([this] { lbMailClick(); });
    return true;
  }
  if (watched == lbMail1)
    Guarded([this] { lbMail1MouseMove(); });
  else if (watched == lbMail2)
    Guarded([this] { lbMail2MouseMove(); });
  else if (watched == plAuthor || watched == Label16 || watched == Label19 || watched == Label20 ||
           watched == Label21)
    Guarded([this] { ExitMouseMove(); });
  else
    return false;
  return true;
}

void TfrmDis::lbMail1MouseMove() {
  HighlightLink(lbMail1);
}

void TfrmDis::lbMail2MouseMove() {
  HighlightLink(lbMail2);
}

void TfrmDis::ExitMouseMove() {
  RestoreLink(lbMail1);
  RestoreLink(lbMail2);
}

void TfrmDis::lbMailClick() {
  if (!OpenMailLink(QUrl(QStringLiteral("mailto:") + ContactAddress)))
    ErrorDialog(QStringLiteral("不能发送邮件到[") + ContactAddress + QStringLiteral("]中！"), this);
}

// Red, 10 points, bold and underlined, on yellow, with the hand cursor. The
// points become whole pixels as the credits' 13 px height does: at 96 pixels
// per inch the link keeps its size.
void TfrmDis::HighlightLink(QLabel *link) {
  QFont font = lbMail1->font();
  font.setPixelSize(qRound(HighlightPoints * link->logicalDpiY() / 72.0));
  font.setBold(true);
  font.setUnderline(true);
  link->setFont(font);
  SetLabelColors(link, HighlightColor, QColor::fromRgb(HighlightBackground));
  link->setCursor(Qt::PointingHandCursor);
  if (link == lbMail2) // the one link that sizes itself to its text
    link->adjustSize();
}

// Blue and bold only, on the panel's colour; the size stays.
void TfrmDis::RestoreLink(QLabel *link) {
  QFont font = link->font();
  font.setBold(true);
  font.setItalic(false);
  font.setUnderline(false);
  font.setStrikeOut(false);
  link->setFont(font);
  SetLabelColors(link, LinkColor, plAuthor->palette().color(QPalette::Window));
  link->unsetCursor();
  if (link == lbMail2)
    link->adjustSize();
}
