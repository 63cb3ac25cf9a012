// Statement rewriting, criteria helpers, wildcard matching, dates in text and the byte
// utilities.
#include <gtest/gtest.h>

#include <cstring>

#include "sqltext/Parse.h"

namespace {

const std::string CRLF = "\r\n";

TEST(ParseMakeCountSQL, SelectReplacedAndTrailingClausesDropped) {
  struct Case {
    const char* name;
    std::string sql, expected;
  } cases[] = {
      {"where_kept_order_dropped", "SELECT A, B FROM T WHERE A = 1 ORDER BY B",
       "SELECT COUNT( * )" + CRLF + "FROM T WHERE A = 1"},
      {"plan_order_for_dropped", "SELECT A FROM T PLAN (T NATURAL) ORDER BY A FOR UPDATE",
       "SELECT COUNT( * )" + CRLF + "FROM T"},
      {"no_select_replaces_head", "junk FROM T", "SELECT COUNT( * )" + CRLF + "FROM T"},
  };
  for (const Case& c : cases) {
    std::string r = "junk";
    Parse::MakeCountSQL(c.sql, r);
    EXPECT_EQ(r, c.expected) << c.name;
  }
}

TEST(ParseAddWhereClause, ConditionsCombineWithAnd) {
  struct Case {
    const char* name;
    bool high;
    std::string where, condition, expected;
  } cases[] = {
      {"first_condition", false, "", "A = 1", "WHERE A = 1"},
      {"second_after", false, "WHERE A = 1", "B = 2", "WHERE A = 1" + CRLF + "  AND B = 2"},
      {"or_parenthesises_existing", false, "WHERE A = 1", "B = 2 or C = 3",
       " WHERE (" + CRLF + "      A = 1 )" + CRLF + "  AND B = 2 or C = 3"},
      {"high_before", true, "WHERE A = 1", "B = 2", "WHERE B = 2" + CRLF + "  AND A = 1"},
      {"high_or", true, "WHERE A = 1", "B = 2 or C = 3",
       "WHERE ( B = 2 or C = 3 ) " + CRLF + "  AND  ( A = 1 )"},
      {"blank_condition_only_trims", false, "  WHERE A = 1 ", "   ", "WHERE A = 1"},
      {"blank_condition_only_trims_high", true, "  WHERE A = 1 ", " \t ", "WHERE A = 1"},
      {"or_needs_blanks_both_sides", false, "WHERE X", "A=1 OR(B=2)",
       "WHERE X" + CRLF + "  AND A=1 OR(B=2)"},
  };
  for (const Case& c : cases) {
    std::string w = c.where;
    if (c.high) Parse::AddWhereClauseHigh(w, c.condition);
    else Parse::AddWhereClause(w, c.condition);
    EXPECT_EQ(w, c.expected) << c.name;
  }
}

TEST(ParseMakeClientSQL, ParameterMarkersAndComments) {
  struct Case {
    const char* name;
    std::string sql, expected;
  } cases[] = {
      {"marker_rewritten", "A = ?1234NAME,xyzB", "A = :NAMEB"},
      {"marker_in_quotes_kept", "A = '?x' ", "A = '?x' "},
      {"line_comment_dropped_break_kept", "A // note\r\nB", "A \r\nB"},
      {"block_comment_kept", "A /* ? */ B", "A /* ? */ B"},
      {"marker_near_end_stops_cleanly", "A = ?12", "A = :"},
      {"empty", "", ""},
  };
  for (const Case& c : cases) {
    std::string r = "junk";
    Parse::MakeClientSQL(c.sql, r, ':');
    EXPECT_EQ(r, c.expected) << c.name;
  }
}

TEST(ParseGetMergeFields, DistinctNamesInOrder) {
  struct Case {
    const char* name;
    std::string text;
    std::vector<std::string> expected;
  } cases[] = {
      {"two_names_one_repeated", "Dear <<NAME>>, your <<ITEM>> for <<NAME>>", {"NAME", "ITEM"}},
      {"empty_field_adds_nothing", "a <<>> b", {}},
      {"unterminated_loses_last_char", "ab<<NAME", {"NAM"}},
      {"inner_open_marker_is_name", "<<a<<b>>", {"a<<b"}},
      {"empty_text", "", {}},
  };
  for (const Case& c : cases) {
    Classes::TStringList list;
    list.Add("stale");
    Parse::GetMergeFields(c.text, &list);
    ASSERT_EQ(list.Count(), static_cast<int>(c.expected.size())) << c.name;
    for (int i = 0; i < list.Count(); ++i) EXPECT_EQ(list.Get(i), c.expected[i]) << c.name;
  }
  Parse::GetMergeFields("<<A>>", nullptr);  // an absent list is allowed
}

TEST(ParseCriteria, LiteralsAndWildcards) {
  EXPECT_EQ(Parse::make_literal_criteria("O'Brien"), "'O''Brien'");
  EXPECT_EQ(Parse::make_literal_criteria("'abc'"), "'abc'");
  EXPECT_EQ(Parse::make_literal_criteria(""), "''");
  EXPECT_EQ(Parse::make_literal_criteria("'a\""), "'''a\"'");
  EXPECT_EQ(Parse::strip_literal_criteria("'O''Brien'"), "O'Brien");
  EXPECT_EQ(Parse::strip_literal_criteria("  'x'  "), "x");
  EXPECT_EQ(Parse::strip_literal_criteria("''"), "");
  EXPECT_EQ(Parse::strip_literal_criteria("\"a\"\"b\""), "a\"\"b");
  EXPECT_FALSE(Parse::is_literal_criteria("'"));
  EXPECT_TRUE(Parse::is_literal_criteria("''"));
  EXPECT_FALSE(Parse::is_literal_criteria("'a\""));

  struct Conv {
    std::string in, out;
  } conv[] = {{"A*B?C", "A%B_C"}, {"100#%*", "100#%%"}, {"a#*b", "a*b"},
              {"a##b", "a##b"},   {"ab#", "ab#"},       {"", ""}};
  for (const Conv& c : conv) EXPECT_EQ(Parse::convert_wildcards_tosql(c.in, '#'), c.out) << c.in;
  EXPECT_EQ(Parse::strip_escapechar("100#%", '#'), "100%");
  EXPECT_EQ(Parse::strip_escapechar("a##b", '#'), "a#b");
  EXPECT_EQ(Parse::strip_escapechar("ab#", '#'), "ab#");
  EXPECT_FALSE(Parse::contains_wildcards("a#*b", '#'));
  EXPECT_TRUE(Parse::contains_wildcards("50%", '#'));
  EXPECT_FALSE(Parse::contains_wildcards("ab#", '#'));
  EXPECT_TRUE(Parse::contains_wildcards("a?b#", '#'));
  EXPECT_FALSE(Parse::contains_sqlwildcards("a*b", '#'));
  EXPECT_TRUE(Parse::contains_sqlwildcards("a_b", '#'));
}

TEST(ParseCriteria, SearchPrefixesAndOperators) {
  struct Case {
    std::string text;
    bool search, like;
  } cases[] = {
      {"between 1 and 2", true, false}, {"Containing x", true, false}, {"in(1,2)", true, false},
      {"in (1,2)", false, false},       {"IS NULL", true, false},     {"is nullx", true, false},
      {"is not null", true, false},     {"LIKE 'a%'", true, true},    {"not like 'a'", true, true},
      {"not starting x", true, false},  {"not in(1)", true, false},   {"starting a", true, false},
      {" like x", false, false},        {"", false, false},           {"likex", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Parse::beginswith_sqlsearch(c.text), c.search) << c.text;
    EXPECT_EQ(Parse::beginswith_sqllike(c.text), c.like) << c.text;
  }
  EXPECT_EQ(Parse::rel_op_pos("a = b < c"), 7);
  EXPECT_EQ(Parse::rel_op_pos("x != 1"), 3);
  EXPECT_EQ(Parse::rel_op_pos("abc"), 0);
  EXPECT_TRUE(Parse::contains_relational_ops("a>b"));
  EXPECT_FALSE(Parse::contains_relational_ops("ab"));
}

TEST(ParseMatche, ResultCodes) {
  struct Case {
    std::string pattern, text;
    int code;
  } cases[] = {
      {"abc", "ABC", 1},   {"a?c", "abc", 1},       {"a*", "a", 1},          {"a*", "abc", 1},
      {"a**", "a", 3},     {"a**", "ab", 1},        {"*.txt", "file.txt", 1}, {"ab", "abc", 2},
      {"abc", "ab", 3},    {"[!a]x", "bx", 1},      {"[!a]x", "ax", 4},      {"a[bc", "ab", 6},
      {"[a-]", "a", 6},    {"[z-a]", "m", 1},       {"", "", 1},             {"", "a", 2},
      {"*", "", 1},        {"*", "anything", 1},    {"[]", "a", 6},          {"[-a]", "-", 1},
      {"[-a]", "a", 1},    {"[A-Z]", "q", 1},       {"[a-Z]", "Q", 1},       {"abc", "abd", 5},
      {"[^0-9]", "5", 4},  {"[0-9]", "x", 4},
      {"[0-9][0-9]/[0-9][0-9]/[0-9][0-9][0-9][0-9]*", "12/31/1999 10:00", 1},
      // A star tries every candidate position, not only the first.
      {"*a", "aba", 1},    {"*b*c", "abxbyc", 1},   {"*ab", "aab", 1},       {"*a", "abc", 2},
      {"*x", "abc", 3},    {"*[0-9]z", "a1b2z", 1}, {"a*b*c*d", "aXbYcZd", 1},
      {"\xC9T\xC9", "\xE9t\xE9", 1},  // accented capitals match their small letters
  };
  for (const Case& c : cases) EXPECT_EQ(Parse::matche(c.pattern, c.text), c.code) << c.pattern << " ~ " << c.text;
  EXPECT_EQ(Parse::match_after_star("*.txt", "a.txt"), 1);
  EXPECT_TRUE(Parse::IsMatch("a*", "ABC"));
  EXPECT_FALSE(Parse::IsMatch("a[", "a"));
}

TEST(ParseMatche, ManyStarsStayPolynomial) {
  // Forty stars and letters against 100 kB: exponential back-tracking would never end.
  std::string pattern;
  for (int i = 0; i < 20; ++i) pattern += "*a";
  pattern += "*b";
  std::string text(100000, 'a');
  EXPECT_EQ(Parse::matche(pattern, text), 3);
  text.back() = 'b';
  EXPECT_EQ(Parse::matche(pattern, text), 1);
}

class ParseDates : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = SysUtils::FormatSettings(); }
  void TearDown() override { SysUtils::FormatSettings() = saved_; }
  SysUtils::TFormatSettings saved_;
};

