// The field-definitions dialog over a small catalogue, driven through its handlers and
// its controls as the developer uses them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QTabBar>
#include <QTest>

#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "fielddefs/kytFieldDef.h"
#include "host/ui/Accessible.h"
#include "tests/filtermodel/Screenshot.h"
#include "tests/filtermodel/KeysAndNames.h"
#include "tests/filtermodel/TestHost.h"

namespace {

using namespace kytFieldDef;
using namespace kytSQLFilterStruc;

struct TEntry {
  const char* Table;
  const char* Field;
  int Order;
  bool Visible;
  bool Supported;
  const char* Description;
};

void MakeCatalogue(const std::vector<TEntry>& Entries) {
  delete Campos;
  Campos = new TCampos;
  for (const TEntry& e : Entries) {
    auto* c = new TCampo;
    c->TableName = e.Table;
    c->FieldName = e.Field;
    c->ComboOrder = e.Order;
    c->Visible = e.Visible;
    c->Supported = e.Supported;
    c->Description = e.Description;
    c->DataType = fString;
    c->MaxSize = 30;
    Campos->Add(c);
  }
}

// ORDERS: ID, TOTAL allowed; DATE available. CUSTOMERS: NAME allowed, CITY available,
// PHOTO not supported. "customers." repeats the table in other letter case.
const std::vector<TEntry> kCatalogue = {
    {"ORDERS.", "ID", 1, true, true, "Order"},
    {"ORDERS.", "TOTAL", 2, true, true, "Total"},
    {"ORDERS.", "DATE", 5, false, true, "Date"},
    {"CUSTOMERS.", "NAME", 0, true, true, "Name"},
    {"CUSTOMERS.", "CITY", 6, false, true, "City"},
    {"customers.", "PHOTO", 7, false, false, "Photo"},
};

std::vector<std::string> Texts(const Classes::TStrings& Items) {
  std::vector<std::string> out;
  for (int i = 0; i < Items.Count(); ++i) out.push_back(Items.Get(i));
  return out;
}

class FieldDefTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeCatalogue(kCatalogue);
    form = std::make_unique<TformFDefs>(nullptr);
    form->InitializeLists();
  }
  void TearDown() override {
    form.reset();
    delete Campos;
    Campos = nullptr;
    DataRefresh = {};
  }
  std::vector<std::string> Allowed() const { return Texts(*form->fieldList->Items()); }
  std::vector<std::string> Available() const { return Texts(*form->lsAvaiFields->Items()); }
  void ChooseTable(const std::string& Table) {
    for (int i = 0; i < form->cbTables->Items()->Count(); ++i)
      if (form->cbTables->Items()->Get(i) == Table) form->cbTables->UserSelect(i);
  }
  // A drop onto item Index of the allowed list (its count: below the last item).
  void DropOnItem(Classes::TObject* Source, int Index) {
    StdCtrls::TListBox& list = *form->fieldList;
    int y = 2000;
    if (Index < list.count()) y = list.visualItemRect(list.item(Index)).center().y();
    ASSERT_TRUE(list.DropFrom(Source, 5, y));
  }
  std::unique_ptr<TformFDefs> form;
};

TEST_F(FieldDefTest, ListsFollowComboOrderAndShowTheFirstEntry) {
  EXPECT_EQ(Allowed(), (std::vector<std::string>{"Name", "Order", "Total"}));
  EXPECT_EQ(Texts(*form->cbTables->Items()), (std::vector<std::string>{"ORDERS.", "CUSTOMERS."}));
  EXPECT_EQ(form->cbTables->ItemIndex(), -1);
  EXPECT_TRUE(Available().empty());
  EXPECT_EQ(form->fieldList->ItemIndex(), 0);
  EXPECT_EQ(form->edFieldName->Text(), "NAME");
  EXPECT_EQ(form->edPosTable->Text(), "0");
  EXPECT_EQ(form->edFromTable->Text(), "CUSTOMERS.");
  EXPECT_TRUE(form->cbVisible->Checked());
  EXPECT_FALSE(form->lbRefreshing->Visible());
  EXPECT_EQ(form->PageControl1->ActivePage(), form->TabSheet1);

  // Orders of four digits and more, negative ones, and equal ones (by description
  // without case): a three-digit prefix would sort 1000 before 999 and leave a digit.
  MakeCatalogue({{"T.", "A", 1000, true, true, "thousand"},
                 {"T.", "B", 999, true, true, "nine"},
                 {"T.", "C", -3, true, true, "minus"},
                 {"T.", "D", 7, true, true, "beta"},
                 {"T.", "E", 7, true, true, "Alpha"},
                 {"T.", "F", 2147483647, true, true, "max"}});
  form->InitializeLists();
  EXPECT_EQ(Allowed(), (std::vector<std::string>{"minus", "Alpha", "beta", "nine", "thousand", "max"}));
}

