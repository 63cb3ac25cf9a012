// Unit kytSQLFilterForm: the filter dialog and its comparison table.
//
// The comparison table lists the ten comparisons a criterion line can use, each with
// the operator written into SQL and into saved filters and the text shown in the
// comparison drop-downs. It is process-wide, like the one filter dialog that uses it;
// user-interface thread only.
#pragma once

#include <array>
#include <string>

#include "filtermodel/kytSQLFilterStruc.h"
#include "host/rtl/Classes.h"

namespace kytSQLFilterForm {

struct TOperatorEntry {
  std::string SQLOperator;  // never changes
  std::string DisplayText;  // rewritten by every PrepareOperators
};

// The comparison table, indexes 0 to 9: = <> > < >= <= "is Null" "is not Null"
// "Starting with" "Containing". Before the first PrepareOperators the display texts are
// those of both optional comparisons offered.
extern std::array<TOperatorEntry, 10> Operators;

// Which optional comparisons the dialog offers; empty at start. A component sets it
// before the dialog is created.
extern kytSQLFilterStruc::TSpecialOperators OperatorsOk;

// The SQL operator of the last entry whose display text equals Text exactly; an empty
// Text finds the entries whose display text was emptied. "Op. not found !!!" when none.
std::string GetOperatorSQL(const std::string& Text);

// The index of the last entry whose SQL operator equals SQLText exactly, or -1.
int GetOperatorIndex(const std::string& SQLText);

// Rewrites the display texts from the message table and OperatorsOk (the optional
// comparisons not offered get the empty text), then replaces the items of Items (the
// first comparison drop-down's list) by the non-empty display texts in index order.
void PrepareOperators(Classes::TStrings& Items);

}  // namespace kytSQLFilterForm
