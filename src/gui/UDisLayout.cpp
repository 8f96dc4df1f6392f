#include "UDisLayout.h"

#include <algorithm>
#include <iterator>
#include <variant>

#include <QApplication>
#include <QBitmap>
#include <QButtonGroup>
#include <QComboBox>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QValidator>

#include "UDis.h"
#include "UGrid.h"
#include "ime.h"
#include "record.h"

// The pictures are XPM text, compiled in and read by Qt directly: no image
// reader, whose first use looks through every image plug-in.
namespace Xpm {
#include "calc_distance.xpm"
#include "calc_emission.xpm"
#include "exit.xpm"
#include "kestrin.xpm"
} // namespace Xpm

namespace {

enum class TControlKind {
  Panel,        // raised one-pixel bevel, no caption, not a keyboard stop
  Label,        // opaque, sizes itself to its text keeping its left edge
  FixedLabel,   // opaque, keeps the given size
  Edit,         // sunken single border, select-all on keyboard focus
  ReadOnlyEdit, // as Edit, read-only but still focusable
  CountEdit,    // borderless, read-only, the panel's background
  ComboBox,     // editable drop-down; Text holds the items
  RadioGroup,   // caption and items from Choices
  Button,       // picture left of the caption, tooltip
  Grid,         // the coefficient grid
};

// The window's field a control is stored in; its type is the control's
// class. The alternatives are in the order of ClassOf below.
using TControlField = std::variant<QFrame * TfrmDis::*, QLabel * TfrmDis::*, QLineEdit * TfrmDis::*,
                                   QComboBox * TfrmDis::*, TRadioGroup * TfrmDis::*,
                                   QPushButton * TfrmDis::*, TCoefficientGrid * TfrmDis::*>;

// The alternative of TControlField a kind of control is stored in.
constexpr std::size_t ClassOf(TControlKind kind) {
  switch (kind) {
  case TControlKind::Panel:
    return 0;
  case TControlKind::Label:
  case TControlKind::FixedLabel:
    return 1;
  case TControlKind::Edit:
  case TControlKind::ReadOnlyEdit:
  case TControlKind::CountEdit:
    return 2;
  case TControlKind::ComboBox:
    return 3;
  case TControlKind::RadioGroup:
    return 4;
  case TControlKind::Button:
    return 5;
  case TControlKind::Grid:
    return 6;
  }
  return std::variant_npos;
}

// Background colour meaning "the parent's".
constexpr QRgb ParentColor = 0;

struct TControlLayout {
  TControlField Field;
  const char *Name;         // the field's name, the control's object name
  QFrame *TfrmDis::*Parent; // nullptr: the window itself
  TControlKind Kind;
  int Left, Top, Width, Height; // Width and Height 0: sized to the text
  QRgb Color;                   // background, or ParentColor
  int FontPx;                   // 0: the parent's font
  bool Bold;
  QRgb FontColor; // ParentColor: the parent's text colour
  const char *Text = "";
  Qt::AlignmentFlag Align = Qt::AlignLeft;
  const char *Hint = nullptr;            // buttons: the tooltip
  const char *const *Picture = nullptr;  // buttons: the picture, XPM
  const TChoiceGroup *Choices = nullptr; // radio groups: the record's own captions
};

// A control's field and its name, written once.
#define FIELD(name) &TfrmDis::name, #name

constexpr QRgb WindowColor = 0xFFDFFFEF;
constexpr int WindowFontPx = 11;
const QString WindowFontName = QStringLiteral("MS Sans Serif");

constexpr QRgb Blue = 0xFF0000FF;
constexpr QRgb Navy = 0xFF000080;
constexpr QRgb Teal = 0xFF008080;
constexpr QRgb Green = 0xFF008000;
constexpr QRgb Maroon = 0xFF800000;
constexpr QRgb Purple = 0xFF800080;
constexpr QRgb NoColor = ParentColor;

using K = TControlKind;
using D = TfrmDis;

// The whole window, parents before their children.
// clang-format off
constexpr TControlLayout MainWindowLayout[] = {
  // field, parent, kind, left, top, width, height, background, font px, bold, font colour, text
  {FIELD(plAll), nullptr, K::Panel, 2, 3, 612, 517, 0xFF400080, 0, false, NoColor},

  {FIELD(plS), &D::plAll, K::Panel, 4, 3, 605, 81, 0xFFFDEEE3, 0, false, NoColor},
  {FIELD(Label1), &D::plS, K::FixedLabel, 7, 13, 425, 20, NoColor, 16, false, Blue, "有害气体无组织排放源所在生产单元占地面积S："},
  {FIELD(edS), &D::plS, K::Edit, 434, 10, 121, 28, NoColor, 16, false, Blue},
  {FIELD(Label2), &D::plS, K::Label, 560, 17, 0, 0, NoColor, 16, true, Navy, "m^2"},
  {FIELD(Label3), &D::plS, K::FixedLabel, 7, 46, 425, 20, NoColor, 16, false, Blue, "有害气体无组织排放源所在生产单元等效半径r："},
  {FIELD(edR), &D::plS, K::Edit, 434, 42, 121, 28, NoColor, 16, false, Blue},
  {FIELD(Label4), &D::plS, K::Label, 562, 45, 0, 0, NoColor, 16, true, Navy, "m"},

  {FIELD(plCV), &D::plAll, K::Panel, 4, 86, 389, 81, 0xFFFCF7E0, 0, false, NoColor},
  {FIELD(Label5), &D::plCV, K::Label, 6, 13, 0, 0, NoColor, 16, false, Teal, "排放浓度限值Cm："},
  {FIELD(edCm), &D::plCV, K::Edit, 170, 8, 113, 28, NoColor, 16, false, Teal},
  {FIELD(Label7), &D::plCV, K::Label, 292, 11, 0, 0, NoColor, 16, true, Navy, "mg/m^3(N)"},
  {FIELD(Label8), &D::plCV, K::Label, 3, 50, 0, 0, NoColor, 16, false, Teal, "近五年平均风速V："},
  {FIELD(edV), &D::plCV, K::Edit, 170, 44, 113, 28, NoColor, 16, false, Teal},
  {FIELD(Label6), &D::plCV, K::Label, 291, 46, 0, 0, NoColor, 16, true, Navy, "m/s"},

  {FIELD(sgABCD), &D::plAll, K::Grid, 395, 86, 213, 80, 0xFFFFD2FF, 0, false, NoColor},

  {FIELD(plSourceType), &D::plAll, K::Panel, 4, 169, 605, 155, 0xFFDDF4FF, 0, false, NoColor},
  {FIELD(Label9), &D::plSourceType, K::FixedLabel, 88, 19, 281, 20, NoColor, 16, false, Blue, "工业企业大气污染源构成类别："},
  {FIELD(cbbSourceType), &D::plSourceType, K::ComboBox, 368, 16, 89, 28, NoColor, 16, false, Navy, "Ⅰ|Ⅱ|Ⅲ"},
  {FIELD(edN), &D::plSourceType, K::CountEdit, 497, 20, 81, 21, NoColor, 0, false, NoColor},
  {FIELD(rgOther), &D::plSourceType, K::RadioGroup, 7, 57, 290, 88, NoColor, 16, false, Green,
   "", Qt::AlignLeft, nullptr, nullptr, &OtherChoices},
  {FIELD(rgThree), &D::plSourceType, K::RadioGroup, 307, 57, 292, 88, NoColor, 16, false, Purple,
   "", Qt::AlignLeft, nullptr, nullptr, &ThreeChoices},
  {FIELD(rgQS), &D::plSourceType, K::RadioGroup, 307, 57, 292, 88, NoColor, 16, false, Maroon,
   "", Qt::AlignLeft, nullptr, nullptr, &QSChoices},

  {FIELD(plQL), &D::plAll, K::Panel, 4, 326, 517, 121, 0xFFFAE4ED, 0, false, NoColor},
  {FIELD(Label10), &D::plQL, K::FixedLabel, 8, 19, 337, 20, NoColor, 16, false, Blue, "工业企业有害气体无组织排放强度Qe："},
  {FIELD(edQe), &D::plQL, K::Edit, 352, 13, 121, 28, NoColor, 16, false, Blue},
  {FIELD(Label11), &D::plQL, K::Label, 478, 17, 0, 0, NoColor, 16, true, Navy, "kg/h"},
  {FIELD(Label12), &D::plQL, K::FixedLabel, 7, 52, 337, 21, NoColor, 16, false, Blue, "工业企业卫生防护距离(公式计算值)L："},
  {FIELD(edL), &D::plQL, K::Edit, 352, 47, 121, 28, NoColor, 16, false, Blue},
  {FIELD(Label13), &D::plQL, K::Label, 479, 51, 0, 0, NoColor, 16, true, Navy, "m"},
  {FIELD(Label14), &D::plQL, K::FixedLabel, 8, 86, 337, 20, NoColor, 16, false, Blue, "工业企业卫生防护距离(级差确定值)L："},
  {FIELD(edLReal), &D::plQL, K::ReadOnlyEdit, 352, 81, 121, 28, NoColor, 16, false, Blue},
  {FIELD(Label15), &D::plQL, K::Label, 479, 82, 0, 0, NoColor, 16, true, Navy, "m"},

  {FIELD(plbutton), &D::plAll, K::Panel, 524, 326, 85, 121, 0xFFFFB0B0, 0, false, NoColor},
  {FIELD(BitBtn1), &D::plbutton, K::Button, 4, 8, 77, 30, NoColor, 11, true, Navy, "计算距离", Qt::AlignLeft,
   "计算卫生防护距离", Xpm::calc_distance},
  {FIELD(BitBtn2), &D::plbutton, K::Button, 4, 45, 77, 30, NoColor, 11, true, Navy, "计算源强", Qt::AlignLeft,
   "计算允许排放量", Xpm::calc_emission},
  {FIELD(BitBtn4), &D::plbutton, K::Button, 4, 82, 77, 30, NoColor, 11, true, Navy, "关      闭", Qt::AlignLeft,
   "退出系统", Xpm::exit},

  // The credits: the maker's details are this project's own.
  {FIELD(plAuthor), &D::plAll, K::Panel, 4, 449, 605, 65, 0xFFE8D0FF, 13, true, Blue},
  {FIELD(Label16), &D::plAuthor, K::FixedLabel, 48, 11, 361, 16, NoColor, 0, false, Blue, "Kestrin 开发组", Qt::AlignHCenter},
  {FIELD(lbMail1), &D::plAuthor, K::FixedLabel, 405, 11, 113, 16, NoColor, 0, false, Blue, "[作者：林 安]"},
  {FIELD(Label19), &D::plAuthor, K::FixedLabel, 522, 12, 34, 16, NoColor, 0, false, Blue, "开发"},
  {FIELD(Label20), &D::plAuthor, K::Label, 73, 37, 0, 0, NoColor, 0, false, Navy, "版权所有", Qt::AlignHCenter},
  {FIELD(lbMail2), &D::plAuthor, K::Label, 165, 36, 0, 0, NoColor, 0, false, Navy}, // "[" address "]", set by the window
  {FIELD(Label21), &D::plAuthor, K::FixedLabel, 318, 37, 218, 16, NoColor, 0, false, Navy, "版本 1.0  2026-12-08", Qt::AlignHCenter},
};
// clang-format on
#undef FIELD

// Each row stores its control in a field of the control's class, and its
// parent is a panel of an earlier row, so that the parent exists when the
// control is made.
constexpr bool LayoutIsSound() {
  constexpr std::size_t count = std::size(MainWindowLayout);
  for (std::size_t i = 0; i < count; ++i) {
    const TControlLayout &entry = MainWindowLayout[i];
    if (entry.Field.index() != ClassOf(entry.Kind))
      return false;
    bool parentMade = entry.Parent == nullptr;
    for (std::size_t j = 0; j < i && !parentMade; ++j) {
      const auto *panel = std::get_if<QFrame * TfrmDis::*>(&MainWindowLayout[j].Field);
      parentMade = panel && *panel == entry.Parent;
    }
    if (!parentMade)
      return false;
  }
  return true;
}
static_assert(LayoutIsSound(), "a layout row's kind and field differ, or its parent comes later");

// Pictured buttons: the picture 4 pixels left of the caption, the pair
// centred in the button and each centred vertically; the contents shift one
// pixel while pressed; the tooltip wakes after 500 ms (Qt asks the style of
// the widget under the mouse, so the other controls keep the default). On
// the application's style: a proxy made without a base would draw on Qt's
// default style whatever the application's is.
class TButtonStyle : public QProxyStyle {
public:
  TButtonStyle() : QProxyStyle(QApplication::style()->name()) {}

