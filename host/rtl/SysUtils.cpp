#include "host/rtl/SysUtils.h"

#include <charconv>
#include <chrono>
#include <cmath>
#include <ctime>
#include <map>

namespace SysUtils {

void Abort() { throw EAbort("Operation aborted"); }

// ---- Text ---------------------------------------------------------------------------

char AnsiUpperChar(char C) {
  unsigned char u = static_cast<unsigned char>(C);
  if (u >= 'a' && u <= 'z') return static_cast<char>(u - 32);
  if (u >= 0xE0 && u <= 0xFE && u != 0xF7) return static_cast<char>(u - 32);
  switch (u) {
    case 0x9A: return static_cast<char>(0x8A);  // š
    case 0x9C: return static_cast<char>(0x8C);  // œ
    case 0x9E: return static_cast<char>(0x8E);  // ž
    case 0xFF: return static_cast<char>(0x9F);  // ÿ
    default: return C;
  }
}

char AnsiLowerChar(char C) {
  unsigned char u = static_cast<unsigned char>(C);
  if (u >= 'A' && u <= 'Z') return static_cast<char>(u + 32);
  if (u >= 0xC0 && u <= 0xDE && u != 0xD7) return static_cast<char>(u + 32);
  switch (u) {
    case 0x8A: return static_cast<char>(0x9A);
    case 0x8C: return static_cast<char>(0x9C);
    case 0x8E: return static_cast<char>(0x9E);
    case 0x9F: return static_cast<char>(0xFF);
    default: return C;
  }
}

std::string UpperCase(const std::string& S) {
  std::string r = S;
  for (char& c : r)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  return r;
}

std::string LowerCase(const std::string& S) {
  std::string r = S;
  for (char& c : r)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  return r;
}

std::string AnsiUpperCase(const std::string& S) {
  std::string r = S;
  for (char& c : r) c = AnsiUpperChar(c);
  return r;
}

std::string AnsiLowerCase(const std::string& S) {
  std::string r = S;
  for (char& c : r) c = AnsiLowerChar(c);
  return r;
}

int AnsiCompareText(const std::string& S1, const std::string& S2) {
  size_t n = std::min(S1.size(), S2.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char a = static_cast<unsigned char>(AnsiUpperChar(S1[i]));
    unsigned char b = static_cast<unsigned char>(AnsiUpperChar(S2[i]));
    if (a != b) return a < b ? -1 : 1;
  }
  if (S1.size() == S2.size()) return 0;
  return S1.size() < S2.size() ? -1 : 1;
}

bool AnsiSameText(const std::string& S1, const std::string& S2) {
  return S1.size() == S2.size() && AnsiCompareText(S1, S2) == 0;
}

int AnsiCompareStr(const std::string& S1, const std::string& S2) {
  int c = S1.compare(S2);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

static bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string Trim(const std::string& S) {
  size_t b = 0, e = S.size();
  while (b < e && IsBlank(S[b])) ++b;
  while (e > b && IsBlank(S[e - 1])) --e;
  return S.substr(b, e - b);
}

std::string TrimLeft(const std::string& S) {
  size_t b = 0;
  while (b < S.size() && IsBlank(S[b])) ++b;
  return S.substr(b);
}

std::string TrimRight(const std::string& S) {
  size_t e = S.size();
  while (e > 0 && IsBlank(S[e - 1])) --e;
  return S.substr(0, e);
}

std::string IntToStr(int64_t Value) { return std::to_string(Value); }

static bool ParseInt(const std::string& S, int& Value) {
  std::string t = Trim(S);
  const char* b = t.data();
  const char* e = b + t.size();
  if (b != e && *b == '+') ++b;
  auto [p, ec] = std::from_chars(b, e, Value);
  return ec == std::errc() && p == e && b != e;
}

int StrToInt(const std::string& S) {
  int v = 0;
  if (!ParseInt(S, v)) throw EConvertError("'" + S + "' is not a valid integer value");
  return v;
}

int StrToIntDef(const std::string& S, int Default) {
  int v = 0;
  return ParseInt(S, v) ? v : Default;
}

std::string StringReplaceAll(const std::string& S, const std::string& OldPattern,
                             const std::string& NewPattern) {
  if (OldPattern.empty()) return S;
  std::string r;
  size_t from = 0;
  for (size_t at; (at = S.find(OldPattern, from)) != std::string::npos;
       from = at + OldPattern.size()) {
    r.append(S, from, at - from);
    r += NewPattern;
  }
  r.append(S, from, std::string::npos);
  return r;
}

// ---- Format settings ------------------------------------------------------------------

TFormatSettings& FormatSettings() {
  static TFormatSettings settings;
  return settings;
}

// ---- Dates and times ------------------------------------------------------------------

bool IsLeapYear(int Year) {
  return (Year % 4 == 0) && (Year % 100 != 0 || Year % 400 == 0);
}

static int DaysInMonth(int Year, int Month) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return Month == 2 && IsLeapYear(Year) ? 29 : days[Month - 1];
}

// H. Hinnant's algorithms for the proleptic Gregorian calendar.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y = static_cast<int64_t>(yoe) + era * 400 + (m <= 2);
}

