// Unit Sample: schema, deterministic data and their loading into either engine.
#include "dataaccess/sample/Sample.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

#include "dataaccess/bde/DBTables.h"
#include "dataaccess/db/DB.h"
#include "dataaccess/db/DBText.h"
#include "dataaccess/ibobjects/IB_Components.h"
#include "dataaccess/sample/QtSqlConnect.h"

#include <QSqlError>
#include <QSqlQuery>

namespace Sample {

namespace {

// Column kinds of the schema; each engine spells them its own way.
enum class TCol { Int, Small, Big, Varchar, Char, Date, Time, Stamp, Bool, Money, Double, Float, Memo, Blob };

struct TColumn {
  const char* Name;
  TCol Kind;
  int Length;    // VARCHAR and CHAR length; NUMERIC precision
  bool NotNull;
};

struct TTable {
  const char* Name;
  std::vector<TColumn> Columns;
  const char* Tail;  // keys after the columns
};

const std::vector<TTable>& Tables() {
  static const std::vector<TTable> tables = {
      {"CUSTOMERS",
       {{"ID", TCol::Int, 0, true},
        {"NAME", TCol::Varchar, 40, true},
        {"CITY", TCol::Varchar, 30, false},
        {"COUNTRY", TCol::Char, 2, false},
        {"EMAIL", TCol::Varchar, 60, false},
        {"BIRTH_DATE", TCol::Date, 0, false},
        {"ACTIVE", TCol::Bool, 0, true},
        {"CREDIT_LIMIT", TCol::Money, 15, false},
        {"CREATED_AT", TCol::Stamp, 0, true},
        {"NOTES", TCol::Memo, 0, false}},
       "PRIMARY KEY (ID)"},
      {"PRODUCTS",
       {{"ID", TCol::Int, 0, true},
        {"NAME", TCol::Varchar, 40, true},
        {"CATEGORY", TCol::Varchar, 20, false},
        {"PRICE", TCol::Money, 9, true},
        {"WEIGHT_KG", TCol::Double, 0, false},
        {"STOCK", TCol::Small, 0, false},
        {"DISCONTINUED", TCol::Bool, 0, false},
        {"PICTURE", TCol::Blob, 0, false}},
       "PRIMARY KEY (ID)"},
      {"ORDERS",
       {{"ID", TCol::Int, 0, true},
        {"CUSTOMER_ID", TCol::Int, 0, true},
        {"ORDER_DATE", TCol::Date, 0, true},
        {"ORDER_TIME", TCol::Time, 0, false},
        {"SHIPPED_AT", TCol::Stamp, 0, false},
        {"TOTAL", TCol::Money, 15, false},
        {"PAID", TCol::Bool, 0, false},
        {"STATUS", TCol::Varchar, 10, false},
        {"TRACKING_NO", TCol::Big, 0, false},
        {"COMMENTS", TCol::Varchar, 200, false}},
       "PRIMARY KEY (ID), FOREIGN KEY (CUSTOMER_ID) REFERENCES CUSTOMERS (ID)"},
      {"ORDER_ITEMS",
       {{"ORDER_ID", TCol::Int, 0, true},
        {"LINE_NO", TCol::Small, 0, true},
        {"PRODUCT_ID", TCol::Int, 0, true},
        {"QUANTITY", TCol::Int, 0, true},
        {"UNIT_PRICE", TCol::Money, 9, true},
        {"DISCOUNT", TCol::Float, 0, false}},
       "PRIMARY KEY (ORDER_ID, LINE_NO), FOREIGN KEY (ORDER_ID) REFERENCES ORDERS (ID), "
       "FOREIGN KEY (PRODUCT_ID) REFERENCES PRODUCTS (ID)"},
  };
  return tables;
}

std::string TypeName(TEngine E, const TColumn& C) {
  const bool fb = E == TEngine::Firebird, pg = E == TEngine::PostgreSQL;
  switch (C.Kind) {
    case TCol::Int: return "INTEGER";
    case TCol::Small: return "SMALLINT";
    case TCol::Big: return "BIGINT";
    case TCol::Varchar: return "VARCHAR(" + std::to_string(C.Length) + ")";
    case TCol::Char: return "CHAR(" + std::to_string(C.Length) + ")";
    case TCol::Date: return "DATE";
    case TCol::Time: return "TIME";
    case TCol::Stamp: return "TIMESTAMP";
    case TCol::Bool: return "BOOLEAN";
    case TCol::Money: return "NUMERIC(" + std::to_string(C.Length) + ",2)";
    case TCol::Double: return fb || pg ? "DOUBLE PRECISION" : "DOUBLE";
    // PostgreSQL's FLOAT is double precision; REAL is the single precision of Firebird's.
    case TCol::Float: return pg ? "REAL" : "FLOAT";
    case TCol::Memo: return fb ? "BLOB SUB_TYPE TEXT" : "TEXT";
    case TCol::Blob: return fb ? "BLOB SUB_TYPE BINARY" : pg ? "BYTEA" : "BLOB";
  }
  return "";
}

// ---- deterministic data ---------------------------------------------------------------

// A 64-bit linear congruential generator: the same numbers on every machine.
class TRandom {
 public:
  explicit TRandom(uint64_t Seed) : FState(Seed) {}
  // 0 <= result < N.
  int Below(int N) {
    FState = FState * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int>((FState >> 33) % static_cast<uint64_t>(N));
  }

