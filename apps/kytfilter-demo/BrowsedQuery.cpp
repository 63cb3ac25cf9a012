#include "apps/kytfilter-demo/BrowsedQuery.h"

#include <type_traits>
#include <vector>

#include "components/kytBDEFilter.h"
#include "components/kytIBDFilter.h"
#include "components/kytIBOFilter.h"
#include "dataaccess/bde/DBTables.h"
#include "dataaccess/ibobjects/IBODataset.h"
#include "dataaccess/ibobjects/IB_Components.h"

namespace kytdemo {

namespace {

// Dates go into SQL as ISO text: both engines read it, and SQLite, which keeps dates as
// text, compares only that form correctly.
const char* kSQLDateFormat = "yyyy-mm-dd";

// Reads the native query's rows from its own position on, moving it forward.
class TNativeCursor : public DB::TCursor {
 public:
  explicit TNativeCursor(IB_Components::TIB_Query& Query) : FQuery(Query) {}
  bool Fetch(std::vector<DB::TValue>& Row) override {
    if (FQuery.Eof()) return false;
    Row.resize(static_cast<size_t>(FQuery.FieldCount()));
    for (int i = 0; i < FQuery.FieldCount(); ++i) Row[static_cast<size_t>(i)] = FQuery.CurrentValue(i);
    FQuery.Next();
    return true;
  }

 private:
  IB_Components::TIB_Query& FQuery;
};

// A dataset over the rows of an open native query, so that the grid shows the very rows
// the filter component reopened, without running the statement a second time.
class TNativeRows : public DB::TDataSet {
 public:
  explicit TNativeRows(IB_Components::TIB_Query& Query) : DB::TDataSet(nullptr), FQuery(Query) {}
  ~TNativeRows() override { Close(); }
  std::string ClassName() const override { return "TNativeRows"; }

 protected:
  std::unique_ptr<DB::TCursor> OpenCursor(std::vector<DB::TFieldDef>& Defs) override {
    if (!FQuery.Active()) throw DB::EDatabaseError("The query is not open");
    FQuery.First();
    Defs.clear();
    for (int i = 0; i < FQuery.FieldCount(); ++i) {
      const IB_Components::TIB_Column* c = FQuery.Columns(i);
      DB::TFieldDef d;
      d.Name = c->FieldName();
      d.DataType = IBODataset::FieldTypeOf(c->SQLType(), c->SQLSubType(), c->SQLScale());
      if (d.DataType == DB::ftString) d.Size = c->SQLLen();
      if (d.DataType == DB::ftBCD) d.Size = -c->SQLScale();
      Defs.push_back(d);
    }
    return std::make_unique<TNativeCursor>(FQuery);
  }

 private:
  IB_Components::TIB_Query& FQuery;
};

template <typename TFilter, typename TQuery>
class TBrowsedQueryOf : public TBrowsedQuery {
 public:
  explicit TBrowsedQueryOf(const TBrowseSettings& S) {
    FQuery.SetDatabaseName(S.Database);
    if constexpr (std::is_base_of_v<DB::TQueryDataSet, TQuery>) FQuery.SetRequestLive(false);
    FQuery.SQL()->SetText(S.SQL);
    FFilter.SetDataSet(&FQuery);
    FFilter.SetCaption("Filter orders");
    FFilter.SetFilterDir(S.FilterDir);
    FFilter.SetSQLDateFormat(kSQLDateFormat);
  }
  void Open() override { FQuery.Open(); }
  bool Execute() override { return FFilter.Execute(); }
  void ClearFilter() override { FFilter.ClearFilter(); }
  void CallFieldDefs() override { FFilter.CallFieldDefs(); }
  std::string SQLText() const override { return FQuery.SQL()->Text(); }
  bool Active() const override { return FQuery.Active(); }

 protected:
  // The filter goes first: it refers to the query.
  TQuery FQuery{nullptr};
  TFilter FFilter{nullptr};
};

class TBrowsedDataSet final : public TBrowsedQueryOf<kytIBDFilter::TkytIBDFilter, IBODataset::TIBOQuery> {
 public:
  using TBrowsedQueryOf::TBrowsedQueryOf;
  DB::TDataSet* Rows() override { return &FQuery; }
};

class TBrowsedEngineQuery final : public TBrowsedQueryOf<kytBDEFilter::TkytBDEFilter, DBTables::TQuery> {
 public:
  using TBrowsedQueryOf::TBrowsedQueryOf;
  DB::TDataSet* Rows() override { return &FQuery; }
};

class TBrowsedNative final : public TBrowsedQueryOf<kytIBOFilter::TkytIBOFilter, IB_Components::TIB_Query> {
 public:
  using TBrowsedQueryOf::TBrowsedQueryOf;
  ~TBrowsedNative() override { FRows.Close(); }
  DB::TDataSet* Rows() override { return &FRows; }
  void Reopened() override {
    FRows.Close();
    if (FQuery.Active()) FRows.Open();
  }

 private:
  TNativeRows FRows{FQuery};
};

}  // namespace

std::unique_ptr<TBrowsedQuery> TBrowsedQuery::Create(TVariant Variant, const TBrowseSettings& Settings) {
  switch (Variant) {
    case TVariant::IBO: return std::make_unique<TBrowsedNative>(Settings);
    case TVariant::IBD: return std::make_unique<TBrowsedDataSet>(Settings);
    case TVariant::BDE: return std::make_unique<TBrowsedEngineQuery>(Settings);
  }
  return nullptr;
}

}  // namespace kytdemo
