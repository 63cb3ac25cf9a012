// The message and caption table of the filter system, and Erro, the way the filter
// components report their errors.
//
// The texts live in the module string table under identifiers 60000..60063 and are
// loaded with SysUtils::LoadStr at the moment they are needed; identifiers of the range
// that carry no text load as the empty string.
#pragma once

#include <string>

#include "host/rtl/ResourceModule.h"
#include "host/ui/Dialogs.h"

namespace kytSQLFilterRes {

inline constexpr int FirstIdent = 60000;
inline constexpr int LastIdent = 60063;

// The identifiers of the table, by what they say.
inline constexpr int sGroupingOptions = 60003;
inline constexpr int sAcceptFilter = 60005;
inline constexpr int sRebuildSQL = 60006;
inline constexpr int sCancelFilter = 60007;
inline constexpr int sShowSQL = 60009;
inline constexpr int sCaseSensitive = 60011;
inline constexpr int sFieldName = 60013;
inline constexpr int sOperator = 60016;
inline constexpr int sComparisionValue = 60017;
inline constexpr int sOperation = 60019;
inline constexpr int sUseParentheses = 60020;
inline constexpr int sInvalidField = 60023;
inline constexpr int sClearFilter = 60024;
inline constexpr int sInvalidComparision = 60025;
inline constexpr int sProblemAtLine = 60026;
inline constexpr int sErrorOpeningDataset = 60027;
inline constexpr int sInvalidDateFormat = 60028;
inline constexpr int sUnclosedBrackets = 60029;
inline constexpr int sDefaultDateFormat = 60031;
inline constexpr int sErrorSettingSQL = 60032;
inline constexpr int sNewString = 60033;
inline constexpr int sErrorOpeningNewSQL = 60034;
inline constexpr int sDatasetNotRecognized = 60035;
inline constexpr int sAnd = 60036;
inline constexpr int sOr = 60037;
inline constexpr int sNot = 60038;
inline constexpr int sEqual = 60039;
inline constexpr int sNotEqual = 60040;
inline constexpr int sGreaterOrEqual = 60041;
inline constexpr int sLessOrEqual = 60042;
inline constexpr int sGreater = 60043;
inline constexpr int sLess = 60044;
inline constexpr int sStartWith = 60046;
inline constexpr int sIsNull = 60047;
inline constexpr int sIsNotNull = 60048;
inline constexpr int sContains = 60049;
inline constexpr int sNoFilterDefined = 60050;
inline constexpr int sCouldNotUpdateFilter = 60051;
inline constexpr int sSaveFilterTitle = 60052;
inline constexpr int sReadFilterTitle = 60053;
inline constexpr int sErrorSavingFilter = 60054;
inline constexpr int sErrorReadingFilter = 60055;
inline constexpr int sSaveFilterHint = 60056;
inline constexpr int sOpenFilterHint = 60057;
inline constexpr int sFilterPage = 60058;
inline constexpr int sOrderingPage = 60059;
inline constexpr int sDescriptionPage = 60060;
inline constexpr int sFilterDescription = 60061;
inline constexpr int sOrderingDisabled = 60062;
inline constexpr int sMustSetDataset = 60063;

// Registers the table with SysUtils::RegisterStr. Runs once, at start-up; calling it
// again does no harm.
void RegisterTexts();

// The text of Ident (after RegisterTexts has run), or the empty string.
std::string Text(int Ident);

// The text of Ident with its "%d" replaced by Line (decimal); the builder's messages
// name the 1-based line that failed.
std::string TextForLine(int Ident, int Line);

// Shows text Ident in a modal message box of kind DlgType with one OK button and no
// help context; returns when the box is closed. Nothing is formatted into the text.
void Erro(int Ident, Dialogs::TMsgDlgType DlgType);

// Erro, then the silent abort (SysUtils::EAbort): for an operation that has told the
// user why it cannot go on.
[[noreturn]] void ErroAbort(int Ident, Dialogs::TMsgDlgType DlgType);

// Language modules: the texts of the table and the fixed captions of the dialogs in
// the user's language, English where a module lacks one (host/rtl/ResourceModule.h
// gives the file's name and format).

// Loads the module for Language (default: the user's, from the locale) that lies beside
// the library PackageFileName, after registering the table. The default date pattern
// (sDefaultDateFormat) stays as it is: it is a stored property's default, and forms
// would mean another date order in another language. Comparison texts stay pairwise
// different, as the dialog tells comparisons apart by their text. Never throws; says
// what it took and skipped.
ResourceModule::TLoadResult LoadLanguageModule(const std::string& PackageFileName);
ResourceModule::TLoadResult LoadLanguageModule(const std::string& PackageFileName, const std::string& Language);

// Back to the English texts and captions; dialogs built afterwards show English.
void UseEnglish();

// Gives the form and its named parts the loaded module's texts for their Caption, Hint,
// AccessibleName (what a screen reader reads) and, for file dialogs, Filter, keyed
// "<form class>.<property>" and "<form class>.<name>.<property>".
// Called once the layout is built; what it finds is the English default of each key.
void TranslateForm(Forms::TForm& Form);

}  // namespace kytSQLFilterRes
