#include "apps/kytfilter-demo/DemoData.h"

#include <QStandardPaths>

#include <filesystem>
#include <vector>

#include "dataaccess/db/DBText.h"
#include "dataaccess/sample/QtSqlConnect.h"
#include "dataaccess/sample/Sample.h"
#include "filtermodel/kytSQLFilterStruc.h"
#include "host/rtl/Classes.h"

namespace kytdemo {

namespace fs = std::filesystem;
using namespace kytSQLFilterStruc;

const char* const kDemoSQL =
    "SELECT ORDERS.ID, ORDERS.ORDER_DATE, ORDERS.STATUS, ORDERS.TOTAL, ORDERS.PAID,\r\n"
    "       CUSTOMERS.NAME, CUSTOMERS.CITY, CUSTOMERS.COUNTRY\r\n"
    "FROM ORDERS\r\n"
    "JOIN CUSTOMERS ON CUSTOMERS.ID = ORDERS.CUSTOMER_ID\r\n"
    "ORDER BY ORDERS.ID";

namespace {

struct TLine {
  const char* Begin;
  const char* Table;
  const char* Field;
  const char* Operator;
  const char* Value;  // as typed in the dialog, mask literals included
  const char* End;
  int Operation;      // -1 none, 1 AND, 2 OR
};

struct TSavedFilter {
  const char* File;
  const char* Description;
  std::vector<TLine> Lines;
  std::vector<const char*> Ordering;
};

// Fields that every variant's catalogue offers for the demo statement.
const std::vector<TSavedFilter>& SavedFilters() {
  static const std::vector<TSavedFilter> filters = {
      {"Shipped orders from 500.flt",
       "Shipped or delivered orders with a total of 500 or more, oldest first.",
       {{"(", "ORDERS.", "STATUS", "=", "shipped", "", 2},
        {"", "ORDERS.", "STATUS", "=", "delivered", ")", 1},
        {"", "ORDERS.", "TOTAL", ">=", "500", "", -1}},
       {"ORDERS.ORDER_DATE", "ORDERS.ID"}},
      {"Orders of 2023.flt",
       "Orders placed in 2023, by date.",
       {{"", "ORDERS.", "ORDER_DATE", ">=", "01/01/2023", "", 1},
        {"", "ORDERS.", "ORDER_DATE", "<=", "12/31/2023", "", -1}},
       {"ORDERS.ORDER_DATE", "ORDERS.ID"}},
      {"Customers in Lisboa or Porto.flt",
       "Orders of customers in Lisboa or Porto, by customer.",
       {{"", "CUSTOMERS.", "CITY", "=", "lisboa", "", 2},
        {"", "CUSTOMERS.", "CITY", "=", "porto", "", -1}},
       {"CUSTOMERS.NAME", "ORDERS.ID"}},
  };
  return filters;
}

void WriteSavedFilter(const TSavedFilter& F, const std::string& Path) {
  FilterArray records;
  for (const TLine& l : F.Lines) {
    FilterRec r{};
    r.BeginGroup.Set(l.Begin);
    r.TableName.Set(l.Table);
    r.FieldName.Set(l.Field);
    r.Operator.Set(l.Operator);
    r.Value.Set(l.Value);
    r.EndGroup.Set(l.End);
    r.Operation = l.Operation;
    records.push_back(r);
  }
  Classes::TStringList ordering;
  for (const char* o : F.Ordering) ordering.Add(o);
  FH = TFilterHeader{};
  FH.SetDescription(F.Description);
  WriteFilter(Path, records, ordering);
}

std::string EnsureDatabase(Sample::TEngine Engine, const std::string& File, int Orders) {
  try {
    Sample::EnsureSampleDatabase(Engine, File, Orders);
    return "";
  } catch (const SysUtils::Exception& e) {
    return DB::AnsiToUtf8(e.Message());
  } catch (const std::exception& e) {
    return e.what();
  }
}

// The connection string as the status line shows it: without its password.
std::string ShownConnection(const std::string& Connection) {
  std::string shown;
  try {
    for (const auto& [key, value] : QtSqlConnect::ParseConnectionString(Connection))
      if (key != "password") shown += (shown.empty() ? "" : " ") + key + "=" + value;
  } catch (const SysUtils::Exception&) {
    // Opening it tells what is wrong with it.
  }
  return shown;
}

// Opens the Qt SQL variant's connection; returns why it failed, or the empty text.
std::string OpenQtSql(const TDemoData& D, const std::string& PgConnection, int Orders,
                      const std::function<void(const std::string&)>& Progress) {
  try {
    if (PgConnection.empty()) {
      if (!D.SQLiteError.empty()) return D.SQLiteError;
      QtSqlConnect::Open(kQtSqlConnection, "QSQLITE", D.SQLiteFile);
      return "";
    }
    Progress("Connecting to PostgreSQL (" + D.QtSqlDatabase + ") ...");
    if (Sample::EnsureSampleDatabase(Sample::TEngine::PostgreSQL, PgConnection, Orders))
      Progress("Made the sample tables on PostgreSQL.");
    QtSqlConnect::Open(kQtSqlConnection, "QPSQL", PgConnection);
    return "";
  } catch (const SysUtils::Exception& e) {
    return DB::AnsiToUtf8(e.Message());
  }
}

}  // namespace

std::string DefaultDataDir() {
  return QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation).toStdString();
}

TDemoData EnsureDemoData(const std::string& Dir, int Orders,
                         const std::function<void(const std::string&)>& Progress, const std::string& PgConnection) {
  TDemoData d;
  fs::create_directories(Dir);
  d.Dir = fs::absolute(Dir).lexically_normal().string();
  d.FirebirdFile = (fs::path(d.Dir) / "sample.fdb").string();
  d.SQLiteFile = (fs::path(d.Dir) / "sample.db").string();
  d.FilterDir = (fs::path(d.Dir) / "filters").string();
  d.FormFile = (fs::path(d.Dir) / kFormFileName).string();

  if (!fs::exists(d.FirebirdFile)) Progress("Creating the Firebird sample database " + d.FirebirdFile + " ...");
  d.FirebirdError = EnsureDatabase(Sample::TEngine::Firebird, d.FirebirdFile, Orders);
  if (!fs::exists(d.SQLiteFile)) Progress("Creating the SQLite sample database " + d.SQLiteFile + " ...");
  d.SQLiteError = EnsureDatabase(Sample::TEngine::SQLite, d.SQLiteFile, Orders);

  fs::create_directories(d.FilterDir);
  for (const TSavedFilter& f : SavedFilters()) {
    const std::string path = (fs::path(d.FilterDir) / f.File).string();
    // The user's own changes to a saved filter stay.
    if (!fs::exists(path)) WriteSavedFilter(f, path);
  }
  d.SampleFilter = (fs::path(d.FilterDir) / SavedFilters().front().File).string();

  d.QtSqlDatabase = PgConnection.empty() ? "SQLite: " + d.SQLiteFile : "PostgreSQL: " + ShownConnection(PgConnection);
  d.QtSqlError = OpenQtSql(d, PgConnection, Orders, Progress);
  return d;
}

}  // namespace kytdemo
