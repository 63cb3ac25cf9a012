// The query the demo browses and the filter component linked to it, for each of the
// four query kinds, behind one interface.
//
// User-interface thread only. One TBrowsedQuery exists at a time: the filter components
// share the process-wide catalogue and criteria, which belong to one query.
#pragma once

#include <memory>
#include <string>

#include "dataaccess/db/DB.h"
#include "host/rtl/Classes.h"

namespace kytFilterBase {
class TkytCustomFilter;
}

namespace kytdemo {

enum class TVariant { IBO, IBD, BDE, QtSql };

struct TVariantInfo {
  TVariant Variant;
  const char* Title;   // as the variant choice shows it
  const char* Key;     // as the command line names it
  const char* Query;   // the names of the variant's components in the demo's form
  const char* Filter;
};
// In the order of the variant choice.
inline constexpr TVariantInfo kVariants[] = {
    {TVariant::IBO, "IB Objects native query (TkytIBOFilter)", "ibo", "IBOQuery", "IBOFilter"},
    {TVariant::IBD, "IB Objects dataset (TkytIBDFilter)", "ibd", "IBDQuery", "IBDFilter"},
    {TVariant::BDE, "BDE query over SQLite (TkytBDEFilter)", "bde", "BDEQuery", "BDEFilter"},
    {TVariant::QtSql, "Qt SQL query (TkytQtSqlFilter)", "qtsql", "QtSqlQuery", "QtSqlFilter"},
};

class TBrowsedQuery {
 public:
  // Browses the filter component of Variant in Form (an instance of the demo's form,
  // which the result takes ownership of) and the query it is linked to, as the form
  // has them: the query closed. Raises SysUtils::Exception when Form has no filter of
  // the variant's name and class linked to a query.
  static std::unique_ptr<TBrowsedQuery> Create(TVariant Variant, std::unique_ptr<Classes::TComponent> Form);
  virtual ~TBrowsedQuery() = default;

  // Opens the query. Raises the engine's error.
  virtual void Open() = 0;
  // The component's commands: as the components document them (messages through the
  // UI host; Execute false on cancel or failure). They may raise SysUtils::EAbort after
  // a message.
  virtual bool Execute() = 0;
  virtual void ClearFilter() = 0;

  // The filter component, for the designer's property editor. Owned by this object.
  virtual kytFilterBase::TkytCustomFilter& Filter() = 0;

  virtual std::string SQLText() const = 0;
  // The query's database name (Windows-1252).
  virtual std::string DatabaseName() const = 0;
  virtual bool Active() const = 0;
  // The dataset the grid shows: the query itself, or, for the native query (which is no
  // dataset), a dataset over its rows. Owned by this object. Call Reopened after every
  // command that may have reopened or closed the query, before reading it.
  virtual DB::TDataSet* Rows() = 0;
  virtual void Reopened() {}
};

}  // namespace kytdemo
