// The oracle's evaluation on hand-made lines over hand-made rows: a fault here would
// make every oracle run judge the dialog wrongly.
#include <gtest/gtest.h>

#include "tests/oracle/OracleModel.h"

namespace oracle {
namespace {

constexpr int I_NUM = 0, F_NUM = 1, S_TEXT = 2, D_DATE = 3, T_TIME = 4, TS_STAMP = 5;

std::vector<TRow> FixedRows() {
  std::vector<TRow> rows(5);
  for (int i = 0; i < 5; ++i) rows[i].Id = i + 1;
  rows[0].I = 1, rows[0].F = 2.5, rows[0].S = "abc", rows[0].D = TDate{2000, 2, 29};
  rows[0].T = TTime{12, 30, 0}, rows[0].TSDate = TDate{2000, 1, 1}, rows[0].TSTime = TTime{};
  rows[1].S = "ABC ", rows[1].F = -0.25, rows[1].T = TTime{12, 30, 5};
  rows[2].I = 5, rows[2].F = 12.25, rows[2].TSDate = TDate{2000, 1, 1}, rows[2].TSTime = TTime{8, 0, 0};
  rows[3].I = -3, rows[3].S = "\x80";  // euro sign
  rows[4].I = 7, rows[4].S = "\xE9t\xE9";  // été
  return rows;
}

TLine L(const char* Open, int Column, std::optional<TOp> Op, const char* Typed, const char* Close, int Connector = 0) {
  return {Open, Close, Column, Op, Typed, Connector};
}

TEST(OracleEvaluation, SelectsByThreeValuedLogicPrecedenceAndEngineSemantics) {
  using Ids = std::set<int>;
  const TEngine fb = TEngine::Firebird, lite = TEngine::Sqlite;
  struct Case {
    const char* name;
    std::vector<TEngine> engines;
    TCriteria criteria;
    Ids selected;
  } cases[] = {
      // NULL is neither equal nor unequal.
      {"null_unknown", {fb, lite}, {{L("", I_NUM, TOp::Ne, "1", "")}}, Ids{3, 4, 5}},
      {"is_null", {fb, lite}, {{L("", I_NUM, TOp::IsNull, "", "")}}, Ids{2}},
      // AND binds tighter than OR; parentheses regroup.
      {"and_before_or",
       {fb, lite},
       {{L("", I_NUM, TOp::Gt, "4", "", 2), L("", S_TEXT, TOp::Eq, "abc", "", 1), L("", F_NUM, TOp::Gt, "0", "")}},
       Ids{1, 3, 5}},
      {"parentheses",
       {fb, lite},
       {{L("(", I_NUM, TOp::Gt, "4", "", 2), L("", S_TEXT, TOp::Eq, "abc", ")", 1), L("", F_NUM, TOp::Gt, "0", "")}},
       Ids{1, 3}},
      // Unknown OR true is true; unknown AND true is not.
      {"unknown_or_true", {fb, lite}, {{L("", I_NUM, TOp::Gt, "0", "", 2), L("", F_NUM, TOp::Lt, "0", "")}}, Ids{1, 2, 3, 5}},
      // Trailing blanks do not count on Firebird; both fold case the same way.
      {"trailing_blank_fb", {fb}, {{L("", S_TEXT, TOp::Eq, "abc", "")}}, Ids{1, 2}},
      {"trailing_blank_sqlite", {lite}, {{L("", S_TEXT, TOp::Eq, "abc", "")}}, Ids{1}},
      {"case_sensitive", {fb, lite}, {{L("", S_TEXT, TOp::Eq, "abc", "")}, true}, Ids{1}},
      {"upper_accented", {fb, lite}, {{L("", S_TEXT, TOp::Eq, "\xC9T\xC9", "")}}, Ids{5}},
      // Byte order on Firebird, code point order on SQLite: the euro sign is 0x80, U+20AC.
      {"order_fb", {fb}, {{L("", S_TEXT, TOp::Lt, "\xE9", "")}}, Ids{1, 2, 4}},
      {"order_sqlite", {lite}, {{L("", S_TEXT, TOp::Lt, "\xE9", "")}}, Ids{1, 2}},
      // The substring match ignores case even when the dialog does not fold.
      {"containing", {fb, lite}, {{L("", S_TEXT, TOp::Containing, "B", "")}, true}, Ids{1, 2}},
      {"starting_case", {fb, lite}, {{L("", S_TEXT, TOp::Starting, "A", "")}, true}, Ids{2}},
      // Numbers read as text: Firebird writes 16 digits, SQLite the shortest form.
      {"number_as_text", {fb, lite}, {{L("", F_NUM, TOp::Starting, "12.25", "")}}, Ids{3}},
      {"number_digits_fb", {fb}, {{L("", F_NUM, TOp::Containing, "2.50", "")}}, Ids{1}},
      {"number_digits_sqlite", {lite}, {{L("", F_NUM, TOp::Containing, "2.50", "")}}, Ids{}},
      // Dates typed in the edit pattern; a timestamp against a date.
      {"leap_day", {fb, lite}, {{L("", D_DATE, TOp::Eq, "02292000", "")}}, Ids{1}},
      {"leap_day_dmy", {fb, lite}, {{L("", D_DATE, TOp::Eq, "29022000", "")}, false, "dd/mm/yyyy"}, Ids{1}},
      {"midnight", {fb, lite}, {{L("", TS_STAMP, TOp::Eq, "01012000", "")}}, Ids{1}},
      {"after_midnight", {fb, lite}, {{L("", TS_STAMP, TOp::Gt, "01012000", "")}}, Ids{3}},
      {"time_at_full_minute", {fb, lite}, {{L("", T_TIME, TOp::Eq, "1230", "")}}, Ids{1}},
      {"time_seconds_later", {fb, lite}, {{L("", T_TIME, TOp::Gt, "1230", "")}}, Ids{2}},
      // One untouched line is no filter.
      {"untouched", {fb, lite}, {{L("", -1, TOp::Eq, "", "")}}, Ids{1, 2, 3, 4, 5}},
  };
  const std::vector<TRow> rows = FixedRows();
  for (const Case& c : cases)
    for (TEngine e : c.engines) {
      SCOPED_TRACE(std::string(c.name) + " " + EngineName(e));
      const TExpectation got = Evaluate(e, c.criteria, rows);
      EXPECT_FALSE(got.Refused) << got.Reason;
      EXPECT_EQ(got.Selected, c.selected);
    }
}

TEST(OracleEvaluation, RefusesWhatTheDialogRefuses) {
  struct Case {
    const char* name;
    TCriteria criteria;
    const char* reason;
  } cases[] = {
      {"no_comparison", {{L("", I_NUM, TOp::Eq, "1", "", 1), L("", I_NUM, std::nullopt, "1", "")}},
       "Invalid Comparision value at line 2"},
      {"no_field", {{L("", -1, TOp::Eq, "1", "")}}, "Invalid field value at line 1"},
      {"bad_number", {{L("", F_NUM, TOp::Eq, "1,5", "")}}, "Problem at line 1"},
      {"bad_date", {{L("", D_DATE, TOp::Eq, "02302000", "")}}, "Problem at line 1"},
      {"empty_date", {{L("", D_DATE, TOp::Eq, "", "")}}, "Problem at line 1"},
      {"bad_time", {{L("", T_TIME, TOp::Eq, "1260", "")}}, "Problem at line 1"},
      {"empty_time", {{L("", T_TIME, TOp::Eq, "", "")}}, "Problem at line 1"},
      {"close_first", {{L("", I_NUM, TOp::Eq, "1", ")", 1), L("(", I_NUM, TOp::Eq, "1", "")}}, "Unclosed brackets, line 1"},
      {"left_open", {{L("((", I_NUM, TOp::Eq, "1", ")")}}, "Unclosed brackets, line 1"},
      // The value is checked before the parentheses of its line.
      {"value_before_brackets", {{L("", I_NUM, TOp::Eq, "x", ")")}}, "Problem at line 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const TExpectation got = Evaluate(TEngine::Firebird, c.criteria, FixedRows());
    EXPECT_TRUE(got.Refused);
    EXPECT_EQ(got.Reason, c.reason);
  }
}

}  // namespace
}  // namespace oracle
