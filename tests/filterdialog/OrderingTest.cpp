// The ordering page, and saving and opening filter files through the dialog's commands.
#include "DialogFixture.h"

#include <QCoreApplication>
#include <QImage>
#include <QPainter>

#include <cstdio>
#include <filesystem>

#include <unistd.h>

namespace dialogtest {
namespace {

std::vector<std::string> ItemsOf(const StdCtrls::TListBox& List) {
  std::vector<std::string> out;
  for (int i = 0; i < List.Items()->Count(); ++i) out.push_back(List.Items()->Get(i));
  return out;
}

class OrderingTest : public DialogTest {
 public:
  void SetUp() override {
    DialogTest::SetUp();
    form->InitOrdemData();
    form->show();  // lays the lists out, so points map to items
    form->PageControl1->SetActivePage(form->TabSheet2);
    QCoreApplication::processEvents();
  }
  void TearDown() override {
    form->hide();
    DialogTest::TearDown();
  }
  // A point inside item Index of Ordered, or below the last item for Index = count.
  QPoint PointAt(int Index) {
    const int count = form->Ordered->Items()->Count();
    if (Index < count) return form->Ordered->visualItemRect(form->Ordered->item(Index)).center();
    if (count == 0) return {5, 5};
    return form->Ordered->visualItemRect(form->Ordered->item(count - 1)).bottomLeft() + QPoint(5, 8);
  }
  bool Drop(Controls::TControl* Source, int SourceIndex, int At) {
    if (Source == form->Ordem) form->Ordem->SetItemIndex(SourceIndex);
    else form->Ordered->SetItemIndex(SourceIndex);
    const QPoint p = PointAt(At);
    return form->Ordered->DropFrom(Source, p.x(), p.y());
  }
};

TEST_F(OrderingTest, EveryCatalogueColumnIsOffered) {
  EXPECT_EQ(ItemsOf(*form->Ordem),
            (std::vector<std::string>{"CUSTOMER.NAME", "ORDERS.TOTAL", "ORDERS.SHIPPED", "T.ACTIVE", "T.START",
                                      "ORDERS.QTY", "T.NOTES", "CUSTOMER.ID"}));
  EXPECT_EQ(form->Ordered->Width(), 260);
  EXPECT_EQ(form->Ordem->Left(), 263);
}

TEST_F(OrderingTest, DropsRespectTheFixedEntries) {
  struct Case {
    const char* name;
    int fixed;
    std::vector<std::string> start;
    bool fromOrdem;
    int source;  // item of the source list
    int at;      // drop on this item of Ordered (count: below the last)
    bool accepted;
    std::vector<std::string> result;
  } cases[] = {
      {"column_on_fixed_refused", 2, {"A", "B", "C"}, true, 0, 1, false, {"A", "B", "C"}},
      {"column_before_free", 2, {"A", "B", "C"}, true, 0, 2, true, {"A", "B", "CUSTOMER.NAME", "C"}},
      {"column_appended", 2, {"A", "B", "C"}, true, 1, 3, true, {"A", "B", "C", "ORDERS.TOTAL"}},
      {"fixed_cannot_move", 2, {"A", "B", "C"}, false, 1, 2, false, {"A", "B", "C"}},
      {"move_up", 2, {"A", "B", "C", "D"}, false, 3, 2, true, {"A", "B", "D", "C"}},
      {"move_down_to_end", 0, {"A", "B", "C"}, false, 0, 3, true, {"B", "C", "A"}},
      {"first_movable_without_fixed", 0, {"A", "B", "C", "D"}, false, 0, 2, true, {"B", "A", "C", "D"}},
      {"into_empty_list", 0, {}, true, 2, 0, true, {"ORDERS.SHIPPED"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NoFixedOrd = c.fixed;
    form->Ordered->Items()->Clear();
    for (const std::string& s : c.start) form->Ordered->Items()->Add(s);
    EXPECT_EQ(Drop(c.fromOrdem ? static_cast<Controls::TControl*>(form->Ordem) : form->Ordered, c.source, c.at),
              c.accepted);
    EXPECT_EQ(ItemsOf(*form->Ordered), c.result);
  }
  // A drag from any other control is refused.
  form->Ordered->Items()->Clear();
  EXPECT_FALSE(form->Ordered->DropFrom(form->eCampo1, 5, 5));
  EXPECT_TRUE(ItemsOf(*form->Ordered).empty());
}

TEST_F(OrderingTest, FixedEntriesAreDrawnRed) {
  NoFixedOrd = 2;
  for (const char* s : {"AAAA", "BBBB", "CCCC"}) form->Ordered->Items()->Add(s);
  QImage image(260, 17 * 3, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.setFont(form->Ordered->font());
  form->Ordered->Canvas()->SetPainter(&painter);
  for (int i = 0; i < 3; ++i) form->OrderedDrawItem(form->Ordered, i, QRect(0, 17 * i, 260, 17), 0);
  form->Ordered->Canvas()->SetPainter(nullptr);
  painter.end();
  // Each row has dark text pixels; only the fixed rows have red ones.
  for (int row = 0; row < 3; ++row) {
    int red = 0, darkest = 255 * 3;
    for (int y = 17 * row; y < 17 * (row + 1); ++y)
      for (int x = 0; x < 60; ++x) {
        const QColor c = image.pixelColor(x, y);
        darkest = std::min(darkest, c.red() + c.green() + c.blue());
        if (c.red() > 150 && c.green() < 80 && c.blue() < 80) ++red;
      }
    SCOPED_TRACE(row);
    EXPECT_LT(darkest, 300);  // text was drawn
    if (row < 2) EXPECT_GT(red, 5);
    else EXPECT_EQ(red, 0);
  }
}

class FileCommandsTest : public DialogTest {
 public:
  void SetUp() override {
    DialogTest::SetUp();
    dir = std::filesystem::temp_directory_path() / ("kytdlg-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir);
    DialogTest::TearDown();
  }
  std::filesystem::path dir;
};

TEST_F(FileCommandsTest, SaveAndOpenThroughTheFileDialogs) {
  const std::string file = (dir / "orders.flt").string();
  // Nothing entered: a message and no file dialog.
  form->btSaveFilter->Click();
  ASSERT_EQ(ScriptedHost().Boxes.size(), 1u);
  EXPECT_EQ(ScriptedHost().Boxes[0].Text, "No filter is defined");
  EXPECT_TRUE(ScriptedHost().FileDialogs.empty());

  form->btParenteses->Click();
  form->eBGroup1->TypeText("(");
  SetLine(1, "Name", "Start with", "Smi", 1);
  SetLine(2, "Total", ">", "10");
  Line(2).EGroup->TypeText(")");
  form->Ordered->Items()->SetText("ORDERS.TOTAL\r\nCUSTOMER.NAME\r\n");
  form->MemoDesc->SetText("Big orders\r\nof Smi...");
  form->SaveFilter->SetInitialDir(dir.string());
  ScriptedHost().FileAnswers.push_back(file);
  form->btSaveFilter->Click();
  ASSERT_EQ(ScriptedHost().FileDialogs.size(), 1u);
  const auto& call = ScriptedHost().FileDialogs[0];
  EXPECT_TRUE(call.Save);
  EXPECT_EQ(call.Title, "Save Filter");
  EXPECT_EQ(call.DefaultExt, "flt");
  EXPECT_EQ(call.Filter, "Filter files|*.flt|All Files|*.*");
  EXPECT_EQ(call.InitialDir, dir.string());
  ASSERT_TRUE(std::filesystem::exists(file));
  EXPECT_EQ(Filter.size(), 2u);  // the save keeps the lines in the process filter too

  // A fresh dialog opens it: lines, ordering and description come back; the SQL memo
  // keeps its old text until the next build.
  Filter.clear();
  Create();
  form->MemoSQL->Lines()->Add("old");
  ScriptedHost().FileAnswers.push_back("");  // cancelled: nothing changes
  form->btOpenFilter->Click();
  EXPECT_EQ(form->LineCount, 1);
  ScriptedHost().FileAnswers.push_back(file);
  form->btOpenFilter->Click();
  EXPECT_EQ(ScriptedHost().FileDialogs.back().Title, "Read Filter");
  EXPECT_FALSE(ScriptedHost().FileDialogs.back().Save);
  EXPECT_EQ(form->LineCount, 2);
  EXPECT_TRUE(form->GroupsVisible);
  EXPECT_EQ(form->MemoDesc->Text(), "Big orders\r\nof Smi...");
  EXPECT_EQ(ItemsOf(*form->Ordered), (std::vector<std::string>{"ORDERS.TOTAL", "CUSTOMER.NAME"}));
  EXPECT_EQ(form->MemoSQL->Text(), "old\r\n");
  EXPECT_EQ(Build(), (std::vector<std::string>{"(( UPPER(CUSTOMER.NAME) Starting with  'SMI' ) AND",
                                               "( ORDERS.TOTAL >  10 ))"}));
  // Opening again while the columns show keeps the layout: no second shift.
  ScriptedHost().FileAnswers.push_back(file);
  form->btOpenFilter->Click();
  EXPECT_EQ(Line(1).Campo->Left(), 38);
  EXPECT_EQ(Line(1).Campo->Width(), 173);
}

TEST_F(FileCommandsTest, OpenedOrderingKeepsOnlyCatalogueColumns) {
  struct Case {
    const char* entry;
    bool kept;
    const char* keptAs = nullptr;  // the catalogue's spelling, when the entry differs in case
  } cases[] = {
      {"ORDERS.TOTAL", true},
      {"orders.Total", true, "ORDERS.TOTAL"},  // as another engine's catalogue spells it
      {"INVOICE.TOTAL", false},  // a column of a table the filter does not know
      {"(CASE WHEN (SELECT COUNT(*) FROM USERS) > 0 THEN 1 END)", false},
      {"ORDERS.ID /* x", false},
      {"Ordering disabled", false},
      {"", false},
      {"CUSTOMER.ID", true},  // in the catalogue, though not offered as a criterion
  };
  Classes::TStringList all, kept;
  std::string rejected;
  for (const Case& c : cases) {
    all.Add(c.entry);
    if (c.kept) kept.Add(c.keptAs ? c.keptAs : c.entry);
    else rejected += std::string("\r\n") + c.entry;
  }
  FilterArray records = {Record("", "CUSTOMER.", "NAME", "=", "x", "", -1)};
  const std::string mixed = (dir / "mixed.flt").string();
  const std::string clean = (dir / "clean.flt").string();
  ASSERT_TRUE(WriteFilter(mixed, records, all));
  ASSERT_TRUE(WriteFilter(clean, records, kept));

  // Through the open command: the columns stay in their order, the rest is named in one box.
  ScriptedHost().FileAnswers.push_back(mixed);
  form->btOpenFilter->Click();
  EXPECT_EQ(form->Ordered->Items()->Text(), kept.Text());
  ASSERT_EQ(ScriptedHost().Boxes.size(), 1u);
  EXPECT_EQ(ScriptedHost().Boxes[0].Kind, Dialogs::TScriptedUIHost::TBoxKind::ShowMessage);
  EXPECT_EQ(ScriptedHost().Boxes[0].Text,
            "These ordering entries are not fields of this filter and were left out:" + rejected);
  EXPECT_EQ(form->eCampo1->Text(), "Name");  // the lines are read all the same

  ScriptedHost().Reset();
  ScriptedHost().FileAnswers.push_back(clean);
  form->btOpenFilter->Click();
  EXPECT_EQ(form->Ordered->Items()->Text(), kept.Text());
  EXPECT_TRUE(ScriptedHost().Boxes.empty());

  // Where ordering is not allowed the entries never reach the SQL: kept as the file has them.
  form->TabSheet2->SetEnabled(false);
  ScriptedHost().FileAnswers.push_back(mixed);
  form->btOpenFilter->Click();
  EXPECT_EQ(form->Ordered->Items()->Text(), all.Text());
  EXPECT_TRUE(ScriptedHost().Boxes.empty());
}

TEST_F(FileCommandsTest, OrderingDisabledIsSavedAsItsOneEntry) {
  const std::string file = (dir / "disabled.flt").string();
  form->Ordered->Items()->Add("Ordering disabled");
  SetLine(1, "Name", "=", "x");
  ScriptedHost().FileAnswers.push_back(file);
  form->btSaveFilter->Click();
  FilterArray records;
  Classes::TStringList order;
  ASSERT_TRUE(ReadFilter(file, records, order));
  EXPECT_EQ(order.Text(), "Ordering disabled\r\n");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].Value.Str(), "x");
  // A file that cannot be read: the lines stay as they were.
  const std::string broken = (dir / "broken.flt").string();
  { std::FILE* f = std::fopen(broken.c_str(), "wb"); std::fputs("short", f); std::fclose(f); }
  ScriptedHost().FileAnswers.push_back(broken);
  form->btOpenFilter->Click();
  EXPECT_EQ(form->eCampo1->Text(), "Name");
  EXPECT_EQ(ScriptedHost().Boxes.back().DlgType, Dialogs::TMsgDlgType::mtError);  // shown by the event dispatch
}

}  // namespace
}  // namespace dialogtest