// 1899-12-30, day 0 of TDateTime, counted from 1970-01-01.
static const int64_t kEpochOffset = -25569;

bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Result) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 ||
      Day > DaysInMonth(Year, Month))
    return false;
  Result = static_cast<double>(
      DaysFromCivil(Year, static_cast<unsigned>(Month), static_cast<unsigned>(Day)) - kEpochOffset);
  return true;
}

TDateTime EncodeDate(int Year, int Month, int Day) {
  TDateTime r = 0;
  if (!TryEncodeDate(Year, Month, Day, r)) throw EConvertError("Invalid argument to date encode");
  return r;
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
  if (Hour < 0 || Hour > 23 || Min < 0 || Min > 59 || Sec < 0 || Sec > 59 || MSec < 0 ||
      MSec > 999)
    throw EConvertError("Invalid argument to time encode");
  return (((Hour * 60.0 + Min) * 60.0 + Sec) * 1000.0 + MSec) / 86400000.0;
}

// Splits a date-time into whole days and milliseconds of the day. Negative values
// count days backwards with the time still positive, as the host does.
static void SplitDateTime(TDateTime DateTime, int64_t& Days, int64_t& MSecs) {
  double whole = std::trunc(DateTime);
  double frac = std::fabs(DateTime - whole);
  Days = static_cast<int64_t>(whole);
  MSecs = static_cast<int64_t>(std::llround(frac * 86400000.0));
  if (MSecs >= 86400000) {  // rounding reached the next day
    MSecs -= 86400000;
    Days += DateTime < 0 ? -1 : 1;
  }
}

void DecodeDate(TDateTime DateTime, int& Year, int& Month, int& Day) {
  int64_t days, ms;
  SplitDateTime(DateTime, days, ms);
  int64_t y = 0;
  unsigned m = 0, d = 0;
  CivilFromDays(days + kEpochOffset, y, m, d);
  Year = static_cast<int>(y);
  Month = static_cast<int>(m);
  Day = static_cast<int>(d);
}

void DecodeTime(TDateTime DateTime, int& Hour, int& Min, int& Sec, int& MSec) {
  int64_t days, ms;
  SplitDateTime(DateTime, days, ms);
  MSec = static_cast<int>(ms % 1000);
  ms /= 1000;
  Sec = static_cast<int>(ms % 60);
  ms /= 60;
  Min = static_cast<int>(ms % 60);
  Hour = static_cast<int>(ms / 60);
}

int DayOfWeek(TDateTime DateTime) {
  int64_t days, ms;
  SplitDateTime(DateTime, days, ms);
  // Day 0 (1899-12-30) was a Saturday.
  int64_t w = (days + 6) % 7;
  if (w < 0) w += 7;
  return static_cast<int>(w) + 1;
}

TDateTime Now() {
  std::time_t t = std::time(nullptr);
  std::tm local{};
  localtime_r(&t, &local);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                std::chrono::system_clock::now().time_since_epoch())
                .count() %
            1000;
  return EncodeDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) +
         EncodeTime(local.tm_hour, local.tm_min, std::min(local.tm_sec, 59),
                    static_cast<int>(ms));
}

TDateTime Date() { return std::trunc(Now()); }

namespace {

// Writes one date-time picture; nested pictures (c, ddddd, t, tt) recurse.
class DateTimeFormatter {
 public:
  explicit DateTimeFormatter(TDateTime dt) : dt_(dt) {
    DecodeDate(dt, year_, month_, day_);
    DecodeTime(dt, hour_, min_, sec_, msec_);
  }

