// Real mouse drag and drop in the field-definitions dialog, on a real window system (run
// under xvfb-run with the xcb platform).
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <memory>
#include <string>

#include "fielddefs/kytFieldDef.h"

namespace {

using namespace kytFieldDef;
using namespace kytSQLFilterStruc;

class RealDragTest : public ::testing::Test {
 public:
  void SetUp() override {
    if (QGuiApplication::platformName() != "xcb") GTEST_SKIP() << "needs the xcb platform (run under xvfb-run)";
    delete Campos;
    Campos = new TCampos;
    const char* const fields[] = {"ID", "TOTAL", "DATE", "STATUS"};
    for (int i = 0; i < 4; ++i) {
      auto* c = new TCampo;
      c->TableName = "ORDERS.";
      c->FieldName = fields[i];
      c->Description = fields[i];
      c->ComboOrder = i;
      c->Visible = i < 2;
      c->Supported = true;
      Campos->Add(c);
    }
    form = std::make_unique<TformFDefs>(nullptr);
    form->InitializeLists();
    form->cbTables->UserSelect(0);
    form->PageControl1->SetActivePage(form->TabSheet2);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  }
  void TearDown() override {
    form.reset();
    delete Campos;
    Campos = nullptr;
  }

  // Presses on item From of Source, starts the drag, and inside the drag's own loop
  // releases the button over item To of the allowed list (or below its last item).
  void Drag(StdCtrls::TListBox* Source, int From, int To) {
    QWidget* source = Source->viewport();
    QWidget* target = form->fieldList->viewport();
    const QPoint start = Source->visualItemRect(Source->item(From)).center();
    const int count = form->fieldList->count();
    const QPoint end = To < count ? form->fieldList->visualItemRect(form->fieldList->item(To)).center()
                                  : form->fieldList->visualItemRect(form->fieldList->item(count - 1)).center() +
                                        QPoint(0, 40);
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

  std::string Allowed() const { return form->fieldList->Items()->Text(); }
  std::unique_ptr<TformFDefs> form;
};

TEST_F(RealDragTest, MouseDragsFieldsIntoAndInsideTheAllowedList) {
  Drag(form->lsAvaiFields, 1, 0);  // STATUS onto the first allowed field: before it
  EXPECT_EQ(Allowed(), "STATUS\r\nID\r\nTOTAL\r\n");
  EXPECT_TRUE(Campos->Get(3)->Visible);
  Drag(form->fieldList, 0, 3);  // STATUS below the last
  EXPECT_EQ(Allowed(), "ID\r\nTOTAL\r\nSTATUS\r\n");
  Drag(form->lsAvaiFields, 0, 3);  // DATE below the last
  EXPECT_EQ(Allowed(), "ID\r\nTOTAL\r\nSTATUS\r\nDATE\r\n");
  EXPECT_EQ(form->lsAvaiFields->count(), 0);
}

}  // namespace
