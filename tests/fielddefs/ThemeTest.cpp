// The field-definitions dialog under a light and a dark theme and at any screen scaling:
// every text reads against its background, and pictures of both themes.
#include <gtest/gtest.h>

#include <memory>

#include "fielddefs/kytFieldDef.h"
#include "tests/filtermodel/Screenshot.h"
#include "tests/filtermodel/TestHost.h"
#include "tests/filtermodel/Theme.h"

namespace {

using namespace kytFieldDef;
using namespace kytSQLFilterStruc;

class FieldDefThemeTest : public ::testing::Test {
 protected:
  void SetUp() override { Make(); }
  // Two allowed fields and two available ones of ORDERS, the second allowed one shown,
  // ORDERS chosen on the available page, the refresh label shown.
  void Make() {
    form.reset();
    delete Campos;
    Campos = new TCampos;
    const char* const fields[][3] = {{"ORDERS.", "ID", "Order"},
                                     {"ORDERS.", "TOTAL", "Total"},
                                     {"ORDERS.", "DATE", "Date"},
                                     {"ORDERS.", "CITY", "City"}};
    for (int i = 0; i < 4; ++i) {
      auto* c = new TCampo;
      c->TableName = fields[i][0];
      c->FieldName = fields[i][1];
      c->Description = fields[i][2];
      c->ComboOrder = i;
      c->Visible = i < 2;
      c->Supported = true;
      c->DataType = fString;
      c->MaxSize = 30;
      Campos->Add(c);
    }
    form = std::make_unique<TformFDefs>(nullptr);
    form->InitializeLists();
    form->fieldList->ClickItem(1);
    form->cbTables->UserSelect(0);
    form->lsAvaiFields->SetItemIndex(0);
    form->lbRefreshing->SetVisible(true);
    form->show();
  }
  void TearDown() override {
    form->hide();
    form.reset();
    delete Campos;
    Campos = nullptr;
  }
  std::unique_ptr<TformFDefs> form;
};

TEST_F(FieldDefThemeTest, EveryTextReadsOnEveryPageInBothThemes) {
  for (const TThemeCase& r : kThemeCases) {
    const QPalette palette = r.Dark ? DarkPalette() : LightPalette();
    TThemeScope made(r.Fresh ? palette : LightPalette());  // the theme the dialog is made under
    Make();
    std::unique_ptr<TThemeScope> changed;
    if (!r.Fresh) changed = std::make_unique<TThemeScope>(palette);
    ASSERT_EQ(form->lsAvaiFields->Items()->Count(), 2);
    const std::pair<ComCtrls::TTabSheet*, int> pages[] = {
        {form->TabSheet1, 24}, {form->TabSheet2, 12}, {form->TabSheet3, 15}};
    for (const auto& [page, least] : pages) {
      form->PageControl1->SetActivePage(page);
      EXPECT_GE(ExpectTextsReadable(*form, std::string(r.Name) + " " + page->Name()), least) << "too few texts";
    }
  }
}

// Pictures: the dark theme at any scaling, the light one too at 200 percent.
TEST_F(FieldDefThemeTest, Screenshots) {
  const qreal ratio = form->devicePixelRatioF();
  for (const bool dark : {false, true}) {
    if (!dark && ratio < 1.5) continue;  // the light pictures at 100 percent are the plain ones
    TThemeScope theme(dark ? DarkPalette() : LightPalette());
    Make();
    const std::pair<ComCtrls::TTabSheet*, const char*> pages[] = {{form->TabSheet1, "field-definitions"},
                                                                  {form->TabSheet2, "field-definitions-available"},
                                                                  {form->TabSheet3, "field-definitions-refresh"}};
    for (const auto& [page, name] : pages) {
      form->PageControl1->SetActivePage(page);
      Shoot(*form, ThemedName(name, dark, ratio), 620, 391);
    }
  }
}

}  // namespace
