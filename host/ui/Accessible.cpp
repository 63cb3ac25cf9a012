#include "host/ui/Accessible.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QWidget>

#include "host/ui/AnsiText.h"

namespace Accessible {

namespace {

// A hint reaches the widget as its tool tip, and Qt tells the widget of every tool-tip
// change: that is where the description is brought in step, whoever set the hint.
class THintWatch : public QObject {
 public:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (Event->type() == QEvent::ToolTipChange)
      if (auto* control = dynamic_cast<Controls::TControl*>(Watched)) Describe(*control);
    return QObject::eventFilter(Watched, Event);
  }
  static void Describe(Controls::TControl& Control) {
    const QString hint = AnsiText::ToQString(Control.Hint());
    if (Control.Widget().accessibleDescription() != hint) Control.Widget().setAccessibleDescription(hint);
  }
};

THintWatch& Watch() {
  // One watcher for every control, for the life of the process.
  static THintWatch* watch = new THintWatch;
  return *watch;
}

std::string FromQ(const QString& Text) {
  std::string out;
  AnsiText::FromQString(Text, out);
  return out;
}

}  // namespace

void DescribeByHint(Controls::TControl& Control) {
  // Installing again would only move the watcher to the front.
  Control.Widget().removeEventFilter(&Watch());
  Control.Widget().installEventFilter(&Watch());
  THintWatch::Describe(Control);
}

void SetName(Controls::TControl& Control, const std::string& Name) {
  Control.Widget().setAccessibleName(AnsiText::ToQString(Name));
}

std::string Name(const Controls::TControl& Control) { return FromQ(Control.Widget().accessibleName()); }

std::string Description(const Controls::TControl& Control) {
  return FromQ(Control.Widget().accessibleDescription());
}

}  // namespace Accessible
