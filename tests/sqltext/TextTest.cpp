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
      {"name_ends_at_delimiter_three_more_dropped", "X=?abcdNM)123Y", "X=:NMY"},
      {"two_markers", "?1234A,xyz?1234B", ":A:B"},
      {"marker_in_line_comment_dropped", "A // ? x\nB", "A \nB"},
      {"marker_in_double_quotes_kept", "\"?a\" ?1234N ", "\"?a\" :N"},
      {"comment_delimiters_copied_whole", "/**/?1234N", "/**/:N"},
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
      {"letter_case_is_duplicate", "<<Name>> <<NAME>> <<name>>", {"Name"}},
      {"code_page_case_is_duplicate", "<<caf\xE9>> <<CAF\xC9>> <<\xFF>> <<\x9F>>", {"caf\xE9", "\xFF"}},
      {"sharp_s_is_not_ss", "<<stra\xDF" "e>> <<STRASSE>>", {"stra\xDF" "e", "STRASSE"}},
      {"prefix_and_blank_differ", "<<A1>> <<A10>> <<a1 >> <<a10>>", {"A1", "A10", "a1 "}},
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

// Many names in mixed case, accented ones among them: the result is what adding each
// name unless the list's IndexOf finds it gives, for an unsorted and a sorted list.
TEST(ParseGetMergeFields, SameAsIndexOfLookupOnManyNames) {
  std::string text;
  std::vector<std::string> names;
  for (int i = 0; i < 3000; ++i) {
    const int k = (i * 7919) % 1000;  // every name comes back three times
    std::string name = "f\xE9ld_" + std::to_string(k);
    if (i % 3 == 1) name = SysUtils::AnsiUpperCase(name);
    if (i % 5 == 2) name[0] = 'F';
    names.push_back(name);
    text += "x <<" + name + ">> y";
  }
  for (bool sorted : {false, true}) {
    Classes::TStringList expected;
    expected.SetSorted(sorted);
    for (const std::string& name : names)
      if (expected.IndexOf(name) < 0) expected.Add(name);
    Classes::TStringList list;
    list.SetSorted(sorted);
    Parse::GetMergeFields(text, &list);
    ASSERT_EQ(list.Count(), 1000) << "sorted " << sorted;
    EXPECT_EQ(list.Text(), expected.Text()) << "sorted " << sorted;
  }
}

TEST(ParseCriteria, LiteralsAreRecognisedBuiltAndStripped) {
  struct Case {
    const char* name;
    std::string text;
    bool literal;
    std::string made, stripped;
  } cases[] = {
      {"apostrophe_doubled", "O'Brien", false, "'O''Brien'", "O'Brien"},
      {"literal_kept", "'abc'", true, "'abc'", "abc"},
      {"literal_undoubled", "'O''Brien'", true, "'O''Brien'", "O'Brien"},
      {"blanks_kept_or_trimmed", "  'x'  ", true, "  'x'  ", "x"},
      {"two_quotes_are_empty_literal", "''", true, "''", ""},
      {"one_quote_is_too_short", "'", false, "''''", "'"},
      {"mixed_quotes_quoted_again", "'a\"", false, "'''a\"'", "'a\""},
      {"double_quotes_not_undoubled", "\"a\"\"b\"", true, "\"a\"\"b\"", "a\"\"b"},
      {"empty", "", false, "''", ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Parse::is_literal_criteria(c.text), c.literal) << c.name;
    EXPECT_EQ(Parse::make_literal_criteria(c.text), c.made) << c.name;
    EXPECT_EQ(Parse::strip_literal_criteria(c.text), c.stripped) << c.name;
  }
  EXPECT_EQ(Parse::convert_literals("a'b\"c''"), "a''b\"c''''");
}

