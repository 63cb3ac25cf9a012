// Unit Parse: statement rewriting, criteria text helpers, wildcard matching, date and
// time text helpers, and text and binary utilities.
#include <algorithm>
#include <cstring>
#include <unordered_set>

#include "sqltext/Parse.h"

#include "host/rtl/SysUtils.h"

namespace Parse {

using SysUtils::AnsiLowerCase;
using SysUtils::Trim;

// ---- Statement rewriting -------------------------------------------------------------

void MakeCountSQL(const std::string& SQL, std::string& Result) {
  Result = SQL;
  SetSQLSelect(Result, "SELECT COUNT( * )");
  SetSQLPlan(Result, "");
  SetSQLOrder(Result, "");
  SetSQLForUpdate(Result, "");
  size_t e = Result.size();
  while (e > 0 && static_cast<unsigned char>(Result[e - 1]) <= 32) --e;
  Result.erase(e);
  size_t b = 0;
  while (b < Result.size() && static_cast<unsigned char>(Result[b]) <= 32) ++b;
  Result.erase(0, b);
}

static bool HasOr(const std::string& Condition) {
  return SysUtils::UpperCase(Condition).find(" OR ") != std::string::npos;
}

void AddWhereClause(std::string& Where, const std::string& Condition) {
  std::string n = Trim(Condition);
  Where = Trim(Where);
  if (n.empty()) return;
  if (Where.empty()) {
    Where = "WHERE " + n;
  } else if (HasOr(n)) {
    // The existing condition is parenthesised so the new OR cannot reach into it.
    Where = " WHERE (\r\n      " + Where.substr(std::min<size_t>(6, Where.size())) + " )" +
            "\r\n  AND " + n;
  } else {
    Where = Where + "\r\n  AND " + n;
  }
}

void AddWhereClauseHigh(std::string& Where, const std::string& Condition) {
  std::string n = Trim(Condition);
  Where = Trim(Where);
  if (n.empty()) return;
  if (Where.empty()) {
    Where = "WHERE " + n;
    return;
  }
  std::string rest = Trim(Where.substr(std::min<size_t>(6, Where.size())));
  if (HasOr(n)) Where = "WHERE ( " + n + " ) " + "\r\n  AND " + " ( " + rest + " )";
  else Where = "WHERE " + n + "\r\n  AND " + rest;
}

void MakeClientSQL(const std::string& SQL, std::string& Result, char ParamChar) {
  Result.clear();
  if (SQL.empty()) return;
  Result.reserve(SQL.size());
  const int len = static_cast<int>(SQL.size());
  ScanState st;
  bool inParamName = false;
  int p = 0;
  do {
    ++p;
    if (p > len) break;
    AdvanceScanState(SQL, p, st);
    const char c = SQL[p - 1];
    if (inParamName) {
      if (CharIsDelimiter(c)) {
        // The delimiter that ends the name goes, with the three characters after it.
        inParamName = false;
        p += 3;
      } else {
        Result += c;
      }
    } else if (st.inSingleQuote || st.inDoubleQuote) {
      Result += c;
    } else if (st.inLineComment) {
      if (st.skipNext) ++p;  // past the second slash of "//"
    } else if (st.inBlockComment || st.skipNext) {
      // Inside a block comment, or at the "*" of the "*/" that closes one.
      Result += c;
      if (st.skipNext && p < len) {
        Result += SQL[p];
        ++p;
      }
    } else if (c == '?') {
      Result += ParamChar;
      p += 4;
      inParamName = true;
    } else {
      Result += c;
    }
  } while (p < len);
}

void GetMergeFields(const std::string& Text, Classes::TStrings* List) {
  if (List == nullptr) return;
  List->Clear();
  if (Text.empty()) return;
  std::string name;
  bool inField = false;
  // The names added so far, as TStrings::IndexOf compares them (without regard to
  // case by the code page): one lookup per field instead of a scan of the list.
  std::unordered_set<std::string> seen;
  auto endField = [&] {
    if (!name.empty() && seen.insert(SysUtils::AnsiUpperCase(name)).second) List->Add(name);
    name.clear();
    inField = false;
  };
  const size_t len = Text.size();
  // Pairs (i, i + 1), 0-based; the last character is only read as the second of a pair.
  size_t i = 0;
  while (i + 1 < len) {
    if (!inField) {
      if (Text[i] == '<' && Text[i + 1] == '<') {
        inField = true;
        i += 2;
      } else {
        ++i;
      }
    } else if (Text[i] == '>' && Text[i + 1] == '>') {
      endField();
      i += 2;
    } else {
      name += Text[i];
      ++i;
    }
  }
  if (inField) endField();
}

// ---- Criteria text helpers -------------------------------------------------------------

bool is_literal_criteria(const std::string& Text) {
  std::string t = Trim(Text);
  return t.size() >= 2 && ((t.front() == '\'' && t.back() == '\'') ||
                           (t.front() == '"' && t.back() == '"'));
}

std::string convert_literals(const std::string& Text) {
  std::string r;
  r.reserve(Text.size() + 2);
  for (char c : Text) {
    r += c;
    if (c == '\'') r += '\'';
  }
  return r;
}

std::string make_literal_criteria(const std::string& Text) {
  if (is_literal_criteria(Text)) return Text;
  return "'" + convert_literals(Text) + "'";
}

std::string strip_literal_criteria(const std::string& Text) {
  if (!is_literal_criteria(Text)) return Text;
  std::string t = Trim(Text);
  std::string inner = t.substr(1, t.size() - 2);
  std::string r;
  r.reserve(inner.size());
  for (size_t i = 0; i < inner.size(); ++i) {
    r += inner[i];
    if (inner[i] == '\'' && i + 1 < inner.size() && inner[i + 1] == '\'') ++i;
  }
  return r;
}

static bool ContainsUnescaped(const std::string& Text, char EscapeChar, const char* set) {
  size_t i = 0;
  while (i < Text.size()) {
    if (Text[i] == EscapeChar) {
      i += 2;
    } else if (std::strchr(set, Text[i]) != nullptr && Text[i] != '\0') {
      return true;
    } else {
      ++i;
    }
  }
  return false;
}

bool contains_wildcards(const std::string& Text, char EscapeChar) {
  return ContainsUnescaped(Text, EscapeChar, "%_*?");
}

bool contains_sqlwildcards(const std::string& Text, char EscapeChar) {
  return ContainsUnescaped(Text, EscapeChar, "%_");
}

std::string convert_wildcards_tosql(const std::string& Text, char EscapeChar) {
  std::string r;
  r.reserve(Text.size());
  const size_t len = Text.size();
  for (size_t i = 0; i < len; ++i) {
    char c = Text[i];
    if (c == EscapeChar && i + 1 < len) {
      char next = Text[++i];
      // SQL needs the escape before its own wildcards and before itself.
      if (next == '%' || next == '_' || next == EscapeChar) r += EscapeChar;
      r += next;
    } else if (c == '*') {
      r += '%';
    } else if (c == '?') {
      r += '_';
    } else {
      r += c;
    }
  }
  return r;
}

std::string strip_escapechar(const std::string& Text, char EscapeChar) {
  std::string r;
  r.reserve(Text.size());
  const size_t len = Text.size();
  for (size_t i = 0; i < len; ++i) {
    if (Text[i] == EscapeChar && i + 1 < len) ++i;
    r += Text[i];
  }
  return r;
}

static bool StartsLower(const std::string& Text, const char* prefix) {
  size_t n = std::strlen(prefix);
  return Text.size() >= n && AnsiLowerCase(Text.substr(0, n)) == prefix;
}

bool beginswith_sqllike(const std::string& Text) {
  return StartsLower(Text, "like ") || StartsLower(Text, "not like ");
}

bool beginswith_sqlsearch(const std::string& Text) {
  if (Text.empty()) return false;
  static const char* const kB[] = {"between ", nullptr};
  static const char* const kC[] = {"containing ", nullptr};
  static const char* const kI[] = {"in(", "is null", "is not null", nullptr};
  static const char* const kL[] = {"like ", nullptr};
  static const char* const kN[] = {"not like ", "not starting ", "not containing ",
                                   "not in(", "not between ", nullptr};
  static const char* const kS[] = {"starting ", nullptr};
  const char* const* prefixes = nullptr;
  switch (Text[0]) {
    case 'B': case 'b': prefixes = kB; break;
    case 'C': case 'c': prefixes = kC; break;
    case 'I': case 'i': prefixes = kI; break;
    case 'L': case 'l': prefixes = kL; break;
    case 'N': case 'n': prefixes = kN; break;
    case 'S': case 's': prefixes = kS; break;
    default: return false;
  }
  for (; *prefixes != nullptr; ++prefixes)
    if (StartsLower(Text, *prefixes)) return true;
  return false;
}

bool contains_relational_ops(const std::string& Text) {
  return Text.find_first_of("!<>=") != std::string::npos;
}

int rel_op_pos(const std::string& Text) {
  for (char op : {'!', '<', '>', '='}) {
    size_t at = Text.find(op);
    if (at != std::string::npos) return static_cast<int>(at) + 1;
  }
  return 0;
}

// ---- Wildcard pattern matching -----------------------------------------------------------

namespace {

enum : int { kMatch = 1, kPatternEnded = 2, kTextEnded = 3, kSetMismatch = 4,
             kLiteralMismatch = 5, kMalformed = 6 };

// Matches the set that begins at p[i] == '[' against c. On success i is past the "]"
// and the result is 0; otherwise the result is kSetMismatch or kMalformed.
int MatchSet(const std::string& p, size_t& i, char c) {
  const size_t plen = p.size();
  ++i;
  bool negated = false;
  if (i < plen && (p[i] == '!' || p[i] == '^')) {
    negated = true;
    ++i;
  }
  if (i >= plen) return kMalformed;
  if (p[i] == ']') return kMalformed;  // empty set
  bool member = false;
  const unsigned char uc = static_cast<unsigned char>(c);
  while (!member) {
    if (i >= plen) return kMalformed;
    if (p[i] == ']') break;
    unsigned char lo = static_cast<unsigned char>(p[i]);
    unsigned char hi = lo;
    ++i;
    if (i >= plen) return kMalformed;
    if (p[i] == '-') {
      ++i;
      if (i >= plen || p[i] == ']') return kMalformed;
      hi = static_cast<unsigned char>(p[i]);
      ++i;
      if (i >= plen) return kMalformed;
    }
    if (lo > hi) std::swap(lo, hi);
    member = uc >= lo && uc <= hi;
  }
  if (member == negated) return kSetMismatch;
  if (member) {
    while (i < plen && p[i] != ']') ++i;
    if (i >= plen) return kMalformed;
  }
  ++i;  // past "]"
  return 0;
}

// The matcher over lower-cased text. It walks pattern and text from (i, j); at a "*"
// it remembers where the rest of the pattern starts and the next text position to try,
// so a failed attempt resumes at the following candidate instead of recursing. Only
// the last star is remembered: once the walk has passed a later star, no other choice
// for an earlier one can help, which keeps the time within pattern × text. Every failed
// attempt, a malformed set included, gives way to the next candidate; when none is left
// the code of the last attempt stands.
int MatchLowered(const std::string& p, const std::string& t, size_t i, size_t j) {
  const size_t plen = p.size(), tlen = t.size();
  bool haveStar = false;
  size_t restAt = 0;     // pattern index after the star's run of wildcards
  size_t nextFrom = 0;   // text index from which the next candidate is looked for

  // Looks for the next candidate for the remembered star: a text position whose
  // character equals the pattern's next character (any position before a set).
  auto nextCandidate = [&](size_t& jj) -> bool {
    if (nextFrom >= tlen) return false;
    size_t k = nextFrom;
    if (p[restAt] != '[') {
      const void* hit = std::memchr(t.data() + k, p[restAt], tlen - k);
      if (hit == nullptr) return false;
      k = static_cast<size_t>(static_cast<const char*>(hit) - t.data());
    }
    jj = k;
    nextFrom = k + 1;
    return true;
  };

  for (;;) {
    int code = 0;
    if (i >= plen) {
      if (j >= tlen) return kMatch;
      code = kPatternEnded;
    } else if (j >= tlen) {
      if (p[i] == '*' && i + 1 == plen) return kMatch;
      code = kTextEnded;
    } else if (p[i] == '*') {
      // The run of wildcards after the star: "?" takes one character each.
      while (i < plen && (p[i] == '*' || p[i] == '?')) {
        if (p[i] == '?' && j < tlen) ++j;
        ++i;
      }
      if (j >= tlen) return kTextEnded;
      if (i >= plen) return kMatch;
      haveStar = true;
      restAt = i;
      nextFrom = j;
      if (!nextCandidate(j)) return kTextEnded;
      continue;
    } else if (p[i] == '[') {
      code = MatchSet(p, i, t[j]);
      if (code == 0) {
        ++j;
        continue;
      }
    } else if (p[i] == '?') {
      ++i;
      ++j;
      continue;
    } else if (p[i] != t[j]) {
      code = kLiteralMismatch;
    } else {
      ++i;
      ++j;
      continue;
    }
    // This attempt failed with code: try the star's next candidate, if any.
    if (!haveStar) return code;
    if (!nextCandidate(j)) return code;
    i = restAt;
  }
}

}  // namespace

int matche(const std::string& Pattern, const std::string& Text) {
  return MatchLowered(AnsiLowerCase(Pattern), AnsiLowerCase(Text), 0, 0);
}

int match_after_star(const std::string& Pattern, const std::string& Text) {
  // The run of wildcards that opens the pattern leaves no text to match: matche never
  // gets here with an empty text, since it accepts a final star itself.
  if (!Pattern.empty() && Pattern[0] == '*' && Text.empty()) return kTextEnded;
  return MatchLowered(AnsiLowerCase(Pattern), AnsiLowerCase(Text), 0, 0);
}

bool IsMatch(const std::string& Pattern, const std::string& Text) {
  return matche(Pattern, Text) == kMatch;
}

// ---- Date and time text helpers ---------------------------------------------------------

std::string get_00AM() {
  return SysUtils::FormatDateTime(SysUtils::FormatSettings().LongTimeFormat,
                                  SysUtils::EncodeTime(0, 0, 0, 0));
}

std::string get_12PM() {
  return SysUtils::FormatDateTime(SysUtils::FormatSettings().LongTimeFormat,
                                  SysUtils::EncodeTime(23, 59, 59, 999));
}

int get_DateLength(const std::string& Text) {
  const std::string s(1, SysUtils::FormatSettings().DateSeparator);
  const std::string d = "[0-9]", dd = "[0-9][0-9]";
  const std::string y2 = "[0-9][0-9]*", y4 = "[0-9][0-9][0-9][0-9]*";
  const std::string monA = "[a-Z][a-Z][a-Z]", monB = "[A-z][A-z][A-z]";
  const struct {
    std::string layout;
    int length;
  } layouts[] = {
      {dd + s + dd + s + y4, 10},   {dd + s + dd + s + y2, 8},    {dd + s + d + s + y4, 9},
      {dd + s + d + s + y2, 7},     {d + s + dd + s + y4, 9},     {d + s + dd + s + y2, 7},
      {d + s + d + s + y4, 8},      {d + s + d + s + y2, 6},      {dd + s + monA + s + y4, 11},
      {d + s + monB + s + y4, 10},  {dd + s + monB + s + y2, 9},  {d + s + monB + s + y2, 8},
  };
  for (const auto& l : layouts)
    if (IsMatch(l.layout, Text)) return l.length;
  return 0;
}

bool get_HasTime(const std::string& Text) {
  std::string rest = Text;
  if (int n = get_DateLength(Text); n > 0) {
    size_t at = static_cast<size_t>(n);
    while (at < Text.size() && static_cast<unsigned char>(Text[at]) <= 32) ++at;
    rest = Text.substr(std::min(at, Text.size()));
  }
  rest = rest.substr(0, 255);
  const std::string t(1, SysUtils::FormatSettings().TimeSeparator);
  const std::string layouts[] = {
      "[0-9][0-9]" + t + "[0-9][0-9]*",
      "[0-9][0-9]" + t + "[0-9]*",
      "[0-9]" + t + "[0-9][0-9]*",
      "[0-9]" + t + "[0-9]*",
  };
  for (const std::string& l : layouts)
    if (IsMatch(l, rest)) return true;
  return false;
}

// ---- Text and binary utilities ------------------------------------------------------------

std::string PadRight(const std::string& Text, char PadChar, int Length, bool Truncate) {
  std::string r = Text;
  if (Truncate) r.resize(std::min(r.size(), static_cast<size_t>(std::max(Length, 0))));
  if (Length > 0 && r.size() < static_cast<size_t>(Length)) r.append(Length - r.size(), PadChar);
  return r;
}

void RTrim(std::string& Text) {
  size_t e = Text.size();
  while (e > 0 && static_cast<unsigned char>(Text[e - 1]) <= 32) --e;
  Text.resize(e);
}

std::string BinaryToHexText(const void* Buffer, int Size) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string r;
  if (Size <= 0) return r;
  r.resize(static_cast<size_t>(Size) * 2);
  const auto* b = static_cast<const unsigned char*>(Buffer);
  for (int k = 0; k < Size; ++k) {
    r[2 * k] = kDigits[b[k] >> 4];
    r[2 * k + 1] = kDigits[b[k] & 0x0F];
  }
  return r;
}

