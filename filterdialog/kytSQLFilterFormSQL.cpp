// The comparison of one criterion line as the engine of the statement reads it: the
// column, the operator and the value, the value written as a literal or as a "?"
// marker with its typed value.
#include "filterdialog/kytSQLFilterForm.h"

#include <cctype>
#include <cstdio>

#include "filtermodel/kytSQLFilterRes.h"
#include "host/rtl/SysUtils.h"

namespace kytSQLFilterForm {

using kytSQLFilterStruc::TCampo;
using kytSQLFilterStruc::TFType;
using kytSQLFilterStruc::TSqlParam;
using kytSQLFilterStruc::TSqlParamKind;

namespace {

// The escape character of the LIKE patterns: not a backslash, which some engines'
// string literals read as an escape of their own.
constexpr char LikeEscape = '!';

// Digits after an optional sign; false when there are none.
std::size_t SkipDigits(const std::string& V, std::size_t& i) {
  const std::size_t start = i;
  while (i < V.size() && std::isdigit(static_cast<unsigned char>(V[i]))) ++i;
  return i - start;
}

// A number as SQL reads it: optional sign, digits with an optional decimal part (or
// a decimal part alone), optional exponent.
bool IsNumberLiteral(const std::string& V) {
  std::size_t i = 0;
  const std::size_t n = V.size();
  if (i < n && (V[i] == '+' || V[i] == '-')) ++i;
  std::size_t count = SkipDigits(V, i);
  if (i < n && V[i] == '.') {
    ++i;
    count += SkipDigits(V, i);
  }
  if (count == 0) return false;
  if (i < n && (V[i] == 'e' || V[i] == 'E')) {
    ++i;
    if (i < n && (V[i] == '+' || V[i] == '-')) ++i;
    if (SkipDigits(V, i) == 0) return false;
  }
  return i == n;
}

// A whole number: optional sign and digits only.
bool IsIntegerLiteral(const std::string& V) {
  std::size_t i = (!V.empty() && (V[0] == '+' || V[0] == '-')) ? 1 : 0;
  return SkipDigits(V, i) > 0 && i == V.size();
}

std::string DoubleQuotes(const std::string& V, char Quote) {
  std::string out;
  out.reserve(V.size() + 2);
  for (char c : V) {
    out += c;
    if (c == Quote) out += c;
  }
  return out;
}

bool IsQuotedType(TFType T) {
  using namespace kytSQLFilterStruc;
  return T != fInteger && T != fFloat && T != fBoolean;
}

bool IsNumberType(TFType T) { return T == kytSQLFilterStruc::fInteger || T == kytSQLFilterStruc::fFloat; }

std::string IsoDate(SysUtils::TDateTime Date) {
  int year = 0, month = 0, day = 0;
  SysUtils::DecodeDate(Date, year, month, day);
  char buf[40];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", year, month, day);
  return buf;
}

// A time of day typed as hours and minutes, seconds optional, separated by ":" or the
// time separator of the settings, blanks around the parts allowed. Out := "HH:MM:SS".
bool TryTimeText(const std::string& Value, std::string& Out) {
  const char separator = SysUtils::FormatSettings().TimeSeparator;
  int parts[3] = {0, 0, 0};
  int count = 0;
  std::size_t i = 0;
  while (true) {
    while (i < Value.size() && Value[i] == ' ') ++i;
    const std::size_t start = i;
    int part = 0;
    while (i < Value.size() && std::isdigit(static_cast<unsigned char>(Value[i])) && i - start < 2)
      part = part * 10 + (Value[i++] - '0');
    if (i == start || count == 3) return false;
    parts[count++] = part;
    while (i < Value.size() && Value[i] == ' ') ++i;
    if (i == Value.size()) break;
    if (Value[i] != ':' && Value[i] != separator) return false;
    ++i;
  }
  if (count < 2 || parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return false;
  char buf[40];
  std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", parts[0], parts[1], parts[2]);
  Out = buf;
  return true;
}

// The LIKE pattern that matches Value as literal text: its wildcards and the escape
// character escaped, followed by "%" (a prefix) or also preceded by it (a substring).
std::string LikePattern(const std::string& Value, bool Substring) {
  std::string out = Substring ? "%" : "";
  for (char c : Value) {
    if (c == '%' || c == '_' || c == LikeEscape) out += LikeEscape;
    out += c;
  }
  return out + "%";
}

}  // namespace

std::string TformFilter::Condition(const TCampo& Campo, const std::string& Op, const std::string& Value, int Line) {
  using namespace kytSQLFilterStruc;
  const std::string column = ColumnRef(Campo);
  if (Op.find("Null") != std::string::npos) return "( " + column + " " + Op + "  )";
  const bool starting = Op == Operators[8].SQLOperator;
  const bool containing = Op == Operators[9].SQLOperator;
  if ((starting || containing) && Dialect != sdFirebird) return MatchCondition(Campo, containing, Value, Line);
  // The column is folded for a case-insensitive comparison of text.
  const bool fold = !ckCase->Checked() && Campo.DataType == fString;
  const std::string value = ValueSQL(ConvertValue(Campo, Value, Line), IsQuotedType(Campo.DataType), fold);
  return "( " + (fold ? "UPPER(" + column + ")" : column) + " " + Op + "  " + value + " )";
}

// Firebird's CONTAINING ignores letter case and STARTING WITH does not: the same
// filter finds the same rows on every engine when both keep those rules here. Where a
// comparison ignores case both sides go through the engine's UPPER, so that they fold
// alike whatever that function folds; LIKE then compares upper-cased texts, exact even
// where the engine's LIKE ignores ASCII case (SQLite). A case-sensitive match on SQLite
// is instr(), as its LIKE cannot be made case-sensitive per statement.
std::string TformFilter::MatchCondition(const TCampo& Campo, bool Containing, const std::string& Value, int Line) {
  using namespace kytSQLFilterStruc;
  const TFType type = Campo.DataType;
  TCriterionValue value = ConvertValue(Campo, Value, Line);
  const bool fold = Containing ? !IsNumberType(type) : (!ckCase->Checked() && type == fString);
  std::string subject = ColumnRef(Campo);
  // PostgreSQL matches text only.
  if (Dialect == sdPostgreSQL && type != fString) subject = "CAST(" + subject + " AS VARCHAR)";
  value.Param = TSqlParam{kytSQLFilterStruc::pkText, value.Text};
  if (Dialect == sdSQLite && !fold) {
    return "( instr(" + subject + ", " + ValueSQL(value, true, false) + ") " + (Containing ? "> 0" : "= 1") + " )";
  }
  value.Text = value.Param.Value = LikePattern(value.Text, Containing);
  const std::string escape = StringQuote + DoubleQuotes(std::string(1, LikeEscape), StringQuote) + StringQuote;
  return "( " + (fold ? "UPPER(" + subject + ")" : subject) + " LIKE " + ValueSQL(value, true, fold) + " ESCAPE " +
         escape + " )";
}

TformFilter::TCriterionValue TformFilter::ConvertValue(const TCampo& Campo, std::string Value, int Line) {
  using namespace kytSQLFilterStruc;
  const TFType type = Campo.DataType;
  if (type == fDate || type == fDateTime) {
    SysUtils::TDateTime date = 0;
    if (!SysUtils::TryStrToDate(Value, date)) FailLine(Line, kytSQLFilterRes::sProblemAtLine);
    // SQLite keeps a date-time as text: the date alone would sort before midnight of
    // that day and equal none of its values.
    const std::string midnight = type == fDateTime && Dialect == sdSQLite ? " 00:00:00" : "";
    return {SysUtils::FormatDateTime(SQLDateFormat, date) + midnight,
            type == fDate ? TSqlParam{pkDate, IsoDate(date)} : TSqlParam{pkDateTime, IsoDate(date) + " 00:00:00"}};
  }
  // A time is checked on every engine: Firebird would find the fault only when it reads
  // the rows, after the dialog has closed. Firebird's literal takes the time as typed; a
  // bound time, and the text engines that compare times as text, need it whole.
  if (type == fTime) {
    std::string time;
    if (!TryTimeText(Value, time)) FailLine(Line, kytSQLFilterRes::sProblemAtLine);
    if (Dialect != sdFirebird || UseParameters) return {time, TSqlParam{pkTime, time}};
  }
  // Firebird folds the value here, the other engines fold it with the column (ValueSQL).
  if (!ckCase->Checked() && Dialect == sdFirebird) Value = SysUtils::AnsiUpperCase(Value);
  // A value is a literal of its type and nothing more.
  if (IsNumberType(type)) {
    if (!IsNumberLiteral(Value)) FailLine(Line, kytSQLFilterRes::sProblemAtLine);
    return {Value, TSqlParam{IsIntegerLiteral(Value) ? pkInteger : pkFloat, Value}};
  }
  if (type == fBoolean) {
    const std::string upper = SysUtils::UpperCase(Value);
    if (upper != "TRUE" && upper != "FALSE") FailLine(Line, kytSQLFilterRes::sProblemAtLine);
    return {Value, TSqlParam{pkBoolean, upper}};
  }
  return {Value, TSqlParam{pkText, Value}};
}

std::string TformFilter::ValueSQL(const TCriterionValue& Value, bool Quoted, bool Fold) {
  std::string text;
  if (UseParameters) {
    Params.push_back(Value.Param);
    text = "?";
  } else {
    text = Quoted ? StringQuote + DoubleQuotes(Value.Text, StringQuote) + StringQuote : Value.Text;
  }
  return Fold && Dialect != kytSQLFilterStruc::sdFirebird ? "UPPER(" + text + ")" : text;
}

}  // namespace kytSQLFilterForm
