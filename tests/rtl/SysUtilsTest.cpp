#include <gtest/gtest.h>

#include "host/rtl/SysUtils.h"

namespace {

using namespace SysUtils;

TEST(SysUtilsCase, FoldingByTheCodePage) {
  EXPECT_EQ(UpperCase("abc\xE9z"), "ABC\xE9Z");  // a..z only
  EXPECT_EQ(AnsiUpperCase("abc\xE9\x9A\x9C\x9E\xFF\xDF\xB5\xF7"),
            "ABC\xC9\x8A\x8C\x8E\x9F\xDF\xB5\xF7");
  EXPECT_EQ(AnsiLowerCase("ABC\xC9\x8A\x8C\x8E\x9F\xD7"), "abc\xE9\x9A\x9C\x9E\xFF\xD7");
  EXPECT_EQ(AnsiCompareText("\xE9T\xE9", "\xC9t\xC9"), 0);
  EXPECT_LT(AnsiCompareText("abc", "ABD"), 0);
  EXPECT_GT(AnsiCompareText("abcd", "ABC"), 0);
  EXPECT_EQ(Trim(" \t a b \r\n"), "a b");
  EXPECT_EQ(TrimLeft("  a "), "a ");
  EXPECT_EQ(TrimRight("  a "), "  a");
}

TEST(SysUtilsFormatDateTime, PictureLanguage) {
  TDateTime dt = EncodeDate(1999, 12, 5) + EncodeTime(14, 7, 9, 45);
  struct Case {
    const char* picture;
    const char* expected;
  } cases[] = {
      {"dd/mm/yyyy", "05/12/1999"},   {"d/m/yy", "5/12/99"},
      {"ddd dddd", "Sun Sunday"},     {"mmm mmmm", "Dec December"},
      {"hh:nn:ss", "14:07:09"},       {"h:n:s", "14:7:9"},
      {"hh:mm", "14:07"},             {"z zzz", "45 045"},
      {"h am/pm", "2 pm"},            {"h AM/PM", "2 PM"},
      {"h a/p", "2 p"},               {"hh ampm", "02 PM"},
      {"'dd' \"mm\" dd", "dd mm 05"}, {"ddddd", "12/05/1999"},
      {"c", "12/05/1999 14:07:09"},   {"tt", "14:07:09"},
      {"yyyy-mm-dd", "1999-12-05"},   {"DD.MM.YYYY", "05.12.1999"},
  };
  for (const Case& c : cases) EXPECT_EQ(FormatDateTime(c.picture, dt), c.expected) << c.picture;
  EXPECT_EQ(FormatDateTime("hh:nn:ss.zzz", EncodeTime(23, 59, 59, 999)), "23:59:59.999");
  EXPECT_EQ(FormatDateTime("c", EncodeDate(2000, 2, 29)), "02/29/2000");
}

TEST(SysUtilsStrToDate, ParsesByTheShortDatePattern) {
  TFormatSettings saved = FormatSettings();
  struct Case {
    const char* pattern;
    char sep;
    const char* text;
    int y, m, d;  // y 0: not a date
  } cases[] = {
      {"mm/dd/yyyy", '/', "12/25/1999", 1999, 12, 25},
      {"mm/dd/yyyy", '/', " 1/2/2000 ", 2000, 1, 2},
      {"dd/mm/yyyy", '/', "25/12/1999", 1999, 12, 25},
      {"yyyy-mm-dd", '-', "1999-12-25", 1999, 12, 25},
      {"dd.mm.yyyy", '.', "29.02.2000", 2000, 2, 29},
      {"dd.mm.yyyy", '.', "29.02.1999", 0, 0, 0},
      {"mm/dd/yyyy", '/', "13/01/2000", 0, 0, 0},
      {"mm/dd/yyyy", '/', "12-25-1999", 0, 0, 0},
      {"mm/dd/yyyy", '/', "12/25/1999x", 0, 0, 0},
      {"mm/dd/yyyy", '/', "", 0, 0, 0},
      {"mm/dd/yyyy", '/', "a/b/c", 0, 0, 0},
  };
  for (const Case& c : cases) {
    FormatSettings().ShortDateFormat = c.pattern;
    FormatSettings().DateSeparator = c.sep;
    if (c.y == 0) {
      EXPECT_THROW(StrToDate(c.text), EConvertError) << c.text;
    } else {
      EXPECT_EQ(StrToDate(c.text), EncodeDate(c.y, c.m, c.d)) << c.text;
    }
  }
  FormatSettings() = saved;
  int y, m, d;
  DecodeDate(StrToDate("3/4/05"), y, m, d);  // two-digit year within the century window
  EXPECT_EQ(y, 2005);
  EXPECT_EQ(DateToStr(EncodeDate(2001, 7, 4)), "07/04/2001");
}

TEST(SysUtilsDates, CalendarArithmetic) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0.0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2.0);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526.0);
  EXPECT_EQ(DayOfWeek(EncodeDate(2026, 12, 8)), 3);  // a Tuesday
  EXPECT_THROW(EncodeDate(2001, 2, 29), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  int h, n, s, ms;
  DecodeTime(EncodeTime(23, 59, 59, 999), h, n, s, ms);
  EXPECT_EQ(h * 10000000 + n * 100000 + s * 1000 + ms, 235959999);
  EXPECT_EQ(Date(), static_cast<double>(static_cast<long long>(Now())));
}

TEST(SysUtilsStringTable, UnknownIdentifiersAreEmpty) {
  RegisterStr(999001, "hello");
  EXPECT_EQ(LoadStr(999001), "hello");
  EXPECT_EQ(LoadStr(999002), "");
  try {
    Abort();
  } catch (const EAbort& e) {
    EXPECT_EQ(e.HelpContext(), 0);
    SUCCEED();
    return;
  }
  FAIL() << "Abort did not raise EAbort";
}

}  // namespace