TEST_F(ParseDates, DateLengthAndTime) {
  struct Case {
    std::string text;
    int length;
  } cases[] = {{"31/12/1999", 10}, {"31/12/99", 8},  {"1/2/2000", 8},   {"5/Jan/2001", 10},
               {"05/jan/01", 9},   {"31-12-1999", 0}, {"12/3/1999", 9},  {"1/12/99", 7},
               {"31/12/1999 10:30", 10},   {"", 0},   {"05/J\xE9n/01", 0}, {"1/2/3", 0}};
  for (const Case& c : cases) EXPECT_EQ(Parse::get_DateLength(c.text), c.length) << c.text;

  struct TimeCase {
    std::string text;
    bool has;
  } times[] = {{"10:30", true},           {"7:05:00", true},    {"31/12/1999", false},
               {"31/12/1999 10:30", true}, {"", false},          {"10.30", false},
               {"31/12/1999   7:5", true}};
  for (const TimeCase& c : times) EXPECT_EQ(Parse::get_HasTime(c.text), c.has) << c.text;

  SysUtils::FormatSettings().DateSeparator = '.';
  SysUtils::FormatSettings().TimeSeparator = '.';
  EXPECT_EQ(Parse::get_DateLength("31.12.1999"), 10);
  EXPECT_EQ(Parse::get_DateLength("31/12/1999"), 0);
  EXPECT_TRUE(Parse::get_HasTime("10.30"));
}

