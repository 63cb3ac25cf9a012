// The filter components (the Qt SQL one on SQLite through QSQLITE, and on PostgreSQL
// through QPSQL when a server is given): what Execute adds to reopening the query, and
// building the field catalogue of a wide join over a large table.
//
// 1. Execute, timed from the accept of the real dialog (off-screen, scripted) until it
//    returns with the query reopened, against closing the query, setting the same
//    statement and opening it, on the sample database (10,000 orders). Goal: Execute
//    adds at most 20 %. "ratio" counts up to the return of Execute (dialog freed);
//    "to_reopened_ratio" up to the moment the new statement is open (dataset variants);
//    "dialog_us" is the dialog's accept command and the end of its modal loop; "added_us"
//    what Execute costs beyond the reopen, per call.
// 2. InitCamposData on a query that joins 10 tables of 20 columns, the largest of
//    1,000,000 rows. Goal: under 100 ms; the scratch queries only prepare or open.
//    On a closed query the catalogue opens it first; "plain_open_ms" is what that Open
//    costs by itself (on PostgreSQL, Qt reads a result whole: the 1,000,000 rows).
//
// The databases are built on first run and cached under /tmp/kyt-component-bench
// (delete the folder to rebuild them). On PostgreSQL (the connection string in
// KYT_PG_CONNECTION, else the one scripts/postgres-server start wrote) they are made in
// the schema "kyt_component_bench" on first run and kept there; without a server the
// PostgreSQL benchmarks are skipped with the reason.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "components/kytBDEFilter.h"
#include "components/kytIBDFilter.h"
#include "components/kytIBOFilter.h"
#include "components/kytQtSqlFilter.h"
#include "dataaccess/sample/QtSqlConnect.h"
#include "dataaccess/sample/Sample.h"
#include "filterdialog/kytSQLFilterForm.h"
#include "host/ui/Dialogs.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using namespace kytSQLFilterStruc;

const char* kDir = "/tmp/kyt-component-bench";

// The scripted host, noting when each modal loop has ended, so that the time of the
// dialog's own accept and close can be told from the component's.
class TTimedHost : public Dialogs::TScriptedUIHost {
 public:
  int ShowModal(Forms::TForm& Form) override {
    const int result = TScriptedUIHost::ShowModal(Form);
    Returned = Clock::now();
    return result;
  }
  Clock::time_point Returned;
};

TTimedHost& Host() {
  static TTimedHost host;
  return host;
}

void Built(const std::string& File, const std::function<void(const std::string&)>& Build) {
  if (fs::exists(File)) return;
  fs::create_directories(kDir);
  const std::string part = File + ".part";
  fs::remove(part);
  auto t0 = Clock::now();
  Build(part);
  fs::rename(part, File);
  std::fprintf(stderr, "built %s in %.1f s\n", File.c_str(),
               std::chrono::duration<double>(Clock::now() - t0).count());
}

std::string SampleFile(Sample::TEngine Engine) {
  const std::string file = std::string(kDir) + (Engine == Sample::TEngine::Firebird ? "/sample.fdb" : "/sample.db");
  Built(file, [Engine](const std::string& Part) { Sample::CreateSampleDatabase(Engine, Part); });
  return file;
}

// What a query of class Q names to reach the database in File: the file itself, or for
// the Qt SQL query a QSQLITE connection named after the file, opened on first use.
template <class Q>
std::string DatabaseOf(const std::string& File) {
  if constexpr (std::is_base_of_v<QtSqlDataSet::TQtSqlQuery, Q>) {
    const QString name = QString::fromStdString(File);
    if (!QSqlDatabase::contains(name)) {
      QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", name);
      db.setDatabaseName(name);
      if (!db.open()) std::fprintf(stderr, "%s\n", db.lastError().text().toLocal8Bit().constData());
    }
  }
  return File;
}

// ---- PostgreSQL ----------------------------------------------------------------------------

const char* kPgConnection = "kyt-component-bench-pg";
const char* kPgSchema = "kyt_component_bench";

std::string PgServer() {
  if (const char* env = std::getenv("KYT_PG_CONNECTION"); env != nullptr && *env != '\0') return env;
  std::ifstream in("/tmp/kyt-postgres-server/connection");
  std::string line;
  std::getline(in, line);
  return line;
}

void PgRun(QSqlQuery& Query, const std::string& Sql) {
  if (!Query.exec(QString::fromStdString(Sql)))
    throw std::runtime_error(Sql.substr(0, 80) + ": " + Query.lastError().text().toStdString());
}

