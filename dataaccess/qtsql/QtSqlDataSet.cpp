// Unit QtSqlDataSet: the type mapping, the cursor over a QSqlQuery and the query.
#include "dataaccess/qtsql/QtSqlDataSet.h"

#include <dlfcn.h>
#include <sqlite3.h>

#include <QDate>
#include <QDateTime>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QTime>

#include <cmath>
#include <string_view>

#include "dataaccess/db/DBText.h"
#include "host/rtl/TypInfo.h"
#include "host/ui/AnsiText.h"

namespace QtSqlDataSet {

namespace {

const char* const kNoRows = "The statement returns no rows; run it with ExecSQL";

std::string Ansi(const QString& S) { return DB::Utf8ToAnsi(S.toStdString()); }

[[noreturn]] void RaiseError(const QSqlError& Error, const std::string& Context) {
  std::string text = Ansi(Error.text().trimmed());
  if (text.empty()) text = "unknown error";
  throw EQtSqlError(Context + text, Ansi(Error.nativeErrorCode()));
}

// ---- SQLite: declared types and case folding -------------------------------------------

// The raw handle behind a QVariant from a Qt SQL driver, when it is of TypeName.
template <class T>
T* HandleOf(const QVariant& V, const char* TypeName) {
  if (!V.isValid() || qstrcmp(V.typeName(), TypeName) != 0) return nullptr;
  return *static_cast<T* const*>(V.constData());
}

// UPPER by the Windows-1252 code page over UTF-8 text: NULL stays NULL, characters the
// code page lacks and bytes that are not UTF-8 stay as they are.
void AnsiUpper(sqlite3_context* Context, int, sqlite3_value** Args) {
  const auto* text = sqlite3_value_text(Args[0]);
  if (text == nullptr) return;
  const std::string out = DB::Utf8AnsiUpper(
      std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_value_bytes(Args[0]))));
  sqlite3_result_text(Context, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

// Gives a SQLite connection the code-page UPPER unless it has it already. Replacing a
// function while another statement of the connection runs is refused by SQLite, hence
// the probe: the connection is left alone once it folds "é".
void EnsureAnsiUpper(const QSqlDatabase& Db) {
  sqlite3* handle = HandleOf<sqlite3>(Db.driver()->handle(), "sqlite3*");
  if (handle == nullptr) return;
  sqlite3_stmt* probe = nullptr;
  bool folds = false;
  if (sqlite3_prepare_v2(handle, "SELECT UPPER('\xC3\xA9')", -1, &probe, nullptr) == SQLITE_OK &&
      sqlite3_step(probe) == SQLITE_ROW) {
    const auto* result = reinterpret_cast<const char*>(sqlite3_column_text(probe, 0));
    folds = result != nullptr && std::string_view(result) == "\xC3\x89";
  }
  sqlite3_finalize(probe);
  if (!folds)
    sqlite3_create_function_v2(handle, "UPPER", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, AnsiUpper, nullptr,
                               nullptr, nullptr);
}

// ---- fields and values ---------------------------------------------------------------

DB::TFieldDef DefOf(const QSqlField& Field, QMetaType::Type Type, int Length, int Precision) {
  DB::TFieldDef def;
  def.Name = Ansi(Field.name());
  def.DataType = FieldTypeOfMetaType(QMetaType(Type));
  if (def.DataType == DB::ftString) {
    // Text without a declared length is unlimited: a memo.
    if (Length > 0) def.Size = Length;
    else def.DataType = DB::ftMemo;
  } else if (def.DataType == DB::ftFloat && Precision > 0) {
    def.DataType = DB::ftBCD;
    def.Size = Precision;
  }
  return def;
}

// A number of a decimal column with Scale places, kept as the engines with exact
// decimals keep it, so that it prints with its places ("12.50", not "12.5"). Drivers
// hand such numbers over as doubles (PostgreSQL) or integers (SQLite stores 24000.00 as
// 24000); the scaled value is rounded back from the double.
DB::TValue DecimalOf(const QVariant& V, int Scale) {
  int64_t factor = 1;
  for (int i = 0; i < Scale; ++i) factor *= 10;
  if (V.metaType().id() != QMetaType::Double && V.metaType().id() != QMetaType::Float)
    return DB::TValue::Decimal(V.toLongLong() * factor, Scale);
  return DB::TValue::Decimal(std::llround(V.toDouble() * static_cast<double>(factor)), Scale);
}

// Beyond this many places a decimal column's numbers stay doubles: a double holds about
// 15 significant digits, and the scaled value must fit them.
constexpr int kMaxDecimalScale = 9;

DB::TValue ValueOf(const QVariant& V, const DB::TFieldDef& Def) {
  if (V.isNull()) return DB::TValue::Null();
  const DB::TFieldType Type = Def.DataType;
  const bool decimal = Type == DB::ftBCD && Def.Size > 0 && Def.Size <= kMaxDecimalScale;
  static const QDate dayZero(1899, 12, 30);
  switch (V.metaType().id()) {
    case QMetaType::Bool:
      return DB::TValue::Boolean(V.toBool());
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::LongLong:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
      // SQLite keeps booleans as 0 and 1.
      if (Type == DB::ftBoolean) return DB::TValue::Boolean(V.toLongLong() != 0);
      if (decimal) return DecimalOf(V, Def.Size);
      return DB::TValue::Integer(V.toLongLong());
    case QMetaType::Float:
      if (decimal) return DecimalOf(V, Def.Size);
      return DB::TValue::Float(V.toDouble(), true);
    case QMetaType::Double:
      if (decimal) return DecimalOf(V, Def.Size);
      return DB::TValue::Float(V.toDouble());
    case QMetaType::QString: {
      std::string text = Ansi(V.toString());
      // SQLite keeps dates and times as ISO text.
      if (Type == DB::ftDate || Type == DB::ftTime || Type == DB::ftDateTime)
        return DB::TValue::FromIsoText(Type, text);
      return DB::TValue::Text(std::move(text));
    }
    case QMetaType::QByteArray: {
      const QByteArray bytes = V.toByteArray();
      return DB::TValue::Bytes(std::string(bytes.constData(), static_cast<size_t>(bytes.size())));
    }
    case QMetaType::QDate:
      return DB::TValue::Date(static_cast<int32_t>(dayZero.daysTo(V.toDate())));
    case QMetaType::QTime:
      return DB::TValue::Time(int64_t{V.toTime().msecsSinceStartOfDay()} * 10);
    case QMetaType::QDateTime: {
      // The wall-clock time the database gave, whatever the time zone.
      const QDateTime at = V.toDateTime();
      return DB::TValue::DateTime(static_cast<int32_t>(dayZero.daysTo(at.date())),
                                  int64_t{at.time().msecsSinceStartOfDay()} * 10);
    }
    default:
      return DB::TValue::Unreadable(V.typeName() ? V.typeName() : "?");
  }
}

// Prepares Statement on Db with Params bound in order, and runs it. With RowsOnly, a
// SQLite statement that returns no rows is refused before it runs, so that opening an
// UPDATE does not change data before it fails.
QSqlQuery Run(const QSqlDatabase& Db, const QString& Statement, const QVariantList& Params, bool ForwardOnly,
              bool RowsOnly) {
  QSqlQuery query(Db);
  query.setForwardOnly(ForwardOnly);
  if (!query.prepare(Statement)) RaiseError(query.lastError(), "");
  if (RowsOnly) {
    sqlite3_stmt* stmt = HandleOf<sqlite3_stmt>(query.result()->handle(), "sqlite3_stmt*");
    if (stmt != nullptr && sqlite3_column_count(stmt) == 0) throw EQtSqlError(kNoRows, std::string());
  }
  for (const QVariant& value : Params) query.addBindValue(value);
  if (!query.exec()) RaiseError(query.lastError(), "");
  return query;
}

// ---- PostgreSQL: the column behind an alias ---------------------------------------------

// QPSQL tells the table behind a column but names the column by its alias; libpq knows
// the table's and the column's numbers (PQftable, PQftablecol). The two functions are
// taken from the libpq the driver has loaded, so this library neither links nor loads
// libpq itself. Empty when the result is not PostgreSQL's or libpq is not there.
std::vector<TQtSqlQuery::TPgOrigin> PgOrigins(const QSqlQuery& Query) {
  std::vector<TQtSqlQuery::TPgOrigin> origins;
  void* result = HandleOf<void>(Query.result()->handle(), "pg_result*");
  if (result == nullptr) return origins;
  void* libpq = dlopen("libpq.so.5", RTLD_LAZY | RTLD_NOLOAD);
  if (libpq == nullptr) return origins;
  using TTableOf = unsigned (*)(const void*, int);
  using TColumnOf = int (*)(const void*, int);
  const auto tableOf = reinterpret_cast<TTableOf>(dlsym(libpq, "PQftable"));
  const auto columnOf = reinterpret_cast<TColumnOf>(dlsym(libpq, "PQftablecol"));
  if (tableOf != nullptr && columnOf != nullptr)
    for (int i = 0; i < Query.record().count(); ++i) origins.push_back({tableOf(result, i), columnOf(result, i)});
  dlclose(libpq);  // the driver keeps it loaded
  return origins;
}

class TQtSqlCursor : public DB::TCursor {
 public:
  TQtSqlCursor(QSqlQuery Query, std::vector<DB::TFieldDef> Defs) : FQuery(std::move(Query)), FDefs(std::move(Defs)) {}

  bool Fetch(std::vector<DB::TValue>& Row) override {
    if (!FQuery.next()) {
      if (FQuery.lastError().isValid()) RaiseError(FQuery.lastError(), "");
      return false;
    }
    Row.resize(FDefs.size());
    for (size_t i = 0; i < FDefs.size(); ++i) Row[i] = ValueOf(FQuery.value(static_cast<int>(i)), FDefs[i]);
    return true;
  }

 private:
  QSqlQuery FQuery;
  std::vector<DB::TFieldDef> FDefs;
};

}  // namespace

DB::TFieldDef FieldDefOf(const QSqlField& Field) {
  const auto type = static_cast<QMetaType::Type>(Field.metaType().id());
  return DefOf(Field, type, Field.length(), type == QMetaType::Double ? Field.precision() : 0);
}

DB::TFieldType FieldTypeOfMetaType(QMetaType Type) {
  switch (Type.id()) {
    case QMetaType::Bool:
      return DB::ftBoolean;
    case QMetaType::Char:
    case QMetaType::SChar:
    case QMetaType::UChar:
    case QMetaType::Short:
      return DB::ftSmallint;
    case QMetaType::UShort:
      return DB::ftWord;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
      return DB::ftInteger;
    case QMetaType::LongLong:
    case QMetaType::ULong:
    case QMetaType::ULongLong:
      return DB::ftLargeint;
    case QMetaType::Float:
    case QMetaType::Double:
      return DB::ftFloat;
    case QMetaType::QString:
    case QMetaType::QChar:
      return DB::ftString;
    case QMetaType::QDate:
      return DB::ftDate;
    case QMetaType::QTime:
      return DB::ftTime;
    case QMetaType::QDateTime:
      return DB::ftDateTime;
    case QMetaType::QByteArray:
      return DB::ftBlob;
    default:
      return DB::ftUnknown;
  }
}

QSqlDatabase Connection(const std::string& ConnectionName) {
  const QString name =
      ConnectionName.empty() ? QString::fromLatin1(QSqlDatabase::defaultConnection) : AnsiText::ToQString(ConnectionName);
  if (!QSqlDatabase::contains(name))
    throw EQtSqlError(ConnectionName.empty() ? std::string("There is no default Qt SQL connection")
                                             : "There is no Qt SQL connection named '" + ConnectionName + "'",
                      std::string());
  QSqlDatabase db = QSqlDatabase::database(name, false);
  if (!db.isOpen() && !db.open()) RaiseError(db.lastError(), "Cannot open the connection: ");
  return db;
}

// ---- TQtSqlQuery ----------------------------------------------------------------------

TQtSqlQuery::TQtSqlQuery(Classes::TComponent* AOwner) : DB::TQueryDataSet(AOwner) {}

TQtSqlQuery::~TQtSqlQuery() { Close(); }

std::string TQtSqlQuery::DriverName() const { return Ansi(Connection(ConnectionName()).driverName()); }

const std::string& TQtSqlQuery::BaseTable(int Index) const {
  CheckActive();
  return FBaseTables.at(static_cast<size_t>(Index));
}

const std::string& TQtSqlQuery::BaseColumn(int Index) const {
  CheckActive();
  if (!FPgOrigins.empty()) ResolvePgColumns();
  return FBaseColumns.at(static_cast<size_t>(Index));
}

void TQtSqlQuery::ResolvePgColumns() const {
  // One catalogue statement for every column of a table, asked only when a caller wants
  // base columns (the catalogue), never on the filter's own reopen. Numbers only: no
  // text of the statement goes into it.
  QString pairs;
  for (const TPgOrigin& o : FPgOrigins)
    if (o.Table != 0 && o.Column > 0)
      pairs += QStringLiteral("%1(%2, %3)").arg(pairs.isEmpty() ? "" : ", ").arg(o.Table).arg(o.Column);
  const std::vector<TPgOrigin> origins = std::move(FPgOrigins);
  FPgOrigins.clear();
  if (pairs.isEmpty()) return;
  QSqlQuery names(Connection(ConnectionName()));
  // Where the lookup fails the alias names stay: the columns are still described.
  if (!names.exec("SELECT attrelid, attnum, attname FROM pg_catalog.pg_attribute WHERE (attrelid, attnum) IN (" +
                  pairs + ")"))
    return;
  while (names.next())
    for (size_t i = 0; i < origins.size(); ++i)
      if (origins[i].Table == names.value(0).toUInt() && origins[i].Column == names.value(1).toInt())
        FBaseColumns[i] = Ansi(names.value(2).toString());
}

std::unique_ptr<DB::TCursor> TQtSqlQuery::OpenCursor(std::vector<DB::TFieldDef>& Defs) {
  const QString statement = AnsiText::ToQString(CheckedSQL());
  QSqlDatabase db = Connection(ConnectionName());
  const bool sqlite = db.driverName() == QLatin1String("QSQLITE");
  if (sqlite) EnsureAnsiUpper(db);
  // PostgreSQL's driver reads a forward-only result row by row from the server and loses
  // it when another statement runs on the connection meanwhile (a catalogue lookup, the
  // attached model): there the result is read whole, as Qt does by default.
  QSqlQuery query = Run(db, statement, FParams, db.driverName() != QLatin1String("QPSQL"), true);
  if (!query.isSelect()) throw EQtSqlError(kNoRows, std::string());

  const QSqlRecord record = query.record();
  sqlite3_stmt* stmt = sqlite ? HandleOf<sqlite3_stmt>(query.result()->handle(), "sqlite3_stmt*") : nullptr;
  Defs.clear();
  FBaseTables.clear();
  FBaseColumns.clear();
  FPgOrigins = PgOrigins(query);
  for (int i = 0; i < record.count(); ++i) {
    const QSqlField field = record.field(i);
    QMetaType::Type type = static_cast<QMetaType::Type>(field.metaType().id());
    int length = field.length(), precision = field.precision();
    std::string table = Ansi(field.tableName()), column = Ansi(field.name());
    if (type != QMetaType::Double) precision = 0;  // only decimals have decimal places
    DB::TFieldDef def = DefOf(field, type, length, precision);
    if (stmt != nullptr) {
      // QSQLITE knows only a few declared types and reports the rest as text: the
      // declared type decides, by the rules the dataset library applies to SQLite.
      const char* declared = sqlite3_column_decltype(stmt, i);
      int size = 0;
      const DB::TFieldType byDeclared = DB::FieldTypeOfDeclaredType(declared ? declared : "", size);
      if (byDeclared != DB::ftUnknown) {
        def.DataType = byDeclared;
        def.Size = size;
      }
      const char* origin = sqlite3_column_origin_name(stmt, i);
      const char* originTable = sqlite3_column_table_name(stmt, i);
      column = origin ? DB::Utf8ToAnsi(origin) : column;
      table = originTable ? DB::Utf8ToAnsi(originTable) : std::string();
    }
    Defs.push_back(std::move(def));
    FBaseTables.push_back(std::move(table));
    FBaseColumns.push_back(std::move(column));
  }
  auto cursor = std::make_unique<TQtSqlCursor>(std::move(query), Defs);
  ShowInModel(db, statement);
  return cursor;
}

void TQtSqlQuery::ShowInModel(const QSqlDatabase& Db, const QString& Statement) {
  if (FModel.isNull()) return;
  // A scrollable query, as the model reads back and forth when the view scrolls.
  FModel->setQuery(Run(Db, Statement, FParams, false, true));
  if (FModel->lastError().isValid()) RaiseError(FModel->lastError(), "The attached model: ");
}

void TQtSqlQuery::ExecSQL() {
  if (Active()) throw DB::EDatabaseError("The query is open; close it before ExecSQL");
  const QString statement = AnsiText::ToQString(CheckedSQL());
  Run(Connection(ConnectionName()), statement, FParams, true, false);
}

void RegisterClasses() {
  using namespace TypInfo;
  RegisterClass({"TQtSqlQuery", "TComponent", [](Classes::TComponent* Owner) { return new TQtSqlQuery(Owner); },
                 {StringProp<TQtSqlQuery>("ConnectionName", &TQtSqlQuery::ConnectionName,
                                          &TQtSqlQuery::SetConnectionName, ""),
                  StringsProp<TQtSqlQuery>("SQL", &TQtSqlQuery::SQL)}});
}

}  // namespace QtSqlDataSet
