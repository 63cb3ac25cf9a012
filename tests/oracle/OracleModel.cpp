#include "tests/oracle/OracleModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace oracle {

const char* EngineName(TEngine Engine) { return Engine == TEngine::Firebird ? "firebird" : "sqlite"; }

const std::vector<TColumn>& Columns() {
  static const std::vector<TColumn> columns = {
      {"I_NUM", TKind::Integer}, {"F_NUM", TKind::Float},  {"S_TEXT", TKind::String},
      {"D_DATE", TKind::Date},   {"T_TIME", TKind::Time},  {"TS_STAMP", TKind::DateTime},
      {"B_FLAG", TKind::Boolean},
  };
  return columns;
}

std::vector<int> OfferedColumns(TEngine Engine) {
  std::vector<int> offered;
  for (int c = 0; c < static_cast<int>(Columns().size()); ++c)
    if (Engine == TEngine::Sqlite || Columns()[c].Kind != TKind::Boolean) offered.push_back(c);
  return offered;
}

uint64_t TRandom::Next() {
  // xorshift64*
  FState ^= FState >> 12;
  FState ^= FState << 25;
  FState ^= FState >> 27;
  return FState * 2685821657736338717ull;
}

// ---- Text ---------------------------------------------------------------------------------

std::string Upper1252(const std::string& Text) {
  std::string out = Text;
  for (char& ch : out) {
    const auto c = static_cast<unsigned char>(ch);
    unsigned char u = c;
    if (c >= 'a' && c <= 'z') u = c - 32;
    else if (c >= 0xE0 && c <= 0xFE && c != 0xF7) u = c - 32;
    else if (c == 0x9A || c == 0x9C || c == 0x9E) u = c - 16;  // š œ ž
    else if (c == 0xFF) u = 0x9F;                               // ÿ
    ch = static_cast<char>(u);
  }
  return out;
}

uint32_t CodePoint1252(unsigned char C) {
  static const uint32_t high[32] = {0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x8D,   0x017D, 0x8F,
                                    0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};
  return C >= 0x80 && C < 0xA0 ? high[C - 0x80] : C;
}

