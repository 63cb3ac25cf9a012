// Unit StdCtrls: the list box (owner drawing, keys, dragging between lists).
#include "host/ui/StdCtrls.h"

#include <QApplication>
#include <QDrag>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyledItemDelegate>

#include <algorithm>
#include <utility>
#include <vector>

#include "host/rtl/SysUtils.h"
#include "host/ui/Accessible.h"
#include "host/ui/AnsiText.h"
#include "host/ui/StdCtrls_p.h"

namespace StdCtrls {

namespace {

using AnsiText::ToQString;

// The background of a selected owner-drawn item: the palette's selection colour
// blended lightly into the list's background, so that the item's own text colours
// (a red, say) still read on it, in a light or a dark theme.
Controls::TColor SelectedItemColor(const QPalette& Palette) {
  const QColor base = Palette.color(QPalette::Base), mark = Palette.color(QPalette::Highlight);
  auto mix = [](int Base, int Mark) { return (Base * 7 + Mark * 3) / 10; };
  return Controls::FromQColor(
      QColor(mix(base.red(), mark.red()), mix(base.green(), mark.green()), mix(base.blue(), mark.blue())));
}

// The drag payload's format: the source is taken from the drag itself.
const char* const kDragFormat = "application/x-kyt-control";

}  // namespace

// ---- TListBox -------------------------------------------------------------------------

class TListBox::TItems : public Classes::TStrings {
 public:
  explicit TItems(TListBox& Box) : FBox(Box) {}
  int Count() const override { return FBox.count(); }
  std::string Get(int Index) const override {
    CheckIndex(Index, Count());
    return FromQ(FBox.item(Index)->text());
  }
  void Put(int Index, const std::string& S) override {
    CheckIndex(Index, Count());
    FBox.item(Index)->setText(ToQString(S));
  }
  Classes::TObject* GetObject(int Index) const override {
    CheckIndex(Index, Count());
    return ObjectOf(FBox.item(Index)->data(Qt::UserRole));
  }
  void PutObject(int Index, Classes::TObject* AObject) override {
    CheckIndex(Index, Count());
    FBox.item(Index)->setData(Qt::UserRole, DataOf(AObject));
  }
  void Insert(int Index, const std::string& S) override {
    CheckIndex(Index, Count() + 1);
    auto* item = new QListWidgetItem(ToQString(S));
    if (FBox.FStyle == TListBoxStyle::lbOwnerDrawFixed) item->setSizeHint(QSize(0, FBox.FItemHeight));
    FBox.insertItem(Index, item);
  }
  void Delete(int Index) override {
    CheckIndex(Index, Count());
    delete FBox.takeItem(Index);
  }
  void Clear() override { FBox.clear(); }
  int Add(const std::string& S) override {
    const int index = FBox.FSorted ? SortedPosition(S) : Count();
    Insert(index, S);
    return index;
  }
  // Where S goes in the sorted order: after every item that does not sort after it.
  int SortedPosition(const std::string& S) const {
    int low = 0, high = Count();
    while (low < high) {
      const int mid = (low + high) / 2;
      if (SysUtils::AnsiCompareText(Get(mid), S) <= 0) low = mid + 1;
      else high = mid;
    }
    return low;
  }

