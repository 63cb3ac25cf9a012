// The host controls' own rules on top of Qt: masks, item lists without a choice,
// change events on user action only, positions in lists, ownership both ways, and
// event handlers that never let an exception into the event loop.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QClipboard>
#include <QCoreApplication>
#include <QGuiApplication>

#include <functional>

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
  edit.SetMaxLength(4);  // a limit for the user: the program's text stays whole
  EXPECT_EQ(edit.Text().size(), 58u);
}

TEST(HostEdit, LengthLimitHoldsTheUserOnly) {
  struct Case {
    const char* name;
    int limit;
    bool limitFirst;      // the limit is set before the program's text
    const char* program;  // set by the program
    const char* typed;    // then typed at the end ("\b" backspace)
    const char* pasted;   // then pasted at the end
    const char* text;
  } cases[] = {
      {"program_text_after_limit", 5, true, "ABCDEFGH", "", "", "ABCDEFGH"},
      {"limit_after_program_text", 5, false, "ABCDEFGH", "", "", "ABCDEFGH"},
      {"typing_stops_at_limit", 5, true, "", "ABCDEFGH", "", "ABCDE"},
      {"typing_into_long_text", 5, true, "ABCDEFGH", "X", "", "ABCDEFGH"},
      {"backspace_shortens_long_text", 5, true, "ABCDEFGH", "\b", "", "ABCDEFG"},
      {"paste_beyond_limit", 5, true, "AB", "", "CDEF", "AB"},
      {"paste_up_to_limit", 5, true, "AB", "", "CDE", "ABCDE"},
      {"no_limit", 0, true, "", "ABCDEFGH", "IJ", "ABCDEFGHIJ"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StdCtrls::TEdit edit(nullptr);
    if (c.limitFirst) edit.SetMaxLength(c.limit);
    edit.SetText(c.program);
    if (!c.limitFirst) edit.SetMaxLength(c.limit);
    edit.end(false);
    edit.TypeText(c.typed);
    if (*c.pasted) {
      QGuiApplication::clipboard()->setText(c.pasted);
      edit.paste();
    }
    EXPECT_EQ(edit.Text(), c.text);
  }
}

TEST(HostControls, ChangeEventsOnUserActionOnly) {
  struct Case {
    const char* name;
    std::function<void(StdCtrls::TEdit&, Mask::TMaskEdit&, StdCtrls::TComboBox&)> act;
    int events;
  } cases[] = {
      {"edit_program_text", [](auto& e, auto&, auto&) { e.SetText("abc"); }, 0},
      {"edit_limit_and_text", [](auto& e, auto&, auto&) { e.SetMaxLength(2); e.SetText("abc"); }, 0},
      {"edit_typed", [](auto& e, auto&, auto&) { e.TypeText("ab"); }, 2},
      {"edit_typed_refused_by_handler",
       [](auto& e, auto&, auto&) {
         e.OnKeyPress = [](Classes::TObject*, char& K) { K = '\0'; };
         e.TypeText("ab");
       },
       0},
      {"mask_program_text", [](auto&, auto& m, auto&) { m.SetText("12:30"); }, 0},
      {"mask_change_keeps_text", [](auto&, auto& m, auto&) { m.SetText("1230"); m.SetEditMask("99:99"); }, 0},
      {"mask_typed", [](auto&, auto& m, auto&) { m.SetEditMask("99:99"); m.TypeText("12"); }, 2},
      {"combo_program_index", [](auto&, auto&, auto& c) { c.SetItemIndex(1); }, 0},
      {"combo_items_change", [](auto&, auto&, auto& c) { c.SetItemIndex(1); c.Items()->Delete(0); }, 0},
      {"combo_user_choice", [](auto&, auto&, auto& c) { c.UserSelect(1); }, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    StdCtrls::TEdit edit(nullptr);
    Mask::TMaskEdit masked(nullptr);
    StdCtrls::TComboBox box(nullptr);
    box.Items()->SetText("a\r\nb\r\n");
    int events = 0;
    edit.OnChange = masked.OnChange = box.OnChange = [&](Classes::TObject*) { ++events; };
    c.act(edit, masked, box);
    EXPECT_EQ(events, c.events);
  }
  // The memo's lines follow what the program and the user put in; text put into a
  // hidden memo is there when it is shown.
  StdCtrls::TMemo memo(nullptr);
  memo.Lines()->Add("one");
  EXPECT_EQ(memo.Text(), "one\r\n");
  memo.show();
  EXPECT_EQ(memo.toPlainText().toStdString(), "one\n");
  memo.Lines()->Add("two");
  EXPECT_EQ(memo.toPlainText().toStdString(), "one\ntwo\n");
  memo.setPlainText("two\nthree");
  EXPECT_EQ(memo.Lines()->Count(), 2);
  EXPECT_EQ(memo.Text(), "two\r\nthree");
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
  // Deleting around the choice keeps it; deleting the chosen item leaves none.
  box.Items()->Delete(0);
  EXPECT_EQ(box.Text(), "b");
  box.Items()->Delete(0);
  EXPECT_EQ(box.ItemIndex(), -1);
  EXPECT_EQ(changes, 1);
}

// Copied items are shared until one side changes them: a change, on either side, never
// shows on the other.
TEST(HostControls, CopiedDropDownItemsChangeApart) {
  Classes::TObject a, b, other;
  struct Case {
    const char* what;
    std::function<void(StdCtrls::TComboBox&)> change;
  } cases[] = {
      {"Put", [](StdCtrls::TComboBox& c) { c.Items()->Put(0, "x"); }},
      {"PutObject", [&](StdCtrls::TComboBox& c) { c.Items()->PutObject(1, &other); }},
      {"Add", [](StdCtrls::TComboBox& c) { c.Items()->Add("c"); }},
      {"Delete", [](StdCtrls::TComboBox& c) { c.Items()->Delete(0); }},
      {"Clear", [](StdCtrls::TComboBox& c) { c.Items()->Clear(); }},
      {"Sorted", [](StdCtrls::TComboBox& c) { c.SetSorted(true); }},
      {"Choice", [](StdCtrls::TComboBox& c) { c.SetItemIndex(1); }},
  };
  for (const Case& c : cases) {
    for (bool changeCopy : {false, true}) {
      StdCtrls::TComboBox source(nullptr), copy(nullptr);
      source.Items()->AddObject("b", &b);
      source.Items()->AddObject("a", &a);
      copy.Items()->Assign(source.Items());
      c.change(changeCopy ? copy : source);
      const StdCtrls::TComboBox& kept = changeCopy ? source : copy;
      const std::string what = std::string(c.what) + (changeCopy ? " on the copy" : " on the source");
      EXPECT_EQ(kept.Items()->Text(), "b\r\na\r\n") << what;
      ASSERT_EQ(kept.Items()->Count(), 2) << what;
      EXPECT_EQ(kept.Items()->GetObject(0), &b) << what;
      EXPECT_EQ(kept.Items()->GetObject(1), &a) << what;
      EXPECT_EQ(kept.ItemIndex(), -1) << what;
    }
  }
}

// A drop-down's open list is built when first needed, not when the drop-down is placed;
// then it has the drop-down's font, and the size hint follows that font.
TEST(HostControls, DropDownListBuiltWhenNeededWithTheFont) {
  struct Case {
    const char* need;
    std::function<void(StdCtrls::TComboBox&)> ask;
  } cases[] = {
      {"drop width", [](StdCtrls::TComboBox& c) { c.SetDropWidth(130); }},
      {"size hint", [](StdCtrls::TComboBox& c) { (void)c.sizeHint(); }},
      {"opened", [](StdCtrls::TComboBox& c) {
         c.showPopup();
         c.hidePopup();
       }},
  };
  for (const Case& c : cases) {
    Forms::TForm form(nullptr);
    form.SetClientSize(300, 100);
    auto* box = new StdCtrls::TComboBox(&form);
    box->SetStyle(StdCtrls::TComboBoxStyle::csDropDownList);
    box->Items()->Add("a rather long item to measure");
    const int smallWidth = box->sizeHint().width();  // kept by Qt until the font changes
    box->SetBounds(8, 8, 200, 24);
    box->SetParent(&form);
    box->SetFont({"DejaVu Sans", 24, true, Controls::clDefault});
    EXPECT_TRUE(box->findChildren<QAbstractItemView*>().isEmpty()) << c.need;
    c.ask(*box);
    EXPECT_EQ(box->view()->font().pointSize(), 24) << c.need;
    EXPECT_TRUE(box->view()->font().bold()) << c.need;
    EXPECT_GT(box->sizeHint().width(), smallWidth) << c.need;
  }

  // A hint first asked for after the font change is computed with that font, and
  // needs no list: a dialog's new lines are sized without building one each.
  Forms::TForm form(nullptr);
  form.SetClientSize(300, 100);
  StdCtrls::TComboBox* boxes[2];
  for (StdCtrls::TComboBox*& box : boxes) {
    box = new StdCtrls::TComboBox(&form);
    box->SetStyle(StdCtrls::TComboBoxStyle::csDropDownList);
    box->Items()->Add("a rather long item to measure");
    box->SetBounds(8, 8, 200, 24);  // placed: Qt does not size it from its hint
    box->SetParent(&form);
  }
  const Controls::TFont small{"DejaVu Sans", 8, false, Controls::clDefault};
  boxes[0]->SetFont(small);
  boxes[1]->SetFont({"DejaVu Sans", 24, true, Controls::clDefault});
  EXPECT_GT(boxes[1]->sizeHint().width(), boxes[0]->sizeHint().width());
  EXPECT_GT(boxes[1]->minimumSizeHint().height(), boxes[0]->minimumSizeHint().height());
  for (StdCtrls::TComboBox* box : boxes) EXPECT_TRUE(box->findChildren<QAbstractItemView*>().isEmpty());
  boxes[1]->SetFont(small);  // the hint Qt kept is now stale
  EXPECT_EQ(boxes[1]->sizeHint(), boxes[0]->sizeHint());
  EXPECT_EQ(boxes[1]->view()->font().pointSize(), 8);
}

// A compact drop-down list shows more of a text too long for it, from nearer its left
// edge, in either direction; an editable one draws as Qt does.
TEST(HostControls, CompactDropDownGivesTheTextMoreRoom) {
  // The columns of Box (at its own scale) where its text left ink, left of the arrow.
  auto inkColumns = [](StdCtrls::TComboBox& Box) {
    const QImage image = Box.grab().toImage().scaled(Box.size());
    const QRgb background = image.pixel(Box.width() / 2, 3);
    const bool ltr = Box.layoutDirection() == Qt::LeftToRight;
    std::pair<int, int> columns{Box.width(), -1};  // first and last
    for (int x = ltr ? 2 : 18; x < Box.width() - (ltr ? 18 : 2); ++x)
      for (int y = 6; y < Box.height() - 6; ++y)
        if (qGray(image.pixel(x, y)) + 60 < qGray(background)) {
          columns = {std::min(columns.first, x), std::max(columns.second, x)};
          break;
        }
    return columns;
  };
  for (Qt::LayoutDirection direction : {Qt::LeftToRight, Qt::RightToLeft}) {
    SCOPED_TRACE(direction == Qt::LeftToRight ? "left to right" : "right to left");
    Forms::TForm form(nullptr);
    form.SetClientSize(200, 100);
    StdCtrls::TComboBox* boxes[2];
    for (int i = 0; i < 2; ++i) {
      StdCtrls::TComboBox* box = boxes[i] = new StdCtrls::TComboBox(&form);
      box->SetStyle(StdCtrls::TComboBoxStyle::csDropDownList);
      box->setLayoutDirection(direction);
      box->Items()->Add("WWWWWWWWWWWWWWWW");
      box->SetItemIndex(0);
      box->SetBounds(8, 8 + 30 * i, 81, 24);
      box->SetParent(&form);
    }
    boxes[1]->SetCompact(true);
    const auto plain = inkColumns(*boxes[0]);
    const auto compact = inkColumns(*boxes[1]);
    ASSERT_GE(plain.second, plain.first) << "no text drawn";
    EXPECT_GT(compact.second - compact.first, plain.second - plain.first);
    if (direction == Qt::LeftToRight) {
      EXPECT_LT(compact.first, plain.first);
    } else {
      EXPECT_GT(compact.second, plain.second);
    }
  }
  QImage editables[2];
  for (int i = 0; i < 2; ++i) {
    StdCtrls::TComboBox editable(nullptr);
    editable.SetCompact(i == 1);
    editable.SetStyle(StdCtrls::TComboBoxStyle::csDropDown);
    editable.Items()->Add("WWWWWWWWWWWWWWWW");
    editable.SetItemIndex(0);
    editable.SetBounds(0, 0, 81, 24);
    editables[i] = editable.grab().toImage();
  }
  EXPECT_EQ(editables[0], editables[1]);
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

// ---- Colours ------------------------------------------------------------------------------

namespace {

// Contrast by relative luminance, and text colours made readable keeping their hue.
TEST(HostColours, ContrastAndReadableShades) {
  struct Case {
    QColor a, b;
    double ratio;
  } ratios[] = {
      {Qt::black, Qt::white, 21.0},
      {Qt::white, Qt::white, 1.0},
      {QColor(255, 0, 0), Qt::white, 4.0},
      {QColor(0, 0, 255), Qt::black, 2.44},
  };
  for (const Case& c : ratios)
    EXPECT_NEAR(Controls::ContrastRatio(c.a, c.b), c.ratio, 0.01) << c.a.name().toStdString();

  struct Shade {
    QColor text, background;
    bool darker, lighter;  // which way the shade must go (neither: unchanged)
  } shades[] = {
      {Qt::black, Qt::white, false, false},
      {QColor(255, 0, 0), Qt::white, true, false},
      {QColor(255, 0, 0), QColor(35, 35, 35), false, true},
      {Qt::black, QColor(35, 35, 35), false, true},
      {QColor(30, 90, 170), QColor(53, 53, 53), false, true},
  };
  for (const Shade& s : shades) {
    const QColor got = Controls::Readable(s.text, s.background);
    SCOPED_TRACE(s.text.name().toStdString() + " on " + s.background.name().toStdString() + " gives " +
                 got.name().toStdString());
    EXPECT_GE(Controls::ContrastRatio(got, s.background), 4.5);
    if (!s.darker && !s.lighter) {
      EXPECT_EQ(got, s.text);
    }
    if (s.darker) {
      EXPECT_LT(got.lightness(), s.text.lightness());
    }
    if (s.lighter) {
      EXPECT_GT(got.lightness(), s.text.lightness());
    }
    if (s.text.hsvSaturation() > 0) {  // the hue stays: a red stays red
      EXPECT_NEAR(got.hsvHue(), s.text.hsvHue(), 3);
    }
  }
}

// The system colours are the palette's roles; a plain colour is the colour it names.
TEST(HostColours, SystemColoursFollowThePalette) {
  QPalette dark(QColor(53, 53, 53));
  dark.setColor(QPalette::Base, QColor(35, 35, 35));
  EXPECT_EQ(Controls::ToQColor(Controls::clWindow, dark), QColor(35, 35, 35));
  EXPECT_EQ(Controls::ToQColor(Controls::clWindowText, dark), dark.color(QPalette::Text));
  EXPECT_EQ(Controls::ToQColor(Controls::clBtnFace, dark), QColor(53, 53, 53));
  EXPECT_EQ(Controls::ToQColor(Controls::clRed, dark), QColor(255, 0, 0));
  EXPECT_EQ(Controls::ToQColor(Controls::clPaleYellow, dark), QColor(255, 255, 128));
  EXPECT_EQ(Controls::FromQColor(QColor(255, 255, 128)), Controls::clPaleYellow);
}

}  // namespace
