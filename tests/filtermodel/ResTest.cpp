#include <gtest/gtest.h>

#include "TestHost.h"
#include "filtermodel/kytSQLFilterRes.h"
#include "host/rtl/SysUtils.h"

using namespace kytSQLFilterRes;

TEST(MessageTable, TextsAsWrittenAndUnlistedEmpty) {
  struct Row {
    int Ident;
    const char* Text;
  };
  // Misspellings are part of the table and must survive.
  const Row rows[] = {
      {60003, "Grouping Options"},
      {60017, "Comparision Value"},
      {60025, "Invalid Comparision value at line %d"},
      {60028, "Indalid Date Format"},
      {60031, "mm/dd/yyyy"},
      {60046, "Start with"},
      {60054, "Error saving the filter to file !"},
      {60055, "Error reading the filter from file !"},
      {60063, "You must set the Dataset !"},
      {60030, ""},
      {60045, ""},
      {59999, ""},
      {60064, ""},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(Text(r.Ident), r.Text) << r.Ident;
    EXPECT_EQ(SysUtils::LoadStr(r.Ident), r.Text) << r.Ident;
  }
  int filled = 0;
  for (int id = FirstIdent; id <= LastIdent; ++id) filled += Text(id).empty() ? 0 : 1;
  EXPECT_EQ(filled, 50);
}

TEST(MessageTable, LineNumberReplacesOnlyThePlaceholder) {
  EXPECT_EQ(TextForLine(60025, 3), "Invalid Comparision value at line 3");
  EXPECT_EQ(TextForLine(60029, 12), "Unclosed brackets, line 12");
  EXPECT_EQ(TextForLine(60036, 3), "AND");
}

TEST(MessageTable, ErroShowsOneOkBoxOfTheKind) {
  Erro(60034, Dialogs::TMsgDlgType::mtError);
  Erro(60025, Dialogs::TMsgDlgType::mtWarning);
  const auto& boxes = ScriptedHost().Boxes;
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].Kind, Dialogs::TScriptedUIHost::TBoxKind::MessageDlg);
  EXPECT_EQ(boxes[0].DlgType, Dialogs::TMsgDlgType::mtError);
  EXPECT_EQ(boxes[0].Text, "Error opening the Dataset with the NEW SQL");
  EXPECT_EQ(boxes[0].Buttons, Dialogs::MsgDlgButtons({Dialogs::mbOK}));
  EXPECT_EQ(boxes[0].HelpCtx, 0);
  // Nothing is formatted into the text.
  EXPECT_EQ(boxes[1].DlgType, Dialogs::TMsgDlgType::mtWarning);
  EXPECT_EQ(boxes[1].Text, "Invalid Comparision value at line %d");
}

TEST(ScriptedHost, AnswersFromQueueThenOk) {
  auto& host = ScriptedHost();
  host.Answers = {Dialogs::mrNo};
  EXPECT_EQ(Dialogs::MessageDlg("q", Dialogs::TMsgDlgType::mtConfirmation, Dialogs::mbYesNo, 0),
            Dialogs::mrNo);
  EXPECT_EQ(Dialogs::MessageDlg("q", Dialogs::TMsgDlgType::mtConfirmation, Dialogs::mbYesNo, 0),
            Dialogs::mrOk);
  Dialogs::ShowMessage("plain");
  Dialogs::Beep();
  ASSERT_EQ(host.Boxes.size(), 3u);
  EXPECT_EQ(host.Boxes[2].Kind, Dialogs::TScriptedUIHost::TBoxKind::ShowMessage);
  EXPECT_EQ(host.Boxes[2].Text, "plain");
  EXPECT_EQ(host.Beeps, 1);
}
