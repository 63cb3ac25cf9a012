// The designer's window in-process on the off-screen platform, with the scripted UI
// host: opening a form file, editing properties of every kind through the inspector,
// the field-definitions editor, the palette, deleting, saving and loading back.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "apps/kytdesign/FormSurface.h"
#include "apps/kytdesign/Inspector.h"
#include "apps/kytdesign/MainWindow.h"
#include "apps/kytdesign/Palette.h"
#include "apps/kytdesign/StringsDialog.h"
#include "components/kytBDEFilter.h"
#include "components/kytIBDFilter.h"
#include "components/kytIBOFilter.h"
#include "dataaccess/bde/BDE_Register.h"
#include "dataaccess/bde/DBTables.h"
#include "dataaccess/ibobjects/IB_Register.h"
#include "fielddefs/kytFieldDef.h"
#include "host/rtl/ClassesFiler.h"
#include "tests/dataaccess/TestEnv.h"
#include "tests/filtermodel/TestHost.h"

namespace {

using kytBDEFilter::TkytBDEFilter;

// A component with the kinds the filters lack: an enumeration and an integer.
class TProbe : public Classes::TComponent {
 public:
  using Classes::TComponent::TComponent;
  std::string ClassName() const override { return "TProbe"; }
  int Mode = 0;
  int Count = 0;
};

// What the packages register when the program loads them: classes for form files,
// the palette and the property editors.
void RegisterClasses() {
  static const bool once = [] {
    IB_Register::RegisterClasses();
    BDE_Register::RegisterClasses();
    kytIBOFilter::Register();
    kytIBDFilter::Register();
    kytBDEFilter::Register();
    DesignIntf::RegisterComponents("Data Access", {"TIB_Query", "TIBOQuery", "TQuery"});
    TypInfo::RegisterClass(
        {"TProbe", "TComponent", [](Classes::TComponent* O) { return new TProbe(O); },
         {TypInfo::EnumProp<TProbe>(
              "Mode", {"pmNone", "pmSome", "pmAll"}, [](const TProbe& P) { return P.Mode; },
              [](TProbe& P, int V) { P.Mode = V; }, 0),
          TypInfo::IntProp<TProbe>(
              "Count", [](const TProbe& P) { return P.Count; }, [](TProbe& P, int V) { P.Count = V; }, 0)}});
    return true;
  }();
  (void)once;
}

const std::string& ShopDatabase() {
  static const std::string path = testenv::NewSqlite(
      "design.db",
      "CREATE TABLE CUSTOMER (ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), CITY VARCHAR(30), BORN DATE);\n"
      "INSERT INTO CUSTOMER (ID, NAME, CITY, BORN) VALUES (1, 'Ann', 'Oslo', '2001-02-03');\n");
  return path;
}

std::string FormText() {
  return "object Shop: TDataModule\r\n"
         "  object Query1: TQuery\r\n"
         "    DatabaseName = " + Classes::QuoteString(ShopDatabase()) + "\r\n"
         "    SQL.Strings = (\r\n"
         "      'SELECT ID, NAME, CITY, BORN FROM CUSTOMER')\r\n"
         "  end\r\n"
         "  object NativeQuery1: TIB_Query\r\n"
         "    DatabaseName = 'elsewhere.fdb'\r\n"
         "  end\r\n"
         "  object kytBDEFilter1: TkytBDEFilter\r\n"
         "    Caption = 'Customers'\r\n"
         "    DataSet = Query1\r\n"
         "  end\r\n"
         "  object Probe1: TProbe\r\n"
         "  end\r\n"
         "end\r\n";
}

std::string WriteFile(const std::string& Name, const std::string& Text) {
  const std::string path = testenv::TempPath(Name);
  std::ofstream(path, std::ios::binary) << Text;
  return path;
}

std::vector<std::string> BoxTexts() {
  std::vector<std::string> out;
  for (const auto& box : ScriptedHost().Boxes) out.push_back(box.Text);
  return out;
}

class DesignerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SysUtils::FormatSettings().ShortDateFormat = "mm/dd/yyyy";
    RegisterClasses();
    window = std::make_unique<MainWindow::TMainWindow>();
    window->resize(1100, 700);
    window->show();
    file = WriteFile("shop.dfm", FormText());
    ASSERT_TRUE(window->OpenFile(file)) << testing::PrintToString(BoxTexts());
  }
  void TearDown() override { window.reset(); }

  Classes::TComponent* Find(const std::string& Name) { return window->Document().Root().FindComponent(Name); }
  TkytBDEFilter& Filter() { return dynamic_cast<TkytBDEFilter&>(*Find("kytBDEFilter1")); }
  Inspector::TInspector& Inspect(const std::string& Name) {
    window->Select(Find(Name));
    return window->ObjectInspector();
  }
  template <class W>
  W& EditorOf(const std::string& Prop) {
    W* w = qobject_cast<W*>(window->ObjectInspector().Editor(Prop));
    EXPECT_NE(w, nullptr) << Prop;
    return *w;
  }
  void Type(const std::string& Prop, const QString& Text) {
    auto& edit = EditorOf<QLineEdit>(Prop);
    edit.setText(Text);
    emit edit.editingFinished();
  }
  bool TitleModified() const { return window->windowTitle().contains("[modified]"); }

  std::unique_ptr<MainWindow::TMainWindow> window;
  std::string file;
};

