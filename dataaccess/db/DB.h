// Unit DB: the dataset library both engines share: field types, values, fields,
// datasets and the query dataset with its SQL text.
//
// An engine back end (SQLite in dataaccess/bde, Firebird in dataaccess/ibobjects)
// supplies only what differs: it prepares a statement, describes its columns as
// TFieldDef entries and hands back a TCursor that reads rows as TValue lists.
// Everything a caller sees above that (opening, closing, fields, moving, typed reads,
// errors of use) is written here once.
//
// Text is Windows-1252 (std::string of single bytes); engines convert at their edge.
// User-interface thread only: nothing here is guarded.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/rtl/Classes.h"
#include "host/rtl/SysUtils.h"

namespace DB {

// The dataset field types. The ordinals are stored by callers (the filter catalogue
// maps them) and must not change.
enum TFieldType : int {
  ftUnknown = 0,
  ftString = 1,
  ftSmallint = 2,
  ftInteger = 3,
  ftWord = 4,
  ftBoolean = 5,
  ftFloat = 6,
  ftCurrency = 7,
  ftBCD = 8,
  ftDate = 9,
  ftTime = 10,
  ftDateTime = 11,
  ftBytes = 12,
  ftVarBytes = 13,
  ftAutoInc = 14,
  ftBlob = 15,
  ftMemo = 16,
  ftGraphic = 17,
  ftFmtMemo = 18,
  ftParadoxOle = 19,
  ftDBaseOle = 20,
  ftTypedBinary = 21,
  ftCursor = 22,
  ftFixedChar = 23,
  ftWideString = 24,
  ftLargeint = 25,
};

// The data size of a field of DataType: the declared length (Size) for strings and
// byte strings, the size of the binary value for numbers, dates and booleans (2 for
// booleans and 16-bit integers, 4 for 32-bit integers, dates and times, 8 for 64-bit
// integers, floats and timestamps, 34 for binary-coded decimals), 0 for blobs, memos
// and unknown types.
int FieldDataSize(TFieldType DataType, int Size);

// The dataset type of a declared column type: the declared name without its
// parenthesised size, blanks folded, compared without regard to letter case; the first
// rule that fits: BOOLEAN, BOOL ftBoolean; BIGINT, INT8 ftLargeint; SMALLINT, INT2,
// TINYINT ftSmallint; any other name containing INT ftInteger; DATETIME, TIMESTAMP
// ftDateTime; DATE ftDate; TIME ftTime; NUMERIC, DECIMAL ftBCD; REAL, DOUBLE, DOUBLE
// PRECISION, FLOAT ftFloat; TEXT, CLOB ftMemo; CHAR, VARCHAR, NCHAR, NVARCHAR, VARYING
// CHARACTER, CHARACTER VARYING, CHARACTER ftString; BLOB ftBlob; no declared type (an
// expression) or any other ftUnknown.
// Size: the declared length of strings ("VARCHAR(40)" 40), the decimal places of
// decimals ("NUMERIC(15,2)" 2), else 0.
TFieldType FieldTypeOfDeclaredType(const std::string& Declared, int& Size);

// Misuse of a dataset or field (closed dataset, unknown field, unreadable value) and
// the base of the engines' errors.
class EDatabaseError : public SysUtils::Exception {
 public:
  using SysUtils::Exception::Exception;
};

// One value of one column of one row, as the engine gave it. Dates and times are
// kept exactly (days and ticks of 1/10000 second), decimals as a scaled integer.
class TValue {
 public:
  enum class TKind : uint8_t {
    Null,
    Integer,     // a 64-bit integer
    Decimal,     // Unscaled / 10^Scale, exact
    Float,       // a double (or a single when it came from a 4-byte float)
    Boolean,
    Text,        // Windows-1252 text
    Bytes,       // binary data
    Date,        // a calendar day
    Time,        // a time of day
    DateTime,    // a day and a time of day
    Unreadable,  // a value of a type this library cannot read (arrays and the like)
  };

