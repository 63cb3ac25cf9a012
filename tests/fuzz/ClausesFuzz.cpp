// The clause accessors of Parse on any statement. Input: one selector byte, then the
// statement and the new clause's body separated by a zero byte.
// Properties, for a statement and a body whose quotes, comments and parentheses are
// closed, and a new clause that is one whole clause by itself:
//   - after Set, the trimmed new clause stands in the statement where Locate finds the
//     clause, followed by CR LF; Get returns exactly it when what follows is empty or
//     begins with one of the clause's stop words, and otherwise begins with it (the
//     clause runs on to the next stop word);
//   - the text outside the clause is unchanged but for blanks at the two joins: the
//     statement is what stands before the new clause, the old clause (or nothing) and
//     what stands after it, each trimmed.
#include <cctype>
#include <cstdint>
#include <string>
#include <vector>

#include "sqltext/Parse.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

using Getter = void (*)(const std::string&, std::string&);
using Setter = void (*)(std::string&, const std::string&);
using Locator = void (*)(const std::string&, int&, int&);

struct TClause {
  const char* Keyword;  // what the new clause begins with
  Getter Get;
  Setter Set;
  Locator Locate;
  bool RoundTrip;  // SELECT and FOR follow rules of their own
  std::vector<const char*> Stops;
};

const TClause kClauses[] = {
    {"SELECT ", Parse::GetSQLSelect, Parse::SetSQLSelect, Parse::LocateSelect, false, {"FROM", "WHERE", "GROUP", "HAVING", "UNION", "PLAN", "ORDER", "FOR"}},
    {"FROM ", Parse::GetSQLFrom, Parse::SetSQLFrom, Parse::LocateFrom, true, {"WHERE", "GROUP", "HAVING", "UNION", "PLAN", "ORDER", "FOR"}},
    {"WHERE ", Parse::GetSQLWhere, Parse::SetSQLWhere, Parse::LocateWhere, true, {"ORDER", "GROUP", "HAVING", "UNION", "PLAN", "FOR"}},
    {"GROUP BY ", Parse::GetSQLGroup, Parse::SetSQLGroup, Parse::LocateGroup, true, {"HAVING", "UNION", "PLAN", "ORDER", "FOR"}},
    {"HAVING ", Parse::GetSQLHaving, Parse::SetSQLHaving, Parse::LocateHaving, true, {"UNION", "PLAN", "ORDER", "FOR"}},
    {"UNION ", Parse::GetSQLUnion, Parse::SetSQLUnion, Parse::LocateUnion, true, {"PLAN", "ORDER", "FOR"}},
    {"PLAN ", Parse::GetSQLPlan, Parse::SetSQLPlan, Parse::LocatePlan, true, {"ORDER", "FOR"}},
    {"ORDER BY ", Parse::GetSQLOrder, Parse::SetSQLOrder, Parse::LocateOrder, true, {"FOR"}},
    {"FOR ", Parse::GetSQLForUpdate, Parse::SetSQLForUpdate, Parse::LocateForUpdate, false, {}},
};

// True when Text begins with the word W (letters in any case) followed by a word
// boundary (code 32 or below, "(" or ")") or the end, as the scanner finds stop words.
bool BeginsWithWord(const std::string& Text, const std::string& W) {
  if (Text.size() < W.size()) return false;
  for (size_t i = 0; i < W.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(Text[i])) != W[i]) return false;
  const unsigned char next = Text.size() == W.size() ? ' ' : static_cast<unsigned char>(Text[W.size()]);
  return next <= 32 || next == '(' || next == ')';
}

bool Blank(char C) { return static_cast<unsigned char>(C) <= 32; }

std::string Trim(const std::string& S) {
  size_t b = 0, e = S.size();
  while (b < e && Blank(S[b])) ++b;
  while (e > b && Blank(S[e - 1])) --e;
  return S.substr(b, e - b);
}

// True when Text ends outside quotes, comments and parentheses.
bool Closed(const std::string& Text) {
  Parse::ScanState st;
  const int n = static_cast<int>(Text.size());
  int p = 1;
  if (n > 0) Parse::AdvanceScanState(Text, p, st);
  while (p <= n) {
    p += 1 + st.skipNext;
    if (p <= n) Parse::AdvanceScanState(Text, p, st);
  }
  return !st.inSingleQuote && !st.inDoubleQuote && !st.inLineComment && !st.inBlockComment &&
         st.parenDepth == 0;
}

// After holds the new clause Clause at position F (1-based).
void CheckOutside(const std::string& Before, const std::string& After, int F, const std::string& Clause,
                  const std::string& Old) {
  const std::string head = Trim(After.substr(0, static_cast<size_t>(F - 1)));
  const std::string tail = Trim(After.substr(static_cast<size_t>(F - 1) + Clause.size()));
  size_t b = 0, e = Before.size();
  while (b < e && Blank(Before[b])) ++b;
  while (e > b && Blank(Before[e - 1])) --e;
  kytfuzz::Check(Before.compare(b, head.size(), head) == 0, "text before the clause changed");
  kytfuzz::Check(e >= tail.size() && Before.compare(e - tail.size(), tail.size(), tail) == 0,
                 "text after the clause changed");
  kytfuzz::Check(b + head.size() <= e - tail.size(), "text around the clause overlaps");
  const std::string middle = Before.substr(b + head.size(), e - tail.size() - b - head.size());
  kytfuzz::Check(Trim(middle) == Old, "the replaced text is not the old clause");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1 || Size > 4096) return 0;
  const TClause& c = kClauses[Data[0] % std::size(kClauses)];
  const auto parts = kytfuzz::Split(Data + 1, Size - 1, 2);
  const std::string& sql = parts[0];

  std::string old;
  for (const TClause& any : kClauses) {
    std::string got;
    any.Get(sql, got);
    if (&any == &c) old = got;
  }

  // Removal: no property beyond running clean.
  std::string removed = sql;
  c.Set(removed, "");

  const std::string clause = c.Keyword + parts[1];
  std::string after = sql;
  c.Set(after, clause);
  std::string got;
  c.Get(after, got);
  if (!c.RoundTrip) return 0;

  std::string alone;
  c.Get(clause, alone);
  if (alone != Trim(clause) || !Closed(sql) || !Closed(clause)) return 0;
  const std::string want = Trim(clause);
  int f = 0, r = 0;
  c.Locate(after, f, r);
  kytfuzz::Check(f > 0 && after.compare(static_cast<size_t>(f - 1), want.size() + 2, want + "\r\n") == 0,
                 std::string("the new ") + c.Keyword + "clause does not stand where Locate finds it");
  const std::string rest = Trim(after.substr(static_cast<size_t>(f - 1) + want.size()));
  bool ends = rest.empty();
  for (const char* w : c.Stops) ends = ends || BeginsWithWord(rest, w);
  if (ends)
    kytfuzz::Check(got == want, std::string("Get after Set ") + c.Keyword + "gave '" + got + "'");
  else
    kytfuzz::Check(got.compare(0, want.size(), want) == 0, std::string("Get after Set ") + c.Keyword + "gave '" + got + "'");
  CheckOutside(sql, after, f, want, old);
  return 0;
}
