// Host controls, the common part: every control is a component (Name, Tag, owner)
// and stands on the Qt widget it derives from, with the host's geometry, visibility,
// hint, font, colour, parent and alignment on top.
//
// Ownership: a control is destroyed by its owner component; its parent only shows it.
// Either side may go first: a control destroyed by Qt leaves its owner, and one
// destroyed by its owner leaves its Qt parent.
//
// Events are std::function members. Handlers run through Dispatch, so no exception
// crosses Qt's event loop: the silent abort is dropped, any other error is shown in a
// message box.
//
// User-interface thread only.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPalette>
#include <QRect>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>

#include "host/rtl/Classes.h"

namespace Controls {

// A colour as 0x00BBGGRR; clDefault keeps the style's colour.
using TColor = int32_t;
inline constexpr TColor clDefault = -1;
inline constexpr TColor clBlack = 0x000000;
inline constexpr TColor clRed = 0x0000FF;
inline constexpr TColor clWhite = 0xFFFFFF;
// A pale yellow that marks a control as different from its neighbours.
inline constexpr TColor clPaleYellow = 0x80FFFF;
// The system colours stand for a role of the current palette (high bit set, the role's
// number below), so what is drawn with them follows the user's light or dark theme.
inline constexpr TColor clWindow = static_cast<TColor>(0x80000005u);      // background of text
inline constexpr TColor clWindowText = static_cast<TColor>(0x80000008u);  // text on clWindow
inline constexpr TColor clBtnFace = static_cast<TColor>(0x8000000Fu);     // face of a button or form
inline constexpr TColor clBtnText = static_cast<TColor>(0x80000012u);     // text on clBtnFace
inline constexpr TColor clHighlight = static_cast<TColor>(0x8000000Du);   // selected item
inline constexpr TColor clHighlightText = static_cast<TColor>(0x8000000Eu);
inline constexpr TColor clGrayText = static_cast<TColor>(0x80000011u);  // text of a disabled control

// Color as Qt's colour: a system colour is looked up in Palette (the application's
// palette when none is given), any other is the fixed colour it names. clDefault gives
// the palette's text colour.
QColor ToQColor(TColor Color);
QColor ToQColor(TColor Color, const QPalette& Palette);
// The fixed colour (0x00BBGGRR) of a Qt colour; its alpha is dropped.
TColor FromQColor(const QColor& Color);

// The contrast ratio of two colours by their relative luminance, from 1 (equal) to 21
// (black on white). Text reads well from 4.5 on, a shape from 3.
double ContrastRatio(const QColor& A, const QColor& B);
// Text keeping its hue and saturation, made lighter or darker only as far as it needs
// to have at least MinRatio against Background; when no shade of its hue gets there,
// black or white, whichever contrasts more. Text that already contrasts is returned
// as it is.
QColor Readable(const QColor& Text, const QColor& Background, double MinRatio = 4.5);

// Runs an event handler: EAbort is dropped silently, any other exception is shown
// in an error box. Never throws.
void Dispatch(const std::function<void()>& Handler);

struct TFont {
  std::string Name;  // empty: the style's family
  int Size = 0;      // points; 0: the style's size
  bool Bold = false;
  TColor Color = clDefault;
  bool Underline = false;
  bool operator==(const TFont&) const = default;
};

enum class TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

struct TPoint {
  int X = 0, Y = 0;
};

// Drawing surface of an owner-drawn item, valid inside the draw event only. System
// colours are looked up in the canvas's palette: the control's, set with the painter
// (until then the application's palette as it was when the canvas was made).
class TCanvas {
 public:
  explicit TCanvas(QPainter* Painter = nullptr) : FPainter(Painter) {}
  void SetPainter(QPainter* Painter) { FPainter = Painter; }
  QPainter* Painter() const { return FPainter; }
  void SetPalette(const QPalette& Palette) { FPalette = Palette; }
  const QPalette& Palette() const { return FPalette; }
  TColor BrushColor = clWindow;
  TColor FontColor = clWindowText;
  void FillRect(const QRect& Rect);
  // Text with its top-left corner at (X, Y), in FontColor made Readable on BrushColor:
  // a colour keeps its meaning (red stays red) on a light or a dark background.
  void TextOut(int X, int Y, const std::string& Text);

 private:
  QPainter* FPainter;
  QPalette FPalette;
};

class TWinControl;

class TControl : public Classes::TComponent {
 public:
  // Widget is the Qt widget this control derives from.
  TControl(Classes::TComponent* AOwner, QWidget& Widget);
  ~TControl() override;
  std::string ClassName() const override { return "TControl"; }

  QWidget& Widget() const { return FWidget; }
  void SetName(const std::string& NewName) override;

  TWinControl* Parent() const { return FParent; }
  // Shows the control inside Parent (its client area); null takes it out.
  virtual void SetParent(TWinControl* AParent);

  int Left() const { return FWidget.x(); }
  int Top() const { return FWidget.y(); }
  int Width() const { return FWidget.width(); }
  int Height() const { return FWidget.height(); }
  void SetLeft(int Value) { SetBounds(Value, Top(), Width(), Height()); }
  void SetTop(int Value) { SetBounds(Left(), Value, Width(), Height()); }
  void SetWidth(int Value) { SetBounds(Left(), Top(), Value, Height()); }
  void SetHeight(int Value) { SetBounds(Left(), Top(), Width(), Value); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);

  // The control's own flag: a visible control of a hidden parent is not on screen.
  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  bool Enabled() const { return FWidget.isEnabled(); }
  virtual void SetEnabled(bool Value) { FWidget.setEnabled(Value); }

  const std::string& Hint() const { return FHint; }
  void SetHint(const std::string& Value);
  bool ShowHint() const { return FShowHint; }
  void SetShowHint(bool Value);

  const TFont& Font() const { return FFont; }
  void SetFont(const TFont& Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);

 private:
  class TThemeWatch;
  void ApplyHint();
  // Puts the font colour and the colour into the widget's palette, system colours as the
  // application's palette has them now and text Readable on its background; run again
  // when the application's palette changes.
  void ApplyColors();
  QWidget& FWidget;
  TThemeWatch* FThemeWatch = nullptr;  // owned here, made by the first colour
  TWinControl* FParent = nullptr;
  bool FVisible = true;
  std::string FHint;
  bool FShowHint = true;
  TFont FFont;
  TColor FColor = clDefault;
  TAlign FAlign = TAlign::alNone;
};

// A control that holds others. Aligned children are laid out in the order they were
// parented: top, bottom, left and right strips, then the client rest.
class TWinControl : public TControl {
 public:
  TWinControl(Classes::TComponent* AOwner, QWidget& Widget);
  ~TWinControl() override;
  std::string ClassName() const override { return "TWinControl"; }
  // Where children are placed.
  virtual QWidget& ClientWidget() { return Widget(); }
  // Lays out the aligned children again.
  virtual void Realign();
  // Told when a child was placed, moved, resized, shown or hidden.
  virtual void ChildBoundsChanged() {}
  int ClientWidth() { return ClientWidget().width(); }
  int ClientHeight() { return ClientWidget().height(); }

 protected:
  // Starts watching the client widget's size; called once the client exists.
  void WatchClient();

 private:
  class TResizeWatch;
  TResizeWatch* FWatch = nullptr;
};

}  // namespace Controls
