// The demo's main window in this process, off-screen, with the scripted UI host: the
// commands on each filter component, switching components, databases that are not
// there, and the field definitions kept in the demo's form file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "apps/kytfilter-demo/DemoData.h"
#include "apps/kytfilter-demo/MainWindow.h"
#include "fielddefs/kytFieldDef.h"
#include "filterdialog/kytSQLFilterForm.h"
#include "filtermodel/kytSQLFilterStruc.h"
#include "tests/filtermodel/TestHost.h"

namespace {

namespace fs = std::filesystem;
using kytdemo::TMainWindow;

constexpr int kOrders = 300;  // every order has a customer: the demo statement gives 300 rows

class DemoWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string pattern = (fs::temp_directory_path() / "kyt-demo-window-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    data = kytdemo::EnsureDemoData((dir / "data").string(), kOrders, [](const std::string&) {});
    ASSERT_EQ(data.FirebirdError, "");
    ASSERT_EQ(data.SQLiteError, "");
    // Only the dataset components offer a boolean field.
    kytSQLFilterStruc::FilterArray lines(1);
    lines[0].TableName.Set("ORDERS.");
    lines[0].FieldName.Set("PAID");
    lines[0].Operator.Set("=");
    lines[0].Value.Set("true");
    lines[0].Operation = -1;
    Classes::TStringList ordering;
    kytSQLFilterStruc::FH = kytSQLFilterStruc::TFilterHeader{};
    paid = (dir / "paid.flt").string();
    kytSQLFilterStruc::WriteFilter(paid, lines, ordering);
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }

  // The next filter dialog opens File with its open command and is accepted.
  static void AcceptFilterFile(const std::string& File) {
    ScriptedHost().FileAnswers.push_back(File);
    ScriptedHost().Modal.push_back([](Forms::TForm& Form) {
      auto& dialog = dynamic_cast<kytSQLFilterForm::TformFilter&>(Form);
      dialog.btOpenFilterClick(&dialog);
      dialog.btConfirmClick(&dialog);
    });
  }

  static inline fs::path dir;
  static inline kytdemo::TDemoData data;
  static inline std::string paid;
};

bool HasWhere(const std::string& Sql) { return Sql.find("WHERE") != std::string::npos; }

TEST_F(DemoWindow, FilterCancelClearAndFieldDefinitionsOnEachComponent) {
  const std::string original = std::string(kytdemo::kDemoSQL) + "\r\n";
  std::set<int> filtered;
  for (int variant = 0; variant < 3; ++variant) {
    SCOPED_TRACE(kytdemo::kVariants[variant].Key);
    ScriptedHost().Reset();
    TMainWindow window;
    window.Start(data, variant);
    EXPECT_EQ(window.RowCount(), kOrders);
    EXPECT_EQ(window.SQLText(), original);

    // No script: the host closes the dialog with Cancel.
    EXPECT_FALSE(window.RunFilter());
    EXPECT_EQ(window.SQLText(), original);
    EXPECT_EQ(window.RowCount(), kOrders);

    AcceptFilterFile(data.SampleFilter);
    EXPECT_TRUE(window.RunFilter());
    EXPECT_TRUE(HasWhere(window.SQLText())) << window.SQLText();
    EXPECT_GT(window.RowCount(), 0);
    EXPECT_LT(window.RowCount(), kOrders);
    filtered.insert(window.RowCount());

    // Clearing takes the criteria away and keeps the ordering.
    window.RunClearFilter();
    EXPECT_FALSE(HasWhere(window.SQLText())) << window.SQLText();
    EXPECT_NE(window.SQLText().find("ORDER BY ORDERS.ORDER_DATE,ORDERS.ID"), std::string::npos);
    EXPECT_EQ(window.RowCount(), kOrders);

    const int modal = ScriptedHost().ModalShown;
    window.RunFieldDefs();
    EXPECT_EQ(ScriptedHost().ModalShown, modal + 1);  // the field-definitions dialog
    EXPECT_TRUE(ScriptedHost().Boxes.empty());
    EXPECT_EQ(window.RowCount(), kOrders);
    EXPECT_EQ(ScriptedHost().TimedOut, 0);
  }
  // One sample in both engines, one filter: the same rows through every component.
  EXPECT_EQ(filtered.size(), 1u);
}

