// Unit IB_Components: Firebird connections and the native query, over the Firebird
// client library.
//
// Database names: a plain file path attaches the embedded engine (as SYSDBA, no
// password; the engine opens a file for one process at a time). "host:path" or
// "host/port:path" attaches a server with the user name and password of the
// TIB_Connection of that name, or else those of the ISC_USER and ISC_PASSWORD
// variables, the client library's own convention. Every attachment talks
// Windows-1252 (lc_ctype WIN1252), so text comes and goes as the library's text.
//
// Attachments are shared by database name within the process: every query and
// connection that names the same database uses one attachment, and so one
// transaction. It is detached when the last of them lets it go. An attachment whose
// connection was lost (the server stopped, the network failed), or whose database file
// was deleted or renamed away, is not shared any more: the next query that prepares
// attaches afresh, so work resumes once the server or the file is back. Each statement that
// changes data is committed at once (commit retaining), so readers see it.
//
// User-interface thread only: nothing here is guarded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dataaccess/db/DB.h"
#include "host/rtl/Classes.h"

namespace IB_Components {

namespace detail {
class TAttachment;
class TStatement;
}  // namespace detail

// A Firebird error: the engine's own message text (all lines of its status vector,
// joined by line feeds, after what this library was doing) and codes.
class EIB_Error : public SysUtils::Exception {
 public:
  EIB_Error(std::string Msg, std::vector<intptr_t> ErrorCodes = {}, int SQLCode = 0)
      : SysUtils::Exception(std::move(Msg)), FErrorCodes(std::move(ErrorCodes)), FSQLCode(SQLCode) {}
  // The error codes of the status vector in order (isc_... numbers); empty for an
  // error found by this library before the engine was asked.
  const std::vector<intptr_t>& ErrorCodes() const { return FErrorCodes; }
  // The first error code, or 0.
  intptr_t ErrCode() const { return FErrorCodes.empty() ? 0 : FErrorCodes.front(); }
  // The SQLCODE the engine gives the error, or 0.
  int SQLCode() const { return FSQLCode; }

 private:
  std::vector<intptr_t> FErrorCodes;
  int FSQLCode;
};

// A connection to one database. Queries reach the same attachment by naming the same
// database, connected or not through this component.
class TIB_Connection : public Classes::TComponent {
 public:
  // AOwner takes ownership when not null.
  explicit TIB_Connection(Classes::TComponent* AOwner);
  // Disconnects.
  ~TIB_Connection() override;
  std::string ClassName() const override { return "TIB_Connection"; }

  const std::string& DatabaseName() const { return FDatabaseName; }
  // Disconnects first when connected.
  void SetDatabaseName(const std::string& Value);
  // Used for server names only; empty means ISC_USER (then "SYSDBA") and ISC_PASSWORD.
  const std::string& UserName() const { return FUserName; }
  void SetUserName(const std::string& Value) { FUserName = Value; }
  const std::string& Password() const { return FPassword; }
  void SetPassword(const std::string& Value) { FPassword = Value; }
  // The character set of every attachment.
  static std::string CharSet() { return "WIN1252"; }

  // Attaches (or joins the attachment already open on the name). Raises EIB_Error:
  // a file that does not exist is named in the message and is not created. Connected
  // to an attachment whose connection was lost or whose file went, attaches anew.
  void Connect();
  // Lets the attachment go; it is detached when no query uses it any more.
  void Disconnect();
  bool Connected() const { return FAttachment != nullptr; }

  // Runs one statement that returns no rows and commits it. Connects when needed.
  void ExecuteImmediate(const std::string& SQL);

  // Creates a new database file named DatabaseName (a file path or a server name)
  // with the default character set WIN1252, and runs Script in it: statements ended by
  // ";" (the terminator can be changed with SET TERM, as isql does), each committed;
  // COMMIT statements are accepted. Raises EIB_Error when the file exists or a
  // statement fails; a database whose script failed is dropped again, so nothing
  // half-made stays. ForcedWrites false lets the engine write asynchronously, which
  // makes building large test databases much faster.
  static void CreateDatabase(const std::string& DatabaseName, const std::string& Script,
                             bool ForcedWrites = true, const std::string& UserName = "",
                             const std::string& Password = "");

  // The attachment for DatabaseName with the login of the TIB_Connection of that name,
  // if one exists, else the defaults. Raises EIB_Error.
  static std::shared_ptr<detail::TAttachment> Attach(const std::string& DatabaseName);

