// The filter model: the field catalogue (TCampo, TCampos, Campos), the criterion
// record and the current filter (FilterRec, FilterArray, Filter), filter files (FH,
// WriteFilter, ReadFilter) and table discovery (GetUsedTables, MyFindField).
//
// Records that are stored on disk are plain byte blocks with fixed offsets, checked at
// compile time; integers in them are 32-bit little-endian.
//
// The globals Campos, Filter and FH are process-wide and belong to the user-interface
// thread.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <map>
#include <string>
#include <type_traits>
#include <vector>

#include "host/rtl/Classes.h"
#include "host/rtl/SysUtils.h"

namespace kytSQLFilterStruc {

static_assert(std::endian::native == std::endian::little,
              "filter records are stored as raw little-endian blocks");

// ---- Enumerations and sets ------------------------------------------------------------

// Each enumeration is stored in one byte holding its ordinal.
enum TFType : uint8_t {
  fString,
  fFloat,
  fInteger,
  fGraphic,
  fBlob,
  fDate,
  fTime,
  fDateTime,
  fUnknow,
  fBoolean,
};

enum TFKind : uint8_t { fkSelected, fkNotInSelected, fkJoined };

enum TFSpecialOperators : uint8_t { opStartingWith, opContains };

enum TRefreshType : uint8_t { rtEverything, rtDescriptions, rtRemoveOld, rtAddNew };

// A set of up to eight elements of E, stored as one byte in which element n is bit n.
template <typename E>
class TSmallSet {
 public:
  constexpr TSmallSet() = default;
  constexpr TSmallSet(std::initializer_list<E> Elements) {
    for (E e : Elements) Include(e);
  }
  static constexpr TSmallSet FromByte(uint8_t Bits) {
    TSmallSet s;
    s.FBits = Bits;
    return s;
  }
  constexpr uint8_t Bits() const { return FBits; }
  constexpr bool Contains(E Element) const { return (FBits >> static_cast<unsigned>(Element)) & 1u; }
  constexpr void Include(E Element) { FBits = static_cast<uint8_t>(FBits | (1u << static_cast<unsigned>(Element))); }
  constexpr void Exclude(E Element) { FBits = static_cast<uint8_t>(FBits & ~(1u << static_cast<unsigned>(Element))); }
  constexpr bool Empty() const { return FBits == 0; }
  friend constexpr bool operator==(TSmallSet, TSmallSet) = default;
  friend constexpr TSmallSet operator+(TSmallSet A, TSmallSet B) { return FromByte(A.FBits | B.FBits); }
  friend constexpr TSmallSet operator-(TSmallSet A, TSmallSet B) {
    return FromByte(static_cast<uint8_t>(A.FBits & ~B.FBits));
  }
  friend constexpr TSmallSet operator*(TSmallSet A, TSmallSet B) { return FromByte(A.FBits & B.FBits); }