TEST_F(DesignerTest, InspectorEditsEachKindIntoTheComponent) {
  EXPECT_FALSE(TitleModified());
  struct Row {
    const char* Name;
    const char* Component;
    std::function<void()> Edit;
    std::function<bool()> Took;
  };
  auto* probe = dynamic_cast<TProbe*>(Find("Probe1"));
  ASSERT_NE(probe, nullptr);
  const Row rows[] = {
      {"boolean", "kytBDEFilter1", [&] { EditorOf<QCheckBox>("AllowOrdering").click(); },
       [&] { return !Filter().AllowOrdering(); }},
      {"set element", "kytBDEFilter1", [&] { EditorOf<QCheckBox>("SpecialOperators.opContains").click(); },
       [&] { return Filter().SpecialOperators().Bits() == 2; }},
      {"string", "kytBDEFilter1", [&] { Type("Caption", "Pick customers"); },
       [&] { return Filter().Caption() == "Pick customers"; }},
      {"character", "kytBDEFilter1", [&] { Type("StringQuotes", "\""); },
       [&] { return Filter().StringQuotes() == '"'; }},
      {"reference to none", "kytBDEFilter1", [&] { emit EditorOf<QComboBox>("DataSet").activated(0); },
       [&] { return Filter().DataSet() == nullptr; }},
      {"reference", "kytBDEFilter1", [&] { emit EditorOf<QComboBox>("DataSet").activated(1); },
       [&] { return Filter().DataSet() == Find("Query1"); }},
      {"string list", "kytBDEFilter1",
       [&] {
         ScriptedHost().Modal.push_back([](Forms::TForm& Form) {
           auto& dialog = dynamic_cast<StringsDialog::TformStrings&>(Form);
           dialog.memLines->SetText("ID > 0\r\nNAME <> ''");
           dialog.btOK->Click();
         });
         window->ObjectInspector().Editor("ConstSQLWhere")->findChild<QToolButton*>()->click();
       },
       [&] { return Filter().ConstSQLWhere()->Text() == "ID > 0\r\nNAME <> ''\r\n"; }},
      {"enumeration", "Probe1", [&] { emit EditorOf<QComboBox>("Mode").activated(2); },
       [&] { return probe->Mode == 2; }},
      {"integer", "Probe1", [&] { Type("Count", "12"); }, [&] { return probe->Count == 12; }},
      {"name", "Probe1", [&] { Type("Name", "Probe9"); }, [&] { return probe->Name() == "Probe9"; }},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    Inspect(row.Component);
    row.Edit();
    EXPECT_TRUE(row.Took());
    EXPECT_TRUE(BoxTexts().empty()) << BoxTexts().front();
    EXPECT_TRUE(TitleModified());
  }
  // The reference drop-down offers the queries the filter takes, not the others.
  Inspect("kytBDEFilter1");
  auto& combo = EditorOf<QComboBox>("DataSet");
  ASSERT_EQ(combo.count(), 2);
  EXPECT_EQ(combo.itemText(0), "(none)");
  EXPECT_EQ(combo.itemText(1), "Query1");
  EXPECT_EQ(window->ObjectInspector().ValueText("SpecialOperators"), "[opContains]");
}

