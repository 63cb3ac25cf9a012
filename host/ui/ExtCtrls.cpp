#include "host/ui/ExtCtrls.h"

#include <QMouseEvent>
#include <QPainter>

#include "host/ui/Accessible.h"

namespace ExtCtrls {

TPanel::TPanel(Classes::TComponent* AOwner) : QFrame(nullptr), Controls::TWinControl(AOwner, *this) {
  SetBevelOuter(TBevelCut::bvRaised);
  Accessible::DescribeByHint(*this);
}

void TPanel::SetBevelOuter(TBevelCut Value) {
  FBevelOuter = Value;
  switch (Value) {
    case TBevelCut::bvNone: setFrameStyle(QFrame::NoFrame); break;
    case TBevelCut::bvLowered: setFrameStyle(QFrame::Panel | QFrame::Sunken); break;
    case TBevelCut::bvRaised: setFrameStyle(QFrame::Panel | QFrame::Raised); break;
  }
}

TSplitter::TSplitter(Classes::TComponent* AOwner) : QWidget(nullptr), Controls::TWinControl(AOwner, *this) {
  setCursor(Qt::SplitHCursor);
  Accessible::DescribeByHint(*this);
  SetWidth(3);
  SetAlign(Controls::TAlign::alLeft);
}

Controls::TControl* TSplitter::Neighbour() const {
  if (!Parent()) return nullptr;
  Controls::TControl* found = nullptr;
  for (QObject* object : Parent()->ClientWidget().children()) {
    if (object == static_cast<const QObject*>(this)) break;
    auto* control = dynamic_cast<Controls::TControl*>(object);
    if (control && control->Visible() && control->Align() == Align()) found = control;
  }
  return found;
}

void TSplitter::mousePressEvent(QMouseEvent* Event) {
  FPressX = static_cast<int>(Event->globalPosition().x());
  Controls::TControl* neighbour = Neighbour();
  FStartSize = neighbour ? neighbour->Width() : 0;
}

void TSplitter::mouseMoveEvent(QMouseEvent* Event) {
  Controls::TControl* neighbour = Neighbour();
  if (!neighbour || !(Event->buttons() & Qt::LeftButton)) return;
  const int delta = static_cast<int>(Event->globalPosition().x()) - FPressX;
  const int size = FStartSize + (Align() == Controls::TAlign::alRight ? -delta : delta);
  const int limit = Parent()->ClientWidth() - MinSize;
  neighbour->SetWidth(std::max(MinSize, std::min(size, limit)));
  Parent()->Realign();
}

void TSplitter::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Mid));
}

}  // namespace ExtCtrls
