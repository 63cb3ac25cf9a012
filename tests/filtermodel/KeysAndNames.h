// Driving a dialog with keys alone, and checking that a screen reader can name its
// controls: shared by the dialogs' tests.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QTest>
#include <QWidget>

#include <initializer_list>

#include "host/ui/Accessible.h"
#include "host/ui/ComCtrls.h"
#include "host/ui/Forms.h"

// Keys go to the widget that has the focus, as the user's keys do.
inline void Press(int Key, Qt::KeyboardModifiers Modifiers = Qt::NoModifier) {
  QWidget* focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr) << "nothing has the focus";
  QTest::keyClick(focus, static_cast<Qt::Key>(Key), Modifiers);
}

// Tabs until Target has the focus (at most 60 presses).
inline void TabTo(QWidget* Target) {
  for (int i = 0; i < 60 && QApplication::focusWidget() != Target; ++i) Press(Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), Target) << Target->objectName().toStdString();
}

// On each of Pages of the shown Form, every visible control that takes the focus has an
// accessible name (at least LeastPerPage such controls on each page); and every host
// control of the form has one, focusable or not.
inline void ExpectEveryControlNamed(Forms::TForm& Form, ComCtrls::TPageControl& PageControl,
                                    std::initializer_list<ComCtrls::TTabSheet*> Pages, int LeastPerPage) {
  for (ComCtrls::TTabSheet* page : Pages) {
    PageControl.SetActivePage(page);
    QCoreApplication::processEvents();
    int checked = 0;
    for (QWidget* w : Form.findChildren<QWidget*>()) {
      if (!w->isVisible() || w->focusPolicy() == Qt::NoFocus) continue;
      ++checked;
      EXPECT_FALSE(w->accessibleName().isEmpty())
          << page->Name() << ": " << w->metaObject()->className() << " " << w->objectName().toStdString();
    }
    EXPECT_GE(checked, LeastPerPage) << page->Name();
  }
  Form.hide();
  for (QWidget* w : Form.findChildren<QWidget*>()) {
    if (auto* c = dynamic_cast<Controls::TControl*>(w)) {
      EXPECT_FALSE(Accessible::Name(*c).empty()) << c->Name();
    }
  }
}
