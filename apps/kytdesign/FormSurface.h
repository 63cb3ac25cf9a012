// The form as the designer shows it: a dotted grid on which every component of the
// form appears as its palette picture with its name underneath, laid out on a grid in
// creation order (the components of the filter library have no position of their own).
// A click selects a component, or, when a palette class is chosen, puts a new one of
// that class on the form; Delete removes the selected one.
//
// User-interface thread only.
#pragma once

#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "host/rtl/Classes.h"

namespace FormSurface {

class TFormSurface : public QWidget {
 public:
  explicit TFormSurface(QWidget* Parent = nullptr);

  // The components to show, in order (not owned); the selection is kept when it is
  // among them, else dropped.
  void SetComponents(std::vector<Classes::TComponent*> Components);
  // Draws the names and pictures again (a component was renamed).
  void Refresh() { update(); }

  Classes::TComponent* Selected() const { return FSelected; }
  // Selects Component (null: the form itself) and tells OnSelect.
  void Select(Classes::TComponent* Component);
  // The component whose tile holds Point, or null.
  Classes::TComponent* ComponentAt(const QPoint& Point) const;
  // The tile of the Index-th component.
  QRect TileRect(int Index) const;

  // The caption drawn in the form's title strip.
  void SetCaption(const QString& Caption);

  std::function<void(Classes::TComponent*)> OnSelect;
  // The surface was clicked where no component is: asks whether a palette class is
  // chosen; returns true when that click added a component.
  std::function<bool()> OnPlace;
  std::function<void(Classes::TComponent*)> OnDelete;

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* Event) override;
  void mousePressEvent(QMouseEvent* Event) override;
  void keyPressEvent(QKeyEvent* Event) override;

 private:
  void PaintTile(QPainter& P, int Index, Classes::TComponent& Component);

  std::vector<Classes::TComponent*> FComponents;
  Classes::TComponent* FSelected = nullptr;
  QString FCaption;
};

}  // namespace FormSurface
