// The clause scanner against a plain reference: a character-by-character scanner written
// straight from the scanning rules, without any of the library's shortcuts, run on
// thousands of generated statements (fixed seed) that mix keywords at and below the top
// level, both kinds of quotes with doubled quotes, // and /* */ comments, "--", brackets,
// parentheses balanced or not, sub-selects, CR/LF and letters above 127. Every locator,
// Get and Set, ParseStr with random arguments and the DDL test must agree exactly.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "sqltext/Parse.h"
#include "tests/sqltext/ReferenceScanner.h"

namespace {

// ---- The reference scanner --------------------------------------------------------

namespace ref {

using sqlref::State;
using sqlref::Step;
using sqlref::Lower;
using sqlref::ParseStr;

bool IsDDL(const std::string& text) {
  const std::vector<std::string> stops = {"TRIGGER", "PROCEDURE"};
  int start = 0, end = 0;
  std::string stop;
  if (ParseStr(text, "CREATE", stops, start, end, stop, false)) return true;
  if (start != 0) return false;
  end = 0;
  return ParseStr(text, "ALTER", stops, start, end, stop, false);
}

enum Clause { kSelect, kFrom, kWhere, kGroup, kHaving, kUnion, kPlan, kOrder, kFor, kCount };

const char* const kKeyword[] = {"SELECT", "FROM", "WHERE", "GROUP", "HAVING",
                                "UNION",  "PLAN", "ORDER", "FOR"};
const std::vector<std::string> kStops[] = {
    {"FROM", "WHERE", "GROUP", "HAVING", "UNION", "PLAN", "ORDER", "FOR"},
    {"WHERE", "GROUP", "HAVING", "UNION", "PLAN", "ORDER", "FOR"},
    {"ORDER", "GROUP", "HAVING", "UNION", "PLAN", "FOR"},
    {"HAVING", "UNION", "PLAN", "ORDER", "FOR"},
    {"UNION", "PLAN", "ORDER", "FOR"},
    {"PLAN", "ORDER", "FOR"},
    {"ORDER", "FOR"},
    {"FOR"},
    {""},
};

void Locate(const std::string& sql, int clause, int& start, int& end) {
  start = end = 0;
  std::string stop;
  ParseStr(sql, kKeyword[clause], kStops[clause], start, end, stop, false);
  if (clause == kSelect && start > 1 && IsDDL(sql.substr(0, start - 2))) start = end = 0;
}

std::string Trim(const std::string& s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= 32) ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= 32) --e;
  return s.substr(b, e - b);
}

std::string Get(const std::string& sql, int clause) {
  int start, end;
  Locate(sql, clause, start, end);
  if (start == 0) return "";
  if (clause == kSelect && start > 10) {
    int is = 0, ie = 0;
    std::string stop;
    ParseStr(sql.substr(0, start), "INSERT", {"INTO"}, is, ie, stop, false);
    if (is != 0) return "";
  }
  return Trim(sql.substr(start - 1, end > start ? end - start : 0));
}

void Replace(std::string& s, const std::string& text, int first, int resume) {
  std::string head = first == 0 ? "" : Trim(s.substr(0, first - 1)) + "\r\n";
  std::string tail =
      resume == 0 || resume > static_cast<int>(s.size()) ? "" : s.substr(resume - 1);
  s = head + Trim(text) + "\r\n" + Trim(tail);
}

void Set(std::string& sql, int clause, const std::string& text) {
  int start, end;
  Locate(sql, clause, start, end);
  if (clause == kFor) {
    if (start != 0) Replace(sql, text, start, static_cast<int>(sql.size()) + 1);
    else sql += "\r\n" + text;
    return;
  }
  if (start != 0) return Replace(sql, text, start, end);
  if (clause == kSelect) {
    Locate(sql, kFrom, start, end);
    return Replace(sql, text, 1, start != 0 ? start : 1);
  }
  for (int before = clause - 1; before >= kSelect; --before) {
    Locate(sql, before, start, end);
    if (start != 0) return Replace(sql, text, end, end);
  }
  Replace(sql, text, 1, 1);
}

}  // namespace ref

// ---- The library under the same names ------------------------------------------------

using Locator = void (*)(const std::string&, int&, int&);
using Getter = void (*)(const std::string&, std::string&);
using Setter = void (*)(std::string&, const std::string&);