// The bench's schema first on the search path of a connection to the server.
void UseBenchSchema(QSqlDatabase& Db) {
  QSqlQuery q(Db);
  PgRun(q, std::string("CREATE SCHEMA IF NOT EXISTS ") + kPgSchema);
  PgRun(q, std::string("SET search_path TO ") + kPgSchema);
}

bool PgHas(QSqlDatabase& Db, const char* Table) {
  QSqlQuery q(Db);
  PgRun(q, std::string("SELECT to_regclass('") + Table + "') IS NOT NULL");
  return q.next() && q.value(0).toBool();
}

// The name of the bench's connection to the PostgreSQL server, with Build run first
// when Table is not in the bench's schema. Empty, with the reason in Why, when there is
// no server or it cannot be reached.
std::string PgDatabase(const char* Table, const std::function<void(QSqlDatabase&)>& Build, std::string& Why) {
  const std::string server = PgServer();
  if (server.empty()) {
    Why = "no PostgreSQL server: set KYT_PG_CONNECTION or run scripts/postgres-server start";
    return "";
  }
  try {
    QSqlDatabase db = QSqlDatabase::contains(kPgConnection) ? QSqlDatabase::database(kPgConnection)
                                                             : QtSqlConnect::Open(kPgConnection, "QPSQL", server);
    UseBenchSchema(db);
    if (!PgHas(db, Table)) {
      const auto t0 = Clock::now();
      Build(db);
      std::fprintf(stderr, "built %s.%s on PostgreSQL in %.1f s\n", kPgSchema, Table,
                   std::chrono::duration<double>(Clock::now() - t0).count());
    }
    return kPgConnection;
  } catch (const std::exception& E) {
    Why = E.what();
    return "";
  }
}

void BuildPgSample(QSqlDatabase&) {
  // The sample maker opens its own connection: the schema goes in its search path.
  Sample::CreateSampleDatabase(Sample::TEngine::PostgreSQL, PgServer() + " options='-c search_path=" + kPgSchema + "'");
}

// ---- 1. Execute against a plain reopen ----------------------------------------------------

const char* kOrdersSQL =
    "SELECT ORDERS.ID, ORDERS.ORDER_DATE, ORDERS.TOTAL, ORDERS.STATUS, CUSTOMERS.NAME FROM ORDERS JOIN CUSTOMERS ON "
    "CUSTOMERS.ID = ORDERS.CUSTOMER_ID";

FilterRec Criterion(const char* Table, const char* Field, const char* Op, const char* Value, int Operation) {
  FilterRec r{};
  r.TableName.Set(Table);
  r.FieldName.Set(Field);
  r.Operator.Set(Op);
  r.Value.Set(Value);
  r.Operation = Operation;
  return r;
}

// A dataset query that notes when its statement has been opened again (its first row
// read), so that the time up to the reopened query can be told from what Execute does
// after it (keeping the lines, freeing the dialog). The native query has no such point
// to hook into.
template <class Q>
class TOpenTimed : public Q {
 public:
  using Q::Q;
  Clock::time_point Opened;

 protected:
  std::unique_ptr<DB::TCursor> OpenCursor(std::vector<DB::TFieldDef>& Defs) override {
    return std::make_unique<TFirstRow>(Q::OpenCursor(Defs), Opened);
  }

 private:
  class TFirstRow : public DB::TCursor {
   public:
    TFirstRow(std::unique_ptr<DB::TCursor> Inner, Clock::time_point& At) : FInner(std::move(Inner)), FAt(At) {}
    bool Fetch(std::vector<DB::TValue>& Row) override {
      const bool more = FInner->Fetch(Row);
      if (!FDone) FAt = Clock::now();
      FDone = true;
      return more;
    }

   private:
    std::unique_ptr<DB::TCursor> FInner;
    Clock::time_point& FAt;
    bool FDone = false;
  };
};

template <class Q>
constexpr bool kTimed = std::is_base_of_v<DB::TDataSet, Q>;

