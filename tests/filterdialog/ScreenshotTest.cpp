// Pictures of the dialog for the documentation: three criteria lines (one with
// parentheses) with the SQL panel shown, and the ordering page.
#include "DialogFixture.h"
#include "tests/filtermodel/Screenshot.h"

namespace dialogtest {
namespace {

TEST_F(DialogTest, Screenshots) {
  FillPictureLines();
  form->show();
  Shoot(*form, "filter-dialog.png", 531, 299);
  EXPECT_EQ(form->MemoSQL->Lines()->Count(), 3);

  NoFixedOrd = 1;
  form->InitOrdemData();
  form->Ordered->Items()->SetText("CUSTOMER.NAME\r\nORDERS.TOTAL\r\nORDERS.SHIPPED\r\n");
  form->PageControl1->SetActivePage(form->TabSheet2);
  Shoot(*form, "filter-ordering.png", 531, 299);
  form->hide();
}

}  // namespace
}  // namespace dialogtest
