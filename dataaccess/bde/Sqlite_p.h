// Not API: the SQLite plumbing behind units DBTables and BDE. Include it only from
// dataaccess/bde.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>

#include "dataaccess/bde/BDE.h"

// Names declared in namespace detail stay inside the shared library that defines them
// (the library's export list leaves that namespace out).
namespace BDE {
namespace detail {

// One open SQLite database, shared by every query on the same file.
struct DbiDb {
  // The connection open on FileName (made absolute), or a new one. Never creates a
  // file. Raises DBTables::EDBEngineError naming the file.
  static std::shared_ptr<DbiDb> Acquire(const std::string& FileName);
  // True when Db is a connection that is open now.
  static bool IsLive(const DbiDb* Db);
  // The key connections are shared under.
  static std::string Key(const std::string& FileName);
  // True when the file this connection reads is no longer at its name (deleted or
  // renamed away): reading on would show, and writing would lose into, a file nobody
  // can open any more.
  bool Moved() const;

  DbiDb(std::string APath, sqlite3* AHandle) : Path(std::move(APath)), Handle(AHandle) {}
  ~DbiDb();
  DbiDb(const DbiDb&) = delete;
  DbiDb& operator=(const DbiDb&) = delete;

  std::string Path;
  sqlite3* Handle;
};

// Records the last error for DbiGetErrorInfo and returns Code.
DBIResult SetLastError(DBIResult Code, int Native, const std::string& Message);
// Raises DBTables::EDBEngineError with SQLite's message for Rc on Db (Context first).
[[noreturn]] void RaiseSqlite(sqlite3* Db, int Rc, const std::string& Context = "");

// Replaces SQLite's UPPER on Db by one that folds as the filter dialog folds a value:
// by the Windows-1252 code page (SysUtils::AnsiUpperCase), so that "josé" and "José"
// compare equal once both are upper-cased. Characters Windows-1252 lacks, and bytes
// that are not UTF-8, stay as they are; NULL stays NULL; any other value is taken as
// its text, as SQLite's own UPPER does. Every connection the data access opens has it.
// Returns SQLite's result code.
int RegisterAnsiUpper(sqlite3* Db);

// Prepares the first statement of Utf8 on Db. Raises EDBEngineError when SQLite
// rejects it, or when text other than blanks and comments follows it.
sqlite3_stmt* PrepareOne(sqlite3* Db, const std::string& Utf8);

}  // namespace detail

using detail::DbiDb;
using detail::PrepareOne;
using detail::RaiseSqlite;
using detail::RegisterAnsiUpper;
using detail::SetLastError;

}  // namespace BDE
