#include "filtermodel/kytSQLFilterRes.h"

#include "host/rtl/SysUtils.h"

namespace kytSQLFilterRes {

namespace {

struct TEntry {
  int Ident;
  const char* Text;
};

// The texts exactly as the components have always shown them, misspellings included:
// applications and their users know them by these words.
const TEntry kTexts[] = {
    {sGroupingOptions, "Grouping Options"},
    {sAcceptFilter, "Accept Filter"},
    {sRebuildSQL, "Rebuild SQL"},
    {sCancelFilter, "Cancel new filter"},
    {sShowSQL, "Show SQL"},
    {sCaseSensitive, "Case Sensitive"},
    {sFieldName, "Field Name"},
    {sOperator, "Operator"},
    {sComparisionValue, "Comparision Value"},
    {sOperation, "Operation"},
    {sUseParentheses, "Use ( and )"},
    {sInvalidField, "Invalid field value at line %d"},
    {sClearFilter, "Clear filter"},
    {sInvalidComparision, "Invalid Comparision value at line %d"},
    {sProblemAtLine, "Problem at line %d"},
    {sErrorOpeningDataset, "Error trying to open the dataset"},
    {sInvalidDateFormat, "Indalid Date Format"},
    {sUnclosedBrackets, "Unclosed brackets, line %d"},
    {sDefaultDateFormat, "mm/dd/yyyy"},
    {sErrorSettingSQL, "Error trying to set SQL to :"},
    {sNewString, "new string"},
    {sErrorOpeningNewSQL, "Error opening the Dataset with the NEW SQL"},
    {sDatasetNotRecognized, "Dataset type not recognized !"},
    {sAnd, "AND"},
    {sOr, "OR"},
    {sNot, "NOT"},
    {sEqual, "="},
    {sNotEqual, "<>"},
    {sGreaterOrEqual, ">="},
    {sLessOrEqual, "<="},
    {sGreater, ">"},
    {sLess, "<"},
    {sStartWith, "Start with"},
    {sIsNull, "is Null"},
    {sIsNotNull, "is not Null"},
    {sContains, "Contains"},
    {sNoFilterDefined, "No filter is defined"},
    {sCouldNotUpdateFilter, "Could not update filter in the memory !"},
    {sSaveFilterTitle, "Save Filter"},
    {sReadFilterTitle, "Read Filter"},
    {sErrorSavingFilter, "Error saving the filter to file !"},
    {sErrorReadingFilter, "Error reading the filter from file !"},
    {sSaveFilterHint, "Saves the filter to a file"},
    {sOpenFilterHint, "Read a previous saved filter from a file"},
    {sFilterPage, "Filter"},
    {sOrderingPage, "Ordering"},
    {sDescriptionPage, "Description"},
    {sFilterDescription, "Filter Description"},
    {sOrderingDisabled, "Ordering disabled"},
    {sMustSetDataset, "You must set the Dataset !"},
};

// Registers the table when the library is loaded, so LoadStr finds it without any call.
const bool kRegistered = (RegisterTexts(), true);

}  // namespace

void RegisterTexts() {
  for (const TEntry& e : kTexts) SysUtils::RegisterStr(e.Ident, e.Text);
}

std::string Text(int Ident) {
  (void)kRegistered;
  return SysUtils::LoadStr(Ident);
}

std::string TextForLine(int Ident, int Line) {
  return SysUtils::StringReplaceAll(Text(Ident), "%d", SysUtils::IntToStr(Line));
}

void Erro(int Ident, Dialogs::TMsgDlgType DlgType) {
  Dialogs::MessageDlg(Text(Ident), DlgType, Dialogs::mbOKOnly, 0);
}

void ErroAbort(int Ident, Dialogs::TMsgDlgType DlgType) {
  Erro(Ident, DlgType);
  SysUtils::Abort();
}

}  // namespace kytSQLFilterRes
