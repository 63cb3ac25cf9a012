// Properties, setters, lifecycle, the DataSet link and the field-definitions image of
// the three filter components.
#include "tests/components/ComponentFixture.h"

namespace comptest {
namespace {

using namespace kytSQLFilterStruc;

template <class K>
class PropertiesTest : public ::testing::Test {
 protected:
  using TFilter = typename K::Filter;
  using TQuery = typename K::Query;
  void SetUp() override {
    SysUtils::FormatSettings().ShortDateFormat = "mm/dd/yyyy";
    SysUtils::FormatSettings().DateSeparator = '/';
    owner = std::make_unique<Classes::TComponent>(nullptr);
    filter = new TFilter(owner.get());
  }
  void TearDown() override {
    owner.reset();
    delete Campos;
    Campos = nullptr;
    Filter.clear();
  }
  static std::vector<uint8_t> Bytes(const std::string& S) { return {S.begin(), S.end()}; }
  static void Load(kytFilterBase::TkytCustomFilter& F, const std::string& S) {
    Classes::TMemoryStream m;
    if (!S.empty()) m.WriteBuffer(S.data(), static_cast<int64_t>(S.size()));
    m.SetPosition(static_cast<int64_t>(S.size()) / 2);  // loading reads from the start anyway
    F.LoadFromStream(m);
  }