  TValue() = default;
  static TValue Null() { return TValue(); }
  static TValue Integer(int64_t V);
  // REQUIRES: 0 <= Scale <= 18.
  static TValue Decimal(int64_t Unscaled, int Scale);
  static TValue Float(double V, bool Single = false);
  static TValue Boolean(bool V);
  static TValue Text(std::string V);
  static TValue Bytes(std::string V);
  // Days count from 1899-12-30 (day 0), as TDateTime does; Ticks is the time of day
  // in 1/10000 seconds. REQUIRES: 0 <= Ticks < 864000000.
  static TValue Date(int32_t Days);
  static TValue Time(int64_t Ticks);
  static TValue DateTime(int32_t Days, int64_t Ticks);
  // What names the type that cannot be read ("ARRAY"); reading the value raises.
  static TValue Unreadable(std::string What);
  // A Date, Time or DateTime value (by Type: ftDate, ftTime, ftDateTime) from ISO text
  // "YYYY-MM-DD", "HH:MM:SS[.ffff]" or "YYYY-MM-DD HH:MM:SS[.ffff]" (also with a "T"
  // between date and time; a timestamp may lack its time). Text that does not parse
  // comes back as a Text value, so nothing is lost.
  static TValue FromIsoText(TFieldType Type, const std::string& Text);

  TKind Kind() const { return FKind; }
  bool IsNull() const { return FKind == TKind::Null; }
  bool IsReadable() const { return FKind != TKind::Unreadable; }

  // The value as text: empty for NULL; integers and decimals exactly ("-0.05");
  // floats in the shortest form that reads back the same; "TRUE"/"FALSE"; text and
  // bytes as they are; dates "YYYY-MM-DD", times "HH:MM:SS" with ".fff" or ".ffff"
  // when there is a fraction, timestamps both joined by a blank.
  // Raises EDatabaseError for an unreadable value.
  std::string AsString() const;
  // 0 for NULL; decimals and floats truncated towards zero; booleans 0 or 1; text
  // parsed as a decimal integer. Raises EDatabaseError "'x' is not a valid integer
  // value" for text that is not one, and for any other kind.
  int64_t AsInteger() const;
  // 0 for NULL; text parsed as a number; dates as TDateTime. Raises EDatabaseError
  // for text that is not a number and for bytes.
  double AsFloat() const;
  // false for NULL; numbers are true when not 0; text "TRUE"/"FALSE" (any case), "1"
  // or "0". Raises EDatabaseError otherwise.
  bool AsBoolean() const;
  // 0 for NULL; dates, times and timestamps as TDateTime; ISO text parsed. Raises
  // EDatabaseError for anything else.
  SysUtils::TDateTime AsDateTime() const;

  // Raw parts, for engines and tests.
  int64_t IntegerPart() const { return FInt; }
  int DecimalScale() const { return FScale; }
  int64_t TimeTicks() const { return FTicks; }
  const std::string& Bytes() const { return FText; }

  bool operator==(const TValue& Other) const;

 private:
  TKind FKind = TKind::Null;
  bool FSingle = false;
  int FScale = 0;
  int64_t FInt = 0;    // Integer, Decimal (unscaled), Boolean, day number
  int64_t FTicks = 0;  // Time and DateTime: time of day
  double FFloat = 0;
  std::string FText;   // Text, Bytes, what an unreadable value is
};

// How an engine describes one output column of a statement.
struct TFieldDef {
  std::string Name;  // the column's name in the result (its alias when it has one)
  TFieldType DataType = ftUnknown;
  int Size = 0;      // declared length of strings; decimal places of decimals; else 0
};

// One open result of an engine statement: rows are read forward only.
class TCursor {
 public:
  virtual ~TCursor() = default;
  // Reads the next row into Row (one value per column of the statement). Returns
  // false at the end, leaving Row as it was. Raises the engine's error.
  virtual bool Fetch(std::vector<TValue>& Row) = 0;
};

// The rows of one cursor and the position in them, as both the native query and the
// datasets present them: a current row, its number, and the end.
class TRowReader {
 public:
  // Takes ownership of Cursor and reads the first row. Raises what Fetch raises;
  // then nothing is kept.
  void Start(std::unique_ptr<TCursor> Cursor);
  // Moves to the next row; at the last row sets Eof and keeps the row. No effect at
  // Eof or when not started. Raises what Fetch raises; the position is then kept.
  void Next();
  // Releases the cursor and forgets the rows.
  void Stop();

