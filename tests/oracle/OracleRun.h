// Runs random criteria through a filter component's real dialog and Execute on a real
// engine and compares the rows the reopened query returns with the oracle's evaluation.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>

#include "tests/oracle/OracleModel.h"

namespace Dialogs {
class TScriptedUIHost;
}

namespace oracle {

// Whether the prefix and substring comparisons are offered on SQLite (the default; the
// switch --sqlite-special off leaves them out there).
inline constexpr bool kSqliteSpecialOperators = true;

struct TRunOptions {
  int Count = 300;      // filters per engine
  uint64_t Seed = 1;
  int Rows = 80;        // rows of the table
  int Only = -1;        // run only this filter number (1-based), to reproduce one
  bool SqliteSpecial = kSqliteSpecialOperators;
};

struct TFigures {
  int Filters = 0;
  long long RowsCompared = 0;  // rows judged (selected or not) over the accepted filters
  int Accepted = 0;
  int Partial = 0;  // accepted filters that selected some rows but not all
  int Refusals = 0;
  int Differences = 0;
};

// Runs Options.Count filters on Engine over a new database in the process's temporary
// folder, writing each difference to Out.
TFigures RunEngine(TEngine Engine, const TRunOptions& Options, Dialogs::TScriptedUIHost& Host, std::ostream& Out);

}  // namespace oracle