// Database: what the query's database name is set to.
template <class F, class Q>
void ExecuteAgainstReopen(benchmark::State& State, const std::string& Database) {
  using TQueryClass = std::conditional_t<kTimed<Q>, TOpenTimed<Q>, Q>;
  Classes::TComponent owner(nullptr);
  auto* query = new TQueryClass(&owner);
  query->SetDatabaseName(Database);
  query->SQL()->SetText(kOrdersSQL);
  auto* filter = new F(&owner);
  filter->SetDataSet(query);
  Classes::TStringList order;
  order.Add("ORDERS.TOTAL");
  filter->SetFixedOrder(&order);
  auto opened = [&] {
    if constexpr (kTimed<Q>) return query->Opened;
    else return Clock::now();
  };

  // The dialog shows these lines and the user accepts them as they are.
  Clock::time_point accepted;
  Clock::duration dialog{}, toReopened{}, execute{};
  auto run = [&] {
    Filter = {Criterion("ORDERS.", "STATUS", "=", "paid", 1), Criterion("ORDERS.", "TOTAL", ">=", "100", -1)};
    Host().Modal.push_back([&](Forms::TForm& Form) {
      auto& form = dynamic_cast<kytSQLFilterForm::TformFilter&>(Form);
      // A user accepts a dialog that is shown and painted: let it get there first.
      QCoreApplication::processEvents();
      QCoreApplication::processEvents();
      accepted = Clock::now();
      form.btConfirmClick(&form);
    });
    if (!filter->Execute()) State.SkipWithError("Execute failed");
    const Clock::time_point done = Clock::now();
    dialog += Host().Returned - accepted;
    toReopened += (kTimed<Q> ? opened() : done) - accepted;
    execute += done - accepted;
  };
  run();  // builds the catalogue, which later calls reuse
  const std::string sql = query->SQL()->Text();
  dialog = toReopened = execute = {};

  Clock::duration reopen{}, reopenToOpened{};
  for (auto _ : State) {
    run();
    const Clock::time_point t0 = Clock::now();
    query->Close();
    query->SQL()->SetText(sql);
    query->Open();
    const Clock::time_point done = Clock::now();
    reopen += done - t0;
    reopenToOpened += (kTimed<Q> ? opened() : done) - t0;
  }
  const double n = static_cast<double>(State.iterations());
  auto us = [n](Clock::duration D) { return std::chrono::duration<double, std::micro>(D).count() / n; };
  auto ratio = [](Clock::duration A, Clock::duration B) {
    return std::chrono::duration<double>(A).count() / std::chrono::duration<double>(B).count();
  };
  // execute: accept to the return of Execute, dialog freed; reopen: close, text, open.
  State.counters["execute_us"] = us(execute);
  State.counters["reopen_us"] = us(reopen);
  State.counters["ratio"] = ratio(execute, reopen);
  // What Execute costs beyond the reopen: the dialog's accept, the statement text, freeing it.
  State.counters["added_us"] = us(execute - reopen);
  // dialog: the accept command and the end of the modal loop (the dialog's and the host's).
  State.counters["dialog_us"] = us(dialog);
  // Up to the moment the new statement is open (dataset variants only).
  if (kTimed<Q>) State.counters["to_reopened_ratio"] = ratio(toReopened, reopenToOpened);
}

void BM_ExecuteIBO(benchmark::State& State) {
  ExecuteAgainstReopen<kytIBOFilter::TkytIBOFilter, IB_Components::TIB_Query>(
      State, SampleFile(Sample::TEngine::Firebird));
}
void BM_ExecuteIBD(benchmark::State& State) {
  ExecuteAgainstReopen<kytIBDFilter::TkytIBDFilter, IBODataset::TIBOQuery>(State,
                                                                           SampleFile(Sample::TEngine::Firebird));
}
void BM_ExecuteBDE(benchmark::State& State) {
  ExecuteAgainstReopen<kytBDEFilter::TkytBDEFilter, DBTables::TQuery>(State, SampleFile(Sample::TEngine::SQLite));
}
void BM_ExecuteQtSql(benchmark::State& State) {
  ExecuteAgainstReopen<kytQtSqlFilter::TkytQtSqlFilter, QtSqlDataSet::TQtSqlQuery>(
      State, DatabaseOf<QtSqlDataSet::TQtSqlQuery>(SampleFile(Sample::TEngine::SQLite)));
}
void BM_ExecuteQtSqlPostgres(benchmark::State& State) {
  std::string why;
  const std::string db = PgDatabase("orders", BuildPgSample, why);
  if (db.empty()) return State.SkipWithError(why.c_str());
  ExecuteAgainstReopen<kytQtSqlFilter::TkytQtSqlFilter, QtSqlDataSet::TQtSqlQuery>(State, db);
}
BENCHMARK(BM_ExecuteIBO)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_ExecuteIBD)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_ExecuteBDE)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_ExecuteQtSql)->Unit(benchmark::kMicrosecond)->MinTime(2.0);
BENCHMARK(BM_ExecuteQtSqlPostgres)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// ---- 2. The catalogue of a wide join ------------------------------------------------------------

