// Host buttons: the flat tool-bar speed button with a caption or a glyph, and the
// dialog push button that can close its form with a modal result.
//
// User-interface thread only.
#pragma once

#include <QIcon>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QToolButton>

#include <functional>
#include <string>

#include "host/ui/Controls.h"

class QShortcut;

namespace Buttons {

// Paints a glyph in a square of Design x Design units with the colours of Palette.
using TGlyphPaint = std::function<void(QPainter& Painter, const QPalette& Palette)>;

// A glyph that Paint draws anew for every size and device pixel ratio it is shown at,
// so it is sharp on any screen scaling, and with the application's palette of that
// moment, so it follows a light or dark theme. A disabled glyph is greyed by the style.
QIcon PaintedGlyph(int Design, TGlyphPaint Paint);

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

// A push button of a dialog. Clicking it runs OnClick and then, when its ModalResult
// is not 0, sets that result on the form it sits in, which closes a shown form.
class TBitBtn : public QPushButton, public Controls::TWinControl {
 public:
  explicit TBitBtn(Classes::TComponent* AOwner);
  std::string ClassName() const override { return "TBitBtn"; }
  std::string Caption() const;
  void SetCaption(const std::string& Value);
  // The default button is clicked by Enter anywhere in the form.
  bool Default() const { return isDefault(); }
  void SetDefault(bool Value);
  // The cancel button is clicked by Esc anywhere in the form.
  bool Cancel() const { return FCancel; }
  void SetCancel(bool Value);
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int Value) { FModalResult = Value; }
  // Presses the button as the user would.
  void Click();
  Classes::TNotifyEvent OnClick;

 private:
  bool FCancel = false;
  int FModalResult = 0;
  QShortcut* FEscape = nullptr;  // owned by the button (Qt's tree)
};

}  // namespace Buttons
