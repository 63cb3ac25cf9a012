// The host controls' own rules on top of Qt: masks, item lists without a choice,
// change events on user action only, positions in lists, ownership both ways, and
// event handlers that never let an exception into the event loop.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "host/ui/Forms.h"
#include "host/ui/Mask.h"
#include "host/ui/StdCtrls.h"
#include "tests/filtermodel/TestHost.h"

namespace {

TEST(HostMask, TranslatesTheHostMaskLanguage) {
  struct Case {
    const char* host;
    const char* qt;
  } cases[] = {
      {"", ""},
      {"99/99/9999", "00/00/0000; "},
      {"99:99", "00:00; "},
      {"000-LLl", "999-AAa; "},
      {"!99#;0;_", "00#;_"},
      {"\\9A", "\\9N; "},
      {"H9", "\\H0; "},  // a Qt command letter as a literal
  };
  for (const Case& c : cases) EXPECT_EQ(Mask::ToQtInputMask(c.host), c.qt) << c.host;
}

TEST(HostControls, EditsMasksAndModified) {
  Mask::TMaskEdit edit(nullptr);
  edit.SetEditMask("99/99/9999");
  EXPECT_EQ(edit.Text(), "//");  // the literals are part of the text
  EXPECT_FALSE(edit.Modified());
  edit.TypeText("12311999");
  EXPECT_EQ(edit.Text(), "12/31/1999");
  EXPECT_TRUE(edit.Modified());
  edit.SetEditMask("99:99");  // the kept text passes through the new mask
  EXPECT_EQ(edit.Text(), "12:31");
  edit.SetEditMask("");
  edit.SetText("free text of any length, longer than thirty-two characters");
  EXPECT_FALSE(edit.Modified());
  edit.SetMaxLength(0);
  EXPECT_EQ(edit.Text().size(), 58u);
  edit.SetMaxLength(4);
  EXPECT_EQ(edit.Text(), "free");
}

TEST(HostControls, DropDownsChooseOnlyWhatTheyAreTold) {
  StdCtrls::TComboBox box(nullptr);
  int changes = 0;
  box.OnChange = [&](Classes::TObject*) { ++changes; };
  Classes::TObject tagged;
  box.Items()->AddObject("b", &tagged);
  box.Items()->Add("a");
  EXPECT_EQ(box.ItemIndex(), -1);  // adding chooses nothing
  EXPECT_EQ(box.Text(), "");
  box.SetItemIndex(1);
  box.SetItemIndex(7);  // beyond the items: no choice
  EXPECT_EQ(box.ItemIndex(), -1);
  EXPECT_EQ(changes, 0);  // the program's choices fire nothing
  box.UserSelect(0);
  EXPECT_EQ(changes, 1);
  box.SetSorted(true);
  EXPECT_EQ(box.Items()->Text(), "a\r\nb\r\n");
  EXPECT_EQ(box.Items()->GetObject(1), &tagged);
  EXPECT_EQ(box.Text(), "b");  // the choice follows its item
  box.Items()->Add("B0");
  EXPECT_EQ(box.Items()->Text(), "a\r\nb\r\nB0\r\n");
  StdCtrls::TComboBox copy(nullptr);
  copy.Items()->Assign(box.Items());
  EXPECT_EQ(copy.Items()->Text(), box.Items()->Text());
  EXPECT_EQ(copy.Items()->GetObject(1), &tagged);
  EXPECT_EQ(copy.ItemIndex(), -1);
  copy.Items()->Delete(0);  // the copy is a list of its own
  EXPECT_EQ(box.Items()->Count(), 3);
}

TEST(HostControls, ListBoxPositionsAndOwnership) {
  Forms::TForm form(nullptr);
  form.SetClientSize(200, 200);
  auto* list = new StdCtrls::TListBox(&form);
  list->SetName("List");
  list->SetParent(&form);
  list->SetAlign(Controls::TAlign::alClient);
  for (const char* s : {"one", "two", "three"}) list->Items()->Add(s);
  form.show();
  QCoreApplication::processEvents();
  const QRect second = list->visualItemRect(list->item(1));
  EXPECT_EQ(list->ItemAtPos({second.center().x(), second.center().y()}, true), 1);
  EXPECT_EQ(list->ItemAtPos({5, 190}, false), 3);  // below the last: the count
  EXPECT_EQ(list->ItemAtPos({5, 190}, true), -1);
  EXPECT_EQ(list->Width(), 200);  // aligned to the client area
  form.hide();

  // Destroyed by its owner it leaves its Qt parent, and the other way round.
  auto* a = new StdCtrls::TEdit(&form);
  a->SetParent(&form);
  const int children = static_cast<int>(form.children().size());
  delete a;
  EXPECT_EQ(static_cast<int>(form.children().size()), children - 1);
  auto* panel = new Forms::TScrollBox(&form);
  panel->SetParent(&form);
  auto* b = new StdCtrls::TEdit(&form);
  b->SetName("Inner");
  b->SetParent(panel);
  delete panel;  // Qt takes the child with it
  EXPECT_EQ(form.FindComponent("Inner"), nullptr);
}

TEST(HostControls, HandlersNeverThrowIntoTheEventLoop) {
  ScriptedHost().Reset();
  Controls::Dispatch([] { SysUtils::Abort(); });
  EXPECT_TRUE(ScriptedHost().Boxes.empty());  // the silent abort
  Controls::Dispatch([] { throw SysUtils::Exception("it broke"); });
  Controls::Dispatch([] { throw std::runtime_error("it broke too"); });
  ASSERT_EQ(ScriptedHost().Boxes.size(), 2u);
  EXPECT_EQ(ScriptedHost().Boxes[0].Text, "it broke");
  EXPECT_EQ(ScriptedHost().Boxes[0].DlgType, Dialogs::TMsgDlgType::mtError);
  EXPECT_EQ(ScriptedHost().Boxes[1].Text, "it broke too");

  // A modal form closes with the result set, Cancel when the script leaves it open.
  Forms::TForm form(nullptr);
  ScriptedHost().Modal.push_back([](Forms::TForm& f) { f.SetModalResult(Dialogs::mrOk); });
  EXPECT_EQ(form.ShowModal(), Dialogs::mrOk);
  ScriptedHost().Modal.push_back([](Forms::TForm&) {});
  EXPECT_EQ(form.ShowModal(), Dialogs::mrCancel);
  EXPECT_EQ(ScriptedHost().TimedOut, 0);
}

}  // namespace
