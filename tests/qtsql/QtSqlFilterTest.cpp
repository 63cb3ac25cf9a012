// TkytQtSqlFilter against the real engines, with the criteria entered in the real filter
// dialog, with and without bound values.
#include <QSqlQueryModel>

#include <algorithm>

#include "dataaccess/db/DBText.h"
#include "tests/qtsql/QtSqlFixture.h"

namespace qtsqltest {
namespace {

using kytSQLFilterForm::TformFilter;
using kytSQLFilterStruc::Filter;

class FilterTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    if (IsSkipped()) return;
    filter->SetAllowAllFields(true);
    filter->SetSQLDateFormat("yyyy-mm-dd");
  }
  std::string SQL() { return query->SQL()->Text(); }
  Rows QueryRows() { return ReadRows(*query); }
};
KYT_ENGINES(FilterTest);

TEST_P(FilterTest, AcceptedCriteriaGiveTheRowsOfTheSameConditionWrittenByHand) {
  struct Case {
    const char* name;
    std::vector<TLine> lines;
    const char* where;  // the same rows, chosen without the engine's folding
    int groupOpen = -1, groupClose = -1;  // lines that open and close a parenthesis
  } cases[] = {
      {"text_ignores_case_beyond_ascii", {{"NAME", "=", "jos\xE9"}}, "WHERE CUSTOMER.ID IN (3, 4, 5)"},
      {"capital_e_acute", {{"NAME", "=", "\xC9MILE"}}, "WHERE CUSTOMER.ID IN (8, 9)"},
      {"number_and_unselected_text",
       {{"TOTAL", ">=", "250", 1}, {"STATUS", "=", "paid"}},
       "WHERE ORDERS.TOTAL >= 250 AND ORDERS.STATUS IN ('PAID', 'paid')"},
      {"date", {{"SHIPPED", "<", "03152024"}}, "WHERE ORDERS.SHIPPED < '2024-03-15'"},
      {"date_time_from_a_day", {{"SEEN", ">=", "01152024"}}, "WHERE CUSTOMER.ID >= 5"},
      {"time", {{"OPENS", "<", "08:15:00"}}, "WHERE CUSTOMER.ID < 5"},
      {"boolean", {{"ACTIVE", "=", "true"}}, "WHERE CUSTOMER.ID IN (1, 3, 5, 7, 9, 11)"},
      {"is_null_of_joined_table", {{"CITY", "is Null", ""}}, "WHERE CUSTOMER.CITY IS NULL"},
      {"quote_in_value", {{"NAME", "=", "o'brien"}}, "WHERE CUSTOMER.ID = 7"},
      {"or", {{"NAME", "<>", "bob", 2}, {"TOTAL", "<", "50"}}, "WHERE CUSTOMER.ID <> 6 OR ORDERS.TOTAL < 50"},
      {"group",
       {{"NAME", "=", "ann", 2}, {"TOTAL", "<", "100", 1}, {"STATUS", "=", "new"}},
       "WHERE (CUSTOMER.ID IN (1, 11) OR ORDERS.TOTAL < 100) AND ORDERS.STATUS = 'NEW'",
       0, 1},
  };
  for (const bool parameters : {true, false}) {
    filter->SetUseParameters(parameters);
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(c.name) + (parameters ? " bound" : " literal"));
      Filter.clear();
      std::vector<TLine> lines = c.lines;
      for (TLine& l : lines) l.Field = Col(l.Field);
      OnNextDialog([&](TformFilter& F) {
        EnterLines(F, lines);
        if (c.groupOpen >= 0) kytSQLFilterForm::FilterLines[c.groupOpen].BGroup->SetText("(");
        if (c.groupClose >= 0) kytSQLFilterForm::FilterLines[c.groupClose].EGroup->SetText(")");
      });
      ASSERT_TRUE(filter->Execute()) << ::testing::PrintToString(BoxTexts());
      EXPECT_TRUE(query->Active());
      const bool values = std::any_of(lines.begin(), lines.end(), [](const TLine& l) { return !l.Value.empty(); });
      EXPECT_EQ(SQL().find('?') != std::string::npos, parameters && values) << SQL();
      const Rows expected = Expected(c.where);
      ASSERT_GT(expected.size(), 0u);
      ASSERT_LT(expected.size(), static_cast<size_t>(kOrderCount));
      EXPECT_EQ(Sorted(QueryRows()), Sorted(expected)) << SQL();
    }
  }
  EXPECT_TRUE(BoxTexts().empty()) << ::testing::PrintToString(BoxTexts());
}

