// Execute and ClearFilter of the three filter components against the real engines,
// with the criteria entered in the real filter dialog.
#include <cstring>

#include "sqltext/Parse.h"
#include "tests/components/ComponentFixture.h"

namespace comptest {
namespace {

using kytSQLFilterStruc::Filter;

template <class K>
class ExecuteTest : public FilterTest<K> {
 protected:
  void SetUp() override {
    FilterTest<K>::SetUp();
    // Criteria on columns outside the select list need them offered.
    this->filter->SetAllowAllFields(true);
    this->filter->SetSQLDateFormat("yyyy-mm-dd");
  }
  std::string SQL() { return SQLOf(*this->query); }
};
TYPED_TEST_SUITE(ExecuteTest, AllKinds, KindNames);

TYPED_TEST(ExecuteTest, AcceptedCriteriaGiveTheRowsOfTheSameConditionWrittenByHand) {
  struct Case {
    const char* name;
    std::vector<TLine> lines;
    const char* where;  // the same condition, written another way
  } cases[] = {
      {"text_ignores_case", {{"NAME", "=", "ann"}}, "WHERE LOWER(CUSTOMER.NAME) = 'ann'"},
      {"number_and_unselected_text",
       {{"TOTAL", ">=", "250", 1}, {"STATUS", "=", "paid"}},
       "WHERE ORDERS.TOTAL >= 250 AND LOWER(ORDERS.STATUS) = 'paid'"},
      {"date_in_sql_pattern", {{"SHIPPED", "<", "03152024"}}, "WHERE ORDERS.SHIPPED < '2024-03-15'"},
      {"is_null_of_joined_table", {{"CITY", "is Null", ""}}, "WHERE CUSTOMER.CITY IS NULL"},
      {"or", {{"NAME", "<>", "bob", 2}, {"TOTAL", "<", "50"}}, "WHERE NOT LOWER(CUSTOMER.NAME) = 'bob' OR ORDERS.TOTAL < 50"},
      {"quote_in_value", {{"NAME", "=", "o'brien"}}, "WHERE LOWER(CUSTOMER.NAME) = 'o''brien'"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Filter.clear();  // each case starts from an empty dialog
    AcceptLines(c.lines);
    ASSERT_TRUE(this->filter->Execute());
    EXPECT_TRUE(this->query->Active());
    EXPECT_NE(this->SQL().find("WHERE"), std::string::npos) << this->SQL();
    const Rows expected = this->Expected(c.where);
    ASSERT_GT(expected.size(), 0u);
    ASSERT_LT(expected.size(), static_cast<size_t>(kOrderCount));
    EXPECT_EQ(Sorted(this->QueryRows()), Sorted(expected)) << this->SQL();
    ASSERT_EQ(Filter.size(), c.lines.size());
    EXPECT_EQ(Filter[0].FieldName.Str(), c.lines[0].Field);
    EXPECT_EQ(Filter[0].Value.Str().empty(), c.lines[0].Value.empty());
    EXPECT_TRUE(BoxTexts().empty());
  }
}

TYPED_TEST(ExecuteTest, CaseSensitiveCheckBoxIsUsedAndKept) {
  EXPECT_FALSE(this->filter->CaseSensitive());
  OnNextDialog([](TformFilter& F) {
    EXPECT_FALSE(F.ckCase->Checked());
    F.ckCase->SetChecked(true);
    EnterLines(F, {{"NAME", "=", "Ann"}});
  });
  ASSERT_TRUE(this->filter->Execute());
  EXPECT_TRUE(this->filter->CaseSensitive());
  const Rows exact = this->Expected("WHERE CUSTOMER.NAME = 'Ann'");
  ASSERT_LT(exact.size(), this->Expected("WHERE LOWER(CUSTOMER.NAME) = 'ann'").size());
  EXPECT_EQ(Sorted(this->QueryRows()), Sorted(exact));

  bool shownChecked = false;
  OnNextDialog([&](TformFilter& F) { shownChecked = F.ckCase->Checked(); }, false);
  EXPECT_FALSE(this->filter->Execute());
  EXPECT_TRUE(shownChecked);
}

TYPED_TEST(ExecuteTest, DialogIsPreparedFromTheComponent) {
  auto& f = *this->filter;
  f.SetCaption("Pick orders");
  f.SetFilterDir("/tmp/filters");
  f.SetEditDateFormat("dd/mm/yyyy");
  f.SetStringQuotes('"');
  f.SetSortFields(true);
  Classes::TStringList constant;
  constant.Add("ORDERS.ID > 0");
  f.SetConstSQLWhere(&constant);
  f.SetSpecialOperators({kytSQLFilterStruc::opContains});

  struct Seen {
    std::string caption, saveDir, openDir, sqlDate, editDate, where;
    char quote = 0;
    bool sorted = false;
    int lines = 0;
    uint8_t operators = 0;
  } seen;
  OnNextDialog(
      [&](TformFilter& F) {
        seen = {F.Caption(),      F.SaveFilter->InitialDir, F.OpenFilter->InitialDir, F.SQLDateFormat,
                F.EditDateFormat, F.WhereText,              F.StringQuote,            F.eCampo1->Sorted(),
                F.LineCount,      kytSQLFilterForm::OperatorsOk.Bits()};
      },
      false);
  EXPECT_FALSE(f.Execute());
  EXPECT_EQ(seen.caption, "Pick orders");
  EXPECT_EQ(seen.saveDir, "/tmp/filters");
  EXPECT_EQ(seen.openDir, "/tmp/filters");
  EXPECT_EQ(seen.sqlDate, "yyyy-mm-dd");
  EXPECT_EQ(seen.editDate, "dd/mm/yyyy");
  EXPECT_EQ(seen.where, "ORDERS.ID > 0\r\n");
  EXPECT_EQ(seen.quote, '"');
  EXPECT_TRUE(seen.sorted);
  EXPECT_EQ(seen.lines, 1);
  EXPECT_EQ(seen.operators, 2);
}

TYPED_TEST(ExecuteTest, OrderingStartsFromFixedOrderThenFromTheLastAccepted) {
  Classes::TStringList fixed;
  fixed.Add("ORDERS.STATUS");
  this->filter->SetFixedOrder(&fixed);

  struct Step {
    const char* name;
    std::vector<std::string> offered;  // what the ordered list starts with
    std::vector<std::string> accepted;  // what the user leaves there (accepting)
    const char* orderBy;                // the statement's ORDER BY list afterwards
    std::vector<std::string> lastOrder;
  } steps[] = {
      {"fixed_first", {"ORDERS.STATUS"}, {"ORDERS.STATUS", "ORDERS.ID"}, "ORDERS.STATUS,ORDERS.ID",
       {"ORDERS.STATUS", "ORDERS.ID"}},
      {"last_accepted", {"ORDERS.STATUS", "ORDERS.ID"}, {"ORDERS.TOTAL", "ORDERS.ID"}, "ORDERS.TOTAL,ORDERS.ID",
       {"ORDERS.TOTAL", "ORDERS.ID"}},
      // An empty list keeps the statement's ordering, and the fixed one is offered again.
      {"emptied", {"ORDERS.TOTAL", "ORDERS.ID"}, {}, "ORDERS.TOTAL,ORDERS.ID", {}},
      {"fixed_again", {"ORDERS.STATUS"}, {"ORDERS.STATUS", "ORDERS.ID"}, "ORDERS.STATUS,ORDERS.ID",
       {"ORDERS.STATUS", "ORDERS.ID"}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.name);
    std::vector<std::string> offered;
    int fixedCount = -1;
    bool pageEnabled = false;
    OnNextDialog([&](TformFilter& F) {
      Classes::TStrings& ordered = *F.Ordered->Items();
      for (int i = 0; i < ordered.Count(); ++i) offered.push_back(ordered.Get(i));
      fixedCount = kytSQLFilterForm::NoFixedOrd;
      pageEnabled = F.TabSheet2->Enabled();
      ordered.Clear();
      for (const std::string& line : s.accepted) ordered.Add(line);
    });
    ASSERT_TRUE(this->filter->Execute());
    EXPECT_EQ(offered, s.offered);
    EXPECT_EQ(fixedCount, 1);
    EXPECT_TRUE(pageEnabled);
    std::string orderBy;
    Parse::GetSQLOrder(this->SQL(), orderBy);
    EXPECT_EQ(SysUtils::Trim(orderBy), std::string("ORDER BY ") + s.orderBy) << this->SQL();
    std::vector<std::string> last;
    for (int i = 0; i < this->filter->LastOrder()->Count(); ++i) last.push_back(this->filter->LastOrder()->Get(i));
    EXPECT_EQ(last, s.lastOrder);
    EXPECT_EQ(this->QueryRows(), this->Expected(std::string("ORDER BY ") + s.orderBy));
  }
}

TYPED_TEST(ExecuteTest, OrderingDisabledLeavesTheOrderByAlone) {
  SetSQL(*this->query, std::string(kJoinSQL) + " ORDER BY ORDERS.ID DESC");
  this->filter->SetAllowOrdering(false);
  std::vector<std::string> offered;
  bool pageEnabled = true;
  OnNextDialog([&](TformFilter& F) {
    Classes::TStrings& ordered = *F.Ordered->Items();
    for (int i = 0; i < ordered.Count(); ++i) offered.push_back(ordered.Get(i));
    pageEnabled = F.TabSheet2->Enabled();
    EnterLines(F, {{"TOTAL", ">", "400"}});
  });
  ASSERT_TRUE(this->filter->Execute());
  EXPECT_EQ(offered, std::vector<std::string>{"Ordering disabled"});
  EXPECT_FALSE(pageEnabled);
  EXPECT_EQ(this->filter->LastOrder()->Count(), 0);
  const Rows expected = this->Expected("WHERE ORDERS.TOTAL > 400 ORDER BY ORDERS.ID DESC");
  ASSERT_GT(expected.size(), 1u);
  EXPECT_EQ(this->QueryRows(), expected) << this->SQL();
}

TYPED_TEST(ExecuteTest, CancelChangesNothing) {
  OnNextDialog([](TformFilter& F) {
    F.ckCase->SetChecked(true);
    F.Ordered->Items()->Add("ORDERS.ID");
    EnterLines(F, {{"NAME", "=", "Ann"}});
  });
  ASSERT_TRUE(this->filter->Execute());
  const std::string sql = this->SQL();
  const Rows rows = this->QueryRows();
  const kytSQLFilterStruc::FilterArray lines = Filter;
  const std::string lastOrder = this->filter->LastOrder()->Text();

  OnNextDialog(
      [](TformFilter& F) {
        F.ckCase->SetChecked(false);
        F.Ordered->Items()->Clear();
        F.ClearFilter(&F);
        EnterLines(F, {{"TOTAL", ">", "1"}});
      },
      false);
  EXPECT_FALSE(this->filter->Execute());
  EXPECT_EQ(this->SQL(), sql);
  EXPECT_TRUE(this->filter->CaseSensitive());
  EXPECT_EQ(this->filter->LastOrder()->Text(), lastOrder);
  ASSERT_EQ(Filter.size(), lines.size());
  EXPECT_EQ(std::memcmp(Filter.data(), lines.data(), lines.size() * sizeof(kytSQLFilterStruc::FilterRec)), 0);
  EXPECT_TRUE(this->query->Active());
  // Reading the rows moved to the end: the query was not reopened, so it is still there.
  EXPECT_TRUE(this->QueryRows().empty());
  EXPECT_FALSE(rows.empty());
}

TYPED_TEST(ExecuteTest, NoCriteriaRemovesTheConditionAndEmptiesFilter) {
  struct Case {
    const char* name;
    const char* constant;  // ConstSQLWhere, "" for none
    const char* where;     // the expected condition, by hand
  } cases[] = {
      {"no_constant", "", ""},
      {"constant_only", "ORDERS.TOTAL > 300", "WHERE ORDERS.TOTAL > 300"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AcceptLines({{"NAME", "=", "ann"}});
    ASSERT_TRUE(this->filter->Execute());
    ASSERT_EQ(Filter.size(), 1u);

    Classes::TStringList constant;
    if (*c.constant) constant.Add(c.constant);
    this->filter->ConstSQLWhere()->Clear();
    this->filter->SetConstSQLWhere(&constant);
    OnNextDialog([](TformFilter& F) { F.ClearFilter(&F); });
    ASSERT_TRUE(this->filter->Execute());
    EXPECT_TRUE(Filter.empty());
    EXPECT_EQ(Sorted(this->QueryRows()), Sorted(this->Expected(c.where))) << this->SQL();
  }
}

TYPED_TEST(ExecuteTest, ConstantConditionIsKeptWithTheCriteria) {
  Classes::TStringList constant;
  constant.Add("ORDERS.TOTAL > 100");
  this->filter->SetConstSQLWhere(&constant);
  AcceptLines({{"STATUS", "=", "new"}});
  ASSERT_TRUE(this->filter->Execute());
  const Rows expected = this->Expected("WHERE ORDERS.TOTAL > 100 AND LOWER(ORDERS.STATUS) = 'new'");
  ASSERT_FALSE(expected.empty());
  EXPECT_EQ(Sorted(this->QueryRows()), Sorted(expected)) << this->SQL();
}

TYPED_TEST(ExecuteTest, InitFilterDataHandlerChoosesTheLinesShown) {
  int calls = 0;
  size_t offeredLines = 99;
  this->filter->OnInitFilterData.Code = [&](kytSQLFilterStruc::FilterArray& Lines) {
    ++calls;
    offeredLines = Lines.size();
    kytSQLFilterStruc::FilterRec r{};
    r.FieldName.Set("STATUS");
    r.TableName.Set("ORDERS.");
    r.Operator.Set("=");
    r.Value.Set("paid");
    r.Operation = -1;
    Lines.assign(1, r);
  };
  OnNextDialog(nullptr);  // accept what the handler put there
  ASSERT_TRUE(this->filter->Execute());
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(offeredLines, 0u);
  EXPECT_EQ(Sorted(this->QueryRows()), Sorted(this->Expected("WHERE LOWER(ORDERS.STATUS) = 'paid'"))) << this->SQL();

  OnNextDialog(nullptr, false);
  EXPECT_FALSE(this->filter->Execute());
  EXPECT_EQ(calls, 2);
  EXPECT_EQ(offeredLines, 1u) << "the handler sees the accepted lines";
}

TYPED_TEST(ExecuteTest, ApplySQLHandlerChangesTheStatement) {
  std::string received;
  this->filter->OnApplySQL.Code = [&](std::string& NewSQL) {
    received = NewSQL;
    Parse::SetSQLOrder(NewSQL, "ORDER BY ORDERS.ID DESC");
  };
  AcceptLines({{"TOTAL", "<", "200"}});
  ASSERT_TRUE(this->filter->Execute());
  EXPECT_NE(received.find("WHERE"), std::string::npos);
  EXPECT_EQ(received.find("ORDER BY"), std::string::npos);
  const Rows expected = this->Expected("WHERE ORDERS.TOTAL < 200 ORDER BY ORDERS.ID DESC");
  ASSERT_GT(expected.size(), 1u);
  EXPECT_EQ(this->QueryRows(), expected);
}

TYPED_TEST(ExecuteTest, FailedNewStatementReopensThePreviousOne) {
  struct Case {
    const char* name;
    std::function<void(std::string&)> handler;
  } cases[] = {
      {"statement_that_cannot_open", [](std::string& S) { S = "SELECT NOTHING FROM NO_SUCH_TABLE"; }},
      {"handler_raises", [](std::string&) { throw SysUtils::Exception("no"); }},
      {"handler_aborts", [](std::string&) { SysUtils::Abort(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedHost().Reset();
    Filter.clear();
    this->filter->SetCaseSensitive(false);
    SetSQL(*this->query, kJoinSQL);
    this->query->Open();
    const std::string previous = this->SQL();
    const Rows before = this->QueryRows();
    this->query->Close();
    this->query->Open();

    this->filter->OnApplySQL.Code = c.handler;
    OnNextDialog([](TformFilter& F) {
      F.ckCase->SetChecked(true);
      F.Ordered->Items()->Clear();
      F.Ordered->Items()->Add("ORDERS.ID");
      EnterLines(F, {{"NAME", "=", "ann"}});
    });
    EXPECT_FALSE(this->filter->Execute());
    ASSERT_EQ(ScriptedHost().Boxes.size(), 1u);
    EXPECT_EQ(ScriptedHost().Boxes[0].Text, "Error opening the Dataset with the NEW SQL");
    EXPECT_EQ(ScriptedHost().Boxes[0].DlgType, Dialogs::TMsgDlgType::mtError);
    EXPECT_TRUE(this->query->Active());
    EXPECT_EQ(this->SQL(), previous);
    EXPECT_EQ(this->QueryRows(), before);
    // What ran before the failure stays done; the lines were not taken over.
    EXPECT_TRUE(Filter.empty());
    EXPECT_TRUE(this->filter->CaseSensitive());
    ASSERT_EQ(this->filter->LastOrder()->Count(), 1);
    EXPECT_EQ(this->filter->LastOrder()->Get(0), "ORDERS.ID");
  }
}

TYPED_TEST(ExecuteTest, ClearFilterKeepsOrderingFilterAndLastOrder) {
  OnNextDialog([](TformFilter& F) {
    F.Ordered->Items()->Add("ORDERS.ID");
    EnterLines(F, {{"NAME", "=", "ann"}});
  });
  ASSERT_TRUE(this->filter->Execute());

  struct Case {
    const char* name;
    std::vector<std::string> constant;
    const char* where;
  } cases[] = {
      {"no_constant", {}, "ORDER BY ORDERS.ID"},
      {"one_line", {"ORDERS.TOTAL >= 250"}, "WHERE ORDERS.TOTAL >= 250 ORDER BY ORDERS.ID"},
      {"two_lines", {"ORDERS.TOTAL >= 250", "AND ORDERS.ID < 30"}, "WHERE ORDERS.TOTAL >= 250 AND ORDERS.ID < 30 ORDER BY ORDERS.ID"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Classes::TStringList constant;
    for (const std::string& line : c.constant) constant.Add(line);
    this->filter->ConstSQLWhere()->Clear();
    this->filter->SetConstSQLWhere(&constant);
    this->filter->ClearFilter();
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_TRUE(this->query->Active());
    EXPECT_EQ(this->QueryRows(), this->Expected(c.where)) << this->SQL();
    ASSERT_EQ(Filter.size(), 1u);
    EXPECT_EQ(this->filter->LastOrder()->Text(), "ORDERS.ID\r\n");
  }
}

TYPED_TEST(ExecuteTest, ClearFilterFailureRestoresTheStatementAndLeavesTheQueryClosed) {
  const std::string previous = this->SQL();
  Classes::TStringList constant;
  constant.Add("NO_SUCH_COLUMN = 1");
  this->filter->SetConstSQLWhere(&constant);
  this->filter->ClearFilter();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"Error trying to set SQL to :"});
  EXPECT_EQ(this->SQL(), previous);
  EXPECT_FALSE(this->query->Active());
}

TYPED_TEST(ExecuteTest, WithoutDataSetNothingIsTouched) {
  struct Case {
    const char* name;
    std::function<void(typename TestFixture::TFilter&)> call;
  } cases[] = {
      {"Execute", [](auto& F) { F.Execute(); }},
      {"ClearFilter", [](auto& F) { F.ClearFilter(); }},
      {"InitCamposData", [](auto& F) { F.InitCamposData(kytSQLFilterStruc::Campos, false); }},
      {"RefreshData", [](auto& F) { F.RefreshData({kytSQLFilterStruc::rtAddNew}); }},
  };
  this->filter->SetDataSet(nullptr);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedHost().Reset();
    EXPECT_THROW(c.call(*this->filter), SysUtils::EAbort);
    EXPECT_EQ(BoxTexts(), std::vector<std::string>{"You must set the Dataset !"});
    EXPECT_EQ(ScriptedHost().ModalShown, 0);
    EXPECT_EQ(kytSQLFilterStruc::Campos, nullptr);
  }
  EXPECT_FALSE(this->query->Active());
  EXPECT_EQ(SQLOf(*this->query), std::string(kJoinSQL) + "\r\n");
}

TYPED_TEST(ExecuteTest, QueryOfAnotherKindIsNotRecognized) {
  Classes::TComponent plain(nullptr);
  IB_Components::TIB_Query native(nullptr);
  DBTables::TQuery engine(nullptr);
  std::vector<Classes::TComponent*> others = {nullptr, &plain};
  if constexpr (!std::is_same_v<TypeParam, IBOKind>) others.push_back(&native);
  if constexpr (!std::is_same_v<TypeParam, BDEKind>) others.push_back(&engine);
  for (Classes::TComponent* other : others) {
    SCOPED_TRACE(other ? other->ClassName() : "null");
    ScriptedHost().Reset();
    std::string text = "kept?";
    EXPECT_THROW(this->filter->GetActualSQL(other, text), SysUtils::EAbort);
    EXPECT_TRUE(text.empty());
    EXPECT_THROW(this->filter->SetActualSQL(other, "SELECT 1"), SysUtils::EAbort);
    EXPECT_EQ(BoxTexts(), (std::vector<std::string>{"Dataset type not recognized !", "Dataset type not recognized !"}));
  }
  std::string text;
  this->filter->GetActualSQL(this->query, text);
  EXPECT_EQ(text, std::string(kJoinSQL) + "\r\n");
}

}  // namespace
}  // namespace comptest
