#include "components/kytQtSqlFilter.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QSqlRecord>
#include <QTime>

#include <memory>

#include "host/ui/AnsiText.h"

namespace kytQtSqlFilter {

using kytFilterBase::TColumnInfo;
using kytFilterBase::TDataSetVariant;
using QtSqlDataSet::TQtSqlQuery;
using namespace kytSQLFilterStruc;

kytFilterBase::TTypeMapping QtTypeMapping(QMetaType Type) {
  return kytFilterBase::DataSetFieldType(QtSqlDataSet::FieldTypeOfMetaType(Type));
}

TSqlDialect DialectOfDriver(const std::string& DriverName) {
  if (DriverName == "QSQLITE") return sdSQLite;
  if (DriverName == "QPSQL") return sdPostgreSQL;
  return sdFirebird;
}

QVariant ParamValue(const TSqlParam& Param, TSqlDialect Dialect) {
  const QString text = AnsiText::ToQString(Param.Value);
  const QLocale c = QLocale::c();
  bool ok = false;
  QVariant value;
  switch (Param.Kind) {
    case pkText:
      return text;
    case pkInteger: {
      const qlonglong number = c.toLongLong(text.trimmed(), &ok);
      if (ok) value = number;
      break;
    }
    case pkFloat: {
      const double number = c.toDouble(text.trimmed(), &ok);
      if (ok) value = number;
      break;
    }
    case pkBoolean:
      ok = text.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0 ||
           text.compare(QLatin1String("FALSE"), Qt::CaseInsensitive) == 0;
      value = text.compare(QLatin1String("TRUE"), Qt::CaseInsensitive) == 0;
      break;
    case pkDate:
    case pkTime:
    case pkDateTime:
      // SQLite has no date type: its dates are the ISO text the value already is.
      if (Dialect == sdSQLite) return text;
      if (Param.Kind == pkDate) {
        const QDate date = QDate::fromString(text, Qt::ISODate);
        ok = date.isValid();
        value = date;
      } else if (Param.Kind == pkTime) {
        const QTime time = QTime::fromString(text, Qt::ISODate);
        ok = time.isValid();
        value = time;
      } else {
        const QDateTime at = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        ok = at.isValid();
        value = at;
      }
      break;
  }
  return ok ? value : QVariant(text);
}

namespace {

class TQtSqlVariant : public TDataSetVariant {
 public:
  bool IsQuery(const Classes::TComponent* Query) const override {
    return dynamic_cast<const TQtSqlQuery*>(Query) != nullptr;
  }
  bool IsFilter(const Classes::TPersistent* Filter) const override {
    return dynamic_cast<const TkytQtSqlFilter*>(Filter) != nullptr;
  }
  // Both optional comparisons are offered: with bound values they are written safely.
  TSpecialOperators InitialSpecialOperators() const override { return {opStartingWith, opContains}; }
  bool SpecialOperatorsHaveDefault() const override { return true; }

  std::string GetSQL(Classes::TComponent& Query) const override { return Engine(Query).SQL()->Text(); }
  void SetSQL(Classes::TComponent& Query, const std::string& SQL) const override { Engine(Query).SQL()->SetText(SQL); }

  TSqlDialect Dialect(Classes::TComponent& Query) const override {
    try {
      return DialectOfDriver(Engine(Query).DriverName());
    } catch (const DB::EDatabaseError&) {
      return sdFirebird;  // no connection yet: opening will say so
    }
  }
  bool UseParameters(const Classes::TPersistent& Filter) const override {
    return dynamic_cast<const TkytQtSqlFilter&>(Filter).UseParameters();
  }
  void SetParams(Classes::TComponent& Query, const TSqlParams& Params) const override {
    const TSqlDialect dialect = Params.empty() ? sdFirebird : Dialect(Query);
    QVariantList values;
    values.reserve(static_cast<qsizetype>(Params.size()));
    for (const TSqlParam& param : Params) values.push_back(ParamValue(param, dialect));
    Engine(Query).SetParams(values);
  }

