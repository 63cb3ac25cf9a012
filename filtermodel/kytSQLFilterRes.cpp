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
    {60003, "Grouping Options"},
    {60005, "Accept Filter"},
    {60006, "Rebuild SQL"},
    {60007, "Cancel new filter"},
    {60009, "Show SQL"},
    {60011, "Case Sensitive"},
    {60013, "Field Name"},
    {60016, "Operator"},
    {60017, "Comparision Value"},
    {60019, "Operation"},
    {60020, "Use ( and )"},
    {60023, "Invalid field value at line %d"},
    {60024, "Clear filter"},
    {60025, "Invalid Comparision value at line %d"},
    {60026, "Problem at line %d"},
    {60027, "Error trying to open the dataset"},
    {60028, "Indalid Date Format"},
    {60029, "Unclosed brackets, line %d"},
    {60031, "mm/dd/yyyy"},
    {60032, "Error trying to set SQL to :"},
    {60033, "new string"},
    {60034, "Error opening the Dataset with the NEW SQL"},
    {60035, "Dataset type not recognized !"},
    {60036, "AND"},
    {60037, "OR"},
    {60038, "NOT"},
    {60039, "="},
    {60040, "<>"},
    {60041, ">="},
    {60042, "<="},
    {60043, ">"},
    {60044, "<"},
    {60046, "Start with"},
    {60047, "is Null"},
    {60048, "is not Null"},
    {60049, "Contains"},
    {60050, "No filter is defined"},
    {60051, "Could not update filter in the memory !"},
    {60052, "Save Filter"},
    {60053, "Read Filter"},
    {60054, "Error saving the filter to file !"},
    {60055, "Error reading the filter from file !"},
    {60056, "Saves the filter to a file"},
    {60057, "Read a previous saved filter from a file"},
    {60058, "Filter"},
    {60059, "Ordering"},
    {60060, "Description"},
    {60061, "Filter Description"},
    {60062, "Ordering disabled"},
    {60063, "You must set the Dataset !"},
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

}  // namespace kytSQLFilterRes
