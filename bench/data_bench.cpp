// Statement preparation and the item model's first screen against tables of 10 and
// 1,000,000 rows, on both engines.
//
// Preparing "select * from T" and listing its columns must not depend on the number
// of rows (nothing is fetched, or only the first row); the model must show its first
// screen of a 1,000,000-row query at once. The databases are built on first run and
// cached under /tmp/kyt-data-bench (delete the folder to rebuild them).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

#include "dataaccess/bde/DBTables.h"
#include "dataaccess/ibobjects/IBODataset.h"
#include "dataaccess/ibobjects/IB_Components.h"
#include "dataaccess/model/DataSetModel.h"

namespace {

namespace fs = std::filesystem;

const char* kDir = "/tmp/kyt-data-bench";
constexpr int kBigRows = 1000000;

std::string FirebirdFile() { return std::string(kDir) + "/rows.fdb"; }
std::string SqliteFile() { return std::string(kDir) + "/rows.db"; }

// Both tables alike: SMALL with 10 rows, BIG with 1,000,000.
const char* kColumns =
    "ID INTEGER NOT NULL PRIMARY KEY, NAME VARCHAR(40), AMOUNT NUMERIC(15,2), CREATED DATE, "
    "FLAG BOOLEAN, NOTE VARCHAR(100)";

void BuildFirebird(const std::string& File) {
  std::string part = File + ".part";
  fs::remove(part);
  std::string script = std::string("create table SMALL (") + kColumns + ");\ncreate table BIG (" + kColumns + ");\n";
  IB_Components::TIB_Connection::CreateDatabase(part, script, /*ForcedWrites=*/false);
  {
    IB_Components::TIB_Connection c(nullptr);
    c.SetDatabaseName(part);
    for (auto [table, rows] : {std::pair{"SMALL", 10}, std::pair{"BIG", kBigRows}}) {
      // One statement fills the table: a loop in the engine, no round trips.
      c.ExecuteImmediate(std::string("execute block as declare i integer = 0; begin while (i < ") +
                         std::to_string(rows) + ") do begin i = i + 1; insert into " + table +
                         " values (:i, 'Name ' || :i, :i * 1.25, dateadd(mod(:i, 3650) day to date '2015-01-01'), "
                         "mod(:i, 2) = 0, iif(mod(:i, 7) = 0, null, 'note of row ' || :i)); end end");
    }
  }
  fs::rename(part, File);
}

void BuildSqlite(const std::string& File) {
  std::string part = File + ".part";
  fs::remove(part);
  std::string script = std::string("create table SMALL (") + kColumns + ");\ncreate table BIG (" + kColumns + ");\n";
  for (auto [table, rows] : {std::pair{"SMALL", 10}, std::pair{"BIG", kBigRows}})
    script += std::string("insert into ") + table +
              " with recursive c(i) as (select 1 union all select i + 1 from c where i < " + std::to_string(rows) +
              ") select i, 'Name ' || i, i * 1.25, date('2015-01-01', '+' || (i % 3650) || ' days'), i % 2 = 0, "
              "case when i % 7 = 0 then null else 'note of row ' || i end from c;\n";
  DBTables::CreateDatabase(part, script);
  fs::rename(part, File);
}

void EnsureDatabases() {
  static bool done = false;
  if (done) return;
  fs::create_directories(kDir);
  auto build = [](const std::string& File, void (*Build)(const std::string&)) {
    if (fs::exists(File)) return;
    auto t0 = std::chrono::steady_clock::now();
    Build(File);
    std::fprintf(stderr, "built %s in %.1f s\n", File.c_str(),
                 std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count());
  };
  build(FirebirdFile(), BuildFirebird);
  build(SqliteFile(), BuildSqlite);
  done = true;
}

// Keeps the attachment open across iterations, so the figures are of the statement.
struct TKeepAttached {
  TKeepAttached() : FConnection(nullptr) {
    FConnection.SetDatabaseName(FirebirdFile());
    FConnection.Connect();
  }
  IB_Components::TIB_Connection FConnection;
};

// Times Step on the 10-row and on the 1,000,000-row table in turn within each
// iteration, so a load that changes during the run weighs on both alike, and reports
// both and their ratio (big over small).
template <typename TStep>
void Alternate(benchmark::State& State, TStep&& Step) {
  using Clock = std::chrono::steady_clock;
  Clock::duration small{}, big{};
  for (auto _ : State) {
    auto t0 = Clock::now();
    Step("select * from SMALL");
    auto t1 = Clock::now();
    Step("select * from BIG");
    small += t1 - t0;
    big += Clock::now() - t1;
  }
  double n = static_cast<double>(State.iterations());
  State.counters["small_us"] = std::chrono::duration<double, std::micro>(small).count() / n;
  State.counters["big_us"] = std::chrono::duration<double, std::micro>(big).count() / n;
  State.counters["ratio"] = std::chrono::duration<double>(big).count() / std::chrono::duration<double>(small).count();
}

void BM_NativePrepareColumns(benchmark::State& State) {
  EnsureDatabases();
  TKeepAttached keep;
  IB_Components::TIB_Query q(nullptr);
  q.SetDatabaseName(FirebirdFile());
  Alternate(State, [&](const char* Sql) {
    q.SQL()->SetText(Sql);
    q.Prepare();
    size_t names = 0;
    for (int i = 0; i < q.FieldCount(); ++i) names += q.Columns(i)->FieldName().size() + q.Columns(i)->RelName().size();
    benchmark::DoNotOptimize(names);
    q.Unprepare();
  });
}

// The dataset queries open (run the statement and read its first row), as the
// catalogue's scratch query does.
template <typename TDataSetQuery>
void OpenColumns(benchmark::State& State, const std::string& File) {
  EnsureDatabases();
  TKeepAttached keep;
  TDataSetQuery q(nullptr);
  q.SetDatabaseName(File);
  q.SetRequestLive(false);
  Alternate(State, [&](const char* Sql) {
    q.SQL()->SetText(Sql);
    q.Open();
    size_t names = 0;
    for (int i = 0; i < q.FieldCount(); ++i) names += q.Fields(i)->FullName().size() + q.Fields(i)->DataType();
    benchmark::DoNotOptimize(names);
    q.Close();
  });
}

void BM_IBODatasetOpenColumns(benchmark::State& State) { OpenColumns<IBODataset::TIBOQuery>(State, FirebirdFile()); }
void BM_BDEQueryOpenColumns(benchmark::State& State) { OpenColumns<DBTables::TQuery>(State, SqliteFile()); }

// Open a query of 1,000,000 rows, give it to the model and read the cells of a first
// screen of 40 rows, as a view does.
template <typename TDataSetQuery>
void ModelFirstScreen(benchmark::State& State, const std::string& File) {
  EnsureDatabases();
  TKeepAttached keep;
  for (auto _ : State) {
    TDataSetQuery q(nullptr);
    q.SetDatabaseName(File);
    q.SQL()->SetText("select * from BIG order by ID");
    q.Open();
    DataSetModel::TDataSetModel model;
    model.SetDataSet(&q);
    size_t chars = 0;
    for (int r = 0; r < 40; ++r)
      for (int c = 0; c < model.columnCount(); ++c) chars += model.data(model.index(r, c)).toString().size();
    if (model.rowCount() < 40) State.SkipWithError("the first batch is short");
    benchmark::DoNotOptimize(chars);
  }
}

void BM_ModelFirstScreenFirebird(benchmark::State& State) {
  ModelFirstScreen<IBODataset::TIBOQuery>(State, FirebirdFile());
}
void BM_ModelFirstScreenSqlite(benchmark::State& State) { ModelFirstScreen<DBTables::TQuery>(State, SqliteFile()); }

}  // namespace

BENCHMARK(BM_NativePrepareColumns)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_IBODatasetOpenColumns)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BDEQueryOpenColumns)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ModelFirstScreenFirebird)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ModelFirstScreenSqlite)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
