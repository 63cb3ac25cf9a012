#include "host/ui/StdCtrls.h"

#include <QAbstractItemView>
#include <QAbstractListModel>
#include <QKeyEvent>
#include <QScopedValueRollback>
#include <QStylePainter>
#include <QValidator>

#include <algorithm>
#include <utility>
#include <vector>

#include "host/rtl/SysUtils.h"
#include "host/ui/Accessible.h"
#include "host/ui/AnsiText.h"
#include "host/ui/StdCtrls_p.h"

namespace StdCtrls {

namespace detail {

std::string FromQ(const QString& S) {
  std::string out;
  if (!AnsiText::FromQString(S, out)) {
    out.clear();
    for (QChar c : S) {
      std::string one;
      out += AnsiText::FromQString(QString(c), one) ? one : std::string("?");
    }
  }
  return out;
}

Classes::TObject* ObjectOf(const QVariant& Data) {
  return reinterpret_cast<Classes::TObject*>(Data.value<quintptr>());
}

QVariant DataOf(Classes::TObject* Object) {
  return QVariant::fromValue(reinterpret_cast<quintptr>(Object));
}

}  // namespace detail

using AnsiText::ToQString;

// ---- TEdit ----------------------------------------------------------------------------

// The user's length limit. Qt's own maxLength would cut text the program sets (and an
// input mask resets it), so the limit is a validator: Qt undoes a user edit it refuses
// and keeps whatever the program sets.
class TEdit::TLengthLimit : public QValidator {
 public:
  explicit TLengthLimit(TEdit& Edit) : QValidator(&Edit), FEdit(Edit) {}
  State validate(QString& Input, int&) const override {
    if (FEdit.FProgramSets || FEdit.FMaxLength == 0 || !FEdit.inputMask().isEmpty()) return Acceptable;
    const int length = static_cast<int>(Input.size());
    // Shortening a text longer than the limit stays possible.
    return length > FEdit.FMaxLength && length > FEdit.FLastLength ? Invalid : Acceptable;
  }