 private:
  TListBox& FBox;
};

// Owner drawing: the item's rectangle is handed to OnDrawItem with the list's canvas.
class TListBox::TDelegate : public QStyledItemDelegate {
 public:
  explicit TDelegate(TListBox& Box) : QStyledItemDelegate(&Box), FBox(Box) {}
  void paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
    if (FBox.FStyle != TListBoxStyle::lbOwnerDrawFixed || !FBox.OnDrawItem) {
      QStyledItemDelegate::paint(Painter, Option, Index);
      return;
    }
    unsigned state = 0;
    if (Option.state & QStyle::State_Selected) state |= odSelected;
    if (Option.state & QStyle::State_HasFocus) state |= odFocused;
    Painter->save();
    FBox.FCanvas.SetPainter(Painter);
    FBox.FCanvas.SetPalette(Option.palette);
    FBox.FCanvas.BrushColor = (state & odSelected) ? SelectedItemColor(Option.palette) : Controls::clWindow;
    FBox.FCanvas.FontColor = Controls::clWindowText;
    Controls::Dispatch([&] { FBox.OnDrawItem(&FBox, Index.row(), Option.rect, state); });
    FBox.FCanvas.SetPainter(nullptr);
    Painter->restore();
  }
  QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
    QSize size = QStyledItemDelegate::sizeHint(Option, Index);
    if (FBox.FStyle == TListBoxStyle::lbOwnerDrawFixed) size.setHeight(FBox.FItemHeight);
    return size;
  }

 private:
  TListBox& FBox;
};

TListBox::TListBox(Classes::TComponent* AOwner)
    : QListWidget(nullptr), TWinControl(AOwner, *this), FItems(std::make_unique<TItems>(*this)) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  Accessible::DescribeByHint(*this);
  setItemDelegate(new TDelegate(*this));
  // Drags are started and dropped by this class (its drag mode and drag events), never
  // by the list's own item moving.
  setDragDropMode(QAbstractItemView::NoDragDrop);
  setAcceptDrops(true);
  viewport()->setAcceptDrops(true);
  connect(this, &QAbstractItemView::clicked, [this] {
    if (OnClick) Controls::Dispatch([this] { OnClick(this); });
  });
}

TListBox::~TListBox() = default;

Classes::TStrings* TListBox::Items() const { return FItems.get(); }

void TListBox::SetItemIndex(int Value) { setCurrentRow(Value >= 0 && Value < count() ? Value : -1); }

int TListBox::ItemAtPos(Controls::TPoint Pos, bool Existing) const {
  const QModelIndex index = indexAt(QPoint(Pos.X, Pos.Y));
  if (index.isValid()) return index.row();
  if (Existing) return -1;
  // Below the last item (or in an empty list) the position after the last.
  if (count() == 0) return 0;
  const QRect last = visualItemRect(item(count() - 1));
  return Pos.Y > last.bottom() ? count() : -1;
}

void TListBox::SetSorted(bool Value) {
  if (Value == FSorted) return;
  FSorted = Value;
  if (!FSorted || count() < 2) return;
  // A stable sort by AnsiCompareText of the texts; items keep their objects.
  std::vector<QListWidgetItem*> items;
  while (count() > 0) items.push_back(takeItem(0));
  std::stable_sort(items.begin(), items.end(), [](QListWidgetItem* A, QListWidgetItem* B) {
    return SysUtils::AnsiCompareText(FromQ(A->text()), FromQ(B->text())) < 0;
  });
  for (QListWidgetItem* item : items) addItem(item);
}

void TListBox::ClickItem(int Index) {
  SetItemIndex(Index);
  if (OnClick) Controls::Dispatch([this] { OnClick(this); });
}

void TListBox::KeyUp(uint16_t Key, TShiftState Shift) {
  if (OnKeyUp) Controls::Dispatch([&] { OnKeyUp(this, Key, Shift); });
}

uint16_t KeyCode(const QKeyEvent& Event) {
  switch (Event.key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Delete: return VK_DELETE;
    default: return 0;
  }
}

TShiftState ShiftState(const QKeyEvent& Event) {
  TShiftState shift = 0;
  if (Event.modifiers() & Qt::ShiftModifier) shift |= ssShift;
  if (Event.modifiers() & Qt::AltModifier) shift |= ssAlt;
  if (Event.modifiers() & Qt::ControlModifier) shift |= ssCtrl;
  return shift;
}

bool TListBox::KeyDown(uint16_t Key, TShiftState Shift) {
  if (!OnKeyDown || Key == 0) return false;
  Controls::Dispatch([&] { OnKeyDown(this, Key, Shift); });
  return Key == 0;
}

