// Unit BDE: connections, errors and the Dbi functions over SQLite.
#include "dataaccess/bde/BDE.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <vector>

#include "dataaccess/bde/DBTables.h"
#include "dataaccess/bde/Sqlite_p.h"
#include "dataaccess/db/DBText.h"

namespace BDE {

struct DbiStmt {
  std::shared_ptr<DbiDb> Db;
  sqlite3_stmt* Stmt = nullptr;
};

struct DbiCur {
  std::vector<STMTBaseDesc> Records;
  size_t Next = 0;
};

namespace {

std::map<std::string, std::weak_ptr<DbiDb>>& Connections() {
  static std::map<std::string, std::weak_ptr<DbiDb>> map;
  return map;
}

// Live handles, so a stale or foreign handle is refused rather than followed.
std::set<const DbiStmt*>& Statements() {
  static std::set<const DbiStmt*> set;
  return set;
}
std::set<const DbiCur*>& Cursors() {
  static std::set<const DbiCur*> set;
  return set;
}

DBIErrInfo& LastError() {
  static DBIErrInfo info;
  return info;
}

DBIResult Ok() { return SetLastError(DBIERR_NONE, 0, std::string()); }

// Copies Text into a fixed field of Capacity bytes; false when it does not fit.
bool CopyName(char* Dest, size_t Capacity, const char* Utf8) {
  std::string text = Utf8 != nullptr ? DB::Utf8ToAnsi(Utf8) : std::string();
  if (text.size() + 1 > Capacity) return false;
  std::memcpy(Dest, text.c_str(), text.size() + 1);
  return true;
}

}  // namespace

// ---- connections ----------------------------------------------------------------------

std::string DbiDb::Key(const std::string& FileName) {
  return std::filesystem::absolute(std::filesystem::path(FileName)).lexically_normal().string();
}

std::shared_ptr<DbiDb> DbiDb::Acquire(const std::string& FileName) {
  if (SysUtils::Trim(FileName).empty())
    throw DBTables::EDBEngineError({DBIERR_INVALIDPARAM, 0, "No database name is given"});
  std::string key = Key(FileName);
  auto& map = Connections();
  for (auto it = map.begin(); it != map.end();) it = it->second.expired() ? map.erase(it) : std::next(it);
  // A connection whose file has gone from its name is left to its present users; the
  // name is opened afresh (and fails when nothing is there).
  if (auto it = map.find(key); it != map.end())
    if (auto live = it->second.lock(); live && !live->Moved()) return live;
  sqlite3* handle = nullptr;
  // No SQLITE_OPEN_CREATE: opening a name that is not there must not make an empty
  // database of it. Connections are used by the user-interface thread only, so SQLite
  // need not lock one at every call (one lock per value read, else).
  int rc = sqlite3_open_v2(DB::AnsiToUtf8(key).c_str(), &handle, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
  if (rc != SQLITE_OK) {
    std::string msg = handle ? sqlite3_errmsg(handle) : sqlite3_errstr(rc);
    sqlite3_close(handle);
    throw DBTables::EDBEngineError({DBIERR_INVALIDPARAM, rc, "Cannot open database \"" + FileName + "\": " + msg});
  }
  sqlite3_extended_result_codes(handle, 1);
  sqlite3_busy_timeout(handle, 5000);
  if (int fold = RegisterAnsiUpper(handle); fold != SQLITE_OK) {
    sqlite3_close(handle);
    throw DBTables::EDBEngineError({DBIERR_INVALIDPARAM, fold, "Cannot open database \"" + FileName + "\": " +
                                                                   sqlite3_errstr(fold)});
  }
  auto db = std::make_shared<DbiDb>(key, handle);
  map[key] = db;
  return db;
}

bool DbiDb::IsLive(const DbiDb* Db) {
  if (Db == nullptr) return false;
  for (const auto& [key, weak] : Connections())
    if (auto live = weak.lock(); live.get() == Db) return true;
  return false;
}

DbiDb::~DbiDb() { sqlite3_close_v2(Handle); }

bool DbiDb::Moved() const {
  int moved = 0;
  return sqlite3_file_control(Handle, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK && moved != 0;
}

// ---- errors ---------------------------------------------------------------------------

DBIResult detail::SetLastError(DBIResult Code, int Native, const std::string& Message) {
  DBIErrInfo& info = LastError();
  info.iError = Code;
  info.iNativeError = Native;
  info.szErrCode = Message;
  return Code;
}

void detail::RaiseSqlite(sqlite3* Db, int Rc, const std::string& Context) {
  std::string msg = DB::Utf8ToAnsi(Db ? sqlite3_errmsg(Db) : sqlite3_errstr(Rc));
  if (!Context.empty()) msg = Context + " " + msg;
  throw DBTables::EDBEngineError({DBIERR_QRYSYNTAX, Db ? sqlite3_extended_errcode(Db) : Rc, msg});
}

sqlite3_stmt* detail::PrepareOne(sqlite3* Db, const std::string& Utf8) {
  sqlite3_stmt* stmt = nullptr;
  const char* tail = nullptr;
  int rc = sqlite3_prepare_v2(Db, Utf8.c_str(), static_cast<int>(Utf8.size()), &stmt, &tail);
  if (rc != SQLITE_OK) RaiseSqlite(Db, rc);
  if (stmt == nullptr)
    throw DBTables::EDBEngineError({DBIERR_QRYSYNTAX, 0, "The SQL statement is empty"});
  // A second statement would be silently ignored; preparing it tells blanks and
  // comments (no statement) from real text.
  const char* end = Utf8.c_str() + Utf8.size();
  if (tail != nullptr && tail < end) {
    sqlite3_stmt* next = nullptr;
    const char* rest = nullptr;
    int rc2 = sqlite3_prepare_v2(Db, tail, static_cast<int>(end - tail), &next, &rest);
    sqlite3_finalize(next);
    if (rc2 != SQLITE_OK || next != nullptr) {
      sqlite3_finalize(stmt);
      throw DBTables::EDBEngineError(
          {DBIERR_QRYSYNTAX, 0, "Only one SQL statement may be given; text follows the first one"});
    }
  }
  return stmt;
}

// ---- Dbi functions --------------------------------------------------------------------

DBIResult DbiQAlloc(hDBIDb Db, DBIQryLang Language, hDBIStmt* phStmt) {
  if (phStmt == nullptr) return SetLastError(DBIERR_INVALIDPARAM, 0, "No statement handle to fill");
  *phStmt = nullptr;
  if (!DbiDb::IsLive(Db)) return SetLastError(DBIERR_INVALIDHNDL, 0, "Invalid database handle");
  if (Language != qrylangSQL)
    return SetLastError(DBIERR_NOTSUPPORTED, 0, "Only the SQL query language is supported");
  std::shared_ptr<DbiDb> owner;
  for (const auto& [key, weak] : Connections())
    if (auto live = weak.lock(); live.get() == Db) owner = live;
  auto* stmt = new DbiStmt{owner, nullptr};
  Statements().insert(stmt);
  *phStmt = stmt;
  return Ok();
}

DBIResult DbiQPrepare(hDBIStmt hStmt, const char* pszQuery) {
  if (!Statements().count(hStmt)) return SetLastError(DBIERR_INVALIDHNDL, 0, "Invalid statement handle");
  if (pszQuery == nullptr) return SetLastError(DBIERR_INVALIDPARAM, 0, "No statement text");
  sqlite3_finalize(hStmt->Stmt);
  hStmt->Stmt = nullptr;
  try {
    hStmt->Stmt = PrepareOne(hStmt->Db->Handle, DB::AnsiToUtf8(pszQuery));
  } catch (const DBTables::EDBEngineError& e) {
    const auto& err = e.Errors(0);
    return SetLastError(err.ErrorCode, err.NativeError, err.Message);
  }
  return Ok();
}

DBIResult DbiQGetBaseDescs(hDBIStmt hStmt, hDBICur* phCur) {
  if (phCur == nullptr) return SetLastError(DBIERR_INVALIDPARAM, 0, "No cursor handle to fill");
  *phCur = nullptr;
  if (!Statements().count(hStmt)) return SetLastError(DBIERR_INVALIDHNDL, 0, "Invalid statement handle");
  if (hStmt->Stmt == nullptr) return SetLastError(DBIERR_NOTPREPARED, 0, "The statement is not prepared");
  auto* cur = new DbiCur;
  int n = sqlite3_column_count(hStmt->Stmt);
  for (int i = 0; i < n; ++i) {
    STMTBaseDesc d{};
    const char* table = sqlite3_column_table_name(hStmt->Stmt, i);
    if (table == nullptr) {
      d.bExpression = true;
    } else if (!CopyName(d.szDatabase, sizeof d.szDatabase, sqlite3_column_database_name(hStmt->Stmt, i)) ||
               !CopyName(d.szTableName, sizeof d.szTableName, table) ||
               !CopyName(d.szFieldName, sizeof d.szFieldName, sqlite3_column_origin_name(hStmt->Stmt, i))) {
      // A name cut short would name another column; none is better.
      d = STMTBaseDesc{};
    }
    cur->Records.push_back(d);
  }
  Cursors().insert(cur);
  *phCur = cur;
  return Ok();
}

DBIResult DbiGetNextRecord(hDBICur hCursor, DBILockType eLock, void* pRecBuff, void* precProps) {
  (void)eLock;
  (void)precProps;
  if (!Cursors().count(hCursor)) return SetLastError(DBIERR_INVALIDHNDL, 0, "Invalid cursor handle");
  if (hCursor->Next >= hCursor->Records.size()) return SetLastError(DBIERR_EOF, 0, "At end of table");
  if (pRecBuff == nullptr) return SetLastError(DBIERR_INVALIDPARAM, 0, "No record buffer");
  std::memcpy(pRecBuff, &hCursor->Records[hCursor->Next++], sizeof(STMTBaseDesc));
  return Ok();
}

DBIResult DbiQFree(hDBIStmt* phStmt) {
  if (phStmt == nullptr || !Statements().count(*phStmt))
    return SetLastError(DBIERR_INVALIDHNDL, 0, "Invalid statement handle");
  sqlite3_finalize((*phStmt)->Stmt);
  Statements().erase(*phStmt);
  delete *phStmt;
  *phStmt = nullptr;
  return Ok();
}

DBIResult DbiCloseCursor(hDBICur* phCursor) {
  if (phCursor == nullptr || !Cursors().count(*phCursor))
    return SetLastError(DBIERR_INVALIDHNDL, 0, "Invalid cursor handle");
  Cursors().erase(*phCursor);
  delete *phCursor;
  *phCursor = nullptr;
  return Ok();
}

DBIResult DbiGetErrorInfo(bool bFull, DBIErrInfo& ErrInfo) {
  (void)bFull;
  ErrInfo = LastError();
  return DBIERR_NONE;
}

}  // namespace BDE
