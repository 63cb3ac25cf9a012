// The filter dialog from the keyboard: the tool bar's keys, the tab order of the lines,
// the ordering page's keys, a whole filter composed with keys only, and the names a
// screen reader reads.
#include "DialogFixture.h"
#include "tests/filtermodel/KeysAndNames.h"

#include <QApplication>
#include <QTabBar>
#include <QTest>

#include <functional>

#include "host/ui/Accessible.h"

namespace dialogtest {
namespace {

std::vector<std::string> ItemsOf(const StdCtrls::TListBox& List) {
  std::vector<std::string> out;
  for (int i = 0; i < List.Items()->Count(); ++i) out.push_back(List.Items()->Get(i));
  return out;
}


void Type(const char* Text) {
  QWidget* focus = QApplication::focusWidget();
  ASSERT_NE(focus, nullptr) << "nothing has the focus";
  QTest::keyClicks(focus, Text);
}



class KeyboardTest : public DialogTest {
 public:
  // Runs Body inside the dialog's modal loop once the dialog is the active window;
  // returns the modal result.
  int RunModal(std::function<void()> Body) {
    ScriptedHost().Modal.push_back([Body](Forms::TForm& F) {
      if (!QTest::qWaitForWindowActive(&F)) {
        ADD_FAILURE() << "the dialog never became active";
        return;
      }
      Body();
    });
    return form->ShowModal();
  }
};

TEST_F(KeyboardTest, EveryToolBarCommandHasItsKeyInItsHint) {
  struct Row {
    Buttons::TSpeedButton* TformFilter::*Button;
    const char* Hint;
  } rows[] = {
      {&TformFilter::btConfirm, "Accept Filter (Ctrl+Enter)"},
      {&TformFilter::btCancel, "Cancel new filter (Esc)"},
      {&TformFilter::btSee, "Show SQL (F4)"},
      {&TformFilter::btParse, "Rebuild SQL (F5)"},
      {&TformFilter::btClear, "Clear filter (Ctrl+Del)"},
      {&TformFilter::btParenteses, "Grouping Options (Ctrl+P)"},
      {&TformFilter::btSaveFilter, "Saves the filter to a file (Ctrl+S)"},
      {&TformFilter::btOpenFilter, "Read a previous saved filter from a file (Ctrl+O)"},
  };
  for (const Row& r : rows) {
    Buttons::TSpeedButton* button = (*form).*r.Button;
    SCOPED_TRACE(button->Name());
    EXPECT_EQ(button->Hint(), r.Hint);
    EXPECT_EQ(Accessible::Description(*button), r.Hint) << "the description follows the hint";
  }
}

TEST_F(KeyboardTest, EachKeyRunsItsCommand) {
  struct Row {
    const char* Name;
    int Key;
    Qt::KeyboardModifiers Modifiers;
    int Result;  // the modal result: 0 the dialog stays open
    std::function<void(KeyboardTest&)> Check;
  };
  const Row rows[] = {
      {"f4_shows_the_sql", Qt::Key_F4, Qt::NoModifier, Dialogs::mrCancel,
       [](KeyboardTest& T) {
         EXPECT_TRUE(T.form->SQLPanel->Visible());
         EXPECT_EQ(T.form->MemoSQL->Lines()->Count(), 1);
       }},
      {"f5_rebuilds_the_sql", Qt::Key_F5, Qt::NoModifier, Dialogs::mrCancel,
       [](KeyboardTest& T) {
         EXPECT_FALSE(T.form->SQLPanel->Visible());
         EXPECT_EQ(T.form->MemoSQL->Lines()->Get(0), "( UPPER(CUSTOMER.NAME) =  'X' )");
       }},
      {"ctrl_del_clears", Qt::Key_Delete, Qt::ControlModifier, Dialogs::mrCancel,
       [](KeyboardTest& T) {
         EXPECT_EQ(T.form->eCampo1->ItemIndex(), -1);
         EXPECT_FALSE(T.form->IsFilterDefined());
       }},
      {"ctrl_p_shows_parentheses", Qt::Key_P, Qt::ControlModifier, Dialogs::mrCancel,
       [](KeyboardTest& T) { EXPECT_TRUE(T.form->GroupsVisible); }},
      {"ctrl_s_asks_for_a_file", Qt::Key_S, Qt::ControlModifier, Dialogs::mrCancel,
       [](KeyboardTest&) {
         ASSERT_EQ(ScriptedHost().FileDialogs.size(), 1u);
         EXPECT_TRUE(ScriptedHost().FileDialogs[0].Save);
       }},
      {"ctrl_o_asks_for_a_file", Qt::Key_O, Qt::ControlModifier, Dialogs::mrCancel,
       [](KeyboardTest&) {
         ASSERT_EQ(ScriptedHost().FileDialogs.size(), 1u);
         EXPECT_FALSE(ScriptedHost().FileDialogs[0].Save);
       }},
      {"esc_cancels", Qt::Key_Escape, Qt::NoModifier, Dialogs::mrCancel,
       [](KeyboardTest& T) { EXPECT_EQ(T.form->WhereText, ""); }},
      {"ctrl_enter_accepts", Qt::Key_Return, Qt::ControlModifier, Dialogs::mrOk,
       [](KeyboardTest& T) { EXPECT_EQ(T.form->WhereText, "WHERE ( UPPER(CUSTOMER.NAME) =  'X' )\r\n"); }},
      {"keypad_ctrl_enter_accepts", Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier, Dialogs::mrOk,
       [](KeyboardTest& T) { EXPECT_EQ(T.form->WhereText, "WHERE ( UPPER(CUSTOMER.NAME) =  'X' )\r\n"); }},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Name);
    ScriptedHost().Reset();
    Create();
    SetLine(1, "Name", "=", "x");
    const int result = RunModal([&] {
      form->eCampo1->setFocus();
      QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(r.Key), r.Modifiers);
    });
    EXPECT_EQ(result, r.Result);
    r.Check(*this);
    EXPECT_TRUE(ScriptedHost().Boxes.empty()) << ScriptedHost().Boxes.front().Text;
  }
}

