#include "host/ui/Buttons.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>
#include <QShortcut>
#include <QStyle>
#include <QStyleOption>

#include <utility>

#include "host/ui/Accessible.h"
#include "host/ui/AnsiText.h"
#include "host/ui/Forms.h"

namespace Buttons {

namespace {

class TPaintedGlyph : public QIconEngine {
 public:
  TPaintedGlyph(int Design, TGlyphPaint Paint) : FDesign(Design), FPaint(std::move(Paint)) {}
  QIconEngine* clone() const override { return new TPaintedGlyph(FDesign, FPaint); }
  void paint(QPainter* Painter, const QRect& Rect, QIcon::Mode Mode, QIcon::State State) override {
    const qreal ratio = Painter->device() ? Painter->device()->devicePixelRatioF() : 1.0;
    const QPixmap image = scaledPixmap(Rect.size() * ratio, Mode, State, ratio);
    Painter->drawPixmap(Rect, image);
  }
  QPixmap pixmap(const QSize& Size, QIcon::Mode Mode, QIcon::State State) override {
    return scaledPixmap(Size, Mode, State, 1.0);
  }
  // Size is in device pixels: the glyph is painted on exactly that many.
  QPixmap scaledPixmap(const QSize& Size, QIcon::Mode Mode, QIcon::State, qreal Scale) override {
    QPixmap image(Size);
    image.fill(Qt::transparent);
    {
      QPainter p(&image);
      p.setRenderHint(QPainter::Antialiasing);
      p.scale(Size.width() / qreal(FDesign), Size.height() / qreal(FDesign));
      FPaint(p, QGuiApplication::palette());
    }
    if (Mode != QIcon::Normal && Mode != QIcon::Active) {
      QStyleOption option;
      option.palette = QGuiApplication::palette();
      image = QApplication::style()->generatedIconPixmap(Mode, image, &option);
    }
    image.setDevicePixelRatio(Scale > 0 ? Scale : 1.0);
    return image;
  }

 private:
  int FDesign;
  TGlyphPaint FPaint;
};

}  // namespace

QIcon PaintedGlyph(int Design, TGlyphPaint Paint) { return QIcon(new TPaintedGlyph(Design, std::move(Paint))); }

TSpeedButton::TSpeedButton(Classes::TComponent* AOwner)
    : QToolButton(nullptr), Controls::TWinControl(AOwner, *this) {
  setToolButtonStyle(Qt::ToolButtonTextOnly);
  setFocusPolicy(Qt::NoFocus);
  Accessible::DescribeByHint(*this);
  connect(this, &QToolButton::clicked, [this] {
    if (OnClick) Controls::Dispatch([this] { OnClick(this); });
  });
}

std::string TSpeedButton::Caption() const {
  std::string out;
  AnsiText::FromQString(text(), out);
  return out;
}

void TSpeedButton::SetCaption(const std::string& Value) {
  setText(AnsiText::ToQString(Value));
  Accessible::SetName(*this, Value);
}

void TSpeedButton::SetGlyph(const QIcon& Glyph) {
  setIcon(Glyph);
  setToolButtonStyle(Glyph.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
}

void TSpeedButton::Click() {
  if (OnClick) Controls::Dispatch([this] { OnClick(this); });
}

// ---- TBitBtn --------------------------------------------------------------------------

TBitBtn::TBitBtn(Classes::TComponent* AOwner) : QPushButton(nullptr), Controls::TWinControl(AOwner, *this) {
  // Only the button marked as default takes Enter; Qt would make every button of a
  // dialog a default candidate.
  setAutoDefault(false);
  Accessible::DescribeByHint(*this);
  connect(this, &QPushButton::clicked, [this] { Click(); });
}

std::string TBitBtn::Caption() const {
  std::string out;
  AnsiText::FromQString(text(), out);
  return out;
}

void TBitBtn::SetCaption(const std::string& Value) {
  setText(AnsiText::ToQString(Value));
  Accessible::SetName(*this, Value);
}

void TBitBtn::SetDefault(bool Value) { setDefault(Value); }

void TBitBtn::SetCancel(bool Value) {
  FCancel = Value;
  if (Value && !FEscape) {
    FEscape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    FEscape->setContext(Qt::WindowShortcut);
    connect(FEscape, &QShortcut::activated, [this] { Click(); });
  }
  if (FEscape) FEscape->setEnabled(Value);
}

void TBitBtn::Click() {
  // A handler that failed (or aborted) keeps the form open.
  bool done = true;
  if (OnClick) {
    done = false;
    Controls::Dispatch([&] {
      OnClick(this);
      done = true;
    });
  }
  if (!done || FModalResult == 0) return;
  if (auto* form = dynamic_cast<Forms::TForm*>(window())) form->SetModalResult(FModalResult);
}

}  // namespace Buttons