const Locator kLocate[] = {Parse::LocateSelect, Parse::LocateFrom,  Parse::LocateWhere,
                           Parse::LocateGroup,  Parse::LocateHaving, Parse::LocateUnion,
                           Parse::LocatePlan,   Parse::LocateOrder, Parse::LocateForUpdate};
const Getter kGet[] = {Parse::GetSQLSelect, Parse::GetSQLFrom,  Parse::GetSQLWhere,
                       Parse::GetSQLGroup,  Parse::GetSQLHaving, Parse::GetSQLUnion,
                       Parse::GetSQLPlan,   Parse::GetSQLOrder, Parse::GetSQLForUpdate};
const Setter kSet[] = {Parse::SetSQLSelect, Parse::SetSQLFrom,  Parse::SetSQLWhere,
                       Parse::SetSQLGroup,  Parse::SetSQLHaving, Parse::SetSQLUnion,
                       Parse::SetSQLPlan,   Parse::SetSQLOrder, Parse::SetSQLForUpdate};

// ---- Generated statements ---------------------------------------------------------------

class Generator {
 public:
  explicit Generator(unsigned seed) : rng_(seed) {}

  int Below(int n) { return static_cast<int>(rng_() % static_cast<unsigned>(n)); }

  // A word in random letter case.
  std::string Cased(const std::string& w) {
    std::string r = w;
    const int how = Below(4);
    for (char& c : r) {
      if (how == 1 || (how == 2 && Below(2) == 0)) c = ref::Lower(c);
    }
    return r;
  }

  std::string Token(int depth) {
    static const char* const kWords[] = {
        "SELECT", "FROM",   "WHERE", "GROUP",   "HAVING",    "UNION", "PLAN",  "ORDER",
        "FOR",    "BY",     "INSERT", "INTO",   "CREATE",    "ALTER", "TRIGGER",
        "PROCEDURE", "ORDER_ID", "XWHERE", "T.ORDER", "FROMAGE", "WHEREAS", "A", "B1",
        "COUNT(*)", "\xC9T\xC9", "na\xEFve", "O.COL", "FORM", "UPDATE", "\xFF\x80"};
    static const char* const kBits[] = {"'",  "\"", "//", "/*", "*/", "/*/", "*//*", "--",
                                        "(",  ")",  "[",  "]",  "/",  "*",  "''",  "\"\"",
                                        ",",  "=",  "<>", "?",  ":P", ".",  "\r\n", "\n",
                                        "\r", "\t", "  ", ";"};
    switch (Below(12)) {
      case 0: case 1: case 2: case 3:
        return Cased(kWords[Below(static_cast<int>(std::size(kWords)))]);
      case 4: case 5:
        return kBits[Below(static_cast<int>(std::size(kBits)))];
      case 6: return Quoted(Below(2) ? '\'' : '"');
      case 7: return Comment();
      case 8: return depth < 3 ? "(" + Statement(depth + 1, 2 + Below(8)) + ")" : "(X)";
      case 9: return LongRun();
      default: return std::string(1 + Below(2), " \r\n\t"[Below(4)]);
    }
  }

  std::string Quoted(char q) {
    std::string r(1, q);
    const int n = Below(4);
    for (int i = 0; i < n; ++i) {
      r += Cased(Below(2) ? " where " : "order");
      if (Below(3) == 0) r += std::string(2, q);  // doubled quote inside
      if (Below(4) == 0) r += "/* ";
    }
    if (Below(10) != 0) r += q;  // sometimes left open
    return r;
  }

  std::string Comment() {
    switch (Below(3)) {
      case 0: return "// from " + Cased("where") + (Below(5) ? "\r\n" : "");
      case 1: return "/* " + Cased("where ORDER") + (Below(6) ? " */" : "");
      default: return "-- " + Cased("where") + "\n";
    }
  }

  // Long runs of one kind, so fast paths that skip many characters at once are crossed.
  std::string LongRun() {
    const int n = 8 + Below(90);
    switch (Below(5)) {
      case 0: return std::string(static_cast<size_t>(n), 'x');
      case 1: return std::string(static_cast<size_t>(n), ' ');
      case 2: return "'" + std::string(static_cast<size_t>(n), 'q') + "'";
      case 3: return "/*" + std::string(static_cast<size_t>(n), '*') + "*/";
      default: {
        std::string r;
        for (int i = 0; i < n; ++i) r += static_cast<char>(128 + Below(128));
        return r;
      }
    }
  }

