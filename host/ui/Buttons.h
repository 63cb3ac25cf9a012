// Host speed button: a flat tool-bar button with a caption or a glyph.
//
// User-interface thread only.
#pragma once

#include <QIcon>
#include <QToolButton>

#include <string>

#include "host/ui/Controls.h"

namespace Buttons {

class TSpeedButton : public QToolButton, public Controls::TWinControl {
 public:
  explicit TSpeedButton(Classes::TComponent* AOwner);
  std::string ClassName() const override { return "TSpeedButton"; }
  std::string Caption() const;
  void SetCaption(const std::string& Value);
  // Raised look only under the mouse.
  bool Flat() const { return autoRaise(); }
  void SetFlat(bool Value) { setAutoRaise(Value); }
  void SetGlyph(const QIcon& Glyph);
  // Presses the button as the user would: runs OnClick.
  void Click();
  Classes::TNotifyEvent OnClick;
};

}  // namespace Buttons
