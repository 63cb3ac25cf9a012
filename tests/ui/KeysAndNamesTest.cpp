// Keys a list box takes before its own handling, and what screen readers read of the
// host controls: names from captions, descriptions that follow the hints.
#include <gtest/gtest.h>

#include <QTest>

#include "host/ui/Accessible.h"
#include "host/ui/Buttons.h"
#include "host/ui/ComCtrls.h"
#include "host/ui/StdCtrls.h"
#include "tests/filtermodel/TestHost.h"

namespace {

TEST(HostListBox, KeyDownTakesKeysBeforeTheList) {
  struct Row {
    const char* Name;
    int Key;
    Qt::KeyboardModifiers Modifiers;
    bool Take;          // the handler sets the key to 0
    uint16_t Code;      // the code the handler is told
    unsigned Shift;     // the modifiers it is told
    int RowAfter;       // the list's selection afterwards
  };
  const Row rows[] = {
      {"down_taken", Qt::Key_Down, Qt::ControlModifier, true, StdCtrls::VK_DOWN, StdCtrls::ssCtrl, 1},
      {"down_left_to_the_list", Qt::Key_Down, Qt::NoModifier, false, StdCtrls::VK_DOWN, 0, 2},
      {"enter_taken", Qt::Key_Return, Qt::NoModifier, true, StdCtrls::VK_RETURN, 0, 1},
      {"shift_delete", Qt::Key_Delete, Qt::ShiftModifier, true, StdCtrls::VK_DELETE, StdCtrls::ssShift, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Name);
    StdCtrls::TListBox list(nullptr);
    for (const char* s : {"A", "B", "C"}) list.Items()->Add(s);
    list.SetItemIndex(1);
    int calls = 0;
    uint16_t told = 0;
    unsigned shift = 99;
    list.OnKeyDown = [&](Classes::TObject* Sender, uint16_t& Key, StdCtrls::TShiftState Shift) {
      EXPECT_EQ(Sender, &list);
      ++calls;
      told = Key;
      shift = Shift;
      if (r.Take) Key = 0;
    };
    QTest::keyClick(&list, static_cast<Qt::Key>(r.Key), r.Modifiers);
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(told, r.Code);
    EXPECT_EQ(shift, r.Shift);
    EXPECT_EQ(list.ItemIndex(), r.RowAfter);
  }
  // A handler that fails is reported, and the key is the list's.
  StdCtrls::TListBox list(nullptr);
  list.OnKeyDown = [](Classes::TObject*, uint16_t&, StdCtrls::TShiftState) { throw SysUtils::Exception("no"); };
  EXPECT_FALSE(list.KeyDown(StdCtrls::VK_UP, 0));
  EXPECT_EQ(ScriptedHost().Boxes.size(), 1u);
}

TEST(HostAccessible, NamesFromCaptionsDescriptionsFromHints) {
  StdCtrls::TCheckBox box(nullptr);
  box.SetCaption("Case Sensitive");
  Buttons::TBitBtn button(nullptr);
  button.SetCaption("OK");
  StdCtrls::TLabel label(nullptr);
  label.SetCaption("Fields");
  ComCtrls::TTabSheet sheet(nullptr);
  sheet.SetCaption("Ordering");
  StdCtrls::TEdit edit(nullptr);
  const std::pair<Controls::TControl*, const char*> named[] = {
      {&box, "Case Sensitive"}, {&button, "OK"}, {&label, "Fields"}, {&sheet, "Ordering"}, {&edit, ""}};
  for (const auto& [control, name] : named) EXPECT_EQ(Accessible::Name(*control), name) << name;
  Accessible::SetName(edit, "Valor \xE7\xE3o");  // Windows-1252 text
  EXPECT_EQ(edit.accessibleName(), QString::fromUtf8("Valor \xC3\xA7\xC3\xA3o"));

  struct Row {
    const char* Name;
    bool ShowHint;
    const char* Hint;
  } rows[] = {
      {"shown", true, "Accept"},
      {"changed", true, "Accept (Ctrl+Enter)"},
      {"not_shown_as_tip", false, "Hidden tip"},
      {"emptied", true, ""},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Name);
    edit.SetShowHint(r.ShowHint);
    edit.SetHint(r.Hint);
    EXPECT_EQ(Accessible::Description(edit), r.Hint);
    EXPECT_EQ(edit.toolTip().isEmpty(), !r.ShowHint || *r.Hint == 0);
  }
  // Declaring again changes nothing.
  edit.SetHint("once");
  Accessible::DescribeByHint(edit);
  edit.SetHint("twice");
  EXPECT_EQ(Accessible::Description(edit), "twice");
}

}  // namespace