TEST_P(FilterTest, OrderingIsAppliedToTheStatement) {
  OnNextDialog([&](TformFilter& F) {
    EnterLines(F, {{Col("TOTAL"), ">", "300"}});
    F.Ordered->Items()->Clear();
    F.Ordered->Items()->Add("ORDERS." + Col("TOTAL"));
    F.Ordered->Items()->Add("ORDERS." + Col("ID"));
  });
  ASSERT_TRUE(filter->Execute());
  const Rows expected = Expected("WHERE ORDERS.TOTAL > 300 ORDER BY ORDERS.TOTAL, ORDERS.ID");
  ASSERT_GT(expected.size(), 2u);
  EXPECT_EQ(QueryRows(), expected) << SQL();
}

// The rows whose TAG holds (or starts with) Value, letter case aside.
Rows TagRows(const std::string& Value, bool Containing) {
  Rows ids;
  const std::string value = SysUtils::AnsiUpperCase(Value);
  for (int i = 0; i < kCustomerCount; ++i) {
    const std::string tag = SysUtils::AnsiUpperCase(kTags[i]);
    const size_t at = tag.find(value);
    if (Containing ? at != std::string::npos : at == 0) ids.push_back({std::to_string(i + 1)});
  }
  return ids;
}

TEST_P(FilterTest, MatchingTreatsWildcardsEscapeAndQuotesAsText) {
  query->SQL()->SetText("SELECT ID, TAG FROM CUSTOMER");
  struct Case {
    const char* comparison;
    const char* value;
  } cases[] = {
      {"Contains", "%"},  {"Contains", "_"},   {"Contains", "!"},           {"Contains", "'"},
      {"Contains", "!%"}, {"Contains", "p!"},  {"Start with", "50%"},      {"Start with", "a_"},
      {"Start with", "it'"}, {"Contains", "b_c"}, {"Contains", "0 o"},
  };
  for (const bool parameters : {true, false}) {
    filter->SetUseParameters(parameters);
    for (const Case& c : cases) {
      const bool containing = std::string(c.comparison) == "Contains";
      SCOPED_TRACE(std::string(c.comparison) + " " + c.value + (parameters ? " bound" : " literal"));
      Filter.clear();
      AcceptLines({{Col("TAG"), c.comparison, c.value}});
      ASSERT_TRUE(filter->Execute()) << ::testing::PrintToString(BoxTexts());
      Rows ids;
      for (const Row& r : Sorted(QueryRows())) ids.push_back({r[0]});
      std::sort(ids.begin(), ids.end(), [](const Row& A, const Row& B) { return std::stoi(A[0]) < std::stoi(B[0]); });
      const Rows expected = TagRows(c.value, containing);
      ASSERT_FALSE(expected.empty());
      EXPECT_EQ(ids, expected) << SQL();
    }
  }
}

TEST_P(FilterTest, ValueThatLooksLikeSqlIsDataInBothModes) {
  for (const bool parameters : {true, false}) {
    SCOPED_TRACE(parameters ? "bound" : "literal");
    filter->SetUseParameters(parameters);
    for (const char* comparison : {"=", "Contains"}) {
      SCOPED_TRACE(comparison);
      Filter.clear();
      AcceptLines({{Col("NAME"), comparison, "x' OR '1'='1"}});
      ASSERT_TRUE(filter->Execute());
      EXPECT_TRUE(query->Active());
      EXPECT_TRUE(QueryRows().empty()) << SQL();
      // Bound, the value is not in the text at all; written, its quotes are doubled.
      EXPECT_EQ(SQL().find(parameters ? "x'" : "x'' OR ''1''=''1"), parameters ? std::string::npos : SQL().find("x''"))
          << SQL();
    }
  }
}