TEST_F(DemoWindow, SwitchingComponentsStartsAfresh) {
  TMainWindow window;
  window.Start(data, 0);
  AcceptFilterFile(data.SampleFilter);
  ASSERT_TRUE(window.RunFilter());
  const int big = window.RowCount();

  // The dataset component builds its own catalogue, in which the boolean field exists;
  // the native query's catalogue has no usable PAID, so a catalogue left over would
  // drop the criterion and show every row.
  std::set<int> paidRows;
  for (int variant : {1, 2}) {
    SCOPED_TRACE(kytdemo::kVariants[variant].Key);
    window.SelectVariant(variant);
    EXPECT_EQ(window.SQLText(), std::string(kytdemo::kDemoSQL) + "\r\n");
    EXPECT_EQ(window.RowCount(), kOrders);
    AcceptFilterFile(paid);
    EXPECT_TRUE(window.RunFilter());
    EXPECT_GT(window.RowCount(), 0);
    EXPECT_LT(window.RowCount(), kOrders);
    EXPECT_NE(window.RowCount(), big);
    paidRows.insert(window.RowCount());
  }
  EXPECT_EQ(paidRows.size(), 1u);
  EXPECT_TRUE(ScriptedHost().Boxes.empty());
}

TEST_F(DemoWindow, ADatabaseThatIsNotThereIsToldAndNothingIsShown) {
  struct Case {
    const char* name;
    int variant;
    kytdemo::TDemoData data;
    const char* told;  // part of the first box
  } cases[] = {
      {"creation_failed", 2, data, "disk full"},
      {"file_gone", 0, data, "none.fdb"},
  };
  cases[0].data.SQLiteError = "disk full";
  cases[1].data.FirebirdFile = (dir / "none.fdb").string();
  // Without a form file the demo's default form names the databases of the data.
  cases[1].data.FormFile.clear();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedHost().Reset();
    TMainWindow window;
    window.Start(c.data, c.variant);
    ASSERT_FALSE(ScriptedHost().Boxes.empty());
    EXPECT_NE(ScriptedHost().Boxes[0].Text.find(c.told), std::string::npos) << ScriptedHost().Boxes[0].Text;
    EXPECT_EQ(ScriptedHost().Boxes[0].DlgType, Dialogs::TMsgDlgType::mtError);
    EXPECT_EQ(window.RowCount(), 0);
    // The commands tell the user again, or do nothing; they never throw.
    EXPECT_FALSE(window.RunFilter());
    window.RunClearFilter();
    EXPECT_EQ(window.RowCount(), 0);
    EXPECT_EQ(ScriptedHost().TimedOut, 0);
  }
  EXPECT_FALSE(fs::exists(dir / "none.fdb"));
}

// ---- The form file ---------------------------------------------------------------------

