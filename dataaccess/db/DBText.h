// Unit DB: text at the library's edges: Windows-1252 to and from UTF-8, and CSV
// records (RFC 4180) of dataset values.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "dataaccess/db/DB.h"

namespace DB {

// Windows-1252 text as UTF-8. The five bytes the code page leaves undefined (81 8D
// 8F 90 9D) become the control characters of the same number, so they survive the
// way back.
std::string AnsiToUtf8(const std::string& S);
// UTF-8 text as Windows-1252. A character the code page lacks, and a byte that is not
// valid UTF-8, becomes '?'. SysUtils::TryUtf8ToAnsi refuses such text instead.
std::string Utf8ToAnsi(const std::string& S);
// UTF-8 text with the letters that Windows-1252 holds upper-cased as the code page
// does ("é" "É", "ÿ" "Ÿ"); other characters, and bytes that are not UTF-8, unchanged.
// The UPPER that the data access gives SQLite connections, so that the engine folds a
// column as the filter dialog folds a value.
std::string Utf8AnsiUpper(std::string_view Utf8);

// One CSV field from UTF-8 text: quoted (and inner quotes doubled) when it holds a
// comma, a quote, CR or LF, or is empty; an empty text thus stays apart from NULL.
std::string CsvQuote(const std::string& Utf8);
// One CSV field from a value: NULL is the empty field; text is UTF-8 and quoted as
// CsvQuote does; binary data is upper-case hexadecimal; other values are their text
// (TValue::AsString). Raises EDatabaseError for an unreadable value.
std::string CsvField(const TValue& Value);
// Appends CsvField(Value) to Out, without a text of its own for the field: the form
// for writing many rows.
void AppendCsvField(std::string& Out, const TValue& Value);
// Fields already in CSV form, joined by commas and ended by CR LF.
std::string CsvRecord(const std::vector<std::string>& Fields);

}  // namespace DB