  std::unique_ptr<Classes::TComponent> owner;
  TFilter* filter = nullptr;
};
TYPED_TEST_SUITE(PropertiesTest, AllKinds, KindNames);

TYPED_TEST(PropertiesTest, InitialValues) {
  const auto& f = *this->filter;
  EXPECT_FALSE(f.AllowAllFields());
  EXPECT_EQ(f.Caption(), "Filter selection");
  EXPECT_FALSE(f.CaseSensitive());
  EXPECT_TRUE(f.AllowOrdering());
  EXPECT_EQ(f.FixedOrder()->Count(), 0);
  EXPECT_EQ(f.SQLDateFormat(), "mm/dd/yyyy");
  EXPECT_EQ(f.EditDateFormat(), "mm/dd/yyyy");
  EXPECT_FALSE(f.SortFields());
  EXPECT_EQ(f.DataSet(), nullptr);
  EXPECT_EQ(f.ConstSQLWhere()->Count(), 0);
  EXPECT_EQ(f.StringQuotes(), '\'');
  EXPECT_TRUE(f.FilterFieldDefs().empty());
  EXPECT_TRUE(f.FilterDir().empty());
  EXPECT_EQ(f.SpecialOperators().Bits(), TypeParam::SpecialDefault ? 3 : 0);
  EXPECT_FALSE(f.OnApplySQL);
  EXPECT_FALSE(f.OnInitFilterData);
  EXPECT_EQ(f.LastOrder()->Count(), 0);
  EXPECT_TRUE(f.Empty());
}

TYPED_TEST(PropertiesTest, ListSettersCopyTheLines) {
  struct Case {
    const char* name;
    Classes::TStringList* (kytFilterBase::TkytCustomFilter::*list)() const;
    void (kytFilterBase::TkytCustomFilter::*set)(const Classes::TStrings*);
  } cases[] = {
      {"FixedOrder", &kytFilterBase::TkytCustomFilter::FixedOrder, &kytFilterBase::TkytCustomFilter::SetFixedOrder},
      {"ConstSQLWhere", &kytFilterBase::TkytCustomFilter::ConstSQLWhere,
       &kytFilterBase::TkytCustomFilter::SetConstSQLWhere},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto& f = *this->filter;
    Classes::TStringList* own = (f.*c.list)();
    Classes::TStringList three;
    three.SetText("a\r\nb\r\nc\r\n");
    (f.*c.set)(&three);
    EXPECT_EQ((f.*c.list)(), own);
    EXPECT_EQ(own->Text(), "a\r\nb\r\nc\r\n");
    three.Clear();
    EXPECT_EQ(own->Count(), 3) << "a copy, not the caller's list";
    (f.*c.set)(nullptr);
    EXPECT_EQ(own->Count(), 3);
  }
}

TYPED_TEST(PropertiesTest, DatePatternsAreCheckedBeforeTheyAreStored) {
  struct Case {
    const char* pattern;
    bool accepted;
  } cases[] = {
      {"mm/dd/yyyy", true}, {"dd/mm/yyyy", true}, {"yyyy/mm/dd", true}, {"yyyy-mm-dd", true},
      {"dd.mm.yyyy", true}, {"dd/mm/yy", true},   {"dddd", false},      {"mmmm yyyy", false},
      {"", false},          {"hh:nn", false},
  };
  auto& f = *this->filter;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    for (bool sql : {true, false}) {
      ScriptedHost().Reset();
      const std::string before = sql ? f.SQLDateFormat() : f.EditDateFormat();
      auto set = [&] { sql ? f.SetSQLDateFormat(c.pattern) : f.SetEditDateFormat(c.pattern); };
      if (c.accepted) {
        set();
        EXPECT_EQ(sql ? f.SQLDateFormat() : f.EditDateFormat(), c.pattern);
        EXPECT_TRUE(BoxTexts().empty());
      } else {
        EXPECT_THROW(set(), SysUtils::EAbort);
        EXPECT_EQ(sql ? f.SQLDateFormat() : f.EditDateFormat(), before);
        ASSERT_EQ(BoxTexts(), std::vector<std::string>{"Indalid Date Format"});
        EXPECT_EQ(ScriptedHost().Boxes[0].DlgType, Dialogs::TMsgDlgType::mtError);
      }
      EXPECT_EQ(SysUtils::FormatSettings().ShortDateFormat, "mm/dd/yyyy");
      EXPECT_EQ(SysUtils::FormatSettings().DateSeparator, '/');
    }
  }
}

TYPED_TEST(PropertiesTest, CreatingAndDestroyingEmptyTheSharedState) {
  Filter.resize(2);
  auto* second = new typename TestFixture::TFilter(this->owner.get());
  EXPECT_TRUE(Filter.empty()) << "a new component starts without criteria";

  Filter.resize(1);
  Campos = new TCampos;
  Campos->Add(new TCampo);
  delete second;
  EXPECT_TRUE(Filter.empty());
  EXPECT_EQ(Campos, nullptr) << "any component's end frees the catalogue";
}

TYPED_TEST(PropertiesTest, LinkIsClearedOnlyWhenTheLinkedQueryGoes) {
  auto& f = *this->filter;
  // A query of the same owner that is not linked leaves the link alone.
  auto* linked = new typename TestFixture::TQuery(this->owner.get());
  auto* other = new typename TestFixture::TQuery(this->owner.get());
  f.SetDataSet(linked);
  delete other;
  EXPECT_EQ(f.DataSet(), linked);
  delete linked;
  EXPECT_EQ(f.DataSet(), nullptr);

  // A query with another owner, or none, still clears the link when it goes.
  Classes::TComponent elsewhere(nullptr);
  auto* foreign = new typename TestFixture::TQuery(&elsewhere);
  f.SetDataSet(foreign);
  delete foreign;
  EXPECT_EQ(f.DataSet(), nullptr);

  // Relinking drops the old request: the old query going away later changes nothing.
  auto first = std::make_unique<typename TestFixture::TQuery>(nullptr);
  auto second = std::make_unique<typename TestFixture::TQuery>(nullptr);
  f.SetDataSet(first.get());
  f.SetDataSet(second.get());
  first.reset();
  EXPECT_EQ(f.DataSet(), second.get());
  // The filter going first leaves the query nothing to tell.
  this->owner.reset();
  second.reset();
}

TYPED_TEST(PropertiesTest, ImageIsTheWholeStream) {
  auto& f = *this->filter;
  this->Load(f, "");
  EXPECT_TRUE(f.Empty());
  this->Load(f, "first content");
  this->Load(f, "second");
  EXPECT_EQ(f.FieldDefsData(), this->Bytes("second"));
  EXPECT_FALSE(f.Empty());

  Classes::TMemoryStream out;
  out.WriteBuffer("xxxxxxxxxx", 10);
  f.SaveToStream(out);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.Memory()), 10), "secondxxxx") << "written at the start";

  this->Load(f, "");
  Classes::TMemoryStream none;
  f.SaveToStream(none);
  EXPECT_EQ(none.Size(), 0);
}

TYPED_TEST(PropertiesTest, EqualComparesImagesOfTheSameClass) {
  using TOther = std::conditional_t<std::is_same_v<TypeParam, BDEKind>, IBOKind::Filter, BDEKind::Filter>;
  struct Case {
    const char* name;
    const char* mine;
    const char* theirs;
    bool otherClass;
    bool equal;
  } cases[] = {
      {"both_empty", "", "", false, true},
      {"both_empty_other_class", "", "", true, true},
      {"one_empty", "abc", "", false, false},
      {"other_empty", "", "abc", false, false},
      {"same_bytes", "abc", "abc", false, true},
      {"different_bytes", "abc", "abd", false, false},
      {"different_length", "abc", "abcd", false, false},
      {"same_bytes_other_class", "abc", "abc", true, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto& f = *this->filter;
    this->Load(f, c.mine);
    std::unique_ptr<kytFilterBase::TkytCustomFilter> other;
    if (c.otherClass) other = std::make_unique<TOther>(nullptr);
    else other = std::make_unique<typename TestFixture::TFilter>(nullptr);
    this->Load(*other, c.theirs);
    EXPECT_EQ(f.Equal(*other), c.equal);
    EXPECT_EQ(other->Equal(f), c.equal);
  }
}

}  // namespace
}  // namespace comptest
