#include "components/kytIBDFilter.h"

#include <cstdint>
#include <memory>

#include "sqltext/Parse.h"

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

// The scratch query of the second pass: opened read-only, which reads its first row
// and no more.
class TDataSetTableDescriber : public kytFilterBase::TTableDescriber {
 public:
  explicit TDataSetTableDescriber(std::string DatabaseName)
      : FDatabaseName(std::move(DatabaseName)), FQuery(std::make_unique<TIBOQuery>(nullptr)) {}

  void Describe(const std::string& Table, std::vector<TColumnInfo>& Columns) override {
    Columns.clear();
    FQuery->SetDatabaseName(FDatabaseName);
    FQuery->SetRequestLive(false);
    FQuery->GetSQL()->SetText("select * from " + Table);
    try {
      FQuery->Open();
      for (int i = 0; i < FQuery->FieldCount(); ++i) {
        TColumnInfo info = DescribeNativeField(*FQuery, i);
        info.TableName = Table + ".";
        Columns.push_back(std::move(info));
      }
    } catch (...) {
      FQuery->Close();
      throw;
    }
    FQuery->Close();
  }

 private:
  std::string FDatabaseName;
  std::unique_ptr<TIBOQuery> FQuery;
};

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
  void SetSQLWhere(std::string& SQL, const std::string& Clause) const override { Parse::SetSQLWhere(SQL, Clause); }
  void SetSQLOrder(std::string& SQL, const std::string& Clause) const override { Parse::SetSQLOrder(SQL, Clause); }

  void DescribeQuery(Classes::TComponent& Query, std::vector<TColumnInfo>& Columns) const override {
    const TIBOQuery& query = Dataset(Query);
    Columns.clear();
    for (int i = 0; i < query.FieldCount(); ++i) {
      TColumnInfo info = DescribeNativeField(query, i);
      info.TableName = query.InternalDataset()->Columns(i)->RelName() + ".";
      Columns.push_back(std::move(info));
    }
  }

  std::unique_ptr<kytFilterBase::TTableDescriber> NewTableDescriber(Classes::TComponent& Query) const override {
    return std::make_unique<TDataSetTableDescriber>(Dataset(Query).DatabaseName());
  }

 private:
  static TIBOQuery& Dataset(Classes::TComponent& Query) { return dynamic_cast<TIBOQuery&>(Query); }
};

const TIBDVariant& Variant() {
  static const TIBDVariant variant;
  return variant;
}

}  // namespace

TkytIBDFilter::TkytIBDFilter(Classes::TComponent* AOwner) : TkytFilter(AOwner, Variant()) {}

void RegisterComponents() {
  using F = TkytIBDFilter;
  TypInfo::RegisterClass(
      {"TkytIBDFilter", "TComponent", [](Classes::TComponent* Owner) { return new F(Owner); },
       kytFilterBase::FilterProperties(Variant(), TypInfo::ComponentProp<F>("DataSet", &F::DataSet, &F::SetDataSet),
                                       TypInfo::StringProp<F>("FilterFieldDefs", &F::FilterFieldDefs,
                                                              &F::SetFilterFieldDefs, std::string()))});
}

}  // namespace kytIBDFilter
