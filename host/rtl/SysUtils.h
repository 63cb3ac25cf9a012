// Host run-time, system utilities: the base exception classes, Windows-1252 text
// helpers, the process-wide format settings, date and time conversion and the module
// string table.
//
// Text is std::string of single bytes in Windows-1252. Positions are 1-based where a
// function takes or gives one. Everything here runs on any thread, except that the
// format settings and the string table are process-wide and must not be changed while
// another thread reads them.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

namespace SysUtils {

// Base of every exception the system raises: a message and a help-context number.
class Exception : public std::exception {
 public:
  explicit Exception(std::string Msg, int HelpContext = 0)
      : FMessage(std::move(Msg)), FHelpContext(HelpContext) {}
  const std::string& Message() const { return FMessage; }
  void SetMessage(std::string Msg) { FMessage = std::move(Msg); }
  int HelpContext() const { return FHelpContext; }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  std::string FMessage;
  int FHelpContext;
};

// The silent exception: the event dispatch of the host layer discards it without a
// message. Operations that have already told the user, or that the user cancelled,
// end with it.
class EAbort : public Exception {
 public:
  using Exception::Exception;
};

// Raises EAbort with the message "Operation aborted".
[[noreturn]] void Abort();

// A text that does not convert to the value asked for (dates, numbers).
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// ---- Text ---------------------------------------------------------------------------

// Folds a..z only; every other byte is kept.
std::string UpperCase(const std::string& S);
std::string LowerCase(const std::string& S);
// Fold by the Windows-1252 code page: a..z, the accented letters, š œ ž ÿ and their
// capitals. ß, µ and the ordinal signs have no other case and are kept.
std::string AnsiUpperCase(const std::string& S);
std::string AnsiLowerCase(const std::string& S);
char AnsiUpperChar(char C);
char AnsiLowerChar(char C);
// Compares without regard to letter case by the code page: <0, 0 or >0. Bytes are
// compared as unsigned after upper-casing, so the order is the code page's.
int AnsiCompareText(const std::string& S1, const std::string& S2);
bool AnsiSameText(const std::string& S1, const std::string& S2);
// Exact byte comparison: <0, 0 or >0.
int AnsiCompareStr(const std::string& S1, const std::string& S2);

// Remove leading and/or trailing characters with code 32 or below.
std::string Trim(const std::string& S);
std::string TrimLeft(const std::string& S);
std::string TrimRight(const std::string& S);

std::string IntToStr(int64_t Value);
// Raises EConvertError "'S' is not a valid integer value" on text that is not a
// decimal integer (blanks around it are allowed).
int StrToInt(const std::string& S);
int StrToIntDef(const std::string& S, int Default);

// Replaces every occurrence of OldPattern (exact bytes) by NewPattern.
std::string StringReplaceAll(const std::string& S, const std::string& OldPattern,
                             const std::string& NewPattern);

// ---- The Windows-1252 code page and UTF-8 ---------------------------------------------

// The Unicode character of a Windows-1252 byte. Every byte has one: the five bytes the
// code page leaves undefined (81 8D 8F 90 9D) give the C1 control of the same number,
// so they survive a round trip.
char32_t AnsiCharToUnicode(unsigned char C);
// The Windows-1252 byte of character U; false when the code page has none.
bool UnicodeToAnsiChar(char32_t U, char& Out);

// One step of UTF-8: the length in bytes of the character at S[I] (read into C), or 0
// when the bytes there are not valid UTF-8 (bad lead or continuation byte, cut short,
// overlong, surrogate, beyond U+10FFFF). REQUIRES: I < S.size().
size_t DecodeUtf8(std::string_view S, size_t I, char32_t& C);
// Appends the UTF-8 bytes of C (at most U+10FFFF).
void AppendUtf8(std::string& Out, char32_t C);

// Windows-1252 text as UTF-8.
std::string AnsiToUtf8(const std::string& S);
// UTF-8 text as Windows-1252. A character the code page lacks, and a byte that is not
// part of valid UTF-8, becomes '?'.
std::string Utf8ToAnsi(const std::string& S);

// Why UTF-8 text did not convert: the first offending character, or the first bytes
// that are not UTF-8.
struct TUtf8Fault {
  size_t Offset = 0;     // byte offset in the UTF-8 text
  bool Invalid = false;  // true: the bytes there are not valid UTF-8
  char32_t Char = 0;     // the character Windows-1252 lacks, or the first bad byte
  // In UTF-8, for messages at the edges: "U+4E2D" followed by the character in
  // quotes, or "byte 0xFF at offset 3, not UTF-8".
  std::string Describe() const;
};
// UTF-8 text as Windows-1252, refusing what does not convert exactly: returns false
// (Out unspecified, Fault set when given) on invalid UTF-8 (overlong forms and
// surrogates included) or a character the code page lacks.
bool TryUtf8ToAnsi(const std::string& S, std::string& Out, TUtf8Fault* Fault = nullptr);

// ---- Format settings ------------------------------------------------------------------

// The process-wide regional settings that date formatting and parsing read at every
// call. Defaults are those of an English (United States) system.
struct TFormatSettings {
  char DateSeparator = '/';
  char TimeSeparator = ':';
  std::string ShortDateFormat = "mm/dd/yyyy";
  std::string LongDateFormat = "dddd, mmmm dd, yyyy";
  std::string ShortTimeFormat = "hh:nn";
  std::string LongTimeFormat = "hh:nn:ss";
  std::string TimeAMString = "AM";
  std::string TimePMString = "PM";
  std::vector<std::string> ShortMonthNames = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::vector<std::string> LongMonthNames = {
      "January", "February", "March",     "April",   "May",      "June",
      "July",    "August",   "September", "October", "November", "December"};
  std::vector<std::string> ShortDayNames = {"Sun", "Mon", "Tue", "Wed",
                                            "Thu", "Fri", "Sat"};
  std::vector<std::string> LongDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                           "Thursday", "Friday", "Saturday"};
  // Two-digit years are taken within 50 years of the current year.
  int TwoDigitYearCenturyWindow = 50;
};

