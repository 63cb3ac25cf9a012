#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/designer/DesignIntf.h"

namespace {

using namespace DesignIntf;

// Two property types of their own, as component units declare them.
struct TDefsA : std::string {};
struct TDefsB : std::string {};

class TBaseC : public Classes::TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TBaseC"; }
  std::string Defs = "image";
};
class TDerivedC : public TBaseC {
 public:
  using TBaseC::TBaseC;
  std::string ClassName() const override { return "TDerivedC"; }
};
class TOtherC : public Classes::TComponent {
 public:
  using TComponent::TComponent;
  std::string ClassName() const override { return "TOtherC"; }
};

TypInfo::TPropInfo DefsProp(const char* Name, const std::type_info& Type) {
  TypInfo::TPropInfo p = TypInfo::StringProp<TBaseC>(
      Name, [](const TBaseC& C) { return C.Defs; }, [](TBaseC& C, const std::string& V) { C.Defs = V; });
  p.Type = &Type;
  return p;
}

void RegisterTestClasses() {
  TypInfo::RegisterClass({"TBaseC", "TComponent", nullptr,
                          {DefsProp("FieldDefs", typeid(TDefsA)), DefsProp("Other", typeid(TDefsA)),
                           DefsProp("BDefs", typeid(TDefsB))}});
  TypInfo::RegisterClass({"TDerivedC", "TBaseC", nullptr, {}});
  TypInfo::RegisterClass({"TOtherC", "TComponent", nullptr, {DefsProp("FieldDefs", typeid(TDefsA))}});
}

// An editor that says who made it.
template <int N>
class TTagEditor : public TPropertyEditor {
 public:
  using TPropertyEditor::TPropertyEditor;
  TPropertyAttributes GetAttributes() const override { return {TPropertyAttribute::paDialog}; }
  std::string GetValue() const override { return "editor " + std::to_string(N); }
  void Edit() override { Modified(); }
};

std::string EditorOf(Classes::TPersistent& Component, const std::string& Prop) {
  TCountingDesigner designer;
  auto editor = CreatePropertyEditor(designer, Component, Prop);
  return editor ? editor->GetValue() : "none";
}

TEST(DesignIntfEditors, LastMatchingRegistrationByTypeClassAndName) {
  RegisterTestClasses();
  const TModuleId previous = SetRegisteringModule(101);
  RegisterPropertyEditor(typeid(TDefsA), "", "", EditorClass<TTagEditor<1>>());
  RegisterPropertyEditor(typeid(TDefsA), "TBaseC", "FieldDefs", EditorClass<TTagEditor<2>>());
  RegisterPropertyEditor(typeid(TDefsB), "TDerivedC", "", EditorClass<TTagEditor<3>>());
  SetRegisteringModule(previous);

  TBaseC base(nullptr);
  TDerivedC derived(nullptr);
  TOtherC other(nullptr);
  struct Row {
    const char* Name;
    Classes::TPersistent* Component;
    const char* Prop;
    const char* Expected;
  };
  const Row rows[] = {
      {"class and name match", &base, "FieldDefs", "editor 2"},
      {"name without case", &base, "fielddefs", "editor 2"},
      {"descendant of the class", &derived, "FieldDefs", "editor 2"},
      {"other name: any-name editor", &base, "Other", "editor 1"},
      {"other class: any-class editor", &other, "FieldDefs", "editor 1"},
      {"type B only for the descendant", &derived, "BDefs", "editor 3"},
      {"type B not for the ancestor", &base, "BDefs", "none"},
      {"unknown property", &base, "Nothing", "none"},
  };
  for (const Row& row : rows) EXPECT_EQ(EditorOf(*row.Component, row.Prop), row.Expected) << row.Name;

  UnregisterModule(101);
  EXPECT_EQ(EditorOf(base, "FieldDefs"), "none") << "unloading takes the module's editors away";
}

TEST(DesignIntfEditors, EditorSeesItsComponentAndTellsTheDesigner) {
  RegisterTestClasses();
  RegisterPropertyEditor(typeid(TDefsA), "", "", EditorClass<TTagEditor<7>>());
  TBaseC base(nullptr);
  TCountingDesigner designer;
  auto editor = CreatePropertyEditor(designer, base, "FieldDefs");
  ASSERT_TRUE(editor);
  EXPECT_EQ(editor->GetComponent(0), &base);
  EXPECT_THROW(editor->GetComponent(1), Classes::EListError);
  EXPECT_TRUE(editor->GetAttributes().Contains(TPropertyAttribute::paDialog));
  EXPECT_FALSE(editor->GetAttributes().Contains(TPropertyAttribute::paReadOnly));
  editor->Edit();
  editor->Edit();
  EXPECT_EQ(designer.ModifiedCount(), 2);

  // The base editor shows the value itself.
  TPropertyEditor plain(designer, base, *TypInfo::GetPropInfo("TBaseC", "FieldDefs"));
  EXPECT_EQ(plain.GetValue(), "image");
}

TEST(DesignIntfPalette, PagesClassesBitmapsAndModules) {
  RegisterTestClasses();
  const TModuleId previous = SetRegisteringModule(202);
  RegisterComponents("Page One", {"TBaseC", "TDerivedC"});
  RegisterBitmap("TBASEC", {1, 2, 3});
  SetRegisteringModule(203);
  RegisterComponents("Page Two", {"TOtherC"});
  RegisterBitmap("tderivedc", {9});
  SetRegisteringModule(previous);

  const std::vector<std::string> pages = PalettePages();
  ASSERT_GE(pages.size(), 2u);
  const auto one = std::find(pages.begin(), pages.end(), "Page One");
  const auto two = std::find(pages.begin(), pages.end(), "Page Two");
  ASSERT_NE(one, pages.end());
  ASSERT_NE(two, pages.end());
  EXPECT_LT(one, two) << "pages keep the order of their first registration";

  const std::vector<TPaletteEntry> classes = PaletteClasses("Page One");
  ASSERT_EQ(classes.size(), 2u);
  EXPECT_EQ(classes[0].ClassName, "TBaseC");
  ASSERT_NE(classes[0].Bitmap, nullptr);
  EXPECT_EQ(*classes[0].Bitmap, std::vector<uint8_t>({1, 2, 3}));
  EXPECT_EQ(classes[1].ClassName, "TDerivedC");
  ASSERT_NE(classes[1].Bitmap, nullptr) << "bitmaps are found without regard to case";

  EXPECT_THROW(RegisterComponents("Page One", {"TOtherC", "TNoSuchClass"}), SysUtils::Exception);
  EXPECT_EQ(PaletteClasses("Page Two").size(), 1u) << "a refused call registers nothing";
  EXPECT_THROW(RegisterComponents("", {"TOtherC"}), SysUtils::Exception);

  UnregisterModule(203);
  EXPECT_TRUE(PaletteClasses("Page Two").empty());
  const std::vector<std::string> left = PalettePages();
  EXPECT_EQ(std::count(left.begin(), left.end(), "Page Two"), 0) << "an empty page goes";
  EXPECT_EQ(FindBitmap("TDERIVEDC"), nullptr) << "module 203's bitmap went with it";
  EXPECT_NE(FindBitmap("TBASEC"), nullptr);
  UnregisterModule(202);
  EXPECT_TRUE(PaletteClasses("Page One").empty());
}

}  // namespace