TEST_F(ParseDates, FirstAndLastInstantInTheLongTimeFormat) {
  EXPECT_EQ(Parse::get_00AM(), "00:00:00");
  EXPECT_EQ(Parse::get_12PM(), "23:59:59");
  SysUtils::FormatSettings().LongTimeFormat = "h:nn:ss.zzz am/pm";
  EXPECT_EQ(Parse::get_00AM(), "12:00:00.000 am");
  EXPECT_EQ(Parse::get_12PM(), "11:59:59.999 pm");
}

TEST(ParseBytes, HexTextRoundTripsEveryByte) {
  unsigned char all[256];
  for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(i);
  std::string hex = Parse::BinaryToHexText(all, 256);
  ASSERT_EQ(hex.size(), 512u);
  EXPECT_EQ(hex.substr(0, 6), "000102");
  unsigned char back[256] = {};
  Parse::HexTextToBinary(hex, back, 256);
  EXPECT_EQ(std::memcmp(all, back, 256), 0);

  const unsigned char three[] = {0, 26, 255};
  EXPECT_EQ(Parse::BinaryToHexText(three, 3), "001AFF");
  EXPECT_EQ(Parse::BinaryToHexText(three, 0), "");

  unsigned char b[2] = {7, 7};
  Parse::HexTextToBinary("aBzz", b, 2);  // lower-case digits count, others are 0
  EXPECT_EQ(b[0], 0xAB);
  EXPECT_EQ(b[1], 0x00);
  Parse::HexTextToBinary("", b, 0);
  unsigned char untouched[2] = {1, 2};
  try {
    Parse::HexTextToBinary("ABC", untouched, 2);
    FAIL() << "short text accepted";
  } catch (const Parse::EParseError& e) {
    EXPECT_STREQ(e.what(), "Invalid text in HexTextToBinary");
  }
  EXPECT_EQ(untouched[0], 1);
  EXPECT_EQ(untouched[1], 2);
}

