#include "filtermodel/kytSQLFilterRes.h"

#include <functional>

#include "host/rtl/SysUtils.h"
#include "host/ui/Accessible.h"
#include "host/ui/Buttons.h"
#include "host/ui/ComCtrls.h"
#include "host/ui/Forms.h"
#include "host/ui/StdCtrls.h"

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

// Registers the table once. Whichever comes first when the library is loaded - the
// registration below or a language module loaded by another part of the library -
// registers it, and the other finds it done, so a loaded translation is never written
// over with English.
void RegisterOnce() {
  static const bool registered = (RegisterTexts(), true);
  (void)registered;
}

// Registers the table when the library is loaded, so LoadStr finds it without any call.
const bool kRegistered = (RegisterOnce(), true);

// What a language module must leave as it is.
ResourceModule::TLoadRules LanguageRules() {
  ResourceModule::TLoadRules rules;
  rules.Fixed = {sDefaultDateFormat};
  rules.Distinct = {{sEqual, sNotEqual, sGreaterOrEqual, sLessOrEqual, sGreater, sLess, sStartWith, sIsNull,
                     sIsNotNull, sContains}};
  return rules;
}

// Replaces Text by the module's translation for Key, when there is one.
void Translate(const std::string& Key, const std::string& Text, const std::function<void(const std::string&)>& Set) {
  if (Text.empty()) return;
  const std::string translated = ResourceModule::Caption(Key, Text);
  if (translated != Text) Set(translated);
}

// The Caption of the host classes that have one (Shown: the caption now); false for
// the others.
template <class T>
bool TranslateCaptionOf(Classes::TComponent* Part, const std::string& Key, std::string& Shown) {
  auto* control = dynamic_cast<T*>(Part);
  if (!control) return false;
  Translate(Key, control->Caption(), [control](const std::string& S) { control->SetCaption(S); });
  Shown = control->Caption();
  return true;
}

bool TranslateCaption(Classes::TComponent* Part, const std::string& Key, std::string& Shown) {
  return TranslateCaptionOf<Forms::TForm>(Part, Key, Shown) ||
         TranslateCaptionOf<ComCtrls::TTabSheet>(Part, Key, Shown) ||
         TranslateCaptionOf<Buttons::TSpeedButton>(Part, Key, Shown) ||
         TranslateCaptionOf<Buttons::TBitBtn>(Part, Key, Shown) ||
         TranslateCaptionOf<StdCtrls::TCheckBox>(Part, Key, Shown) ||
         TranslateCaptionOf<StdCtrls::TLabel>(Part, Key, Shown) ||
         TranslateCaptionOf<StdCtrls::TGroupBox>(Part, Key, Shown);
}

void TranslatePart(Classes::TComponent* Part, const std::string& Prefix) {
  std::string caption;
  TranslateCaption(Part, Prefix + "Caption", caption);
  if (auto* control = dynamic_cast<Controls::TControl*>(Part)) {
    Translate(Prefix + "Hint", control->Hint(), [control](const std::string& S) { control->SetHint(S); });
    // A control is named by its caption, and setting the caption named it anew; only a
    // name of its own is translated.
    const std::string name = Accessible::Name(*control);
    if (name != caption)
      Translate(Prefix + "AccessibleName", name, [control](const std::string& S) { Accessible::SetName(*control, S); });
  }
  if (auto* dialog = dynamic_cast<Dialogs::TOpenDialog*>(Part))
    Translate(Prefix + "Filter", dialog->Filter, [dialog](const std::string& S) { dialog->Filter = S; });
}

}  // namespace

ResourceModule::TLoadResult LoadLanguageModule(const std::string& PackageFileName) {
  return LoadLanguageModule(PackageFileName, ResourceModule::UserLanguage());
}

ResourceModule::TLoadResult LoadLanguageModule(const std::string& PackageFileName, const std::string& Language) {
  RegisterOnce();
  return ResourceModule::LoadForModule(PackageFileName, Language, LanguageRules());
}

void UseEnglish() {
  RegisterTexts();
  ResourceModule::RestoreEnglish();
}

void TranslateForm(Forms::TForm& Form) {
  const std::string formKey = Form.ClassName() + ".";
  TranslatePart(&Form, formKey);
  for (int i = 0; i < Form.ComponentCount(); ++i) {
    Classes::TComponent* part = Form.Components(i);
    if (!part->Name().empty()) TranslatePart(part, formKey + part->Name() + ".");
  }
}

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
