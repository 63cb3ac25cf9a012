#include "host/ui/Controls.h"

#include <QEvent>
#include <QGuiApplication>
#include <QObject>

#include <algorithm>
#include <cmath>
#include <exception>
#include <utility>

#include "host/ui/AnsiText.h"
#include "host/ui/Dialogs.h"

namespace Controls {

namespace {

constexpr uint32_t kSystemColor = 0x80000000u;

// The palette role a system colour stands for, and the colour group it is taken from.
struct TSystemRole {
  TColor Color;
  QPalette::ColorGroup Group;
  QPalette::ColorRole Role;
};
constexpr TSystemRole kSystemRoles[] = {
    {clWindow, QPalette::Active, QPalette::Base},
    {clWindowText, QPalette::Active, QPalette::Text},
    {clBtnFace, QPalette::Active, QPalette::Button},
    {clBtnText, QPalette::Active, QPalette::ButtonText},
    {clHighlight, QPalette::Active, QPalette::Highlight},
    {clHighlightText, QPalette::Active, QPalette::HighlightedText},
    {clGrayText, QPalette::Disabled, QPalette::Text},
};

// The relative luminance of a colour: its linear red, green and blue weighted as the
// eye sees them.
double Luminance(const QColor& C) {
  auto linear = [](int Channel) {
    const double v = Channel / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * linear(C.red()) + 0.7152 * linear(C.green()) + 0.0722 * linear(C.blue());
}

}  // namespace

QColor ToQColor(TColor Color) { return ToQColor(Color, QGuiApplication::palette()); }

QColor ToQColor(TColor Color, const QPalette& Palette) {
  if (Color == clDefault) return Palette.color(QPalette::Text);
  if (static_cast<uint32_t>(Color) & kSystemColor) {
    for (const TSystemRole& r : kSystemRoles)
      if (r.Color == Color) return Palette.color(r.Group, r.Role);
    return Palette.color(QPalette::Text);
  }
  return QColor(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF);
}

TColor FromQColor(const QColor& Color) { return Color.red() | (Color.green() << 8) | (Color.blue() << 16); }

double ContrastRatio(const QColor& A, const QColor& B) {
  const double a = Luminance(A), b = Luminance(B);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QColor Readable(const QColor& Text, const QColor& Background, double MinRatio) {
  if (ContrastRatio(Text, Background) >= MinRatio) return Text;
  // Away from the background: lighter on a dark one, darker on a light one. The
  // lightness moves in small steps, so the shade found is the nearest one that reads.
  const bool lighter = ContrastRatio(Qt::white, Background) >= ContrastRatio(Qt::black, Background);
  const QColor hsl = Text.toHsl();
  for (int step = 1; step <= 100; ++step) {
    const double change = step / 100.0;
    const double lightness = std::clamp(hsl.lightnessF() + (lighter ? change : -change), 0.0, 1.0);
    const QColor shade = QColor::fromHslF(hsl.hslHueF(), hsl.hslSaturationF(), lightness).toRgb();
    if (ContrastRatio(shade, Background) >= MinRatio) return shade;
  }
  return lighter ? QColor(Qt::white) : QColor(Qt::black);
}

void Dispatch(const std::function<void()>& Handler) {
  try {
    Handler();
  } catch (const SysUtils::EAbort&) {
  } catch (const SysUtils::Exception& e) {
    Dialogs::MessageDlg(e.Message(), Dialogs::TMsgDlgType::mtError, Dialogs::mbOKOnly, 0);
  } catch (const std::exception& e) {
    Dialogs::MessageDlg(e.what(), Dialogs::TMsgDlgType::mtError, Dialogs::mbOKOnly, 0);
  }
}

void TCanvas::FillRect(const QRect& Rect) {
  if (FPainter) FPainter->fillRect(Rect, ToQColor(BrushColor, FPalette));
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
  if (!FPainter) return;
  FPainter->setPen(Readable(ToQColor(FontColor, FPalette), ToQColor(BrushColor, FPalette)));
  const QFontMetrics metrics = FPainter->fontMetrics();
  FPainter->drawText(X, Y + metrics.ascent(), AnsiText::ToQString(Text));
}

// ---- TControl -------------------------------------------------------------------------

// Puts the colours into the widget's palette again when the application's palette
// changes (a light or dark theme chosen while the control is shown). Qt tells the widget
// with a palette change, also for the palette set here, so only a new application
// palette counts.
class TControl::TThemeWatch : public QObject {
 public:
  explicit TThemeWatch(TControl& Control) : FControl(Control) {}
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    const bool change = Event->type() == QEvent::PaletteChange || Event->type() == QEvent::ApplicationPaletteChange;
    if (change && QGuiApplication::palette().cacheKey() != Theme) FControl.ApplyColors();
    return QObject::eventFilter(Watched, Event);
  }
  qint64 Theme = 0;  // the application palette the colours were applied with

 private:
  TControl& FControl;
};

TControl::TControl(Classes::TComponent* AOwner, QWidget& Widget)
    : Classes::TComponent(AOwner), FWidget(Widget) {}

TControl::~TControl() {
  if (FThemeWatch) {
    FWidget.removeEventFilter(FThemeWatch);
    delete FThemeWatch;
  }
}

void TControl::SetName(const std::string& NewName) {
  Classes::TComponent::SetName(NewName);
  FWidget.setObjectName(QString::fromLatin1(NewName.c_str()));
}

void TControl::SetParent(TWinControl* AParent) {
  if (AParent == FParent) return;
  TWinControl* old = FParent;
  FParent = AParent;
  FWidget.setParent(AParent ? &AParent->ClientWidget() : nullptr);
  // Qt hides a widget that changes parent; a parented control shows as its flag says.
  if (AParent) FWidget.setVisible(FVisible);
  if (old) old->Realign();
  if (AParent && FAlign != TAlign::alNone) AParent->Realign();
  if (AParent) AParent->ChildBoundsChanged();
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  FWidget.setGeometry(ALeft, ATop, AWidth < 0 ? 0 : AWidth, AHeight < 0 ? 0 : AHeight);
  if (FParent && FAlign != TAlign::alNone) FParent->Realign();
  if (FParent) FParent->ChildBoundsChanged();
}

void TControl::SetVisible(bool Value) {
  FVisible = Value;
  if (FParent || FWidget.isWindow()) {
    if (FParent || !Value) FWidget.setVisible(Value);
  }
  if (FParent && FAlign != TAlign::alNone) FParent->Realign();
  if (FParent) FParent->ChildBoundsChanged();
}

void TControl::ApplyHint() {
  FWidget.setToolTip(FShowHint ? AnsiText::ToQString(FHint) : QString());
}

void TControl::SetHint(const std::string& Value) {
  FHint = Value;
  ApplyHint();
}

void TControl::SetShowHint(bool Value) {
  FShowHint = Value;
  ApplyHint();
}

void TControl::SetFont(const TFont& Value) {
  FFont = Value;
  QFont font = FWidget.font();
  if (!Value.Name.empty()) font.setFamily(AnsiText::ToQString(Value.Name));
  if (Value.Size > 0) font.setPointSize(Value.Size);
  font.setBold(Value.Bold);
  font.setUnderline(Value.Underline);
  FWidget.setFont(font);
  ApplyColors();
}

void TControl::SetColor(TColor Value) {
  FColor = Value;
  ApplyColors();
}

void TControl::ApplyColors() {
  if (FColor == clDefault && FFont.Color == clDefault) {
    if (FThemeWatch) FWidget.setPalette(QPalette());  // the inherited palette again
    return;
  }
  if (!FThemeWatch) {
    FThemeWatch = new TThemeWatch(*this);
    FWidget.installEventFilter(FThemeWatch);
  }
  // Only the roles set here are the widget's own; the others stay inherited.
  const QPalette theme = QGuiApplication::palette();
  FThemeWatch->Theme = theme.cacheKey();
  QPalette palette;
  const std::pair<QPalette::ColorRole, QPalette::ColorRole> pairs[] = {
      {QPalette::Base, QPalette::Text},
      {QPalette::Window, QPalette::WindowText},
      {QPalette::Button, QPalette::ButtonText}};
  for (const auto& [back, text] : pairs) {
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
      const QColor background = FColor == clDefault ? theme.color(group, back) : ToQColor(FColor, theme);
      const QColor ink = FFont.Color == clDefault ? theme.color(group, text) : ToQColor(FFont.Color, theme);
      if (FColor != clDefault) palette.setColor(group, back, background);
      // A named text colour keeps its hue; the theme's own text, on a named background
      // where it does not read, gives way to black or white.
      QColor shown = ink;
      if (FFont.Color != clDefault) shown = Readable(ink, background);
      else if (ContrastRatio(ink, background) < 4.5)
        shown = ContrastRatio(Qt::black, background) >= ContrastRatio(Qt::white, background) ? Qt::black : Qt::white;
      palette.setColor(group, text, shown);
    }
    if (FColor != clDefault) palette.setColor(QPalette::Disabled, back, ToQColor(FColor, theme));
  }
  FWidget.setPalette(palette);
  if (FColor != clDefault) FWidget.setAutoFillBackground(true);
}

void TControl::SetAlign(TAlign Value) {
  FAlign = Value;
  if (FParent) FParent->Realign();
}

// ---- TWinControl ----------------------------------------------------------------------

class TWinControl::TResizeWatch : public QObject {
 public:
  explicit TResizeWatch(TWinControl& Control) : FControl(Control) {}
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (Event->type() == QEvent::Resize) FControl.Realign();
    return QObject::eventFilter(Watched, Event);
  }

