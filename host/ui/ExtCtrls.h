// Host panel and splitter.
//
// User-interface thread only.
#pragma once

#include <QFrame>
#include <QWidget>

#include <string>

#include "host/ui/Controls.h"

namespace ExtCtrls {

enum class TBevelCut { bvNone, bvLowered, bvRaised };

// A container with an optional bevel and caption.
class TPanel : public QFrame, public Controls::TWinControl {
 public:
  explicit TPanel(Classes::TComponent* AOwner);
  std::string ClassName() const override { return "TPanel"; }
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut Value);

 private:
  TBevelCut FBevelOuter = TBevelCut::bvRaised;
};

// A bar between aligned controls: dragging it resizes the control aligned on the same
// side just before it.
class TSplitter : public QWidget, public Controls::TWinControl {
 public:
  explicit TSplitter(Classes::TComponent* AOwner);
  std::string ClassName() const override { return "TSplitter"; }
  // The control it resizes: the last visible one parented before it with its alignment.
  Controls::TControl* Neighbour() const;
  // Least width or height the neighbour keeps.
  int MinSize = 30;

 protected:
  void mousePressEvent(QMouseEvent* Event) override;
  void mouseMoveEvent(QMouseEvent* Event) override;
  void paintEvent(QPaintEvent* Event) override;

 private:
  int FPressX = 0;
  int FStartSize = 0;
};

}  // namespace ExtCtrls