constexpr int kTables = 10;
constexpr int kColumns = 20;
constexpr int kBigRows = 1000000;
constexpr int kSmallRows = 1000;

// Table Tk has columns Tk_C00 (the key), Tk_C01 (a key of the next table) and 18 more
// of mixed types; every name is distinct, so every column becomes a catalogue entry.
std::string Column(int Table, int Col) {
  char name[16];
  std::snprintf(name, sizeof name, "T%d_C%02d", Table, Col);
  return name;
}
const char* kTypes[] = {"VARCHAR(30)", "INTEGER", "DOUBLE PRECISION", "DATE", "VARCHAR(80)", "BIGINT"};

std::string WideSchema(bool Firebird) {
  std::string s;
  for (int t = 0; t < kTables; ++t) {
    s += "CREATE TABLE T" + std::to_string(t) + " (" + Column(t, 0) + " INTEGER NOT NULL PRIMARY KEY, " +
         Column(t, 1) + " INTEGER";
    for (int c = 2; c < kColumns; ++c) {
      std::string type = kTypes[c % 6];
      if (!Firebird && type == "DOUBLE PRECISION") type = "DOUBLE";
      s += ", " + Column(t, c) + " " + type;
    }
    s += ");\n";
  }
  return s;
}

// The values of row :i (Firebird) or i (SQLite, PostgreSQL) of table T.
std::string Values(int Table, Sample::TEngine Engine) {
  const bool Firebird = Engine == Sample::TEngine::Firebird, pg = Engine == Sample::TEngine::PostgreSQL;
  const std::string i = Firebird ? ":i" : "i";
  std::string v = i + ", " + (Firebird ? "mod(:i, " : "(i % ") + std::to_string(kSmallRows) + ") + 1";
  for (int c = 2; c < kColumns; ++c) {
    switch (c % 6) {
      case 0: v += ", 'text ' || " + i; break;
      case 1: v += ", " + i + " * " + std::to_string(c); break;
      case 2: v += ", " + i + " * 0.5"; break;
      case 3:
        v += Firebird ? ", dateadd(mod(:i, 3650) day to date '2015-01-01')"
             : pg     ? ", date '2015-01-01' + i % 3650"
                      : ", date('2015-01-01', '+' || (i % 3650) || ' days')";
        break;
      case 4: v += ", 'a longer text of row ' || " + i; break;
      case 5: v += ", " + i + (pg ? "::bigint" : "") + " * 1000003"; break;
    }
  }
  (void)Table;
  return v;
}

void BuildWideFirebird(const std::string& File) {
  IB_Components::TIB_Connection::CreateDatabase(File, WideSchema(true), /*ForcedWrites=*/false);
  IB_Components::TIB_Connection c(nullptr);
  c.SetDatabaseName(File);
  for (int t = 0; t < kTables; ++t)
    c.ExecuteImmediate("execute block as declare i integer = 0; begin while (i < " +
                       std::to_string(t == 0 ? kBigRows : kSmallRows) + ") do begin i = i + 1; insert into T" +
                       std::to_string(t) + " values (" + Values(t, Sample::TEngine::Firebird) + "); end end");
}

void BuildWideSqlite(const std::string& File) {
  std::string script = WideSchema(false);
  for (int t = 0; t < kTables; ++t)
    script += "INSERT INTO T" + std::to_string(t) + " WITH RECURSIVE c(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM c WHERE i < " +
              std::to_string(t == 0 ? kBigRows : kSmallRows) + ") SELECT " + Values(t, Sample::TEngine::SQLite) +
              " FROM c;\n";
  DBTables::CreateDatabase(File, script);
}

// In one transaction, T9 last: the bench's schema has all ten tables or none.
void BuildWidePostgres(QSqlDatabase& Db) {
  QSqlQuery q(Db);
  PgRun(q, "BEGIN");
  const std::string script = WideSchema(true);
  for (size_t at = 0, end; (end = script.find(";\n", at)) != std::string::npos; at = end + 2)
    PgRun(q, script.substr(at, end - at));
  for (int t = 0; t < kTables; ++t)
    PgRun(q, "INSERT INTO T" + std::to_string(t) + " SELECT " + Values(t, Sample::TEngine::PostgreSQL) +
                 " FROM generate_series(1, " + std::to_string(t == 0 ? kBigRows : kSmallRows) + ") AS g(i)");
  PgRun(q, "COMMIT");
  for (int t = 0; t < kTables; ++t) PgRun(q, "ANALYZE T" + std::to_string(t));
}