 private:
  TWinControl& FControl;
};

TWinControl::TWinControl(Classes::TComponent* AOwner, QWidget& Widget) : TControl(AOwner, Widget) {}

TWinControl::~TWinControl() {
  if (FWatch) {
    ClientWidget().removeEventFilter(FWatch);
    delete FWatch;
  }
}

void TWinControl::WatchClient() {
  if (FWatch) return;
  FWatch = new TResizeWatch(*this);
  ClientWidget().installEventFilter(FWatch);
}

void TWinControl::Realign() {
  WatchClient();
  QWidget& client = ClientWidget();
  QRect rest(0, 0, client.width(), client.height());
  TControl* clientChild = nullptr;
  // Strips first (top, bottom, left, right), each kind in parenting order, then the rest.
  for (TAlign kind : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient}) {
    for (QObject* object : client.children()) {
      auto* child = dynamic_cast<TControl*>(object);
      if (!child || child->Parent() != this || !child->Visible() || child->Align() != kind) continue;
      QWidget& w = child->Widget();
      switch (kind) {
        case TAlign::alNone:
          break;
        case TAlign::alTop:
          w.setGeometry(rest.left(), rest.top(), rest.width(), w.height());
          rest.setTop(rest.top() + w.height());
          break;
        case TAlign::alBottom:
          w.setGeometry(rest.left(), rest.bottom() + 1 - w.height(), rest.width(), w.height());
          rest.setBottom(rest.bottom() - w.height());
          break;
        case TAlign::alLeft:
          w.setGeometry(rest.left(), rest.top(), w.width(), rest.height());
          rest.setLeft(rest.left() + w.width());
          break;
        case TAlign::alRight:
          w.setGeometry(rest.right() + 1 - w.width(), rest.top(), w.width(), rest.height());
          rest.setRight(rest.right() - w.width());
          break;
        case TAlign::alClient:
          clientChild = child;
          break;
      }
    }
  }
  if (clientChild) clientChild->Widget().setGeometry(rest);
}

}  // namespace Controls
