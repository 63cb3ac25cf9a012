// The shipped Portuguese language module: it loads whole, translates every text of the
// message table and every fixed caption of both dialogs, and English comes back.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "fielddefs/kytFieldDef.h"
#include "filterdialog/kytSQLFilterForm.h"
#include "filtermodel/kytSQLFilterRes.h"
#include "host/rtl/SysUtils.h"
#include "tests/filtermodel/Screenshot.h"

namespace {

using namespace kytSQLFilterRes;

// A library name in the folder of the shipped modules: the module is looked for beside it.
const std::string kLibrary = std::string(KYT_LANG_DIR) + "/libkytFilterBasePkg.so.0";

std::string Joined(const std::vector<std::string>& Lines) {
  std::string s;
  for (const std::string& l : Lines) s += l + "\n";
  return s;
}

TEST(PortugueseModule, LoadsWholeAndCoversEveryTextAndCaption) {
  UseEnglish();
  std::set<std::string> expected;
  for (int id = FirstIdent; id <= LastIdent; ++id)
    if (!Text(id).empty() && id != sDefaultDateFormat) expected.insert(std::to_string(id));
  {  // Building both dialogs makes their captions known with their English texts.
    kytSQLFilterForm::TformFilter filter(nullptr);
    kytFieldDef::TformFDefs defs(nullptr);
  }
  for (const auto& [key, english] : ResourceModule::CaptionDefaults()) expected.insert(key);

  const ResourceModule::TLoadResult result = LoadLanguageModule(kLibrary, "pt_BR");
  EXPECT_EQ(result.FileUsed, std::string(KYT_LANG_DIR) + "/kytFilterBasePkg.pt");
  EXPECT_EQ(result.Skipped, 0) << Joined(result.Problems);
  EXPECT_TRUE(result.Problems.empty()) << Joined(result.Problems);
  // Exactly: a text or caption without translation, or a stale key, shows here.
  const std::set<std::string> loaded = ResourceModule::LoadedKeys();
  std::vector<std::string> missing, stale;
  std::set_difference(expected.begin(), expected.end(), loaded.begin(), loaded.end(), std::back_inserter(missing));
  std::set_difference(loaded.begin(), loaded.end(), expected.begin(), expected.end(), std::back_inserter(stale));
  EXPECT_TRUE(missing.empty()) << "not translated:\n" << Joined(missing);
  EXPECT_TRUE(stale.empty()) << "no such text or caption:\n" << Joined(stale);
  EXPECT_EQ(Text(sDefaultDateFormat), "mm/dd/yyyy");
  EXPECT_EQ(TextForLine(sProblemAtLine, 3), "Problema na linha 3");

  // A dialog built now reads Portuguese; one built after going back, English.
  auto texts = [] {
    kytFieldDef::TformFDefs defs(nullptr);
    return std::vector<std::string>{defs.Caption(), defs.TabSheet2->Caption(), defs.ckb4->Hint(),
                                    defs.BitBtn2->Caption()};
  };
  EXPECT_EQ(texts(), (std::vector<std::string>{
                         "Defini\xE7\xE3o de campos", "Campos dispon\xEDveis",
                         "Adiciona \xE0 lista os campos novos que antes n\xE3o estavam dispon\xEDveis", "Cancelar"}));
  UseEnglish();
  EXPECT_EQ(texts(), (std::vector<std::string>{"Field Definition", "Available Fields",
                                               "Add to the field list new fields not available before", "Cancel"}));
  EXPECT_EQ(Text(sProblemAtLine), "Problem at line %d");
  EXPECT_TRUE(ResourceModule::LoadedKeys().empty());
}

TEST(PortugueseModule, FieldDefinitionsScreenshots) {
  ASSERT_EQ(LoadLanguageModule(kLibrary, "pt").Skipped, 0);
  {
    kytFieldDef::TformFDefs form(nullptr);
    form.show();
    Shoot(form, "field-definitions-pt.png", 620, 391);
    form.PageControl1->SetActivePage(form.TabSheet2);
    Shoot(form, "field-definitions-available-pt.png", 620, 391);
    form.PageControl1->SetActivePage(form.TabSheet3);
    form.lbRefreshing->SetVisible(true);
    Shoot(form, "field-definitions-refresh-pt.png", 620, 391);
    form.hide();
  }
  UseEnglish();
}

}  // namespace