 private:
  TEdit& FEdit;
};

TEdit::TEdit(Classes::TComponent* AOwner) : QLineEdit(nullptr), TWinControl(AOwner, *this) {
  setValidator(new TLengthLimit(*this));
  Accessible::DescribeByHint(*this);
  connect(this, &QLineEdit::textChanged, [this](const QString& Text) { FLastLength = static_cast<int>(Text.size()); });
  connect(this, &QLineEdit::textEdited, [this] { Change(); });
}

std::string TEdit::Text() const { return FromQ(text()); }

void TEdit::SetText(const std::string& Value) {
  SetQtText(ToQString(Value));
  setModified(false);
}

void TEdit::SetQtText(const QString& Value) {
  const QScopedValueRollback program(FProgramSets, true);
  setText(Value);
}

void TEdit::SetQtInputMask(const QString& Value) {
  const QScopedValueRollback program(FProgramSets, true);
  setInputMask(Value);
}

void TEdit::SetMaxLength(int Value) { FMaxLength = Value < 0 ? 0 : Value; }

void TEdit::Change() {
  if (OnChange) Controls::Dispatch([this] { OnChange(this); });
}

bool TEdit::KeyPress(char& Key) {
  if (!OnKeyPress) return true;
  Controls::Dispatch([&] { OnKeyPress(this, Key); });
  return Key != '\0';
}

bool TEdit::event(QEvent* Event) {
  if (Event->type() == QEvent::ShortcutOverride && !isReadOnly()) {
    auto* key = static_cast<QKeyEvent*>(Event);
    if (key->matches(QKeySequence::DeleteEndOfWord) || key->matches(QKeySequence::DeleteStartOfWord)) {
      Event->accept();
      return true;
    }
  }
  return QLineEdit::event(Event);
}

void TEdit::keyPressEvent(QKeyEvent* Event) {
  char key = '\0';
  if (Event->key() == Qt::Key_Backspace) {
    key = '\b';
  } else {
    const std::string typed = FromQ(Event->text());
    if (typed.size() == 1 && static_cast<unsigned char>(typed[0]) >= 32) key = typed[0];
  }
  if (key == '\0') {
    QLineEdit::keyPressEvent(Event);
    return;
  }
  const char original = key;
  if (!KeyPress(key)) {
    Event->accept();
    return;
  }
  if (key == original) {
    QLineEdit::keyPressEvent(Event);
  } else if (key == '\b') {
    backspace();
  } else {
    insert(ToQString(std::string(1, key)));
  }
}

void TEdit::DoExit() {
  if (OnExit) Controls::Dispatch([this] { OnExit(this); });
}

void TEdit::focusOutEvent(QFocusEvent* Event) {
  QLineEdit::focusOutEvent(Event);
  DoExit();
}

void TEdit::TypeText(const std::string& Text) {
  // Typing into an empty masked edit starts at its first position, as after a click.
  if (!inputMask().isEmpty() && Text.size() > 0 && cursorPosition() >= text().size()) setCursorPosition(0);
  for (char c : Text) {
    const QString key = ToQString(std::string(1, c));
    QKeyEvent press(QEvent::KeyPress, c == '\b' ? Qt::Key_Backspace : 0, Qt::NoModifier,
                    c == '\b' ? QString() : key);
    keyPressEvent(&press);
  }
}

// ---- TComboBox ------------------------------------------------------------------------

// The rows of a drop-down: a text and an attached value each. Lighter than Qt's
// standard item model. Copied from another drop-down, the rows are shared until either
// changes them (a dialog gives every new line a copy of a long field list).
class TComboBox::TModel : public QAbstractListModel {
 public:
  explicit TModel(QObject* Parent) : QAbstractListModel(Parent), FRows(std::make_shared<TRows>()) {}
  int rowCount(const QModelIndex& Parent = QModelIndex()) const override {
    return Parent.isValid() ? 0 : static_cast<int>(FRows->size());
  }
  QVariant data(const QModelIndex& Index, int Role) const override {
    if (!Index.isValid() || Index.row() >= rowCount()) return {};
    const TRow& row = (*FRows)[Index.row()];
    if (Role == Qt::DisplayRole || Role == Qt::EditRole) return row.Text;
    if (Role == Qt::UserRole) return row.Data;
    return {};
  }
  bool setData(const QModelIndex& Index, const QVariant& Value, int Role) override {
    if (!Index.isValid() || Index.row() >= rowCount()) return false;
    if (Role != Qt::DisplayRole && Role != Qt::EditRole && Role != Qt::UserRole) return false;
    TRow& row = Own()[Index.row()];
    if (Role == Qt::UserRole) {
      row.Data = Value;
    } else {
      row.Text = Value.toString();
    }
    emit dataChanged(Index, Index, {Role});
    return true;
  }
  Qt::ItemFlags flags(const QModelIndex& Index) const override {
    return Index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
  }
  bool insertRows(int Row, int Count, const QModelIndex& Parent = QModelIndex()) override {
    if (Parent.isValid() || Row < 0 || Row > rowCount() || Count < 1) return false;
    beginInsertRows(Parent, Row, Row + Count - 1);
    TRows& rows = Own();
    rows.insert(rows.begin() + Row, Count, TRow{});
    endInsertRows();
    return true;
  }
  bool removeRows(int Row, int Count, const QModelIndex& Parent = QModelIndex()) override {
    if (Parent.isValid() || Row < 0 || Count < 1 || Row + Count > rowCount()) return false;
    beginRemoveRows(Parent, Row, Row + Count - 1);
    TRows& rows = Own();
    rows.erase(rows.begin() + Row, rows.begin() + Row + Count);
    endRemoveRows();
    return true;
  }
  void CopyFrom(const TModel& Other) {
    beginResetModel();
    FRows = Other.FRows;
    endResetModel();
  }

