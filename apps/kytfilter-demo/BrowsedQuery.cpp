#include "apps/kytfilter-demo/BrowsedQuery.h"

#include <vector>

#include "components/kytBDEFilter.h"
#include "components/kytIBDFilter.h"
#include "components/kytIBOFilter.h"
#include "components/kytQtSqlFilter.h"
#include "dataaccess/bde/DBTables.h"
#include "dataaccess/ibobjects/IBODataset.h"
#include "dataaccess/ibobjects/IB_Components.h"
#include "host/rtl/SysUtils.h"

namespace kytdemo {

namespace {

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
  TBrowsedQueryOf(const TVariantInfo& Info, std::unique_ptr<Classes::TComponent> Form) : FForm(std::move(Form)) {
    FFilter = dynamic_cast<TFilter*>(FForm->FindComponent(Info.Filter));
    FQuery = FFilter ? FFilter->DataSet() : nullptr;
    if (FQuery == nullptr)
      throw SysUtils::Exception("The form has no filter component " + std::string(Info.Filter) + " of the " +
                                Info.Key + " kind linked to a query.");
  }
  void Open() override { FQuery->Open(); }
  bool Execute() override { return FFilter->Execute(); }
  void ClearFilter() override { FFilter->ClearFilter(); }
  kytFilterBase::TkytCustomFilter& Filter() override { return *FFilter; }
  std::string SQLText() const override { return FQuery->SQL()->Text(); }
  std::string DatabaseName() const override { return FQuery->DatabaseName(); }
  bool Active() const override { return FQuery->Active(); }

 protected:
  std::unique_ptr<Classes::TComponent> FForm;  // owns the query and the filter
  TQuery* FQuery = nullptr;
  TFilter* FFilter = nullptr;
};

class TBrowsedDataSet final : public TBrowsedQueryOf<kytIBDFilter::TkytIBDFilter, IBODataset::TIBOQuery> {
 public:
  using TBrowsedQueryOf::TBrowsedQueryOf;
  DB::TDataSet* Rows() override { return FQuery; }
};

class TBrowsedEngineQuery final : public TBrowsedQueryOf<kytBDEFilter::TkytBDEFilter, DBTables::TQuery> {
 public:
  using TBrowsedQueryOf::TBrowsedQueryOf;
  DB::TDataSet* Rows() override { return FQuery; }
};

class TBrowsedQtSql final : public TBrowsedQueryOf<kytQtSqlFilter::TkytQtSqlFilter, QtSqlDataSet::TQtSqlQuery> {
 public:
  using TBrowsedQueryOf::TBrowsedQueryOf;
  DB::TDataSet* Rows() override { return FQuery; }
};

class TBrowsedNative final : public TBrowsedQueryOf<kytIBOFilter::TkytIBOFilter, IB_Components::TIB_Query> {
 public:
  using TBrowsedQueryOf::TBrowsedQueryOf;
  ~TBrowsedNative() override { FRows.Close(); }
  DB::TDataSet* Rows() override { return &FRows; }
  void Reopened() override {
    FRows.Close();
    if (FQuery->Active()) FRows.Open();
  }

 private:
  TNativeRows FRows{*FQuery};
};

}  // namespace

std::unique_ptr<TBrowsedQuery> TBrowsedQuery::Create(TVariant Variant, std::unique_ptr<Classes::TComponent> Form) {
  for (const TVariantInfo& info : kVariants) {
    if (info.Variant != Variant) continue;
    switch (Variant) {
      case TVariant::IBO: return std::make_unique<TBrowsedNative>(info, std::move(Form));
      case TVariant::IBD: return std::make_unique<TBrowsedDataSet>(info, std::move(Form));
      case TVariant::BDE: return std::make_unique<TBrowsedEngineQuery>(info, std::move(Form));
      case TVariant::QtSql: return std::make_unique<TBrowsedQtSql>(info, std::move(Form));
    }
  }
  return nullptr;
}

}  // namespace kytdemo
