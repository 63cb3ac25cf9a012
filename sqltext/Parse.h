// Unit Parse: the SQL-text toolkit.
//
// Finds, reads and replaces the top-level clauses of a SQL statement held as plain
// text; rewrites statements; classifies and converts criteria text; matches wildcard
// patterns; measures dates in text; converts padding, escapes and hexadecimal text.
//
// The clause scanner is not a SQL parser: it knows quotes ('...' and "..."), comments
// (// to the end of the line, /* ... */) and parentheses, and treats everything else as
// opaque. Keywords inside parentheses, quotes or comments are never found; "--" is not a
// comment to it.
//
// Text is single-byte (Windows-1252); positions are 1-based and 0 means "no position".
// Every function is pure over its arguments and safe from any thread, except the date
// helpers, which read the process-wide format settings of SysUtils at each call.
// Nothing here raises except HexTextToBinary.
#pragma once

#include <string>
#include <vector>

#include "host/rtl/Classes.h"
#include "host/rtl/SysUtils.h"

namespace Parse {

// Raised by HexTextToBinary only.
class EParseError : public SysUtils::Exception {
 public:
  using SysUtils::Exception::Exception;
};

// ---- Clause scanner ---------------------------------------------------------------

// The state the scanner carries from character to character.
struct ScanState {
  bool inSingleQuote = false;
  bool inDoubleQuote = false;
  bool inLineComment = false;   // from "//" up to, not including, the next CR or LF
  bool inBlockComment = false;  // from "/*" through "*/"
  int parenDepth = 0;           // "(" minus ")" outside quotes and comments
  int bracketDepth = 0;         // "[" minus "]"; kept, never consulted
  int skipNext = 0;             // 1 after a step that recognised "//", "/*" or "*/"
};

// Applies one scan step for the character at position P (1-based) of Text, looking at
// the next character for the two-character comment delimiters. A P outside Text
// changes nothing.
void AdvanceScanState(const std::string& Text, int P, ScanState& State);

// True for every character of code 32 or below and for ! ( ) * , / : ; < = > ?.
bool CharIsDelimiter(char C);

// Result := the characters First .. Stop-1 of Text (fewer when the text ends sooner).
// Empty when First is 0 or Stop <= First; a Stop of 0 stands for the end of the text.
void SubStrings(const std::string& Text, std::string& Result, int First, int Stop);

// Finds Keyword at the top level of SQL, then the first of StopWords (tried in the
// given order at each position) that follows it at the top level. Returns true when a
// stop word ended the clause.
//   StartPos: in, where to begin (0 or less = 1); out, the keyword's position when found
//             (left as it was when the keyword is absent). An empty Keyword counts as
//             found at the start.
//   EndPos:   in, the last position to examine (0 = the whole text; a value beyond the
//             text is taken as its length); out, the position of the stop word that
//             ended the clause, else one past the scanned range.
//   FoundStop: written only when a non-empty stop word ends the clause.
//   StopsAnywhere: once the keyword is found, stop words need no word boundary.
// An empty SQL returns false with the in/out arguments untouched. Keywords and stop
// words match whole words, letters without regard to case.
bool ParseStr(const std::string& SQL, const std::string& Keyword,
              const std::vector<std::string>& StopWords, int& StartPos, int& EndPos,
              std::string& FoundStop, bool StopsAnywhere);

// True when Text holds, at the top level, CREATE followed later by TRIGGER or PROCEDURE,
// or (with no top-level CREATE at all) ALTER followed later by one of them.
bool GetIsTriggerOrProcedureDDL(const std::string& Text);

// ---- Clause locators ----------------------------------------------------------------
// Each gives the clause as [StartPos, EndPos): StartPos 0 when the clause is absent,
// EndPos the position of the keyword that ends it or one past the end of the text.
// A SELECT that follows a top-level CREATE/ALTER TRIGGER/PROCEDURE counts as absent.

void LocateSelect(const std::string& SQL, int& StartPos, int& EndPos);
void LocateFrom(const std::string& SQL, int& StartPos, int& EndPos);
void LocateWhere(const std::string& SQL, int& StartPos, int& EndPos);
void LocateGroup(const std::string& SQL, int& StartPos, int& EndPos);
void LocateHaving(const std::string& SQL, int& StartPos, int& EndPos);
void LocateUnion(const std::string& SQL, int& StartPos, int& EndPos);
void LocatePlan(const std::string& SQL, int& StartPos, int& EndPos);
void LocateOrder(const std::string& SQL, int& StartPos, int& EndPos);
void LocateForUpdate(const std::string& SQL, int& StartPos, int& EndPos);
void LocateInsert(const std::string& SQL, int& StartPos, int& EndPos);

// ---- Clause accessors ---------------------------------------------------------------
// Get: Result := the clause, keyword included, trimmed, in the statement's own letter
// case; empty when the clause is absent. GetSQLSelect gives empty for INSERT ... SELECT.

void GetSQLSelect(const std::string& SQL, std::string& Result);
void GetSQLFrom(const std::string& SQL, std::string& Result);
void GetSQLWhere(const std::string& SQL, std::string& Result);
void GetSQLGroup(const std::string& SQL, std::string& Result);
void GetSQLHaving(const std::string& SQL, std::string& Result);
void GetSQLUnion(const std::string& SQL, std::string& Result);
void GetSQLPlan(const std::string& SQL, std::string& Result);
void GetSQLOrder(const std::string& SQL, std::string& Result);
void GetSQLForUpdate(const std::string& SQL, std::string& Result);

// Replaces the characters of S from First up to Resume by NewText, each on lines of its
// own: S := trimmed S[1 .. First-1] + CR LF (nothing when First is 0) + trimmed NewText +
// CR LF + trimmed S[Resume ..] (nothing when Resume is 0).
void ReplaceSection(std::string& S, const std::string& NewText, int First, int Resume);

// Set: replaces the clause by NewText (the whole clause with its keyword, e.g.
// "WHERE A = 1"; an empty text removes the clause and leaves an empty line). An absent
// clause is inserted after the nearest clause that precedes it in statement order, or
// in front of the statement. SetSQLForUpdate replaces everything from FOR to the end,
// or appends CR LF and NewText (untrimmed) when there is no FOR.

void SetSQLSelect(std::string& SQL, const std::string& NewText);
void SetSQLFrom(std::string& SQL, const std::string& NewText);
void SetSQLWhere(std::string& SQL, const std::string& NewText);
void SetSQLGroup(std::string& SQL, const std::string& NewText);
void SetSQLHaving(std::string& SQL, const std::string& NewText);
void SetSQLUnion(std::string& SQL, const std::string& NewText);
void SetSQLPlan(std::string& SQL, const std::string& NewText);
void SetSQLOrder(std::string& SQL, const std::string& NewText);
void SetSQLForUpdate(std::string& SQL, const std::string& NewText);

// ---- Statement rewriting -------------------------------------------------------------

// Result := SQL with the select list replaced by "SELECT COUNT( * )" and the PLAN, ORDER
// and FOR clauses removed, trimmed.
void MakeCountSQL(const std::string& SQL, std::string& Result);
// Where is empty or a clause beginning with "WHERE "; Condition is added after
// (AddWhereClause) or before (AddWhereClauseHigh) the existing condition with AND; a
// condition holding " OR " is parenthesised as described for each. A blank Condition
// only trims Where.
void AddWhereClause(std::string& Where, const std::string& Condition);
void AddWhereClauseHigh(std::string& Where, const std::string& Condition);
// Result := SQL with each "?" outside quotes and comments replaced by ParamChar, the
// four characters after it dropped, the name copied up to its ending delimiter, which
// is dropped with the three characters after it; "//" comments are dropped (their line
// break kept), "/* */" comments copied.
void MakeClientSQL(const std::string& SQL, std::string& Result, char ParamChar);
// Fills List (cleared first; nothing happens when List is null) with the distinct names
// written between "<<" and ">>" in Text, in order of first appearance, exactly as
// written. A name equal to an earlier one without regard to case by the code page (as
// TStrings::IndexOf compares) is a duplicate and left out. Linear in Text's length.
void GetMergeFields(const std::string& Text, Classes::TStrings* List);

// ---- Criteria text helpers -----------------------------------------------------------

// Trimmed, at least two characters, and enclosed in '...' or in "...".
bool is_literal_criteria(const std::string& Text);
// Every ' doubled.
std::string convert_literals(const std::string& Text);
// Text itself when it is a literal, else ' + convert_literals(Text) + '.
std::string make_literal_criteria(const std::string& Text);
// The content of a literal with doubled single quotes undone; other text unchanged.
std::string strip_literal_criteria(const std::string& Text);
// Whether Text holds an unescaped % _ * ? (contains_wildcards) or % _
// (contains_sqlwildcards); the character after EscapeChar is never looked at.
bool contains_wildcards(const std::string& Text, char EscapeChar);
bool contains_sqlwildcards(const std::string& Text, char EscapeChar);
// * becomes %, ? becomes _; an escaped % _ or escape keeps its escape, an escaped * or ?
// loses it.
std::string convert_wildcards_tosql(const std::string& Text, char EscapeChar);
// Every escape character removed and the character after it kept; a final escape stays.
std::string strip_escapechar(const std::string& Text, char EscapeChar);
// Lower-cased Text begins with "like " or "not like ".
bool beginswith_sqllike(const std::string& Text);
// Text begins with a SQL search operator: between, containing, in(, is null,
// is not null, like, not like, not starting, not containing, not in(, not between,
// starting (each with its own following characters), letters without regard to case.
bool beginswith_sqlsearch(const std::string& Text);
// Text holds any of ! < > =.
bool contains_relational_ops(const std::string& Text);
// Position of the first !, else of the first <, else >, else =; 0 when none.
int rel_op_pos(const std::string& Text);

// ---- Wildcard pattern matching ----------------------------------------------------------
// Patterns: * (any run), ? (one character), [set], [!set] or [^set] with members c and
// ranges c1-c2 (either order); both sides lower-cased by the code page first.
// Result codes: 1 match; 2 pattern ended while text remained; 3 text ended while
// pattern remained; 4 a set did not match; 5 a literal did not match; 6 malformed
// pattern. Time is bounded by pattern length times text length.

bool IsMatch(const std::string& Pattern, const std::string& Text);
int matche(const std::string& Pattern, const std::string& Text);
// Pattern must begin with "*". The wildcards that open it are passed over ("?" taking
// one character each); then 3 when no text is left, 1 when no pattern is left; else
// the rest of the pattern is tried at every text position holding its next character
// (every position before a set), and the code of the last attempt is returned (3 when
// there was none).
int match_after_star(const std::string& Pattern, const std::string& Text);

// ---- Date and time text helpers ---------------------------------------------------------

// 00:00:00.000 and 23:59:59.999 in the long time format of the settings.
std::string get_00AM();
std::string get_12PM();
// The length of the date (day/month/year by the date separator, month as digits or as
// three letters) that Text begins with; 0 when none.
int get_DateLength(const std::string& Text);
// Whether Text, after the date it may begin with and the blanks after that, begins with
// a time (hours and minutes by the time separator).
bool get_HasTime(const std::string& Text);

// ---- Text and binary utilities ------------------------------------------------------------

// Text (its first Length characters when Truncate) padded with PadChar to Length.
std::string PadRight(const std::string& Text, char PadChar, int Length, bool Truncate);
// Removes trailing characters of code 32 or below.
void RTrim(std::string& Text);
// Two upper-case hexadecimal digits per byte, high nibble first. Buffer holds Size bytes.
std::string BinaryToHexText(const void* Buffer, int Size);
// Fills Size bytes of Buffer from the first 2 * Size characters of Text; lower-case
// a..f are digits too, any other character counts as 0. Raises EParseError
// "Invalid text in HexTextToBinary" (Buffer untouched) when Text is shorter.
void HexTextToBinary(const std::string& Text, void* Buffer, int Size);
// Escapes codes 0..26 (\A .. \[), # ; = \ (\#, \;, \=, \\), and codes 27..31 and
// 128..255 (#nnn, three digits), so the result is printable 7-bit text.
std::string SetCharValues(const std::string& Text);
// Reverses SetCharValues exactly, for every byte value. Also reads: \ followed by a
// character outside A..[ as that character, #n and #nn (value modulo 256), and a bare #
// as code 0.
std::string GetCharValues(const std::string& Text);

}  // namespace Parse