TEST(ParseCriteria, WildcardsAndEscapes) {
  struct Case {
    const char* name;
    std::string text;
    std::string sql, stripped;
    bool wildcards, sqlWildcards;
  } cases[] = {
      {"user_wildcards", "A*B?C", "A%B_C", "A*B?C", true, false},
      {"escaped_percent_kept", "100#%*", "100#%%", "100%*", true, false},
      {"escaped_star_loses_escape", "a#*b", "a*b", "a*b", false, false},
      {"doubled_escape_kept", "a##b", "a##b", "a#b", false, false},
      {"final_escape_kept", "ab#", "ab#", "ab#", false, false},
      {"wildcard_before_final_escape", "a?b#", "a_b#", "a?b#", true, false},
      {"sql_wildcards_copied", "50%", "50%", "50%", true, true},
      {"underscore_counts_for_sql", "a_b", "a_b", "a_b", true, true},
      {"star_is_no_sql_wildcard", "a*b", "a%b", "a*b", true, false},
      {"escaped_escape_then_star", "##*", "##%", "#*", true, false},
      {"empty", "", "", "", false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Parse::convert_wildcards_tosql(c.text, '#'), c.sql) << c.name;
    EXPECT_EQ(Parse::strip_escapechar(c.text, '#'), c.stripped) << c.name;
    EXPECT_EQ(Parse::contains_wildcards(c.text, '#'), c.wildcards) << c.name;
    EXPECT_EQ(Parse::contains_sqlwildcards(c.text, '#'), c.sqlWildcards) << c.name;
  }
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
  struct Op {
    const char* name;
    std::string text;
    int pos;
  } ops[] = {{"bang_first", "a = b < c", 7},  {"not_equal", "x != 1", 3},
             {"none", "abc", 0},              {"greater_before_equal", "a = b > c", 7},
             {"only_equal", "a = b", 3},      {"empty", "", 0}};
  for (const Op& o : ops) {
    EXPECT_EQ(Parse::rel_op_pos(o.text), o.pos) << o.name;
    EXPECT_EQ(Parse::contains_relational_ops(o.text), o.pos != 0) << o.name;
  }
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
  struct StarCase {
    std::string pattern, text;
    int code;
  } stars[] = {
      {"*.txt", "a.txt", 1}, {"*", "abc", 1},   {"*", "", 3},     {"*?", "ab", 1},
      {"*?", "a", 3},        {"*a", "aba", 1},  {"*a", "abc", 2}, {"*x", "abc", 3},
      // A malformed set fails each attempt; the later candidate's failure is returned.
      {"*ab[c", "abay", 5},  {"*ab[c", "xxabz", 6},
  };
  for (const StarCase& c : stars)
    EXPECT_EQ(Parse::match_after_star(c.pattern, c.text), c.code) << c.pattern << " ~ " << c.text;
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
  EXPECT_EQ(Parse::GetCharValues("#65#66"), "AB");
  EXPECT_EQ(Parse::GetCharValues("#2335"), "\xE9" "5");
  EXPECT_EQ(Parse::GetCharValues("#300"), ",");
  EXPECT_EQ(Parse::GetCharValues("a#"), std::string("a") + '\0');

  // The control codes 27 to 31 take the number escape, since backslash + code + 65 would
  // read back as the printable characters \ ] ^ _ and the grave accent.
  EXPECT_EQ(Parse::SetCharValues("\x1B\x1F"), "#027#031");

  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  std::string escaped = Parse::SetCharValues(all);
  for (char c : escaped) {
    EXPECT_GE(static_cast<unsigned char>(c), 32);
    EXPECT_LT(static_cast<unsigned char>(c), 128);
  }
  std::string back = Parse::GetCharValues(escaped);
  ASSERT_EQ(back.size(), 256u);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(back[i], all[i]) << "code " << i;
  // Each byte before a digit, which must not run into a number escape.
  for (int i = 0; i < 256; ++i) {
    const std::string one = std::string(1, static_cast<char>(i)) + "7";
    EXPECT_EQ(Parse::GetCharValues(Parse::SetCharValues(one)), one) << "code " << i;
  }
}

TEST(ParsePadding, PadRightAndRTrim) {
  EXPECT_EQ(Parse::PadRight("abc", '.', 6, false), "abc...");
  EXPECT_EQ(Parse::PadRight("abcdef", '.', 4, true), "abcd");
  EXPECT_EQ(Parse::PadRight("abcdef", '.', 4, false), "abcdef");
  EXPECT_EQ(Parse::PadRight("ab", '.', 0, false), "ab");
  EXPECT_EQ(Parse::PadRight("ab", '.', -3, false), "ab");
  EXPECT_EQ(Parse::PadRight("ab", '.', -3, true), "");
  EXPECT_EQ(Parse::PadRight("ab", '.', 2, true), "ab");
  std::string s = "ab \t\r\n";
  Parse::RTrim(s);
  EXPECT_EQ(s, "ab");
}

}  // namespace