 private:
  struct TRow {
    QString Text;
    QVariant Data;
  };
  using TRows = std::vector<TRow>;
  // The rows to change: this model's own copy, made now if they are shared.
  TRows& Own() {
    if (FRows.use_count() > 1) FRows = std::make_shared<TRows>(*FRows);
    return *FRows;
  }
  std::shared_ptr<TRows> FRows;  // never null
};

class TComboBox::TItems : public Classes::TStrings {
  // Qt chooses the first item put into an empty list; the host leaves no choice.
  struct Keep {
    explicit Keep(QComboBox& Box) : FBox(Box), FNone(Box.currentIndex() < 0) {}
    ~Keep() {
      if (FNone) FBox.setCurrentIndex(-1);
    }
    QComboBox& FBox;
    bool FNone;
  };

 public:
  explicit TItems(TComboBox& Box) : FBox(Box) {}
  int Count() const override { return FBox.count(); }
  std::string Get(int Index) const override {
    CheckIndex(Index, Count());
    return FromQ(FBox.itemText(Index));
  }
  void Put(int Index, const std::string& S) override {
    CheckIndex(Index, Count());
    FBox.setItemText(Index, ToQString(S));
  }
  Classes::TObject* GetObject(int Index) const override {
    CheckIndex(Index, Count());
    return ObjectOf(FBox.itemData(Index));
  }
  void PutObject(int Index, Classes::TObject* AObject) override {
    CheckIndex(Index, Count());
    FBox.setItemData(Index, DataOf(AObject));
  }
  void Insert(int Index, const std::string& S) override {
    CheckIndex(Index, Count() + 1);
    Keep keep(FBox);
    FBox.insertItem(Index, ToQString(S), DataOf(nullptr));
  }
  int Add(const std::string& S) override {
    int index = Count();
    if (FBox.FSorted) {
      index = 0;
      while (index < Count() && SysUtils::AnsiCompareText(Get(index), S) <= 0) ++index;
    }
    Keep keep(FBox);
    FBox.insertItem(index, ToQString(S), DataOf(nullptr));
    return index;
  }
  // Deleting the chosen item leaves no choice (Qt would choose a neighbour); deleting
  // another keeps the chosen item chosen.
  void Delete(int Index) override {
    CheckIndex(Index, Count());
    const bool chosen = FBox.currentIndex() == Index;
    FBox.removeItem(Index);
    if (chosen) FBox.setCurrentIndex(-1);
  }
  void Clear() override { FBox.clear(); }
  // The items of another drop-down are copied as one block (the texts are shared, not
  // copied): a dialog copies long field lists into every new line.
  void Assign(Classes::TPersistent* Source) override {
    auto* other = dynamic_cast<TItems*>(Source);
    if (!other || other == this) {
      Classes::TStrings::Assign(Source);
      return;
    }
    FBox.FModel->CopyFrom(*other->FBox.FModel);
    FBox.setCurrentIndex(-1);
  }

