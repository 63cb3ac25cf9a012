// Pictures of the dialog for the documentation: three criteria lines (one with
// parentheses) with the SQL panel shown, and the ordering page.
#include "DialogFixture.h"

#include <QCoreApplication>
#include <QImage>

#include <filesystem>
#include <set>

namespace dialogtest {
namespace {

// Writes the shown dialog to DIR/Name and checks that it holds a picture: the
// dialog's size and many colours, not a blank area.
void Shoot(TformFilter& Dialog, const std::string& Name) {
  QCoreApplication::processEvents();
  const QImage image = Dialog.grab().toImage();
  const std::filesystem::path dir = KYT_SCREENSHOT_DIR;
  std::filesystem::create_directories(dir);
  const std::string file = (dir / Name).string();
  ASSERT_TRUE(image.save(QString::fromStdString(file), "PNG")) << file;
  EXPECT_EQ(image.width(), 531);
  EXPECT_EQ(image.height(), 299);
  std::set<QRgb> colours;
  for (int y = 0; y < image.height(); y += 3)
    for (int x = 0; x < image.width(); x += 3) colours.insert(image.pixel(x, y));
  EXPECT_GT(colours.size(), 20u) << file;
}

TEST_F(DialogTest, Screenshots) {
  form->SetCaption("Filter selection");
  form->btParenteses->Click();
  form->eBGroup1->TypeText("(");
  SetLine(1, "Name", "Start with", "Smi", 2);
  SetLine(2, "Total", ">=", "100");
  Line(2).EGroup->TypeText(")");
  SetLine(2, "", "", "", 1);
  SetLine(3, "Shipped", "<", "12311999");
  form->btSee->Click();
  form->show();
  Shoot(*form, "filter-dialog.png");
  EXPECT_EQ(form->MemoSQL->Lines()->Count(), 3);

  NoFixedOrd = 1;
  form->InitOrdemData();
  form->Ordered->Items()->SetText("CUSTOMER.NAME\r\nORDERS.TOTAL\r\nORDERS.SHIPPED\r\n");
  form->PageControl1->SetActivePage(form->TabSheet2);
  Shoot(*form, "filter-ordering.png");
  form->hide();
}

}  // namespace
}  // namespace dialogtest
