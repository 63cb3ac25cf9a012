// The builder's SQL for each engine, with literals and with bind parameters.
#include <algorithm>

#include "DialogFixture.h"

namespace dialogtest {
namespace {

using P = TSqlParam;

class DialectTest : public DialogTest {
 public:
  void SetUp() override {
    std::vector<TEntry> entries = DefaultEntries();
    entries.push_back({"ORDERS.", "PLACED", fDateTime, "Placed", true, 8});
    DialogTest::SetUp();
    form.reset();
    MakeCatalogue(entries);
    Create();
  }
  void Prepare(TSqlDialect Dialect, bool Parameters, bool CaseSensitive) {
    Create();
    form->Dialect = Dialect;
    form->UseParameters = Parameters;
    form->ckCase->SetChecked(CaseSensitive);
  }
};

// A value with both wildcards, the escape character, a quote and a letter above 127.
const char* const kOdd = "a%_!'\xE9";

TEST_F(DialectTest, EachEngineGetsItsOwnTextForTheSameLine) {
  struct Case {
    const char* name;
    TSqlDialect dialect;
    bool params;
    bool caseSensitive;
    const char* field;
    const char* comparison;
    const char* value;
    const char* memo;
    TSqlParams expected;  // with parameters only
  } cases[] = {
      // Firebird: its own operators, the value folded by the dialog.
      {"fb_prefix", sdFirebird, false, false, "Name", "Start with", kOdd,
       "( UPPER(CUSTOMER.NAME) Starting with  'A%_!''\xC9' )", {}},
      {"fb_prefix_params", sdFirebird, true, false, "Name", "Start with", kOdd,
       "( UPPER(CUSTOMER.NAME) Starting with  ? )", {P{pkText, "A%_!'\xC9"}}},
      {"fb_contains_case", sdFirebird, false, true, "Name", "Contains", kOdd,
       "( CUSTOMER.NAME Containing  'a%_!''\xE9' )", {}},
      {"fb_equal_params", sdFirebird, true, true, "Name", "=", "O'Brien", "( CUSTOMER.NAME =  ? )",
       {P{pkText, "O'Brien"}}},
      // SQLite: LIKE over folded texts, instr() where the case counts.
      {"sqlite_prefix_fold", sdSQLite, false, false, "Name", "Start with", kOdd,
       "( UPPER(CUSTOMER.NAME) LIKE UPPER('a!%!_!!''\xE9%') ESCAPE '!' )", {}},
      {"sqlite_prefix_fold_params", sdSQLite, true, false, "Name", "Start with", kOdd,
       "( UPPER(CUSTOMER.NAME) LIKE UPPER(?) ESCAPE '!' )", {P{pkText, "a!%!_!!'\xE9%"}}},
      {"sqlite_prefix_case", sdSQLite, false, true, "Name", "Start with", kOdd,
       "( instr(CUSTOMER.NAME, 'a%_!''\xE9') = 1 )", {}},
      {"sqlite_prefix_case_params", sdSQLite, true, true, "Name", "Start with", kOdd,
       "( instr(CUSTOMER.NAME, ?) = 1 )", {P{pkText, kOdd}}},
      {"sqlite_contains_ignores_case_box", sdSQLite, false, true, "Name", "Contains", kOdd,
       "( UPPER(CUSTOMER.NAME) LIKE UPPER('%a!%!_!!''\xE9%') ESCAPE '!' )", {}},
      {"sqlite_contains_number", sdSQLite, false, false, "Quantity", "Contains", "12",
       "( instr(ORDERS.QTY, '12') > 0 )", {}},
      {"sqlite_equal_fold", sdSQLite, false, false, "Name", "=", "O'Brien",
       "( UPPER(CUSTOMER.NAME) =  UPPER('O''Brien') )", {}},
      {"sqlite_equal_fold_params", sdSQLite, true, false, "Name", "=", "O'Brien",
       "( UPPER(CUSTOMER.NAME) =  UPPER(?) )", {P{pkText, "O'Brien"}}},
      {"sqlite_backslash_plain", sdSQLite, false, true, "Name", "Contains", "a\\b",
       "( UPPER(CUSTOMER.NAME) LIKE UPPER('%a\\b%') ESCAPE '!' )", {}},
      // PostgreSQL: LIKE is case-sensitive, text only.
      {"pg_prefix_case", sdPostgreSQL, false, true, "Name", "Start with", kOdd,
       "( CUSTOMER.NAME LIKE 'a!%!_!!''\xE9%' ESCAPE '!' )", {}},
      {"pg_prefix_fold_params", sdPostgreSQL, true, false, "Name", "Start with", kOdd,
       "( UPPER(CUSTOMER.NAME) LIKE UPPER(?) ESCAPE '!' )", {P{pkText, "a!%!_!!'\xE9%"}}},
      {"pg_contains", sdPostgreSQL, false, true, "Name", "Contains", kOdd,
       "( UPPER(CUSTOMER.NAME) LIKE UPPER('%a!%!_!!''\xE9%') ESCAPE '!' )", {}},
      {"pg_contains_number", sdPostgreSQL, true, false, "Total", "Contains", "1.5",
       "( CAST(ORDERS.TOTAL AS VARCHAR) LIKE ? ESCAPE '!' )", {P{pkText, "%1.5%"}}},
      {"pg_is_null", sdPostgreSQL, true, false, "Name", "is Null", "", "( CUSTOMER.NAME is Null  )", {}},
      // Values of each type as parameters.
      {"date", sdFirebird, true, false, "Shipped", "<", "12251999", "( ORDERS.SHIPPED <  ? )",
       {P{pkDate, "1999-12-25"}}},
      {"date_sqlite", sdSQLite, false, false, "Shipped", "<", "12251999", "( ORDERS.SHIPPED <  '1999-12-25' )", {}},
      {"date_time_fb", sdFirebird, false, false, "Placed", "=", "12251999", "( ORDERS.PLACED =  '1999-12-25' )", {}},
      {"date_time_sqlite", sdSQLite, false, false, "Placed", "=", "12251999",
       "( ORDERS.PLACED =  '1999-12-25 00:00:00' )", {}},
      {"date_time_params", sdPostgreSQL, true, false, "Placed", ">=", "12251999", "( ORDERS.PLACED >=  ? )",
       {P{pkDateTime, "1999-12-25 00:00:00"}}},
      {"time_sqlite", sdSQLite, false, false, "Start", "=", "1230", "( T.START =  '12:30:00' )", {}},
      {"time_params", sdFirebird, true, false, "Start", ">", "0905", "( T.START >  ? )", {P{pkTime, "09:05:00"}}},
      {"float", sdFirebird, true, false, "Total", ">=", "-1.5e3", "( ORDERS.TOTAL >=  ? )",
       {P{pkFloat, "-1.5E3"}}},
      {"integer", sdPostgreSQL, true, true, "Quantity", "=", "+12", "( ORDERS.QTY =  ? )", {P{pkInteger, "+12"}}},
      {"boolean", sdSQLite, true, true, "Active", "=", "true", "( T.ACTIVE =  ? )", {P{pkBoolean, "TRUE"}}},
      {"blob_not_folded", sdSQLite, true, false, "Notes", "=", "it's", "( T.NOTES =  ? )", {P{pkText, "it's"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Prepare(c.dialect, c.params, c.caseSensitive);
    SetLine(1, c.field, c.comparison, c.value);
    bool aborted = true;
    EXPECT_EQ(Build(&aborted), std::vector<std::string>{c.memo});
    EXPECT_FALSE(aborted);
    EXPECT_EQ(form->Params, c.expected);
  }
}

// The markers' values come in the order of the markers, across lines; with a value
// crafted as SQL, none of it reaches the text on any engine.
TEST_F(DialectTest, ParametersFollowTheMarkersAndKeepValuesOutOfTheText) {
  const std::string attack = "x' OR '1'='1";
  for (TSqlDialect dialect : {sdFirebird, sdSQLite, sdPostgreSQL}) {
    SCOPED_TRACE(static_cast<int>(dialect));
    Prepare(dialect, true, true);
    form->WhereText = "STATUS = 1";
    SetLine(1, "Name", "=", attack, 2);
    SetLine(2, "Total", ">", "5", 1);
    SetLine(3, "Name", "Contains", attack);
    const std::vector<std::string> memo = Build();
    ASSERT_EQ(memo.size(), 4u);
    std::string text;
    for (const std::string& line : memo) text += line + "\n";
    EXPECT_EQ(text.find("OR '1'"), std::string::npos) << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '?'), 3) << text;
    ASSERT_EQ(form->Params.size(), 3u);
    EXPECT_EQ(form->Params[0], (P{pkText, attack}));
    EXPECT_EQ(form->Params[1], (P{pkInteger, "5"}));
    EXPECT_EQ(form->Params[2].Kind, pkText);
    EXPECT_NE(form->Params[2].Value.find(attack), std::string::npos);
    // Building again starts a new list.
    Build();
    EXPECT_EQ(form->Params.size(), 3u);
  }
}

// Values are refused as with literals; a time must be one where the engine gets it
// whole. The memo names the line and no value is left behind.
TEST_F(DialectTest, BadValuesAreRefusedOnEveryEngine) {
  struct Case {
    const char* name;
    TSqlDialect dialect;
    bool params;
    const char* field;
    const char* value;
  } cases[] = {
      {"number_params", sdFirebird, true, "Quantity", "1 OR 1=1"},
      {"number_pg", sdPostgreSQL, false, "Total", "12abc"},
      {"boolean_params", sdSQLite, true, "Active", "yes"},
      {"date_params", sdPostgreSQL, true, "Shipped", "1399"},
      {"time_params", sdFirebird, true, "Start", "2599"},
      {"time_sqlite", sdSQLite, false, "Start", "1299"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Prepare(c.dialect, c.params, true);
    SetLine(1, c.field, "=", "");
    Line(1).Value->SetText(c.value);
    bool aborted = false;
    EXPECT_EQ(Build(&aborted), std::vector<std::string>{"Problem at line 1"});
    EXPECT_TRUE(aborted);
    EXPECT_TRUE(form->Params.empty());
  }
}

// Accepting leaves the clause with its markers in WhereText and the values in Params.
TEST_F(DialectTest, AcceptKeepsTheMarkersAndTheirValues) {
  Prepare(sdSQLite, true, false);
  SetLine(1, "Name", "Start with", "jo");
  form->btConfirmClick(nullptr);
  EXPECT_EQ(form->WhereText, "WHERE ( UPPER(CUSTOMER.NAME) LIKE UPPER(?) ESCAPE '!' )\r\n");
  EXPECT_EQ(form->Params, (TSqlParams{P{pkText, "jo%"}}));
}

}  // namespace
}  // namespace dialogtest
