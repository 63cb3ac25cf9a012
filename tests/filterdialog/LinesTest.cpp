// The criteria lines editor: layout, line bookkeeping, restoring records, field changes.
#include "DialogFixture.h"

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
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    form->eBGroup1->SetText("");
    form->eEGroup1->SetText("");
    form->eBGroup1->TypeText(c.typed);
    form->eEGroup1->TypeText(c.typed);
    EXPECT_EQ(form->eBGroup1->Text(), c.opening);
    EXPECT_EQ(form->eEGroup1->Text(), c.closing);
  }
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
