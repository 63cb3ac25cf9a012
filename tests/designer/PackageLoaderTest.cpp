// The package loader over the built component packages, loaded by path into a program
// that links only the host libraries, as a designer does.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/designer/DesignIntf.h"
#include "host/designer/PackageLoader.h"
#include "host/rtl/SysUtils.h"
#include "host/rtl/TypInfo.h"

namespace {

const std::string kBase = KYT_BASE_PKG;
const std::string kIBO = KYT_IBO_PKG;
const std::string kBDE = KYT_BDE_PKG;
const std::string kQtSql = KYT_QTSQL_PKG;

// What a designer sees of the registries: each palette page with its classes (a class
// with a palette bitmap of the right size marked "+"), and which of the classes the
// packages bring are known to form files (sorted).
using TSnapshot = std::map<std::string, std::vector<std::string>>;

TSnapshot Registries() {
  TSnapshot s;
  for (const std::string& page : DesignIntf::PalettePages())
    for (const DesignIntf::TPaletteEntry& e : DesignIntf::PaletteClasses(page))
      s[page].push_back(e.ClassName + (e.Bitmap && e.Bitmap->size() == 392 ? "+" : ""));
  for (const char* name : {"TkytIBOFilter", "TkytIBDFilter", "TkytBDEFilter", "TkytQtSqlFilter", "TIB_Query",
                           "TIBOQuery", "TQuery", "TQtSqlQuery", "TDataModule"})
    if (TypInfo::FindClass(name)) s["classes"].push_back(name);
  std::sort(s["classes"].begin(), s["classes"].end());
  return s;
}

// The value the FilterFieldDefs editor shows for a new component of ClassName; "none"
// without an editor.
std::string FieldDefsEditor(const std::string& ClassName) {
  const TypInfo::TClassInfo* info = TypInfo::FindClass(ClassName);
  if (!info || !info->Create) return "no class";
  std::unique_ptr<Classes::TComponent> component(info->Create(nullptr));
  DesignIntf::TCountingDesigner designer;
  auto editor = DesignIntf::CreatePropertyEditor(designer, *component, "FilterFieldDefs");
  if (!editor) return "none";
  return editor->GetAttributes().Contains(DesignIntf::TPropertyAttribute::paDialog) ? editor->GetValue() : "no dialog";
}

std::string FailureOf(void (*Step)()) {
  try {
    Step();
  } catch (const SysUtils::Exception& e) {
    return e.Message();
  }
  return "";
}

class PackageLoaderTest : public ::testing::Test {
 protected:
  void TearDown() override { PackageLoader::UnloadAll(); }
};

TEST_F(PackageLoaderTest, EachPackageRegistersItsOwnAndUnloadingTakesItAway) {
  const TSnapshot before = Registries();
  struct Row {
    const char* Name;
    std::vector<std::string> Files;
    TSnapshot Added;
  };
  const Row rows[] = {
      {"base alone registers nothing", {kBase}, {}},
      {"IBO",
       {kBase, kIBO},
       {{"IB Controls", {"TkytIBOFilter+", "TkytIBDFilter+"}},
        {"Data Access", {"TIB_Query", "TIBOQuery"}},
        {"classes", {"TkytIBOFilter", "TkytIBDFilter", "TIB_Query", "TIBOQuery"}}}},
      {"BDE",
       {kBase, kBDE},
       {{"Data Controls", {"TkytBDEFilter+"}}, {"Data Access", {"TQuery"}}, {"classes", {"TkytBDEFilter", "TQuery"}}}},
      {"Qt SQL",
       {kBase, kQtSql},
       {{"Qt SQL", {"TkytQtSqlFilter+", "TQtSqlQuery"}}, {"classes", {"TkytQtSqlFilter", "TQtSqlQuery"}}}},
      {"both",
       {kBase, kIBO, kBDE},
       {{"IB Controls", {"TkytIBOFilter+", "TkytIBDFilter+"}},
        {"Data Controls", {"TkytBDEFilter+"}},
        {"Data Access", {"TIB_Query", "TIBOQuery", "TQuery"}},
        {"classes", {"TkytIBOFilter", "TkytIBDFilter", "TkytBDEFilter", "TIB_Query", "TIBOQuery", "TQuery"}}}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    for (const std::string& file : row.Files) PackageLoader::LoadPackage(file);
    TSnapshot expected = before;
    for (const auto& [key, names] : row.Added) expected[key].insert(expected[key].end(), names.begin(), names.end());
    std::sort(expected["classes"].begin(), expected["classes"].end());
    EXPECT_EQ(Registries(), expected);
    for (const char* filter : {"TkytIBOFilter", "TkytIBDFilter", "TkytBDEFilter", "TkytQtSqlFilter"}) {
      if (TypInfo::FindClass(filter)) {
        EXPECT_EQ(FieldDefsEditor(filter), "Fields Defs") << filter;
      }
    }

    PackageLoader::UnloadAll();
    EXPECT_EQ(Registries(), before) << "after unloading";
    EXPECT_TRUE(PackageLoader::LoadedPackages().empty());
  }
}

TEST_F(PackageLoaderTest, FramesAreReadAndLoadingTwiceDoesNothing) {
  PackageLoader::LoadPackage(kBase);
  PackageLoader::LoadPackage(kIBO);
  // The same base again, under its unversioned name.
  const std::string plain = kBase.substr(0, kBase.find(".so") + 3);
  PackageLoader::LoadPackage(plain);

  const std::vector<PackageLoader::TPackageInfo> loaded = PackageLoader::LoadedPackages();
  ASSERT_EQ(loaded.size(), 2u);
  EXPECT_EQ(loaded[0].Name, "kytFilterBasePkg");
  EXPECT_EQ(loaded[0].Description, "KYT Filter Base Package");
  EXPECT_EQ(loaded[0].FileName, kBase);
  EXPECT_EQ(loaded[0].Units,
            (std::vector<std::string>{"Parse", "kytSQLFilterRes", "kytSQLFilterStruc", "kytSQLFilterForm", "kytFieldDef"}));
  EXPECT_TRUE(loaded[0].Requires.empty());
  EXPECT_EQ(loaded[1].Name, "kytIBOFilterPkg");
  EXPECT_EQ(loaded[1].Description, "KYT IBO filter components");
  EXPECT_EQ(loaded[1].Units, (std::vector<std::string>{"kytIBOFilter", "kytIBDFilter"}));
  EXPECT_EQ(loaded[1].Requires, std::vector<std::string>{"kytFilterBasePkg"});
}

TEST_F(PackageLoaderTest, RefusalsNameTheReasonAndLeaveNothingBehind) {
  const TSnapshot before = Registries();
  struct Row {
    const char* Name;
    void (*Step)();
    const char* Message;  // the start of the message
  };
  const Row rows[] = {
      {"IBO without base", [] { PackageLoader::LoadPackage(kIBO); },
       "Package kytIBOFilterPkg requires kytFilterBasePkg, which is not loaded"},
      {"BDE without base", [] { PackageLoader::LoadPackage(kBDE); },
       "Package kytBDEFilterPkg requires kytFilterBasePkg, which is not loaded"},
      {"no such file", [] { PackageLoader::LoadPackage("/nonexistent/libkytNothingPkg.so"); },
       "Cannot load package /nonexistent/libkytNothingPkg.so: "},
      {"a library without a frame", [] { PackageLoader::LoadPackage(KYT_NOT_A_PKG); }, KYT_NOT_A_PKG},
      {"unloading what is not loaded", [] { PackageLoader::UnloadPackage("kytIBOFilterPkg"); },
       "Package kytIBOFilterPkg is not loaded"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    EXPECT_EQ(FailureOf(row.Step).rfind(row.Message, 0), 0u) << FailureOf(row.Step);
    EXPECT_EQ(Registries(), before);
    EXPECT_TRUE(PackageLoader::LoadedPackages().empty());
  }
}

TEST_F(PackageLoaderTest, ARequiredPackageStaysWhileAnotherNeedsIt) {
  PackageLoader::LoadPackage(kBase);
  PackageLoader::LoadPackage(kIBO);
  const TSnapshot loaded = Registries();
  EXPECT_EQ(FailureOf([] { PackageLoader::UnloadPackage("kytFilterBasePkg"); }),
            "Package kytFilterBasePkg cannot be unloaded: kytIBOFilterPkg requires it");
  EXPECT_EQ(Registries(), loaded);
  EXPECT_EQ(PackageLoader::LoadedPackages().size(), 2u);

  PackageLoader::UnloadPackage("kytIBOFilterPkg");
  PackageLoader::UnloadPackage("kytFilterBasePkg");
  EXPECT_TRUE(PackageLoader::LoadedPackages().empty());
}

// A form-file class the program registers itself survives a package that registers the
// same name, whichever came first.
TEST_F(PackageLoaderTest, TheProgramsOwnClassOutlivesThePackages) {
  auto programQuery = [](const char* Marker) {
    TypInfo::RegisterClass({"TQuery", Marker, nullptr, {}});
  };
  struct Row {
    const char* Name;
    bool ProgramFirst;
  };
  for (const Row& row : {Row{"program, then package", true}, Row{"package, then program", false}}) {
    SCOPED_TRACE(row.Name);
    if (row.ProgramFirst) programQuery("TProgramParent");
    PackageLoader::LoadPackage(kBase);
    PackageLoader::LoadPackage(kBDE);
    EXPECT_EQ(TypInfo::FindClass("TQuery")->ParentName, "TComponent") << "the package's is on top";
    if (!row.ProgramFirst) programQuery("TProgramParent");
    PackageLoader::UnloadAll();
    const TypInfo::TClassInfo* query = TypInfo::FindClass("TQuery");
    ASSERT_NE(query, nullptr);
    EXPECT_EQ(query->ParentName, "TProgramParent");
  }
}

}  // namespace
