// The demo's main window in this process, off-screen, with the scripted UI host: the
// commands on each filter component, switching components, and databases that are not
// there.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>

#include "apps/kytfilter-demo/DemoData.h"
#include "apps/kytfilter-demo/MainWindow.h"
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

    window.RunFieldDefs();
    EXPECT_EQ(ScriptedHost().Boxes.size(), 1u);  // the component's own notice, nothing else
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

}  // namespace
