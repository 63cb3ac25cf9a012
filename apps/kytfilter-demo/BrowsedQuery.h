// The query the demo browses and the filter component linked to it, for each of the
// three query kinds, behind one interface.
//
// User-interface thread only. One TBrowsedQuery exists at a time: the filter components
// share the process-wide catalogue and criteria, which belong to one query.
#pragma once

#include <memory>
#include <string>

#include "dataaccess/db/DB.h"

namespace kytdemo {

enum class TVariant { IBO, IBD, BDE };

struct TVariantInfo {
  TVariant Variant;
  const char* Title;  // as the variant choice shows it
  const char* Key;    // as the command line names it
};
// In the order of the variant choice.
inline constexpr TVariantInfo kVariants[] = {
    {TVariant::IBO, "IB Objects native query (TkytIBOFilter)", "ibo"},
    {TVariant::IBD, "IB Objects dataset (TkytIBDFilter)", "ibd"},
    {TVariant::BDE, "BDE query over SQLite (TkytBDEFilter)", "bde"},
};

struct TBrowseSettings {
  std::string Database;   // Windows-1252, as the queries take it
  std::string SQL;        // the statement to start with
  std::string FilterDir;  // where the filter dialog looks for saved filters
};

class TBrowsedQuery {
 public:
  // A closed query of Variant with its filter component linked. Owned by the caller.
  static std::unique_ptr<TBrowsedQuery> Create(TVariant Variant, const TBrowseSettings& Settings);
  virtual ~TBrowsedQuery() = default;

  // Opens the query. Raises the engine's error.
  virtual void Open() = 0;
  // The component's commands: as the components document them (messages through the
  // UI host; Execute false on cancel or failure). They may raise SysUtils::EAbort after
  // a message.
  virtual bool Execute() = 0;
  virtual void ClearFilter() = 0;
  virtual void CallFieldDefs() = 0;

  virtual std::string SQLText() const = 0;
  virtual bool Active() const = 0;
  // The dataset the grid shows: the query itself, or, for the native query (which is no
  // dataset), a dataset over its rows. Owned by this object. Call Reopened after every
  // command that may have reopened or closed the query, before reading it.
  virtual DB::TDataSet* Rows() = 0;
  virtual void Reopened() {}
};

}  // namespace kytdemo
