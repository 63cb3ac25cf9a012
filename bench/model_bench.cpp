// Table discovery on statements with many joins (time per byte should not grow with
// the statement), and a filter file of 10,000 criteria written and read back.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>

#include "filtermodel/kytSQLFilterStruc.h"

namespace {

using namespace kytSQLFilterStruc;

std::string Joins(int n) {
  std::string s = "SELECT A.X FROM ORDERS A, CUSTOMERS C\r\n";
  for (int i = 0; i < n; ++i)
    s += "LEFT JOIN T" + std::to_string(i) + " J" + std::to_string(i) + " ON J" +
         std::to_string(i) + ".ID = A.ID\r\n";
  s += "WHERE A.X > 1\r\n";
  return s;
}

void BM_GetUsedTables(benchmark::State& state) {
  const std::string sql = Joins(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    Classes::TStringList list;
    GetUsedTables(sql, list);
    benchmark::DoNotOptimize(list.Count());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sql.size()));
  state.counters["ns_per_byte"] = benchmark::Counter(
      static_cast<double>(state.iterations() * sql.size()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_GetUsedTables)->Arg(100)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void BM_WriteReadFilter(benchmark::State& state) {
  namespace fs = std::filesystem;
  const std::string file =
      (fs::temp_directory_path() / ("kyt-bench-" + std::to_string(::getpid()) + ".flt")).string();
  FilterArray records(10000);
  for (size_t i = 0; i < records.size(); ++i) {
    records[i].Operation = 1;
  }
  Classes::TStringList order;
  order.Add("ORDERS.ID");
  for (auto _ : state) {
    WriteFilter(file, records, order);
    FilterArray back;
    Classes::TStringList box;
    ReadFilter(file, back, box);
    benchmark::DoNotOptimize(back.size());
  }
  fs::remove(file);
}
BENCHMARK(BM_WriteReadFilter)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
