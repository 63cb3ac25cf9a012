// The criteria lines editor: layout, line bookkeeping, restoring records, field changes.
#include "DialogFixture.h"

#include <functional>

namespace dialogtest {
namespace {

struct TGeometry {
  int campoLeft, campoWidth, valueWidth;
  bool groups;
};

TGeometry GeometryOf(const FilterLineRec& L) {
  return {L.Campo->Left(), L.Campo->Width(), L.Value->Width(), L.BGroup->Visible() && L.EGroup->Visible()};
}

void ExpectGeometry(const FilterLineRec& L, TGeometry G) {
  const TGeometry got = GeometryOf(L);
  EXPECT_EQ(got.campoLeft, G.campoLeft);
  EXPECT_EQ(got.campoWidth, G.campoWidth);
  EXPECT_EQ(got.valueWidth, G.valueWidth);
  EXPECT_EQ(got.groups, G.groups);
}

TEST_F(DialogTest, LayoutAndParenthesisColumns) {
  EXPECT_EQ(form->width(), 531);
  EXPECT_EQ(form->height(), 299);
  EXPECT_EQ(form->Caption(), "Filter");
  EXPECT_FALSE(form->GroupsVisible);
  ExpectGeometry(Line(1), {8, 203, 151, false});
  form->btParenteses->Click();
  ExpectGeometry(Line(1), {38, 173, 121, true});
  // Lines added while the columns show get them too; hiding narrows every line back.
  SetLine(1, "Name", "=", "x", 1);
  ExpectGeometry(Line(2), {38, 173, 121, true});
  form->btParenteses->Click();
  ExpectGeometry(Line(1), {8, 203, 151, false});
  ExpectGeometry(Line(2), {8, 203, 151, false});

  // The field list leaves out the invisible entry and shows descriptions in ComboOrder.
  std::vector<std::string> fields;
  for (int i = 0; i < form->eCampo1->Items()->Count(); ++i) fields.push_back(form->eCampo1->Items()->Get(i));
  EXPECT_EQ(fields, (std::vector<std::string>{"Name", "Total", "Shipped", "Active", "Start", "Quantity", "Notes"}));
  EXPECT_EQ(form->eComparision1->Items()->Count(), 10);
  EXPECT_EQ(form->eOperation1->Items()->Text(), "\r\nAND\r\nOR\r\n");
  EXPECT_EQ(form->eCampo1->Hint(), "Field Name");
  EXPECT_EQ(form->TabSheet2->Caption(), "Ordering");
}

TEST_F(DialogTest, ConnectorsAddAndRemoveLines) {
  SetLine(1, "", "", "", 1);
  ASSERT_EQ(form->LineCount, 2);
  const char* names[] = {"eBGroup2", "eCampo2", "eComparision2", "eValue2", "eEGroup2", "eOperation2"};
  for (const char* name : names) {
    auto* c = dynamic_cast<Controls::TControl*>(form->FindComponent(name));
    ASSERT_NE(c, nullptr) << name;
    EXPECT_EQ(c->Top(), 35) << name;
    EXPECT_EQ(c->Tag(), 2) << name;
  }
  SetLine(1, "", "", "", 2);  // an inner line's connector: nothing more
  EXPECT_EQ(form->LineCount, 2);
  SetLine(2, "", "", "", 1);
  EXPECT_EQ(form->LineCount, 3);
  EXPECT_EQ(Line(3).Campo->Top(), 62);
  EXPECT_EQ(Line(3).Campo->Items()->Count(), form->eCampo1->Items()->Count());
  SetLine(1, "", "", "", 0);  // the empty connector on line 1 drops lines 2 and 3
  EXPECT_EQ(form->LineCount, 1);
  EXPECT_EQ(FilterLines.size(), 1u);
  EXPECT_EQ(form->FindComponent("eCampo2"), nullptr);
  EXPECT_EQ(form->FindComponent("eValue3"), nullptr);

  // Clear goes back to one empty line; IsFilterDefined follows what was entered.
  SetLine(1, "", "", "", 1);
  form->ClearFilter(nullptr);
  EXPECT_EQ(form->LineCount, 1);
  EXPECT_FALSE(form->IsFilterDefined());
  form->eValue1->SetText("typed by the program");
  EXPECT_FALSE(form->IsFilterDefined());
  form->eValue1->TypeText("x");
  EXPECT_TRUE(form->IsFilterDefined());
  form->ClearFilter(nullptr);
  SetLine(1, "Name", "", "");
  EXPECT_TRUE(form->IsFilterDefined());
}

TEST_F(DialogTest, ComparisonHintDropWidthAndRebuild) {
  SetLine(1, "Total", "<", "5", 1);
  EXPECT_EQ(form->eComparision1->Hint(), "<");
  form->eComparision1->SetItemIndex(-1);
  form->eComparision1Change(form->eComparision1);
  EXPECT_EQ(form->eComparision1->Hint(), "Operator");
  // Every comparison list opens at least 130 pixels wide, the cloned ones too.
  Line(2).Comparision->OnDropDown(Line(2).Comparision);
  EXPECT_EQ(Line(2).Comparision->DropWidth(), 130);
  // The rebuild button builds the memo again from the lines.
  SetLine(1, "", "=", "");
  SetLine(2, "Name", "=", "z");
  form->btParse->Click();
  EXPECT_EQ(form->MemoSQL->Text(), "( ORDERS.TOTAL =  5 ) AND\r\n( UPPER(CUSTOMER.NAME) =  'Z' )\r\n");
}

TEST_F(DialogTest, ParenthesisEditsTakeOnlyTheirParenthesis) {
  struct Case {
    const char* typed;
    const char* opening;
    const char* closing;
  } cases[] = {{"(", "(", ""}, {")", "", ")"}, {"a((b", "((", ""}, {"x))", "", "))"}};
  SetLine(1, "", "", "", 1);
  for (int n = 1; n <= 2; ++n)
    for (const Case& c : cases) {
      SCOPED_TRACE("line " + std::to_string(n) + " " + c.typed);
      Line(n).BGroup->SetText("");
      Line(n).EGroup->SetText("");
      Line(n).BGroup->TypeText(c.typed);
      Line(n).EGroup->TypeText(c.typed);
      EXPECT_EQ(Line(n).BGroup->Text(), c.opening);
      EXPECT_EQ(Line(n).EGroup->Text(), c.closing);
    }
  // Other edits take every key.
  form->eValue1->TypeText("(a)");
  EXPECT_EQ(form->eValue1->Text(), "(a)");
  // Backspace is refused too.
  form->eBGroup1->SetText("((");
  form->eBGroup1->TypeText("\b");
  EXPECT_EQ(form->eBGroup1->Text(), "((");
}

TEST_F(DialogTest, FieldChoiceShapesTheValueAndTheComparisons) {
  OperatorsOk = {opStartingWith, opContains};
  struct Case {
    const char* field;
    const char* editDateFormat;
    const char* mask;
    bool optional;  // "Contains" and "Start with" offered
  } cases[] = {
      {"Shipped", "mm/dd/yyyy", "99/99/9999", false},
      {"Shipped", "dd.mm.yyyy", "99999999", false},
      {"Start", "mm/dd/yyyy", "99:99", false},
      {"Active", "mm/dd/yyyy", "", false},
      {"Name", "mm/dd/yyyy", "", true},
      {"Quantity", "mm/dd/yyyy", "", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.field) + " " + c.editDateFormat);
    form->EditDateFormat = c.editDateFormat;
    SetLine(1, c.field, "", "");
    EXPECT_EQ(form->eValue1->EditMask(), c.mask);
    Classes::TStrings& items = *form->eComparision1->Items();
    EXPECT_EQ(items.IndexOf("Contains") >= 0, c.optional);
    EXPECT_EQ(items.IndexOf("Start with") >= 0, c.optional);
  }
  // Re-added at the end, "Contains" first; text fields limit the value's length.
  const int count = form->eComparision1->Items()->Count();
  EXPECT_EQ(form->eComparision1->Items()->Get(count - 2), "Contains");
  EXPECT_EQ(form->eComparision1->Items()->Get(count - 1), "Start with");
  SetLine(1, "Name", "", "");
  EXPECT_EQ(form->eValue1->MaxLength(), 40);
  // A value kept across a mask change passes through the new mask.
  form->EditDateFormat = "mm/dd/yyyy";
  SetLine(1, "Shipped", "", "12251999");
  EXPECT_EQ(form->eValue1->Text(), "12/25/1999");
}

TEST_F(DialogTest, ChosenComparisonStaysOnlyWhileOffered) {
  struct Case {
    const char* name;
    const char* first;       // field chosen first
    const char* comparison;  // then this comparison
    const char* second;      // then this field
    const char* chosen;      // the comparison shown afterwards ("" none)
  } cases[] = {
      {"contains_gone_for_date", "Name", "Contains", "Shipped", ""},
      {"start_with_gone_for_time", "Name", "Start with", "Start", ""},
      {"contains_gone_for_boolean", "Quantity", "Contains", "Active", ""},
      {"start_with_stays_for_number", "Name", "Start with", "Total", "Start with"},
      {"is_not_null_stays_for_date", "Name", "is not Null", "Shipped", "is not Null"},
      {"equal_stays_for_time", "Total", "=", "Start", "="},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Create();
    SetLine(1, c.first, c.comparison, "");
    SetLine(1, c.second, "", "");
    EXPECT_EQ(form->eComparision1->Text(), c.chosen);
    if (*c.chosen == '\0') {
      EXPECT_EQ(form->eComparision1->ItemIndex(), -1);
      EXPECT_EQ(Build(), std::vector<std::string>{"Invalid Comparision value at line 1"});
    }
  }
  // Taken away and offered again, the optional comparisons come back at the end; a
  // comparison chosen among them stays chosen while the line changes field.
  Create();
  SetLine(1, "Shipped", "", "");
  SetLine(1, "Name", "Start with", "");
  SetLine(1, "Quantity", "", "");
  EXPECT_EQ(form->eComparision1->Text(), "Start with");
  EXPECT_EQ(form->eComparision1->ItemIndex(), form->eComparision1->Items()->Count() - 1);
}

TEST_F(DialogTest, ValuesAreKeptWhole) {
  std::vector<TEntry> entries = DefaultEntries();
  entries.push_back({"CUSTOMER.", "CODE", fString, "Code", true, 5});
  entries.push_back({"CUSTOMER.", "REMARK", fString, "Remark", true, 60});
  MakeCatalogue(entries);
  struct Case {
    const char* name;
    std::function<void(DialogTest&)> setup;
    std::vector<std::string> memo;
  } cases[] = {
      {"restored_long_values",
       [](DialogTest& t) {
         Filter = {Record("", "CUSTOMER.", "CODE", "=", "ABCDEFGH", "", 1),
                   Record("", "CUSTOMER.", "CODE", "=", "IJKLMNOP", "", -1)};
         t.Create();
         t.form->InitFilter();
       },
       {"( UPPER(CUSTOMER.CODE) =  'ABCDEFGH' ) AND", "( UPPER(CUSTOMER.CODE) =  'IJKLMNOP' )"}},
      {"long_field_to_short",
       [](DialogTest& t) {
         t.SetLine(1, "Remark", "=", "ABCDEFGHIJ");
         t.SetLine(1, "Code", "", "");
       },
       {"( UPPER(CUSTOMER.CODE) =  'ABCDEFGHIJ' )"}},
      {"typing_stops_at_limit", [](DialogTest& t) { t.SetLine(1, "Code", "=", "ABCDEFGH"); },
       {"( UPPER(CUSTOMER.CODE) =  'ABCDE' )"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Filter.clear();
    Create();
    c.setup(*this);
    EXPECT_EQ(Build(), c.memo);
  }
}

TEST_F(DialogTest, OneDialogAtATime) {
  SetLine(1, "Name", "=", "x", 1);
  SetLine(2, "Total", ">", "1");
  // A second dialog (from a handler of the first, say) is refused and touches nothing.
  Classes::TComponent owner(nullptr);
  try {
    TformFilter second(&owner);
    ADD_FAILURE() << "a second dialog was created";
  } catch (const SysUtils::Exception& e) {
    EXPECT_NE(e.Message().find("already open"), std::string::npos) << e.Message();
  }
  EXPECT_EQ(owner.ComponentCount(), 0);
  ASSERT_EQ(FilterLines.size(), 2u);
  EXPECT_EQ(Line(1).Campo, form->eCampo1);
  EXPECT_EQ(Build(), (std::vector<std::string>{"( UPPER(CUSTOMER.NAME) =  'X' ) AND", "( ORDERS.TOTAL >  1 )"}));
  // Once the first is gone, a new one can be made.
  form.reset();
  EXPECT_TRUE(FilterLines.empty());
  Create();
  EXPECT_EQ(FilterLines.size(), 1u);
  EXPECT_EQ(Line(1).Campo, form->eCampo1);
}

TEST_F(DialogTest, RefusesMoreLinesThanItHolds) {
  Filter.assign(MaxFilterLines + 1, Record("", "CUSTOMER.", "NAME", "=", "x", "", 1));
  EXPECT_THROW(form->InitFilter(), SysUtils::Exception);
  EXPECT_EQ(form->LineCount, 1);
  EXPECT_EQ(FilterLines.size(), 1u);
  EXPECT_EQ(form->eCampo1->ItemIndex(), -1);
}

TEST_F(DialogTest, RestoresRecordsByIdentity) {
  Filter = {Record("(", "ORDERS.", "TOTAL", ">=", "100", "", 1),
            Record("", "customer.", "name", "Containing", "ab", ")", 2),
            Record("", "ORDERS.", "SHIPPED", "is Null", "", "", 0)};
  // Sorted by description, the positions no longer follow ComboOrder.
  form->eCampo1->SetSorted(true);
  form->InitFilter();
  ASSERT_EQ(form->LineCount, 3);
  EXPECT_TRUE(form->GroupsVisible);
  ExpectGeometry(Line(2), {38, 173, 121, true});
  const char* fields[] = {"Total", "Name", "Shipped"};
  const char* comparisons[] = {">=", "Contains", "is Null"};
  for (int n = 1; n <= 3; ++n) {
    EXPECT_EQ(Line(n).Campo->Text(), fields[n - 1]);
    EXPECT_EQ(Line(n).Comparision->Text(), comparisons[n - 1]);
  }
  EXPECT_EQ(Build(), (std::vector<std::string>{"(( ORDERS.TOTAL >=  100 ) AND",
                                               "( UPPER(CUSTOMER.NAME) Containing  'AB' )) OR",
                                               "( ORDERS.SHIPPED is Null  )"}));

  // A field that is not in the catalogue, or a comparison not offered, chooses nothing.
  OperatorsOk = {opStartingWith};
  Filter = {Record("", "X.", "GONE", "=", "1", "", -1), Record("", "CUSTOMER.", "NAME", "Containing", "a", "", -1)};
  Create();
  form->InitFilter();
  EXPECT_EQ(form->eCampo1->ItemIndex(), -1);
  EXPECT_FALSE(form->GroupsVisible);
  EXPECT_EQ(Line(2).Campo->Text(), "Name");
  EXPECT_EQ(Line(2).Comparision->ItemIndex(), -1);

  // An empty filter leaves the dialog as created.
  Filter.clear();
  Create();
  form->InitFilter();
  EXPECT_EQ(form->LineCount, 1);
  EXPECT_EQ(form->eCampo1->ItemIndex(), -1);
}

TEST_F(DialogTest, CopiesLinesIntoFilterRecords) {
  FilterArray copy;
  EXPECT_FALSE(form->ModifyFilter(copy));  // nothing entered
  form->btParenteses->Click();
  form->eBGroup1->TypeText("(");
  SetLine(1, "Name", "Start with", "o'b", 2);
  SetLine(2, "Shipped", "=", "01021999");
  Line(2).EGroup->TypeText(")");
  ASSERT_TRUE(form->ModifyFilter(copy));
  ASSERT_EQ(copy.size(), 2u);
  EXPECT_EQ(copy[0].BeginGroup.Str(), "(");
  EXPECT_EQ(copy[0].TableName.Str() + copy[0].FieldName.Str(), "CUSTOMER.NAME");
  EXPECT_EQ(copy[0].Operator.Str(), "Starting with");
  EXPECT_EQ(copy[0].Value.Str(), "o'b");
  EXPECT_EQ(copy[0].Operation, 2);
  EXPECT_EQ(copy[1].Value.Str(), "01/02/1999");
  EXPECT_EQ(copy[1].EndGroup.Str(), ")");
  EXPECT_EQ(copy[1].Operation, -1);

  // A line without a field cannot be copied.
  Create();
  form->eValue1->TypeText("typed");
  EXPECT_FALSE(form->ModifyFilter(copy));
  ASSERT_EQ(ScriptedHost().Boxes.size(), 1u);
  EXPECT_EQ(ScriptedHost().Boxes[0].Text, "Could not update filter in the memory !");
}

}  // namespace
}  // namespace dialogtest
