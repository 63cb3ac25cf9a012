#include "filterdialog/kytSQLFilterForm.h"

#include "filtermodel/kytSQLFilterRes.h"

namespace kytSQLFilterForm {

using kytSQLFilterStruc::opContains;
using kytSQLFilterStruc::opStartingWith;

std::array<TOperatorEntry, 10> Operators = {{
    {"=", "="},
    {"<>", "<>"},
    {">", ">"},
    {"<", "<"},
    {">=", ">="},
    {"<=", "<="},
    {"is Null", "is Null"},
    {"is not Null", "is not Null"},
    {"Starting with", "Start with"},
    {"Containing", "Contains"},
}};

kytSQLFilterStruc::TSpecialOperators OperatorsOk;

std::string GetOperatorSQL(const std::string& Text) {
  std::string result = "Op. not found !!!";
  for (const TOperatorEntry& e : Operators)
    if (e.DisplayText == Text) result = e.SQLOperator;
  return result;
}

int GetOperatorIndex(const std::string& SQLText) {
  int result = -1;
  for (int i = 0; i < static_cast<int>(Operators.size()); ++i)
    if (Operators[i].SQLOperator == SQLText) result = i;
  return result;
}

void PrepareOperators(Classes::TStrings& Items) {
  // Message identifiers of the display texts, by table index.
  static const int kTexts[8] = {60039, 60040, 60043, 60044, 60041, 60042, 60047, 60048};
  for (int i = 0; i < 8; ++i) Operators[i].DisplayText = kytSQLFilterRes::Text(kTexts[i]);
  Operators[8].DisplayText =
      OperatorsOk.Contains(opStartingWith) ? kytSQLFilterRes::Text(60046) : std::string();
  Operators[9].DisplayText =
      OperatorsOk.Contains(opContains) ? kytSQLFilterRes::Text(60049) : std::string();
  Items.BeginUpdate();
  Items.Clear();
  for (const TOperatorEntry& e : Operators)
    if (!e.DisplayText.empty()) Items.Add(e.DisplayText);
  Items.EndUpdate();
}

}  // namespace kytSQLFilterForm
