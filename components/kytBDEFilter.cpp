#include "components/kytBDEFilter.h"

#include <memory>

#include "dataaccess/bde/BDE.h"
#include "sqltext/Parse.h"

namespace kytBDEFilter {

using DBTables::TQuery;
using kytFilterBase::TColumnInfo;
using kytFilterBase::TDataSetVariant;
using namespace kytSQLFilterStruc;

void GetTableNames(TQuery& Query, TCampos& campos) {
  const std::string sql = SysUtils::UpperCase(Query.SQL()->Text());
  BDE::hDBIStmt statement = nullptr;
  BDE::hDBICur cursor = nullptr;
  auto release = [&] {
    const BDE::DBIResult freed = statement ? BDE::DbiQFree(&statement) : BDE::DBIERR_NONE;
    const BDE::DBIResult closed = cursor ? BDE::DbiCloseCursor(&cursor) : BDE::DBIERR_NONE;
    return std::make_pair(freed, closed);
  };
  try {
    DBTables::Check(BDE::DbiQAlloc(Query.DBHandle(), BDE::qrylangSQL, &statement));
    DBTables::Check(BDE::DbiQPrepare(statement, sql.c_str()));
    DBTables::Check(BDE::DbiQGetBaseDescs(statement, &cursor));
    for (int column = 0;; ++column) {
      BDE::STMTBaseDesc desc{};
      const BDE::DBIResult result = BDE::DbiGetNextRecord(cursor, BDE::dbiNOLOCK, &desc, nullptr);
      if (result == BDE::DBIERR_EOF) break;
      DBTables::Check(result);
      // An expression has no base column: the entry keeps the column's own name.
      if (desc.szFieldName[0] == '\0') continue;
      for (int i = 0; i < campos.Count(); ++i) {
        TCampo& entry = *campos.Get(i);
        if (entry.ComboOrder != column) continue;
        std::string table = SysUtils::UpperCase(desc.szTableName);
        table = SysUtils::StringReplaceAll(table, ".DBF", "");
        table = SysUtils::StringReplaceAll(table, ".DB", "");
        entry.FieldName = desc.szFieldName;
        entry.TableName = table + ".";
        break;
      }
    }
  } catch (...) {
    release();  // the first error is the one to report
    throw;
  }
  const auto [freed, closed] = release();
  DBTables::Check(freed);
  DBTables::Check(closed);
}

namespace {

// The scratch query of the second pass: read-only and one-directional, opened (which
// reads its first row) and closed again.
class TEngineTableDescriber : public kytFilterBase::TTableDescriber {
 public:
  explicit TEngineTableDescriber(std::string DatabaseName)
      : FDatabaseName(std::move(DatabaseName)), FQuery(std::make_unique<TQuery>(nullptr)) {}

  void Describe(const std::string& Table, std::vector<TColumnInfo>& Columns) override {
    Columns.clear();
    FQuery->SetDatabaseName(FDatabaseName);
    FQuery->SetRequestLive(false);
    FQuery->SetUniDirectional(true);
    FQuery->SQL()->SetText("select * from " + Table);
    try {
      FQuery->Open();
      for (int i = 0; i < FQuery->FieldCount(); ++i) {
        const DB::TField& field = *FQuery->Fields(i);
        TColumnInfo info = TDataSetVariant::DescribeField(field);
        info.FieldName = field.FullName();
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
  std::unique_ptr<TQuery> FQuery;
};

class TBDEVariant : public TDataSetVariant {
 public:
  bool IsQuery(const Classes::TComponent* Query) const override { return dynamic_cast<const TQuery*>(Query) != nullptr; }
  bool IsFilter(const Classes::TPersistent* Filter) const override {
    return dynamic_cast<const TkytBDEFilter*>(Filter) != nullptr;
  }
  // This component offers no optional comparison until the developer asks for them.
  TSpecialOperators InitialSpecialOperators() const override { return {}; }
  bool SpecialOperatorsHaveDefault() const override { return false; }

  std::string GetSQL(Classes::TComponent& Query) const override { return Engine(Query).SQL()->Text(); }
  void SetSQL(Classes::TComponent& Query, const std::string& SQL) const override { Engine(Query).SQL()->SetText(SQL); }
  void SetSQLWhere(std::string& SQL, const std::string& Clause) const override { Parse::SetSQLWhere(SQL, Clause); }
  void SetSQLOrder(std::string& SQL, const std::string& Clause) const override { Parse::SetSQLOrder(SQL, Clause); }

  void DescribeQuery(Classes::TComponent& Query, std::vector<TColumnInfo>& Columns) const override {
    const TQuery& query = Engine(Query);
    Columns.clear();
    for (int i = 0; i < query.FieldCount(); ++i) {
      const DB::TField& field = *query.Fields(i);
      TColumnInfo info = DescribeField(field);
      info.FieldName = field.FullName();  // until GetTableNames names the base column
      info.TableName.clear();
      Columns.push_back(std::move(info));
    }
  }
  void AfterQueryColumns(Classes::TComponent& Query, TCampos& ACampos) const override {
    GetTableNames(Engine(Query), ACampos);
  }

  std::unique_ptr<kytFilterBase::TTableDescriber> NewTableDescriber(Classes::TComponent& Query) const override {
    return std::make_unique<TEngineTableDescriber>(Engine(Query).DatabaseName());
  }

 private:
  static TQuery& Engine(Classes::TComponent& Query) { return dynamic_cast<TQuery&>(Query); }
};

const TBDEVariant& Variant() {
  static const TBDEVariant variant;
  return variant;
}

}  // namespace

TkytBDEFilter::TkytBDEFilter(Classes::TComponent* AOwner) : TkytFilter(AOwner, Variant()) {}

void RegisterComponents() {
  using F = TkytBDEFilter;
  TypInfo::RegisterClass(
      {"TkytBDEFilter", "TComponent", [](Classes::TComponent* Owner) { return new F(Owner); },
       kytFilterBase::FilterProperties(Variant(), TypInfo::ComponentProp<F>("DataSet", &F::DataSet, &F::SetDataSet),
                                       TypInfo::StringProp<F>("FilterFieldDefs", &F::FilterFieldDefs,
                                                              &F::SetFilterFieldDefs, std::string()))});
}

}  // namespace kytBDEFilter
