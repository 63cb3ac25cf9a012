// The filter dialog off-screen at sizes a large application reaches: created over a
// catalogue of 500 fields, 200 criteria restored into lines, and the SQL of those 200
// lines built. Each should stay well under 200 ms. At the most lines the dialog holds
// (1,000), opening (create and InitFilter), accepting (MountSQL) and closing (destroy)
// should each stay under 1 s, with the heap under 100 MB. And the field-definitions dialog over
// a catalogue of 2,000 entries in 40 tables: opened (lists built, first entry shown) in
// under 100 ms, a table chosen (its available fields listed) in under 20 ms.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "bench/HeapCount.h"

#include "fielddefs/kytFieldDef.h"
#include "filterdialog/kytSQLFilterForm.h"

namespace {

using namespace kytSQLFilterStruc;
using kytSQLFilterForm::TformFilter;

constexpr int kFields = 500;
constexpr int kRecords = 200;
constexpr int kMostRecords = kytSQLFilterForm::MaxFilterLines;

void MakeCatalogue() {
  delete Campos;
  Campos = new TCampos;
  static const TFType kTypes[] = {fString, fInteger, fFloat, fDate, fString};
  for (int i = 0; i < kFields; ++i) {
    auto* c = new TCampo;
    c->TableName = "T" + std::to_string(i % 10) + ".";
    c->FieldName = "FIELD_" + std::to_string(i);
    c->Description = "Field number " + std::to_string(i);
    c->DataType = kTypes[i % 5];
    c->ComboOrder = i;
    c->Supported = c->Visible = true;
    c->MaxSize = 40;
    Campos->Add(c);
  }
}

// Criteria over fields of every kind, joined by AND, with parentheses on some lines.
void MakeFilter(int Records = kRecords) {
  static const char* const kValues[] = {"abc", "42", "3.5", "12/25/1999", "x'y"};
  static const char* const kOps[] = {"Containing", ">=", "<", "=", "Starting with"};
  Filter.assign(Records, FilterRec{});
  for (int i = 0; i < Records; ++i) {
    FilterRec& r = Filter[i];
    const int f = (i * 7) % kFields;
    r.TableName.Set("T" + std::to_string(f % 10) + ".");
    r.FieldName.Set("FIELD_" + std::to_string(f));
    r.Operator.Set(kOps[f % 5]);
    r.Value.Set(kValues[f % 5]);
    r.BeginGroup.Set(i % 10 == 0 ? "(" : "");
    r.EndGroup.Set(i % 10 == 9 ? ")" : "");
    r.Operation = i + 1 < Records ? 1 : 0;
  }
}

std::unique_ptr<TformFilter> NewDialog() {
  kytSQLFilterForm::OperatorsOk = {opStartingWith, opContains};
  auto dialog = std::make_unique<TformFilter>(nullptr);
  dialog->EditDateFormat = "mm/dd/yyyy";
  dialog->SQLDateFormat = "yyyy-mm-dd";
  return dialog;
}

void BM_CreateDialog500Fields(benchmark::State& state) {
  MakeCatalogue();
  for (auto _ : state) {
    auto dialog = NewDialog();
    benchmark::DoNotOptimize(dialog->eCampo1->Items()->Count());
    state.PauseTiming();
    dialog.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_CreateDialog500Fields)->Unit(benchmark::kMillisecond);

void BM_InitFilter200Records(benchmark::State& state) {
  MakeCatalogue();
  MakeFilter();
  for (auto _ : state) {
    state.PauseTiming();
    auto dialog = NewDialog();
    state.ResumeTiming();
    dialog->InitFilter();
    benchmark::DoNotOptimize(dialog->LineCount);
    state.PauseTiming();
    dialog.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_InitFilter200Records)->Unit(benchmark::kMillisecond);

void BM_MountSQL200Lines(benchmark::State& state) {
  MakeCatalogue();
  MakeFilter();
  auto dialog = NewDialog();
  dialog->InitFilter();
  try {
    dialog->MountSQL(dialog.get());
  } catch (const SysUtils::EAbort&) {
    const Classes::TStrings& memo = *dialog->MemoSQL->Lines();
    state.SkipWithError(("the filter does not build: " + memo.Get(memo.Count() - 1)).c_str());
    return;
  }
  for (auto _ : state) {
    dialog->MountSQL(dialog.get());
    benchmark::DoNotOptimize(dialog->MemoSQL->Text().size());
  }
  state.counters["lines"] = static_cast<double>(dialog->MemoSQL->Lines()->Count());
}
BENCHMARK(BM_MountSQL200Lines)->Unit(benchmark::kMillisecond);

// ---- The most lines the dialog holds: each step of open, accept and close timed alone.

// DestroyMarkedFirst: the dialog marked as destroying before it is freed, so the line
// controls its destructor frees are not announced one by one to the rest of the form.
// DestroyAfterEvents: as a dialog that was shown, whose event loop handled the events
// Qt posted to its new controls.
enum class TStep { Create, InitFilter, MountSQL, Destroy, DestroyMarkedFirst, DestroyAfterEvents };

// Peak heap (operator new) of the step, and the process's peak resident size so far.
void ReportMemory(benchmark::State& state, size_t PeakHeap) {
  state.counters["peak_heap_MB"] = static_cast<double>(PeakHeap) / (1024.0 * 1024.0);
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  state.counters["max_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void RunStep(benchmark::State& state, TStep Step) {
  MakeCatalogue();
  MakeFilter(kMostRecords);
  size_t peak = 0;
  for (auto _ : state) {
    state.PauseTiming();
    const size_t before = HeapCount::InUse();
    HeapCount::ResetPeak();
    std::unique_ptr<TformFilter> dialog;
    if (Step != TStep::Create) {
      dialog = NewDialog();
      if (Step != TStep::InitFilter) dialog->InitFilter();
      if (Step == TStep::MountSQL) dialog->MountSQL(dialog.get());  // the first build is not timed
      if (Step == TStep::DestroyAfterEvents) QCoreApplication::sendPostedEvents();
    }
    state.ResumeTiming();
    switch (Step) {
      case TStep::Create:
        dialog = NewDialog();
        break;
      case TStep::InitFilter:
        dialog->InitFilter();
        break;
      case TStep::MountSQL:
        dialog->MountSQL(dialog.get());
        break;
      case TStep::Destroy:
        dialog.reset();
        break;
      case TStep::DestroyMarkedFirst:
        dialog->Destroying();
        dialog.reset();
        break;
      case TStep::DestroyAfterEvents:
        dialog.reset();
        break;
    }
    state.PauseTiming();
    if (dialog && dialog->LineCount != (Step == TStep::Create ? 1 : kMostRecords))
      state.SkipWithError("the dialog does not hold the filter's lines");
    dialog.reset();
    peak = std::max(peak, HeapCount::Peak() - before);
    state.ResumeTiming();
  }
  ReportMemory(state, peak);
}

void BM_Open1000Lines_Create(benchmark::State& state) { RunStep(state, TStep::Create); }
void BM_Open1000Lines_InitFilter(benchmark::State& state) { RunStep(state, TStep::InitFilter); }
void BM_Accept1000Lines_MountSQL(benchmark::State& state) { RunStep(state, TStep::MountSQL); }
void BM_Close1000Lines_Destroy(benchmark::State& state) { RunStep(state, TStep::Destroy); }
void BM_Close1000Lines_DestroyMarkedFirst(benchmark::State& state) { RunStep(state, TStep::DestroyMarkedFirst); }
void BM_Close1000Lines_DestroyAfterEvents(benchmark::State& state) { RunStep(state, TStep::DestroyAfterEvents); }
BENCHMARK(BM_Open1000Lines_Create)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Open1000Lines_InitFilter)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Accept1000Lines_MountSQL)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Close1000Lines_Destroy)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Close1000Lines_DestroyMarkedFirst)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_Close1000Lines_DestroyAfterEvents)->Unit(benchmark::kMillisecond)->Iterations(3);

