// Host standard controls over Qt Widgets: edit, drop-down list, check box, list box,
// memo and label.
//
// Item lists (TComboBox::Items, TListBox::Items, TMemo::Lines) are TStrings bound to
// the control: changing them changes what the control shows. Each item may carry one
// object reference (not owned). Change events fire on user action only: setting an
// index or a text from the program fires nothing.
//
// User-interface thread only.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/rtl/Classes.h"
#include "host/ui/Controls.h"

namespace StdCtrls {

using Controls::TWinControl;
using TKeyPressEvent = std::function<void(Classes::TObject* Sender, char& Key)>;

// The modifier keys held with a key; bit n is element n.
enum TShiftStateFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4 };
using TShiftState = unsigned;
// Key codes of the key events, as the host numbers its virtual keys.
inline constexpr uint16_t VK_RETURN = 13;
inline constexpr uint16_t VK_ESCAPE = 27;
inline constexpr uint16_t VK_LEFT = 37;
inline constexpr uint16_t VK_UP = 38;
inline constexpr uint16_t VK_RIGHT = 39;
inline constexpr uint16_t VK_DOWN = 40;
inline constexpr uint16_t VK_DELETE = 46;
// Told of a key pressed or released; Key is 0 for keys without a code here.
using TKeyEvent = std::function<void(Classes::TObject* Sender, uint16_t& Key, TShiftState Shift)>;
// The host's code and modifiers of a Qt key event (0 for keys without a code here).
uint16_t KeyCode(const QKeyEvent& Event);
TShiftState ShiftState(const QKeyEvent& Event);

// A one-line edit.
class TEdit : public QLineEdit, public TWinControl {
 public:
  explicit TEdit(Classes::TComponent* AOwner);
  std::string ClassName() const override { return "TEdit"; }

  virtual std::string Text() const;
  // Sets the text as the program, whole whatever MaxLength is: Modified becomes false
  // and OnChange does not fire.
  virtual void SetText(const std::string& Value);
  // The most characters the user may bring the text to by typing, pasting or dropping;
  // 0: no limit. A limit never cuts text: neither the present text when it is set, nor
  // text the program sets later. The user may still shorten a longer text.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value);
  // True once the user has changed the text since the program last set it.
  bool Modified() const { return isModified(); }
  void SetModified(bool Value) { setModified(Value); }
  // Types Text as the user would, one key press at a time (through OnKeyPress).
  void TypeText(const std::string& Text);
  bool ReadOnly() const { return isReadOnly(); }
  void SetReadOnly(bool Value) { setReadOnly(Value); }
  // The focus leaves the edit, as when the user moves on: runs OnExit.
  void DoExit();

  // Told of every typed character (backspace is #8); setting Key to #0 drops it.
  TKeyPressEvent OnKeyPress;
  // Told when the user has changed the text; never when the program sets it.
  Classes::TNotifyEvent OnChange;
  Classes::TNotifyEvent OnExit;

 protected:
  // The edit keeps its own word-deleting keys (Ctrl+Del, Ctrl+Backspace): a form's
  // shortcut on them would act on the whole form from inside a text.
  bool event(QEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
  void focusOutEvent(QFocusEvent* Event) override;
  // Offers Key to OnKeyPress; false when the handler dropped it.
  bool KeyPress(char& Key);
  // Runs OnChange; the one way it is raised.
  virtual void Change();
  // Put Value into the Qt widget as the program does: past the user's length limit,
  // and without OnChange.
  void SetQtText(const QString& Value);
  void SetQtInputMask(const QString& Value);

 private:
  class TLengthLimit;
  int FMaxLength = 0;
  int FLastLength = 0;        // the text's length before the change being checked
  bool FProgramSets = false;  // the program, not the user, is changing the text
};

enum class TComboBoxStyle { csDropDown, csDropDownList };

// A drop-down list. Sorted lists keep their items in the order of AnsiCompareText.
// The choice follows its item when items are added or deleted around it; deleting the
// chosen item leaves no choice.
class TComboBox : public QComboBox, public TWinControl {
 public:
  explicit TComboBox(Classes::TComponent* AOwner);
  ~TComboBox() override;
  std::string ClassName() const override { return "TComboBox"; }