TEST_F(DesignerTest, RefusedValuesAreReportedAndTheOldValueStays) {
  struct Row {
    const char* Component;
    const char* Prop;
    const char* Typed;
    const char* Message;
    std::string Kept;
  };
  const Row rows[] = {
      {"kytBDEFilter1", "SQLDateFormat", "dddd", "Indalid Date Format", "mm/dd/yyyy"},
      {"kytBDEFilter1", "EditDateFormat", "hh:nn", "Indalid Date Format", "mm/dd/yyyy"},
      {"kytBDEFilter1", "StringQuotes", "ab", "A character property takes exactly one character.", "'"},
      {"Probe1", "Count", "many", "'many' is not a valid integer value", "0"},
      {"Probe1", "Name", "Query1", "", "Probe1"},  // taken: the component's own message
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Prop);
    ScriptedHost().Reset();
    Inspector::TInspector& inspector = Inspect(row.Component);
    Type(row.Prop, row.Typed);
    ASSERT_EQ(BoxTexts().size(), 1u) << "one message, not one per lost focus";
    if (*row.Message) {
      EXPECT_EQ(BoxTexts()[0], row.Message);
    }
    EXPECT_EQ(inspector.ValueText(row.Prop), row.Kept) << "the old value is shown again";
    EXPECT_FALSE(TitleModified());
  }
  EXPECT_EQ(Filter().SQLDateFormat(), "mm/dd/yyyy");
  EXPECT_EQ(Filter().EditDateFormat(), "mm/dd/yyyy");
}

TEST_F(DesignerTest, FieldDefinitionsEllipsisRunsTheRegisteredEditor) {
  struct Row {
    const char* Name;
    bool Accept;
    bool ImageChanged;
  };
  const Row rows[] = {{"cancel", false, false}, {"accept with one field less", true, true}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    Inspector::TInspector& inspector = Inspect("kytBDEFilter1");
    EXPECT_EQ(inspector.ValueText("FilterFieldDefs"), "Fields Defs");
    const std::vector<uint8_t> before = Filter().FieldDefsData();
    int offered = -1;
    ScriptedHost().Modal.push_back([&offered, Accept = row.Accept](Forms::TForm& Form) {
      auto& dialog = dynamic_cast<kytFieldDef::TformFDefs&>(Form);
      offered = dialog.fieldList->Items()->Count();
      dialog.fieldList->SetItemIndex(0);
      dialog.fieldList->KeyUp(StdCtrls::VK_DELETE, 0);
      (Accept ? dialog.BitBtn1 : dialog.BitBtn2)->Click();
    });
    inspector.Editor("FilterFieldDefs")->findChild<QToolButton*>()->click();
    EXPECT_EQ(offered, 4) << "the query's four columns";
    EXPECT_EQ(Filter().FieldDefsData() != before, row.ImageChanged);
    EXPECT_EQ(TitleModified(), row.ImageChanged);
    EXPECT_TRUE(BoxTexts().empty());
  }
}

TEST_F(DesignerTest, SavedFormLoadsBackEqual) {
  Inspect("kytBDEFilter1");
  Type("Caption", "It's #1");
  EditorOf<QCheckBox>("SpecialOperators.opStartingWith").click();
  ScriptedHost().Modal.push_back(
      [](Forms::TForm& Form) { dynamic_cast<kytFieldDef::TformFDefs&>(Form).BitBtn1->Click(); });
  window->ObjectInspector().EditDialog("FilterFieldDefs");
  ASSERT_FALSE(Filter().Empty());

  const std::string saved = testenv::TempPath("saved.dfm");
  ScriptedHost().FileAnswers.push_back(saved);
  ASSERT_TRUE(window->CommandSaveAs());
  EXPECT_FALSE(TitleModified());
  EXPECT_TRUE(window->windowTitle().contains("saved.dfm"));
  const std::string text = testenv::ReadFile(saved);
  EXPECT_EQ(text, window->Document().Text());
  EXPECT_NE(text.find("Data = {"), std::string::npos);

  MainWindow::TMainWindow again;
  ASSERT_TRUE(again.OpenFile(saved));
  EXPECT_EQ(again.Document().Text(), text);
  auto* filter = dynamic_cast<TkytBDEFilter*>(again.Document().Root().FindComponent("kytBDEFilter1"));
  ASSERT_NE(filter, nullptr);
  EXPECT_EQ(filter->Caption(), "It's #1");
  EXPECT_EQ(filter->FieldDefsData(), Filter().FieldDefsData());
  EXPECT_EQ(filter->DataSet(), again.Document().Root().FindComponent("Query1"));
}