 private:
  TComboBox& FBox;
};

TComboBox::TComboBox(Classes::TComponent* AOwner)
    : QComboBox(nullptr), TWinControl(AOwner, *this), FItems(std::make_unique<TItems>(*this)) {
  FModel = new TModel(this);
  Accessible::DescribeByHint(*this);
  setModel(FModel);
  setCurrentIndex(-1);
  connect(this, qOverload<int>(&QComboBox::activated), [this](int) {
    if (OnChange) Controls::Dispatch([this] { OnChange(this); });
  });
}

TComboBox::~TComboBox() = default;

Classes::TStrings* TComboBox::Items() const { return FItems.get(); }

void TComboBox::SetItemIndex(int Value) {
  setCurrentIndex(Value >= 0 && Value < count() ? Value : -1);
}

std::string TComboBox::Text() const {
  return currentIndex() < 0 ? std::string() : FromQ(currentText());
}

void TComboBox::SetSorted(bool Value) {
  if (Value == FSorted) return;
  FSorted = Value;
  if (!Value || count() < 2) return;
  struct Item {
    QString Text;
    QVariant Data;
    std::string Key;
  };
  std::vector<Item> items;
  const int chosen = currentIndex();
  QVariant chosenData = chosen >= 0 ? itemData(chosen) : QVariant();
  for (int i = 0; i < count(); ++i) items.push_back({itemText(i), itemData(i), FromQ(itemText(i))});
  std::stable_sort(items.begin(), items.end(), [](const Item& A, const Item& B) {
    return SysUtils::AnsiCompareText(A.Key, B.Key) < 0;
  });
  const QSignalBlocker block(this);
  clear();
  for (const Item& item : items) addItem(item.Text, item.Data);
  setCurrentIndex(chosen >= 0 ? findData(chosenData) : -1);
  if (chosen < 0) setCurrentIndex(-1);
}

void TComboBox::SetStyle(TComboBoxStyle Value) {
  FStyle = Value;
  // An edit field follows font and style itself: what was held back is handled first.
  if (Value == TComboBoxStyle::csDropDown) BuildList();
  setEditable(Value == TComboBoxStyle::csDropDown);
}

void TComboBox::SetDropWidth(int Pixels) {
  BuildList();
  view()->setMinimumWidth(Pixels);
}

int TComboBox::DropWidth() const {
  BuildList();
  return view()->minimumWidth();
}

bool TComboBox::ListBuilt() const {
  // Qt's open list is the one direct child window of a drop-down.
  for (const QObject* child : children())
    if (child->isWidgetType() && static_cast<const QWidget*>(child)->isWindow()) return true;
  return false;
}

void TComboBox::changeEvent(QEvent* Event) {
  const bool font = Event->type() == QEvent::FontChange;
  if ((font || Event->type() == QEvent::StyleChange) && !isEditable() && !ListBuilt()) {
    (font ? FFontChanged : FStyleChanged) = true;
    if (FHinted) FHintStale = true;
    QWidget::changeEvent(Event);  // what a plain widget does with it
    return;
  }
  QComboBox::changeEvent(Event);
}

void TComboBox::BuildList() const {
  auto* self = const_cast<TComboBox*>(this);
  self->view();  // builds the list, with the present style
  FHintStale = false;  // Qt computes the hints again after the changes below
  if (std::exchange(FStyleChanged, false)) {
    QEvent style(QEvent::StyleChange);
    self->QComboBox::changeEvent(&style);
  }
  if (std::exchange(FFontChanged, false)) {
    QEvent font(QEvent::FontChange);
    self->QComboBox::changeEvent(&font);
  }
}

// Qt computes a hint with the present font and style and keeps it until it handles a
// change of them: only a hint kept from before a held-back change needs the list built.
QSize TComboBox::sizeHint() const {
  if (FHintStale) BuildList();
  FHinted = true;
  return QComboBox::sizeHint();
}

QSize TComboBox::minimumSizeHint() const {
  if (FHintStale) BuildList();
  FHinted = true;
  return QComboBox::minimumSizeHint();
}

void TComboBox::SetCompact(bool Value) {
  FCompact = Value;
  update();
}

void TComboBox::paintEvent(QPaintEvent* Event) {
  if (!FCompact || isEditable()) {
    QComboBox::paintEvent(Event);
    return;
  }
  // What QComboBox draws (frame, arrow, focus), with the label in the compact room.
  QStylePainter painter(this);
  painter.setPen(palette().color(QPalette::Text));
  QStyleOptionComboBox option;
  initStyleOption(&option);
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  const QRect room = QStyle::visualRect(option.direction, option.rect, option.rect.adjusted(2, 0, -16, 0));
  painter.setClipRect(room);
  painter.drawItemText(room.adjusted(1, 0, -1, 0), QStyle::visualAlignment(option.direction, Qt::AlignLeft | Qt::AlignVCenter),
                       option.palette, isEnabled(), option.currentText, QPalette::ButtonText);
}

void TComboBox::UserSelect(int Index) {
  SetItemIndex(Index);
  if (OnChange) Controls::Dispatch([this] { OnChange(this); });
}

void TComboBox::showPopup() {
  if (OnDropDown) Controls::Dispatch([this] { OnDropDown(this); });
  BuildList();
  QComboBox::showPopup();
}

// ---- TCheckBox ------------------------------------------------------------------------

TCheckBox::TCheckBox(Classes::TComponent* AOwner) : QCheckBox(nullptr), TWinControl(AOwner, *this) {
  Accessible::DescribeByHint(*this);
  connect(this, &QCheckBox::clicked, [this] {
    if (OnClick) Controls::Dispatch([this] { OnClick(this); });
  });
}

std::string TCheckBox::Caption() const { return FromQ(text()); }
void TCheckBox::SetCaption(const std::string& Value) {
  setText(ToQString(Value));
  Accessible::SetName(*this, Value);
}

// ---- TMemo ----------------------------------------------------------------------------

TMemo::TMemo(Classes::TComponent* AOwner)
    : QPlainTextEdit(nullptr), TWinControl(AOwner, *this), FLines(std::make_unique<Classes::TStringList>()) {
  FLines->OnChange = [this](Classes::TObject*) { FromLines(); };
  Accessible::DescribeByHint(*this);
  connect(this, &QPlainTextEdit::textChanged, [this] { FromWidget(); });
}

TMemo::~TMemo() {
  FLines->OnChange = nullptr;
  disconnect(this, nullptr, nullptr, nullptr);
}

Classes::TStrings* TMemo::Lines() const { return FLines.get(); }

void TMemo::SetText(const std::string& Value) {
  FText = FMaxLength > 0 && static_cast<int>(Value.size()) > FMaxLength ? Value.substr(0, FMaxLength) : Value;
  FSyncing = true;
  FLines->SetText(FText);
  FSyncing = false;
  Show();
}

void TMemo::FromLines() {
  if (FSyncing) return;
  // A line the program added with breaks inside it becomes several lines.
  SetText(FLines->Text());
}

void TMemo::showEvent(QShowEvent* Event) {
  if (FShowPending) Show();
  QPlainTextEdit::showEvent(Event);
}

void TMemo::Show() {
  FShowPending = !isVisible();
  if (FShowPending) return;
  std::string shown;
  shown.reserve(FText.size());
  for (std::size_t i = 0; i < FText.size(); ++i) {
    if (FText[i] == '\r' && i + 1 < FText.size() && FText[i + 1] == '\n') continue;
    shown += FText[i] == '\r' ? '\n' : FText[i];
  }
  FSyncing = true;
  setPlainText(ToQString(shown));
  FSyncing = false;
}

void TMemo::FromWidget() {
  if (FSyncing) return;
  std::string typed = FromQ(toPlainText());
  std::string text;
  for (char c : typed) {
    if (c == '\n') text += '\r';
    text += c;
  }
  const bool cut = FMaxLength > 0 && static_cast<int>(text.size()) > FMaxLength;
  if (cut) {
    SetText(text);
    moveCursor(QTextCursor::End);
    return;
  }
  FText = text;
  FSyncing = true;
  FLines->SetText(FText);
  FSyncing = false;
}

// ---- TLabel ---------------------------------------------------------------------------

TLabel::TLabel(Classes::TComponent* AOwner) : QLabel(nullptr), TWinControl(AOwner, *this) {
  Accessible::DescribeByHint(*this);
}

std::string TLabel::Caption() const { return FromQ(text()); }
void TLabel::SetCaption(const std::string& Value) {
  setText(ToQString(Value));
  Accessible::SetName(*this, Value);
}

// ---- TGroupBox ------------------------------------------------------------------------

TGroupBox::TGroupBox(Classes::TComponent* AOwner) : QGroupBox(nullptr), TWinControl(AOwner, *this) {
  Accessible::DescribeByHint(*this);
}

std::string TGroupBox::Caption() const { return FromQ(title()); }
void TGroupBox::SetCaption(const std::string& Value) {
  setTitle(ToQString(Value));
  Accessible::SetName(*this, Value);
}

}  // namespace StdCtrls
