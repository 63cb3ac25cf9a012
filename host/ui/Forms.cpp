#include "host/ui/Forms.h"

#include <QResizeEvent>
#include <QTimer>

#include "host/ui/Accessible.h"
#include "host/ui/AnsiText.h"
#include "host/rtl/TypInfo.h"
#include "host/ui/Dialogs.h"

namespace Forms {

namespace {
// A form is a form-file root: its components are read into it and written from it.
const bool kRegistered = [] {
  TypInfo::RegisterClass({"TForm", "", [](Classes::TComponent* Owner) { return new TForm(Owner); },
                          {TypInfo::StringProp<TForm>("Caption", &TForm::Caption, &TForm::SetCaption)}});
  return true;
}();
}  // namespace

TForm::TForm(Classes::TComponent* AOwner) : QDialog(nullptr), Controls::TWinControl(AOwner, *this) {
  setAttribute(Qt::WA_DeleteOnClose, false);
  Accessible::DescribeByHint(*this);
}

TForm::~TForm() {
  // The controls go first (the owner tree), while the window still stands.
  DestroyComponents();
}

std::string TForm::Caption() const {
  std::string out;
  AnsiText::FromQString(windowTitle(), out);
  return out;
}

void TForm::SetCaption(const std::string& Value) {
  setWindowTitle(AnsiText::ToQString(Value));
  Accessible::SetName(*this, Value);
}

void TForm::SetClientSize(int AWidth, int AHeight) {
  if (FBorderStyle == TBorderStyle::bsDialog) {
    setFixedSize(AWidth, AHeight);
  } else {
    resize(AWidth, AHeight);
  }
  Realign();
}

void TForm::SetBorderStyle(TBorderStyle Value) {
  FBorderStyle = Value;
  if (Value == TBorderStyle::bsDialog) {
    setFixedSize(size());
  } else {
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  }
}

int TForm::ShowModal() {
  FModalResult = 0;
  Realign();
  return Dialogs::UIHost().ShowModal(*this);
}

void TForm::SetModalResult(int Value) {
  FModalResult = Value;
  if (Value != 0 && isVisible()) done(Value);
}

void TForm::done(int Result) {
  FModalResult = Result == 0 ? Dialogs::mrCancel : Result;
  QDialog::done(FModalResult);
}

TScrollBox::TScrollBox(Classes::TComponent* AOwner)
    : QScrollArea(nullptr), Controls::TWinControl(AOwner, *this), FClient(new QWidget) {
  setWidget(FClient);
  Accessible::DescribeByHint(*this);
  // No tab stop of its own, as the host's scroll box: Tab goes straight to its controls.
  setFocusPolicy(Qt::NoFocus);
  setWidgetResizable(false);
  FClient->resize(0, 0);
}

void TScrollBox::ChildBoundsChanged() {
  // Many children are placed in a row (a dialog building its lines): the inner area
  // is measured once, when the events of the moment are done.
  if (FPending) return;
  FPending = true;
  QTimer::singleShot(0, this, [this] {
    FPending = false;
    UpdateClientSize();
  });
}

void TScrollBox::UpdateClientSize() {
  // The inner area covers every visible child and at least the visible part.
  QRect bounds(0, 0, viewport()->width(), viewport()->height());
  for (QObject* object : FClient->children()) {
    auto* child = dynamic_cast<Controls::TControl*>(object);
    if (!child || !child->Visible()) continue;
    bounds = bounds.united(QRect(0, 0, child->Left() + child->Width() + 2, child->Top() + child->Height() + 4));
  }
  if (FClient->size() != bounds.size()) FClient->resize(bounds.size());
}

void TScrollBox::Realign() {
  UpdateClientSize();
  Controls::TWinControl::Realign();
}

void TScrollBox::resizeEvent(QResizeEvent* Event) {
  QScrollArea::resizeEvent(Event);
  UpdateClientSize();
}

}  // namespace Forms