  void DescribeQuery(Classes::TComponent& Query, std::vector<TColumnInfo>& Columns) const override {
    const TQtSqlQuery& query = Engine(Query);
    Columns.clear();
    for (int i = 0; i < query.FieldCount(); ++i) {
      const DB::TField& field = *query.Fields(i);
      TColumnInfo info = DescribeField(field);
      // A column of a table is named by its base column, so that a criterion on an
      // aliased column still names a column of the table.
      const std::string& table = query.BaseTable(i);
      info.FieldName = table.empty() ? field.FullName() : query.BaseColumn(i);
      info.TableName = table.empty() ? std::string() : TableQualifier(table);
      Columns.push_back(std::move(info));
    }
  }

  std::unique_ptr<Classes::TComponent> NewScratchQuery(Classes::TComponent& Query) const override {
    auto scratch = std::make_unique<TQtSqlQuery>(nullptr);
    scratch->SetConnectionName(Engine(Query).ConnectionName());
    scratch->SetRequestLive(false);
    scratch->SetUniDirectional(true);
    return scratch;
  }
  // SQLite reads a table's rows only as they are fetched, and its declared types are
  // known only from a statement: the scratch query is opened. Other engines describe a
  // table through the connection, without sending its rows.
  void OpenScratch(Classes::TComponent& Scratch) const override {
    if (Engine(Scratch).DriverName() == "QSQLITE") Open(Scratch);
  }
  void DescribeTable(Classes::TComponent& Scratch, const TTableRef& Table,
                     std::vector<TColumnInfo>& Columns) const override {
    const TQtSqlQuery& query = Engine(Scratch);
    const std::string qualifier = TableQualifier(Table.Name());
    auto add = [&](const DB::TField& Field) {
      TColumnInfo info = DescribeField(Field);
      info.FieldName = Field.FullName();
      info.TableName = qualifier;
      Columns.push_back(std::move(info));
    };
    if (query.Active()) {
      for (int i = 0; i < query.FieldCount(); ++i) add(*query.Fields(i));
      return;
    }
    const QSqlDatabase db = QtSqlDataSet::Connection(query.ConnectionName());
    // PostgreSQL folds an unquoted name to lower case; its driver takes the name as given.
    const bool fold = !Table.Quoted() && db.driverName() == QLatin1String("QPSQL");
    const QSqlRecord record = db.record(AnsiText::ToQString(fold ? SysUtils::AnsiLowerCase(Table.Table) : Table.Table));
    for (int i = 0; i < record.count(); ++i) add(DB::TField(nullptr, QtSqlDataSet::FieldDefOf(record.field(i)), i));
  }

 private:
  static TQtSqlQuery& Engine(Classes::TComponent& Query) { return dynamic_cast<TQtSqlQuery&>(Query); }
  static const TQtSqlQuery& Engine(const Classes::TComponent& Query) { return dynamic_cast<const TQtSqlQuery&>(Query); }
  // Upper case, as the other dataset filters name tables; the statement's own spelling
  // is put back when the condition is written.
  static std::string TableQualifier(const std::string& Table) { return SysUtils::AnsiUpperCase(Table) + "."; }
};

}  // namespace

TkytQtSqlFilter::TkytQtSqlFilter(Classes::TComponent* AOwner)
    : TkytFilter(AOwner, kytFilterBase::VariantOf<TQtSqlVariant>()) {}

void RegisterComponents() {
  using F = TkytQtSqlFilter;
  TypInfo::TPropInfo defs =
      TypInfo::StringProp<F>("FilterFieldDefs", &F::FilterFieldDefs, &F::SetFilterFieldDefs, std::string());
  defs.Type = &typeid(TFilterFieldDefs);
  std::vector<TypInfo::TPropInfo> props =
      kytFilterBase::FilterProperties(kytFilterBase::VariantOf<TQtSqlVariant>(),
                                      TypInfo::ComponentProp<F>("DataSet", &F::DataSet, &F::SetDataSet), std::move(defs));
  props.push_back(TypInfo::BoolProp<F>("UseParameters", &F::UseParameters, &F::SetUseParameters, true));
  TypInfo::RegisterClass(
      {"TkytQtSqlFilter", "TComponent", [](Classes::TComponent* Owner) { return new F(Owner); }, std::move(props)});
}

void Register() {
  RegisterComponents();
  kytFilterDesign::RegisterFilter<TkytQtSqlFilter, TFilterFieldDefsProperty>("Qt SQL", "TkytQtSqlFilter", 0x8040C0);
}

}  // namespace kytQtSqlFilter
