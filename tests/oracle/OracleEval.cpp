// The evaluation of criteria lines over the in-memory rows: which lines the dialog must
// refuse, and otherwise the rows the condition selects, by SQL's three-valued logic and
// by the meaning each comparison has on each engine.
#include <cctype>
#include <cstdio>
#include <cstdlib>

#include "tests/oracle/OracleModel.h"

namespace oracle {
namespace {

enum class TV { False, Unknown, True };

TV And(TV A, TV B) {
  if (A == TV::False || B == TV::False) return TV::False;
  if (A == TV::Unknown || B == TV::Unknown) return TV::Unknown;
  return TV::True;
}
TV Or(TV A, TV B) {
  if (A == TV::True || B == TV::True) return TV::True;
  if (A == TV::Unknown || B == TV::Unknown) return TV::Unknown;
  return TV::False;
}
TV Of(bool B) { return B ? TV::True : TV::False; }

int Sign(int C) { return (C > 0) - (C < 0); }

TV Compare(TOp Op, int C) {
  switch (Op) {
    case TOp::Eq: return Of(C == 0);
    case TOp::Ne: return Of(C != 0);
    case TOp::Gt: return Of(C > 0);
    case TOp::Lt: return Of(C < 0);
    case TOp::Ge: return Of(C >= 0);
    case TOp::Le: return Of(C <= 0);
    default: std::abort();
  }
}

// ---- Values as the dialog takes them --------------------------------------------------------

// Optional sign, digits with an optional fraction (or a fraction alone), optional exponent.
bool IsNumber(const std::string& S) {
  size_t i = 0, digits = 0;
  if (i < S.size() && (S[i] == '+' || S[i] == '-')) ++i;
  while (i < S.size() && std::isdigit(static_cast<unsigned char>(S[i]))) ++i, ++digits;
  if (i < S.size() && S[i] == '.') {
    ++i;
    while (i < S.size() && std::isdigit(static_cast<unsigned char>(S[i]))) ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < S.size() && (S[i] == 'e' || S[i] == 'E')) {
    ++i;
    if (i < S.size() && (S[i] == '+' || S[i] == '-')) ++i;
    size_t exp = 0;
    while (i < S.size() && std::isdigit(static_cast<unsigned char>(S[i]))) ++i, ++exp;
    if (exp == 0) return false;
  }
  return i == S.size();
}

bool DigitsOnly(const std::string& S, size_t N) {
  if (S.size() != N) return false;
  for (char c : S)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// The date typed as eight digits in the edit pattern, when it is a calendar date.
std::optional<TDate> TypedDate(const std::string& Typed, const std::string& Pattern) {
  if (!DigitsOnly(Typed, 8)) return std::nullopt;
  const int a = std::stoi(Typed.substr(0, 2)), b = std::stoi(Typed.substr(2, 2));
  TDate d{std::stoi(Typed.substr(4)), Pattern == "dd/mm/yyyy" ? b : a, Pattern == "dd/mm/yyyy" ? a : b};
  if (d.Month < 1 || d.Month > 12 || d.Day < 1) return std::nullopt;
  static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (d.Year % 4 == 0 && d.Year % 100 != 0) || d.Year % 400 == 0;
  if (d.Day > days[d.Month - 1] + (d.Month == 2 && leap ? 1 : 0)) return std::nullopt;
  return d;
}


// The time typed as four digits, hours and minutes, when it is a time of day.
std::optional<TTime> TypedTime(const std::string& Typed) {
  if (!DigitsOnly(Typed, 4)) return std::nullopt;
  const TTime t{std::stoi(Typed.substr(0, 2)), std::stoi(Typed.substr(2, 2)), 0};
  if (t.Hour > 23 || t.Minute > 59) return std::nullopt;
  return t;
}

// ---- Text comparison on each engine ----------------------------------------------------------

// Firebird: trailing blanks do not count, then byte order (the WIN1252 collation).
int CompareFirebird(std::string A, std::string B) {
  while (!A.empty() && A.back() == ' ') A.pop_back();
  while (!B.empty() && B.back() == ' ') B.pop_back();
  for (size_t i = 0; i < A.size() && i < B.size(); ++i)
    if (A[i] != B[i]) return static_cast<unsigned char>(A[i]) < static_cast<unsigned char>(B[i]) ? -1 : 1;
  return Sign(static_cast<int>(A.size()) - static_cast<int>(B.size()));
}

// SQLite: the text is UTF-8, compared byte by byte, that is by code point.
int CompareSqlite(const std::string& A, const std::string& B) {
  for (size_t i = 0; i < A.size() && i < B.size(); ++i) {
    const uint32_t a = CodePoint1252(static_cast<unsigned char>(A[i]));
    const uint32_t b = CodePoint1252(static_cast<unsigned char>(B[i]));
    if (a != b) return a < b ? -1 : 1;
  }
  return Sign(static_cast<int>(A.size()) - static_cast<int>(B.size()));
}

int CompareText(TEngine E, const std::string& A, const std::string& B) {
  return E == TEngine::Firebird ? CompareFirebird(A, B) : CompareSqlite(A, B);
}

bool StartsWith(const std::string& S, const std::string& Prefix) { return S.compare(0, Prefix.size(), Prefix) == 0; }

// A number as the engine writes it when a text comparison reads it.
std::string NumberText(TEngine E, double V, bool Integer) {
  char b[64];
  if (Integer) std::snprintf(b, sizeof b, "%lld", static_cast<long long>(V));
  else if (E == TEngine::Firebird) std::snprintf(b, sizeof b, "%#.16g", V);
  else {
    std::snprintf(b, sizeof b, "%.15g", V);
    std::string s = b;
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
  }
  return b;
}

TV TextMatch(TOp Op, const std::string& Value, const std::string& Literal) {
  if (Op == TOp::Starting) return Of(StartsWith(Value, Literal));
  // The substring match ignores letter case on every engine.
  return Of(Upper1252(Value).find(Upper1252(Literal)) != std::string::npos);
}

struct TContext {
  TEngine Engine;
  bool CaseSensitive;
  std::string DatePattern;
};

// One line's comparison on one row. The value was checked already.
TV Atom(const TContext& C, const TLine& L, const TRow& Row) {
  const TKind kind = Columns()[L.Column].Kind;
  const TOp op = *L.Op;
  bool isNull = false;
  switch (kind) {
    case TKind::Integer: isNull = !Row.I; break;
    case TKind::Float: isNull = !Row.F; break;
    case TKind::String: isNull = !Row.S; break;
    case TKind::Date: isNull = !Row.D; break;
    case TKind::Time: isNull = !Row.T; break;
    case TKind::DateTime: isNull = !Row.TSDate; break;
    case TKind::Boolean: isNull = !Row.B; break;
  }
  if (op == TOp::IsNull) return Of(isNull);
  if (op == TOp::NotNull) return Of(!isNull);
  if (isNull) return TV::Unknown;

  switch (kind) {
    case TKind::String: {
      const std::string value = C.CaseSensitive ? *Row.S : Upper1252(*Row.S);
      const std::string literal = C.CaseSensitive ? L.Typed : Upper1252(L.Typed);
      if (op == TOp::Starting || op == TOp::Containing) return TextMatch(op, value, literal);
      return Compare(op, CompareText(C.Engine, value, literal));
    }
    case TKind::Integer:
    case TKind::Float: {
      const bool integer = kind == TKind::Integer;
      const double value = integer ? static_cast<double>(*Row.I) : *Row.F;
      if (op == TOp::Starting || op == TOp::Containing)
        return TextMatch(op, NumberText(C.Engine, value, integer), L.Typed);
      const double literal = std::strtod(L.Typed.c_str(), nullptr);
      return Compare(op, value < literal ? -1 : value > literal ? 1 : 0);
    }
    case TKind::Date:
    case TKind::DateTime: {
      // A date, and a date against a timestamp as its midnight, on every engine.
      const TDate literal = *TypedDate(L.Typed, C.DatePattern);
      const TDate date = kind == TKind::Date ? *Row.D : *Row.TSDate;
      if (date != literal) return Compare(op, date < literal ? -1 : 1);
      return Compare(op, kind == TKind::Date || *Row.TSTime == TTime{} ? 0 : 1);
    }
    case TKind::Time: {
      // Hours and minutes typed: the time at the full minute.
      const TTime literal = *TypedTime(L.Typed);
      return Compare(op, *Row.T < literal ? -1 : *Row.T > literal ? 1 : 0);
    }
    case TKind::Boolean: {
      const bool literal = Upper1252(L.Typed) == "TRUE";
      return Compare(op, static_cast<int>(*Row.B) - static_cast<int>(literal));
    }
  }
  return TV::Unknown;
}

// The condition's tokens: parentheses, line atoms, AND, OR.
struct TToken {
  enum TKindT { Open, Close, Atom, AndOp, OrOp } Kind;
  int Line = -1;
};

class TParser {
 public:
  TParser(const std::vector<TToken>& Tokens, const std::vector<TV>& Atoms) : FTokens(Tokens), FAtoms(Atoms) {}
  TV Run() {
    const TV v = Expr();
    if (FPos != FTokens.size()) std::abort();  // balanced lines always parse whole
    return v;
  }

 private:
  // OR of AND-terms: AND binds tighter.
  TV Expr() {
    TV v = Term();
    while (FPos < FTokens.size() && FTokens[FPos].Kind == TToken::OrOp) {
      ++FPos;
      v = Or(v, Term());
    }
    return v;
  }
  TV Term() {
    TV v = Factor();
    while (FPos < FTokens.size() && FTokens[FPos].Kind == TToken::AndOp) {
      ++FPos;
      v = And(v, Factor());
    }
    return v;
  }
  TV Factor() {
    const TToken& t = FTokens.at(FPos++);
    if (t.Kind == TToken::Atom) return FAtoms[t.Line];
    if (t.Kind != TToken::Open) std::abort();
    const TV v = Expr();
    if (FTokens.at(FPos++).Kind != TToken::Close) std::abort();
    return v;
  }
  const std::vector<TToken>& FTokens;
  const std::vector<TV>& FAtoms;
  size_t FPos = 0;
};

int CountOf(const std::string& S, char C) {
  int n = 0;
  for (char c : S) n += c == C;
  return n;
}

// The reason the dialog refuses the lines, or the empty text when it takes them.
std::string Refusal(const TCriteria& C) {
  int balance = 0;
  for (size_t i = 0; i < C.Lines.size(); ++i) {
    const TLine& l = C.Lines[i];
    const std::string n = std::to_string(i + 1);
    if (!l.Op) return "Invalid Comparision value at line " + n;
    balance += CountOf(l.Open, '(');
    if (l.Column < 0) return "Invalid field value at line " + n;
    if (*l.Op != TOp::IsNull && *l.Op != TOp::NotNull) {
      const TKind kind = Columns()[l.Column].Kind;
      const bool bad = ((kind == TKind::Integer || kind == TKind::Float) && !IsNumber(l.Typed)) ||
                       ((kind == TKind::Date || kind == TKind::DateTime) && !TypedDate(l.Typed, C.DatePattern)) ||
                       (kind == TKind::Time && !TypedTime(l.Typed)) ||
                       (kind == TKind::Boolean && Upper1252(l.Typed) != "TRUE" && Upper1252(l.Typed) != "FALSE");
      if (bad) return "Problem at line " + n;
    }
    balance -= CountOf(l.Close, ')');
    if (balance < 0) return "Unclosed brackets, line " + n;
  }
  if (balance != 0) return "Unclosed brackets, line " + std::to_string(C.Lines.size());
  return "";
}

}  // namespace

TExpectation Evaluate(TEngine Engine, const TCriteria& Criteria, const std::vector<TRow>& Rows) {
  TExpectation result;
  const std::vector<TLine>& lines = Criteria.Lines;
  // A single untouched line is no filter at all: every row.
  if (lines.size() == 1 && lines[0].Column < 0 && lines[0].Typed.empty() && lines[0].Connector == 0) {
    for (const TRow& r : Rows) result.Selected.insert(r.Id);
    return result;
  }
  result.Reason = Refusal(Criteria);
  if (!result.Reason.empty()) {
    result.Refused = true;
    return result;
  }
  std::vector<TToken> tokens;
  for (size_t i = 0; i < lines.size(); ++i) {
    for (int k = CountOf(lines[i].Open, '('); k > 0; --k) tokens.push_back({TToken::Open});
    tokens.push_back({TToken::Atom, static_cast<int>(i)});
    for (int k = CountOf(lines[i].Close, ')'); k > 0; --k) tokens.push_back({TToken::Close});
    if (i + 1 < lines.size()) tokens.push_back({lines[i].Connector == 1 ? TToken::AndOp : TToken::OrOp});
  }
  const TContext context{Engine, Criteria.CaseSensitive, Criteria.DatePattern};
  for (const TRow& row : Rows) {
    std::vector<TV> atoms;
    for (const TLine& l : lines) atoms.push_back(Atom(context, l, row));
    if (TParser(tokens, atoms).Run() == TV::True) result.Selected.insert(row.Id);
  }
  return result;
}

}  // namespace oracle
