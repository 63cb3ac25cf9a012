// The filter components in form files: published properties and their stored-ness, the
// DataSet link, events, and the "Data" image with and without an ancestor.
#include <cstring>

#include "dataaccess/bde/BDE_Register.h"
#include "dataaccess/ibobjects/IB_Register.h"
#include "tests/components/ComponentFixture.h"

namespace comptest {
namespace {

using namespace kytSQLFilterStruc;

// A form: the root that owns the components and publishes the event handlers.
class TTestForm : public Classes::TComponent {
 public:
  using Classes::TComponent::TComponent;
  std::string ClassName() const override { return "TTestForm"; }
  std::any MethodAddress(const std::string& Name) const override {
    if (Name == "ApplyHandler")
      return std::function<void(std::string&)>([this](std::string& S) { S = "applied by " + this->Name(); });
    if (Name == "InitHandler")
      return std::function<void(FilterArray&)>([this](FilterArray& F) { F.resize(static_cast<size_t>(Tag())); });
    return {};
  }
};

void RegisterAll() {
  TypInfo::RegisterClass({"TTestForm", "TComponent", [](Classes::TComponent* O) { return new TTestForm(O); }, {}});
  IB_Register::RegisterClasses();
  BDE_Register::RegisterClasses();
  kytIBOFilter::RegisterComponents();
  kytIBDFilter::RegisterComponents();
  kytBDEFilter::RegisterComponents();
}

void SetImage(kytFilterBase::TkytCustomFilter& F, const std::string& Bytes) {
  Classes::TMemoryStream m;
  m.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  F.LoadFromStream(m);
}

std::string ImageOf(const kytFilterBase::TkytCustomFilter& F) {
  return std::string(F.FieldDefsData().begin(), F.FieldDefsData().end());
}

class FormFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterAll();
    SysUtils::FormatSettings().ShortDateFormat = "mm/dd/yyyy";
  }
  void TearDown() override {
    delete Campos;
    Campos = nullptr;
    Filter.clear();
  }
  template <class F, class Q>
  F* AddPair(TTestForm& Form, const std::string& Prefix) {
    auto* q = new Q(&Form);
    q->SetName(Prefix + "Query");
    q->SetDatabaseName("/data/" + Prefix + ".db");
    q->SQL()->SetText("SELECT A\r\nFROM T\r\n");
    auto* f = new F(&Form);
    f->SetName(Prefix + "Filter");
    f->SetDataSet(q);
    return f;
  }
};

void Customize(kytFilterBase::TkytCustomFilter& F, const std::string& Tag) {
  F.SetAllowAllFields(true);
  F.SetCaption("Find " + Tag + " 'quoted'");
  F.SetCaseSensitive(true);
  F.SetAllowOrdering(false);
  Classes::TStringList fixed;
  fixed.SetText("T.A\r\nT.B\r\n");
  F.SetFixedOrder(&fixed);
  F.SetSQLDateFormat("yyyy-mm-dd");
  F.SetEditDateFormat("dd/mm/yyyy");
  F.SetSortFields(true);
  Classes::TStringList constant;
  constant.SetText("T.A > 0\r\n");
  F.SetConstSQLWhere(&constant);
  F.SetStringQuotes('"');
  F.SetFilterDir("/filters/" + Tag);
  F.SetSpecialOperators({opContains});
  F.OnApplySQL = {"ApplyHandler", [](std::string&) {}};
  F.OnInitFilterData = {"InitHandler", [](FilterArray&) {}};
  SetImage(F, std::string("\x0f\x27\0\0image of ", 13) + Tag);
}

TEST_F(FormFileTest, FiltersOfAllThreeClassesComeBackAsTheyWereWritten) {
  TTestForm form(nullptr);
  form.SetName("Form1");
  std::vector<kytFilterBase::TkytCustomFilter*> written = {
      AddPair<kytIBOFilter::TkytIBOFilter, IB_Components::TIB_Query>(form, "IBO"),
      AddPair<kytIBDFilter::TkytIBDFilter, IBODataset::TIBOQuery>(form, "IBD"),
      AddPair<kytBDEFilter::TkytBDEFilter, DBTables::TQuery>(form, "BDE")};
  for (auto* f : written) Customize(*f, f->Name());
  const std::string text = Classes::ComponentToText(form);
  for (const char* never : {"AllowAllFields", "CaseSensitive", "SortFields"})
    EXPECT_EQ(text.find(never), std::string::npos) << never << " is never stored";

  std::unique_ptr<Classes::TComponent> read(Classes::TextToComponent(text, nullptr));
  ASSERT_NE(dynamic_cast<TTestForm*>(read.get()), nullptr);
  read->SetTag(3);
  for (auto* w : written) {
    SCOPED_TRACE(w->Name());
    auto* r = dynamic_cast<kytFilterBase::TkytCustomFilter*>(read->FindComponent(w->Name()));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->ClassName(), w->ClassName());
    EXPECT_FALSE(r->AllowAllFields());
    EXPECT_FALSE(r->CaseSensitive());
    EXPECT_FALSE(r->SortFields());
    EXPECT_EQ(r->Caption(), w->Caption());
    EXPECT_FALSE(r->AllowOrdering());
    EXPECT_EQ(r->FixedOrder()->Text(), "T.A\r\nT.B\r\n");
    EXPECT_EQ(r->SQLDateFormat(), "yyyy-mm-dd");
    EXPECT_EQ(r->EditDateFormat(), "dd/mm/yyyy");
    EXPECT_EQ(r->ConstSQLWhere()->Text(), "T.A > 0\r\n");
    EXPECT_EQ(r->StringQuotes(), '"');
    EXPECT_EQ(r->FilterDir(), w->FilterDir());
    EXPECT_EQ(r->SpecialOperators().Bits(), 2);
    EXPECT_EQ(ImageOf(*r), ImageOf(*w));
    // The link goes to the query of the form that was read, found by name.
    Classes::TComponent* q = read->FindComponent(w->DataSetComponent()->Name());
    ASSERT_NE(q, nullptr);
    EXPECT_EQ(r->DataSetComponent(), q);
    EXPECT_EQ(r->DataSetComponent()->ClassName(), w->DataSetComponent()->ClassName());
    // Handlers resolve through the form that was read.
    EXPECT_EQ(r->OnApplySQL.Name, "ApplyHandler");
    std::string sql;
    ASSERT_TRUE(r->OnApplySQL);
    r->OnApplySQL.Code(sql);
    EXPECT_EQ(sql, "applied by Form1");
    FilterArray lines;
    ASSERT_TRUE(r->OnInitFilterData);
    r->OnInitFilterData.Code(lines);
    EXPECT_EQ(lines.size(), 3u);
  }
  // The queries come back too.
  auto* ibo = dynamic_cast<IB_Components::TIB_Query*>(read->FindComponent("IBOQuery"));
  ASSERT_NE(ibo, nullptr);
  EXPECT_EQ(ibo->DatabaseName(), "/data/IBO.db");
  EXPECT_EQ(ibo->SQL()->Text(), "SELECT A\r\nFROM T\r\n");
  auto* bde = dynamic_cast<DBTables::TQuery*>(read->FindComponent("BDEQuery"));
  ASSERT_NE(bde, nullptr);
  EXPECT_EQ(bde->SQL()->Text(), "SELECT A\r\nFROM T\r\n");
}

