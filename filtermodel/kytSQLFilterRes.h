// The message and caption table of the filter system, and Erro, the way the filter
// components report their errors.
//
// The texts live in the module string table under identifiers 60000..60063 and are
// loaded with SysUtils::LoadStr at the moment they are needed; identifiers of the range
// that carry no text load as the empty string.
#pragma once

#include <string>

#include "host/ui/Dialogs.h"

namespace kytSQLFilterRes {

inline constexpr int FirstIdent = 60000;
inline constexpr int LastIdent = 60063;

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

}  // namespace kytSQLFilterRes