TEST_F(KeyboardTest, KeysNeverLetAnErrorOutNorCloseWithAHalfTypedValue) {
  // An invalid line: the accept key leaves the message in the memo, the dialog open.
  SetLine(1, "Total", "=", "abc");
  EXPECT_EQ(RunModal([&] {
              form->eValue1->setFocus();
              Press(Qt::Key_Return, Qt::ControlModifier);
              EXPECT_TRUE(form->SQLPanel->Visible());
              EXPECT_EQ(form->MemoSQL->Lines()->Get(0), "Problem at line 1");
              // Enter alone, in the value being typed, closes nothing.
              Type("4");
              Press(Qt::Key_Return);
              Press(Qt::Key_Enter, Qt::KeypadModifier);
              EXPECT_TRUE(form->isVisible());
              EXPECT_EQ(form->eValue1->Text(), "abc4");
              // A save that cannot copy the lines tells so in a box, from the key too.
              form->eCampo1->SetItemIndex(-1);
              Press(Qt::Key_S, Qt::ControlModifier);
              form->done(Dialogs::mrCancel);
            }),
            Dialogs::mrCancel);
  ASSERT_EQ(ScriptedHost().Boxes.size(), 1u);
  EXPECT_EQ(ScriptedHost().Boxes[0].Text, "Could not update filter in the memory !");
  EXPECT_EQ(form->WhereText, "");
}

