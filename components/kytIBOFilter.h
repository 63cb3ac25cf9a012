// Unit kytIBOFilter: the filter component over the IB Objects native query
// (IB_Components::TIB_Query). Everything it has in common with the other two filter
// components is in kytFilterBase; what is its own is how it reaches the native query:
// the IB Objects clause functions (Ib_parse), and the native columns with their
// Firebird SQL type codes.
#pragma once

#include <string>

#include "components/kytFilterBase.h"
#include "components/kytFilterDesign.h"
#include "dataaccess/ibobjects/IB_Components.h"

namespace kytIBOFilter {

using kytFilterBase::TkytOnApplySQLEvent;
using kytFilterBase::TkytOnInitFilterEvent;

// The type of the FilterFieldDefs property: a string of its own, so that the property
// editor of this unit binds to this component's property only.
class TFilterFieldDefs : public std::string {
 public:
  using std::string::string;
  TFilterFieldDefs(std::string S) : std::string(std::move(S)) {}
};

// The catalogue type of a native column: by its SQL type code (the nullable bit is
// ignored) and, for BLOBs, its sub-type (1 is text). A BLOB of another sub-type is
// fUnknow yet Supported; a code outside the mapping is fUnknow and not Supported.
kytFilterBase::TTypeMapping NativeFieldType(int SQLType, int SQLSubType);

class TkytIBOFilter : public kytFilterBase::TkytFilter<IB_Components::TIB_Query> {
 public:
  // AOwner takes ownership when not null.
  explicit TkytIBOFilter(Classes::TComponent* AOwner);
  std::string ClassName() const override { return "TkytIBOFilter"; }

  // Never set by the system: the property exists so that a property editor can be
  // attached to it.
  TFilterFieldDefs FilterFieldDefs() const { return FFilterFieldDefs; }
  void SetFilterFieldDefs(const TFilterFieldDefs& Value) { FFilterFieldDefs = Value; }
};

// The property editor of this unit's FilterFieldDefs: opens the field-definitions
// dialog on the component's catalogue and stores the accepted one as its image.
class TFilterFieldDefsProperty : public kytFilterDesign::TFieldDefsEditor<TkytIBOFilter> {
 public:
  using kytFilterDesign::TFieldDefsEditor<TkytIBOFilter>::TFieldDefsEditor;
};

// Registers TkytIBOFilter and its published properties for form files. Call once at
// start-up, before reading or writing a form that holds one; calling it again does no
// harm.
void RegisterComponents();

// For the form designer: registers TkytIBOFilter for form files (RegisterComponents), puts
// it on the palette page "IB Controls" with its bitmap, and attaches TFilterFieldDefsProperty
// to TFilterFieldDefs.
void Register();

}  // namespace kytIBOFilter