static unsigned char HexValue(char c) {
  if (c >= '0' && c <= '9') return static_cast<unsigned char>(c - '0');
  if (c >= 'A' && c <= 'F') return static_cast<unsigned char>(c - 'A' + 10);
  if (c >= 'a' && c <= 'f') return static_cast<unsigned char>(c - 'a' + 10);
  return 0;
}

void HexTextToBinary(const std::string& Text, void* Buffer, int Size) {
  if (Size <= 0) return;
  if (Text.size() < static_cast<size_t>(Size) * 2)
    throw EParseError("Invalid text in HexTextToBinary");
  auto* b = static_cast<unsigned char*>(Buffer);
  for (int k = 0; k < Size; ++k)
    b[k] = static_cast<unsigned char>(16 * HexValue(Text[2 * k]) + HexValue(Text[2 * k + 1]));
}

std::string SetCharValues(const std::string& Text) {
  std::string r;
  r.reserve(Text.size() + Text.size() / 8);
  for (char ch : Text) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (c < 27) {
      r += '\\';
      r += static_cast<char>(c + 65);
    } else if (c < 32) {
      // Backslash and code + 65 would give \\ \] \^ \_ \`, which read back as the
      // printable characters; the number escape restores these five exactly.
      r += "#0";
      r += static_cast<char>('0' + c / 10);
      r += static_cast<char>('0' + c % 10);
    } else if (c == '#' || c == ';' || c == '=' || c == '\\') {
      r += '\\';
      r += ch;
    } else if (c >= 128) {
      r += '#';
      r += static_cast<char>('0' + c / 100);
      r += static_cast<char>('0' + c / 10 % 10);
      r += static_cast<char>('0' + c % 10);
    } else {
      r += ch;
    }
  }
  return r;
}

std::string GetCharValues(const std::string& Text) {
  std::string r;
  r.reserve(Text.size());
  bool afterBackslash = false, inNumber = false;
  int value = 0, digits = 0;
  auto endNumber = [&] {
    // A "#" with no digits stands for the character of code 0.
    r += static_cast<char>(digits > 0 ? value % 256 : 0);
    inNumber = false;
  };
  for (char c : Text) {
    if (inNumber) {
      if (c >= '0' && c <= '9' && digits < 3) {
        value = value * 10 + (c - '0');
        ++digits;
        continue;
      }
      endNumber();
    }
    if (afterBackslash) {
      afterBackslash = false;
      if (c >= 'A' && c <= '[') r += static_cast<char>(c - 65);
      else r += c;
    } else if (c == '\\') {
      afterBackslash = true;
    } else if (c == '#') {
      inNumber = true;
      value = 0;
      digits = 0;
    } else {
      r += c;
    }
  }
  if (inNumber) endNumber();
  return r;
}

}  // namespace Parse