TEST_F(KeyboardTest, CtrlDelInsideAnEditIsTheEditsOwn) {
  // In a text the key deletes the next word, as in every edit; it clears the criteria
  // from the other controls, so a slip inside a value never loses the lines.
  SetLine(1, "Name", "=", "");
  form->eValue1->SetText("ab cd");
  RunModal([&] {
    form->eValue1->setFocus();
    form->eValue1->setCursorPosition(0);
    Press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(form->eValue1->Text(), "cd");
    EXPECT_EQ(form->eCampo1->ItemIndex(), 0);
    form->eCampo1->setFocus();
    Press(Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(form->eCampo1->ItemIndex(), -1);
    EXPECT_EQ(form->eValue1->Text(), "");
    form->done(Dialogs::mrCancel);
  });
}

TEST_F(KeyboardTest, TabFollowsTheLinesAndAConnectorLeadsToTheNextField) {
  form->btParenteses->Click();  // every control of a line is shown
  RunModal([&] {
    form->eCampo1->setFocus();
    form->eOperation1->setFocus();
    Type("A");  // AND: line 2 comes, its field takes the focus
    ASSERT_EQ(form->LineCount, 2);
    EXPECT_EQ(QApplication::focusWidget(), Line(2).Campo);
    Line(2).Operation->setFocus();
    Type("O");  // and OR on line 2: line 3
    ASSERT_EQ(form->LineCount, 3);
    EXPECT_EQ(QApplication::focusWidget(), Line(3).Campo);
    // From line 1's opening parenthesis through every control, line after line.
    form->eBGroup1->setFocus();
    std::vector<QWidget*> expected;
    for (int n = 1; n <= 3; ++n) {
      const FilterLineRec& l = Line(n);
      expected.insert(expected.end(), {l.BGroup, l.Campo, l.Comparision, l.Value, l.EGroup, l.Operation});
    }
    for (std::size_t i = 1; i < expected.size(); ++i) {
      Press(Qt::Key_Tab);
      EXPECT_EQ(QApplication::focusWidget(), expected[i]) << "step " << i;
    }
    // Shift+Tab goes back the same way.
    Press(Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), Line(3).EGroup);
    form->done(Dialogs::mrCancel);
  });
}

class OrderingKeysTest : public KeyboardTest {
 public:
  void SetUp() override {
    KeyboardTest::SetUp();
    form->InitOrdemData();
  }
};