  void Append(const std::string& fmt, int depth = 0) {
    if (depth > 2) return;  // pictures that name each other cannot loop
    const TFormatSettings& fs = FormatSettings();
    size_t i = 0;
    const size_t n = fmt.size();
    auto count_run = [&](char lower) {
      size_t k = i;
      while (k < n && std::tolower(static_cast<unsigned char>(fmt[k])) == lower) ++k;
      return k - i;
    };
    while (i < n) {
      char c = fmt[i];
      char lc = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      switch (lc) {
        case '"':
        case '\'': {
          size_t close = fmt.find(c, i + 1);
          if (close == std::string::npos) close = n;
          out_.append(fmt, i + 1, close - i - 1);
          i = close + 1;
          continue;
        }
        case '/': out_ += fs.DateSeparator; ++i; continue;  // separators and literals
        case ':': out_ += fs.TimeSeparator; ++i; continue;  // keep "m after h" alive
        case 'c':
          Append(fs.ShortDateFormat, depth + 1);
          if (hour_ || min_ || sec_ || msec_) {
            out_ += ' ';
            Append(fs.LongTimeFormat, depth + 1);
          }
          ++i;
          break;
        case 'y': {
          size_t k = count_run('y');
          out_ += k <= 2 ? Pad(year_ % 100, 2) : Pad(year_, 4);
          i += k;
          break;
        }
        case 'm': {
          size_t k = count_run('m');
          if (last_was_hour_ && k <= 2) {
            out_ += k == 1 ? std::to_string(min_) : Pad(min_, 2);
          } else if (k == 1) {
            out_ += std::to_string(month_);
          } else if (k == 2) {
            out_ += Pad(month_, 2);
          } else if (k == 3) {
            out_ += fs.ShortMonthNames[month_ - 1];
          } else {
            out_ += fs.LongMonthNames[month_ - 1];
          }
          i += k;
          last_was_hour_ = false;
          continue;
        }
        case 'd': {
          size_t k = count_run('d');
          int dow = DayOfWeek(dt_) - 1;
          if (k == 1) out_ += std::to_string(day_);
          else if (k == 2) out_ += Pad(day_, 2);
          else if (k == 3) out_ += fs.ShortDayNames[dow];
          else if (k == 4) out_ += fs.LongDayNames[dow];
          else if (k == 5) Append(fs.ShortDateFormat, depth + 1);
          else Append(fs.LongDateFormat, depth + 1);
          i += k;
          break;
        }
        case 'h': {
          size_t k = count_run('h');
          int h = hour_;
          if (HasAmPm(fmt, i + k)) {
            h %= 12;
            if (h == 0) h = 12;
          }
          out_ += k == 1 ? std::to_string(h) : Pad(h, 2);
          i += k;
          last_was_hour_ = true;
          continue;
        }
        case 'n': {
          size_t k = count_run('n');
          out_ += k == 1 ? std::to_string(min_) : Pad(min_, 2);
          i += k;
          break;
        }
        case 's': {
          size_t k = count_run('s');
          out_ += k == 1 ? std::to_string(sec_) : Pad(sec_, 2);
          i += k;
          break;
        }
        case 'z': {
          size_t k = count_run('z');
          out_ += k < 3 ? std::to_string(msec_) : Pad(msec_, 3);
          i += k;
          break;
        }
        case 't': {
          size_t k = count_run('t');
          Append(k == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, depth + 1);
          i += k;
          break;
        }
        case 'a': {
          std::string rest = LowerCase(fmt.substr(i, 5));
          bool pm = hour_ >= 12;
          if (rest.rfind("am/pm", 0) == 0) {
            out_ += fmt.substr(i + (pm ? 3 : 0), 2);  // the marker keeps the picture's case
            i += 5;
          } else if (rest.rfind("a/p", 0) == 0) {
            out_ += fmt[i + (pm ? 2 : 0)];
            i += 3;
          } else if (rest.rfind("ampm", 0) == 0) {
            out_ += pm ? fs.TimePMString : fs.TimeAMString;
            i += 4;
          } else {
            out_ += c;
            ++i;
          }
          break;
        }
        default:
          out_ += c;
          ++i;
          continue;
      }
      last_was_hour_ = false;
    }
  }