  Classes::TStrings* Items() const;
  // -1 for no choice; an index outside the items gives no choice. Fires nothing.
  int ItemIndex() const { return currentIndex(); }
  void SetItemIndex(int Value);
  // The shown text of the chosen item, or the empty text.
  std::string Text() const;
  bool Sorted() const { return FSorted; }
  // Sorting sorts the present items at once.
  void SetSorted(bool Value);
  TComboBoxStyle Style() const { return FStyle; }
  void SetStyle(TComboBoxStyle Value);
  int DropDownCount() const { return maxVisibleItems(); }
  void SetDropDownCount(int Value) { setMaxVisibleItems(Value); }
  // The least width of the open list.
  void SetDropWidth(int Pixels);
  int DropWidth() const;
  // Chooses Index as the user would: fires OnChange.
  void UserSelect(int Index);
  // A compact drop-down list draws its text from 2 pixels in to 16 pixels before the
  // right edge (the arrow), not within the style's wider margins: a narrow one keeps
  // more of its text. Cheaper than a style sheet, which Qt gives a style of its own.
  bool Compact() const { return FCompact; }
  void SetCompact(bool Value);

  Classes::TNotifyEvent OnChange;
  Classes::TNotifyEvent OnDropDown;

  void showPopup() override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  // Qt builds a drop-down's open list (a window with a list view, scroll bars and
  // timers) at the first font or style change, which every control gets when it is
  // placed on a form. Until the list is first needed (opened, its width asked for or
  // set, a size hint asked for again after Qt kept one) those changes are noted, not
  // handled, and then handled as Qt would have: a form with thousands of drop-downs
  // builds no list the user does not open.
  void changeEvent(QEvent* Event) override;
  void paintEvent(QPaintEvent* Event) override;

 private:
  class TItems;
  class TModel;
  // Handles the font and style changes held back by changeEvent; the open list
  // exists afterwards.
  void BuildList() const;
  bool ListBuilt() const;
  std::unique_ptr<TItems> FItems;
  TModel* FModel = nullptr;  // owned by the combo box (Qt's tree)
  bool FSorted = false;
  TComboBoxStyle FStyle = TComboBoxStyle::csDropDown;
  bool FCompact = false;
  mutable bool FFontChanged = false;   // a font change waits for BuildList
  mutable bool FStyleChanged = false;  // a style change waits for BuildList
  mutable bool FHinted = false;     // Qt has computed a size hint and keeps it
  mutable bool FHintStale = false;  // ... from before a held-back change
};

class TCheckBox : public QCheckBox, public TWinControl {
 public:
  explicit TCheckBox(Classes::TComponent* AOwner);
  std::string ClassName() const override { return "TCheckBox"; }
  bool Checked() const { return isChecked(); }
  void SetChecked(bool Value) { setChecked(Value); }
  std::string Caption() const;
  void SetCaption(const std::string& Value);
  Classes::TNotifyEvent OnClick;
};

enum class TListBoxStyle { lbStandard, lbOwnerDrawFixed };
enum class TDragMode { dmManual, dmAutomatic };
enum class TDragState { dsDragEnter, dsDragLeave, dsDragMove };
enum TOwnerDrawStateFlag : unsigned { odSelected = 1, odFocused = 2 };

class TListBox;
using TDragOverEvent = std::function<void(Classes::TObject* Sender, Classes::TObject* Source, int X,
                                          int Y, TDragState State, bool& Accept)>;
using TDragDropEvent =
    std::function<void(Classes::TObject* Sender, Classes::TObject* Source, int X, int Y)>;
using TDrawItemEvent =
    std::function<void(TListBox* Control, int Index, const QRect& Rect, unsigned State)>;

// A list of text items with single selection, owner drawing and drag and drop.
class TListBox : public QListWidget, public TWinControl {
 public:
  explicit TListBox(Classes::TComponent* AOwner);
  ~TListBox() override;
  std::string ClassName() const override { return "TListBox"; }

  Classes::TStrings* Items() const;
  int ItemIndex() const { return currentRow(); }
  void SetItemIndex(int Value);
  // The item under the point of the client area; when none, -1 if Existing, else
  // the item count for a point below the last item.
  int ItemAtPos(Controls::TPoint Pos, bool Existing) const;