TEST_F(OrderingKeysTest, KeysFollowTheDropRules) {
  struct Row {
    const char* Name;
    int Fixed;
    std::vector<std::string> Start;
    bool OnOrdem;  // the key goes to Ordem, else to Ordered
    int Selected;  // in the list the key goes to
    int Key;
    Qt::KeyboardModifiers Modifiers;
    std::vector<std::string> Result;
    int Selection;  // the selected entry of Ordered afterwards
    int Beeps;
  };
  const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier;
  const Row rows[] = {
      {"enter_appends", 1, {"A", "B"}, true, 1, Qt::Key_Return, none, {"A", "B", "ORDERS.TOTAL"}, 2, 0},
      {"keypad_enter_appends", 0, {}, true, 0, Qt::Key_Enter, Qt::KeypadModifier, {"CUSTOMER.NAME"}, 0, 0},
      {"ctrl_right_appends", 2, {"A", "B"}, true, 2, Qt::Key_Right, ctrl, {"A", "B", "ORDERS.SHIPPED"}, 2, 0},
      {"plain_right_does_nothing", 0, {"A"}, true, 2, Qt::Key_Right, none, {"A"}, -1, 0},
      {"delete_removes", 1, {"A", "B", "C"}, false, 1, Qt::Key_Delete, none, {"A", "C"}, 1, 0},
      {"delete_last_selects_new_last", 0, {"A", "B"}, false, 1, Qt::Key_Delete, none, {"A"}, 0, 0},
      {"ctrl_left_removes", 0, {"A", "B"}, false, 0, Qt::Key_Left, ctrl, {"B"}, 0, 0},
      {"fixed_is_never_removed", 2, {"A", "B", "C"}, false, 1, Qt::Key_Delete, none, {"A", "B", "C"}, 1, 1},
      {"ctrl_up_moves_up", 1, {"A", "B", "C"}, false, 2, Qt::Key_Up, ctrl, {"A", "C", "B"}, 1, 0},
      {"ctrl_up_never_above_fixed", 1, {"A", "B", "C"}, false, 1, Qt::Key_Up, ctrl, {"A", "B", "C"}, 1, 1},
      {"ctrl_up_at_top", 0, {"A", "B"}, false, 0, Qt::Key_Up, ctrl, {"A", "B"}, 0, 1},
      {"fixed_does_not_move_down", 1, {"A", "B"}, false, 0, Qt::Key_Down, ctrl, {"A", "B"}, 0, 1},
      {"ctrl_down_moves_down", 0, {"A", "B", "C"}, false, 0, Qt::Key_Down, ctrl, {"B", "A", "C"}, 1, 0},
      {"ctrl_down_to_the_end", 0, {"A", "B", "C"}, false, 1, Qt::Key_Down, ctrl, {"A", "C", "B"}, 2, 0},
      {"ctrl_down_at_the_end", 0, {"A", "B", "C"}, false, 2, Qt::Key_Down, ctrl, {"A", "B", "C"}, 2, 1},
      {"plain_down_moves_the_selection_only", 0, {"A", "B"}, false, 0, Qt::Key_Down, none, {"A", "B"}, 1, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Name);
    ScriptedHost().Reset();
    NoFixedOrd = r.Fixed;
    form->Ordered->Items()->Clear();
    for (const std::string& s : r.Start) form->Ordered->Items()->Add(s);
    form->Ordered->SetItemIndex(r.OnOrdem ? -1 : r.Selected);
    StdCtrls::TListBox* list = r.OnOrdem ? form->Ordem : form->Ordered;
    if (r.OnOrdem) form->Ordem->SetItemIndex(r.Selected);
    QTest::keyClick(list, static_cast<Qt::Key>(r.Key), r.Modifiers);
    EXPECT_EQ(ItemsOf(*form->Ordered), r.Result);
    EXPECT_EQ(form->Ordered->ItemIndex(), r.Selection);
    EXPECT_EQ(ScriptedHost().Beeps, r.Beeps);
  }
}