// Two columns of each table; T0 (1,000,000 rows) joined to each other by key.
std::string WideJoin() {
  std::string select = "SELECT ", from = " FROM T0";
  for (int t = 0; t < kTables; ++t) {
    select += (t ? ", " : "") + Column(t, 0) + ", " + Column(t, 2);
    if (t > 0) from += " JOIN T" + std::to_string(t) + " ON " + Column(t, 0) + " = " + Column(0, 1);
  }
  return select + from;
}

std::string WideFile(bool Firebird) {
  const std::string file = std::string(kDir) + (Firebird ? "/wide.fdb" : "/wide.db");
  Built(file, Firebird ? BuildWideFirebird : BuildWideSqlite);
  return file;
}

// Database: what the query's database name is set to.
template <class F, class Q>
void Catalogue(benchmark::State& State, const std::string& Database, bool OpenFirst) {
  Classes::TComponent owner(nullptr);
  auto* query = new Q(&owner);
  query->SetDatabaseName(Database);
  query->SQL()->SetText(WideJoin());
  auto* filter = new F(&owner);
  filter->SetDataSet(query);
  int entries = 0;
  Clock::duration plainOpen{};
  for (auto _ : State) {
    State.PauseTiming();
    delete Campos;
    Campos = nullptr;
    if (OpenFirst) {
      query->Open();
    } else {
      // What the application's own first Open of the statement costs: a closed query
      // is opened by the catalogue, so this part of its time is not the catalogue's.
      const Clock::time_point t0 = Clock::now();
      query->Open();
      plainOpen += Clock::now() - t0;
      query->Close();
    }
    State.ResumeTiming();
    filter->InitCamposData(Campos, false);
    entries = Campos->Count();
  }
  State.counters["entries"] = entries;
  if (!OpenFirst)
    State.counters["plain_open_ms"] =
        std::chrono::duration<double, std::milli>(plainOpen).count() / static_cast<double>(State.iterations());
  if (entries != kTables * kColumns) State.SkipWithError("the catalogue is not complete");
}

void BM_CatalogueIBO(benchmark::State& S, bool Open) {
  Catalogue<kytIBOFilter::TkytIBOFilter, IB_Components::TIB_Query>(S, WideFile(true), Open);
}
void BM_CatalogueIBD(benchmark::State& S, bool Open) {
  Catalogue<kytIBDFilter::TkytIBDFilter, IBODataset::TIBOQuery>(S, WideFile(true), Open);
}
void BM_CatalogueBDE(benchmark::State& S, bool Open) {
  Catalogue<kytBDEFilter::TkytBDEFilter, DBTables::TQuery>(S, WideFile(false), Open);
}
void BM_CatalogueQtSql(benchmark::State& S, bool Open) {
  Catalogue<kytQtSqlFilter::TkytQtSqlFilter, QtSqlDataSet::TQtSqlQuery>(
      S, DatabaseOf<QtSqlDataSet::TQtSqlQuery>(WideFile(false)), Open);
}
void BM_CatalogueQtSqlPostgres(benchmark::State& S, bool Open) {
  std::string why;
  const std::string db = PgDatabase("t9", BuildWidePostgres, why);
  if (db.empty()) return S.SkipWithError(why.c_str());
  Catalogue<kytQtSqlFilter::TkytQtSqlFilter, QtSqlDataSet::TQtSqlQuery>(S, db, Open);
}
BENCHMARK_CAPTURE(BM_CatalogueIBO, query_open, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CatalogueIBO, query_closed, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CatalogueIBD, query_open, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CatalogueIBD, query_closed, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CatalogueBDE, query_open, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CatalogueBDE, query_closed, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CatalogueQtSql, query_open, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_CatalogueQtSql, query_closed, false)->Unit(benchmark::kMillisecond);
// Each open of the join reads its 1,000,000 rows whole (QPSQL), outside the timing: few rounds.
BENCHMARK_CAPTURE(BM_CatalogueQtSqlPostgres, query_open, true)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK_CAPTURE(BM_CatalogueQtSqlPostgres, query_closed, false)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  Dialogs::SetUIHost(&Host());
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  Dialogs::SetUIHost(nullptr);
  delete Campos;
  Campos = nullptr;
  return 0;
}
