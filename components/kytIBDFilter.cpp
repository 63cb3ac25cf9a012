#include "components/kytIBDFilter.h"

#include <cstdint>
#include <memory>


namespace kytIBDFilter {

using IBODataset::TIBOQuery;
using kytFilterBase::TColumnInfo;
using kytFilterBase::TDataSetVariant;
using namespace kytSQLFilterStruc;

namespace {

// Field Index of the open Query, named after the native column behind it.
TColumnInfo DescribeNativeField(const TIBOQuery& Query, int Index) {
  TColumnInfo info = TDataSetVariant::DescribeField(*Query.Fields(Index));
  info.FieldName = Query.InternalDataset()->Columns(Index)->SQLName();
  // This variant keeps the data size in 16 unsigned bits.
  info.MaxSize = static_cast<uint16_t>(info.MaxSize);
  return info;
}

class TIBDVariant : public TDataSetVariant {
 public:
  bool IsQuery(const Classes::TComponent* Query) const override {
    return dynamic_cast<const TIBOQuery*>(Query) != nullptr;
  }
  bool IsFilter(const Classes::TPersistent* Filter) const override {
    return dynamic_cast<const TkytIBDFilter*>(Filter) != nullptr;
  }
  TSpecialOperators InitialSpecialOperators() const override { return {opStartingWith, opContains}; }
  bool SpecialOperatorsHaveDefault() const override { return true; }

  std::string GetSQL(Classes::TComponent& Query) const override { return Dataset(Query).GetSQL()->Text(); }
  void SetSQL(Classes::TComponent& Query, const std::string& SQL) const override {
    Dataset(Query).GetSQL()->SetText(SQL);
  }

  void DescribeQuery(Classes::TComponent& Query, std::vector<TColumnInfo>& Columns) const override {
    const TIBOQuery& query = Dataset(Query);
    Columns.clear();
    for (int i = 0; i < query.FieldCount(); ++i) {
      TColumnInfo info = DescribeNativeField(query, i);
      info.TableName = query.InternalDataset()->Columns(i)->RelName() + ".";
      Columns.push_back(std::move(info));
    }
  }

  std::unique_ptr<Classes::TComponent> NewScratchQuery(Classes::TComponent& Query) const override {
    auto scratch = std::make_unique<TIBOQuery>(nullptr);
    scratch->SetDatabaseName(Dataset(Query).DatabaseName());
    scratch->SetRequestLive(false);
    return scratch;
  }
  void DescribeTable(Classes::TComponent& Scratch, const kytSQLFilterStruc::TTableRef& Table,
                     std::vector<TColumnInfo>& Columns) const override {
    const TIBOQuery& query = Dataset(Scratch);
    for (int i = 0; i < query.FieldCount(); ++i) {
      TColumnInfo info = DescribeNativeField(query, i);
      info.TableName = Table.Name() + ".";
      Columns.push_back(std::move(info));
    }
  }

 private:
  static TIBOQuery& Dataset(Classes::TComponent& Query) { return dynamic_cast<TIBOQuery&>(Query); }
};

}  // namespace

TkytIBDFilter::TkytIBDFilter(Classes::TComponent* AOwner)
    : TkytFilter(AOwner, kytFilterBase::VariantOf<TIBDVariant>()) {}

void RegisterComponents() {
  kytFilterBase::RegisterFilterClass<TkytIBDFilter>("TkytIBDFilter", kytFilterBase::VariantOf<TIBDVariant>());
}

void Register() {
  RegisterComponents();
  kytFilterDesign::RegisterFilter<TkytIBDFilter, TFilterFieldDefsProperty>("IB Controls", "TkytIBDFilter", 0x20A040);
}

}  // namespace kytIBDFilter
