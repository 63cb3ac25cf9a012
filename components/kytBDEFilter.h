// Unit kytBDEFilter: the filter component over the BDE query (DBTables::TQuery).
// Everything it has in common with the other two filter components is in
// kytFilterBase; what is its own: the dataset's fields give type, size and label, and
// the engine tells the base table and column behind each output column (GetTableNames).
#pragma once

#include <string>

#include "components/kytFilterBase.h"
#include "components/kytFilterDesign.h"
#include "dataaccess/bde/DBTables.h"

namespace kytBDEFilter {

using kytFilterBase::TkytOnApplySQLEvent;
using kytFilterBase::TkytOnInitFilterEvent;

// The type of the FilterFieldDefs property: a string of its own, so that the property
// editor of this unit binds to this component's property only.
class TFilterFieldDefs : public std::string {
 public:
  using std::string::string;
  TFilterFieldDefs(std::string S) : std::string(std::move(S)) {}
};

// Sets FieldName and TableName of the entries of campos from the engine's description
// of Query's output columns: the entry whose ComboOrder is the column's index gets the
// base column's name and the base table's name upper-cased, without ".DBF" and ".DB",
// followed by ".". Columns without a base column (expressions) and indexes without an
// entry are skipped.
// REQUIRES: Query is open. Raises DBTables::EDBEngineError for an engine error; the
// statement handle and the cursor are released on every way out.
void GetTableNames(DBTables::TQuery& Query, kytSQLFilterStruc::TCampos& campos);

class TkytBDEFilter : public kytFilterBase::TkytFilter<DBTables::TQuery> {
 public:
  // AOwner takes ownership when not null.
  explicit TkytBDEFilter(Classes::TComponent* AOwner);
  std::string ClassName() const override { return "TkytBDEFilter"; }

  // Never set by the system: the property exists so that a property editor can be
  // attached to it.
  TFilterFieldDefs FilterFieldDefs() const { return FFilterFieldDefs; }
  void SetFilterFieldDefs(const TFilterFieldDefs& Value) { FFilterFieldDefs = Value; }

  void GetTableNames(DBTables::TQuery& Query, kytSQLFilterStruc::TCampos& campos) const {
    kytBDEFilter::GetTableNames(Query, campos);
  }
};

// The property editor of this unit's FilterFieldDefs: opens the field-definitions
// dialog on the component's catalogue and stores the accepted one as its image.
class TFilterFieldDefsProperty : public kytFilterDesign::TFieldDefsEditor<TkytBDEFilter> {
 public:
  using kytFilterDesign::TFieldDefsEditor<TkytBDEFilter>::TFieldDefsEditor;
};

// Registers TkytBDEFilter and its published properties for form files. Call once at
// start-up; calling it again does no harm.
void RegisterComponents();

// For the form designer: registers TkytBDEFilter for form files (RegisterComponents), puts
// it on the palette page "Data Controls" with its bitmap, and attaches TFilterFieldDefsProperty
// to TFilterFieldDefs.
void Register();

}  // namespace kytBDEFilter
