// Host page control: pages with tabs, which can be put at the bottom, and tab sheets
// that can be made unavailable.
//
// User-interface thread only.
#pragma once

#include <QTabWidget>
#include <QWidget>

#include <string>

#include "host/ui/Controls.h"

namespace ComCtrls {

class TPageControl;

class TTabSheet : public QWidget, public Controls::TWinControl {
 public:
  explicit TTabSheet(Classes::TComponent* AOwner);
  std::string ClassName() const override { return "TTabSheet"; }
  TPageControl* PageControl() const { return FPageControl; }
  // Adds the sheet as the last page of APageControl.
  void SetPageControl(TPageControl* APageControl);
  const std::string& Caption() const { return FCaption; }
  void SetCaption(const std::string& Value);
  // An unavailable sheet's tab cannot be chosen and its controls take no input.
  void SetEnabled(bool Value) override;
  int PageIndex() const;

 private:
  TPageControl* FPageControl = nullptr;
  std::string FCaption;
};

enum class TTabPosition { tpTop, tpBottom };

class TPageControl : public QTabWidget, public Controls::TWinControl {
 public:
  explicit TPageControl(Classes::TComponent* AOwner);
  std::string ClassName() const override { return "TPageControl"; }
  int PageCount() const { return count(); }
  TTabSheet* Pages(int Index) const;
  TTabSheet* ActivePage() const;
  void SetActivePage(TTabSheet* Page);
  void SetTabPosition(TTabPosition Value);
};

}  // namespace ComCtrls
