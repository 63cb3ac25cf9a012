// The oracle's own picture of a filter: random rows of one table with a column of every
// kind the filter dialog filters on, random criteria lines as a user would enter them,
// and an evaluation of those lines over the rows written from the meaning of each
// comparison on each engine. Nothing here uses the dialog or the SQL it writes: the
// evaluation is the independent half of the comparison the oracle makes.
#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace oracle {

enum class TEngine { Firebird, Sqlite };
const char* EngineName(TEngine Engine);

// The columns of the table, in select-list order after ID.
enum class TKind { Integer, Float, String, Date, Time, DateTime, Boolean };
struct TColumn {
  const char* Name;
  TKind Kind;
};
const std::vector<TColumn>& Columns();
// The columns the dialog offers on Engine (the native Firebird query reports no boolean).
std::vector<int> OfferedColumns(TEngine Engine);

struct TDate {
  int Year = 0, Month = 0, Day = 0;
  auto operator<=>(const TDate&) const = default;
};
struct TTime {
  int Hour = 0, Minute = 0, Second = 0;
  auto operator<=>(const TTime&) const = default;
};

// One row; an empty optional is NULL.
struct TRow {
  int Id = 0;
  std::optional<long long> I;
  std::optional<double> F;
  std::optional<std::string> S;  // Windows-1252
  std::optional<TDate> D;
  std::optional<TTime> T;
  std::optional<TDate> TSDate;  // the timestamp: its date and its time, both or neither
  std::optional<TTime> TSTime;
  std::optional<bool> B;
};

// The width of the text column; values typed stay within it.
inline constexpr int kTextWidth = 12;

// A small deterministic generator (the same sequence on every platform and library).
class TRandom {
 public:
  explicit TRandom(uint64_t Seed) : FState(Seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}
  uint64_t Next();
  // 0 .. N-1
  int Below(int N) { return static_cast<int>(Next() % static_cast<uint64_t>(N)); }
  // true with probability Percent / 100
  bool Chance(int Percent) { return Below(100) < Percent; }

 private:
  uint64_t FState;
};

std::vector<TRow> MakeRows(TRandom& Random, int Count);
// The statements that create the table OT and insert Rows on Engine (Windows-1252).
std::string CreateScript(TEngine Engine, const std::vector<TRow>& Rows);

// ---- Criteria ----------------------------------------------------------------------------

// The comparisons in the order of the dialog's comparison list.
enum class TOp { Eq, Ne, Gt, Lt, Ge, Le, IsNull, NotNull, Starting, Containing };
// The text the dialog shows for Op.
const char* OpDisplay(TOp Op);

// One line as the user enters it. Column -1 leaves the field drop-down alone, a missing
// Op the comparison. Value is the text typed (for dates and times: digits only, the
// edit's mask adds the separators). Connector: 0 none, 1 AND, 2 OR.
struct TLine {
  std::string Open, Close;
  int Column = -1;
  std::optional<TOp> Op;
  std::string Typed;
  int Connector = 0;
};

struct TCriteria {
  std::vector<TLine> Lines;
  bool CaseSensitive = false;
  // The edit pattern of dates: "mm/dd/yyyy" or "dd/mm/yyyy".
  std::string DatePattern = "mm/dd/yyyy";
};

struct TGenerateOptions {
  TEngine Engine = TEngine::Firebird;
  // The optional prefix and substring comparisons are offered.
  bool SpecialOperators = true;
};
TCriteria MakeCriteria(TRandom& Random, const std::vector<TRow>& Rows, const TGenerateOptions& Options);

// What the dialog must do with Criteria: refuse them (the reason), or accept them and
// select exactly the ids in Selected.
struct TExpectation {
  bool Refused = false;
  std::string Reason;
  std::set<int> Selected;
};
TExpectation Evaluate(TEngine Engine, const TCriteria& Criteria, const std::vector<TRow>& Rows);

// Lines as text, for reports.
std::string Describe(const TCriteria& Criteria);

// ---- Text helpers the evaluation stands on (exposed for their own test) ---------------------

// Windows-1252 upper case: a-z, the accented small letters, š œ ž ÿ.
std::string Upper1252(const std::string& Text);
// The Unicode code point of a Windows-1252 byte.
uint32_t CodePoint1252(unsigned char C);
// Windows-1252 text as UTF-8, for reports.
std::string Utf8(const std::string& Text);

}  // namespace oracle