// 2,000 entries over 40 tables, half of each table allowed, in reverse ComboOrder.
void MakeDesignCatalogue() {
  delete Campos;
  Campos = new TCampos;
  constexpr int kEntries = 2000;
  for (int i = 0; i < kEntries; ++i) {
    auto* c = new TCampo;
    c->TableName = "TABLE_" + std::to_string(i % 40) + ".";
    c->FieldName = "FIELD_" + std::to_string(i);
    c->Description = "Field number " + std::to_string(i);
    c->ComboOrder = kEntries - i;
    c->Supported = true;
    c->Visible = (i / 40) % 2 == 0;
    Campos->Add(c);
  }
}

void BM_OpenFieldDefs2000Entries(benchmark::State& state) {
  MakeDesignCatalogue();
  for (auto _ : state) {
    auto dialog = std::make_unique<kytFieldDef::TformFDefs>(nullptr);
    dialog->InitializeLists();
    benchmark::DoNotOptimize(dialog->edFieldName->Text());
    state.PauseTiming();
    dialog.reset();
    state.ResumeTiming();
  }
  state.counters["allowed"] = 1000;
}
BENCHMARK(BM_OpenFieldDefs2000Entries)->Unit(benchmark::kMillisecond);

void BM_ChooseTableOf2000Entries(benchmark::State& state) {
  MakeDesignCatalogue();
  auto dialog = std::make_unique<kytFieldDef::TformFDefs>(nullptr);
  dialog->InitializeLists();
  int table = 0;
  for (auto _ : state) {
    dialog->cbTables->UserSelect(table++ % 40);
    benchmark::DoNotOptimize(dialog->lsAvaiFields->count());
  }
  state.counters["listed"] = dialog->lsAvaiFields->count();
}
BENCHMARK(BM_ChooseTableOf2000Entries)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  delete Campos;
  Campos = nullptr;
  return 0;
}
