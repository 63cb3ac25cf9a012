// Real mouse drag and drop between the ordering lists, on a real window system (run
// under xvfb-run with the xcb platform).
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <string>

#include "tests/filterdialog/DialogFixture.h"

namespace dialogtest {
namespace {

class RealDragTest : public DialogTest {
 public:
  void SetUp() override {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs the xcb platform (run under xvfb-run)";
    DialogTest::SetUp();
    form->InitOrdemData();
    form->PageControl1->SetActivePage(form->TabSheet2);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }

  // Presses on item From of Source, moves far enough to start the drag, and, inside
  // the drag's own loop, moves over item To of Ordered (or below its last item) and
  // releases the button there.
  void Drag(StdCtrls::TListBox* Source, int From, int To) {
    QWidget* source = Source->viewport();
    QWidget* target = form->Ordered->viewport();
    const QPoint start = Source->visualItemRect(Source->item(From)).center();
    const int count = form->Ordered->count();
    const QPoint end = To < count ? form->Ordered->visualItemRect(form->Ordered->item(To)).center()
                                  : QPoint(20, count * 17 + 8);
    QTimer::singleShot(300, target, [target, end] {
      QTest::mouseMove(target, end - QPoint(0, 2));
      QTest::mouseMove(target, end);
      QTest::mouseRelease(target, Qt::LeftButton, {}, end);
    });
    QTest::mousePress(source, Qt::LeftButton, {}, start);
    QTest::mouseMove(source, start + QPoint(0, 4));
    QTest::mouseMove(source, start + QPoint(QApplication::startDragDistance() + 10, 6));
    QTest::qWait(500);
  }

  std::string Ordered() const { return form->Ordered->Items()->Text(); }
};

TEST_F(RealDragTest, MouseDragsColumnsIntoAndInsideTheOrdering) {
  Drag(form->Ordem, 1, 0);  // ORDERS.TOTAL into the empty list
  EXPECT_EQ(Ordered(), "ORDERS.TOTAL\r\n");
  Drag(form->Ordem, 0, 0);  // CUSTOMER.NAME on the first entry: before it
  EXPECT_EQ(Ordered(), "CUSTOMER.NAME\r\nORDERS.TOTAL\r\n");
  Drag(form->Ordered, 0, 2);  // the first entry below the last
  EXPECT_EQ(Ordered(), "ORDERS.TOTAL\r\nCUSTOMER.NAME\r\n");
  NoFixedOrd = 1;
  Drag(form->Ordem, 2, 0);  // above the fixed entry: refused
  EXPECT_EQ(Ordered(), "ORDERS.TOTAL\r\nCUSTOMER.NAME\r\n");
}

}  // namespace
}  // namespace dialogtest