 private:
  uint8_t FBits = 0;
};

// Which optional comparisons the dialog offers: 1 prefix match only, 2 substring match
// only, 3 both.
using TSpecialOperators = TSmallSet<TFSpecialOperators>;
// The catalogue refresh kinds asked for at once.
using TRefreshTypeS = TSmallSet<TRefreshType>;

static_assert(sizeof(TFType) == 1 && sizeof(TFKind) == 1 && sizeof(TFSpecialOperators) == 1 &&
              sizeof(TRefreshType) == 1);
static_assert(sizeof(TSpecialOperators) == 1 && sizeof(TRefreshTypeS) == 1);
static_assert(TSpecialOperators{opStartingWith, opContains}.Bits() == 3);

// ---- SQL of the engines --------------------------------------------------------------

// The engine a statement is written for. The stored filter (operator texts, values) is
// the same for all; what differs is the SQL the condition is written in.
enum TSqlDialect : uint8_t { sdFirebird, sdSQLite, sdPostgreSQL };

// The type a bind parameter is given to the engine as.
enum TSqlParamKind : uint8_t { pkText, pkInteger, pkFloat, pkDate, pkTime, pkDateTime, pkBoolean };

// One bind parameter, the value of one "?" marker. Value is text in Windows-1252; a
// number as written ("12", "-3.5"), a date "YYYY-MM-DD", a time "HH:MM:SS", a date-time
// "YYYY-MM-DD HH:MM:SS", a boolean "TRUE" or "FALSE".
struct TSqlParam {
  TSqlParamKind Kind;
  std::string Value;
  friend bool operator==(const TSqlParam&, const TSqlParam&) = default;
};

// The values of a statement's markers, in the order of the markers in the text.
using TSqlParams = std::vector<TSqlParam>;

// The field-definitions dialog asks a component for a catalogue refresh with this: a
// bound method, the object it acts on (Data, so that the object's destructor can tell
// that it is the one bound) and the code.
struct TRefreshData {
  Classes::TObject* Data = nullptr;
  std::function<void(TRefreshTypeS RefreshType)> Code;
  explicit operator bool() const { return static_cast<bool>(Code); }
  void operator()(TRefreshTypeS RefreshType) const { Code(RefreshType); }
};

// ---- Field catalogue ------------------------------------------------------------------

class EInvalidAssign : public SysUtils::Exception {
 public:
  using SysUtils::Exception::Exception;
};

// One catalogue entry: a column the end user may filter on and order by.
class TCampo : public Classes::TObject {
 public:
  std::string ClassName() const override { return "TCampo"; }

  // Reads one stream record at the stream's position, replacing the fields in record
  // order. A stream that ends inside the record, or a text length that is negative or
  // larger than what the stream still holds, raises Classes::EReadError before anything
  // is allocated; the fields read before keep their new values.
  virtual void LoadFromStream(Classes::TStream& Stream);
  // Writes one stream record at the stream's position (24 bytes plus the three texts).
  virtual void SaveToStream(Classes::TStream& Stream) const;
  // Copies all nine fields from Source when it is a TCampo (or derived); otherwise
  // raises EInvalidAssign and changes nothing. A null Source counts as otherwise.
  virtual void Assign(const Classes::TObject* Source);

  std::string FieldName;
  int32_t ComboOrder = 0;
  std::string TableName;  // qualifier with its trailing ".", may be empty
  TFType DataType = fString;
  int32_t MaxSize = 0;  // 0: no limit
  TFKind FieldKind = fkSelected;
  std::string Description;
  bool Supported = false;
  bool Visible = false;
};

// The catalogue: TCampo entries in order. It owns them: destroying the list destroys
// every entry still in it, first to last. Removing an entry (Remove, Delete) does not
// destroy it, and neither does Clear or Put.
class TCampos : public Classes::TList {
 public:
  TCampos() = default;
  ~TCampos() override;
  std::string ClassName() const override { return "TCampos"; }

  // Index checks are the list's (Classes::EListError).
  TCampo* Get(int Index) const { return static_cast<TCampo*>(TList::Get(Index)); }
  void Put(int Index, TCampo* Item) { TList::Put(Index, Item); }
  void Add(TCampo* Item) { TList::Add(Item); }
  void Insert(int Index, TCampo* Item) { TList::Insert(Index, Item); }
  int Remove(TCampo* Item) { return TList::Remove(Item); }
  int IndexOf(TCampo* Item) const { return TList::IndexOf(Item); }
  TCampo* First() const { return static_cast<TCampo*>(TList::First()); }
  TCampo* Last() const { return static_cast<TCampo*>(TList::Last()); }
  TCampos* Expand() {
    TList::Expand();
    return this;
  }
  void** GetList() { return TList::List(); }
  TCampo* operator[](int Index) const { return Get(Index); }