  std::string Statement(int depth, int tokens) {
    std::string s;
    for (int i = 0; i < tokens; ++i) {
      s += Token(depth);
      if (Below(4) != 0) s += Below(6) ? " " : "\r\n";
    }
    return s;
  }

  std::string AnyStatement() {
    if (Below(20) == 0) return Statement(0, Below(3));  // empty or nearly
    if (Below(10) == 0) return Statement(0, 200 + Below(300));
    return Statement(0, 4 + Below(30));
  }

  std::string Word() {
    static const char* const kPool[] = {"", "FROM", "where", "ORDER", "O", "*/", "X(", "O.C",
                                        "'", "TRIGGER", "BY", "\xE9T\xC9", "/", " "};
    return kPool[Below(static_cast<int>(std::size(kPool)))];
  }

 private:
  std::mt19937 rng_;
};

std::string Show(const std::string& s) {
  std::string r;
  for (char c : s) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u >= 32 && u < 127) r += c;
    else r += "\\x" + std::string(1, "0123456789ABCDEF"[u >> 4]) + "0123456789ABCDEF"[u & 15];
  }
  return r;
}

TEST(ParseClauseReference, LocateGetSetAgreeOnGeneratedStatements) {
  Generator g(20261208);
  int mismatches = 0;
  for (int i = 0; i < 2500 && mismatches < 5; ++i) {
    const std::string sql = g.AnyStatement();
    const std::string text = g.Below(4) == 0 ? "" : " WHERE Z = 'q' \r\n";
    for (int c = ref::kSelect; c < ref::kCount; ++c) {
      int rs, re, ls = 7, le = 7;
      ref::Locate(sql, c, rs, re);
      kLocate[c](sql, ls, le);
      std::string got = "junk";
      kGet[c](sql, got);
      std::string setRef = sql, setGot = sql;
      ref::Set(setRef, c, text);
      kSet[c](setGot, text);
      const bool same = rs == ls && re == le && got == ref::Get(sql, c) && setGot == setRef;
      EXPECT_TRUE(same) << "clause " << ref::kKeyword[c] << " of [" << Show(sql) << "]: locate "
                        << ls << "," << le << " expected " << rs << "," << re;
      if (!same) ++mismatches;
    }
    EXPECT_EQ(Parse::GetIsTriggerOrProcedureDDL(sql), ref::IsDDL(sql)) << Show(sql);
  }
}

TEST(ParseClauseReference, ParseStrAgreesForAnyArguments) {
  Generator g(7);
  int mismatches = 0;
  for (int i = 0; i < 4000 && mismatches < 5; ++i) {
    const std::string sql = g.AnyStatement();
    const int len = static_cast<int>(sql.size());
    const std::string keyword = g.Word();
    std::vector<std::string> stops(static_cast<size_t>(g.Below(4)));
    for (std::string& w : stops) w = g.Word();
    const int startIn = g.Below(4) == 0 ? g.Below(len + 4) - 2 : 0;
    // EndPos stays within the text, as callers must keep it.
    const int endIn = g.Below(3) == 0 ? g.Below(len + 1) : 0;
    const bool anywhere = g.Below(3) == 0;
    int rs = startIn, re = endIn, ls = startIn, le = endIn;
    std::string rstop = "?", lstop = "?";
    const bool rr = ref::ParseStr(sql, keyword, stops, rs, re, rstop, anywhere);
    const bool lr = Parse::ParseStr(sql, keyword, stops, ls, le, lstop, anywhere);
    const bool same = rr == lr && rs == ls && re == le && rstop == lstop;
    EXPECT_TRUE(same) << "[" << Show(sql) << "] keyword [" << keyword << "] start " << startIn
                      << " end " << endIn << " anywhere " << anywhere << ": got " << lr << " "
                      << ls << "," << le << " [" << lstop << "] expected " << rr << " " << rs
                      << "," << re << " [" << rstop << "]";
    if (!same) ++mismatches;
  }
}

}  // namespace