  int pixelMetric(PixelMetric metric, const QStyleOption *option,
                  const QWidget *widget) const override {
    if (metric == PM_ButtonShiftHorizontal || metric == PM_ButtonShiftVertical)
      return 1;
    return QProxyStyle::pixelMetric(metric, option, widget);
  }
  int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                QStyleHintReturn *returnData) const override {
    if (hint == SH_ToolTip_WakeUpDelay)
      return 500;
    return QProxyStyle::styleHint(hint, option, widget, returnData);
  }
  void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                   const QWidget *widget) const override {
    const auto *button = qstyleoption_cast<const QStyleOptionButton *>(option);
    if (element != CE_PushButtonLabel || !button || button->icon.isNull())
      return QProxyStyle::drawControl(element, option, painter, widget);
    DrawPictureAndCaption(*button, painter, widget);
  }

private:
  static constexpr int PictureSpacing = 4;

  void DrawPictureAndCaption(const QStyleOptionButton &button, QPainter *painter,
                             const QWidget *widget) const {
    const bool enabled = button.state & State_Enabled;
    QRect contents = button.rect;
    if (button.state & (State_On | State_Sunken))
      contents.translate(pixelMetric(PM_ButtonShiftHorizontal, &button, widget),
                         pixelMetric(PM_ButtonShiftVertical, &button, widget));
    const QSize picture = button.iconSize;
    const int captionWidth = button.fontMetrics.horizontalAdvance(button.text);
    const int left =
        contents.x() + (contents.width() - picture.width() - PictureSpacing - captionWidth) / 2;
    const QRect pictureRect(QPoint(left, contents.y() + (contents.height() - picture.height()) / 2),
                            picture);
    painter->drawPixmap(pictureRect,
                        button.icon.pixmap(picture, painter->device()->devicePixelRatio(),
                                           enabled ? QIcon::Normal : QIcon::Disabled));
    const QRect captionRect(pictureRect.right() + 1 + PictureSpacing, contents.y(), captionWidth,
                            contents.height());
    drawItemText(painter, captionRect, Qt::AlignLeft | Qt::AlignVCenter, button.palette, enabled,
                 button.text, QPalette::ButtonText);
  }
};