TEST_F(FormFileTest, WhatAFreshFilterWrites) {
  struct Case {
    const char* name;
    std::function<kytFilterBase::TkytCustomFilter*(Classes::TComponent*)> make;
    bool specialOperatorsWritten;
  } cases[] = {
      {"IBO", [](Classes::TComponent* O) { return new kytIBOFilter::TkytIBOFilter(O); }, false},
      {"IBD", [](Classes::TComponent* O) { return new kytIBDFilter::TkytIBDFilter(O); }, false},
      {"BDE", [](Classes::TComponent* O) { return new kytBDEFilter::TkytBDEFilter(O); }, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTestForm form(nullptr);
    form.SetName("Form1");
    c.make(&form)->SetName("Filter1");
    const std::string text = Classes::ComponentToText(form);
    for (const char* stored : {"Caption = 'Filter selection'", "AllowOrdering = True",
                               "SQLDateFormat = 'mm/dd/yyyy'", "EditDateFormat = 'mm/dd/yyyy'", "FilterDir = ''"})
      EXPECT_NE(text.find(stored), std::string::npos) << stored << "\n" << text;
    for (const char* absent : {"StringQuotes", "FilterFieldDefs", "DataSet", "FixedOrder", "ConstSQLWhere",
                               "OnApplySQL", "OnInitFilterData", "Data ="})
      EXPECT_EQ(text.find(absent), std::string::npos) << absent << "\n" << text;
    EXPECT_EQ(text.find("SpecialOperators = []") != std::string::npos, c.specialOperatorsWritten) << text;
  }
}

TEST_F(FormFileTest, DataIsWrittenWhenItDiffersFromTheAncestors) {
  struct Case {
    const char* name;
    bool ancestor;
    bool ancestorSameClass;
    const char* ancestorImage;
    const char* image;
    bool written;
  } cases[] = {
      {"no_ancestor_empty", false, true, "", "", false},
      {"no_ancestor_image", false, true, "", "abc", true},
      {"same_image", true, true, "abc", "abc", false},
      {"both_empty", true, true, "", "", false},
      {"other_image", true, true, "abc", "abd", true},
      {"ancestor_has_one", true, true, "abc", "", true},
      {"ancestor_of_another_class", true, false, "abc", "abc", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TTestForm form(nullptr), ancestor(nullptr);
    form.SetName("Form1");
    ancestor.SetName("Form1");
    auto* mine = new kytIBOFilter::TkytIBOFilter(&form);
    mine->SetName("Filter1");
    SetImage(*mine, c.image);
    kytFilterBase::TkytCustomFilter* theirs = nullptr;
    if (c.ancestorSameClass) theirs = new kytIBOFilter::TkytIBOFilter(&ancestor);
    else theirs = new kytIBDFilter::TkytIBDFilter(&ancestor);
    theirs->SetName("Filter1");
    SetImage(*theirs, c.ancestorImage);
    const std::string text = Classes::ComponentToText(form, c.ancestor ? &ancestor : nullptr);
    EXPECT_EQ(text.find("Data = {") != std::string::npos, c.written) << text;
    std::string hex;
    for (const char* p = c.image; *p; ++p) {
      static const char kDigits[] = "0123456789ABCDEF";
      hex += kDigits[static_cast<unsigned char>(*p) >> 4];
      hex += kDigits[*p & 15];
    }
    if (c.written && !hex.empty()) {
      EXPECT_NE(text.find(hex), std::string::npos) << hex;
    }
  }
}

TEST_F(FormFileTest, ReadingChecksTheDatePatterns) {
  const std::string text =
      "object Form1: TTestForm\r\n"
      "  object Filter1: TkytBDEFilter\r\n"
      "    SQLDateFormat = 'dddd'\r\n"
      "  end\r\n"
      "end\r\n";
  ScriptedHost().Reset();
  EXPECT_THROW(Classes::TextToComponent(text, nullptr), Classes::EParserError);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Indalid Date Format"});
}

}  // namespace
}  // namespace comptest