TEST(ParseBytes, CharValuesEscapeAndRestore) {
  struct Case {
    std::string plain, escaped;
  } cases[] = {{"a=b;c", "a\\=b\\;c"}, {"C:\\dir", "C:\\\\dir"}, {"x\r\ny", "x\\N\\Ky"},
               {"\xE9", "#233"},       {"#", "\\#"},              {std::string(1, '\0'), "\\A"}};
  for (const Case& c : cases) {
    EXPECT_EQ(Parse::SetCharValues(c.plain), c.escaped) << c.escaped;
    EXPECT_EQ(Parse::GetCharValues(c.escaped), c.plain) << c.escaped;
  }
  EXPECT_EQ(Parse::SetCharValues("\x1F"), "\\`");
  EXPECT_EQ(Parse::GetCharValues("#65#66"), "AB");
  EXPECT_EQ(Parse::GetCharValues("#2335"), "\xE9" "5");
  EXPECT_EQ(Parse::GetCharValues("#300"), ",");
  EXPECT_EQ(Parse::GetCharValues("a#"), std::string("a") + '\0');

  // Every byte but the control codes 27 to 31 comes back unchanged.
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  std::string escaped = Parse::SetCharValues(all);
  for (char c : escaped) EXPECT_LT(static_cast<unsigned char>(c), 128);
  std::string back = Parse::GetCharValues(escaped);
  ASSERT_EQ(back.size(), 256u);
  const char lost[] = {'\\', ']', '^', '_', '`'};
  for (int i = 0; i < 256; ++i) {
    char expected = (i >= 27 && i <= 31) ? lost[i - 27] : static_cast<char>(i);
    EXPECT_EQ(back[i], expected) << "code " << i;
  }
}

TEST(ParsePadding, PadRightAndRTrim) {
  EXPECT_EQ(Parse::PadRight("abc", '.', 6, false), "abc...");
  EXPECT_EQ(Parse::PadRight("abcdef", '.', 4, true), "abcd");
  EXPECT_EQ(Parse::PadRight("abcdef", '.', 4, false), "abcdef");
  EXPECT_EQ(Parse::PadRight("ab", '.', 0, false), "ab");
  EXPECT_EQ(Parse::PadRight("ab", '.', -3, true), "ab");
  std::string s = "ab \t\r\n";
  Parse::RTrim(s);
  EXPECT_EQ(s, "ab");
}

}  // namespace