// Copying a spreadsheet cell gives its number followed by one line break.
// No key types a line break, so a single one just before the cursor after an
// edit ends pasted text. The box is told the edit is invalid, so it takes
// the edit back keeping its undo history, and the edit is made again at once
// without the break: one edit, which Undo takes back whole. Any other text
// stays as pasted.
class TPastedLineBreak : public QValidator {
public:
  explicit TPastedLineBreak(QLineEdit *box) : QValidator(box), FBox(box), FText(box->text()) {}

  State validate(QString &text, int &cursor) const override {
    const QStringView typed = QStringView(text).first(cursor);
    const qsizetype lineBreak = typed.endsWith(u"\r\n") ? 2 : typed.endsWith(u'\n') ? 1 : 0;
    const QStringView before = typed.chopped(lineBreak);
    if (lineBreak == 0 || before.endsWith(u'\n') || before.endsWith(u'\r')) {
      FText = text;
      return Acceptable;
    }
    PasteAgain(text, cursor - lineBreak, text.size() - cursor);
    return Invalid;
  }

private:
  // The edit replaced FText[start, end) by text[start, pastedEnd) and kept
  // the last `kept` characters.
  void PasteAgain(const QString &text, qsizetype pastedEnd, qsizetype kept) const {
    const qsizetype end = std::max<qsizetype>(0, FText.size() - kept);
    qsizetype start = 0;
    while (start < end && start < pastedEnd && FText[start] == text[start])
      ++start;
    QMetaObject::invokeMethod(
        FBox,
        [box = FBox, old = FText, start, end, pasted = text.mid(start, pastedEnd - start)] {
          if (box->text() != old) // not an edit the box took back
            return;
          box->setSelection(int(start), int(end - start));
          box->insert(pasted);
        },
        Qt::QueuedConnection);
  }

