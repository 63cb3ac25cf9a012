#include "components/kytBDEFilter.h"

#include <memory>

#include "dataaccess/bde/BDE.h"

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

class TBDEVariant : public TDataSetVariant {
 public:
  bool IsQuery(const Classes::TComponent* Query) const override { return dynamic_cast<const TQuery*>(Query) != nullptr; }
  bool IsFilter(const Classes::TPersistent* Filter) const override {
    return dynamic_cast<const TkytBDEFilter*>(Filter) != nullptr;
  }
  // This component offers no optional comparison until the developer asks for them.
  TSpecialOperators InitialSpecialOperators() const override { return {}; }
  bool SpecialOperatorsHaveDefault() const override { return false; }
  // The query runs on SQLite: the condition is written in its SQL.
  TSqlDialect Dialect(Classes::TComponent&) const override { return sdSQLite; }

  std::string GetSQL(Classes::TComponent& Query) const override { return Engine(Query).SQL()->Text(); }
  void SetSQL(Classes::TComponent& Query, const std::string& SQL) const override { Engine(Query).SQL()->SetText(SQL); }

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

  std::unique_ptr<Classes::TComponent> NewScratchQuery(Classes::TComponent& Query) const override {
    auto scratch = std::make_unique<TQuery>(nullptr);
    scratch->SetDatabaseName(Engine(Query).DatabaseName());
    scratch->SetRequestLive(false);
    scratch->SetUniDirectional(true);
    return scratch;
  }
  void DescribeTable(Classes::TComponent& Scratch, const TTableRef& Table,
                     std::vector<TColumnInfo>& Columns) const override {
    const TQuery& query = Engine(Scratch);
    for (int i = 0; i < query.FieldCount(); ++i) {
      const DB::TField& field = *query.Fields(i);
      TColumnInfo info = DescribeField(field);
      info.FieldName = field.FullName();
      // Upper case, as GetTableNames names the tables of the query's own columns.
      info.TableName = SysUtils::AnsiUpperCase(Table.Name()) + ".";
      Columns.push_back(std::move(info));
    }
  }

 private:
  static TQuery& Engine(Classes::TComponent& Query) { return dynamic_cast<TQuery&>(Query); }
};

}  // namespace

TkytBDEFilter::TkytBDEFilter(Classes::TComponent* AOwner)
    : TkytFilter(AOwner, kytFilterBase::VariantOf<TBDEVariant>()) {}

void RegisterComponents() {
  kytFilterBase::RegisterFilterClass<TkytBDEFilter>("TkytBDEFilter", kytFilterBase::VariantOf<TBDEVariant>());
}

void Register() {
  RegisterComponents();
  kytFilterDesign::RegisterFilter<TkytBDEFilter, TFilterFieldDefsProperty>("Data Controls", "TkytBDEFilter", 0xE08020);
}

}  // namespace kytBDEFilter