  // The filter component whose fields these are, when a component filled the list;
  // null when other code did. Never stored: a component that finds the shared
  // catalogue filled for another component builds its own instead of offering (and
  // storing) the other's fields.
  const void* BuiltFor = nullptr;
};

// The process-wide catalogue, initially none. The components create, replace and free
// it.
extern TCampos* Campos;

// ---- Filter records ---------------------------------------------------------------------

// A fixed block of 256 bytes: byte 0 the length, then the characters; the bytes after
// them are filler and ignored.
struct TShortText {
  uint8_t Len;
  char Chars[255];

  std::string Str() const { return std::string(Chars, Len); }
  // Stores the first 255 characters of S and zeroes the filler.
  void Set(const std::string& S);
};
static_assert(sizeof(TShortText) == 256);

// One criterion line, stored on disk as this block of 1540 bytes.
struct FilterRec {
  TShortText BeginGroup;  // zero or more "("
  TShortText FieldName;
  TShortText TableName;  // with its trailing "."
  TShortText Operator;   // the SQL operator text of the chosen comparison
  TShortText Value;      // as typed, mask literals included
  TShortText EndGroup;   // zero or more ")"
  int32_t Operation;     // AND/OR list position: -1 none, 0 empty item, 1 AND, 2 OR
};
static_assert(sizeof(FilterRec) == 1540);
static_assert(offsetof(FilterRec, BeginGroup) == 0 && offsetof(FilterRec, FieldName) == 256 &&
              offsetof(FilterRec, TableName) == 512 && offsetof(FilterRec, Operator) == 768 &&
              offsetof(FilterRec, Value) == 1024 && offsetof(FilterRec, EndGroup) == 1280 &&
              offsetof(FilterRec, Operation) == 1536);
static_assert(std::is_trivially_copyable_v<FilterRec> && std::is_standard_layout_v<FilterRec>);

// The criterion lines in line order. A new element (value-initialised) is all zero.
using FilterArray = std::vector<FilterRec>;

// The current filter of the process, empty at start.
extern FilterArray Filter;

// The filter-file header, 1036 bytes.
struct TFilterHeader {
  char Description[1025];  // up to 1024 characters and a zero byte, then filler
  char Filler[3];
  int32_t FilterCount;
  int32_t OrderCount;

