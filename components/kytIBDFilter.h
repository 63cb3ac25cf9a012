// Unit kytIBDFilter: the filter component over the IB Objects dataset query
// (IBODataset::TIBOQuery). Everything it has in common with the other two filter
// components is in kytFilterBase; what is its own: the dataset's fields give type, size
// and label, its internal native query gives each field's table column and table.
#pragma once

#include <string>

#include "components/kytFilterBase.h"
#include "components/kytFilterDesign.h"
#include "dataaccess/ibobjects/IBODataset.h"

namespace kytIBDFilter {

using kytFilterBase::TkytOnApplySQLEvent;
using kytFilterBase::TkytOnInitFilterEvent;

// The type of the FilterFieldDefs property: a string of its own, so that the property
// editor of this unit binds to this component's property only.
class TFilterFieldDefs : public std::string {
 public:
  using std::string::string;
  TFilterFieldDefs(std::string S) : std::string(std::move(S)) {}
};

class TkytIBDFilter : public kytFilterBase::TkytFilter<IBODataset::TIBOQuery> {
 public:
  // AOwner takes ownership when not null.
  explicit TkytIBDFilter(Classes::TComponent* AOwner);
  std::string ClassName() const override { return "TkytIBDFilter"; }

  // Never set by the system: the property exists so that a property editor can be
  // attached to it.
  TFilterFieldDefs FilterFieldDefs() const { return FFilterFieldDefs; }
  void SetFilterFieldDefs(const TFilterFieldDefs& Value) { FFilterFieldDefs = Value; }
};

// The property editor of this unit's FilterFieldDefs: opens the field-definitions
// dialog on the component's catalogue and stores the accepted one as its image.
class TFilterFieldDefsProperty : public kytFilterDesign::TFieldDefsEditor<TkytIBDFilter> {
 public:
  using kytFilterDesign::TFieldDefsEditor<TkytIBDFilter>::TFieldDefsEditor;
};

// Registers TkytIBDFilter and its published properties for form files. Call once at
// start-up; calling it again does no harm.
void RegisterComponents();

// For the form designer: registers TkytIBDFilter for form files (RegisterComponents), puts
// it on the palette page "IB Controls" with its bitmap, and attaches TFilterFieldDefsProperty
// to TFilterFieldDefs.
void Register();

}  // namespace kytIBDFilter
