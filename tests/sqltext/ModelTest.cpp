// The clause scanner skips ahead with memchr and the wildcard matcher back-tracks
// iteratively; these tests hold them to plain, character-by-character reference versions
// of the same rules on many generated texts.
#include <gtest/gtest.h>

#include <random>

#include "sqltext/Parse.h"
#include "tests/sqltext/ReferenceScanner.h"

namespace {

struct Clause {
  const char* keyword;
  std::vector<std::string> stops;
};
// The keywords and stop words of the clause locators.
const Clause kClauses[] = {
    {"SELECT", {"FROM", "WHERE", "GROUP", "HAVING", "UNION", "PLAN", "ORDER", "FOR"}},
    {"FROM", {"WHERE", "GROUP", "HAVING", "UNION", "PLAN", "ORDER", "FOR"}},
    {"WHERE", {"ORDER", "GROUP", "HAVING", "UNION", "PLAN", "FOR"}},
    {"GROUP", {"HAVING", "UNION", "PLAN", "ORDER", "FOR"}},
    {"HAVING", {"UNION", "PLAN", "ORDER", "FOR"}},
    {"UNION", {"PLAN", "ORDER", "FOR"}},
    {"PLAN", {"ORDER", "FOR"}},
    {"ORDER", {"FOR"}},
    {"FOR", {""}},
    {"INSERT", {"INTO"}},
};

// Statements made of the pieces that matter to the scanner, in random order.
std::string RandomStatement(std::mt19937& rng) {
  static const char* const kPieces[] = {
      "SELECT", "FROM", "WHERE", "ORDER", "BY", "FOR", "UNION", "GROUP", "HAVING", "PLAN",
      "INSERT", "INTO", "CREATE", "PROCEDURE", "TRIGGER", "ALTER", "select", "wHeRe", "from",
      " ", "  ", " ", "\r\n", "\n", "\r", "\t", "(", ")", "'", "\"", "/", "*", "/*", "*/", "//",
      "[", "]", "a", "x_", "T.", "ORDER_ID", "XWHERE", ",", "=", "?", "--", "''", "1"};
  const int n = static_cast<int>(rng() % 24);
  std::string s;
  for (int k = 0; k < n; ++k) s += kPieces[rng() % std::size(kPieces)];
  return s;
}

TEST(ParseModel, ScannerAgreesWithTheCharacterByCharacterRules) {
  std::mt19937 rng(20261208);
  for (int round = 0; round < 20000; ++round) {
    const std::string sql = RandomStatement(rng);
    const int len = static_cast<int>(sql.size());
    const Clause& c = kClauses[rng() % std::size(kClauses)];
    const bool anywhere = rng() % 4 == 0;
    const int startIn = rng() % 3 == 0 ? static_cast<int>(rng() % (len + 3)) - 1 : 0;
    const int endIn = rng() % 3 == 0 ? static_cast<int>(rng() % (len + 3)) : 0;
    int s1 = startIn, e1 = endIn, s2 = startIn, e2 = endIn;
    std::string f1 = "-", f2 = "-";
    const bool r1 = Parse::ParseStr(sql, c.keyword, c.stops, s1, e1, f1, anywhere);
    const bool r2 = sqlref::ParseStr(sql, c.keyword, c.stops, s2, e2, f2, anywhere);
    ASSERT_EQ(r1, r2) << "round " << round << " [" << sql << "] " << c.keyword;
    ASSERT_EQ(s1, s2) << "round " << round << " [" << sql << "] " << c.keyword;
    ASSERT_EQ(e1, e2) << "round " << round << " [" << sql << "] " << c.keyword;
    ASSERT_EQ(f1, f2) << "round " << round << " [" << sql << "] " << c.keyword;
  }
}

// ---- Reference matcher: the recursive rules, every candidate position tried -------------

int RefMatche(const std::string& p, const std::string& t);

int RefAfterStar(const std::string& p, const std::string& t) {
  size_t i = 0, j = 0;
  while (i < p.size() && (p[i] == '*' || p[i] == '?')) {
    if (p[i] == '?' && j < t.size()) ++j;
    ++i;
  }
  if (j >= t.size()) return 3;
  if (i >= p.size()) return 1;
  int code = 3;
  for (size_t k = j; k < t.size(); ++k) {
    if (p[i] != '[' && t[k] != p[i]) continue;
    code = RefMatche(p.substr(i), t.substr(k));
    if (code == 1) return 1;
  }
  return code;
}

int RefMatche(const std::string& p, const std::string& t) {
  size_t i = 0, j = 0;
  while (i < p.size()) {
    if (j >= t.size()) return p[i] == '*' && i + 1 == p.size() ? 1 : 3;
    if (p[i] == '*') return RefAfterStar(p.substr(i), t.substr(j));
    if (p[i] == '[') {
      ++i;
      bool negated = false;
      if (i < p.size() && (p[i] == '!' || p[i] == '^')) negated = true, ++i;
      if (i >= p.size() || p[i] == ']') return 6;
      bool member = false;
      while (!member && p[i] != ']') {
        unsigned char lo = static_cast<unsigned char>(p[i]), hi = lo;
        if (++i >= p.size()) return 6;
        if (p[i] == '-') {
          if (++i >= p.size() || p[i] == ']') return 6;
          hi = static_cast<unsigned char>(p[i]);
          if (++i >= p.size()) return 6;
        }
        const unsigned char c = static_cast<unsigned char>(t[j]);
        member = c >= std::min(lo, hi) && c <= std::max(lo, hi);
      }
      if (member == negated) return 4;
      while (i < p.size() && p[i] != ']') ++i;
      if (i >= p.size()) return 6;
      ++i;
      ++j;
    } else if (p[i] == '?' || p[i] == t[j]) {
      ++i;
      ++j;
    } else {
      return 5;
    }
  }
  return j >= t.size() ? 1 : 2;
}

TEST(ParseModel, MatcherAgreesWithTheRecursiveRules) {
  std::mt19937 rng(42);
  const char patternChars[] = "ab*?[]!^-ab";
  const char textChars[] = "abab-]!";
  int matches = 0;
  for (int round = 0; round < 50000; ++round) {
    std::string p, t;
    for (int k = static_cast<int>(rng() % 9); k > 0; --k)
      p += patternChars[rng() % (sizeof patternChars - 1)];
    for (int k = static_cast<int>(rng() % 9); k > 0; --k)
      t += textChars[rng() % (sizeof textChars - 1)];
    const int got = Parse::matche(p, t);
    const int expected = RefMatche(p, t);
    // With one star the iterative walk tries exactly the recursive attempts, so even the
    // code of a failure agrees; with several it may stop at a later star's last attempt.
    if (std::count(p.begin(), p.end(), '*') <= 1) {
      ASSERT_EQ(got, expected) << "[" << p << "] ~ [" << t << "]";
    } else {
      ASSERT_EQ(got == 1, expected == 1) << "[" << p << "] ~ [" << t << "]";
    }
    if (!p.empty() && p[0] == '*') {
      const int star = Parse::match_after_star(p, t);
      if (std::count(p.begin(), p.end(), '*') <= 1) {
        ASSERT_EQ(star, RefAfterStar(p, t)) << "after star [" << p << "] ~ [" << t << "]";
      } else {
        ASSERT_EQ(star == 1, RefAfterStar(p, t) == 1) << "after star [" << p << "] ~ [" << t << "]";
      }
    }
    matches += got == 1;
  }
  // The generated cases must exercise both outcomes to mean anything.
  EXPECT_GT(matches, 1000);
  EXPECT_LT(matches, 49000);
}

}  // namespace