TEST_F(FieldDefTest, FixedTextsOfTypesAndKinds) {
  const char* const types[] = {"Character/String", "Float", "Integer", "Graphic", "BLOB",      "Date",
                               "Time",             "Date/Time", "Unknown", "Boolean", "Not defined(?" "?)"};
  for (int t = 0; t <= 10; ++t) EXPECT_EQ(DataTypeText(static_cast<TFType>(t)), types[t]) << t;
  const char* const kinds[] = {"In SQL Select", "Not in Select", "Linked field", "Unknown Status"};
  for (int k = 0; k <= 3; ++k) EXPECT_EQ(FieldKindText(static_cast<TFKind>(k)), kinds[k]) << k;

  ChooseTable("CUSTOMERS.");
  EXPECT_EQ(Available(), (std::vector<std::string>{"City"})) << "only supported, not allowed entries";
  form->lsAvaiFields->ClickItem(0);
  EXPECT_EQ(form->edFieldName->Text(), "CITY");
  EXPECT_EQ(form->edPosTable->Text(), "Undefined");
  EXPECT_FALSE(form->cbVisible->Checked());
  EXPECT_EQ(form->edFieldSize->Text(), "30");
}

TEST_F(FieldDefTest, DropsOntoTheAllowedList) {
  struct Row {
    const char* Name;
    bool FromAvailable;  // else a move inside the allowed list
    int Selected;        // index in the source list
    int Target;          // item under the drop point; 3 = below the last
    std::vector<std::string> Expected;
    int ExpectedSelection;
  };
  const Row rows[] = {
      {"available onto the first item", true, 0, 0, {"Date", "Name", "Order", "Total"}, 0},
      {"available onto the last item", true, 0, 2, {"Name", "Order", "Date", "Total"}, 2},
      {"available below the last item", true, 0, 3, {"Name", "Order", "Total", "Date"}, 3},
      {"first moved onto the last", false, 0, 2, {"Order", "Total", "Name"}, 2},
      {"last moved onto the first", false, 2, 0, {"Total", "Name", "Order"}, 0},
      {"first moved below the last", false, 0, 3, {"Order", "Total", "Name"}, 2},
      {"middle moved onto itself", false, 1, 1, {"Name", "Order", "Total"}, 1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    SetUp();
    ChooseTable("ORDERS.");
    if (row.FromAvailable) {
      form->lsAvaiFields->SetItemIndex(row.Selected);
      DropOnItem(form->lsAvaiFields, row.Target);
    } else {
      form->fieldList->SetItemIndex(row.Selected);
      DropOnItem(form->fieldList, row.Target);
    }
    EXPECT_EQ(Allowed(), row.Expected);
    EXPECT_EQ(form->fieldList->ItemIndex(), row.ExpectedSelection);
    if (row.FromAvailable) {
      EXPECT_TRUE(Available().empty());
      EXPECT_TRUE(Campos->Get(2)->Visible);
      EXPECT_EQ(form->edFieldName->Text(), "DATE");
    }
    TearDown();
  }
}

TEST_F(FieldDefTest, AnEmptyAllowedListTakesADroppedField) {
  MakeCatalogue({{"T.", "A", 0, false, true, "First"}, {"T.", "B", 1, false, true, "Second"}});
  form->InitializeLists();
  ChooseTable("T.");
  form->lsAvaiFields->SetItemIndex(1);
  DropOnItem(form->lsAvaiFields, 0);
  EXPECT_EQ(Allowed(), (std::vector<std::string>{"Second"}));
  EXPECT_EQ(Available(), (std::vector<std::string>{"First"}));
}

TEST_F(FieldDefTest, DeleteKeyTakesTheSelectedFieldOut) {
  struct Row {
    const char* Name;
    uint16_t Key;
    StdCtrls::TShiftState Shift;
    int Selected;
    std::vector<std::string> Expected;
    int ExpectedSelection;
  };
  const Row rows[] = {
      {"the last selects the new last", StdCtrls::VK_DELETE, 0, 2, {"Name", "Order"}, 1},
      {"a middle one keeps the index", StdCtrls::VK_DELETE, StdCtrls::ssCtrl | StdCtrls::ssShift, 1,
       {"Name", "Total"}, 1},
      {"another key does nothing", StdCtrls::VK_RETURN, 0, 1, {"Name", "Order", "Total"}, 1},
      {"nothing selected does nothing", StdCtrls::VK_DELETE, 0, -1, {"Name", "Order", "Total"}, -1},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    SetUp();
    ChooseTable("ORDERS.");
    form->fieldList->SetItemIndex(row.Selected);
    form->fieldList->KeyUp(row.Key, row.Shift);
    EXPECT_EQ(Allowed(), row.Expected);
    EXPECT_EQ(form->fieldList->ItemIndex(), row.ExpectedSelection);
    TearDown();
  }

  SetUp();
  ChooseTable("ORDERS.");
  form->fieldList->SetItemIndex(1);  // Order, of the chosen table: listed as available again
  form->fieldList->KeyUp(StdCtrls::VK_DELETE, 0);
  EXPECT_EQ(Available(), (std::vector<std::string>{"Order", "Date"}));
  EXPECT_FALSE(Campos->Get(0)->Visible);

  MakeCatalogue({{"T.", "A", 0, true, true, "Only"}});
  form->InitializeLists();
  form->fieldList->KeyUp(StdCtrls::VK_DELETE, 0);
  EXPECT_TRUE(Allowed().empty());
  EXPECT_EQ(form->fieldList->ItemIndex(), -1);
}

TEST_F(FieldDefTest, DescriptionGoesToTheListOfTheShownEntry) {
  form->fieldList->ClickItem(1);
  form->edFieldDesc->SetText("Order number");
  form->edFieldDesc->DoExit();
  EXPECT_EQ(Campos->Get(0)->Description, "Order number");
  EXPECT_EQ(Allowed()[1], "Order number");

  ChooseTable("ORDERS.");
  form->lsAvaiFields->ClickItem(0);
  form->edFieldDesc->SetText("Day");
  form->edFieldDesc->DoExit();
  EXPECT_EQ(Campos->Get(2)->Description, "Day");
  EXPECT_EQ(Available(), (std::vector<std::string>{"Day"}));
  EXPECT_EQ(Allowed()[1], "Order number") << "the allowed list is left alone";
}

TEST_F(FieldDefTest, OkNumbersAllowedFieldsFirstThenTheOthers) {
  form->fieldList->SetItemIndex(2);
  DropOnItem(form->fieldList, 0);  // Total, Name, Order
  form->BitBtn1->Click();
  EXPECT_EQ(form->ModalResult(), Dialogs::mrOk);
  const int expected[] = {2, 0, 3, 1, 4, 5};  // ID TOTAL DATE NAME CITY PHOTO
  for (int i = 0; i < Campos->Count(); ++i) EXPECT_EQ(Campos->Get(i)->ComboOrder, expected[i]) << i;
  EXPECT_EQ(Campos->Get(0)->FieldName, "ID") << "the catalogue keeps its own order";
}

TEST_F(FieldDefTest, RefreshAsksForTheTickedKindsAndRebuilds) {
  struct Row {
    const char* Name;
    bool Boxes[4];
    uint8_t ExpectedBits;
  };
  const Row rows[] = {
      {"revert wins over the others", {true, false, false, true}, 1},
      {"descriptions and new fields", {false, true, false, true}, 2 | 8},
      {"remove old only", {false, false, true, false}, 4},
      {"no box ticked", {false, false, false, false}, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    int calls = 0;
    uint8_t asked = 0xFF;
    bool labelShown = false;
    DataRefresh.Code = [&](TRefreshTypeS Kinds) {
      ++calls;
      asked = Kinds.Bits();
      labelShown = form->lbRefreshing->Visible();
      EXPECT_TRUE(Allowed().empty()) << "no item may point at an entry the refresh frees";
      MakeCatalogue({{"NEW.", "X", 0, true, true, "Fresh"}});
    };
    form->ckb1->SetChecked(row.Boxes[0]);
    form->ckb2->SetChecked(row.Boxes[1]);
    form->ckb3->SetChecked(row.Boxes[2]);
    form->ckb4->SetChecked(row.Boxes[3]);
    ChooseTable("ORDERS.");
    form->BitBtn3->Click();
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(asked, row.ExpectedBits);
    EXPECT_TRUE(labelShown);
    EXPECT_FALSE(form->lbRefreshing->Visible());
    EXPECT_EQ(Allowed(), (std::vector<std::string>{"Fresh"}));
    EXPECT_EQ(form->cbTables->ItemIndex(), -1);
    EXPECT_TRUE(Available().empty());
  }
}

TEST_F(FieldDefTest, AFailingRefreshRebuildsTheListsAndReportsTheError) {
  DataRefresh.Code = [](TRefreshTypeS) { throw SysUtils::Exception("database gone"); };
  ScriptedHost().Boxes.clear();
  form->BitBtn3->Click();
  EXPECT_EQ(Allowed(), (std::vector<std::string>{"Name", "Order", "Total"}));
  EXPECT_FALSE(form->lbRefreshing->Visible());
  ASSERT_EQ(ScriptedHost().Boxes.size(), 1u);
  EXPECT_EQ(ScriptedHost().Boxes[0].Text, "database gone");
  EXPECT_EQ(form->ModalResult(), 0) << "the dialog stays open";

  DataRefresh = {};
  form->BitBtn3->Click();  // no refresh bound: the lists are rebuilt all the same
  EXPECT_EQ(Allowed().size(), 3u);
}

TEST(FieldDefShow, ShowsModallyOnceAtATime) {
  MakeCatalogue(kCatalogue);
  int inner = -2;
  bool sawForm = false;
  ScriptedHost().Modal.push_back([&](Forms::TForm& Form) {
    sawForm = formFDefs == &Form && formFDefs->fieldList->Items()->Count() == 3;
    try {
      ShowFieldDefs();
    } catch (const SysUtils::Exception&) {
      inner = -1;
    }
    formFDefs->BitBtn1->Click();
  });
  EXPECT_EQ(ShowFieldDefs(), Dialogs::mrOk);
  EXPECT_TRUE(sawForm);
  EXPECT_EQ(inner, -1) << "a second dialog is refused";
  EXPECT_EQ(formFDefs, nullptr);

  ScriptedHost().Modal.push_back([](Forms::TForm&) { formFDefs->BitBtn2->Click(); });
  EXPECT_EQ(ShowFieldDefs(), Dialogs::mrCancel);
  EXPECT_EQ(formFDefs, nullptr);
  delete Campos;
  Campos = nullptr;
}

TEST_F(FieldDefTest, Screenshots) {
  form->fieldList->ClickItem(1);
  form->show();
  Shoot(*form, "field-definitions.png", 620, 391);
  ChooseTable("ORDERS.");
  form->PageControl1->SetActivePage(form->TabSheet2);
  Shoot(*form, "field-definitions-available.png", 620, 391);
  form->PageControl1->SetActivePage(form->TabSheet3);
  form->lbRefreshing->SetVisible(true);
  Shoot(*form, "field-definitions-refresh.png", 620, 391);
  form->hide();
}

}  // namespace

// ---- The keyboard and screen readers ----------------------------------------------------

namespace {



TEST_F(FieldDefTest, KeysMoveFieldsAsTheDropsDo) {
  struct Row {
    const char* Name;
    bool OnAvailable;  // the key goes to the available list, else to the allowed one
    int Selected;      // in the list the key goes to
    int Key;
    Qt::KeyboardModifiers Modifiers;
    std::vector<std::string> AllowedAfter;
    int SelectedAfter;  // in the allowed list
  };
  const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier;
  const Row rows[] = {
      {"enter_allows_at_the_end", true, 0, Qt::Key_Return, none, {"Name", "Order", "Total", "Date"}, 3},
      {"keypad_enter_allows", true, 0, Qt::Key_Enter, Qt::KeypadModifier, {"Name", "Order", "Total", "Date"}, 3},
      {"enter_without_selection", true, -1, Qt::Key_Return, none, {"Name", "Order", "Total"}, 1},
      {"ctrl_up", false, 2, Qt::Key_Up, ctrl, {"Name", "Total", "Order"}, 1},
      {"ctrl_up_at_the_top", false, 0, Qt::Key_Up, ctrl, {"Name", "Order", "Total"}, 0},
      {"ctrl_down", false, 0, Qt::Key_Down, ctrl, {"Order", "Name", "Total"}, 1},
      {"ctrl_down_at_the_end", false, 2, Qt::Key_Down, ctrl, {"Name", "Order", "Total"}, 2},
      {"plain_down_selects_only", false, 0, Qt::Key_Down, none, {"Name", "Order", "Total"}, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Name);
    MakeCatalogue(kCatalogue);
    form->InitializeLists();
    ChooseTable("ORDERS.");
    form->fieldList->SetItemIndex(r.OnAvailable ? 1 : r.Selected);
    if (r.OnAvailable) form->lsAvaiFields->SetItemIndex(r.Selected);
    QTest::keyClick(r.OnAvailable ? form->lsAvaiFields : form->fieldList, static_cast<Qt::Key>(r.Key), r.Modifiers);
    EXPECT_EQ(Allowed(), r.AllowedAfter);
    EXPECT_EQ(form->fieldList->ItemIndex(), r.SelectedAfter);
    EXPECT_EQ(form->ModalResult(), 0) << "Enter in a list does not press OK";
    if (r.AllowedAfter.size() == 4) {
      EXPECT_TRUE(Available().empty());
      EXPECT_EQ(form->edFieldName->Text(), "DATE") << "the new field is shown";
    }
  }
}

TEST_F(FieldDefTest, FieldsAllowedMovedAndDeletedWithKeysOnly) {
  ScriptedHost().Modal.push_back([this](Forms::TForm& F) {
    if (!QTest::qWaitForWindowActive(&F)) {
      ADD_FAILURE() << "the dialog never became active";
      return;
    }
    TabTo(form->PageControl1->tabBar());
    Press(Qt::Key_Right);  // Available Fields
    TabTo(form->cbTables);
    QTest::keyClicks(QApplication::focusWidget(), "O");  // ORDERS.
    TabTo(form->lsAvaiFields);
    Press(Qt::Key_Home);
    Press(Qt::Key_Return);  // Date, allowed at the end
    TabTo(form->fieldList);
    Press(Qt::Key_Up, Qt::ControlModifier);  // Date above Total
    Press(Qt::Key_Home);
    Press(Qt::Key_Delete);  // Name goes
    Press(Qt::Key_Return);  // OK, the default button
  });
  EXPECT_EQ(form->ShowModal(), Dialogs::mrOk);
  EXPECT_EQ(Allowed(), (std::vector<std::string>{"Order", "Date", "Total"}));
  // ORDERS.ID, TOTAL, DATE, CUSTOMERS.NAME, CITY, customers.PHOTO
  const int expected[] = {0, 2, 1, 3, 4, 5};
  for (int i = 0; i < Campos->Count(); ++i) EXPECT_EQ(Campos->Get(i)->ComboOrder, expected[i]) << i;
  EXPECT_EQ(ScriptedHost().TimedOut, 0);
}

TEST_F(FieldDefTest, EveryFocusableControlHasAName) {
  ChooseTable("ORDERS.");
  form->show();
  ExpectEveryControlNamed(*form, *form->PageControl1, {form->TabSheet1, form->TabSheet2, form->TabSheet3}, 4);

  struct Row {
    Controls::TControl* Control;
    const char* Name;
    const char* Description;
  } rows[] = {
      {form->fieldList, "Fields available for user filtering", ""},
      {form->edFieldDesc, "Field Description on filter dialog", ""},
      {form->lsAvaiFields, "Fields of the table that are not allowed", ""},
      {form->BitBtn1, "OK", ""},
      {form->ckb4, "Add new fields", "Add to the field list new fields not available before"},
      {form->TabSheet3, "Refresh", ""},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Accessible::Name(*r.Control), r.Name) << r.Control->Name();
    EXPECT_EQ(Accessible::Description(*r.Control), r.Description) << r.Control->Name();
  }
}

}  // namespace