  bool Started() const { return FCursor != nullptr; }
  bool Eof() const { return FEof; }
  // 1-based number of the current row; 0 when there is none (empty or not started).
  int RecNo() const { return FRecNo; }
  // -1 until the end has been reached, then the number of rows.
  int RecordCount() const { return FEof ? FRecNo : -1; }
  // The values of the current row; empty when there is none.
  const std::vector<TValue>& Row() const { return FRow; }

 private:
  std::unique_ptr<TCursor> FCursor;
  std::vector<TValue> FRow;
  // Where Next reads the next row, then swapped with FRow: a failing fetch leaves the
  // current row in place, and the values' storage is used again row after row.
  std::vector<TValue> FNext;
  bool FEof = true;
  int FRecNo = 0;
};

class TDataSet;

// One column of an open dataset. Owned by the dataset; exists from Open to Close.
class TField : public Classes::TObject {
 public:
  TField(TDataSet* DataSet, const TFieldDef& Def, int Index);
  std::string ClassName() const override { return "TField"; }

  TDataSet* DataSet() const { return FDataSet; }
  const std::string& FieldName() const { return FFieldName; }
  // The name that qualifies the field within its dataset; fields here have no parent
  // field, so it is the field name.
  const std::string& FullName() const { return FFieldName; }
  // The label set by the program, or the field name when none is set.
  const std::string& DisplayLabel() const;
  void SetDisplayLabel(const std::string& Value) { FDisplayLabel = Value; }
  TFieldType DataType() const { return FDataType; }
  // Declared length of strings, decimal places of decimals, else 0.
  int Size() const { return FSize; }
  int DataSize() const { return FieldDataSize(FDataType, FSize); }
  int Index() const { return FIndex; }        // 0-based
  int FieldNo() const { return FIndex + 1; }  // 1-based

  // The field's value in the current row (NULL when there is no current row).
  const TValue& Value() const;
  bool IsNull() const { return Value().IsNull(); }
  // As TValue does; an unreadable value raises EDatabaseError naming the field.
  std::string AsString() const;
  int64_t AsInteger() const;
  double AsFloat() const;
  bool AsBoolean() const;
  SysUtils::TDateTime AsDateTime() const;

 private:
  const TValue& Readable() const;

  TDataSet* FDataSet;
  std::string FFieldName;
  std::string FDisplayLabel;
  TFieldType FDataType;
  int FSize;
  int FIndex;
};

// A dataset reads the rows of one statement forward, one current row at a time.
// Fields exist while it is open; Close destroys them, so pointers to fields are valid
// from Open to Close only. Opening an open dataset and closing a closed one do
// nothing. Editing is not offered: every dataset here is read-only.
class TDataSet : public Classes::TComponent {
 public:
  // AOwner takes ownership when not null.
  explicit TDataSet(Classes::TComponent* AOwner);
  // Drops the rows and fields. A derived dataset closes itself in its own destructor,
  // while its engine state still exists.
  ~TDataSet() override;
  std::string ClassName() const override { return "TDataSet"; }

  // Runs the statement and moves to its first row. On failure raises the engine's
  // error and the dataset stays closed.
  void Open();
  void Close();
  bool Active() const { return FReader.Started(); }
  void SetActive(bool Value);