  // The characters up to the first zero byte, at most 1025.
  std::string GetDescription() const;
  // Stores the first 1024 characters of S followed by zero bytes.
  void SetDescription(const std::string& S);
};
static_assert(sizeof(TFilterHeader) == 1036);
static_assert(offsetof(TFilterHeader, Description) == 0 &&
              offsetof(TFilterHeader, FilterCount) == 1028 &&
              offsetof(TFilterHeader, OrderCount) == 1032);
static_assert(std::is_trivially_copyable_v<TFilterHeader>);

// The header shared by WriteFilter and ReadFilter: the caller puts the description in
// before writing and takes it out after reading.
extern TFilterHeader FH;

// Size of one ordering entry in a filter file: a length byte and up to 254 characters.
inline constexpr int OrderEntrySize = 255;
inline constexpr int OrderTextMax = 254;

// The most criterion lines a filter file may hold: the dialog builds a row of controls
// for every line, and more than this many would leave it unusable.
inline constexpr int32_t MaxFilterRecords = 1000;

// Writes FH (with FilterCount and OrderCount set from Filter and Box), the records and
// the items of Box to FileName and returns true.
// The file is written under a new, unpredictable name in the same folder (created
// exclusively) and renamed over FileName only when all of it is written, so a failed
// save leaves the old file as it was. The new file keeps the permissions of the one it
// replaces; when FileName is a symbolic link, the file it points to is replaced.
// Failures: the new file cannot be created (Classes::EFCreateError naming FileName), or
// the header cannot be written: the error propagates. A record, an ordering entry or
// the final rename fails: message 60054 in a plain box, the new file is removed, the
// error propagates. Ordering texts longer than 254 characters are cut to 254.
bool WriteFilter(const std::string& FileName, FilterArray& Filter, Classes::TStrings& Box);

// Reads FileName into FH, Filter (resized to the header's count) and Box (cleared, then
// one item per ordering entry) and returns true.
// Failures: the file cannot be opened (Classes::EFOpenError) or is shorter than the
// header (Classes::EReadError): the error propagates, no message. A negative count,
// more than MaxFilterRecords records, or counts the rest of the file cannot hold:
// message 60055 in a plain box and Classes::EReadError, before anything is allocated;
// FH, Filter and Box are unchanged.
// A read that fails later (the file shrank meanwhile): message 60055, the read error
// propagates. Ordering entries with a length byte above 254 give their 254 characters.
bool ReadFilter(const std::string& FileName, FilterArray& Filter, Classes::TStrings& Box);

// ---- Table discovery ------------------------------------------------------------------

// How a statement names the columns of each table it reads: the key is a catalogue
// TableName (with its trailing "."), the value the qualifier the statement writes before
// a column of that table (its alias, or its quoted name, followed by "."). A table
// without an entry is written as the catalogue names it.
using TTableAliases = std::map<std::string, std::string>;

// Appends the tables of SQL's FROM list and of every JOIN to List (upper-cased, without
// aliases) and then strips the alias from every entry of List. List is not emptied
// first. The time taken is linear in the length of SQL.
void GetUsedTables(const std::string& SQL, Classes::TStrings& List);

// One table that a statement reads, and the name its columns go by there.
struct TTableRef {
  // As the statement names the table: an unquoted name upper-cased (the engines fold
  // it so), a quoted name exactly as written, quotes included ("Order Lines"); parts of
  // a dotted name are joined by ".".
  std::string Table;
  // As written, quotes included; empty when the table has none.
  std::string Alias;
  // A selectable procedure called with arguments ("PROC(1, 2) P"): its columns go by
  // Qualifier like a table's, but "select * from" it without arguments reads nothing.
  bool Procedure = false;

  bool Quoted() const { return !Table.empty() && Table.front() == '"'; }
  // The table's own name: Table without its quotes ("" inside quotes is one ").
  std::string Name() const;
  // What the statement writes before a column of this table: Alias, else Table,
  // followed by ".".
  std::string Qualifier() const { return (Alias.empty() ? Table : Alias) + "."; }
  friend bool operator==(const TTableRef&, const TTableRef&) = default;
};

// Refs := the tables of every top-level FROM list of SQL (UNION branches included) and
// of its JOINs, in statement order, each with its alias; a table named twice is listed
// twice. Selectable procedures with arguments are listed with Procedure set. What is
// no table name is left out: derived tables "(SELECT ...) X" and the names a WITH
// clause defines.
// Comments (-- and /* */), string literals and parenthesised text are never read as
// part of the list. Never raises; text that is not SQL gives what it can, maybe nothing.
void GetTableRefs(const std::string& SQL, std::vector<TTableRef>& Refs);

// Aliases := the qualifier (TTableRef::Qualifier) of each table of Refs that a catalogue
// TableName of ACampos names where the statement writes it otherwise. A TableName
// (without its ".") names the first table of Refs that has that name: compared without
// regard to letter case for an unquoted name, exactly for a quoted one; when no quoted
// name matches exactly, the first that matches without regard to case is taken (SQLite
// folds every name, and its catalogue names come upper-cased). A TableName that names no
// table of Refs, or that is already the statement's qualifier, gets no entry.
void MatchTableAliases(const std::vector<TTableRef>& Refs, const TCampos& ACampos, TTableAliases& Aliases);

// The index of the first entry of ACampos whose FieldName equals FieldName (trimmed of
// blanks and control characters; exact, case-sensitive), or -1. TableName takes no
// part in the match: callers pass it in different forms.
int MyFindField(const std::string& TableName, const std::string& FieldName,
                const TCampos& ACampos);

}  // namespace kytSQLFilterStruc