  QLineEdit *FBox;
  mutable QString FText; // the text last accepted
};

void SetTextColor(QWidget *widget, QRgb color) {
  QPalette palette = widget->palette();
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    palette.setColor(role, QColor::fromRgb(color));
  widget->setPalette(palette);
}

void SetColor(QWidget *widget, QPalette::ColorRole role, const QColor &color) {
  QPalette palette = widget->palette();
  palette.setColor(role, color);
  widget->setPalette(palette);
}

// The class a field of TControlField holds a pointer to.
template <typename Field> struct TFieldClass;
template <typename T> struct TFieldClass<T * TfrmDis::*> { using Type = T; };
template <typename Field> using ClassOfField = typename TFieldClass<Field>::Type;

// What a screen reader says for a box: the text of its label as its name
// (the label also becomes the box's labelling relation), its unit as its
// description.
void Describe(QWidget *control, QLabel *label, const QLabel *unit = nullptr) {
  control->setAccessibleName(label->text());
  label->setBuddy(control);
  if (unit)
    control->setAccessibleDescription(unit->text());
}

void NameForScreenReaders(const TfrmDis &w) {
  Describe(w.edS, w.Label1, w.Label2);
  Describe(w.edR, w.Label3, w.Label4);
  Describe(w.edCm, w.Label5, w.Label7);
  Describe(w.edV, w.Label8, w.Label6);
  Describe(w.cbbSourceType, w.Label9);
  // On Linux Qt names a combo box by its text; the box typed into carries the name.
  w.cbbSourceType->lineEdit()->setAccessibleName(w.Label9->text());
  w.edN->setAccessibleName(QStringLiteral("迭代次数")); // no label of its own
  w.sgABCD->setAccessibleName(QStringLiteral("计算系数"));
  Describe(w.edQe, w.Label10, w.Label11);
  Describe(w.edL, w.Label12, w.Label13);
  Describe(w.edLReal, w.Label14, w.Label15);
}

