// Throughput of the SQL-text toolkit on generated statements of 1 kB to 16 MB.
//
// Each statement has many columns, quoted strings with keywords inside, comments and
// nested sub-selects in parentheses, with the WHERE and ORDER BY clauses at the end so
// every scan crosses the whole text. Figures are bytes per second; the Set benchmarks
// also report the peak heap in use during one operation, as a multiple of the
// statement's size.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <map>

#include "sqltext/Parse.h"

#include "bench/HeapCount.h"

namespace {

const std::string& Statement(size_t size) {
  static std::map<size_t, std::string> cache;
  auto it = cache.find(size);
  if (it != cache.end()) return it->second;
  std::string s = "SELECT ";
  const std::string tail =
      "\r\nFROM ORDERS O JOIN CUSTOMERS C ON C.ID = O.CUSTOMER_ID"
      "\r\nWHERE O.TOTAL > 100 AND C.NAME <> 'x'\r\nORDER BY O.ID";
  for (int i = 0; s.size() + tail.size() < size; ++i) {
    switch (i % 4) {
      case 0: s += "O.COL" + std::to_string(i) + ", "; break;
      case 1: s += "'where from order ''q'' ' AS S" + std::to_string(i) + ", "; break;
      case 2: s += "/* where order by */ C.C" + std::to_string(i) + ", "; break;
      default:
        s += "(SELECT MAX(X.V) FROM X WHERE X.K = (SELECT 1 FROM Y ORDER BY 1)) AS N" +
             std::to_string(i) + ", ";
        break;
    }
  }
  s += "1" + tail;
  return cache[size] = std::move(s);
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (long n : {1L << 10, 64L << 10, 1L << 20, 16L << 20}) b->Arg(n);
}

template <void (*Get)(const std::string&, std::string&)>
void BM_Get(benchmark::State& state) {
  const std::string& sql = Statement(static_cast<size_t>(state.range(0)));
  std::string out;
  for (auto _ : state) {
    Get(sql, out);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sql.size()));
}

template <void (*Set)(std::string&, const std::string&)>
void BM_Set(benchmark::State& state) {
  const std::string& sql = Statement(static_cast<size_t>(state.range(0)));
  double peakRatio = 0;
  for (auto _ : state) {
    state.PauseTiming();
    std::string s = sql;
    size_t before = HeapCount::InUse();
    HeapCount::ResetPeak();
    state.ResumeTiming();
    Set(s, "WHERE C.ID = 1");
    benchmark::DoNotOptimize(s);
    state.PauseTiming();
    peakRatio = static_cast<double>(HeapCount::Peak() - before + sql.size()) / sql.size();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sql.size()));
  // Peak of statement plus everything the operation allocated, per statement byte.
  state.counters["peak_x_size"] = peakRatio;
}

void BM_MakeCountSQL(benchmark::State& state) {
  const std::string& sql = Statement(static_cast<size_t>(state.range(0)));
  std::string out;
  for (auto _ : state) {
    Parse::MakeCountSQL(sql, out);
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sql.size()));
}

void BM_MakeClientSQL(benchmark::State& state) {
  const std::string& sql = Statement(static_cast<size_t>(state.range(0)));
  std::string out;
  for (auto _ : state) {
    Parse::MakeClientSQL(sql, out, ':');
    benchmark::DoNotOptimize(out);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sql.size()));
}

template <std::string (*Convert)(const std::string&)>
void BM_Convert(benchmark::State& state) {
  const std::string& sql = Statement(static_cast<size_t>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(Convert(sql));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sql.size()));
}

std::string Wildcards(const std::string& s) { return Parse::convert_wildcards_tosql(s, '#'); }
std::string Escaped(const std::string& s) {
  static std::map<const std::string*, std::string> cache;
  auto it = cache.find(&s);
  if (it == cache.end()) it = cache.emplace(&s, Parse::SetCharValues(s)).first;
  return Parse::GetCharValues(it->second);
}

void BM_matche(benchmark::State& state) {
  const std::string& sql = Statement(static_cast<size_t>(state.range(0)));
  // A pattern that must scan to the end: its only fixed text is the statement's tail.
  const std::string pattern = "select *o.col0*where*order by o.id";
  for (auto _ : state) benchmark::DoNotOptimize(Parse::matche(pattern, sql));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sql.size()));
}

}  // namespace

BENCHMARK(BM_Get<Parse::GetSQLWhere>)->Name("GetSQLWhere")->Apply(Sizes);
BENCHMARK(BM_Get<Parse::GetSQLFrom>)->Name("GetSQLFrom")->Apply(Sizes);
BENCHMARK(BM_Set<Parse::SetSQLWhere>)->Name("SetSQLWhere")->Apply(Sizes);
BENCHMARK(BM_Set<Parse::SetSQLOrder>)->Name("SetSQLOrder")->Apply(Sizes);
BENCHMARK(BM_MakeCountSQL)->Apply(Sizes);
BENCHMARK(BM_MakeClientSQL)->Apply(Sizes);
BENCHMARK(BM_Convert<Wildcards>)->Name("convert_wildcards_tosql")->Apply(Sizes);
BENCHMARK(BM_Convert<Parse::SetCharValues>)->Name("SetCharValues")->Apply(Sizes);
BENCHMARK(BM_Convert<Escaped>)->Name("GetCharValues")->Apply(Sizes);
BENCHMARK(BM_matche)->Apply(Sizes);

// Freshly mapped memory costs a page fault per 4 kB, which at 16 MB outweighs the work
// itself. With --keep-heap the allocator keeps freed memory for reuse, as a long-running
// application's heap does, so the figures measure the toolkit; without it they include
// the kernel's first touch of new pages.
int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::string(argv[i]) == "--keep-heap") {
      mallopt(M_MMAP_THRESHOLD, 1 << 30);
      mallopt(M_TRIM_THRESHOLD, 1 << 30);
      for (int k = i; k + 1 < argc; ++k) argv[k] = argv[k + 1];
      --argc;
      break;
    }
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
