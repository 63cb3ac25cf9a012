#include "host/ui/Controls.h"

#include <QEvent>
#include <QObject>

#include <exception>

#include "host/ui/AnsiText.h"
#include "host/ui/Dialogs.h"

namespace Controls {

QColor ToQColor(TColor Color) {
  return QColor(Color & 0xFF, (Color >> 8) & 0xFF, (Color >> 16) & 0xFF);
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
  if (FPainter) FPainter->fillRect(Rect, ToQColor(BrushColor));
}

void TCanvas::TextOut(int X, int Y, const std::string& Text) {
  if (!FPainter) return;
  FPainter->setPen(ToQColor(FontColor));
  const QFontMetrics metrics = FPainter->fontMetrics();
  FPainter->drawText(X, Y + metrics.ascent(), AnsiText::ToQString(Text));
}

// ---- TControl -------------------------------------------------------------------------

TControl::TControl(Classes::TComponent* AOwner, QWidget& Widget)
    : Classes::TComponent(AOwner), FWidget(Widget) {}

TControl::~TControl() = default;

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
  if (Value.Color != clDefault) {
    QPalette palette = FWidget.palette();
    palette.setColor(QPalette::WindowText, ToQColor(Value.Color));
    palette.setColor(QPalette::Text, ToQColor(Value.Color));
    palette.setColor(QPalette::ButtonText, ToQColor(Value.Color));
    FWidget.setPalette(palette);
  }
}

void TControl::SetColor(TColor Value) {
  FColor = Value;
  if (Value == clDefault) return;
  QPalette palette = FWidget.palette();
  palette.setColor(QPalette::Base, ToQColor(Value));
  palette.setColor(QPalette::Window, ToQColor(Value));
  palette.setColor(QPalette::Button, ToQColor(Value));
  FWidget.setPalette(palette);
  FWidget.setAutoFillBackground(true);
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