 private:
  std::string FDatabaseName;
  std::string FUserName;
  std::string FPassword;
  std::shared_ptr<detail::TAttachment> FAttachment;
};

class TIB_Query;

// One output column of a prepared native query. Owned by the query; exists while it
// is prepared.
class TIB_Column {
 public:
  // The column's name in the result: its alias when it has one.
  const std::string& FieldName() const { return FFieldName; }
  // The name of the table column behind it; empty for most expressions.
  const std::string& SQLName() const { return FSQLName; }
  // The table (or view) it comes from; empty for expressions.
  const std::string& RelName() const { return FRelName; }
  // The XSQLVAR type code, nullable bit (1) included: 448 VARCHAR, 452 CHAR, 496
  // INTEGER, 500 SMALLINT, 580 BIGINT, 480 DOUBLE, 482 FLOAT, 510 TIMESTAMP, 520 BLOB,
  // 560 TIME, 570 DATE, 32764 BOOLEAN, 540 ARRAY ...
  int SQLType() const { return FSQLType; }
  // Text: the character set id; BLOB: the blob sub-type (1 text); numbers: 1 NUMERIC,
  // 2 DECIMAL, 0 an integer.
  int SQLSubType() const { return FSQLSubType; }
  int SQLLen() const { return FSQLLen; }
  // 0 or the negative number of decimal places.
  int SQLScale() const { return FSQLScale; }
  bool IsNullable() const { return (FSQLType & 1) != 0; }
  // Empty unless the program set one.
  const std::string& DisplayLabel() const { return FDisplayLabel; }
  void SetDisplayLabel(const std::string& Value) { FDisplayLabel = Value; }
  int Index() const { return FIndex; }

  // The value in the current row of the open query; NULL when there is none.
  const DB::TValue& Value() const;
  bool IsNull() const { return Value().IsNull(); }
  // As DB::TValue does; an unreadable value (an ARRAY) raises EIB_Error naming the
  // column.
  std::string AsString() const;
  int64_t AsInteger() const;
  double AsFloat() const;
  bool AsBoolean() const;
  SysUtils::TDateTime AsDateTime() const;

 private:
  friend class TIB_Query;
  const DB::TValue& Readable() const;

  const TIB_Query* FQuery = nullptr;
  int FIndex = 0;
  std::string FFieldName, FSQLName, FRelName, FDisplayLabel;
  int FSQLType = 0, FSQLSubType = 0, FSQLLen = 0, FSQLScale = 0;
};

// The native query: a statement prepared on the database of DatabaseName, its
// columns, and its rows read forward. Changing SQL or DatabaseName closes and
// unprepares it, so the next Prepare or Open uses the new text. Opening an open query
// and closing a closed one do nothing; every failure leaves it closed (and, for a
// failed prepare, unprepared) with the attachment still usable.
class TIB_Query : public Classes::TComponent {
 public:
  // AOwner takes ownership when not null.
  explicit TIB_Query(Classes::TComponent* AOwner);
  // Closes and unprepares.
  ~TIB_Query() override;
  std::string ClassName() const override { return "TIB_Query"; }

  // The statement; Text joins the lines with CR LF. Owned by the query.
  Classes::TStrings* SQL() const { return FSQL.get(); }
  const std::string& DatabaseName() const { return FDatabaseName; }
  void SetDatabaseName(const std::string& Value);

  // Attaches when needed and prepares the statement: no row is fetched. Does
  // nothing when prepared. Raises EIB_Error (the engine's message) and
  // DB::EDatabaseError for an empty text.
  void Prepare();
  // Closes and drops the prepared statement. Does nothing when not prepared.
  void Unprepare();
  bool Prepared() const { return FStatement != nullptr; }

  // Prepares when needed, runs the statement and reads its first row. Raises
  // EIB_Error for a statement that returns no rows (use ExecSQL), without running it.
  void Open();
  void Close();
  bool Active() const { return FReader.Started(); }
  void SetActive(bool Value);
  // Runs a statement that returns no rows and commits it; the query stays prepared.
  void ExecSQL();

  // Columns of the prepared statement; 0 when not prepared.
  int FieldCount() const { return static_cast<int>(FColumns.size()); }
  // Raises EIB_Error "Column index out of range" for a bad index.
  TIB_Column* Columns(int Index) const;
  // The column of that field name (without regard to letter case), or null.
  TIB_Column* FindColumn(const std::string& FieldName) const;

  // First runs the statement again unless at the first row.
  void First();
  void Next();
  // True when closed, when empty, and after Next at the last row.
  bool Eof() const { return !Active() || FReader.Eof(); }
  bool Bof() const { return FReader.RecNo() <= 1; }
  // 1-based number of the current row, 0 when there is none.
  int RecNo() const { return FReader.RecNo(); }
  // -1 until all rows have been read, then their number.
  int RecordCount() const { return FReader.RecordCount(); }

  // Runs the prepared statement and returns a cursor over its rows, apart from this
  // query's own reading (the dataset query reads through it). The query must be
  // prepared and not open.
  std::unique_ptr<DB::TCursor> OpenCursor();
  const DB::TValue& CurrentValue(int Index) const;

 private:
  void Unprepared();

  std::unique_ptr<Classes::TStringList> FSQL;
  std::string FDatabaseName;
  std::shared_ptr<detail::TStatement> FStatement;
  std::vector<std::unique_ptr<TIB_Column>> FColumns;
  DB::TRowReader FReader;
};

}  // namespace IB_Components
