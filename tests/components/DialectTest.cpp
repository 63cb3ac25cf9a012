// The prefix and substring matches on Firebird and on SQLite find the same rows, and a
// variant that binds parameters gets the values with the text on every road.
#include <set>

#include "tests/components/ComponentFixture.h"

namespace comptest {
namespace {

using kytSQLFilterStruc::Filter;
using kytSQLFilterStruc::TSqlParams;

// Texts with the wildcards of LIKE, the escape character, a backslash, a quote,
// letters of both cases and above 127, and a NULL.
const char* const kWords[] = {"abc",  "a%c", "a_c",  "a!c",         "it''s", "ABC%x", "%top", "_x",
                              "\xC9t\xE9", "\xE9te", "xa%cy", nullptr, "a\\c", "aXc",   "A%C"};

std::string WordsScript() {
  std::string s = "CREATE TABLE WORDS (ID INTEGER NOT NULL PRIMARY KEY, W VARCHAR(30));\n";
  int id = 0;
  for (const char* w : kWords)
    s += "INSERT INTO WORDS VALUES (" + std::to_string(++id) + ", " + (w ? "'" + std::string(w) + "'" : "NULL") +
         ");\n";
  return s;
}

void ClearShared() {
  delete kytSQLFilterStruc::Campos;
  kytSQLFilterStruc::Campos = nullptr;
  Filter.clear();
}

// The ids of WORDS that one accepted criterion gives on the engine's component.
std::set<int> FoundIds(bool Firebird, const std::string& Database, const TLine& Line, bool CaseSensitive) {
  ClearShared();
  Classes::TComponent owner(nullptr);
  const char* sql = "SELECT ID, W FROM WORDS";
  Rows rows;
  auto run = [&](auto* query, auto* filter) {
    query->SetDatabaseName(Database);
    query->SQL()->SetText(sql);
    filter->SetDataSet(query);
    filter->SetSpecialOperators({kytSQLFilterStruc::opStartingWith, kytSQLFilterStruc::opContains});
    filter->SetCaseSensitive(CaseSensitive);
    AcceptLines({Line});
    EXPECT_TRUE(filter->Execute()) << SQLOf(*query);
    rows = ReadRows(*query);
  };
  if (Firebird) run(new IB_Components::TIB_Query(&owner), new kytIBOFilter::TkytIBOFilter(&owner));
  else run(new DBTables::TQuery(&owner), new kytBDEFilter::TkytBDEFilter(&owner));
  ClearShared();
  std::set<int> ids;
  for (const Row& row : rows) ids.insert(std::stoi(row[0]));
  return ids;
}

// Containing ignores letter case, Starting with keeps it unless the case box is off;
// the value is matched as literal text whatever characters it holds.
TEST(DialectBothEngines, PrefixAndSubstringMatchTheValueLiterally) {
  SysUtils::FormatSettings().ShortDateFormat = "mm/dd/yyyy";
  const std::string fdb = testenv::NewFirebird("words.fdb", WordsScript());
  const std::string sdb = testenv::NewSqlite("words.db", WordsScript());
  struct Case {
    const char* name;
    const char* comparison;
    const char* value;
    bool caseSensitive;
    std::set<int> ids;
  } cases[] = {
      {"contains_percent", "Contains", "a%c", true, {2, 11, 15}},
      {"contains_underscore", "Contains", "_", true, {3, 8}},
      {"contains_escape_char", "Contains", "!", true, {4}},
      {"contains_quote", "Contains", "'", false, {5}},
      {"contains_backslash", "Contains", "\\", true, {13}},
      {"contains_ignores_case", "Contains", "x", true, {6, 8, 11, 14}},
      {"contains_accented_upper", "Contains", "T\xC9", true, {9}},
      {"starts_case_sensitive", "Start with", "a%", true, {2}},
      {"starts_without_case", "Start with", "a%", false, {2, 15}},
      {"starts_with_percent", "Start with", "%", true, {7}},
      {"starts_underscore_literal", "Start with", "a_c", true, {3}},
      {"starts_accented_case", "Start with", "\xE9", true, {10}},
      {"starts_accented_without_case", "Start with", "\xE9", false, {9, 10}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TLine line{"W", c.comparison, c.value};
    EXPECT_EQ(FoundIds(false, sdb, line, c.caseSensitive), c.ids) << "SQLite";
    EXPECT_EQ(FoundIds(true, fdb, line, c.caseSensitive), c.ids) << "Firebird";
  }
}

// ---- A variant that binds parameters ------------------------------------------------------

class TParamFilter;

// The BDE query with "?" markers; it records the statement texts, the values and the
// opens in the order they come.
class TRecordingVariant : public kytFilterBase::TDataSetVariant {
 public:
  mutable std::vector<std::string> Log;

  bool IsQuery(const Classes::TComponent* Query) const override {
    return dynamic_cast<const DBTables::TQuery*>(Query) != nullptr;
  }
  bool IsFilter(const Classes::TPersistent* Filter) const override;
  kytSQLFilterStruc::TSpecialOperators InitialSpecialOperators() const override { return {}; }
  bool SpecialOperatorsHaveDefault() const override { return false; }
  std::string GetSQL(Classes::TComponent& Query) const override { return Engine(Query).SQL()->Text(); }
  void SetSQL(Classes::TComponent& Query, const std::string& SQL) const override {
    Log.push_back("sql " + SQL);
    Engine(Query).SQL()->SetText(SQL);
  }
  void Open(Classes::TComponent& Query) const override {
    Log.push_back("open");
    TDataSetVariant::Open(Query);
  }
  void DescribeQuery(Classes::TComponent& Query, std::vector<kytFilterBase::TColumnInfo>& Columns) const override {
    Columns.clear();
    DescribeTable(Query, {}, Columns);
  }
  std::unique_ptr<Classes::TComponent> NewScratchQuery(Classes::TComponent& Query) const override {
    auto scratch = std::make_unique<DBTables::TQuery>(nullptr);
    scratch->SetDatabaseName(Engine(Query).DatabaseName());
    return scratch;
  }
  void DescribeTable(Classes::TComponent& Scratch, const kytSQLFilterStruc::TTableRef&,
                     std::vector<kytFilterBase::TColumnInfo>& Columns) const override {
    const DBTables::TQuery& query = Engine(Scratch);
    for (int i = 0; i < query.FieldCount(); ++i) {
      kytFilterBase::TColumnInfo info = DescribeField(*query.Fields(i));
      info.FieldName = query.Fields(i)->FullName();
      Columns.push_back(std::move(info));
    }
  }
  kytSQLFilterStruc::TSqlDialect Dialect(Classes::TComponent&) const override { return kytSQLFilterStruc::sdSQLite; }
  bool UseParameters(const Classes::TPersistent&) const override { return true; }
  void SetParams(Classes::TComponent&, const TSqlParams& Params) const override {
    std::string entry = "params";
    for (const kytSQLFilterStruc::TSqlParam& p : Params)
      entry += " " + std::to_string(static_cast<int>(p.Kind)) + ":" + p.Value;
    Log.push_back(entry);
  }

 private:
  static DBTables::TQuery& Engine(Classes::TComponent& Query) { return dynamic_cast<DBTables::TQuery&>(Query); }
};

class TParamFilter : public kytFilterBase::TkytFilter<DBTables::TQuery> {
 public:
  explicit TParamFilter(Classes::TComponent* AOwner) : TkytFilter(AOwner, kytFilterBase::VariantOf<TRecordingVariant>()) {}
};

bool TRecordingVariant::IsFilter(const Classes::TPersistent* Filter) const {
  return dynamic_cast<const TParamFilter*>(Filter) != nullptr;
}

// The values follow the text on every road: accepted, failed and restored, cleared,
// and a failed clear restored; the handler sees the markers only.
TEST(DialectParameters, ValuesGoWithTheirTextOnEveryRoad) {
  SysUtils::FormatSettings().ShortDateFormat = "mm/dd/yyyy";
  ClearShared();
  const TRecordingVariant& variant = kytFilterBase::VariantOf<TRecordingVariant>();
  Classes::TComponent owner(nullptr);
  auto* query = new DBTables::TQuery(&owner);
  query->SetDatabaseName(ShopDatabase(false));
  query->SQL()->SetText("SELECT ID, NAME FROM CUSTOMER");
  auto* filter = new TParamFilter(&owner);
  filter->SetDataSet(query);
  const std::string attack = "x' OR '1'='1";
  const std::string filtered = "SELECT ID, NAME FROM CUSTOMER\r\nWHERE ( NAME =  ? )\r\n";
  std::string seen;
  filter->OnApplySQL.Code = [&](std::string& SQL) { seen = SQL; };
  // The catalogue first: describing the tables sets statements of its own.
  filter->InitCamposData(kytSQLFilterStruc::Campos, false);

  struct Step {
    const char* name;
    std::function<void()> act;
    std::vector<std::string> log;  // what reached the variant, in order
  } steps[] = {
      {"accepted",
       [&] {
         AcceptLines({{"NAME", "=", attack}});
         filter->SetCaseSensitive(true);
         EXPECT_TRUE(filter->Execute());
       },
       {"sql " + filtered, "params 0:" + attack, "open"}},
      {"failed_restores_previous_values",
       [&] {
         filter->OnApplySQL.Code = [](std::string& SQL) { SQL += " NOT SQL"; };
         Filter.clear();
         AcceptLines({{"NAME", "=", "y"}});
         EXPECT_FALSE(filter->Execute());
       },
       {"sql " + filtered + " NOT SQL", "params 0:y", "open", "sql " + filtered,
        "params 0:" + attack, "open"}},
      {"failed_clear_restores_previous_values",
       [&] {
         filter->ConstSQLWhere()->SetText("NOT SQL");
         filter->ClearFilter();
       },
       {"sql SELECT ID, NAME FROM CUSTOMER\r\nWHERE NOT SQL\r\n", "params", "open", "sql " + filtered,
        "params 0:" + attack}},
      {"cleared_without_values",
       [&] {
         filter->ConstSQLWhere()->Clear();
         filter->ClearFilter();
       },
       {"sql SELECT ID, NAME FROM CUSTOMER\r\n\r\n", "params", "open"}},
  };
  for (Step& s : steps) {
    SCOPED_TRACE(s.name);
    variant.Log.clear();
    ScriptedHost().Reset();
    s.act();
    EXPECT_EQ(variant.Log, s.log);
  }
  EXPECT_NE(seen.find("?"), std::string::npos);
  EXPECT_EQ(seen.find("OR '1'"), std::string::npos) << seen;
  ClearShared();
}

}  // namespace
}  // namespace comptest
