#include "host/ui/ComCtrls.h"

#include <QTabBar>

#include "host/ui/Accessible.h"
#include "host/ui/AnsiText.h"

namespace ComCtrls {

TTabSheet::TTabSheet(Classes::TComponent* AOwner) : QWidget(nullptr), Controls::TWinControl(AOwner, *this) {
  Accessible::DescribeByHint(*this);
}

void TTabSheet::SetPageControl(TPageControl* APageControl) {
  if (FPageControl == APageControl) return;
  if (FPageControl) FPageControl->removeTab(PageIndex());
  FPageControl = APageControl;
  if (FPageControl) {
    FPageControl->addTab(this, AnsiText::ToQString(FCaption));
    FPageControl->setTabEnabled(PageIndex(), isEnabled());
  }
}

void TTabSheet::SetCaption(const std::string& Value) {
  FCaption = Value;
  Accessible::SetName(*this, Value);
  if (FPageControl) FPageControl->setTabText(PageIndex(), AnsiText::ToQString(Value));
}

void TTabSheet::SetEnabled(bool Value) {
  setEnabled(Value);
  if (FPageControl) FPageControl->setTabEnabled(PageIndex(), Value);
}

int TTabSheet::PageIndex() const { return FPageControl ? FPageControl->indexOf(const_cast<TTabSheet*>(this)) : -1; }

TPageControl::TPageControl(Classes::TComponent* AOwner)
    : QTabWidget(nullptr), Controls::TWinControl(AOwner, *this) {
  Accessible::DescribeByHint(*this);
  // The tabs take the focus on their own: a screen reader names them too.
  tabBar()->setAccessibleName(QStringLiteral("Pages"));
}

TTabSheet* TPageControl::Pages(int Index) const { return dynamic_cast<TTabSheet*>(widget(Index)); }

TTabSheet* TPageControl::ActivePage() const { return dynamic_cast<TTabSheet*>(currentWidget()); }

void TPageControl::SetActivePage(TTabSheet* Page) {
  if (Page) setCurrentWidget(Page);
}

void TPageControl::SetTabPosition(TTabPosition Value) {
  setTabPosition(Value == TTabPosition::tpBottom ? QTabWidget::South : QTabWidget::North);
}

}  // namespace ComCtrls
