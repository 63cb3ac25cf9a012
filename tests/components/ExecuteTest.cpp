// Execute and ClearFilter of the three filter components against the real engines,
// with the criteria entered in the real filter dialog.
#include <algorithm>
#include <cstring>
#include <utility>

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

TYPED_TEST(ExecuteTest, AliasedTablesAreFilteredAndOrderedByTheirAliases) {
  struct Case {
    const char* name;
    const char* sql;
    const char* qualifier;  // how the statement names the ORDERS columns filtered on
  } cases[] = {
      {"alias", "SELECT O.ID, O.TOTAL FROM ORDERS O", "O."},
      {"as_alias", "select o.id, o.total from orders as o", "o."},
      {"join_with_aliases", "SELECT O.ID, O.TOTAL, C.NAME FROM ORDERS O JOIN CUSTOMER C ON C.ID = O.CUSTOMER_ID", "O."},
      {"self_join", "SELECT A.ID, A.TOTAL, B.STATUS FROM ORDERS A JOIN ORDERS B ON B.ID = A.ID + 1", "A."},
      {"quoted_alias", "SELECT \"o x\".ID, \"o x\".TOTAL FROM ORDERS \"o x\"", "\"o x\"."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    this->ClearShared();
    this->query->Close();
    SetSQL(*this->query, c.sql);
    // TOTAL is selected; STATUS of the aliased table is a further column.
    OnNextDialog([](TformFilter& F) {
      F.Ordered->Items()->Clear();
      F.Ordered->Items()->Add("ORDERS.TOTAL");
      F.Ordered->Items()->Add("ORDERS.ID");
      EnterLines(F, {{"TOTAL", ">=", "250", 1}, {"STATUS", "=", "paid"}});
    });
    ASSERT_TRUE(this->filter->Execute()) << BoxTexts().size();
    const std::string q = c.qualifier;
    const Rows expected = Select(TypeParam::Firebird, std::string(c.sql) + " WHERE " + q + "TOTAL >= 250 AND LOWER(" +
                                                           q + "STATUS) = 'paid' ORDER BY " + q + "TOTAL, " + q + "ID");
    ASSERT_GT(expected.size(), 1u);
    EXPECT_EQ(this->QueryRows(), expected) << this->SQL();
    // What is kept names the tables, whatever the statement calls them.
    ASSERT_EQ(Filter.size(), 2u);
    EXPECT_EQ(Filter[0].TableName.Str(), "ORDERS.");
    EXPECT_EQ(this->filter->LastOrder()->Text(), "ORDERS.TOTAL\r\nORDERS.ID\r\n");
    EXPECT_NE(kytSQLFilterStruc::MyFindField("", "STATUS", *kytSQLFilterStruc::Campos), -1);
  }
}

TYPED_TEST(ExecuteTest, QuotedMixedCaseTableIsNamedAsTheStatementNamesIt) {
  struct Case {
    const char* name;
    const char* sql;
    const char* qualifier;
  } cases[] = {
      {"no_alias", "SELECT ID, NOTE FROM \"Order Lines\"", "\"Order Lines\"."},
      {"alias", "SELECT L.ID, L.NOTE FROM \"Order Lines\" L", "L."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    this->ClearShared();
    this->query->Close();
    SetSQL(*this->query, c.sql);
    OnNextDialog([](TformFilter& F) {
      F.Ordered->Items()->Clear();
      const kytSQLFilterStruc::TCampos& campos = *kytSQLFilterStruc::Campos;
      const int id = kytSQLFilterStruc::MyFindField("", "ID", campos);
      ASSERT_GE(id, 0);
      F.Ordered->Items()->Add(campos.Get(id)->TableName + "ID");
      EnterLines(F, {{"NOTE", "=", "GIFT", 1}, {"ORDER_ID", ">", "10"}});
    });
    ASSERT_TRUE(this->filter->Execute()) << (BoxTexts().empty() ? "" : BoxTexts()[0]);
    const std::string q = c.qualifier;
    const Rows expected = Select(TypeParam::Firebird, std::string(c.sql) + " WHERE LOWER(" + q + "NOTE) = 'gift' AND " +
                                                           q + "ORDER_ID > 10 ORDER BY " + q + "ID DESC");
    ASSERT_GT(expected.size(), 1u);
    Rows rows = this->QueryRows();
    std::reverse(rows.begin(), rows.end());
    EXPECT_EQ(rows, expected) << this->SQL();
  }
}

// The recovery runs whatever a handler raises, on the query linked when Execute began.
TYPED_TEST(ExecuteTest, FailureIsRecoveredOnTheQueryLinkedAtTheStart) {
  using TQuery = typename TestFixture::TQuery;
  using Self = std::remove_reference_t<decltype(*this)>;
  struct Case {
    const char* name;
    std::function<void(Self&, std::string&)> handler;
    std::vector<std::string> boxes;
  } cases[] = {
      {"raises_no_std_exception", [](Self&, std::string&) { throw 42; },
       {"Error opening the Dataset with the NEW SQL"}},
      {"relinks_then_fails",
       [](Self& T, std::string& S) {
         T.filter->SetDataSet(T.NewQuery("SELECT ID FROM ORDERS"));
         S = "SELECT NOTHING FROM NO_SUCH_TABLE";
       },
       {"Error opening the Dataset with the NEW SQL"}},
      {"relinks_then_destroys_the_first_query",
       [](Self& T, std::string&) {
         TQuery* first = T.query;
         T.filter->SetDataSet(T.NewQuery("SELECT ID FROM ORDERS"));
         T.query = nullptr;
         delete first;
         throw SysUtils::Exception("gone");
       },
       {"Error opening the Dataset with the NEW SQL"}},
      {"destroys_the_query",
       [](Self& T, std::string&) {
         delete T.query;
         T.query = nullptr;
       },
       {"You must set the Dataset !", "Error opening the Dataset with the NEW SQL"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedHost().Reset();
    this->query = this->NewQuery(kJoinSQL);
    this->filter->SetDataSet(this->query);
    TQuery* first = this->query;
    this->filter->OnApplySQL.Code = [&](std::string& S) { c.handler(*this, S); };
    AcceptLines({{"TOTAL", ">", "100"}});
    EXPECT_FALSE(this->filter->Execute());
    EXPECT_EQ(BoxTexts(), c.boxes);
    if (this->query == first) {
      EXPECT_TRUE(first->Active());
      EXPECT_EQ(SQLOf(*first), std::string(kJoinSQL) + "\r\n");
      EXPECT_EQ(this->QueryRows().size(), static_cast<size_t>(kOrderCount));
    }
    if (this->filter->DataSet() != nullptr && this->filter->DataSet() != first) {
      EXPECT_NE(SQLOf(*this->filter->DataSet()), std::string(kJoinSQL) + "\r\n") << "not the first query's statement";
    }
  }
}

// A handler, or the user's application while the dialog is shown, may destroy filter
// components: nothing freed may be used afterwards, and the catalogue the dialog shows
// is freed only when the dialog is gone.
TYPED_TEST(ExecuteTest, ComponentsDestroyedDuringExecute) {
  using TFilter = typename TestFixture::TFilter;
  using Self = std::remove_reference_t<decltype(*this)>;
  struct Case {
    const char* name;
    std::function<void(Self&)> arrange;  // sets handlers and the dialog's script
    bool selfDestroyed;
  } cases[] = {
      {"apply_handler_destroys_its_component",
       [](Self& T) {
         T.filter->OnApplySQL.Code = [&T](std::string&) {
           // The closure goes with the component: nothing of it is used after the delete.
           delete std::exchange(T.filter, nullptr);
         };
         AcceptLines({{"TOTAL", ">", "100"}});
       },
       true},
      {"init_handler_destroys_its_component",
       [](Self& T) {
         T.filter->OnInitFilterData.Code = [&T](kytSQLFilterStruc::FilterArray&) {
           // The closure goes with the component: nothing of it is used after the delete.
           delete std::exchange(T.filter, nullptr);
         };
       },
       true},
      {"owner_destroyed_while_the_dialog_is_shown",
       [](Self& T) {
         OnNextDialog([&T](TformFilter& F) {
           EnterLines(F, {{"TOTAL", ">", "100"}});
           T.owner.reset();
           T.filter = nullptr;
           T.query = nullptr;
         });
       },
       true},
      {"init_handler_destroys_another_filter",
       [](Self& T) {
         auto* other = new TFilter(T.owner.get());
         T.filter->OnInitFilterData.Code = [other](kytSQLFilterStruc::FilterArray&) mutable {
           delete other;
           other = nullptr;
         };
         // The dialog still offers the catalogue's entries.
         AcceptLines({{"TOTAL", ">", "100", 1}, {"NAME", "=", "ann"}});
       },
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedHost().Reset();
    ScriptedHost().Modal.clear();
    if (!this->owner) this->owner = std::make_unique<Classes::TComponent>(nullptr);
    this->query = this->NewQuery(kJoinSQL);
    this->filter = new TFilter(this->owner.get());
    this->filter->SetAllowAllFields(true);
    this->filter->SetDataSet(this->query);
    c.arrange(*this);
    if (c.selfDestroyed) {
      EXPECT_THROW(this->filter->Execute(), SysUtils::EAbort);
      EXPECT_EQ(this->filter, nullptr);
    } else {
      EXPECT_TRUE(this->filter->Execute());
      EXPECT_EQ(Sorted(this->QueryRows()), Sorted(this->Expected("WHERE ORDERS.TOTAL > 100 AND LOWER(CUSTOMER.NAME) = 'ann'")));
    }
    EXPECT_TRUE(BoxTexts().empty());
    EXPECT_EQ(kytSQLFilterStruc::Campos, nullptr) << "freed once the dialog was gone";
    // What is left still works.
    if (this->filter) {
      Filter.clear();
      AcceptLines({{"TOTAL", "<", "50"}});
      EXPECT_TRUE(this->filter->Execute());
      EXPECT_EQ(Sorted(this->QueryRows()), Sorted(this->Expected("WHERE ORDERS.TOTAL < 50")));
    }
    this->owner.reset();
  }
}

// A value typed without case finds the same rows on Firebird and on SQLite, accented
// letters included: both engines fold the column as the dialog folds the value.
TEST(ExecuteBothEngines, AccentedTextWithoutCaseFindsTheSameRows) {
  SysUtils::FormatSettings().ShortDateFormat = "mm/dd/yyyy";
  const std::string fdb = testenv::TempPath("accents.fdb"), sdb = testenv::TempPath("accents.db");
  Sample::CreateSampleDatabase(Sample::TEngine::Firebird, fdb, 1000);
  Sample::CreateSampleDatabase(Sample::TEngine::SQLite, sdb, 1000);
  const char* sql = "SELECT ID, NAME FROM CUSTOMERS";

  // A name with letters above 127, typed in lower case.
  IB_Components::TIB_Query pick(nullptr);
  pick.SetDatabaseName(fdb);
  pick.SQL()->SetText("SELECT FIRST 1 NAME FROM CUSTOMERS WHERE NAME LIKE '%\xFC%' ORDER BY ID");
  pick.Open();
  ASSERT_FALSE(pick.Eof());
  const std::string name = pick.Columns(0)->AsString();
  const std::string typed = SysUtils::AnsiLowerCase(name);

  std::vector<Rows> found;
  for (bool firebird : {true, false}) {
    SCOPED_TRACE(firebird ? "Firebird" : "SQLite");
    delete kytSQLFilterStruc::Campos;
    kytSQLFilterStruc::Campos = nullptr;
    Filter.clear();
    Classes::TComponent owner(nullptr);
    Classes::TComponent* query;
    kytFilterBase::TkytCustomFilter* filter;
    if (firebird) {
      auto* q = new IB_Components::TIB_Query(&owner);
      q->SetDatabaseName(fdb);
      q->SQL()->SetText(sql);
      auto* f = new kytIBOFilter::TkytIBOFilter(&owner);
      f->SetDataSet(q);
      query = q;
      filter = f;
    } else {
      auto* q = new DBTables::TQuery(&owner);
      q->SetDatabaseName(sdb);
      q->SQL()->SetText(sql);
      auto* f = new kytBDEFilter::TkytBDEFilter(&owner);
      f->SetDataSet(q);
      query = q;
      filter = f;
    }
    AcceptLines({{"NAME", "=", typed}});
    ASSERT_TRUE(filter->Execute());
    found.push_back(firebird ? ReadRows(dynamic_cast<IB_Components::TIB_Query&>(*query))
                             : ReadRows(dynamic_cast<DB::TDataSet&>(*query)));
  }
  delete kytSQLFilterStruc::Campos;
  kytSQLFilterStruc::Campos = nullptr;
  Filter.clear();
  ASSERT_FALSE(found[0].empty());
  EXPECT_EQ(Sorted(found[0]), Sorted(found[1]));
  for (const Row& row : found[1]) EXPECT_EQ(row[1], name);
}

}  // namespace
}  // namespace comptest
