// kytfilter db: the columns and rows of a statement through one of the four query
// kinds, as the filter components see them.
#include <QCoreApplication>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>

#include "apps/kytfilter/Cli.h"
#include "apps/kytfilter/CsvRows.h"
#include "dataaccess/bde/BDE.h"
#include "dataaccess/bde/DBTables.h"
#include "dataaccess/db/DBText.h"
#include "dataaccess/ibobjects/IBODataset.h"
#include "dataaccess/ibobjects/IB_Components.h"
#include "dataaccess/qtsql/QtSqlDataSet.h"
#include "dataaccess/sample/QtSqlConnect.h"

namespace kytcli {

namespace {

const char* kUsage =
    "kytfilter db columns|rows (--variant ibo|ibd|bde | --variant qtsql --driver QSQLITE|QPSQL|QIBASE) "
    "--database DB --sql STATEMENT [--csv OUT]";

// The name of the Qt SQL connection the qtsql variant opens.
const char* kConnection = "kytfilter-db";

struct TOptions {
  std::string verb, variant, driver, database, sql, csv;
  bool hasCsv = false;
};

TOptions ParseOptions(const Args& args) {
  if (args.empty() || (args[0] != "columns" && args[0] != "rows")) throw UsageError(kUsage);
  TOptions o;
  o.verb = args[0];
  std::map<std::string, std::string*> optionSlots = {
      {"--variant", &o.variant}, {"--driver", &o.driver}, {"--database", &o.database},
      {"--sql", &o.sql},         {"--csv", &o.csv}};
  for (size_t i = 1; i < args.size(); i += 2) {
    auto it = optionSlots.find(args[i]);
    if (it == optionSlots.end() || i + 1 >= args.size() || (it->first == "--csv" && o.verb != "rows"))
      throw UsageError(kUsage);
    *it->second = args[i + 1];
    if (it->first == "--csv") o.hasCsv = true;
  }
  const bool qtsql = o.variant == "qtsql";
  if ((o.variant != "ibo" && o.variant != "ibd" && o.variant != "bde" && !qtsql) || o.database.empty() ||
      o.sql.empty() || qtsql != !o.driver.empty() ||
      (qtsql && o.driver != "QSQLITE" && o.driver != "QPSQL" && o.driver != "QIBASE"))
    throw UsageError(kUsage);
  // The library's text is Windows-1252; the command line's is UTF-8. Qt SQL takes the
  // database's name as the system gives it.
  if (!qtsql) o.database = ToAnsi(o.database, "--database");
  o.sql = ToAnsi(o.sql, "--sql");
  return o;
}

std::string Line(const std::vector<std::string>& Fields) {
  std::string out;
  for (size_t i = 0; i < Fields.size(); ++i) out += (i ? "\t" : "") + DB::AnsiToUtf8(Fields[i]);
  return out + "\n";
}

// The base table and field of each output column, as the catalogue asks the engine.
std::vector<std::pair<std::string, std::string>> BaseColumns(DBTables::TQuery& Query, const std::string& Sql) {
  using namespace BDE;
  std::vector<std::pair<std::string, std::string>> out;
  hDBIStmt stmt = nullptr;
  hDBICur cur = nullptr;
  try {
    DBTables::Check(DbiQAlloc(Query.DBHandle(), qrylangSQL, &stmt));
    DBTables::Check(DbiQPrepare(stmt, Sql.c_str()));
    DBTables::Check(DbiQGetBaseDescs(stmt, &cur));
    STMTBaseDesc d;
    DBIResult rc;
    while ((rc = DbiGetNextRecord(cur, dbiNOLOCK, &d, nullptr)) == DBIERR_NONE)
      out.emplace_back(d.szTableName, d.szFieldName);
    if (rc != DBIERR_EOF) DBTables::Check(rc);
  } catch (...) {
    if (stmt) DbiQFree(&stmt);
    if (cur) DbiCloseCursor(&cur);
    throw;
  }
  DBTables::Check(DbiQFree(&stmt));
  DBTables::Check(DbiCloseCursor(&cur));
  return out;
}

std::unique_ptr<DB::TQueryDataSet> OpenDataSet(const TOptions& o) {
  std::unique_ptr<DB::TQueryDataSet> q;
  if (o.variant == "ibd")
    q = std::make_unique<IBODataset::TIBOQuery>(nullptr);
  else if (o.variant == "qtsql")
    q = std::make_unique<QtSqlDataSet::TQtSqlQuery>(nullptr);
  else
    q = std::make_unique<DBTables::TQuery>(nullptr);
  q->SetDatabaseName(o.variant == "qtsql" ? std::string(kConnection) : o.database);
  q->SetRequestLive(false);
  q->SQL()->SetText(o.sql);
  q->Open();
  return q;
}

std::string Columns(const TOptions& o) {
  std::string out;
  if (o.variant == "ibo") {
    IB_Components::TIB_Query q(nullptr);
    q.SetDatabaseName(o.database);
    q.SQL()->SetText(o.sql);
    q.Prepare();
    for (int i = 0; i < q.FieldCount(); ++i) {
      const auto* c = q.Columns(i);
      out += Line({c->FieldName(), c->SQLName(), c->RelName(), std::to_string(c->SQLType()),
                   std::to_string(c->SQLSubType()), std::to_string(c->SQLLen())});
    }
    return out;
  }
  std::unique_ptr<DB::TQueryDataSet> q = OpenDataSet(o);
  std::vector<std::pair<std::string, std::string>> bases;
  if (o.variant == "bde") bases = BaseColumns(static_cast<DBTables::TQuery&>(*q), o.sql);
  for (int i = 0; i < q->FieldCount(); ++i) {
    const DB::TField* f = q->Fields(i);
    std::vector<std::string> fields = {f->FullName(), std::to_string(f->DataType()), std::to_string(f->DataSize()),
                                       f->DisplayLabel()};
    if (o.variant == "ibd") {
      const auto* c = static_cast<IBODataset::TIBOQuery&>(*q).InternalDataset()->Columns(i);
      fields.push_back(c->SQLName());
      fields.push_back(c->RelName());
    } else if (o.variant == "qtsql") {
      const auto& query = static_cast<QtSqlDataSet::TQtSqlQuery&>(*q);
      fields.push_back(query.BaseTable(i));
      fields.push_back(query.BaseColumn(i));
    } else {
      bool has = static_cast<size_t>(i) < bases.size();
      fields.push_back(has ? bases[static_cast<size_t>(i)].first : "");
      fields.push_back(has ? bases[static_cast<size_t>(i)].second : "");
    }
    out += Line(fields);
  }
  return out;
}

// The rows of the statement as CSV, through Write.
void Rows(const TOptions& o, const TWriteProc& Write) {
  if (o.variant == "ibo") {
    IB_Components::TIB_Query q(nullptr);
    q.SetDatabaseName(o.database);
    q.SQL()->SetText(o.sql);
    q.Open();
    WriteCsvRows(q, Write);
  } else {
    std::unique_ptr<DB::TQueryDataSet> q = OpenDataSet(o);
    WriteCsvRows(*q, Write);
  }
}

}  // namespace

int RunDb(const Args& args) {
  TOptions o = ParseOptions(args);
  try {
    // Qt SQL loads its drivers through the application object; its connection is
    // removed before the application ends.
    std::unique_ptr<QCoreApplication> app;
    std::unique_ptr<QtSqlConnect::TConnection> connection;
    if (o.variant == "qtsql") {
      static int argc = 1;
      static char name[] = "kytfilter";
      static char* argv[] = {name, nullptr};
      if (QCoreApplication::instance() == nullptr) app = std::make_unique<QCoreApplication>(argc, argv);
      connection = std::make_unique<QtSqlConnect::TConnection>(kConnection, o.driver, o.database);
    }
    if (o.verb == "columns")
      WriteOutput(Columns(o));
    else if (o.hasCsv)
      WriteFileWhole(o.csv, [&](const TWriteProc& Write) { Rows(o, Write); });
    else
      Rows(o, [](const std::string& Bytes) { WriteOutput(Bytes); });
  } catch (const SysUtils::Exception& e) {
    throw Failure("kytfilter: " + DB::AnsiToUtf8(e.Message()));
  } catch (const std::filesystem::filesystem_error& e) {
    throw Failure(std::string("kytfilter: ") + e.what());
  }
  return 0;
}

}  // namespace kytcli