  const std::string& Result() const { return out_; }

 private:
  static std::string Pad(int v, int width) {
    std::string s = std::to_string(v);
    if (static_cast<int>(s.size()) < width) s.insert(0, width - s.size(), '0');
    return s;
  }
  // A 12-hour marker anywhere after the hour makes the hour 12-hour based.
  static bool HasAmPm(const std::string& fmt, size_t from) {
    std::string rest = LowerCase(fmt.substr(from));
    return rest.find("am/pm") != std::string::npos ||
           rest.find("a/p") != std::string::npos || rest.find("ampm") != std::string::npos;
  }

  TDateTime dt_;
  int year_ = 0, month_ = 0, day_ = 0, hour_ = 0, min_ = 0, sec_ = 0, msec_ = 0;
  bool last_was_hour_ = false;
  std::string out_;
};

}  // namespace

std::string FormatDateTime(const std::string& Format, TDateTime DateTime) {
  DateTimeFormatter f(DateTime);
  f.Append(Format.empty() ? std::string("c") : Format);
  return f.Result();
}

std::string DateToStr(TDateTime DateTime) { return FormatDateTime("ddddd", DateTime); }

// The order of day, month and year in the short date format: "mdy", "dmy" or "ymd".
static std::string DateOrder(const std::string& pattern) {
  std::string order;
  for (char c : LowerCase(pattern)) {
    if ((c == 'd' || c == 'm' || c == 'y') && order.find(c) == std::string::npos)
      order += c;
  }
  if (order.size() != 3) return "mdy";
  return order;
}

bool TryStrToDate(const std::string& S, TDateTime& Value) {
  const TFormatSettings& fs = FormatSettings();
  std::vector<int> parts;
  std::vector<size_t> digits;
  size_t i = 0;
  const size_t n = S.size();
  auto skip_blanks = [&] {
    while (i < n && S[i] == ' ') ++i;
  };
  skip_blanks();
  while (true) {
    size_t start = i;
    int v = 0;
    while (i < n && S[i] >= '0' && S[i] <= '9' && i - start < 9) v = v * 10 + (S[i++] - '0');
    if (i == start) return false;
    parts.push_back(v);
    digits.push_back(i - start);
    skip_blanks();
    if (i < n && S[i] == fs.DateSeparator && parts.size() < 3) {
      ++i;
      skip_blanks();
      continue;
    }
    break;
  }
  if (i != n || parts.size() < 2) return false;

  std::string order = DateOrder(fs.ShortDateFormat);
  int y = -1, m = 0, d = 0;
  size_t ydigits = 4;
  if (parts.size() == 2) {
    // Day and month in the order of the pattern, the year left out.
    std::string dm;
    for (char c : order)
      if (c != 'y') dm += c;
    m = dm[0] == 'm' ? parts[0] : parts[1];
    d = dm[0] == 'm' ? parts[1] : parts[0];
  } else {
    for (size_t k = 0; k < 3; ++k) {
      if (order[k] == 'y') {
        y = parts[k];
        ydigits = digits[k];
      } else if (order[k] == 'm') {
        m = parts[k];
      } else {
        d = parts[k];
      }
    }
  }
  int this_year, this_month, this_day;
  DecodeDate(Now(), this_year, this_month, this_day);
  if (y < 0) {
    y = this_year;
  } else if (ydigits <= 2) {
    int window = fs.TwoDigitYearCenturyWindow;
    int century = (this_year - window) / 100 * 100;
    y += century;
    if (window > 0 && y < this_year - window) y += 100;
  }
  return TryEncodeDate(y, m, d, Value);
}

TDateTime StrToDate(const std::string& S) {
  TDateTime v = 0;
  if (!TryStrToDate(S, v)) throw EConvertError("'" + S + "' is not a valid date");
  return v;
}

// ---- Module string table -------------------------------------------------------------

static std::map<int, std::string>& StringTable() {
  static std::map<int, std::string> table;
  return table;
}

void RegisterStr(int Ident, const std::string& Text) { StringTable()[Ident] = Text; }

std::string LoadStr(int Ident) {
  const auto& table = StringTable();
  auto it = table.find(Ident);
  return it == table.end() ? std::string() : it->second;
}

}  // namespace SysUtils
