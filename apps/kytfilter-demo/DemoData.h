// The demo's data folder: the two sample databases (one Firebird file, one SQLite
// file) and a few saved filters to open from the filter dialog, all made on first
// start, and the demo's form file (see DemoForm.h); and the Qt SQL connection of the
// Qt SQL variant: to the SQLite file, or to a PostgreSQL database given by the user.
#pragma once

#include <functional>
#include <string>

namespace kytdemo {

// The name of the demo's form file in its data folder.
inline constexpr const char* kFormFileName = "kytfilter-demo.dfm";
// The name of the Qt SQL connection the Qt SQL variant's query uses.
inline constexpr const char* kQtSqlConnection = "kytfilter-demo";

// The per-user folder of the demo's data (QStandardPaths::AppLocalDataLocation). Needs
// the application's name set. Empty when the system names none.
std::string DefaultDataDir();

struct TDemoData {
  std::string Dir;
  std::string FirebirdFile;  // absolute paths
  std::string SQLiteFile;
  std::string FilterDir;
  // Where the demo keeps its form (queries, filter components, field definitions);
  // empty: the demo keeps none and starts from its defaults every time.
  std::string FormFile;
  // Why a database is missing (its creation failed), or empty when it is there.
  std::string FirebirdError;
  std::string SQLiteError;
  // The Qt SQL connection kQtSqlConnection: what it reaches, as the status line shows
  // it ("SQLite: FILE", "PostgreSQL: host=... dbname=..."), and why it could not be
  // opened, or empty when it is open.
  std::string QtSqlDatabase;
  std::string QtSqlError;
  // The saved filter the screenshot opens: shipped or delivered orders of 500 and more.
  std::string SampleFilter;
};

// The statement every variant of the demo starts with; it uses no table aliases, so the
// catalogue's "TABLE.FIELD" names are valid in it.
extern const char* const kDemoSQL;

// Makes Dir and, for whatever is missing in it, the sample databases (Orders orders
// each) and the saved filters, and opens the Qt SQL connection kQtSqlConnection: on
// the SQLite file, or, when PgConnection (a libpq connection string) is not empty, on
// that PostgreSQL database, where the sample tables are made when the search path
// finds none. Progress is told a text before each slow step. Never raises for a
// database: its error is kept in the result. Raises std::filesystem errors when Dir
// cannot be made, SysUtils::Exception when a filter file cannot be written.
// REQUIRES: Orders >= 1.
TDemoData EnsureDemoData(const std::string& Dir, int Orders,
                         const std::function<void(const std::string&)>& Progress,
                         const std::string& PgConnection = "");

}  // namespace kytdemo