QWidget *CreateControl(const TControlLayout &entry, QWidget *parent) {
  const QString text = QString::fromUtf8(entry.Text);
  switch (entry.Kind) {
  case K::Panel: {
    auto *panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setLineWidth(1);
    panel->setAutoFillBackground(true);
    return panel;
  }
  case K::Label:
  case K::FixedLabel: {
    auto *label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(entry.Align | Qt::AlignTop);
    label->setAutoFillBackground(true);
    return label;
  }
  case K::Edit:
  case K::ReadOnlyEdit:
  case K::CountEdit: {
    auto *edit = new QLineEdit(parent);
    UsePinyinInputMethod(edit);
    edit->setReadOnly(entry.Kind != K::Edit);
    if (entry.Kind == K::Edit)
      edit->setValidator(new TPastedLineBreak(edit));
    if (entry.Kind == K::CountEdit) {
      edit->setFrame(false);
      SetColor(edit, QPalette::Base, parent->palette().color(QPalette::Window));
    }
    return edit;
  }
  case K::ComboBox: {
    auto *combo = new QComboBox(parent);
    UsePinyinInputMethod(combo);
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setValidator(new TPastedLineBreak(combo->lineEdit()));
    combo->addItems(text.split(u'|'));
    for (int i = 0; i < combo->count(); ++i)
      combo->setItemData(i, QSize(0, 20), Qt::SizeHintRole);
    return combo;
  }
  case K::RadioGroup: {
    const TChoiceGroup &choices = *entry.Choices;
    auto *group = new TRadioGroup(
        {QString::fromUtf8(choices.Items[0]), QString::fromUtf8(choices.Items[1])}, parent);
    group->setTitle(QString::fromUtf8(choices.Caption));
    return group;
  }
  case K::Button: {
    auto *button = new QPushButton(text, parent);
    button->setIcon(LoadButtonPicture(entry.Picture));
    button->setIconSize(QSize(16, 16));
    button->setToolTip(QString::fromUtf8(entry.Hint));
    button->setToolTipDuration(2500);
    button->setAutoDefault(true); // Enter presses the focused button, as Space does
    return button;
  }
  case K::Grid:
    return new TCoefficientGrid(parent);
  }
  return nullptr;
}