// The settings in force. Change them by assigning fields; they take effect at once.
TFormatSettings& FormatSettings();

// ---- Dates and times ------------------------------------------------------------------

// Days since 1899-12-30; the fraction is the time of day.
using TDateTime = double;

// Raise EConvertError on a value outside the calendar or the day.
TDateTime EncodeDate(int Year, int Month, int Day);
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);
bool TryEncodeDate(int Year, int Month, int Day, TDateTime& Result);
void DecodeDate(TDateTime DateTime, int& Year, int& Month, int& Day);
void DecodeTime(TDateTime DateTime, int& Hour, int& Min, int& Sec, int& MSec);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime DateTime);
bool IsLeapYear(int Year);
// Days since 1970-01-01 of a date of the proleptic Gregorian calendar, and back. No
// range check: callers check the date first (TryEncodeDate).
int64_t DaysFromCivil(int64_t Year, unsigned Month, unsigned Day);
void CivilFromDays(int64_t Days, int64_t& Year, unsigned& Month, unsigned& Day);

// Today at 00:00, and the current local date and time.
TDateTime Date();
TDateTime Now();

// Formats by the host's picture language, letters in any case:
//   c            short date format, then the long time format when the time is not 0
//   d dd         day without / with leading zero; ddd dddd short / long day name
//   ddddd        short date format; dddddd long date format
//   m mm         month (minutes when right after h or hh); mmm mmmm month names
//   yy yyyy      two / four digit year
//   h hh n nn s ss   hour, minute, second without / with leading zero
//   z zzz        milliseconds without / with leading zeros
//   t tt         short / long time format
//   am/pm a/p ampm   12-hour clock with the marker (ampm uses TimeAMString/PMString)
//   /  :         the date and the time separator of the settings
//   "x" 'x'      literal text
// Any other character is copied.
std::string FormatDateTime(const std::string& Format, TDateTime DateTime);

// The date in the short date format.
std::string DateToStr(TDateTime DateTime);

// Parses a date by the order of day, month and year in the short date format and the
// date separator: "12/31/1999" for "mm/dd/yyyy". A missing year is the current year;
// a two-digit year follows the century window. Blanks around the parts are allowed.
// Raises EConvertError "'S' is not a valid date" on anything else.
TDateTime StrToDate(const std::string& S);
bool TryStrToDate(const std::string& S, TDateTime& Value);

// ---- Module string table -------------------------------------------------------------

// Registers a text under an identifier; a unit registers its table once at start-up.
void RegisterStr(int Ident, const std::string& Text);
// The text of Ident, or the empty text when none is registered. Never fails.
std::string LoadStr(int Ident);

}  // namespace SysUtils