TEST_F(OrderingKeysTest, AKeyAndADropDoTheSame) {
  // Moving the third entry up one by the key and by dropping it on the second.
  NoFixedOrd = 1;
  for (const char* s : {"A", "B", "C", "D"}) form->Ordered->Items()->Add(s);
  form->show();
  form->PageControl1->SetActivePage(form->TabSheet2);
  QCoreApplication::processEvents();
  form->Ordered->SetItemIndex(2);
  const QPoint onB = form->Ordered->visualItemRect(form->Ordered->item(1)).center();
  ASSERT_TRUE(form->Ordered->DropFrom(form->Ordered, onB.x(), onB.y()));
  const std::vector<std::string> dropped = ItemsOf(*form->Ordered);
  form->Ordered->Items()->Clear();
  for (const char* s : {"A", "B", "C", "D"}) form->Ordered->Items()->Add(s);
  form->Ordered->SetItemIndex(2);
  QTest::keyClick(form->Ordered, Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(ItemsOf(*form->Ordered), dropped);
  EXPECT_EQ(dropped, (std::vector<std::string>{"A", "C", "B", "D"}));
  form->hide();
}

TEST_F(OrderingKeysTest, AFilterComposedWithKeysOnlyIsTheFilterOfTheHandlers) {
  // The filter made as the other tests make it: through the handlers.
  SetLine(1, "Name", "=", "x", 1);
  SetLine(2, "Total", ">", "5");
  form->Ordered->Items()->Add("ORDERS.TOTAL");
  form->Ordered->Items()->Add("CUSTOMER.NAME");
  form->btConfirmClick(form.get());
  const std::string where = form->WhereText;
  const std::vector<std::string> ordering = ItemsOf(*form->Ordered);
  ASSERT_EQ(where, "WHERE ( UPPER(CUSTOMER.NAME) =  'X' ) AND\r\n( ORDERS.TOTAL >  5 )\r\n");

  Create();
  form->InitOrdemData();
  const int result = RunModal([&] {
    TabTo(form->eCampo1);
    Type("N");  // Name
    Press(Qt::Key_Tab);
    Type("=");
    Press(Qt::Key_Tab);
    Type("x");
    Press(Qt::Key_Tab);
    Type("A");  // AND: line 2, with the focus in its field
    Type("T");  // Total
    Press(Qt::Key_Tab);
    Type(">");
    Press(Qt::Key_Tab);
    Type("5");
    // The ordering page: its tab, then the columns.
    TabTo(form->PageControl1->tabBar());
    Press(Qt::Key_Right);
    TabTo(form->Ordem);
    Press(Qt::Key_Home);
    Press(Qt::Key_Right, Qt::ControlModifier);  // CUSTOMER.NAME
    Press(Qt::Key_Down);
    Press(Qt::Key_Return);  // ORDERS.TOTAL
    TabTo(form->Ordered);
    Press(Qt::Key_Up, Qt::ControlModifier);  // ORDERS.TOTAL first
    Press(Qt::Key_Return, Qt::ControlModifier);
  });
  EXPECT_EQ(result, Dialogs::mrOk);
  EXPECT_EQ(form->WhereText, where);
  EXPECT_EQ(ItemsOf(*form->Ordered), ordering);
  EXPECT_EQ(ScriptedHost().TimedOut, 0);
}

TEST_F(KeyboardTest, EveryFocusableControlHasAName) {
  form->InitOrdemData();
  SetLine(1, "Name", "=", "x", 1);
  SetLine(2, "Total", ">", "5", 2);
  form->btParenteses->Click();
  form->btSee->Click();
  form->show();
  ExpectEveryControlNamed(*form, *form->PageControl1, {form->TabSheet1, form->TabSheet2, form->TabSheet3}, 3);

  struct Row {
    Controls::TControl* Control;
    const char* Name;
  } rows[] = {
      {Line(2).BGroup, "Line 2 opening parentheses"}, {Line(2).Campo, "Line 2 field"},
      {Line(2).Comparision, "Line 2 comparison"},     {Line(2).Value, "Line 2 value"},
      {Line(2).EGroup, "Line 2 closing parentheses"}, {Line(2).Operation, "Line 2 connector"},
      {Line(1).Campo, "Line 1 field"},                {Line(3).Operation, "Line 3 connector"},
      {form->MemoSQL, "SQL condition built from the criteria"},
      {form->Ordered, "Ordering of the result, first key first"},
      {form->Ordem, "Columns available for the ordering"},
      {form->ckCase, "Case Sensitive"},
      {form->TabSheet2, "Ordering"},
  };
  for (const Row& r : rows) EXPECT_EQ(Accessible::Name(*r.Control), r.Name) << r.Control->Name();
}

TEST_F(KeyboardTest, DescriptionsFollowTheHints) {
  EXPECT_EQ(Accessible::Description(*form->eCampo1), "Field Name");
  EXPECT_EQ(Accessible::Description(*form->Ordem), "Fields in the Source Table");
  // The first comparison's hint names the chosen comparison; its description follows.
  SetLine(1, "Name", "<", "");
  EXPECT_EQ(form->eComparision1->Hint(), "<");
  EXPECT_EQ(Accessible::Description(*form->eComparision1), "<");
  // Also a hint that is not shown as a tool tip.
  form->eValue1->SetShowHint(false);
  form->eValue1->SetHint("typed value");
  EXPECT_EQ(Accessible::Description(*form->eValue1), "typed value");
}

}  // namespace
}  // namespace dialogtest
