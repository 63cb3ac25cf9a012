// The criteria-to-SQL builder through the dialog's real controls.
#include "DialogFixture.h"

namespace dialogtest {
namespace {

// Each kind of line, without and with the statement's aliases (CUSTOMER. as C.,
// ORDERS. as O.; T. has none). Saved filters keep the catalogue's table name.
TEST_F(DialogTest, BuildsEachKindOfLine) {
  struct Case {
    const char* name;
    bool aliased;
    const char* field;
    const char* comparison;
    const char* value;
    bool caseSensitive;
    const char* memo;
  } cases[] = {
      {"prefix_upper", false, "Name", "Start with", "ab", false, "( UPPER(CUSTOMER.NAME) Starting with  'AB' )"},
      {"case_sensitive", false, "Name", "=", "Smith", true, "( CUSTOMER.NAME =  'Smith' )"},
      {"boolean", false, "Active", "=", "true", false, "( T.ACTIVE =  TRUE )"},
      {"time", false, "Start", "=", "1230", false, "( T.START =  '12:30' )"},
      {"date_to_sql_pattern", false, "Shipped", "<", "12251999", false, "( ORDERS.SHIPPED <  '1999-12-25' )"},
      {"number", false, "Total", ">=", "-1.5e3", false, "( ORDERS.TOTAL >=  -1.5E3 )"},
      {"quote_doubled", false, "Name", "=", "O'Brien", false, "( UPPER(CUSTOMER.NAME) =  'O''BRIEN' )"},
      {"blob_quoted", false, "Notes", "=", "it's", true, "( T.NOTES =  'it''s' )"},
      {"is_null_no_upper", false, "Name", "is Null", "", false, "( CUSTOMER.NAME is Null  )"},
      {"alias_upper", true, "Name", "Start with", "ab", false, "( UPPER(C.NAME) Starting with  'AB' )"},
      {"alias_case_sensitive", true, "Name", "=", "Smith", true, "( C.NAME =  'Smith' )"},
      {"alias_is_null", true, "Name", "is Null", "", false, "( C.NAME is Null  )"},
      {"alias_number", true, "Total", ">=", "100", false, "( O.TOTAL >=  100 )"},
      {"table_without_alias", true, "Active", "=", "true", false, "( T.ACTIVE =  TRUE )"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Create();
    if (c.aliased) form->TableAliases = {{"CUSTOMER.", "C."}, {"ORDERS.", "O."}};
    form->ckCase->SetChecked(c.caseSensitive);
    SetLine(1, c.field, c.comparison, c.value);
    bool aborted = true;
    EXPECT_EQ(Build(&aborted), std::vector<std::string>{c.memo});
    EXPECT_FALSE(aborted);
    FilterArray saved;
    ASSERT_TRUE(form->ModifyFilter(saved));
    EXPECT_EQ(saved[0].TableName.Str(), Campos->Get(dialogdriver::IndexOf(*form->eCampo1, c.field))->TableName);
  }
}

TEST_F(DialogTest, ParenthesesConnectorsAndConstantCondition) {
  form->btParentesesClick(nullptr);
  Line(1).BGroup->TypeText("(");
  SetLine(1, "Total", ">=", "100", 1);
  SetLine(2, "Shipped", "is Null", "");
  Line(2).EGroup->TypeText(")");
  EXPECT_EQ(Build(), (std::vector<std::string>{"(( ORDERS.TOTAL >=  100 ) AND", "( ORDERS.SHIPPED is Null  ))"}));

  // The components' constant condition ends with a line break: " AND" gets a line of its own.
  form->WhereText = "STATUS = 1\r\n";
  EXPECT_EQ(Build(), (std::vector<std::string>{"STATUS = 1", " AND", "(( ORDERS.TOTAL >=  100 ) AND",
                                               "( ORDERS.SHIPPED is Null  ))"}));
  // No criterion at all: only the constant condition.
  form->ClearFilter(nullptr);
  EXPECT_EQ(Build(), (std::vector<std::string>{"STATUS = 1", ""}));
  form->WhereText.clear();
  EXPECT_TRUE(Build().empty());
}

TEST_F(DialogTest, FailuresNameTheLineAndStopTheCommand) {
  struct Case {
    const char* name;
    std::function<void(DialogTest&)> setup;
    std::vector<std::string> memo;
    bool panelShown;
  } cases[] = {
      {"no_comparison_line_2",
       [](DialogTest& t) {
         t.SetLine(1, "Name", "=", "x", 1);
         t.SetLine(2, "Name", "", "y");
       },
       {"( UPPER(CUSTOMER.NAME) =  'X' ) AND", "Invalid Comparision value at line 2"}, true},
      {"no_field", [](DialogTest& t) { t.SetLine(1, "", "=", "x"); }, {"Invalid field value at line 1"}, true},
      {"closing_first",
       [](DialogTest& t) {
         t.form->btParentesesClick(nullptr);
         t.SetLine(1, "Name", "=", "x");
         t.Line(1).EGroup->TypeText(")");
       },
       {"( UPPER(CUSTOMER.NAME) =  'X' ))", "Unclosed brackets, line 1"}, true},
      {"still_open_names_last_line",
       [](DialogTest& t) {
         t.form->btParentesesClick(nullptr);
         t.Line(1).BGroup->TypeText("(");
         t.SetLine(1, "Name", "=", "x", 2);
         t.SetLine(2, "Total", ">", "1");
       },
       {"(( UPPER(CUSTOMER.NAME) =  'X' ) OR", "( ORDERS.TOTAL >  1 )", "Unclosed brackets, line 2"}, false},
      {"bad_date", [](DialogTest& t) { t.SetLine(1, "Shipped", "=", "1399"); }, {"Problem at line 1"}, true},
      {"number_injection",
       [](DialogTest& t) {
         t.SetLine(1, "Quantity", "=", "");
         t.Line(1).Value->SetText("1 OR 1=1");
       },
       {"Problem at line 1"}, true},
      {"bad_boolean", [](DialogTest& t) { t.SetLine(1, "Active", "=", "yes"); }, {"Problem at line 1"}, true},
      // A time that is no time of day is refused here, not by the engine while it reads rows.
      {"time_out_of_day", [](DialogTest& t) { t.SetLine(1, "Start", "=", "2460"); }, {"Problem at line 1"}, true},
      {"time_half_typed", [](DialogTest& t) { t.SetLine(1, "Start", "<", "12"); }, {"Problem at line 1"}, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Create();
    ScriptedHost().Reset();
    form->PageControl1->SetActivePage(form->TabSheet3);
    c.setup(*this);
    bool aborted = false;
    EXPECT_EQ(Build(&aborted), c.memo);
    EXPECT_TRUE(aborted);
    EXPECT_EQ(ScriptedHost().Beeps, 1);
    EXPECT_EQ(form->SQLPanel->Visible(), c.panelShown);
    EXPECT_EQ(form->PageControl1->ActivePage() == form->TabSheet1, c.panelShown);
  }
}

TEST_F(DialogTest, FilterFileTextsCannotReachTheSql) {
  // A filter file can carry anything in the parenthesis and value fields.
  struct Case {
    const char* name;
    FilterRec rec;
    std::vector<std::string> memo;
  } cases[] = {
      {"sql_in_begin_group", Record("(1=1) OR (", "CUSTOMER.", "NAME", "=", "x", "", -1), {"Problem at line 1"}},
      {"sql_in_end_group", Record("", "CUSTOMER.", "NAME", "=", "x", ") --", -1), {"Problem at line 1"}},
      {"quote_in_value", Record("", "CUSTOMER.", "NAME", "=", "x' OR 'a'='a", "", -1),
       {"( UPPER(CUSTOMER.NAME) =  'X'' OR ''A''=''A' )"}},
      {"sql_in_number", Record("", "ORDERS.", "TOTAL", "=", "0; DROP TABLE ORDERS", "", -1), {"Problem at line 1"}},
      // A restored line whose field is gone is reported, not dropped as "no filter".
      {"field_gone", Record("", "ORDERS.", "PAID", "=", "", "", -1), {"Invalid field value at line 1"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Filter = {c.rec};
    Create();
    form->InitFilter();
    EXPECT_EQ(Build(), c.memo);
  }
}

TEST_F(DialogTest, AcceptCancelAndShowSql) {
  // Accept through the modal loop, as the user presses the buttons.
  SetLine(1, "Name", "=", "x");
  ScriptedHost().Modal.push_back([](Forms::TForm& f) { static_cast<TformFilter&>(f).btConfirm->Click(); });
  EXPECT_EQ(form->ShowModal(), Dialogs::mrOk);
  EXPECT_EQ(form->WhereText, "WHERE ( UPPER(CUSTOMER.NAME) =  'X' )\r\n");

  // An invalid line keeps the dialog open; cancel then leaves WhereText as it came in.
  Create();
  form->WhereText = "A = 1";
  SetLine(1, "Name", "", "x");
  ScriptedHost().Modal.push_back([](Forms::TForm& f) {
    auto& dialog = static_cast<TformFilter&>(f);
    dialog.btConfirm->Click();
    EXPECT_TRUE(dialog.isVisible());
    dialog.btCancel->Click();
  });
  EXPECT_EQ(form->ShowModal(), Dialogs::mrCancel);
  EXPECT_EQ(form->WhereText, "A = 1");
  EXPECT_EQ(form->MemoSQL->Lines()->Get(1), "Invalid Comparision value at line 1");

  // Nothing entered: the constant condition alone, or nothing.
  Create();
  form->WhereText = "A = 1";
  form->btConfirmClick(nullptr);
  EXPECT_EQ(form->WhereText, "WHERE A = 1\r\n");
  Create();
  form->btConfirmClick(nullptr);
  EXPECT_EQ(form->WhereText, "");

  // The show-SQL button builds when it shows the panel and only hides the second time.
  Create();
  SetLine(1, "Name", "=", "x");
  form->btSee->Click();
  EXPECT_TRUE(form->SQLPanel->Visible());
  EXPECT_EQ(form->MemoSQL->Lines()->Count(), 1);
  form->MemoSQL->Lines()->Clear();
  form->btSee->Click();
  EXPECT_FALSE(form->SQLPanel->Visible());
  EXPECT_EQ(form->MemoSQL->Lines()->Count(), 0);
  EXPECT_EQ(ScriptedHost().TimedOut, 0);
}

}  // namespace
}  // namespace dialogtest