void ApplyLayout(QWidget *widget, const TControlLayout &entry) {
  widget->setObjectName(QString::fromLatin1(entry.Name));
  if (entry.FontPx != 0) {
    QFont font = widget->font();
    font.setPixelSize(entry.FontPx);
    font.setBold(entry.Bold);
    widget->setFont(font);
  }
  if (entry.Color != ParentColor)
    SetColor(widget, entry.Kind == K::Grid ? QPalette::Base : QPalette::Window,
             QColor::fromRgb(entry.Color));
  if (entry.FontColor != ParentColor)
    SetTextColor(widget, entry.FontColor);
  if (entry.Kind == K::Label) {
    widget->move(entry.Left, entry.Top);
    widget->adjustSize();
  } else {
    widget->setGeometry(entry.Left, entry.Top, entry.Width, entry.Height);
  }
  if (entry.Kind == K::RadioGroup)
    static_cast<TRadioGroup *>(widget)->ArrangeButtons();
}

} // namespace

QIcon LoadButtonPicture(const char *const xpm[]) {
  const QImage image(xpm);
  if (image.isNull())
    return {};
  QPixmap pixmap = QPixmap::fromImage(image);
  const QColor transparent = QColor::fromRgb(image.pixel(0, image.height() - 1));
  pixmap.setMask(pixmap.createMaskFromColor(transparent, Qt::MaskInColor));
  const int side = pixmap.height();
  QIcon icon(pixmap.copy(0, 0, side, side));
  if (pixmap.width() >= 2 * side)
    icon.addPixmap(pixmap.copy(side, 0, side, side), QIcon::Disabled);
  return icon;
}

void BuildControls(TfrmDis *window) {
  window->setWindowIcon(QIcon(QPixmap(Xpm::kestrin)));
  QFont font(WindowFontName);
  font.setPixelSize(WindowFontPx);
  window->setFont(font);
  SetColor(window, QPalette::Window, QColor::fromRgb(WindowColor));

  QList<QWidget *> buttons;
  for (const TControlLayout &entry : MainWindowLayout) {
    QWidget *parent = window;
    if (entry.Parent)
      parent = window->*entry.Parent;
    QWidget *widget = CreateControl(entry, parent);
    ApplyLayout(widget, entry);
    // LayoutIsSound: the field has the class CreateControl made for the kind.
    std::visit(
        [&](auto field) { window->*field = static_cast<ClassOfField<decltype(field)> *>(widget); },
        entry.Field);
    if (entry.Kind == K::Button)
      buttons.append(widget);
  }
  // Made last, so it is destroyed after the buttons that use it.
  auto *buttonStyle = new TButtonStyle;
  buttonStyle->setParent(window);
  for (QWidget *button : buttons)
    button->setStyle(buttonStyle);
  NameForScreenReaders(*window);
}

TRadioGroup::TRadioGroup(const QStringList &items, QWidget *parent)
    : QGroupBox(parent), FButtons(new QButtonGroup(this)) {
  for (int i = 0; i < items.size(); ++i)
    FButtons->addButton(new QRadioButton(items[i], this), i);
  FButtons->button(0)->setChecked(true);
  UpdateTabStops();
  connect(FButtons, &QButtonGroup::idToggled, this, [this](int, bool checked) {
    if (checked)
      UpdateTabStops();
  });
}

int TRadioGroup::ItemIndex() const {
  return FButtons->checkedId();
}

QList<QWidget *> TRadioGroup::TabStops() const {
  QList<QWidget *> stops;
  for (QAbstractButton *button : FButtons->buttons())
    stops.append(button);
  return stops;
}

// The items share the height below the caption evenly, the remainder split
// above and below them.
void TRadioGroup::ArrangeButtons() {
  const QList<QAbstractButton *> buttons = FButtons->buttons();
  const int count = int(buttons.size());
  const int textHeight = fontMetrics().height();
  const int room = height() - textHeight - 5;
  const int step = room / count;
  const int top = textHeight + 1 + (room % count) / 2;
  for (int i = 0; i < count; ++i)
    buttons[i]->setGeometry(8, top + i * step, width() - 10, step);
}

// A group is one keyboard stop: Tab reaches only its selected item, while a
// click still gives any item the focus.
void TRadioGroup::UpdateTabStops() {
  for (QAbstractButton *button : FButtons->buttons())
    button->setFocusPolicy(button->isChecked() ? Qt::StrongFocus : Qt::ClickFocus);
}