 private:
  uint64_t FState;
};

// Names and places, written in UTF-8 here and stored in Windows-1252.
const std::vector<std::string> kFirst = {"Ana", "José", "Zoë", "François", "Jürgen", "Søren", "Mary", "John",
                                         "Chloé", "Björn", "Inês", "Günther", "Renée", "Núria", "Olivia", "Peter"};
const std::vector<std::string> kLast = {"Silva", "Müller", "O'Brien", "Næss", "Çelik", "Smith", "García", "Åberg",
                                        "Lefèvre", "Rossi", "Schröder", "Ibáñez", "Jones", "Brown", "Novák", "Weiß"};
struct TPlace {
  const char* City;
  const char* Country;
};
const std::vector<TPlace> kPlaces = {{"São Paulo", "BR"}, {"Zürich", "CH"},   {"Malmö", "SE"},
                                     {"Kraków", "PL"},    {"Reykjavík", "IS"}, {"Montréal", "CA"},
                                     {"München", "DE"},   {"Lisboa", "PT"},    {"London", "GB"},
                                     {"New York", "US"},  {"Oslo", "NO"},      {"Porto", "PT"}};
const std::vector<std::string> kCategories = {"Books", "Café", "Garden", "Tools", "Toys", "Électronique"};
const std::vector<std::string> kProducts = {"Lamp", "Chair", "Kettle", "Crème brûlée kit", "Hammer",
                                            "Notebook", "Piñata", "Smørrebrød board", "Drill", "Puzzle"};
const std::vector<std::string> kStatus = {"NEW", "PAID", "SHIPPED", "DELIVERED", "CANCELLED"};

// 2020-01-01 as a day number (days from 1899-12-30).
constexpr int kDay2020 = 43831;

// One value of a row, written as a literal of the target engine.
struct TLiteral {
  enum class K { Null, Number, Text, Date, Time, Stamp, Bool, Bytes } Kind = K::Null;
  std::string Text;
  bool Flag = false;
};

TLiteral Null() { return {}; }
TLiteral Num(int64_t V) { return {TLiteral::K::Number, std::to_string(V), false}; }
TLiteral Num(const std::string& V) { return {TLiteral::K::Number, V, false}; }
TLiteral Str(const std::string& Utf8) { return {TLiteral::K::Text, DB::Utf8ToAnsi(Utf8), false}; }
TLiteral Day(int Days) { return {TLiteral::K::Date, DB::TValue::Date(Days).AsString(), false}; }
TLiteral Clock(int Seconds) { return {TLiteral::K::Time, DB::TValue::Time(Seconds * 10000LL).AsString(), false}; }
TLiteral Stamp(int Days, int Seconds) {
  return {TLiteral::K::Stamp, DB::TValue::DateTime(Days, Seconds * 10000LL).AsString(), false};
}
TLiteral Bool(bool V) { return {TLiteral::K::Bool, std::string(), V}; }
TLiteral Bin(const std::string& Bytes) { return {TLiteral::K::Bytes, Bytes, false}; }

std::string Cents(int64_t C) { return DB::TValue::Decimal(C, 2).AsString(); }

std::string Quote(const std::string& S) {
  std::string out = "'";
  for (char c : S) {
    if (c == '\'') out += '\'';
    out += c;
  }
  return out + "'";
}

std::string Spell(TEngine E, const TLiteral& L) {
  // Firebird and PostgreSQL read typed literals; SQLite keeps dates as text.
  const bool typed = E != TEngine::SQLite;
  switch (L.Kind) {
    case TLiteral::K::Null: return "NULL";
    case TLiteral::K::Number: return L.Text;
    case TLiteral::K::Text: return Quote(L.Text);
    case TLiteral::K::Date: return typed ? "DATE " + Quote(L.Text) : Quote(L.Text);
    case TLiteral::K::Time: return typed ? "TIME " + Quote(L.Text) : Quote(L.Text);
    case TLiteral::K::Stamp: return typed ? "TIMESTAMP " + Quote(L.Text) : Quote(L.Text);
    case TLiteral::K::Bool: return typed ? (L.Flag ? "TRUE" : "FALSE") : (L.Flag ? "1" : "0");
    case TLiteral::K::Bytes: {
      static const char kHex[] = "0123456789ABCDEF";
      std::string hex;
      for (unsigned char c : L.Text) {
        hex += kHex[c >> 4];
        hex += kHex[c & 15];
      }
      return E == TEngine::PostgreSQL ? "decode('" + hex + "', 'hex')" : "X'" + hex + "'";
    }
  }
  return "NULL";
}

using TRow = std::vector<TLiteral>;
using TSink = std::function<void(int Table, const TRow& Row)>;

// Produces every row of every table, tables in schema order.
void Generate(int Orders, const TSink& Put) {
  TRandom rnd(20240131);
  const int customers = std::max(10, Orders / 10);
  const int products = 100;
  for (int id = 1; id <= customers; ++id) {
    const std::string first = kFirst[static_cast<size_t>(rnd.Below(static_cast<int>(kFirst.size())))];
    const std::string last = kLast[static_cast<size_t>(rnd.Below(static_cast<int>(kLast.size())))];
    const TPlace& place = kPlaces[static_cast<size_t>(rnd.Below(static_cast<int>(kPlaces.size())))];
    bool hasMail = rnd.Below(5) != 0;
    bool hasBirth = rnd.Below(4) != 0;
    int birth = kDay2020 - 365 * 18 - rnd.Below(365 * 60);
    int notes = rnd.Below(6);
    Put(0, {Num(id), Str(first + " " + last), Str(place.City), Str(place.Country),
            hasMail ? Str("customer" + std::to_string(id) + "@example.com") : Null(),
            hasBirth ? Day(birth) : Null(), Bool(rnd.Below(10) != 0),
            id % 7 == 0 ? Null() : Num(Cents(100000LL * (1 + rnd.Below(50)))),
            Stamp(kDay2020 - 400 + rnd.Below(400), rnd.Below(86400)),
            notes == 0 ? Str("Prefers e-mail.\r\nCall after 18:00.")
            : notes == 1 ? Str("Pays on delivery; asks for \"gift\" wrapping, always.") : Null()});
  }
  std::vector<int64_t> price(static_cast<size_t>(products) + 1);
  for (int id = 1; id <= products; ++id) {
    price[static_cast<size_t>(id)] = 199 + rnd.Below(50000);
    std::string picture;
    for (int i = 0, n = 8 + rnd.Below(24); i < n; ++i) picture += static_cast<char>(rnd.Below(256));
    Put(1, {Num(id),
            Str(kProducts[static_cast<size_t>(id % static_cast<int>(kProducts.size()))] + " " + std::to_string(id)),
            id % 11 == 0 ? Null() : Str(kCategories[static_cast<size_t>(rnd.Below(static_cast<int>(kCategories.size())))]),
            Num(Cents(price[static_cast<size_t>(id)])),
            id % 13 == 0 ? Null() : Num(std::to_string(rnd.Below(20000) / 100.0 + 0.25)),
            Num(rnd.Below(500)), Bool(id % 17 == 0), id % 4 == 0 ? Null() : Bin(picture)});
  }
  for (int id = 1; id <= Orders; ++id) {
    int customer = 1 + rnd.Below(customers);
    int day = kDay2020 + rnd.Below(1827);
    int time = 8 * 3600 + rnd.Below(12 * 3600);
    const std::string& status = kStatus[static_cast<size_t>(rnd.Below(static_cast<int>(kStatus.size())))];
    bool shipped = status == "SHIPPED" || status == "DELIVERED";
    int lines = 1 + rnd.Below(5);
    int64_t total = 0;
    std::vector<TRow> items;
    for (int line = 1; line <= lines; ++line) {
      int product = 1 + rnd.Below(products);
      int quantity = 1 + rnd.Below(10);
      int discount = rnd.Below(4);  // 0: none (NULL), else 5 % steps
      int64_t unit = price[static_cast<size_t>(product)];
      total += (quantity * unit * (100 - 5 * discount) + 50) / 100;
      items.push_back({Num(id), Num(line), Num(product), Num(quantity), Num(Cents(unit)),
                       discount == 0 ? Null() : Num(discount == 1 ? "0.05" : discount == 2 ? "0.1" : "0.15")});
    }
    Put(2, {Num(id), Num(customer), Day(day), id % 50 == 0 ? Null() : Clock(time),
            shipped ? Stamp(day + 1 + rnd.Below(5), rnd.Below(86400)) : Null(),
            status == "CANCELLED" ? Null() : Num(Cents(total)),
            status == "NEW" ? Bool(false) : status == "CANCELLED" ? Null() : Bool(true), Str(status),
            shipped ? Num(1000000000000LL + id * 7919LL) : Null(),
            id % 9 == 0 ? Str("Leave at the door, ring twice (order " + std::to_string(id) + ")") : Null()});
    for (const TRow& item : items) Put(3, item);
  }
}

// Collects rows into statements of at most about 48 KB: Firebird's EXECUTE BLOCK of
// single inserts, a multi-row INSERT on the others.
class TBatcher {
 public:
  TBatcher(TEngine E, std::function<void(const std::string&)> Run) : FEngine(E), FRun(std::move(Run)) {}

