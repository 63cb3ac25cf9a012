// Unit DBTables: aliases, the type mapping, the SQLite cursor and the engine query.
#include "dataaccess/bde/DBTables.h"

#include <cstdio>
#include <filesystem>

#include "dataaccess/bde/Sqlite_p.h"
#include "dataaccess/db/DBText.h"

namespace DBTables {

// ---- Check ----------------------------------------------------------------------------

void Check(BDE::DBIResult Status) {
  if (Status == BDE::DBIERR_NONE) return;
  BDE::DBIErrInfo info;
  BDE::DbiGetErrorInfo(true, info);
  EDBEngineError::TDBError err{Status, 0, std::string()};
  if (info.iError == Status) {
    err.NativeError = info.iNativeError;
    err.Message = info.szErrCode;
  } else {
    char buf[32];
    std::snprintf(buf, sizeof buf, "Engine error $%04X", static_cast<unsigned>(Status));
    err.Message = buf;
  }
  throw EDBEngineError(err);
}

// ---- TSession -------------------------------------------------------------------------

void TSession::AddAlias(const std::string& Name, const std::string& FileName) {
  std::string name = SysUtils::Trim(Name);
  if (name.empty() || name.find('=') != std::string::npos)
    throw DB::EDatabaseError("Invalid alias name '" + Name + "'");
  if (IsAlias(name)) throw DB::EDatabaseError("Alias '" + name + "' already exists");
  FAliases.Add(name + "=" + FileName);
}

void TSession::DeleteAlias(const std::string& Name) {
  int i = FAliases.IndexOfName(SysUtils::Trim(Name));
  if (i >= 0) FAliases.Delete(i);
}

bool TSession::IsAlias(const std::string& Name) const { return FAliases.IndexOfName(SysUtils::Trim(Name)) >= 0; }

std::string TSession::AliasPath(const std::string& Name) const {
  return FAliases.Values(SysUtils::Trim(Name));
}

void TSession::GetAliasNames(Classes::TStrings& List) const {
  List.Clear();
  for (int i = 0; i < FAliases.Count(); ++i) {
    std::string line = FAliases.Get(i);
    List.Add(line.substr(0, line.find('=')));
  }
}

TSession& Session() {
  static TSession session(nullptr);
  return session;
}

// ---- cursor ---------------------------------------------------------------------------

namespace {

bool IsAscii(const std::string& S) {
  unsigned char any = 0;
  for (char c : S) any |= static_cast<unsigned char>(c);
  return any < 0x80;
}

class TSqliteCursor : public DB::TCursor {
 public:
  TSqliteCursor(std::shared_ptr<BDE::DbiDb> Db, sqlite3_stmt* Stmt, std::vector<DB::TFieldType> Types)
      : FDb(std::move(Db)), FStmt(Stmt), FTypes(std::move(Types)) {}
  ~TSqliteCursor() override { sqlite3_finalize(FStmt); }

  bool Fetch(std::vector<DB::TValue>& Row) override {
    if (FDone) return false;
    int rc = sqlite3_step(FStmt);
    if (rc == SQLITE_DONE) {
      FDone = true;
      return false;
    }
    if (rc != SQLITE_ROW) BDE::RaiseSqlite(FDb->Handle, rc);
    Row.resize(FTypes.size());
    for (size_t i = 0; i < FTypes.size(); ++i) Row[i] = Read(static_cast<int>(i), FTypes[i]);
    return true;
  }

 private:
  DB::TValue Read(int Column, DB::TFieldType Type) {
    switch (sqlite3_column_type(FStmt, Column)) {
      case SQLITE_NULL:
        return DB::TValue::Null();
      case SQLITE_INTEGER: {
        sqlite3_int64 v = sqlite3_column_int64(FStmt, Column);
        // SQLite has no boolean storage; a BOOLEAN column holds 0 and 1.
        return Type == DB::ftBoolean ? DB::TValue::Boolean(v != 0) : DB::TValue::Integer(v);
      }
      case SQLITE_FLOAT:
        return DB::TValue::Float(sqlite3_column_double(FStmt, Column));
      case SQLITE_TEXT: {
        const char* p = reinterpret_cast<const char*>(sqlite3_column_text(FStmt, Column));
        std::string text(p, static_cast<size_t>(sqlite3_column_bytes(FStmt, Column)));
        // ASCII is the same in both; only other text needs converting.
        if (!IsAscii(text)) text = DB::Utf8ToAnsi(text);
        // Dates and times are stored as ISO text.
        if (Type == DB::ftDate || Type == DB::ftTime || Type == DB::ftDateTime)
          return DB::TValue::FromIsoText(Type, text);
        return DB::TValue::Text(std::move(text));
      }
      default: {
        const char* p = static_cast<const char*>(sqlite3_column_blob(FStmt, Column));
        size_t n = static_cast<size_t>(sqlite3_column_bytes(FStmt, Column));
        return DB::TValue::Bytes(p ? std::string(p, n) : std::string());
      }
    }
  }