TEST_P(FilterTest, CatalogueTypesOfTheEngine) {
  using namespace kytSQLFilterStruc;
  query->SQL()->SetText("SELECT CUSTOMER.*, ORDERS.ID AS ORDER_ID FROM CUSTOMER JOIN ORDERS ON ORDERS.CUSTOMER_ID = CUSTOMER.ID");
  filter->InitCamposData(Campos, false);
  ASSERT_NE(Campos, nullptr);
  struct Entry {
    const char* table;
    const char* field;
    TFType type;
    bool supported;
    int maxSize;
    TFKind kind;
  } entries[] = {
      {"CUSTOMER.", "ID", fInteger, true, 4, fkSelected},
      {"CUSTOMER.", "NAME", fString, true, 40, fkSelected},
      {"CUSTOMER.", "CITY", fString, true, 30, fkSelected},
      {"CUSTOMER.", "BORN", fDate, true, 4, fkSelected},
      {"CUSTOMER.", "CREDIT", fFloat, true, 8, fkSelected},
      {"CUSTOMER.", "ACTIVE", fBoolean, true, 2, fkSelected},
      {"CUSTOMER.", "NOTES", fString, true, 0, fkSelected},
      {"CUSTOMER.", "PHOTO", fUnknow, false, 0, fkSelected},
      {"CUSTOMER.", "SEEN", fDateTime, true, 8, fkSelected},
      {"CUSTOMER.", "OPENS", fTime, true, 4, fkSelected},
      {"CUSTOMER.", "PRICE", fFloat, true, 34, fkSelected},
      {"CUSTOMER.", "BIG", fInteger, true, 8, fkSelected},
      {"CUSTOMER.", "TAG", fString, true, 20, fkSelected},
      // An aliased column is named by its base column.
      {"ORDERS.", "ID", fInteger, true, 4, fkSelected},
      {"ORDERS.", "CUSTOMER_ID", fInteger, true, 4, fkNotInSelected},
      {"ORDERS.", "TOTAL", fFloat, true, 8, fkNotInSelected},
      {"ORDERS.", "SHIPPED", fDate, true, 4, fkNotInSelected},
      {"ORDERS.", "STATUS", fString, true, 10, fkNotInSelected},
  };
  ASSERT_EQ(Campos->Count(), static_cast<int>(std::size(entries)));
  for (int i = 0; i < Campos->Count(); ++i) {
    const Entry& e = entries[i];
    const TCampo& c = *Campos->Get(i);
    SCOPED_TRACE(std::string(e.table) + e.field);
    EXPECT_EQ(c.TableName, e.table);
    EXPECT_EQ(c.FieldName, Col(e.field));
    EXPECT_EQ(c.DataType, e.type);
    EXPECT_EQ(c.Supported, e.supported);
    EXPECT_EQ(c.MaxSize, e.maxSize);
    EXPECT_EQ(c.FieldKind, e.kind);
  }
  // A criterion on the aliased column names its base column, which the engine takes.
  AcceptLines({{Col("ORDER_ID"), "<=", "3"}});
  ASSERT_TRUE(filter->Execute()) << SQL();
  EXPECT_EQ(Sorted(QueryRows()), Sorted(Select(connection, "SELECT CUSTOMER.*, ORDERS.ID AS ORDER_ID FROM CUSTOMER "
                                                           "JOIN ORDERS ON ORDERS.CUSTOMER_ID = CUSTOMER.ID "
                                                           "WHERE ORDERS.ID <= 3")));
}

