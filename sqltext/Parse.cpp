// Unit Parse: the clause scanner and the clause accessors. The rewriting, criteria,
// matching, date and byte helpers are in ParseText.cpp.
#include "sqltext/Parse.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <string_view>

namespace Parse {

namespace {

// Word boundaries: codes 32 and below, "(" and ")".
inline bool IsBoundary(char c) {
  return static_cast<unsigned char>(c) <= 32 || c == '(' || c == ')';
}

inline char FoldLetter(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

inline bool Inside(const ScanState& s) {
  return s.inSingleQuote || s.inDoubleQuote || s.inLineComment || s.inBlockComment ||
         s.parenDepth != 0;
}

// The scan step over a view; P is 1-based and lies in the text.
inline void Step(std::string_view t, int P, ScanState& s) {
  s.skipNext = 0;
  const char c = t[P - 1];
  const char next = static_cast<size_t>(P) < t.size() ? t[P] : '\0';
  if (s.inLineComment) {
    if (c == '\n' || c == '\r') s.inLineComment = false;
  } else if (s.inBlockComment) {
    if (c == '*' && next == '/') {
      s.inBlockComment = false;
      s.skipNext = 1;
    }
  } else if (s.inSingleQuote) {
    if (c == '\'') s.inSingleQuote = false;
  } else if (s.inDoubleQuote) {
    if (c == '"') s.inDoubleQuote = false;
  } else {
    switch (c) {
      case '\'': s.inSingleQuote = true; break;
      case '"': s.inDoubleQuote = true; break;
      case '/':
        if (next == '/') {
          s.inLineComment = true;
          s.skipNext = 1;
        } else if (next == '*') {
          s.inBlockComment = true;
          s.skipNext = 1;
        }
        break;
      case '(': ++s.parenDepth; break;
      case ')': --s.parenDepth; break;
      case '[': ++s.bracketDepth; break;
      case ']': --s.bracketDepth; break;
      default: break;
    }
  }
}

// Classes of characters for the skipping searches; one bit each.
enum : unsigned char {
  kState = 1,      // can change the state outside quotes and comments: ' " / ( )
  kBound = 2,      // word boundary: codes 32 and below, ( )
  kLineEnd = 4,    // ends a line comment: CR, LF
  kKeyFirst = 8,   // can begin the keyword (set per scan)
  kStopFirst = 16  // can begin a stop word (set per scan)
};

struct ClassTable {
  unsigned char v[256] = {};
  ClassTable() {
    for (int c = 0; c <= 32; ++c) v[c] |= kBound;
    for (unsigned char c : std::string_view("'\"/()")) v[c] |= kState;
    v[static_cast<unsigned char>('(')] |= kBound;
    v[static_cast<unsigned char>(')')] |= kBound;
    v[static_cast<unsigned char>('\r')] |= kLineEnd;
    v[static_cast<unsigned char>('\n')] |= kLineEnd;
  }
};
const ClassTable kClasses;

// The first index in [I, End) whose character's class has any of Bits, else End. Eight
// characters are tested together, so the runs of ordinary text between the characters
// that matter cost a few instructions per character.
inline size_t FindClass(const unsigned char* t, size_t I, size_t End, const unsigned char* cls,
                        unsigned char Bits) {
  for (; I + 8 <= End; I += 8) {
    const unsigned a = cls[t[I]] | cls[t[I + 1]] | cls[t[I + 2]] | cls[t[I + 3]];
    const unsigned b = cls[t[I + 4]] | cls[t[I + 5]] | cls[t[I + 6]] | cls[t[I + 7]];
    if ((a | b) & Bits) break;
  }
  for (; I < End; ++I)
    if (cls[t[I]] & Bits) return I;
  return End;
}

inline const unsigned char* Bytes(std::string_view t) {
  return reinterpret_cast<const unsigned char*>(t.data());
}

constexpr size_t kNone = static_cast<size_t>(-1);

// The index of the first C among the N characters from index From, else kNone. Quoted
// strings and comments are mostly short: the first characters are looked at in place,
// since a call of memchr costs more than they do.
inline size_t FindByte(const unsigned char* d, size_t From, size_t N, unsigned char C) {
  const size_t inPlace = N < 16 ? N : 16;
  for (size_t k = 0; k < inPlace; ++k)
    if (d[From + k] == C) return From + k;
  if (N == inPlace) return kNone;
  const void* h = std::memchr(d + From + inPlace, C, N - inPlace);
  return h == nullptr ? kNone : static_cast<size_t>(static_cast<const unsigned char*>(h) - d);
}

// Inside a quote, a comment or parentheses at position P (1-based, its step applied and
// skipNext 0): moves to the next position up to Limit where the state leaves the quote or
// comment or returns to the top level, applies its step to State and returns it; Limit + 1
// when there is none (State is then of no further use). Positions in between would only
// be stepped over one at a time. Two shortcuts give the same state as those steps:
// - a parenthesis that leaves the depth non-zero only counts;
// - a doubled quote closes and at once reopens the string, and is passed over when the
//   closing quote cannot be a match either: below the top level, or when no word looked
//   for can begin with the quote (QuoteMayMatch false).
int SkipInside(std::string_view t, int P, int Limit, ScanState& s, bool QuoteMayMatch) {
  const unsigned char* d = Bytes(t);
  const size_t len = t.size();
  for (;;) {
    if (P >= Limit) return Limit + 1;
    const size_t from = static_cast<size_t>(P);  // index of position P + 1
    const size_t n = static_cast<size_t>(Limit - P);
    size_t hit;
    if (s.inSingleQuote || s.inDoubleQuote) {
      const char q = s.inSingleQuote ? '\'' : '"';
      hit = FindByte(d, from, n, static_cast<unsigned char>(q));
      if (hit == kNone) return Limit + 1;
      if (hit + 1 < len && d[hit + 1] == static_cast<unsigned char>(q) &&
          (s.parenDepth != 0 || !QuoteMayMatch)) {
        P = static_cast<int>(hit) + 2;  // the reopening quote
        continue;
      }
    } else if (s.inBlockComment) {
      hit = FindByte(d, from, n, '*');
      if (hit == kNone) return Limit + 1;
    } else if (s.inLineComment) {
      hit = FindClass(d, from, static_cast<size_t>(Limit), kClasses.v, kLineEnd);
      if (hit >= static_cast<size_t>(Limit)) return Limit + 1;
    } else {
      // Brackets change only the bracket depth, which no search consults.
      hit = FindClass(d, from, static_cast<size_t>(Limit), kClasses.v, kState);
      if (hit >= static_cast<size_t>(Limit)) return Limit + 1;
      const int delta = d[hit] == '(' ? 1 : d[hit] == ')' ? -1 : 0;
      if (delta != 0 && s.parenDepth + delta != 0) {
        s.parenDepth += delta;
        P = static_cast<int>(hit) + 1;
        continue;
      }
    }
    P = static_cast<int>(hit) + 1;
    Step(t, P, s);
    return P;
  }
}

// At the top level, after position P (1-based) has been examined without a match: the
// next position up to Limit whose character can change the state, or where a word of
// FirstBit's kind can begin (its first character fits and, unless BoundaryFree, the
// character before is a word boundary); Limit + 1 when there is none. The positions
// skipped would each be refused one at a time and leave the state as it is.
int NextAtTopLevel(std::string_view t, int P, int Limit, const unsigned char* cls,
                   unsigned char FirstBit, bool BoundaryFree) {
  const unsigned char* s = Bytes(t);
  size_t i = static_cast<size_t>(P);  // position P + 1
  const size_t end = static_cast<size_t>(std::max(Limit, P));
  for (;;) {
    i = FindClass(s, i, end, cls, kState | FirstBit);
    if (i >= end) return Limit + 1;
    if ((cls[s[i]] & kState) || BoundaryFree || (cls[s[i - 1]] & kBound))
      return static_cast<int>(i) + 1;
    ++i;
  }
}

// Word match of W at P: the letters equal without regard to case, and, unless
// BoundaryFree, a word boundary after the word when it ends before EndPos.
inline bool WordAt(std::string_view t, int EndPos, int P, std::string_view w,
                   bool BoundaryFree) {
  const int n = static_cast<int>(w.size());
  if (!BoundaryFree && P + n <= EndPos && !IsBoundary(t[P + n - 1])) return false;
  if (P - 1 + n > static_cast<int>(t.size())) return false;
  for (int k = 0; k < n; ++k)
    if (FoldLetter(t[P - 1 + k]) != FoldLetter(w[k])) return false;
  return true;
}

// Marks in Cls the characters that can begin W: both cases of a letter, else itself.
void MarkFirst(unsigned char* cls, std::string_view w, unsigned char bit) {
  const char c = w[0];
  cls[static_cast<unsigned char>(c)] |= bit;
  if (c >= 'a' && c <= 'z') cls[static_cast<unsigned char>(c - 32)] |= bit;
  if (c >= 'A' && c <= 'Z') cls[static_cast<unsigned char>(c + 32)] |= bit;
}

// Cls := the classes of one scan: the common ones, and which characters can begin the
// keyword or a stop word. Returns whether the stop words hold the empty word.
bool ScanClasses(unsigned char* cls, std::string_view keyword,
                 const std::vector<std::string>& stops, bool StopsAnywhere) {
  std::memcpy(cls, kClasses.v, sizeof kClasses.v);
  if (!keyword.empty()) MarkFirst(cls, keyword, kKeyFirst);
  bool hasEmptyStop = false;
  for (const std::string& w : stops) {
    if (!w.empty()) {
      MarkFirst(cls, w, kStopFirst);
      continue;
    }
    // The empty stop word matches between two word boundaries, or anywhere when stop
    // words need no boundary.
    hasEmptyStop = true;
    for (int c = 0; c < 256; ++c)
      if (StopsAnywhere || (cls[c] & kBound)) cls[c] |= kStopFirst;
  }
  return hasEmptyStop;
}

bool ParseView(std::string_view sql, std::string_view keyword,
               const std::vector<std::string>& stops, int& StartPos, int& EndPos,
               std::string& FoundStop, bool StopsAnywhere) {
  if (sql.empty()) return false;
  const int len = static_cast<int>(sql.size());
  if (EndPos == 0 || EndPos > len) EndPos = len;
  // A start before the text begins at its first character rather than reading before it.
  int p = StartPos > 0 ? StartPos : 1;
  bool found = keyword.empty();
  if (found) StartPos = p;

  unsigned char cls[256];
  const bool hasEmptyStop = ScanClasses(cls, keyword, stops, StopsAnywhere);

  ScanState st;
  if (p <= len) Step(sql, p, st);
  auto advance = [&](int n) {
    p += n + st.skipNext;
    if (p <= len) Step(sql, p, st);
  };

  while (p <= EndPos) {
    if (Inside(st)) {
      if (st.skipNext) {
        advance(1);
      } else {
        const unsigned char quote = st.inSingleQuote ? '\'' : '"';
        const bool quoteMayMatch = (cls[quote] & (found ? kStopFirst : kKeyFirst)) != 0;
        p = SkipInside(sql, p, EndPos, st, quoteMayMatch);
      }
      continue;
    }
    const bool boundaryFree = StopsAnywhere && found;
    if (boundaryFree || p == 1 || IsBoundary(sql[p - 2])) {
      const unsigned char c = static_cast<unsigned char>(sql[p - 1]);
      if (!found) {
        if ((cls[c] & kKeyFirst) && WordAt(sql, EndPos, p, keyword, false)) {
          found = true;
          StartPos = p;
          advance(static_cast<int>(keyword.size()));
          continue;
        }
      } else if ((cls[c] & kStopFirst) || hasEmptyStop) {
        for (const std::string& w : stops) {
          if (!WordAt(sql, EndPos, p, w, boundaryFree)) continue;
          if (!w.empty()) {
            EndPos = p;
            FoundStop = w;
          } else {
            EndPos = EndPos + 1;
          }
          return true;
        }
      }
    }
    // The "*" of a "*/" that closes a comment: its "/" is passed over unexamined.
    if (st.skipNext) {
      advance(1);
      continue;
    }
    p = NextAtTopLevel(sql, p, EndPos, cls, found ? kStopFirst : kKeyFirst, boundaryFree);
    if (p <= len) Step(sql, p, st);
  }
  EndPos = EndPos + 1;
  return false;
}

bool IsDDLView(std::string_view text) {
  static const std::vector<std::string> kStops = {"TRIGGER", "PROCEDURE"};
  int start = 0, end = 0;
  std::string stop;
  if (ParseView(text, "CREATE", kStops, start, end, stop, false)) return true;
  if (start != 0) return false;
  start = 0;
  end = 0;
  return ParseView(text, "ALTER", kStops, start, end, stop, false);
}

void LocateView(std::string_view sql, const char* keyword,
                const std::vector<std::string>& stops, int& StartPos, int& EndPos) {
  StartPos = 0;
  EndPos = 0;
  std::string stop;
  ParseView(sql, keyword, stops, StartPos, EndPos, stop, false);
}

void LocateInsertView(std::string_view sql, int& StartPos, int& EndPos) {
  static const std::vector<std::string> kStops = {"INTO"};
  LocateView(sql, "INSERT", kStops, StartPos, EndPos);
}

// Bounds of the trimmed characters [b, e) of S (0-based).
inline void TrimBounds(std::string_view s, size_t& b, size_t& e) {
  b = 0;
  e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
}

inline std::string_view Trimmed(std::string_view s) {
  size_t b, e;
  TrimBounds(s, b, e);
  return s.substr(b, e - b);
}

using Locator = void (*)(const std::string&, int&, int&);

// Result := the trimmed characters [Start, End) of SQL; Start is a found clause's.
void ClauseText(const std::string& SQL, int Start, int End, std::string& Result) {
  std::string_view v(SQL);
  v = v.substr(static_cast<size_t>(Start - 1), static_cast<size_t>(std::max(End - Start, 0)));
  Result.assign(Trimmed(v));
}

void GetClause(const std::string& SQL, std::string& Result, Locator locate) {
  int start = 0, end = 0;
  locate(SQL, start, end);
  Result.clear();
  if (start != 0) ClauseText(SQL, start, end, Result);
}

// Replaces the own clause when present; otherwise inserts after the first clause of
// Before that is present (nearest first), or in front of the statement.
void SetClause(std::string& SQL, const std::string& NewText, Locator own,
               std::initializer_list<Locator> before) {
  int start = 0, end = 0;
  own(SQL, start, end);
  if (start != 0) {
    ReplaceSection(SQL, NewText, start, end);
    return;
  }
  for (Locator l : before) {
    l(SQL, start, end);
    if (start != 0) {
      ReplaceSection(SQL, NewText, end, end);
      return;
    }
  }
  ReplaceSection(SQL, NewText, 1, 1);
}

}  // namespace

void AdvanceScanState(const std::string& Text, int P, ScanState& State) {
  if (P < 1 || static_cast<size_t>(P) > Text.size()) return;
  Step(Text, P, State);
}

bool CharIsDelimiter(char C) {
  if (static_cast<unsigned char>(C) <= 32) return true;
  switch (C) {
    case '!': case '(': case ')': case '*': case ',': case '/':
    case ':': case ';': case '<': case '=': case '>': case '?':
      return true;
    default:
      return false;
  }
}

void SubStrings(const std::string& Text, std::string& Result, int First, int Stop) {
  Result.clear();
  if (First <= 0) return;
  if (Stop == 0) Stop = 2147483647;
  if (Stop <= First) return;
  if (static_cast<size_t>(First) > Text.size()) return;
  Result.assign(Text, static_cast<size_t>(First - 1), static_cast<size_t>(Stop - First));
}

bool ParseStr(const std::string& SQL, const std::string& Keyword,
              const std::vector<std::string>& StopWords, int& StartPos, int& EndPos,
              std::string& FoundStop, bool StopsAnywhere) {
  return ParseView(SQL, Keyword, StopWords, StartPos, EndPos, FoundStop, StopsAnywhere);
}

bool GetIsTriggerOrProcedureDDL(const std::string& Text) { return IsDDLView(Text); }

void LocateSelect(const std::string& SQL, int& StartPos, int& EndPos) {
  static const std::vector<std::string> kStops = {"FROM",  "WHERE", "GROUP", "HAVING",
                                                  "UNION", "PLAN",  "ORDER", "FOR"};
  LocateView(SQL, "SELECT", kStops, StartPos, EndPos);
  // The body of a trigger or a stored procedure is no query.
  if (StartPos > 1 && IsDDLView(std::string_view(SQL).substr(0, StartPos - 2))) {
    StartPos = 0;
    EndPos = 0;
  }
}

void LocateFrom(const std::string& SQL, int& StartPos, int& EndPos) {
  static const std::vector<std::string> kStops = {"WHERE", "GROUP", "HAVING", "UNION",
                                                  "PLAN",  "ORDER", "FOR"};
  LocateView(SQL, "FROM", kStops, StartPos, EndPos);
}

void LocateWhere(const std::string& SQL, int& StartPos, int& EndPos) {
  static const std::vector<std::string> kStops = {"ORDER", "GROUP", "HAVING",
                                                  "UNION", "PLAN",  "FOR"};
  LocateView(SQL, "WHERE", kStops, StartPos, EndPos);
}

void LocateGroup(const std::string& SQL, int& StartPos, int& EndPos) {
  static const std::vector<std::string> kStops = {"HAVING", "UNION", "PLAN", "ORDER", "FOR"};
  LocateView(SQL, "GROUP", kStops, StartPos, EndPos);
}

void LocateHaving(const std::string& SQL, int& StartPos, int& EndPos) {
  static const std::vector<std::string> kStops = {"UNION", "PLAN", "ORDER", "FOR"};
  LocateView(SQL, "HAVING", kStops, StartPos, EndPos);
}

void LocateUnion(const std::string& SQL, int& StartPos, int& EndPos) {
  static const std::vector<std::string> kStops = {"PLAN", "ORDER", "FOR"};
  LocateView(SQL, "UNION", kStops, StartPos, EndPos);
}

void LocatePlan(const std::string& SQL, int& StartPos, int& EndPos) {
  static const std::vector<std::string> kStops = {"ORDER", "FOR"};
  LocateView(SQL, "PLAN", kStops, StartPos, EndPos);
}

void LocateOrder(const std::string& SQL, int& StartPos, int& EndPos) {
  static const std::vector<std::string> kStops = {"FOR"};
  LocateView(SQL, "ORDER", kStops, StartPos, EndPos);
}

void LocateForUpdate(const std::string& SQL, int& StartPos, int& EndPos) {
  // The empty stop word lets the clause run to the end of the text.
  static const std::vector<std::string> kStops = {""};
  LocateView(SQL, "FOR", kStops, StartPos, EndPos);
}

void LocateInsert(const std::string& SQL, int& StartPos, int& EndPos) {
  LocateInsertView(SQL, StartPos, EndPos);
}

void GetSQLSelect(const std::string& SQL, std::string& Result) {
  int start = 0, end = 0;
  LocateSelect(SQL, start, end);
  Result.clear();
  if (start == 0) return;
  // INSERT ... SELECT has no select clause of its own.
  if (start > 10) {
    int istart = 0, iend = 0;
    LocateInsertView(std::string_view(SQL).substr(0, static_cast<size_t>(start)), istart, iend);
    if (istart != 0) return;
  }
  ClauseText(SQL, start, end, Result);
}

void GetSQLFrom(const std::string& SQL, std::string& Result) { GetClause(SQL, Result, LocateFrom); }
void GetSQLWhere(const std::string& SQL, std::string& Result) { GetClause(SQL, Result, LocateWhere); }
void GetSQLGroup(const std::string& SQL, std::string& Result) { GetClause(SQL, Result, LocateGroup); }
void GetSQLHaving(const std::string& SQL, std::string& Result) { GetClause(SQL, Result, LocateHaving); }
void GetSQLUnion(const std::string& SQL, std::string& Result) { GetClause(SQL, Result, LocateUnion); }
void GetSQLPlan(const std::string& SQL, std::string& Result) { GetClause(SQL, Result, LocatePlan); }
void GetSQLOrder(const std::string& SQL, std::string& Result) { GetClause(SQL, Result, LocateOrder); }
void GetSQLForUpdate(const std::string& SQL, std::string& Result) {
  GetClause(SQL, Result, LocateForUpdate);
}

void ReplaceSection(std::string& S, const std::string& NewText, int First, int Resume) {
  // Works in place, so a large statement is moved within its own buffer rather than
  // copied into a new one.
  const size_t len = S.size();
  std::string_view s(S);
  size_t headBegin = 0, headEnd = 0;
  if (First > 0) {
    TrimBounds(s.substr(0, std::min(static_cast<size_t>(First - 1), len)), headBegin, headEnd);
  }
  size_t tailBegin = len, tailEnd = len;
  if (Resume > 0 && static_cast<size_t>(Resume) <= len) {
    size_t b, e;
    TrimBounds(s.substr(static_cast<size_t>(Resume - 1)), b, e);
    tailBegin = static_cast<size_t>(Resume - 1) + b;
    tailEnd = static_cast<size_t>(Resume - 1) + e;
  }
  std::string_view text = Trimmed(NewText);
  std::string middle;
  middle.reserve(text.size() + 4);
  if (First > 0) middle += "\r\n";
  middle.append(text);
  middle += "\r\n";
  const size_t newSize =
      (headEnd - headBegin) + middle.size() + (tailEnd - std::min(tailBegin, tailEnd));
  // A statement that must grow, or whose resume position lies before the first (head and
  // tail overlap), is built in a new buffer of exactly its size: growing in place would
  // double the capacity.
  if (tailBegin < headEnd || newSize > S.capacity()) {
    std::string r;
    r.reserve(newSize);
    r.append(s.substr(headBegin, headEnd - headBegin));
    r += middle;
    r.append(s.substr(tailBegin, tailEnd - tailBegin));
    S = std::move(r);
    return;
  }
  // Keep [headBegin, headEnd) + middle + [tailBegin, tailEnd). Both cuts come before the
  // insertion, so the text never holds more than newSize characters and stays in its
  // buffer.
  S.erase(tailEnd);
  S.erase(0, headBegin);
  S.replace(headEnd - headBegin, tailBegin - headEnd, middle);
}

void SetSQLSelect(std::string& SQL, const std::string& NewText) {
  int start = 0, end = 0;
  LocateSelect(SQL, start, end);
  if (start != 0) {
    ReplaceSection(SQL, NewText, start, end);
    return;
  }
  // Without a select list, everything before FROM is replaced.
  LocateFrom(SQL, start, end);
  if (start != 0) ReplaceSection(SQL, NewText, 1, start);
  else ReplaceSection(SQL, NewText, 1, 1);
}

void SetSQLFrom(std::string& SQL, const std::string& NewText) {
  SetClause(SQL, NewText, LocateFrom, {LocateSelect});
}
void SetSQLWhere(std::string& SQL, const std::string& NewText) {
  SetClause(SQL, NewText, LocateWhere, {LocateFrom, LocateSelect});
}
void SetSQLGroup(std::string& SQL, const std::string& NewText) {
  SetClause(SQL, NewText, LocateGroup, {LocateWhere, LocateFrom, LocateSelect});
}
void SetSQLHaving(std::string& SQL, const std::string& NewText) {
  SetClause(SQL, NewText, LocateHaving, {LocateGroup, LocateWhere, LocateFrom, LocateSelect});
}
void SetSQLUnion(std::string& SQL, const std::string& NewText) {
  SetClause(SQL, NewText, LocateUnion,
            {LocateHaving, LocateGroup, LocateWhere, LocateFrom, LocateSelect});
}
void SetSQLPlan(std::string& SQL, const std::string& NewText) {
  SetClause(SQL, NewText, LocatePlan,
            {LocateUnion, LocateHaving, LocateGroup, LocateWhere, LocateFrom, LocateSelect});
}
void SetSQLOrder(std::string& SQL, const std::string& NewText) {
  SetClause(SQL, NewText, LocateOrder,
            {LocatePlan, LocateUnion, LocateHaving, LocateGroup, LocateWhere, LocateFrom,
             LocateSelect});
}

void SetSQLForUpdate(std::string& SQL, const std::string& NewText) {
  int start = 0, end = 0;
  LocateForUpdate(SQL, start, end);
  if (start != 0) {
    ReplaceSection(SQL, NewText, start, static_cast<int>(SQL.size()) + 1);
    return;
  }
  SQL.reserve(SQL.size() + 2 + NewText.size());
  SQL += "\r\n";
  SQL += NewText;
}

}  // namespace Parse