  void Add(int Table, const TRow& Row) {
    if (Table != FTable) Flush();
    FTable = Table;
    const TTable& t = Tables()[static_cast<size_t>(Table)];
    std::string values;
    for (size_t i = 0; i < Row.size(); ++i) values += (i ? ", " : "") + Spell(FEngine, Row[i]);
    if (FEngine == TEngine::Firebird) {
      std::string cols;
      for (size_t i = 0; i < t.Columns.size(); ++i) cols += std::string(i ? ", " : "") + t.Columns[i].Name;
      FText += "INSERT INTO " + std::string(t.Name) + " (" + cols + ") VALUES (" + values + ");\n";
    } else {
      FText += (FText.empty() ? "INSERT INTO " + std::string(t.Name) + " VALUES\n(" : ",\n(") + values + ")";
    }
    if (FText.size() > 48000) Flush();
  }

  void Flush() {
    if (FText.empty()) return;
    FRun(FEngine == TEngine::Firebird ? "EXECUTE BLOCK AS BEGIN\n" + FText + "END" : FText);
    FText.clear();
  }

 private:
  TEngine FEngine;
  std::function<void(const std::string&)> FRun;
  int FTable = -1;
  std::string FText;
};

// The name of the Qt SQL connection that fills a PostgreSQL database.
const char* kPgFill = "kyt-sample-fill";

// Runs Sql, Windows-1252 text, on Db. Raises DB::EDatabaseError with the server's text.
void PgRun(QSqlDatabase& Db, const std::string& Sql) {
  QSqlQuery query(Db);
  if (!query.exec(QString::fromStdString(DB::AnsiToUtf8(Sql))))
    throw DB::EDatabaseError(DB::Utf8ToAnsi(query.lastError().text().trimmed().toStdString()));
}

// Makes the tables and their rows in one transaction: PostgreSQL's DDL is
// transactional, so a failure leaves the database as it was.
void CreateOnPostgres(const std::string& Connection, int Orders) {
  struct TGuard {
    ~TGuard() { QtSqlConnect::Close(kPgFill); }
  } guard;
  QSqlDatabase db = QtSqlConnect::Open(kPgFill, "QPSQL", Connection);
  PgRun(db, "BEGIN");
  try {
    std::string script = SchemaScript(TEngine::PostgreSQL);
    for (size_t at = 0, end; (end = script.find(";\n", at)) != std::string::npos; at = end + 2)
      PgRun(db, script.substr(at, end - at));
    TBatcher batcher(TEngine::PostgreSQL, [&](const std::string& Sql) { PgRun(db, Sql); });
    Generate(Orders, [&](int Table, const TRow& Row) { batcher.Add(Table, Row); });
    batcher.Flush();
    PgRun(db, "COMMIT");
  } catch (...) {
    QSqlQuery(db).exec("ROLLBACK");
    throw;
  }
}

bool PostgresHasSample(const std::string& Connection) {
  struct TGuard {
    ~TGuard() { QtSqlConnect::Close(kPgFill); }
  } guard;
  QSqlDatabase db = QtSqlConnect::Open(kPgFill, "QPSQL", Connection);
  QSqlQuery query(db);
  // The table as the search path finds it: the same one a query reads.
  if (!query.exec("SELECT to_regclass('customers') IS NOT NULL") || !query.next())
    throw DB::EDatabaseError(DB::Utf8ToAnsi(query.lastError().text().trimmed().toStdString()));
  return query.value(0).toBool();
}

void Fill(TEngine Engine, const std::string& File, int Orders) {
  if (Engine == TEngine::Firebird) {
    IB_Components::TIB_Connection connection(nullptr);
    connection.SetDatabaseName(File);
    connection.Connect();
    TBatcher batcher(Engine, [&](const std::string& Sql) { connection.ExecuteImmediate(Sql); });
    Generate(Orders, [&](int Table, const TRow& Row) { batcher.Add(Table, Row); });
    batcher.Flush();
  } else {
    DBTables::TQuery query(nullptr);
    query.SetDatabaseName(File);
    auto run = [&](const std::string& Sql) {
      query.SQL()->SetText(Sql);
      query.ExecSQL();
    };
    // One transaction for all rows: SQLite commits are slow, one per statement.
    run("BEGIN");
    try {
      TBatcher batcher(Engine, run);
      Generate(Orders, [&](int Table, const TRow& Row) { batcher.Add(Table, Row); });
      batcher.Flush();
      run("COMMIT");
    } catch (...) {
      try {
        run("ROLLBACK");
      } catch (const SysUtils::Exception&) {
        // The first error is the one to report.
      }
      throw;
    }
  }
}

}  // namespace

std::string SchemaScript(TEngine Engine) {
  std::string script;
  for (const TTable& t : Tables()) {
    script += "CREATE TABLE " + std::string(t.Name) + " (\n";
    for (const TColumn& c : t.Columns)
      script += "  " + std::string(c.Name) + " " + TypeName(Engine, c) + (c.NotNull ? " NOT NULL" : "") + ",\n";
    script += "  " + std::string(t.Tail) + "\n);\n";
  }
  script += "CREATE INDEX ORDERS_DATE ON ORDERS (ORDER_DATE);\n";
  script += "CREATE INDEX CUSTOMERS_NAME ON CUSTOMERS (NAME);\n";
  return script;
}

void CreateSampleDatabase(TEngine Engine, const std::string& FileName, int Orders) {
  if (Engine == TEngine::PostgreSQL) {
    CreateOnPostgres(FileName, Orders);
    return;
  }
  namespace fs = std::filesystem;
  if (fs::exists(FileName)) throw DB::EDatabaseError("Cannot create \"" + FileName + "\": the file exists");
  const std::string part = FileName + ".part";
  std::error_code ec;
  fs::remove(part, ec);  // left by a run that was killed
  try {
    if (Engine == TEngine::Firebird)
      IB_Components::TIB_Connection::CreateDatabase(part, SchemaScript(Engine), /*ForcedWrites=*/false);
    else
      DBTables::CreateDatabase(part, SchemaScript(Engine));
    Fill(Engine, part, Orders);
  } catch (...) {
    fs::remove(part, ec);
    throw;
  }
  fs::rename(part, FileName);
}

bool EnsureSampleDatabase(TEngine Engine, const std::string& FileName, int Orders) {
  if (Engine == TEngine::PostgreSQL ? PostgresHasSample(FileName) : std::filesystem::exists(FileName)) return false;
  CreateSampleDatabase(Engine, FileName, Orders);
  return true;
}

}  // namespace Sample
