// Unit DB: values and their text and typed forms.
#include <charconv>
#include <cmath>
#include <cstdio>

#include "dataaccess/db/DB.h"
#include "host/rtl/SysUtils.h"

namespace DB {

namespace {

constexpr int64_t kTicksPerSecond = 10000;
constexpr int64_t kTicksPerDay = 86400 * kTicksPerSecond;
// 1899-12-30, day 0 of TDateTime, counted from 1970-01-01.
constexpr int64_t kDay0FromUnixEpoch = -25569;

using SysUtils::CivilFromDays;
using SysUtils::DaysFromCivil;

bool ValidDate(int64_t y, unsigned m, unsigned d) {
  static const unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
  return d <= kDays[m - 1] + (m == 2 && SysUtils::IsLeapYear(static_cast<int>(y)) ? 1u : 0u);
}

// Writes V (0 <= V < 10^N) as N digits at P.
inline void PutDigits(char* P, unsigned V, int N) {
  for (int i = N - 1; i >= 0; --i, V /= 10) P[i] = static_cast<char>('0' + V % 10);
}

std::string DateText(int64_t Days) {
  int64_t y;
  unsigned m, d;
  CivilFromDays(Days + kDay0FromUnixEpoch, y, m, d);
  // The years of four digits, written directly: dates are read row after row.
  if (y >= 0 && y <= 9999) {
    char buf[10] = {0, 0, 0, 0, '-', 0, 0, '-', 0, 0};
    PutDigits(buf, static_cast<unsigned>(y), 4);
    PutDigits(buf + 5, m, 2);
    PutDigits(buf + 8, d, 2);
    return std::string(buf, sizeof buf);
  }
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04lld-%02u-%02u", static_cast<long long>(y), m, d);
  return buf;
}

std::string TimeText(int64_t Ticks) {
  int64_t s = Ticks / kTicksPerSecond, frac = Ticks % kTicksPerSecond;
  char buf[32];
  int n = std::snprintf(buf, sizeof buf, "%02lld:%02lld:%02lld", static_cast<long long>(s / 3600),
                        static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
  // Milliseconds when that is exact, else the engine's full 1/10000 second.
  if (frac % 10 == 0 && frac != 0)
    std::snprintf(buf + n, sizeof buf - n, ".%03lld", static_cast<long long>(frac / 10));
  else if (frac != 0)
    std::snprintf(buf + n, sizeof buf - n, ".%04lld", static_cast<long long>(frac));
  return buf;
}

// Reads exactly Count digits at P.
bool Digits(const std::string& S, size_t& P, int Count, int64_t& Value) {
  Value = 0;
  for (int i = 0; i < Count; ++i, ++P) {
    if (P >= S.size() || S[P] < '0' || S[P] > '9') return false;
    Value = Value * 10 + (S[P] - '0');
  }
  return true;
}

bool ParseIsoDate(const std::string& S, size_t& P, int64_t& Days) {
  int64_t y, m, d;
  if (!Digits(S, P, 4, y) || P >= S.size() || S[P++] != '-' || !Digits(S, P, 2, m) ||
      P >= S.size() || S[P++] != '-' || !Digits(S, P, 2, d))
    return false;
  if (!ValidDate(y, static_cast<unsigned>(m), static_cast<unsigned>(d))) return false;
  Days = DaysFromCivil(y, static_cast<unsigned>(m), static_cast<unsigned>(d)) - kDay0FromUnixEpoch;
  return true;
}

bool ParseIsoTime(const std::string& S, size_t& P, int64_t& Ticks) {
  int64_t h, n, s = 0, frac = 0;
  if (!Digits(S, P, 2, h) || P >= S.size() || S[P++] != ':' || !Digits(S, P, 2, n)) return false;
  if (P < S.size() && S[P] == ':') {
    ++P;
    if (!Digits(S, P, 2, s)) return false;
    if (P < S.size() && S[P] == '.') {
      ++P;
      int used = 0;
      int64_t scale = kTicksPerSecond;
      for (; P < S.size() && S[P] >= '0' && S[P] <= '9'; ++P, ++used) {
        // Digits beyond the engines' 1/10000 second are dropped.
        if (scale > 1) {
          scale /= 10;
          frac += (S[P] - '0') * scale;
        }
      }
      if (used == 0) return false;
    }
  }
  if (h > 23 || n > 59 || s > 59) return false;
  Ticks = (h * 3600 + n * 60 + s) * kTicksPerSecond + frac;
  return true;
}

const char* KindName(TValue::TKind K) {
  switch (K) {
    case TValue::TKind::Null: return "null";
    case TValue::TKind::Integer: return "integer";
    case TValue::TKind::Decimal: return "decimal";
    case TValue::TKind::Float: return "float";
    case TValue::TKind::Boolean: return "boolean";
    case TValue::TKind::Text: return "text";
    case TValue::TKind::Bytes: return "binary";
    case TValue::TKind::Date: return "date";
    case TValue::TKind::Time: return "time";
    case TValue::TKind::DateTime: return "timestamp";
    case TValue::TKind::Unreadable: return "unreadable";
  }
  return "unknown";
}

int64_t Pow10(int N) {
  int64_t r = 1;
  while (N-- > 0) r *= 10;
  return r;
}

[[noreturn]] void CannotRead(const TValue& V, const char* As) {
  if (V.Kind() == TValue::TKind::Unreadable)
    throw EDatabaseError("A value of type " + V.Bytes() + " cannot be read");
  throw EDatabaseError(std::string("A ") + KindName(V.Kind()) + " value cannot be read as " + As);
}

}  // namespace

int FieldDataSize(TFieldType DataType, int Size) {
  switch (DataType) {
    case ftString: case ftFixedChar: case ftWideString: case ftBytes: case ftVarBytes:
      return Size;
    case ftSmallint: case ftWord: case ftBoolean:
      return 2;
    case ftInteger: case ftAutoInc: case ftDate: case ftTime:
      return 4;
    case ftFloat: case ftCurrency: case ftDateTime: case ftLargeint:
      return 8;
    case ftBCD:
      return 34;
    default:
      return 0;
  }
}

TValue TValue::Integer(int64_t V) {
  TValue r;
  r.FKind = TKind::Integer;
  r.FInt = V;
  return r;
}

TValue TValue::Decimal(int64_t Unscaled, int Scale) {
  TValue r;
  r.FKind = TKind::Decimal;
  r.FInt = Unscaled;
  r.FScale = Scale;
  return r;
}

TValue TValue::Float(double V, bool Single) {
  TValue r;
  r.FKind = TKind::Float;
  r.FFloat = V;
  r.FSingle = Single;
  return r;
}

TValue TValue::Boolean(bool V) {
  TValue r;
  r.FKind = TKind::Boolean;
  r.FInt = V ? 1 : 0;
  return r;
}

TValue TValue::Text(std::string V) {
  TValue r;
  r.FKind = TKind::Text;
  r.FText = std::move(V);
  return r;
}

TValue TValue::Bytes(std::string V) {
  TValue r;
  r.FKind = TKind::Bytes;
  r.FText = std::move(V);
  return r;
}

TValue TValue::Date(int32_t Days) {
  TValue r;
  r.FKind = TKind::Date;
  r.FInt = Days;
  return r;
}

TValue TValue::Time(int64_t Ticks) {
  TValue r;
  r.FKind = TKind::Time;
  r.FTicks = Ticks;
  return r;
}

TValue TValue::DateTime(int32_t Days, int64_t Ticks) {
  TValue r;
  r.FKind = TKind::DateTime;
  r.FInt = Days;
  r.FTicks = Ticks;
  return r;
}

TValue TValue::Unreadable(std::string What) {
  TValue r;
  r.FKind = TKind::Unreadable;
  r.FText = std::move(What);
  return r;
}

TValue TValue::FromIsoText(TFieldType Type, const std::string& Text) {
  size_t p = 0;
  int64_t days = 0, ticks = 0;
  bool ok = false;
  if (Type == ftDate) {
    ok = ParseIsoDate(Text, p, days) && p == Text.size();
    if (ok) return Date(static_cast<int32_t>(days));
  } else if (Type == ftTime) {
    ok = ParseIsoTime(Text, p, ticks) && p == Text.size();
    if (ok) return Time(ticks);
  } else if (Type == ftDateTime) {
    ok = ParseIsoDate(Text, p, days);
    if (ok && p < Text.size()) {
      ok = (Text[p] == ' ' || Text[p] == 'T') && ParseIsoTime(Text, ++p, ticks) && p == Text.size();
    }
    if (ok) return DateTime(static_cast<int32_t>(days), ticks);
  }
  return TValue::Text(Text);
}

std::string TValue::AsString() const {
  switch (FKind) {
    case TKind::Null:
      return std::string();
    case TKind::Integer:
      return std::to_string(FInt);
    case TKind::Decimal: {
      if (FScale == 0) return std::to_string(FInt);
      // Work on the magnitude as unsigned so INT64_MIN has one too.
      uint64_t mag = FInt < 0 ? 0 - static_cast<uint64_t>(FInt) : static_cast<uint64_t>(FInt);
      uint64_t p = static_cast<uint64_t>(Pow10(FScale));
      std::string frac = std::to_string(mag % p);
      frac.insert(0, static_cast<size_t>(FScale) - frac.size(), '0');
      return (FInt < 0 ? "-" : "") + std::to_string(mag / p) + "." + frac;
    }
    case TKind::Float: {
      char buf[64];
      auto res = FSingle ? std::to_chars(buf, buf + sizeof buf, static_cast<float>(FFloat))
                         : std::to_chars(buf, buf + sizeof buf, FFloat);
      return std::string(buf, res.ptr);
    }
    case TKind::Boolean:
      return FInt ? "TRUE" : "FALSE";
    case TKind::Text:
    case TKind::Bytes:
      return FText;
    case TKind::Date:
      return DateText(FInt);
    case TKind::Time:
      return TimeText(FTicks);
    case TKind::DateTime:
      return DateText(FInt) + " " + TimeText(FTicks);
    case TKind::Unreadable:
      break;
  }
  CannotRead(*this, "text");
}

int64_t TValue::AsInteger() const {
  switch (FKind) {
    case TKind::Null: return 0;
    case TKind::Integer: case TKind::Boolean: return FInt;
    case TKind::Decimal: return FInt / Pow10(FScale);
    case TKind::Float:
      if (!std::isfinite(FFloat) || std::fabs(FFloat) >= 9.2e18) break;
      return static_cast<int64_t>(FFloat);
    case TKind::Text: {
      std::string t = SysUtils::Trim(FText);
      const char* b = t.data();
      const char* e = b + t.size();
      if (b != e && *b == '+') ++b;
      int64_t v = 0;
      auto res = std::from_chars(b, e, v);
      if (b == e || res.ec != std::errc() || res.ptr != e)
        throw EDatabaseError("'" + FText + "' is not a valid integer value");
      return v;
    }
    default: break;
  }
  CannotRead(*this, "an integer");
}

double TValue::AsFloat() const {
  switch (FKind) {
    case TKind::Null: return 0;
    case TKind::Integer: case TKind::Boolean: return static_cast<double>(FInt);
    case TKind::Decimal: return static_cast<double>(FInt) / static_cast<double>(Pow10(FScale));
    case TKind::Float: return FFloat;
    case TKind::Date: case TKind::Time: case TKind::DateTime: return AsDateTime();
    case TKind::Text: {
      std::string t = SysUtils::Trim(FText);
      const char* b = t.data();
      const char* e = b + t.size();
      if (b != e && *b == '+') ++b;
      double v = 0;
      auto res = std::from_chars(b, e, v);
      if (b == e || res.ec != std::errc() || res.ptr != e)
        throw EDatabaseError("'" + FText + "' is not a valid floating point value");
      return v;
    }
    default: break;
  }
  CannotRead(*this, "a number");
}

bool TValue::AsBoolean() const {
  switch (FKind) {
    case TKind::Null: return false;
    case TKind::Integer: case TKind::Boolean: case TKind::Decimal: return FInt != 0;
    case TKind::Float: return FFloat != 0;
    case TKind::Text: {
      std::string t = SysUtils::UpperCase(SysUtils::Trim(FText));
      if (t == "TRUE" || t == "1") return true;
      if (t == "FALSE" || t == "0") return false;
      throw EDatabaseError("'" + FText + "' is not a valid boolean value");
    }
    default: break;
  }
  CannotRead(*this, "a boolean");
}

SysUtils::TDateTime TValue::AsDateTime() const {
  double frac = static_cast<double>(FTicks) / static_cast<double>(kTicksPerDay);
  switch (FKind) {
    case TKind::Null: return 0;
    case TKind::Date: return static_cast<double>(FInt);
    case TKind::Time: return frac;
    // Before day 0 the time of day counts away from zero, as TDateTime has it.
    case TKind::DateTime: return FInt >= 0 ? FInt + frac : FInt - frac;
    case TKind::Text: {
      TValue v = FromIsoText(ftDateTime, FText);
      if (v.FKind == TKind::Text) v = FromIsoText(ftTime, FText);
      if (v.FKind == TKind::Text) throw EDatabaseError("'" + FText + "' is not a valid date and time");
      return v.AsDateTime();
    }
    default: break;
  }
  CannotRead(*this, "a date and time");
}

bool TValue::operator==(const TValue& Other) const {
  return FKind == Other.FKind && FSingle == Other.FSingle && FScale == Other.FScale &&
         FInt == Other.FInt && FTicks == Other.FTicks &&
         (FFloat == Other.FFloat || (std::isnan(FFloat) && std::isnan(Other.FFloat))) &&
         FText == Other.FText;
}

TFieldType FieldTypeOfDeclaredType(const std::string& Declared, int& Size) {
  Size = 0;
  size_t paren = Declared.find('(');
  // The name, upper case, inner blanks folded to one.
  std::string name;
  for (char c : Declared.substr(0, paren)) {
    if (static_cast<unsigned char>(c) <= ' ') {
      if (!name.empty() && name.back() != ' ') name += ' ';
    } else {
      name += c;
    }
  }
  if (!name.empty() && name.back() == ' ') name.pop_back();
  name = SysUtils::UpperCase(name);
  // The numbers in the parentheses: length, or precision and scale.
  std::vector<int> numbers;
  if (paren != std::string::npos) {
    size_t close = Declared.find(')', paren);
    std::string inner = Declared.substr(paren + 1, close == std::string::npos ? std::string::npos : close - paren - 1);
    size_t p = 0;
    while (p <= inner.size()) {
      size_t comma = inner.find(',', p);
      std::string part = SysUtils::Trim(inner.substr(p, comma == std::string::npos ? std::string::npos : comma - p));
      numbers.push_back(SysUtils::StrToIntDef(part, 0));
      if (comma == std::string::npos) break;
      p = comma + 1;
    }
  }
  auto is = [&name](std::initializer_list<const char*> names) {
    for (const char* n : names)
      if (name == n) return true;
    return false;
  };
  if (is({"BOOLEAN", "BOOL"})) return ftBoolean;
  if (is({"BIGINT", "INT8"})) return ftLargeint;
  if (is({"SMALLINT", "INT2", "TINYINT"})) return ftSmallint;
  if (name.find("INT") != std::string::npos) return ftInteger;
  if (is({"DATETIME", "TIMESTAMP"})) return ftDateTime;
  if (is({"DATE"})) return ftDate;
  if (is({"TIME"})) return ftTime;
  if (is({"NUMERIC", "DECIMAL"})) {
    if (numbers.size() >= 2 && numbers[1] > 0) Size = numbers[1];
    return ftBCD;
  }
  // DOUBLE PRECISION is the standard spelling of DOUBLE.
  if (is({"REAL", "DOUBLE", "DOUBLE PRECISION", "FLOAT"})) return ftFloat;
  if (is({"TEXT", "CLOB"})) return ftMemo;
  // CHARACTER VARYING is the standard spelling of VARYING CHARACTER.
  if (is({"CHAR", "VARCHAR", "NCHAR", "NVARCHAR", "VARYING CHARACTER", "CHARACTER VARYING", "CHARACTER"})) {
    if (!numbers.empty() && numbers[0] > 0) Size = numbers[0];
    return ftString;
  }
  if (is({"BLOB"})) return ftBlob;
  return ftUnknown;
}

}  // namespace DB
