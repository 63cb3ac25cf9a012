// A filter dialog over a small catalogue, and helpers that act on it as the user does.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "filterdialog/kytSQLFilterForm.h"
#include "filtermodel/kytSQLFilterStruc.h"
#include "tests/filterdialog/DialogDriver.h"
#include "tests/filtermodel/TestHost.h"

namespace dialogtest {

using namespace kytSQLFilterForm;
using namespace kytSQLFilterStruc;

struct TEntry {
  const char* Table;
  const char* Field;
  TFType Type;
  const char* Description;
  bool Visible;
  int MaxSize;
};

// CUSTOMER.NAME, ORDERS.TOTAL, ORDERS.SHIPPED, T.ACTIVE, T.START, ORDERS.QTY,
// T.NOTES (a BLOB), CUSTOMER.ID (not visible); ComboOrder is the position.
inline const std::vector<TEntry>& DefaultEntries() {
  static const std::vector<TEntry> entries = {
      {"CUSTOMER.", "NAME", fString, "Name", true, 40},
      {"ORDERS.", "TOTAL", fFloat, "Total", true, 8},
      {"ORDERS.", "SHIPPED", fDate, "Shipped", true, 4},
      {"T.", "ACTIVE", fBoolean, "Active", true, 2},
      {"T.", "START", fTime, "Start", true, 4},
      {"ORDERS.", "QTY", fInteger, "Quantity", true, 4},
      {"T.", "NOTES", fBlob, "Notes", true, 8},
      {"CUSTOMER.", "ID", fInteger, "Customer id", false, 4},
  };
  return entries;
}

inline void MakeCatalogue(const std::vector<TEntry>& Entries) {
  delete Campos;
  Campos = new TCampos;
  int order = 0;
  for (const TEntry& e : Entries) {
    auto* c = new TCampo;
    c->TableName = e.Table;
    c->FieldName = e.Field;
    c->DataType = e.Type;
    c->Description = e.Description;
    c->Visible = e.Visible;
    c->Supported = true;
    c->MaxSize = e.MaxSize;
    c->ComboOrder = e.Visible ? order++ : 99;
    Campos->Add(c);
  }
}

class DialogTest : public ::testing::Test {
 public:
  void SetUp() override {
    SysUtils::FormatSettings().ShortDateFormat = "mm/dd/yyyy";
    MakeCatalogue(DefaultEntries());
    OperatorsOk = {opStartingWith, opContains};
    NoFixedOrd = 0;
    Filter.clear();
    Create();
  }
  void TearDown() override {
    form.reset();
    delete Campos;
    Campos = nullptr;
    Filter.clear();
  }
  void Create() {
    form.reset();
    form = std::make_unique<TformFilter>(nullptr);
    form->EditDateFormat = "mm/dd/yyyy";
    form->SQLDateFormat = "yyyy-mm-dd";
    form->StringQuote = '\'';
  }

  FilterLineRec& Line(int N) { return FilterLines.at(N - 1); }

  // Chooses, as the user does, the field shown as Description, the comparison shown as
  // Comparison, types Value, and chooses connector Operation (0 empty, 1 AND, 2 OR, -1
  // leaves it). Empty texts leave that control alone.
  void SetLine(int N, const std::string& Description, const std::string& Comparison,
               const std::string& Value, int Operation = -1) {
    dialogdriver::FillLine(Line(N), {Description, Comparison, Value, Operation});
  }

  // The filter the pictures show: three lines, the first two in parentheses, joined by
  // OR and AND, and the SQL panel open.
  void FillPictureLines() {
    form->SetCaption("Filter selection");
    form->btParenteses->Click();
    form->eBGroup1->TypeText("(");
    SetLine(1, "Name", "Start with", "Smi", 2);
    SetLine(2, "Total", ">=", "100");
    Line(2).EGroup->TypeText(")");
    SetLine(2, "", "", "", 1);
    SetLine(3, "Shipped", "<", "12311999");
    form->btSee->Click();
  }

  // Runs the builder; returns the memo lines. Aborted tells whether it ended with the
  // silent abort.
  std::vector<std::string> Build(bool* Aborted = nullptr) {
    bool aborted = false;
    try {
      form->MountSQL(form.get());
    } catch (const SysUtils::EAbort&) {
      aborted = true;
    }
    if (Aborted) *Aborted = aborted;
    std::vector<std::string> lines;
    for (int i = 0; i < form->MemoSQL->Lines()->Count(); ++i) lines.push_back(form->MemoSQL->Lines()->Get(i));
    return lines;
  }

  static FilterRec Record(const char* Begin, const char* Table, const char* Field, const char* Op,
                          const char* Value, const char* End, int Operation) {
    FilterRec r{};
    r.BeginGroup.Set(Begin);
    r.TableName.Set(Table);
    r.FieldName.Set(Field);
    r.Operator.Set(Op);
    r.Value.Set(Value);
    r.EndGroup.Set(End);
    r.Operation = Operation;
    return r;
  }

  std::unique_ptr<TformFilter> form;
};

}  // namespace dialogtest
