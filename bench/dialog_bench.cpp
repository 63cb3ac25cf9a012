// The filter dialog off-screen at sizes a large application reaches: created over a
// catalogue of 500 fields, 200 criteria restored into lines, and the SQL of those 200
// lines built. Each should stay well under 200 ms. And the field-definitions dialog over
// a catalogue of 2,000 entries in 40 tables: opened (lists built, first entry shown) in
// under 100 ms, a table chosen (its available fields listed) in under 20 ms.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdlib>
#include <memory>

#include "fielddefs/kytFieldDef.h"
#include "filterdialog/kytSQLFilterForm.h"

namespace {

using namespace kytSQLFilterStruc;
using kytSQLFilterForm::TformFilter;

constexpr int kFields = 500;
constexpr int kRecords = 200;

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
void MakeFilter() {
  static const char* const kValues[] = {"abc", "42", "3.5", "12/25/1999", "x'y"};
  static const char* const kOps[] = {"Containing", ">=", "<", "=", "Starting with"};
  Filter.assign(kRecords, FilterRec{});
  for (int i = 0; i < kRecords; ++i) {
    FilterRec& r = Filter[i];
    const int f = (i * 7) % kFields;
    r.TableName.Set("T" + std::to_string(f % 10) + ".");
    r.FieldName.Set("FIELD_" + std::to_string(f));
    r.Operator.Set(kOps[f % 5]);
    r.Value.Set(kValues[f % 5]);
    r.BeginGroup.Set(i % 10 == 0 ? "(" : "");
    r.EndGroup.Set(i % 10 == 9 ? ")" : "");
    r.Operation = i + 1 < kRecords ? 1 : 0;
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
