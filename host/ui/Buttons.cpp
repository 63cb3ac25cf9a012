#include "host/ui/Buttons.h"

#include "host/ui/AnsiText.h"

namespace Buttons {

TSpeedButton::TSpeedButton(Classes::TComponent* AOwner)
    : QToolButton(nullptr), Controls::TWinControl(AOwner, *this) {
  setToolButtonStyle(Qt::ToolButtonTextOnly);
  setFocusPolicy(Qt::NoFocus);
  connect(this, &QToolButton::clicked, [this] {
    if (OnClick) Controls::Dispatch([this] { OnClick(this); });
  });
}

std::string TSpeedButton::Caption() const {
  std::string out;
  AnsiText::FromQString(text(), out);
  return out;
}

void TSpeedButton::SetCaption(const std::string& Value) { setText(AnsiText::ToQString(Value)); }

void TSpeedButton::SetGlyph(const QIcon& Glyph) {
  setIcon(Glyph);
  setToolButtonStyle(Glyph.isNull() ? Qt::ToolButtonTextOnly : Qt::ToolButtonIconOnly);
}

void TSpeedButton::Click() {
  if (OnClick) Controls::Dispatch([this] { OnClick(this); });
}

}  // namespace Buttons