std::string Slurp(const fs::path& P) {
  std::ifstream f(P, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

void Spit(const fs::path& P, const std::string& Bytes) {
  std::ofstream f(P, std::ios::binary | std::ios::trunc);
  f << Bytes;
}

std::vector<std::string> Texts(const Classes::TStrings& Items) {
  std::vector<std::string> out;
  for (int i = 0; i < Items.Count(); ++i) out.push_back(Items.Get(i));
  return out;
}

size_t Occurrences(const std::string& Text, const std::string& What) {
  size_t n = 0;
  for (size_t at = Text.find(What); at != std::string::npos; at = Text.find(What, at + 1)) ++n;
  return n;
}

// The fields the next filter dialog offers; the dialog is cancelled.
std::vector<std::string> Offered(TMainWindow& Window) {
  std::vector<std::string> offered;
  ScriptedHost().Modal.push_back([&](Forms::TForm& Form) {
    offered = Texts(*dynamic_cast<kytSQLFilterForm::TformFilter&>(Form).eCampo1->Items());
  });
  EXPECT_FALSE(Window.RunFilter());
  return offered;
}

// The next field-definitions dialog: as the developer, describe TOTAL as "Order total"
// and take STATUS out of the allowed fields, then OK or Cancel. Allowed gets the allowed
// fields as the dialog lists them afterwards.
void EditFieldDefs(bool Accept, std::vector<std::string>* Allowed = nullptr) {
  ScriptedHost().Modal.push_back([Accept, Allowed](Forms::TForm& Form) {
    auto& dialog = dynamic_cast<kytFieldDef::TformFDefs&>(Form);
    const auto indexOf = [&](const std::string& Text) {
      const std::vector<std::string> items = Texts(*dialog.fieldList->Items());
      const auto at = std::find(items.begin(), items.end(), Text);
      return at == items.end() ? -1 : static_cast<int>(at - items.begin());
    };
    const int total = indexOf("TOTAL");
    const int status = indexOf("STATUS");
    if (total >= 0 && status >= 0) {
      dialog.fieldList->ClickItem(total);
      dialog.edFieldDesc->SetText("Order total");
      dialog.edFieldDesc->DoExit();
      dialog.fieldList->ClickItem(indexOf("STATUS"));
      dialog.fieldList->KeyUp(StdCtrls::VK_DELETE, 0);
    }
    if (Allowed) *Allowed = Texts(*dialog.fieldList->Items());
    (Accept ? dialog.BitBtn1 : dialog.BitBtn2)->Click();
  });
}

// What the edit above makes of the fields offered before it.
std::vector<std::string> Edited(std::vector<std::string> Fields) {
  std::replace(Fields.begin(), Fields.end(), std::string("TOTAL"), std::string("Order total"));
  std::erase(Fields, "STATUS");
  return Fields;
}

class DemoFormFile : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kyt-demo-form-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  static kytdemo::TDemoData Ensure(const fs::path& Folder) {
    return kytdemo::EnsureDemoData(Folder.string(), kOrders, [](const std::string&) {});
  }
  fs::path dir;
};

TEST_F(DemoFormFile, AcceptedFieldDefinitionsAreWrittenAndComeBackAfterARestart) {
  for (int variant = 0; variant < 3; ++variant) {
    const std::string key = kytdemo::kVariants[variant].Key;
    SCOPED_TRACE(key);
    ScriptedHost().Reset();
    const fs::path folder = dir / ("data-" + key);
    const kytdemo::TDemoData first = Ensure(folder);
    ASSERT_EQ(fs::path(first.FormFile).parent_path(), folder);
    std::vector<std::string> before, allowed;
    std::string saved;
    {
      TMainWindow window;
      window.Start(first, variant);
      // First start: the default form is written, naming its files inside the folder.
      const std::string defaults = Slurp(first.FormFile);
      EXPECT_NE(defaults.find("object IBOFilter: TkytIBOFilter"), std::string::npos) << defaults;
      EXPECT_EQ(defaults.find(first.Dir), std::string::npos) << defaults;
      EXPECT_EQ(defaults.find("Data = {"), std::string::npos) << defaults;
      before = Offered(window);
      ASSERT_NE(std::find(before.begin(), before.end(), "STATUS"), before.end());

      // Cancelled: the filter offers what it did, nothing is written.
      EditFieldDefs(false);
      window.RunFieldDefs();
      EXPECT_EQ(Offered(window), before);
      EXPECT_EQ(Slurp(first.FormFile), defaults);

      EditFieldDefs(true, &allowed);
      window.RunFieldDefs();
      EXPECT_EQ(allowed, Edited(before));
      EXPECT_EQ(Offered(window), allowed);
      saved = Slurp(first.FormFile);
      EXPECT_NE(saved, defaults);
      // Only the edited filter has field definitions of its own.
      EXPECT_EQ(Occurrences(saved, "Data = {"), 1u) << saved;
    }

    // A restart over the same data folder, moved elsewhere: the form follows it.
    const fs::path moved = dir / ("moved-" + key);
    fs::rename(folder, moved);
    const kytdemo::TDemoData again = Ensure(moved);
    TMainWindow window;
    window.Start(again, variant);
    EXPECT_EQ(window.RowCount(), kOrders);
    EXPECT_EQ(Offered(window), allowed);
    // The other components keep the fields they had.
    window.SelectVariant((variant + 1) % 3);
    const std::vector<std::string> other = Offered(window);
    EXPECT_NE(std::find(other.begin(), other.end(), "STATUS"), other.end());
    EXPECT_EQ(std::find(other.begin(), other.end(), "Order total"), other.end());
    EXPECT_EQ(Slurp(again.FormFile), saved) << "reading does not write";
    EXPECT_TRUE(ScriptedHost().Boxes.empty()) << ScriptedHost().Boxes[0].Text;
    EXPECT_EQ(ScriptedHost().TimedOut, 0);
  }
}

TEST_F(DemoFormFile, AMalformedFormFileIsToldAndLeftAsItIsUntilNewFieldDefinitionsAreAccepted) {
  const kytdemo::TDemoData data = Ensure(dir / "data");
  std::string defaults;
  {
    TMainWindow window;
    window.Start(data, 0);
    defaults = Slurp(data.FormFile);
  }
  const std::string filterLine = "object IBOFilter: TkytIBOFilter\r\n";
  const size_t filterAt = defaults.find(filterLine);
  ASSERT_NE(filterAt, std::string::npos) << defaults;
  std::string badImage = defaults;
  // The marker, then a negative number of fields.
  badImage.insert(filterAt + filterLine.size(), "    Data = {\r\n      0F27000000000080}\r\n");

  struct Case {
    const char* name;
    std::string bytes;
    const char* why;  // part of the message
  } cases[] = {
      {"not_a_form", "just some text\r\n", "Line 1"},
      {"another_root", "object Dialog: TForm\r\nend\r\n", "Line 1"},
      {"unknown_class", "object DemoForm: TDataModule\r\n  object X: TNoSuchQuery\r\n  end\r\nend\r\n", "TNoSuchQuery"},
      {"no_filters", "object DemoForm: TDataModule\r\nend\r\n", "TkytIBOFilter named IBOFilter"},
      {"cut_short", defaults.substr(0, defaults.size() / 2), "Line"},
      {"bad_image", badImage, "IBOFilter: Invalid field definitions image"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedHost().Reset();
    Spit(data.FormFile, c.bytes);
    std::vector<std::string> offered;
    {
      TMainWindow window;
      window.Start(data, 0);
      ASSERT_EQ(ScriptedHost().Boxes.size(), 1u);
      const Dialogs::TScriptedUIHost::TBox& box = ScriptedHost().Boxes[0];
      EXPECT_EQ(box.DlgType, Dialogs::TMsgDlgType::mtWarning);
      EXPECT_NE(box.Text.find(data.FormFile + " cannot be read"), std::string::npos) << box.Text;
      EXPECT_NE(box.Text.find(c.why), std::string::npos) << box.Text;
      // The demo works from its defaults, and only an accepted edit replaces the file.
      EXPECT_EQ(window.RowCount(), kOrders);
      offered = Offered(window);
      EXPECT_NE(std::find(offered.begin(), offered.end(), "STATUS"), offered.end());
      EditFieldDefs(false);
      window.RunFieldDefs();
      EXPECT_EQ(Slurp(data.FormFile), c.bytes);
      EditFieldDefs(true);
      window.RunFieldDefs();
      EXPECT_EQ(Offered(window), Edited(offered));
    }
    EXPECT_EQ(ScriptedHost().Boxes.size(), 1u);
    EXPECT_NE(Slurp(data.FormFile), c.bytes);
    // The file written then is a good one.
    TMainWindow window;
    window.Start(data, 0);
    EXPECT_EQ(ScriptedHost().Boxes.size(), 1u);
    EXPECT_EQ(Offered(window), Edited(offered));
  }
}

}  // namespace
