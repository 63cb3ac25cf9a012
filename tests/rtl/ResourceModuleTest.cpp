// Language modules: the user's language, where modules are looked for, and what a
// good, partial or damaged module leaves in the string table.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "host/rtl/ResourceModule.h"
#include "host/rtl/SysUtils.h"

namespace {

using namespace ResourceModule;
namespace fs = std::filesystem;

TEST(ResourceModuleLanguage, FromLocaleVariablesInPosixOrder) {
  struct TRow {
    const char *Name, *LcAll, *LcMessages, *Lang, *Expected;
  };
  const TRow rows[] = {
      {"lang only", nullptr, nullptr, "pt_BR.UTF-8", "pt_BR"},
      {"modifier dropped", nullptr, nullptr, "pt_PT@euro", "pt_PT"},
      {"language alone", nullptr, nullptr, "pt", "pt"},
      {"LC_MESSAGES over LANG", nullptr, "de_DE.UTF-8", "pt_BR.UTF-8", "de_DE"},
      {"LC_ALL over both", "fr_FR", "de_DE", "pt_BR", "fr_FR"},
      {"empty LC_ALL ignored", "", "", "pt_BR", "pt_BR"},
      {"C locale is none", "C", nullptr, "pt_BR", ""},
      {"C.UTF-8 is none", nullptr, nullptr, "C.UTF-8", ""},
      {"POSIX is none", nullptr, "POSIX", "pt_BR", ""},
      {"nothing set", nullptr, nullptr, nullptr, ""},
      {"path in LANG refused", nullptr, nullptr, "../../etc/passwd", ""},
      {"slash in region refused", nullptr, nullptr, "pt_B/R", ""},
  };
  for (const TRow& r : rows) EXPECT_EQ(LanguageFromLocale(r.LcAll, r.LcMessages, r.Lang), r.Expected) << r.Name;
}

TEST(ResourceModuleLanguage, CandidatesMostSpecificFirst) {
  struct TRow {
    const char *Module, *Language;
    std::vector<std::string> Expected;
  };
  const TRow rows[] = {
      {"/usr/lib/libkytFilterBasePkg.so.0",
       "pt_BR",
       {"/usr/lib/kytFilterBasePkg.pt_BR", "/usr/lib/kytFilterBasePkg.pt"}},
      {"/usr/lib/libkytFilterBasePkg.so.0.1.2", "pt", {"/usr/lib/kytFilterBasePkg.pt"}},
      {"/opt/x/libkytFilterBasePkg.so", "pt", {"/opt/x/kytFilterBasePkg.pt"}},
      {"/opt/x/kytFilterBasePkg.dll", "pt", {"/opt/x/kytFilterBasePkg.pt"}},
      {"/usr/lib/libkytFilterBasePkg.so.0", "", {}},
      {"/usr/lib/libkytFilterBasePkg.so.0", "../pt", {}},
  };
  for (const TRow& r : rows)
    EXPECT_EQ(ModuleFileCandidates(r.Module, r.Language), r.Expected) << r.Module << " " << r.Language;
}

// Texts of this test's own: a line message, a caption, and two choices.
constexpr int kLine = 71001, kFilter = 71002, kAnd = 71003, kOr = 71004, kPattern = 71005;

class ResourceModuleLoad : public ::testing::Test {
 protected:
  void SetUp() override {
    SysUtils::RegisterStr(kLine, "Problem at line %d");
    SysUtils::RegisterStr(kFilter, "Filter");
    SysUtils::RegisterStr(kAnd, "AND");
    SysUtils::RegisterStr(kOr, "OR");
    SysUtils::RegisterStr(kPattern, "mm/dd/yyyy");
    Rules.Fixed = {kPattern};
    Rules.Distinct = {{kAnd, kOr}};
  }
  void TearDown() override { RestoreEnglish(); }
  TLoadRules Rules;
};

const std::string H = std::string(Header) + "\n";

TEST_F(ResourceModuleLoad, BadEntriesAreSkippedAndTheRestIsTaken) {
  struct TRow {
    const char* Name;
    std::string Text;
    bool Used;
    int Taken, Skipped;
    const char *Line, *Filter, *Or;
  };
  const std::string huge = H + "# " + std::string(MaxModuleSize, 'x') + "\n71002=Filtro\n";
  const TRow rows[] = {
      {"good", H + "71001=Problema na linha %d\n71002=Filtro\n71004=OU\n", true, 3, 0, "Problema na linha %d", "Filtro",
       "OU"},
      {"partial: the rest stays English", H + "71002=Filtro\n", true, 1, 0, "Problem at line %d", "Filtro", "OR"},
      {"BOM, CR LF, comments, blanks", "\xEF\xBB\xBF" + std::string(Header) + "\r\n# x\r\n\r\n 71002 =Filtro\r\n", true,
       1, 0, "Problem at line %d", "Filtro", "OR"},
      {"empty file", "", false, 0, 0, "Problem at line %d", "Filter", "OR"},
      {"wrong header", "KYT language module 2\n71002=Filtro\n", false, 0, 0, "Problem at line %d", "Filter", "OR"},
      {"binary junk", std::string("\0\xFF\xFE\x01\n71002=x", 10), false, 0, 0, "Problem at line %d", "Filter", "OR"},
      {"too large", huge, false, 0, 0, "Problem at line %d", "Filter", "OR"},
      {"bad UTF-8 in one entry", H + "71002=Filtr\xC3\n71004=OU\n", true, 1, 1, "Problem at line %d", "Filter", "OU"},
      {"overlong UTF-8", H + "71002=\xC0\xAF\n", true, 0, 1, "Problem at line %d", "Filter", "OR"},
      {"outside Windows-1252", H + "71002=Filtro \xE4\xB8\xAD\n", true, 0, 1, "Problem at line %d", "Filter", "OR"},
      {"placeholder dropped", H + "71001=Problema na linha\n", true, 0, 1, "Problem at line %d", "Filter", "OR"},
      {"placeholder changed", H + "71001=Problema na linha %s\n", true, 0, 1, "Problem at line %d", "Filter", "OR"},
      {"placeholder added", H + "71002=Filtro %d\n", true, 0, 1, "Problem at line %d", "Filter", "OR"},
      {"unknown identifiers and keys", H + "79999=x\n71000=x\nFoo=x\nTformX.b.Width=1\n99999999999=x\n", true, 0, 5,
       "Problem at line %d", "Filter", "OR"},
      {"fixed identifier", H + "71005=dd/mm/yyyy\n", true, 0, 1, "Problem at line %d", "Filter", "OR"},
      {"no '=' and empty text", H + "71002\n71002=\n", true, 0, 2, "Problem at line %d", "Filter", "OR"},
      {"second of a key skipped", H + "71002=Filtro\n071002=Outro\n", true, 1, 1, "Problem at line %d", "Filtro", "OR"},
      {"escapes", H + "71002=Um\\nDois\\\\\n71004=\\q\n", true, 1, 1, "Problem at line %d", "Um\nDois\\", "OR"},
      {"control character", H + "71002=Fil\x01tro\n", true, 0, 1, "Problem at line %d", "Filter", "OR"},
      {"text too long", H + "71002=" + std::string(MaxTextLength + 1, 'a') + "\n", true, 0, 1, "Problem at line %d",
       "Filter", "OR"},
      {"choices must differ", H + "71003=OU\n71004=OU\n", true, 1, 1, "Problem at line %d", "Filter", "OR"},
      {"choice equal to an English one", H + "71004=AND\n", true, 0, 1, "Problem at line %d", "Filter", "OR"},
  };
  for (const TRow& r : rows) {
    const TLoadResult result = LoadModuleText(r.Text, "m", Rules);
    EXPECT_EQ(!result.FileUsed.empty(), r.Used) << r.Name;
    EXPECT_EQ(result.Taken, r.Taken) << r.Name;
    EXPECT_EQ(result.Skipped, r.Skipped) << r.Name;
    EXPECT_EQ(result.Problems.size(), static_cast<size_t>(r.Skipped) + (r.Used ? 0 : 1)) << r.Name;
    EXPECT_EQ(SysUtils::LoadStr(kLine), r.Line) << r.Name;
    EXPECT_EQ(SysUtils::LoadStr(kFilter), r.Filter) << r.Name;
    EXPECT_EQ(SysUtils::LoadStr(kOr), r.Or) << r.Name;
    EXPECT_EQ(SysUtils::LoadStr(kPattern), "mm/dd/yyyy") << r.Name;
    EXPECT_EQ(LoadedKeys().size(), static_cast<size_t>(r.Taken)) << r.Name;
  }
}

TEST_F(ResourceModuleLoad, CaptionsAndGoingBackToEnglish) {
  LoadModuleText(H + "71002=Filtro\nTformA.Caption=Janela\nTformA.lb.Caption=Linha %d\nTformA.lb.Hint=Dica\n", "m");
  EXPECT_EQ(Caption("TformA.Caption", "Window"), "Janela");
  EXPECT_EQ(Caption("TformA.lb.Caption", "Line %d"), "Linha %d");
  EXPECT_EQ(Caption("TformA.lb.Caption", "Line"), "Line") << "placeholders differ: English";
  EXPECT_EQ(Caption("TformA.other.Caption", "Other"), "Other");
  EXPECT_EQ(CaptionDefaults().at("TformA.Caption"), "Window");
  RestoreEnglish();
  EXPECT_EQ(SysUtils::LoadStr(kFilter), "Filter");
  EXPECT_EQ(Caption("TformA.Caption", "Window"), "Window");
  EXPECT_TRUE(LoadedKeys().empty());
  // A second module replaces the first entirely.
  LoadModuleText(H + "71002=Filtro\n", "m");
  LoadModuleText(H + "71004=OU\n", "m");
  EXPECT_EQ(SysUtils::LoadStr(kFilter), "Filter");
  EXPECT_EQ(SysUtils::LoadStr(kOr), "OU");
}

TEST_F(ResourceModuleLoad, ModuleBesideTheLibraryMostSpecificFirst) {
  const fs::path dir =
      fs::temp_directory_path() / ("kyt-lang-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string library = (dir / "libX.so.0").string();
  auto write = [&](const char* Name, const std::string& Text) { std::ofstream(dir / Name, std::ios::binary) << Text; };
  struct TRow {
    const char* Name;
    std::function<void()> Prepare;
    const char* Language;
    const char* Used;  // file name, "" for none
    const char* Filter;
  };
  const TRow rows[] = {
      {"region first",
       [&] {
         write("X.pt", H + "71002=Filtro pt\n");
         write("X.pt_BR", H + "71002=Filtro br\n");
       },
       "pt_BR", "X.pt_BR", "Filtro br"},
      {"language alone", [] {}, "pt", "X.pt", "Filtro pt"},
      {"other region falls to the language", [] {}, "pt_PT", "X.pt", "Filtro pt"},
      {"damaged region module falls to the language", [&] { write("X.pt_BR", "junk"); }, "pt_BR", "X.pt", "Filtro pt"},
      {"a folder is no module",
       [&] {
         fs::remove(dir / "X.pt_BR");
         fs::create_directory(dir / "X.pt_BR");
       },
       "pt_BR", "X.pt", "Filtro pt"},
      {"no module for the language", [] {}, "fr_FR", "", "Filter"},
      {"no language", [] {}, "", "", "Filter"},
  };
  for (const TRow& r : rows) {
    r.Prepare();
    const TLoadResult result = LoadForModule(library, r.Language, Rules);
    EXPECT_EQ(result.FileUsed, *r.Used ? (dir / r.Used).string() : "") << r.Name;
    EXPECT_EQ(SysUtils::LoadStr(kFilter), r.Filter) << r.Name;
  }
  fs::remove_all(dir);
}

}  // namespace