void TListBox::keyPressEvent(QKeyEvent* Event) {
  if (KeyDown(KeyCode(*Event), ShiftState(*Event))) {
    Event->accept();
    return;
  }
  QListWidget::keyPressEvent(Event);
}

void TListBox::keyReleaseEvent(QKeyEvent* Event) {
  QListWidget::keyReleaseEvent(Event);
  if (Event->isAutoRepeat()) return;
  KeyUp(KeyCode(*Event), ShiftState(*Event));
}

void TListBox::SetStyle(TListBoxStyle Value) {
  FStyle = Value;
  setUniformItemSizes(Value == TListBoxStyle::lbOwnerDrawFixed);
  doItemsLayout();
}

void TListBox::SetItemHeight(int Value) {
  FItemHeight = Value;
  for (int i = 0; i < count(); ++i) item(i)->setSizeHint(QSize(0, Value));
  doItemsLayout();
}

bool TListBox::DropFrom(Classes::TObject* Source, int X, int Y) {
  bool accept = false;
  if (OnDragOver)
    Controls::Dispatch([&] { OnDragOver(this, Source, X, Y, TDragState::dsDragMove, accept); });
  if (accept && OnDragDrop) Controls::Dispatch([&] { OnDragDrop(this, Source, X, Y); });
  return accept;
}

void TListBox::mousePressEvent(QMouseEvent* Event) {
  QListWidget::mousePressEvent(Event);
  FPressed = Event->button() == Qt::LeftButton;
  FPressPos = Event->position().toPoint();
}

void TListBox::mouseMoveEvent(QMouseEvent* Event) {
  if (FDragMode != TDragMode::dmAutomatic || !FPressed || !(Event->buttons() & Qt::LeftButton) ||
      (Event->position().toPoint() - FPressPos).manhattanLength() < QApplication::startDragDistance()) {
    QListWidget::mouseMoveEvent(Event);
    return;
  }
  FPressed = false;
  auto* drag = new QDrag(this);
  auto* mime = new QMimeData;
  mime->setData(kDragFormat, QByteArray());
  drag->setMimeData(mime);
  drag->exec(Qt::MoveAction | Qt::CopyAction);
}

bool TListBox::AcceptsFrom(QObject* Source, QPoint Pos, TDragState State) {
  auto* source = dynamic_cast<Classes::TObject*>(Source);
  if (!source || !OnDragOver) return false;
  bool accept = false;
  Controls::Dispatch([&] { OnDragOver(this, source, Pos.x(), Pos.y(), State, accept); });
  return accept;
}

void TListBox::dragEnterEvent(QDragEnterEvent* Event) {
  if (Event->mimeData()->hasFormat(kDragFormat) && Event->source()) {
    Event->setDropAction(Qt::MoveAction);
    Event->accept();
  } else {
    Event->ignore();
  }
}

void TListBox::dragMoveEvent(QDragMoveEvent* Event) {
  if (Event->mimeData()->hasFormat(kDragFormat) &&
      AcceptsFrom(Event->source(), Event->position().toPoint(), TDragState::dsDragMove)) {
    Event->setDropAction(Qt::MoveAction);
    Event->accept();
  } else {
    Event->ignore();
  }
}

void TListBox::dropEvent(QDropEvent* Event) {
  const QPoint pos = Event->position().toPoint();
  if (!Event->mimeData()->hasFormat(kDragFormat) ||
      !AcceptsFrom(Event->source(), pos, TDragState::dsDragMove)) {
    Event->ignore();
    return;
  }
  // The drop is ours: the list's own item moving must not run as well.
  Event->setDropAction(Qt::CopyAction);
  Event->accept();
  auto* source = dynamic_cast<Classes::TObject*>(Event->source());
  if (OnDragDrop) Controls::Dispatch([&] { OnDragDrop(this, source, pos.x(), pos.y()); });
}

}  // namespace StdCtrls
