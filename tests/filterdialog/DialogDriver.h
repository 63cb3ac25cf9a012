// Driving the real filter dialog through the scripted UI host, and reading a dataset's
// rows as text: shared by the dialog tests and the component tests of every data access
// (no engine here).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "dataaccess/db/DB.h"
#include "filterdialog/kytSQLFilterForm.h"
#include "tests/filtermodel/TestHost.h"

namespace dialogdriver {

using Row = std::vector<std::string>;
using Rows = std::vector<Row>;

// The rows of an open dataset from its current row on, as text.
inline Rows ReadRows(DB::TDataSet& Query) {
  Rows rows;
  for (; !Query.Eof(); Query.Next()) {
    Row row;
    for (int i = 0; i < Query.FieldCount(); ++i) row.push_back(Query.Fields(i)->AsString());
    rows.push_back(std::move(row));
  }
  return rows;
}

inline Rows Sorted(Rows R) {
  std::sort(R.begin(), R.end());
  return R;
}

// One criterion line: the field's description, the comparison's display text, the value
// typed, and the connector (0 none, 1 AND, 2 OR, -1 left alone). Empty texts leave that
// control alone.
struct TLine {
  std::string Field, Comparison, Value;
  int Operation = -1;
};

// The index of Text among a drop-down's items; a test failure when it is not there.
inline int IndexOf(const StdCtrls::TComboBox& Box, const std::string& Text) {
  for (int i = 0; i < Box.Items()->Count(); ++i)
    if (Box.Items()->Get(i) == Text) return i;
  ADD_FAILURE() << "the drop-down has no item " << Text;
  return -1;
}

// Picks the field and comparison, types the value and picks the connector of one line.
inline void FillLine(kytSQLFilterForm::FilterLineRec& Line, const TLine& L) {
  if (!L.Field.empty()) Line.Campo->UserSelect(IndexOf(*Line.Campo, L.Field));
  if (!L.Comparison.empty()) Line.Comparision->UserSelect(IndexOf(*Line.Comparision, L.Comparison));
  if (!L.Value.empty()) Line.Value->TypeText(L.Value);
  if (L.Operation >= 0) Line.Operation->UserSelect(L.Operation);
}

// Fills the lines of the open dialog in order (each connector opens the next line).
inline void EnterLines(kytSQLFilterForm::TformFilter&, const std::vector<TLine>& Lines) {
  for (size_t n = 0; n < Lines.size(); ++n) {
    ASSERT_LT(n, kytSQLFilterForm::FilterLines.size()) << "line " << n + 1 << " was not opened";
    FillLine(kytSQLFilterForm::FilterLines[n], Lines[n]);
  }
}

// Queues a script for the next modal dialog: Body runs inside it with the filter dialog;
// the dialog is accepted afterwards when Accept is true (the accept command, which
// builds the SQL), else cancelled.
inline void OnNextDialog(std::function<void(kytSQLFilterForm::TformFilter&)> Body, bool Accept = true) {
  ScriptedHost().Modal.push_back([Body = std::move(Body), Accept](Forms::TForm& Form) {
    auto* dialog = dynamic_cast<kytSQLFilterForm::TformFilter*>(&Form);
    ASSERT_NE(dialog, nullptr) << "the modal form is not the filter dialog";
    if (Body) Body(*dialog);
    if (Accept) dialog->btConfirmClick(dialog);
    else dialog->btCancelClick(dialog);
  });
}

// Queues lines to enter and accept.
inline void AcceptLines(const std::vector<TLine>& Lines) {
  OnNextDialog([Lines](kytSQLFilterForm::TformFilter& F) { EnterLines(F, Lines); });
}

// The texts of the boxes shown since the host was last reset.
inline std::vector<std::string> BoxTexts() {
  std::vector<std::string> texts;
  for (const auto& box : ScriptedHost().Boxes) texts.push_back(box.Text);
  return texts;
}

}  // namespace dialogdriver