  int FieldCount() const { return static_cast<int>(FFields.size()); }
  // Raises EDatabaseError "Field index out of range" for a bad index and
  // "Dataset is not open" when closed.
  TField* Fields(int Index) const;
  // The field of that name (without regard to letter case by the code page), or null.
  TField* FindField(const std::string& FieldName) const;
  // As FindField; raises EDatabaseError "Field 'X' not found" when there is none.
  TField* FieldByName(const std::string& FieldName) const;

  // First goes back to the first row: at the first row it does nothing; otherwise it
  // runs the statement again, or, on a one-directional dataset, raises
  // EDatabaseError "Operation not allowed on a unidirectional dataset".
  void First();
  // Moves to the next row; at the last row sets Eof. Raises "Dataset is not open".
  void Next();
  // True when closed, when empty, and after Next at the last row.
  bool Eof() const { return !Active() || FReader.Eof(); }
  bool Bof() const { return FReader.RecNo() <= 1; }
  bool IsEmpty() const { return FReader.RecNo() == 0; }
  // 1-based number of the current row; 0 when closed or empty.
  int RecNo() const { return FReader.RecNo(); }
  // The number of rows once they have all been read (Eof); -1 before, since counting
  // would read them all.
  int RecordCount() const { return FReader.RecordCount(); }
  // How many times the dataset was opened: lets a reader that copied rows tell that
  // the dataset now shows another result.
  int OpenCount() const { return FOpenCount; }

  bool UniDirectional() const { return FUniDirectional; }
  // Takes effect at the next Open.
  void SetUniDirectional(bool Value) { FUniDirectional = Value; }

  // The value of field Index in the current row; NULL when there is no current row.
  const TValue& CurrentValue(int Index) const;

 protected:
  // The engine part: prepares and runs the statement, describes its columns into
  // Defs and returns the cursor over its rows. Raises the engine's error.
  virtual std::unique_ptr<TCursor> OpenCursor(std::vector<TFieldDef>& Defs) = 0;
  // Called after Close has released the cursor and the fields.
  virtual void CursorClosed() {}
  void CheckActive() const;

 private:
  TRowReader FReader;
  std::vector<std::unique_ptr<TField>> FFields;
  bool FUniDirectional = false;
  int FOpenCount = 0;
};

// A dataset over the SQL text of a query on a named database. Changing the text or
// the database name closes the query, so the next Open runs the new text.
class TQueryDataSet : public TDataSet {
 public:
  explicit TQueryDataSet(Classes::TComponent* AOwner);
  ~TQueryDataSet() override;
  std::string ClassName() const override { return "TQueryDataSet"; }

  // The statement, lines ended by CR LF in Text. Owned by the query.
  Classes::TStrings* SQL() const { return FSQL.get(); }
  const std::string& DatabaseName() const { return FDatabaseName; }
  void SetDatabaseName(const std::string& Value);
  // Kept for callers that ask for a read-only result; every result here is
  // read-only, so it changes nothing else.
  bool RequestLive() const { return FRequestLive; }
  void SetRequestLive(bool Value) { FRequestLive = Value; }

  // Runs a statement that returns no rows (DDL, INSERT, UPDATE ...) and commits it.
  // The query must be closed; raises EDatabaseError otherwise, and the engine's error.
  virtual void ExecSQL() = 0;

 protected:
  // Told after the SQL text or the database name changed (the query is already
  // closed): an engine drops its prepared statement here.
  virtual void StatementChanged() {}
  // The SQL text checked for use: raises EDatabaseError when it is blank or holds a
  // NUL character (which the engines would take for the end of the statement).
  std::string CheckedSQL() const;

 private:
  std::unique_ptr<Classes::TStringList> FSQL;
  std::string FDatabaseName;
  bool FRequestLive = false;
};

// The SQL text checked as TQueryDataSet::CheckedSQL does, for the native query.
void CheckSQLText(const std::string& SQL);

}  // namespace DB