TEST_P(FilterTest, RejectedStatementRestoresAndReopensThePreviousOne) {
  AcceptLines({{Col("NAME"), "=", "ann"}});
  ASSERT_TRUE(filter->Execute());
  const std::string previous = SQL();
  const Rows rows = QueryRows();
  query->First();
  ASSERT_EQ(rows.size(), Expected("WHERE CUSTOMER.ID IN (1, 11)").size());

  Filter.clear();
  AcceptLines({{Col("TOTAL"), ">", "100"}});
  bool applied = false;
  filter->OnApplySQL = {"", [&applied](std::string& NewSQL) {
                          applied = true;
                          NewSQL += " AND NO_SUCH_COLUMN = 1";
                        }};
  EXPECT_FALSE(filter->Execute());
  EXPECT_TRUE(applied);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Error opening the Dataset with the NEW SQL"});
  EXPECT_EQ(SQL(), previous);
  EXPECT_TRUE(query->Active()) << SQL();
  EXPECT_EQ(QueryRows(), rows);
}

TEST_P(FilterTest, AttachedModelIsFilteredWithTheQuery) {
  QSqlQueryModel model;
  query->AttachModel(&model);
  for (const bool parameters : {true, false}) {
    SCOPED_TRACE(parameters ? "bound" : "literal");
    filter->SetUseParameters(parameters);
    Filter.clear();
    AcceptLines({{Col("NAME"), "=", "jos\xE9"}});
    ASSERT_TRUE(filter->Execute());
    while (model.canFetchMore()) model.fetchMore();
    Rows shown;
    for (int r = 0; r < model.rowCount(); ++r)
      shown.push_back({model.data(model.index(r, 0)).toString().toStdString(),
                       DB::Utf8ToAnsi(model.data(model.index(r, 2)).toString().toStdString())});
    Rows read;
    for (const Row& r : QueryRows()) read.push_back({r[0], r[2]});
    ASSERT_EQ(read.size(), Expected("WHERE CUSTOMER.ID IN (3, 4, 5)").size());
    EXPECT_EQ(Sorted(shown), Sorted(read));
  }
}

class TTestForm : public Classes::TComponent {
 public:
  using Classes::TComponent::TComponent;
  std::string ClassName() const override { return "TTestForm"; }
};

TEST(QtSqlFormFile, FilterAndQueryComeBackAsTheyWereWritten) {
  TypInfo::RegisterClass({"TTestForm", "TComponent", [](Classes::TComponent* O) { return new TTestForm(O); }, {}});
  QtSqlDataSet::RegisterClasses();
  kytQtSqlFilter::RegisterComponents();
  for (const bool parameters : {true, false}) {
    SCOPED_TRACE(parameters);
    TTestForm form(nullptr);
    form.SetName("Form1");
    auto* q = new QtSqlDataSet::TQtSqlQuery(&form);
    q->SetName("Orders");
    q->SetConnectionName("shop");
    q->SQL()->SetText("SELECT ID\r\nFROM ORDERS\r\n");
    auto* f = new kytQtSqlFilter::TkytQtSqlFilter(&form);
    f->SetName("OrdersFilter");
    f->SetDataSet(q);
    f->SetCaption("Find orders");
    f->SetUseParameters(parameters);
    const std::string text = Classes::ComponentToText(form);
    // The default is not written.
    EXPECT_EQ(text.find("UseParameters") == std::string::npos, parameters) << text;
    // Both optional comparisons are the default.
    EXPECT_EQ(text.find("SpecialOperators"), std::string::npos) << text;

    std::unique_ptr<Classes::TComponent> read(Classes::TextToComponent(text, nullptr));
    auto* rf = dynamic_cast<kytQtSqlFilter::TkytQtSqlFilter*>(read->FindComponent("OrdersFilter"));
    auto* rq = dynamic_cast<QtSqlDataSet::TQtSqlQuery*>(read->FindComponent("Orders"));
    ASSERT_NE(rf, nullptr);
    ASSERT_NE(rq, nullptr);
    EXPECT_EQ(rf->DataSet(), rq);
    EXPECT_EQ(rf->UseParameters(), parameters);
    EXPECT_EQ(rf->Caption(), "Find orders");
    EXPECT_EQ(rf->SpecialOperators().Bits(), 3);
    EXPECT_EQ(rq->ConnectionName(), "shop");
    EXPECT_EQ(rq->SQL()->Text(), "SELECT ID\r\nFROM ORDERS\r\n");
  }
}

}  // namespace
}  // namespace qtsqltest
