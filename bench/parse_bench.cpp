// Throughput of the SQL-text toolkit on generated statements of 1 kB to 16 MB, and
// GetMergeFields over a letter with 20,000 distinct merge fields.
//
// Each statement has many columns, quoted strings with keywords inside, comments and
// nested sub-selects in parentheses, with the WHERE and ORDER BY clauses at the end so
// every scan crosses the whole text. Figures are bytes per second; the Set benchmarks
// also report the peak heap in use during one operation, as a multiple of the
// statement's size.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <chrono>
#include <ctime>
#include <cstdio>
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
      case 2:
        s += "/* where order by */ C.C" + std::to_string(i) + ", // from where\r\n";
        break;
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

// Second argument: which new clause text the Set benchmark hands over.
template <long Text>
void SetSizes(benchmark::internal::Benchmark* b) {
  for (long n : {1L << 10, 64L << 10, 1L << 20, 16L << 20}) b->Args({n, Text});
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

// CPU seconds this thread has used. On a machine shared with other work, wall-clock
// time also counts the time the thread waited for a processor.
double ThreadCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

// Only the Set call is timed (manual time): the fresh copy each iteration needs is not
// the operation's cost, and pausing the timer would cost more than a 1 kB Set. The
// manual time is wall-clock; cpu_bytes_per_second gives the same bytes over the CPU
// time of the Set calls alone, as the Get figures are (at 1 kB the clock's own cost
// shows in it).
template <void (*Set)(std::string&, const std::string&)>
void BM_Set(benchmark::State& state) {
  const std::string& sql = Statement(static_cast<size_t>(state.range(0)));
  const std::string text = state.range(1) == 0 ? "WHERE C.ID = 1" : "ORDER BY C.NAME, O.ID";
  double peakRatio = 0;
  double cpu = 0;
  for (auto _ : state) {
    std::string s = sql;
    const size_t before = HeapCount::InUse();
    HeapCount::ResetPeak();
    const double c0 = ThreadCpuSeconds();
    const auto t0 = std::chrono::steady_clock::now();
    Set(s, text);
    benchmark::DoNotOptimize(s.data());
    const auto t1 = std::chrono::steady_clock::now();
    cpu += ThreadCpuSeconds() - c0;
    state.SetIterationTime(std::chrono::duration<double>(t1 - t0).count());
    peakRatio = static_cast<double>(HeapCount::Peak() - before + sql.size()) / sql.size();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sql.size()));
  // Peak of statement plus everything the operation allocated, per statement byte.
  state.counters["peak_x_size"] = peakRatio;
  if (cpu > 0) {
    state.counters["cpu_bytes_per_second"] =
        static_cast<double>(state.iterations()) * static_cast<double>(sql.size()) / cpu;
  }
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

// GetCharValues reads what SetCharValues wrote; the bytes counted are the escaped ones.
void BM_GetCharValues(benchmark::State& state) {
  const std::string escaped =
      Parse::SetCharValues(Statement(static_cast<size_t>(state.range(0))));
  for (auto _ : state) benchmark::DoNotOptimize(Parse::GetCharValues(escaped));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * escaped.size()));
}

void BM_matche(benchmark::State& state) {
  const std::string& sql = Statement(static_cast<size_t>(state.range(0)));
  // A pattern that must scan to the end: its only fixed text is the statement's tail.
  const std::string pattern = "select *o.col0*where*order by o.id";
  for (auto _ : state) benchmark::DoNotOptimize(Parse::matche(pattern, sql));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * sql.size()));
}

// A form letter with Names distinct merge fields, each written twice: once as first
// seen, once later in other letter case (by the code page), so every second field is a
// duplicate the lookup must find. Names carry accented letters to exercise the code
// page's folding.
std::string MergeLetter(int Names) {
  std::string text;
  for (int i = 0; i < Names; ++i) text += "Dear <<Cli\xE9nt_" + std::to_string(i) + ">>, ";
  for (int i = 0; i < Names; ++i) text += "see <<CLI\xC9NT_" + std::to_string(i) + ">>. ";
  return text;
}

void BM_GetMergeFields(benchmark::State& state) {
  const int names = static_cast<int>(state.range(0));
  const std::string text = MergeLetter(names);
  Classes::TStringList list;
  for (auto _ : state) {
    Parse::GetMergeFields(text, &list);
    benchmark::DoNotOptimize(list.Count());
  }
  if (list.Count() != names) state.SkipWithError("wrong number of distinct names");
  state.counters["names"] = names;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
}

}  // namespace

BENCHMARK(BM_Get<Parse::GetSQLWhere>)->Name("GetSQLWhere")->Apply(Sizes);
BENCHMARK(BM_Get<Parse::GetSQLFrom>)->Name("GetSQLFrom")->Apply(Sizes);
BENCHMARK(BM_Set<Parse::SetSQLWhere>)->Name("SetSQLWhere")->Apply(SetSizes<0>)->UseManualTime();
BENCHMARK(BM_Set<Parse::SetSQLOrder>)->Name("SetSQLOrder")->Apply(SetSizes<1>)->UseManualTime();
BENCHMARK(BM_MakeCountSQL)->Apply(Sizes);
BENCHMARK(BM_MakeClientSQL)->Apply(Sizes);
BENCHMARK(BM_Convert<Wildcards>)->Name("convert_wildcards_tosql")->Apply(Sizes);
BENCHMARK(BM_Convert<Parse::SetCharValues>)->Name("SetCharValues")->Apply(Sizes);
BENCHMARK(BM_GetCharValues)->Name("GetCharValues")->Apply(Sizes);
BENCHMARK(BM_matche)->Apply(Sizes);
BENCHMARK(BM_GetMergeFields)->Arg(1000)->Arg(20000)->Unit(benchmark::kMillisecond);

// Freshly mapped memory costs a page fault per 4 kB, which at 16 MB outweighs the work
// itself. With --keep-heap the allocator keeps freed memory for reuse, as a long-running
// application's heap does, so the figures measure the toolkit; without it they include
// the kernel's first touch of new pages.
//
// --write-statement SIZE FILE writes the generated statement of SIZE bytes to FILE and
// exits, so the command-line tool can be timed on the same text.
int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "--write-statement") {
    const std::string& sql = Statement(std::stoul(argv[2]));
    std::FILE* f = std::fopen(argv[3], "wb");
    if (f == nullptr || std::fwrite(sql.data(), 1, sql.size(), f) != sql.size()) return 1;
    return std::fclose(f) == 0 ? 0 : 1;
  }
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
