// The filter dialog in Portuguese, from the shipped language module: what the user
// reads changes, the SQL it builds does not, and English comes back afterwards.
#include "DialogFixture.h"
#include "filtermodel/kytSQLFilterRes.h"
#include "host/ui/Accessible.h"
#include "tests/filtermodel/Screenshot.h"

namespace dialogtest {
namespace {

class PortugueseDialogTest : public DialogTest {
 public:
  void SetUp() override {
    Loaded = kytSQLFilterRes::LoadLanguageModule(std::string(KYT_LANG_DIR) + "/libkytFilterBasePkg.so.0", "pt_BR");
    DialogTest::SetUp();
  }
  void TearDown() override {
    DialogTest::TearDown();
    kytSQLFilterRes::UseEnglish();
  }
  ResourceModule::TLoadResult Loaded;
};

TEST_F(PortugueseDialogTest, TextsTranslatedSqlUnchangedScreenshot) {
  ASSERT_FALSE(Loaded.FileUsed.empty());
  EXPECT_EQ(Loaded.Skipped, 0);
  EXPECT_EQ(form->Caption(), "Filtro");
  EXPECT_EQ(form->TabSheet2->Caption(), "Ordena\xE7\xE3o");
  EXPECT_EQ(form->ckCase->Caption(), "Distinguir mai\xFAsculas");
  EXPECT_EQ(form->btSee->Hint(), "Mostrar SQL (F4)");
  EXPECT_EQ(form->Ordem->Hint(), "Campos da tabela de origem");
  EXPECT_EQ(Accessible::Name(*form->btParenteses), "Mostrar ou ocultar as colunas de par\xEAnteses");
  EXPECT_EQ(Accessible::Name(*form->TabSheet3), "Descri\xE7\xE3o");

  form->btParenteses->Click();
  form->eBGroup1->TypeText("(");
  SetLine(1, "Name",
          "Come\xE7"
          "a",
          "Smi", 2);
  SetLine(2, "Total", "n\xE3o nulo", "");
  Line(2).EGroup->TypeText(")");
  SetLine(2, "", "", "", 1);
  SetLine(3, "Shipped", "", "12311999");
  form->btSee->Click();
  // The comparisons shown in Portuguese still make the same SQL.
  const std::vector<std::string> expected = {"(( UPPER(CUSTOMER.NAME) Starting with  'SMI' ) OR",
                                             "( ORDERS.TOTAL is not Null  )) AND",
                                             "Compara\xE7\xE3o inv\xE1lida na linha 3"};
  EXPECT_EQ(Build(), expected);
  form->show();
  Shoot(*form, "filter-dialog-pt.png", 531, 299);
  form->hide();

  kytSQLFilterRes::UseEnglish();
  Create();
  EXPECT_EQ(form->Caption(), "Filter");
  EXPECT_EQ(form->ckCase->Caption(), "Case Sensitive");
  EXPECT_EQ(Accessible::Name(*form->btParenteses), "Show or hide the parentheses columns");
  EXPECT_EQ(form->eOperation1->Items()->Get(1), "AND");
  EXPECT_EQ(form->eComparision1->Items()->Get(8), "Start with");
}

}  // namespace
}  // namespace dialogtest
