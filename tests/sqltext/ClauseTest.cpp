// Clause scanner and clause accessors.
#include <gtest/gtest.h>

#include "sqltext/Parse.h"

namespace {

const std::string CRLF = "\r\n";

using Getter = void (*)(const std::string&, std::string&);
using Setter = void (*)(std::string&, const std::string&);

std::string Get(Getter g, const std::string& sql) {
  std::string r = "junk";  // the result must be overwritten, not appended to
  g(sql, r);
  return r;
}

std::string Set(Setter s, std::string sql, const std::string& text) {
  s(sql, text);
  return sql;
}

struct GetCase {
  const char* name;
  Getter get;
  std::string sql;
  std::string expected;
};

TEST(ParseGetSQL, ClausesAreFoundAtTheTopLevelOnly) {
  const std::string sub =
      "select a from t where b in (select c from u where d = 'x order y') order by a";
  const std::string comment = "SELECT A FROM T /* WHERE X */ ORDER BY A";
  const GetCase cases[] = {
      {"where_skips_subselect_and_quotes", Parse::GetSQLWhere, sub,
       "where b in (select c from u where d = 'x order y')"},
      {"order_after_subselect", Parse::GetSQLOrder, sub, "order by a"},
      {"from_keeps_block_comment", Parse::GetSQLFrom, comment, "FROM T /* WHERE X */"},
      {"where_in_block_comment_ignored", Parse::GetSQLWhere, comment, ""},
      {"select_list", Parse::GetSQLSelect, "SELECT A, B FROM T", "SELECT A, B"},
      {"keyword_inside_word_ORDER_ID", Parse::GetSQLOrder, "SELECT ORDER_ID FROM T", ""},
      {"keyword_inside_word_XWHERE", Parse::GetSQLWhere, "SELECT XWHERE FROM T", ""},
      {"keyword_after_dot", Parse::GetSQLOrder, "SELECT T.ORDER FROM T", ""},
      {"keyword_before_paren", Parse::GetSQLWhere, "SELECT A FROM T WHERE(A=1)", "WHERE(A=1)"},
      {"keyword_after_balanced_paren", Parse::GetSQLWhere, "SELECT A FROM (T)WHERE A=1",
       "WHERE A=1"},
      {"nothing_after_unbalanced_paren", Parse::GetSQLWhere, "SELECT A) FROM T WHERE A=1", ""},
      {"any_letter_case_kept", Parse::GetSQLWhere, "select a from t WhErE x=1", "WhErE x=1"},
      {"where_in_line_comment_ignored", Parse::GetSQLWhere,
       "SELECT A FROM T // WHERE X\r\nORDER BY A", ""},
      {"line_comment_ends_at_line_break", Parse::GetSQLWhere,
       "SELECT A FROM T // c\r\nWHERE X = 1", "WHERE X = 1"},
      {"line_comment_ends_at_lone_cr", Parse::GetSQLWhere, "SELECT A FROM T // c\rWHERE X = 1",
       "WHERE X = 1"},
      {"line_comment_ends_at_lone_lf", Parse::GetSQLWhere, "SELECT A FROM T // c\nWHERE X = 1",
       "WHERE X = 1"},
      {"double_dash_is_no_comment", Parse::GetSQLWhere, "SELECT A FROM T -- WHERE X",
       "WHERE X"},
      {"keyword_right_after_quote", Parse::GetSQLFrom, "SELECT 'a'FROM T", ""},
      {"keyword_right_after_comment", Parse::GetSQLFrom, "SELECT A /*c*/FROM T", ""},
      {"where_stops_at_union", Parse::GetSQLWhere,
       "SELECT A FROM T WHERE A=1 UNION SELECT B FROM U WHERE B=2", "WHERE A=1"},
      {"unterminated_quote_hides_rest", Parse::GetSQLWhere, "SELECT 'A FROM T WHERE X", ""},
      {"group_by", Parse::GetSQLGroup, "SELECT A FROM T GROUP BY A HAVING COUNT(*) > 1",
       "GROUP BY A"},
      {"having", Parse::GetSQLHaving, "SELECT A FROM T GROUP BY A HAVING COUNT(*) > 1",
       "HAVING COUNT(*) > 1"},
      {"plan", Parse::GetSQLPlan, "SELECT A FROM T PLAN (T NATURAL) ORDER BY A",
       "PLAN (T NATURAL)"},
      {"for_update_runs_to_end", Parse::GetSQLForUpdate, "SELECT A FROM T FOR UPDATE OF A",
       "FOR UPDATE OF A"},
      {"union", Parse::GetSQLUnion, "SELECT A FROM T UNION SELECT B FROM U ORDER BY 1",
       "UNION SELECT B FROM U"},
      {"extract_from_not_taken", Parse::GetSQLFrom,
       "SELECT EXTRACT(YEAR FROM D) FROM T", "FROM T"},
      {"brackets_do_not_hide", Parse::GetSQLWhere, "SELECT [A FROM T WHERE B ]", "WHERE B ]"},
      {"insert_select_has_no_select", Parse::GetSQLSelect,
       "INSERT INTO T (A) SELECT A FROM U", ""},
      {"procedure_body_select_ignored", Parse::GetSQLSelect,
       "CREATE PROCEDURE P AS BEGIN SELECT A FROM T; END", ""},
      {"alter_trigger_body_ignored", Parse::GetSQLSelect,
       "ALTER TRIGGER X AS BEGIN SELECT A FROM T; END", ""},
      {"empty_statement", Parse::GetSQLWhere, "", ""},
  };
  for (const GetCase& c : cases) EXPECT_EQ(Get(c.get, c.sql), c.expected) << c.name;
}

struct SetCase {
  const char* name;
  Setter set;
  std::string sql;
  std::string text;
  std::string expected;
};

TEST(ParseSetSQL, ReplacesOrInsertsTheClauseOnLinesOfItsOwn) {
  const std::string ab = "SELECT A, B FROM T WHERE A = 1 ORDER BY B";
  const SetCase cases[] = {
      {"where_inserted_after_from", Parse::SetSQLWhere, "SELECT A FROM T", "WHERE C = 2",
       "SELECT A FROM T" + CRLF + "WHERE C = 2" + CRLF},
      {"where_replaced", Parse::SetSQLWhere, ab, "WHERE C = 2",
       "SELECT A, B FROM T" + CRLF + "WHERE C = 2" + CRLF + "ORDER BY B"},
      {"where_removed", Parse::SetSQLWhere, ab, "",
       "SELECT A, B FROM T" + CRLF + CRLF + "ORDER BY B"},
      {"empty_where_on_statement_without_one", Parse::SetSQLWhere, "SELECT A FROM T", "",
       "SELECT A FROM T" + CRLF + CRLF},
      {"empty_where_twice_adds_nothing_more", Parse::SetSQLWhere,
       "SELECT A FROM T" + CRLF + CRLF, "", "SELECT A FROM T" + CRLF + CRLF},
      {"order_replaced", Parse::SetSQLOrder, ab, "ORDER BY C",
       "SELECT A, B FROM T WHERE A = 1" + CRLF + "ORDER BY C" + CRLF},
      {"order_inserted_after_where", Parse::SetSQLOrder, "SELECT A FROM T WHERE A = 1",
       "ORDER BY C", "SELECT A FROM T WHERE A = 1" + CRLF + "ORDER BY C" + CRLF},
      {"new_text_trimmed", Parse::SetSQLOrder, "SELECT A FROM T", "  ORDER BY C \r\n",
       "SELECT A FROM T" + CRLF + "ORDER BY C" + CRLF},
      {"select_without_select_discards_head", Parse::SetSQLSelect, "junk FROM T",
       "SELECT X", CRLF + "SELECT X" + CRLF + "FROM T"},
      {"from_inserted_after_select", Parse::SetSQLFrom, "SELECT A", "FROM T",
       "SELECT A" + CRLF + "FROM T" + CRLF},
      {"group_after_where", Parse::SetSQLGroup, "SELECT A FROM T WHERE B = 1 ORDER BY A",
       "GROUP BY A", "SELECT A FROM T WHERE B = 1" + CRLF + "GROUP BY A" + CRLF + "ORDER BY A"},
      {"nothing_found_puts_in_front", Parse::SetSQLWhere, "garbage", "WHERE X",
       CRLF + "WHERE X" + CRLF + "garbage"},
      {"empty_statement", Parse::SetSQLWhere, "", "WHERE X", CRLF + "WHERE X" + CRLF},
      {"for_update_appended_untrimmed", Parse::SetSQLForUpdate, "SELECT A FROM T",
       " FOR UPDATE", "SELECT A FROM T" + CRLF + " FOR UPDATE"},
      {"for_update_replaced_to_end", Parse::SetSQLForUpdate,
       "SELECT A FROM T FOR UPDATE OF A", "FOR UPDATE",
       "SELECT A FROM T" + CRLF + "FOR UPDATE" + CRLF},
      {"for_update_on_empty", Parse::SetSQLForUpdate, "", "FOR UPDATE", CRLF + "FOR UPDATE"},
      // An absent clause goes after the nearest clause before it that is present.
      {"having_after_where_without_group", Parse::SetSQLHaving,
       "SELECT A FROM T WHERE B = 1 ORDER BY A", "HAVING X",
       "SELECT A FROM T WHERE B = 1" + CRLF + "HAVING X" + CRLF + "ORDER BY A"},
      {"having_after_group", Parse::SetSQLHaving, "SELECT A FROM T GROUP BY A ORDER BY A",
       "HAVING X", "SELECT A FROM T GROUP BY A" + CRLF + "HAVING X" + CRLF + "ORDER BY A"},
      {"union_after_having", Parse::SetSQLUnion, "SELECT A FROM T HAVING X ORDER BY A",
       "UNION SELECT B FROM U",
       "SELECT A FROM T HAVING X" + CRLF + "UNION SELECT B FROM U" + CRLF + "ORDER BY A"},
      {"plan_after_union", Parse::SetSQLPlan, "SELECT A FROM T UNION SELECT B FROM U ORDER BY A",
       "PLAN (T NATURAL)",
       "SELECT A FROM T UNION SELECT B FROM U" + CRLF + "PLAN (T NATURAL)" + CRLF + "ORDER BY A"},
      {"order_after_plan", Parse::SetSQLOrder, "SELECT A FROM T PLAN (T NATURAL) FOR UPDATE",
       "ORDER BY A",
       "SELECT A FROM T PLAN (T NATURAL)" + CRLF + "ORDER BY A" + CRLF + "FOR UPDATE"},
      {"order_after_group", Parse::SetSQLOrder, "SELECT A FROM T GROUP BY A FOR UPDATE",
       "ORDER BY A", "SELECT A FROM T GROUP BY A" + CRLF + "ORDER BY A" + CRLF + "FOR UPDATE"},
      {"order_after_select_only", Parse::SetSQLOrder, "SELECT A", "ORDER BY A",
       "SELECT A" + CRLF + "ORDER BY A" + CRLF},
      {"group_after_from_without_select", Parse::SetSQLGroup, "FROM T", "GROUP BY A",
       "FROM T" + CRLF + "GROUP BY A" + CRLF},
      {"from_in_front_when_nothing_precedes", Parse::SetSQLFrom, "WHERE X", "FROM T",
       CRLF + "FROM T" + CRLF + "WHERE X"},
      {"select_replaced_up_to_from", Parse::SetSQLSelect, "SELECT A FROM T", "SELECT B",
       CRLF + "SELECT B" + CRLF + "FROM T"},
      {"where_replaced_keeps_subselect_of_from", Parse::SetSQLWhere,
       "SELECT A FROM (SELECT B FROM U WHERE C) WHERE D", "WHERE E",
       "SELECT A FROM (SELECT B FROM U WHERE C)" + CRLF + "WHERE E" + CRLF},
  };
  for (const SetCase& c : cases) EXPECT_EQ(Set(c.set, c.sql, c.text), c.expected) << c.name;
}

TEST(ParseStr, PositionsFollowTheScanRules) {
  struct Case {
    const char* name;
    std::string sql, keyword;
    std::vector<std::string> stops;
    int startIn, endIn;
    bool anywhere;
    bool result;
    int start, end;
    std::string stop;
  };
  const Case cases[] = {
      {"absent_keyword_keeps_start", "SELECT A", "FROM", {"WHERE"}, 0, 0, false, false, 0, 9, ""},
      {"keyword_without_stop_runs_to_end", "SELECT A", "SELECT", {"FROM"}, 0, 0, false, false,
       1, 9, ""},
      {"stop_found", "SELECT A FROM T", "SELECT", {"WHERE", "FROM"}, 0, 0, false, true, 1, 10,
       "FROM"},
      {"empty_stop_word_needs_two_boundaries", "FOR UPDATE", "FOR", {""}, 0, 0, false, false,
       1, 11, ""},
      {"empty_stop_word_runs_past_range", "FOR  UPDATE", "FOR", {""}, 0, 0, false, true, 1, 12,
       ""},
      {"end_beyond_text_is_length", "SELECT A", "SELECT", {"FROM"}, 0, 500, false, false, 1, 9,
       ""},
      {"start_position_honoured", "A FROM B FROM", "FROM", {}, 4, 0, false, false, 10, 14, ""},
      {"negative_start_is_first", "A FROM B", "FROM", {}, -5, 0, false, false, 3, 9, ""},
      {"start_past_text_finds_nothing", "A FROM B", "FROM", {}, 20, 0, false, false, 20, 9, ""},
      {"end_limits_the_scan", "A FROM B WHERE C", "FROM", {"WHERE"}, 0, 9, false, false, 3, 10,
       ""},
      {"stop_word_letter_case_ignored", "select a from t", "SELECT", {"FROM"}, 0, 0, false, true,
       1, 10, "FROM"},
      {"stops_anywhere_needs_no_boundary", "CREATE XTRIGGER", "CREATE", {"TRIGGER"}, 0, 0, true,
       true, 1, 9, "TRIGGER"},
      {"boundary_needed_otherwise", "CREATE XTRIGGER", "CREATE", {"TRIGGER"}, 0, 0, false,
       false, 1, 16, ""},
      {"empty_keyword_found_at_start", "A WHERE B", "", {"WHERE"}, 0, 0, false, true, 1, 3,
       "WHERE"},
  };
  for (const Case& c : cases) {
    int start = c.startIn, end = c.endIn;
    std::string stop;
    bool r = Parse::ParseStr(c.sql, c.keyword, c.stops, start, end, stop, c.anywhere);
    EXPECT_EQ(r, c.result) << c.name;
    EXPECT_EQ(start, c.start) << c.name;
    EXPECT_EQ(end, c.end) << c.name;
    EXPECT_EQ(stop, c.stop) << c.name;
  }
  // An empty text leaves every in/out argument untouched.
  int start = 7, end = 8;
  std::string stop = "x";
  EXPECT_FALSE(Parse::ParseStr("", "A", {"B"}, start, end, stop, false));
  EXPECT_EQ(start, 7);
  EXPECT_EQ(end, 8);
  EXPECT_EQ(stop, "x");
}

TEST(ParseScanState, CommentDelimitersAreConsumedInPairs) {
  // "/*/" does not close the comment its first two characters open.
  EXPECT_EQ(Get(Parse::GetSQLWhere, "SELECT A FROM T /*/ WHERE X"), "");
  // "*//*" closes one block comment and opens the next, not a line comment.
  EXPECT_EQ(Get(Parse::GetSQLWhere, "SELECT A /* a *//* b */ FROM T\nWHERE X"), "WHERE X");
  EXPECT_EQ(Get(Parse::GetSQLWhere, "SELECT A /* a *//* WHERE */ FROM T"), "");

  Parse::ScanState s;
  const std::string t = "'a''b'(";
  for (int p = 1; p <= 6; ++p) Parse::AdvanceScanState(t, p, s);
  EXPECT_FALSE(s.inSingleQuote);  // a doubled quote closes and reopens the string
  Parse::AdvanceScanState(t, 7, s);
  EXPECT_EQ(s.parenDepth, 1);
  // Positions outside the text are not read and change nothing.
  Parse::AdvanceScanState(t, 0, s);
  Parse::AdvanceScanState(t, 8, s);
  EXPECT_EQ(s.parenDepth, 1);
  EXPECT_FALSE(s.inSingleQuote);
}

TEST(ParseSubStrings, RangesAndEdges) {
  struct Case {
    int first, stop;
    std::string expected;
  } cases[] = {{1, 3, "ab"}, {0, 3, ""}, {2, 0, "bcd"}, {3, 3, ""}, {3, 2, ""}, {3, 99, "cd"},
               {9, 12, ""}};
  for (const Case& c : cases) {
    std::string r = "junk";
    Parse::SubStrings("abcd", r, c.first, c.stop);
    EXPECT_EQ(r, c.expected) << c.first << "," << c.stop;
  }
}

TEST(ParseCharIsDelimiter, TheDelimiterSet) {
  const std::string delimiters = std::string(" \t\r\n") + '\0' + "!()*,/:;<=>?";
  for (char c : delimiters) EXPECT_TRUE(Parse::CharIsDelimiter(c)) << int(c);
  for (char c : std::string("+-.|[]aZ0_'\"") + '\xE9') EXPECT_FALSE(Parse::CharIsDelimiter(c)) << c;
}

TEST(ParseReplaceSection, ClauseStandsOnItsOwnLine) {
  std::string s = "HEAD  \r\n MID \r\n  TAIL";
  Parse::ReplaceSection(s, " NEW ", 7, 14);
  EXPECT_EQ(s, "HEAD\r\nNEW\r\nTAIL");
  std::string t = "ABC";
  Parse::ReplaceSection(t, "X", 0, 0);
  EXPECT_EQ(t, "X\r\n");
  std::string u = "ABCDEF";
  Parse::ReplaceSection(u, "X", 5, 2);  // a resume before the first repeats the middle
  EXPECT_EQ(u, "ABCD\r\nX\r\nBCDEF");
}

}  // namespace