TEST_F(DesignerTest, ClosingWithUnsavedChangesAsks) {
  struct Row {
    const char* Name;
    int Answer;
    bool Closes;
    bool Saved;
  };
  const Row rows[] = {
      {"cancel", Dialogs::mrCancel, false, false},
      {"no", Dialogs::mrNo, true, false},
      {"yes saves", Dialogs::mrYes, true, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    ScriptedHost().Reset();
    std::ofstream(file, std::ios::binary) << FormText();
    ASSERT_TRUE(window->OpenFile(file));
    EXPECT_TRUE(window->CanClose()) << "nothing to ask";
    EXPECT_TRUE(BoxTexts().empty());
    Inspect("kytBDEFilter1");
    Type("Caption", "changed");
    ScriptedHost().Answers.push_back(row.Answer);
    EXPECT_EQ(window->CanClose(), row.Closes);
    ASSERT_EQ(ScriptedHost().Boxes.size(), 1u);
    EXPECT_EQ(ScriptedHost().Boxes[0].Buttons, Dialogs::mbYesNoCancel);
    EXPECT_EQ(testenv::ReadFile(file).find("'changed'") != std::string::npos, row.Saved);
    EXPECT_EQ(TitleModified(), !row.Saved);
  }
}

TEST_F(DesignerTest, PaletteAddsAndTheDeleteKeyRemoves) {
  Palette::TPalette& palette = window->PaletteBar();
  std::vector<std::string> pages;
  for (int i = 0; i < palette.count(); ++i) pages.push_back(palette.tabText(i).toStdString());
  for (const char* page : {"IB Controls", "Data Controls", "Data Access"})
    EXPECT_NE(std::find(pages.begin(), pages.end(), page), pages.end()) << page;
  ASSERT_NE(palette.Button("TkytIBOFilter"), nullptr);
  EXPECT_EQ(palette.Button("TkytIBOFilter")->toolTip(), "TkytIBOFilter");

  // The registered picture: 24 x 24, its background transparent, the funnel opaque.
  const QImage picture = Palette::ClassPixmap("TkytIBOFilter", 1).toImage();
  ASSERT_EQ(picture.size(), QSize(24, 24));
  EXPECT_EQ(qAlpha(picture.pixel(0, 23)), 0);
  EXPECT_EQ(qAlpha(picture.pixel(12, 5)), 255);
  EXPECT_EQ(Palette::ClassPixmap("TkytIBOFilter", 2).size(), QSize(48, 48));

  FormSurface::TFormSurface& surface = window->Surface();
  const QPoint empty = surface.TileRect(19).center();
  struct Row {
    const char* Class;
    const char* Name;
  };
  const Row rows[] = {{"TkytIBOFilter", "kytIBOFilter1"}, {"TkytIBOFilter", "kytIBOFilter2"}, {"TQuery", "Query2"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Name);
    ASSERT_TRUE(palette.Select(row.Class));
    QTest::mouseClick(&surface, Qt::LeftButton, {}, empty);
    ASSERT_NE(Find(row.Name), nullptr);
    EXPECT_EQ(Find(row.Name)->ClassName(), row.Class);
    EXPECT_EQ(surface.Selected(), Find(row.Name));
    EXPECT_EQ(palette.SelectedClass(), "") << "one component per choice";
  }
  EXPECT_TRUE(TitleModified());
  const int before = window->Document().Root().ComponentCount();
  QTest::mouseClick(&surface, Qt::LeftButton, {}, empty);
  EXPECT_EQ(window->Document().Root().ComponentCount(), before) << "no class chosen: nothing added";

  // Deleting the filter's query clears the filter's link to it.
  Classes::TComponent* query = Find("Query1");
  QTest::mouseClick(&surface, Qt::LeftButton, {}, surface.TileRect(0).center());
  ASSERT_EQ(surface.Selected(), query);
  QTest::keyClick(&surface, Qt::Key_Delete);
  EXPECT_EQ(Find("Query1"), nullptr);
  EXPECT_EQ(Filter().DataSet(), nullptr);
  EXPECT_EQ(window->Document().Root().ComponentCount(), before - 1);
}

}  // namespace
