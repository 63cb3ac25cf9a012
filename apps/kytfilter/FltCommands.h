// kytfilter verbs over the filter model: filter files (flt show, flt make) and the
// tables a statement reads (sql tables).
#pragma once

#include "apps/kytfilter/Cli.h"

namespace kytcli {

// kytfilter flt show FILE [--json] | flt make OUT [JSON]; Args holds the words after
// "flt". Returns the exit code; raises UsageError and Failure as the other groups do.
int RunFlt(const Args& args);

// kytfilter sql tables [FILE]; Args holds the words after "tables". Prints the tables of
// the statement, one a line, each followed by LF.
int RunSqlTables(const Args& args);

}  // namespace kytcli
