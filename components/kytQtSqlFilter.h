// Unit kytQtSqlFilter: the filter component over the Qt SQL query
// (QtSqlDataSet::TQtSqlQuery), for an application that reaches its database through a
// QSqlDatabase connection. Everything it has in common with the other filter components
// is in kytFilterBase; what is its own: the SQL is written for the connection's engine
// (SQLite, PostgreSQL, Firebird), the values of the criteria go to the engine as bind
// parameters unless UseParameters is switched off, and the driver tells the base table
// and column behind each output column.
#pragma once

#include <string>

#include "components/kytFilterBase.h"
#include "components/kytFilterDesign.h"
#include "dataaccess/qtsql/QtSqlDataSet.h"

namespace kytQtSqlFilter {

using kytFilterBase::TkytOnApplySQLEvent;
using kytFilterBase::TkytOnInitFilterEvent;

// The type of the FilterFieldDefs property: a string of its own, so that the property
// editor of this unit binds to this component's property only.
class TFilterFieldDefs : public std::string {
 public:
  using std::string::string;
  TFilterFieldDefs(std::string S) : std::string(std::move(S)) {}
};

// The catalogue type of a column's Qt type: integers, floating and decimal numbers,
// text, dates, times, date-times and booleans are supported; byte arrays (binary large
// objects) and every other type are not.
kytFilterBase::TTypeMapping QtTypeMapping(QMetaType Type);

// The SQL the filter writes for a connection whose driver is DriverName: QSQLITE
// SQLite, QPSQL PostgreSQL, anything else (QIBASE included) Firebird.
kytSQLFilterStruc::TSqlDialect DialectOfDriver(const std::string& DriverName);

// The value of one bind parameter as the driver is given it: text as QString, integers
// as qlonglong, other numbers as double, booleans as bool, dates, times and date-times as
// QDate, QTime and QDateTime. For Dialect sdSQLite (which keeps them as text) dates and
// times stay their ISO text. A value that does not read as its kind is passed as text.
QVariant ParamValue(const kytSQLFilterStruc::TSqlParam& Param, kytSQLFilterStruc::TSqlDialect Dialect);

class TkytQtSqlFilter : public kytFilterBase::TkytFilter<QtSqlDataSet::TQtSqlQuery> {
 public:
  // AOwner takes ownership when not null.
  explicit TkytQtSqlFilter(Classes::TComponent* AOwner);
  std::string ClassName() const override { return "TkytQtSqlFilter"; }

  // Never set by the system: the property exists so that a property editor can be
  // attached to it.
  TFilterFieldDefs FilterFieldDefs() const { return FFilterFieldDefs; }
  void SetFilterFieldDefs(const TFilterFieldDefs& Value) { FFilterFieldDefs = Value; }

  // True (the default): the condition holds "?" markers and the typed values are bound
  // to them, so no value is ever read as SQL. False: values are written into the text as
  // literals, as the other filter components do.
  bool UseParameters() const { return FUseParameters; }
  void SetUseParameters(bool Value) { FUseParameters = Value; }

 private:
  bool FUseParameters = true;
};

// The property editor of this unit's FilterFieldDefs: opens the field-definitions
// dialog on the component's catalogue and stores the accepted one as its image.
class TFilterFieldDefsProperty : public kytFilterDesign::TFieldDefsEditor<TkytQtSqlFilter> {
 public:
  using kytFilterDesign::TFieldDefsEditor<TkytQtSqlFilter>::TFieldDefsEditor;
};

// Registers TkytQtSqlFilter and its published properties (those of every filter, then
// UseParameters) for form files. Calling it again does no harm.
void RegisterComponents();

// For the form designer: RegisterComponents, the palette page "Qt SQL" with the class's
// bitmap, and TFilterFieldDefsProperty attached to TFilterFieldDefs.
void Register();

}  // namespace kytQtSqlFilter
