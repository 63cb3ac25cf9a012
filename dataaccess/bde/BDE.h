// Unit BDE: the engine functions the filter components call on a query's database,
// over SQLite. Every function returns a DBIResult: DBIERR_NONE (0) on success, an
// error code otherwise; the message of the last error is kept for DbiGetErrorInfo (and
// so for DBTables::Check). No function raises.
//
// Handles are opaque; a handle that is null, already freed or of the wrong kind gives
// DBIERR_INVALIDHNDL instead of undefined behaviour.
//
// User-interface thread only.
#pragma once

#include <cstdint>
#include <string>

namespace BDE {

using DBIResult = uint16_t;

constexpr DBIResult DBIERR_NONE = 0;
// The end of a cursor was reached.
constexpr DBIResult DBIERR_EOF = 0x2202;
constexpr DBIResult DBIERR_INVALIDPARAM = 0x2102;
constexpr DBIResult DBIERR_INVALIDHNDL = 0x2106;
constexpr DBIResult DBIERR_NOTSUPPORTED = 0x3E06;
constexpr DBIResult DBIERR_QRYSYNTAX = 0x2E03;  // the engine rejected the statement
constexpr DBIResult DBIERR_NOTPREPARED = 0x2E0A;

// Longest names in the records below, without the terminating NUL.
constexpr int DBIMAXNAMELEN = 31;
constexpr int DBIMAXTBLNAMELEN = 260;

enum DBIQryLang : int { qrylangQBE = 1, qrylangSQL = 2 };
enum DBILockType : int { dbiNOLOCK = 0, dbiREADLOCK = 1, dbiWRITELOCK = 2 };

namespace detail {
struct DbiDb;  // the engine's connection, private to the data access
}
using detail::DbiDb;
struct DbiStmt;
struct DbiCur;
// A database, as a query gives it (DBTables::TQuery::DBHandle); not owned by callers.
using hDBIDb = DbiDb*;
using hDBIStmt = DbiStmt*;
using hDBICur = DbiCur*;

// The base of one output column of a statement. A column with no table column behind
// it (an expression, an aggregate, a constant) has empty names and bExpression set. A
// column whose names do not fit the fields has empty names and no flag set: a name cut
// short would name another column. SQLite does not tell aggregates and constants from
// other expressions, so bAggregate and bConstant stay false.
struct STMTBaseDesc {
  char szDatabase[DBIMAXNAMELEN + 1];        // "main", or the attached schema
  char szTableName[DBIMAXTBLNAMELEN + 1];    // the base table, as the schema names it
  char szFieldName[DBIMAXNAMELEN + 1];       // the base column
  bool bExpression;
  bool bAggregate;
  bool bConstant;
};

struct DBIErrInfo {
  DBIResult iError = DBIERR_NONE;
  int iNativeError = 0;      // SQLite's extended result code, 0 when not from SQLite
  std::string szErrCode;     // the message
};

// Allocates a statement on Db. Language must be qrylangSQL; others give
// DBIERR_NOTSUPPORTED. *phStmt is null on failure. Free it with DbiQFree.
DBIResult DbiQAlloc(hDBIDb Db, DBIQryLang Language, hDBIStmt* phStmt);
// Prepares Query (Windows-1252 text) on the statement; SQLite's message on failure.
DBIResult DbiQPrepare(hDBIStmt hStmt, const char* pszQuery);
// A cursor over one STMTBaseDesc record per output column of the prepared statement,
// in column order. It stays valid after DbiQFree; close it with DbiCloseCursor.
DBIResult DbiQGetBaseDescs(hDBIStmt hStmt, hDBICur* phCur);
// Copies the next record of the cursor into pRecBuff (a STMTBaseDesc for a cursor of
// base descriptors); DBIERR_EOF after the last. precProps is not used and may be null.
DBIResult DbiGetNextRecord(hDBICur hCursor, DBILockType eLock, void* pRecBuff, void* precProps);
// Frees the statement and sets *phStmt to null.
DBIResult DbiQFree(hDBIStmt* phStmt);
// Closes the cursor and sets *phCursor to null.
DBIResult DbiCloseCursor(hDBICur* phCursor);
// The last error of these functions (iError DBIERR_NONE after a success).
DBIResult DbiGetErrorInfo(bool bFull, DBIErrInfo& ErrInfo);

}  // namespace BDE
