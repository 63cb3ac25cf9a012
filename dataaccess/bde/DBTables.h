// Unit DBTables: the engine query over SQLite, database aliases, the engine error and
// Check.
//
// DatabaseName is an alias registered with the session or a file path. Opening never
// creates a database: a file that does not exist is an error naming it. Connections
// are shared by file within the process. Text goes to SQLite as UTF-8 and comes back
// as Windows-1252 (a character the code page lacks becomes '?').
//
// Field types come from the columns' declared types (see FieldTypeOfDeclaredType);
// values from what SQLite stores: integers, floats, text, blobs, with booleans and
// ISO date and time text read as such in columns of those declared types.
//
// User-interface thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dataaccess/bde/BDE.h"
#include "dataaccess/db/DB.h"

namespace DBTables {

// An error of the engine: its message (SQLite's own text) and error entries.
class EDBEngineError : public DB::EDatabaseError {
 public:
  struct TDBError {
    BDE::DBIResult ErrorCode = 0;
    int NativeError = 0;  // SQLite's extended result code, 0 when not from SQLite
    std::string Message;
  };
  explicit EDBEngineError(const TDBError& Error)
      : DB::EDatabaseError(Error.Message), FErrors{Error} {}
  int ErrorCount() const { return static_cast<int>(FErrors.size()); }
  // REQUIRES: 0 <= Index < ErrorCount().
  const TDBError& Errors(int Index) const { return FErrors[static_cast<size_t>(Index)]; }

 private:
  std::vector<TDBError> FErrors;
};

// Raises EDBEngineError for a Status other than DBIERR_NONE, with the message of the
// engine's last error when it is that status, else "Engine error $XXXX".
void Check(BDE::DBIResult Status);

// The dataset type of a SQLite declared column type (see DB::FieldTypeOfDeclaredType).
using DB::FieldTypeOfDeclaredType;

// Database aliases: a name that stands for a database file.
class TSession : public Classes::TComponent {
 public:
  explicit TSession(Classes::TComponent* AOwner) : Classes::TComponent(AOwner) {}
  std::string ClassName() const override { return "TSession"; }

  // Registers Name (letters compared without regard to case) for FileName. Raises
  // DB::EDatabaseError when the name is taken or empty.
  void AddAlias(const std::string& Name, const std::string& FileName);
  // Does nothing for a name that is not registered.
  void DeleteAlias(const std::string& Name);
  bool IsAlias(const std::string& Name) const;
  // The file of the alias, or the empty text.
  std::string AliasPath(const std::string& Name) const;
  // Replaces List by the registered names.
  void GetAliasNames(Classes::TStrings& List) const;

 private:
  Classes::TStringList FAliases;  // Name=FileName
};

// The process's session.
TSession& Session();

class TQuery : public DB::TQueryDataSet {
 public:
  // AOwner takes ownership when not null.
  explicit TQuery(Classes::TComponent* AOwner);
  ~TQuery() override;
  std::string ClassName() const override { return "TQuery"; }

  // Runs one statement that returns no rows (it commits unless a transaction was
  // begun with BEGIN). Raises DB::EDatabaseError when open, EDBEngineError.
  void ExecSQL() override;

  // The query's database for the Dbi functions; null until the query has connected
  // (by Open or ExecSQL). Valid while the query lives and names the same database.
  BDE::hDBIDb DBHandle() const;

 protected:
  std::unique_ptr<DB::TCursor> OpenCursor(std::vector<DB::TFieldDef>& Defs) override;

 private:
  void Connect();

  std::shared_ptr<BDE::DbiDb> FDb;
};

// Creates a new database file and runs Script (statements ended by ";") in it, all or
// nothing: when a statement fails the file is removed again. Raises EDBEngineError
// when the file exists or a statement fails.
void CreateDatabase(const std::string& FileName, const std::string& Script);

}  // namespace DBTables