std::string Utf8(const std::string& Text) {
  std::string out;
  for (char ch : Text) {
    const uint32_t c = CodePoint1252(static_cast<unsigned char>(ch));
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

namespace {

// Letters of both cases, blanks, quotes, wildcards of SQL and of the host's matcher, a
// LIKE escape character, and letters above 127 whose upper case the engines must agree on.
const std::string kAlphabet =
    "aAbBzZ09 '%_*?!"
    "\xE9\xC9\xFC\xDC\xDF\xFF\x9F\x9A\x8A\x9C\x8C\x80\xB5\xF7\xD7\x9E\x8E";

std::string RandomText(TRandom& R, int MaxLength) {
  std::string s;
  const int n = R.Below(MaxLength + 1);
  for (int i = 0; i < n; ++i) s += kAlphabet[R.Below(static_cast<int>(kAlphabet.size()))];
  return s;
}

// Swaps the case of some ASCII letters and of the accented letters that have a pair.
std::string MixCase(TRandom& R, std::string S) {
  for (char& ch : S) {
    if (!R.Chance(50)) continue;
    const std::string up = Upper1252(std::string(1, ch));
    if (up[0] != ch) {
      ch = up[0];
      continue;
    }
    // An upper-case letter: its small letter when it has one.
    for (int c = 0; c < 256; ++c)
      if (c != static_cast<unsigned char>(ch) && Upper1252(std::string(1, static_cast<char>(c)))[0] == ch) {
        ch = static_cast<char>(c);
        break;
      }
  }
  return S;
}

bool IsLeap(int Y) { return (Y % 4 == 0 && Y % 100 != 0) || Y % 400 == 0; }
int DaysIn(int Y, int M) {
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return M == 2 && IsLeap(Y) ? 29 : days[M - 1];
}

TDate RandomDate(TRandom& R) {
  TDate d{1998 + R.Below(5), 1 + R.Below(12), 1};
  d.Day = 1 + R.Below(DaysIn(d.Year, d.Month));
  return d;
}
TTime RandomTime(TRandom& R) {
  TTime t{R.Below(24), R.Chance(30) ? 0 : R.Below(60), R.Chance(40) ? 0 : R.Below(60)};
  if (R.Chance(10)) t = {0, 0, 0};
  return t;
}

std::string Two(int V) {
  char b[8];
  std::snprintf(b, sizeof b, "%02d", V);
  return b;
}
std::string DateText(const TDate& D) { return std::to_string(D.Year) + "-" + Two(D.Month) + "-" + Two(D.Day); }
std::string TimeText(const TTime& T) { return Two(T.Hour) + ":" + Two(T.Minute) + ":" + Two(T.Second); }

std::string FloatLiteral(double F) {
  char b[40];
  std::snprintf(b, sizeof b, "%.2f", F);
  return b;
}

std::string Quoted(const std::string& S) {
  std::string out = "'";
  for (char c : S) {
    out += c;
    if (c == '\'') out += c;
  }
  return out + "'";
}

}  // namespace

// ---- Rows ---------------------------------------------------------------------------------

std::vector<TRow> MakeRows(TRandom& R, int Count) {
  std::vector<TRow> rows;
  std::vector<std::string> texts;  // earlier texts, so that equal and mixed-case twins occur
  for (int id = 1; id <= Count; ++id) {
    TRow row;
    row.Id = id;
    if (!R.Chance(12)) row.I = R.Below(101) - 50;
    if (!R.Chance(12)) row.F = (R.Below(801) - 400) / 4.0;
    if (!R.Chance(12)) {
      std::string s;
      if (!texts.empty() && R.Chance(30)) s = MixCase(R, texts[R.Below(static_cast<int>(texts.size()))]);
      else if (R.Chance(8)) s = "";
      else s = RandomText(R, 8);
      texts.push_back(s);
      row.S = s;
    }
    if (!R.Chance(12)) row.D = RandomDate(R);
    if (!R.Chance(12)) row.T = RandomTime(R);
    if (!R.Chance(12)) {
      row.TSDate = RandomDate(R);
      row.TSTime = R.Chance(30) ? TTime{} : RandomTime(R);
    }
    if (!R.Chance(15)) row.B = R.Chance(50);
    rows.push_back(row);
  }
  return rows;
}

std::string CreateScript(TEngine Engine, const std::vector<TRow>& Rows) {
  const bool fb = Engine == TEngine::Firebird;
  std::string s = std::string("CREATE TABLE OT (ID INTEGER NOT NULL PRIMARY KEY, I_NUM INTEGER, F_NUM ") +
                  (fb ? "DOUBLE PRECISION" : "DOUBLE") + ", S_TEXT VARCHAR(" + std::to_string(kTextWidth) +
                  "), D_DATE DATE, T_TIME TIME, TS_STAMP TIMESTAMP, B_FLAG BOOLEAN);\n";
  const std::string null = "NULL";
  for (const TRow& r : Rows) {
    s += "INSERT INTO OT VALUES (" + std::to_string(r.Id) + ", ";
    s += (r.I ? std::to_string(*r.I) : null) + ", ";
    s += (r.F ? FloatLiteral(*r.F) : null) + ", ";
    s += (r.S ? Quoted(*r.S) : null) + ", ";
    s += (r.D ? "'" + DateText(*r.D) + "'" : null) + ", ";
    s += (r.T ? "'" + TimeText(*r.T) + "'" : null) + ", ";
    s += (r.TSDate ? "'" + DateText(*r.TSDate) + " " + TimeText(*r.TSTime) + "'" : null) + ", ";
    s += r.B ? (fb ? (*r.B ? "TRUE" : "FALSE") : (*r.B ? "1" : "0")) : null;
    s += ");\n";
  }
  return s;
}

// ---- Criteria -----------------------------------------------------------------------------

const char* OpDisplay(TOp Op) {
  static const char* texts[] = {"=",       "<>",          ">",          "<",       ">=",
                                "<=",      "is Null",     "is not Null", "Start with", "Contains"};
  return texts[static_cast<int>(Op)];
}

namespace {

bool OptionalOffered(TKind K) { return K == TKind::String || K == TKind::Integer || K == TKind::Float; }

// A number as typed: mostly values of the rows or near them, in the spellings SQL takes.
std::string NumberValue(TRandom& R, const std::vector<TRow>& Rows, bool Integer, bool PlainOnly) {
  const TRow& row = Rows[R.Below(static_cast<int>(Rows.size()))];
  double v = Integer ? (row.I ? static_cast<double>(*row.I) : R.Below(101) - 50)
                     : (row.F ? *row.F : (R.Below(801) - 400) / 4.0);
  if (PlainOnly) {
    // The prefix and substring comparisons read the number as text: short digit runs.
    switch (R.Below(4)) {
      case 0: return std::to_string(1 + R.Below(9));
      case 1: return std::to_string(R.Below(100) + 1);
      case 2: return "-" + std::to_string(1 + R.Below(9));
      default: return Integer ? std::to_string(static_cast<long long>(std::fabs(v)) + 1) : "0." + std::to_string(R.Below(9) + 1);
    }
  }
  switch (R.Below(20)) {
    case 0: return "";
    case 1: return std::vector<std::string>{"abc", "1,5", "1e", "--1", "1 ", "0x10", "1.2.3", "e5", "."}[R.Below(9)];
    case 2: return std::to_string(static_cast<long long>(v)) + "e0";
    case 3: return "+" + std::to_string(static_cast<long long>(std::fabs(v)));
    case 4: return "2.5E1";
    case 5: return ".5";
    case 6: return std::to_string(static_cast<long long>(v)) + ".";
    default: {
      char b[40];
      if (Integer || v == std::floor(v)) std::snprintf(b, sizeof b, "%lld", static_cast<long long>(v));
      else std::snprintf(b, sizeof b, "%g", v);
      return b;
    }
  }
}

std::string DateDigits(const TDate& D, const std::string& Pattern) {
  const std::string y = std::to_string(D.Year);
  return Pattern == "dd/mm/yyyy" ? Two(D.Day) + Two(D.Month) + y : Two(D.Month) + Two(D.Day) + y;
}

std::string DateValue(TRandom& R, const std::vector<TRow>& Rows, bool Stamp, const std::string& Pattern) {
  const TRow& row = Rows[R.Below(static_cast<int>(Rows.size()))];
  const std::optional<TDate>& d = Stamp ? row.TSDate : row.D;
  switch (R.Below(40)) {
    case 0: return "";
    case 1: return DateDigits({2000, 2, 30}, Pattern);
    case 2: return DateDigits({1999, 13, 1}, Pattern);
    case 3: return DateDigits({2001, 2, 29}, Pattern);
    case 4: return DateDigits({2000, 2, 29}, Pattern);
    case 5: return DateDigits({2003, 0, 10}, Pattern);
    case 6: return DateDigits({2002, 4, 0}, Pattern);
    default: return DateDigits(d ? *d : RandomDate(R), Pattern);
  }
}

std::string TextValue(TRandom& R, const std::vector<TRow>& Rows, TOp Op) {
  const TRow& row = Rows[R.Below(static_cast<int>(Rows.size()))];
  std::string base = row.S ? *row.S : RandomText(R, 6);
  switch (R.Below(6)) {
    case 0: base = RandomText(R, 4); break;
    case 1: base = MixCase(R, base); break;
    case 2: break;
    default:
      if (!base.empty() && (Op == TOp::Starting || Op == TOp::Containing || R.Chance(30))) {
        const int from = Op == TOp::Starting ? 0 : R.Below(static_cast<int>(base.size()));
        base = base.substr(from, 1 + R.Below(static_cast<int>(base.size()) - from));
      }
      if (R.Chance(40)) base = MixCase(R, base);
  }
  return base.substr(0, kTextWidth);
}

std::string TypedValue(TRandom& R, const std::vector<TRow>& Rows, const TColumn& Col, TOp Op,
                       const std::string& Pattern) {
  switch (Col.Kind) {
    case TKind::Integer:
    case TKind::Float:
      return NumberValue(R, Rows, Col.Kind == TKind::Integer, Op == TOp::Starting || Op == TOp::Containing);
    case TKind::String: return TextValue(R, Rows, Op);
    case TKind::Date: return DateValue(R, Rows, false, Pattern);
    case TKind::DateTime: return DateValue(R, Rows, true, Pattern);
    case TKind::Time: {
      if (R.Chance(8)) return std::vector<std::string>{"", "2400", "1260", "9999", "12"}[R.Below(5)];
      const TRow& row = Rows[R.Below(static_cast<int>(Rows.size()))];
      const TTime t = row.T && R.Chance(70) ? *row.T : RandomTime(R);
      return Two(t.Hour) + Two(t.Minute);
    }
    case TKind::Boolean:
      return std::vector<std::string>{"true", "TRUE", "False", "false", "FALSE", "True", "tRUE", "fAlSe", "yes", "1", ""}[R.Below(11)];
  }
  return "";
}

// Parenthesis texts: mostly balanced groups, now and then a stray one.
void Parenthesize(TRandom& R, std::vector<TLine>& Lines) {
  const int n = static_cast<int>(Lines.size());
  if (n >= 2 && R.Chance(60)) {
    const int groups = 1 + R.Below(2);
    for (int g = 0; g < groups; ++g) {
      const int first = R.Below(n);
      const int last = first + R.Below(n - first);
      Lines[first].Open += "(";
      Lines[last].Close += ")";
    }
  }
  if (R.Chance(4)) Lines[R.Below(n)].Open += "(";
  if (R.Chance(4)) Lines[R.Below(n)].Close += ")";
}

}  // namespace

TCriteria MakeCriteria(TRandom& R, const std::vector<TRow>& Rows, const TGenerateOptions& Options) {
  TCriteria c;
  c.CaseSensitive = R.Chance(50);
  c.DatePattern = R.Chance(50) ? "mm/dd/yyyy" : "dd/mm/yyyy";
  const std::vector<int> offered = OfferedColumns(Options.Engine);
  const int count = 1 + R.Below(4);
  for (int n = 0; n < count; ++n) {
    TLine line;
    line.Column = offered[R.Below(static_cast<int>(offered.size()))];
    const TColumn& col = Columns()[line.Column];
    const bool optional = Options.SpecialOperators && OptionalOffered(col.Kind);
    line.Op = static_cast<TOp>(R.Below(optional ? 10 : 8));
    // The null tests less often: they take no value.
    if ((*line.Op == TOp::IsNull || *line.Op == TOp::NotNull) && R.Chance(50)) line.Op = TOp::Eq;
    if (*line.Op != TOp::IsNull && *line.Op != TOp::NotNull)
      line.Typed = TypedValue(R, Rows, col, *line.Op, c.DatePattern);
    line.Connector = n + 1 < count ? 1 + R.Below(2) : 0;
    c.Lines.push_back(line);
  }
  // Now and then a line the dialog must refuse for a missing choice.
  if (R.Chance(3)) c.Lines[R.Below(count)].Op.reset();
  if (R.Chance(2)) {
    // A line without a field offers the comparisons of the first line's list as it was
    // when the line opened: the optional ones may be gone.
    TLine& line = c.Lines[R.Below(count)];
    line.Column = -1;
    if (line.Op && (*line.Op == TOp::Starting || *line.Op == TOp::Containing)) line.Op = TOp::Eq;
  }
  Parenthesize(R, c.Lines);
  return c;
}

std::string Describe(const TCriteria& C) {
  std::string s = std::string(C.CaseSensitive ? "case-sensitive" : "case-insensitive") + ", dates " + C.DatePattern;
  for (size_t n = 0; n < C.Lines.size(); ++n) {
    const TLine& l = C.Lines[n];
    s += "\n    " + std::to_string(n + 1) + ": [" + l.Open + "] " + (l.Column < 0 ? "(no field)" : Columns()[l.Column].Name) +
         " " + (l.Op ? OpDisplay(*l.Op) : "(no comparison)") + " \"" + l.Typed + "\" [" + l.Close + "]" +
         (l.Connector == 1 ? " AND" : l.Connector == 2 ? " OR" : "");
  }
  return s;
}

}  // namespace oracle
