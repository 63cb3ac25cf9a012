// Host run-time, form files: helpers that the writer and the reader of ClassesFiler.h
// share. Not API: included by the filer's own sources only.
#pragma once

#include <string>

#include "host/rtl/Classes.h"
#include "host/rtl/ClassesFiler.h"

// The library's export list leaves this namespace out: its names stay inside.

namespace Classes::FilerText {

inline bool IsIdentStart(char C) {
  return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_';
}
inline bool IsIdentChar(char C) { return IsIdentStart(C) || (C >= '0' && C <= '9'); }

using Classes::QuoteString;

// A component as messages name it: its name, or its class when it has none.
inline std::string Describe(const TComponent& C) { return C.Name().empty() ? C.ClassName() : C.Name(); }

}  // namespace Classes::FilerText