  std::shared_ptr<BDE::DbiDb> FDb;
  sqlite3_stmt* FStmt;
  std::vector<DB::TFieldType> FTypes;
  bool FDone = false;
};

}  // namespace

// ---- TQuery ---------------------------------------------------------------------------

TQuery::TQuery(Classes::TComponent* AOwner) : DB::TQueryDataSet(AOwner) {}

TQuery::~TQuery() { Close(); }

void TQuery::Connect() {
  std::string name = DatabaseName();
  std::string file = Session().IsAlias(name) ? Session().AliasPath(name) : name;
  if (FDb && !SysUtils::Trim(file).empty() && FDb->Path == BDE::DbiDb::Key(file) && !FDb->Moved()) return;
  FDb.reset();
  FDb = BDE::DbiDb::Acquire(file);
}

BDE::hDBIDb TQuery::DBHandle() const { return FDb.get(); }

std::unique_ptr<DB::TCursor> TQuery::OpenCursor(std::vector<DB::TFieldDef>& Defs) {
  std::string sql = CheckedSQL();
  Connect();
  sqlite3_stmt* stmt = BDE::PrepareOne(FDb->Handle, DB::AnsiToUtf8(sql));
  int n = sqlite3_column_count(stmt);
  if (n == 0) {
    sqlite3_finalize(stmt);
    throw EDBEngineError({BDE::DBIERR_QRYSYNTAX, 0, "The statement returns no rows; run it with ExecSQL"});
  }
  Defs.clear();
  std::vector<DB::TFieldType> types;
  for (int i = 0; i < n; ++i) {
    DB::TFieldDef d;
    const char* name = sqlite3_column_name(stmt, i);
    d.Name = DB::Utf8ToAnsi(name ? name : "");
    const char* declared = sqlite3_column_decltype(stmt, i);
    d.DataType = FieldTypeOfDeclaredType(declared ? declared : "", d.Size);
    Defs.push_back(d);
    types.push_back(d.DataType);
  }
  return std::make_unique<TSqliteCursor>(FDb, stmt, std::move(types));
}

void TQuery::ExecSQL() {
  if (Active()) throw DB::EDatabaseError("The query is open; close it before ExecSQL");
  std::string sql = CheckedSQL();
  Connect();
  sqlite3_stmt* stmt = BDE::PrepareOne(FDb->Handle, DB::AnsiToUtf8(sql));
  int rc;
  while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
  }
  sqlite3_finalize(stmt);
  if (rc != SQLITE_DONE) BDE::RaiseSqlite(FDb->Handle, rc);
}

// ---- CreateDatabase -------------------------------------------------------------------

void CreateDatabase(const std::string& FileName, const std::string& Script) {
  std::string key = BDE::DbiDb::Key(FileName);
  std::error_code ec;
  if (std::filesystem::exists(key, ec))
    throw EDBEngineError({BDE::DBIERR_INVALIDPARAM, 0, "Cannot create \"" + FileName + "\": the file exists"});
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(DB::AnsiToUtf8(key).c_str(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
  std::string error;
  // The script may use UPPER (in a check or a default) as every later connection reads it.
  if (rc == SQLITE_OK) rc = BDE::RegisterAnsiUpper(db);
  if (rc == SQLITE_OK) {
    char* msg = nullptr;
    std::string script = "BEGIN;\n" + DB::AnsiToUtf8(Script) + "\n;COMMIT;";
    rc = sqlite3_exec(db, script.c_str(), nullptr, nullptr, &msg);
    if (rc != SQLITE_OK) error = DB::Utf8ToAnsi(msg ? msg : sqlite3_errstr(rc));
    sqlite3_free(msg);
  } else {
    error = DB::Utf8ToAnsi(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
  }
  sqlite3_close(db);
  if (rc != SQLITE_OK) {
    std::filesystem::remove(key, ec);
    std::filesystem::remove(key + "-journal", ec);
    throw EDBEngineError({BDE::DBIERR_QRYSYNTAX, rc, "Cannot create \"" + FileName + "\": " + error});
  }
}

}  // namespace DBTables