  TListBoxStyle Style() const { return FStyle; }
  void SetStyle(TListBoxStyle Value);
  int ItemHeight() const { return FItemHeight; }
  void SetItemHeight(int Value);
  TDragMode DragMode() const { return FDragMode; }
  void SetDragMode(TDragMode Value) { FDragMode = Value; }
  // A sorted list puts every added item in the order of AnsiCompareText (equal texts
  // after the ones there); sorting sorts the present items at once.
  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  // Clicks item Index as the user would: selects it and runs OnClick.
  void ClickItem(int Index);
  // Releases Key with the modifiers Shift as the user would: runs OnKeyUp.
  void KeyUp(uint16_t Key, TShiftState Shift);
  // Presses Key as the user would: runs OnKeyDown; true when the handler took the key
  // (set it to 0), so the list's own handling of it does not run.
  bool KeyDown(uint16_t Key, TShiftState Shift);
  // The canvas of the owner-draw event.
  Controls::TCanvas* Canvas() { return &FCanvas; }

  TDrawItemEvent OnDrawItem;
  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  // The user chose an item with the mouse.
  Classes::TNotifyEvent OnClick;
  // Told of a key pressed before the list moves its selection; setting Key to 0 takes
  // the key (the list does nothing with it, and it goes no further, not to the form).
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;

  // What a drop of Source at (X, Y) does, as the mouse would do it: asks OnDragOver,
  // and when accepted runs OnDragDrop. Returns whether it was accepted.
  bool DropFrom(Classes::TObject* Source, int X, int Y);

 protected:
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void dragEnterEvent(QDragEnterEvent* Event) override;
  void dragMoveEvent(QDragMoveEvent* Event) override;
  void dropEvent(QDropEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;
  void keyReleaseEvent(QKeyEvent* Event) override;

 private:
  class TItems;
  class TDelegate;
  bool AcceptsFrom(QObject* Source, QPoint Pos, TDragState State);
  std::unique_ptr<TItems> FItems;
  TListBoxStyle FStyle = TListBoxStyle::lbStandard;
  int FItemHeight = 16;
  TDragMode FDragMode = TDragMode::dmManual;
  bool FSorted = false;
  Controls::TCanvas FCanvas;
  QPoint FPressPos;
  bool FPressed = false;
};

// A multi-line edit. Lines is bound to the text: a line added by the program ends in
// CR LF; text the user types has the breaks the user typed.
class TMemo : public QPlainTextEdit, public TWinControl {
 public:
  explicit TMemo(Classes::TComponent* AOwner);
  ~TMemo() override;
  std::string ClassName() const override { return "TMemo"; }
  Classes::TStrings* Lines() const;
  // The whole text, lines separated by CR LF.
  const std::string& Text() const { return FText; }
  void SetText(const std::string& Value);
  bool ReadOnly() const { return isReadOnly(); }
  void SetReadOnly(bool Value) { setReadOnly(Value); }
  // 0: no limit; longer text is cut.
  int MaxLength() const { return FMaxLength; }
  void SetMaxLength(int Value) { FMaxLength = Value; }

 protected:
  // A hidden memo (on a panel or page not shown) puts its text into the widget when it
  // is shown: laying out text nobody sees is most of what setting it costs.
  void showEvent(QShowEvent* Event) override;

 private:
  void FromLines();
  void FromWidget();
  void Show();
  std::unique_ptr<Classes::TStringList> FLines;
  std::string FText;
  int FMaxLength = 0;
  bool FSyncing = false;
  bool FShowPending = false;  // the widget does not have FText yet
};

class TLabel : public QLabel, public TWinControl {
 public:
  explicit TLabel(Classes::TComponent* AOwner);
  std::string ClassName() const override { return "TLabel"; }
  std::string Caption() const;
  void SetCaption(const std::string& Value);
};

// A frame with a caption around other controls.
class TGroupBox : public QGroupBox, public TWinControl {
 public:
  explicit TGroupBox(Classes::TComponent* AOwner);
  std::string ClassName() const override { return "TGroupBox"; }
  std::string Caption() const;
  void SetCaption(const std::string& Value);
};

}  // namespace StdCtrls
