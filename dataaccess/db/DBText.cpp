// Unit DB: code-page conversion and CSV records.
#include "dataaccess/db/DBText.h"

#include <charconv>

#include "host/rtl/SysUtils.h"

namespace DB {

// The code page itself lives in the run-time library; these names stay for the data
// access code that converts at the engines' edges.
std::string AnsiToUtf8(const std::string& S) { return SysUtils::AnsiToUtf8(S); }

std::string Utf8ToAnsi(const std::string& S) { return SysUtils::Utf8ToAnsi(S); }

std::string Utf8AnsiUpper(std::string_view Utf8) {
  std::string out;
  out.reserve(Utf8.size());
  for (size_t i = 0; i < Utf8.size();) {
    char32_t u = 0;
    const size_t len = SysUtils::DecodeUtf8(Utf8, i, u);
    if (len == 0) {
      out += Utf8[i++];
      continue;
    }
    char ansi;
    if (SysUtils::UnicodeToAnsiChar(u, ansi))
      u = SysUtils::AnsiCharToUnicode(static_cast<unsigned char>(SysUtils::AnsiUpperChar(ansi)));
    SysUtils::AppendUtf8(out, u);
    i += len;
  }
  return out;
}

std::string CsvQuote(const std::string& Utf8) {
  if (!Utf8.empty() && Utf8.find_first_of(",\"\r\n") == std::string::npos) return Utf8;
  std::string out = "\"";
  for (char c : Utf8) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

namespace {

inline bool NeedsQuotes(char c) { return c == ',' || c == '"' || c == '\r' || c == '\n'; }

// Appends Windows-1252 text as UTF-8, as SysUtils::AnsiToUtf8 converts it, quoted as
// CsvQuote does. The runs of plain ASCII between the characters that need more are
// copied in one piece.
void AppendQuotedUtf8(std::string& Out, const std::string& Ansi) {
  bool quote = Ansi.empty();
  for (char c : Ansi) quote |= NeedsQuotes(c);
  if (quote) Out += '"';
  const char* p = Ansi.data();
  const char* const end = p + Ansi.size();
  while (p != end) {
    const char* run = p;
    while (p != end && static_cast<unsigned char>(*p) < 0x80 && *p != '"') ++p;
    Out.append(run, p);
    if (p == end) break;
    if (*p == '"')
      Out += "\"\"";
    else
      SysUtils::AppendUtf8(Out, SysUtils::AnsiCharToUnicode(static_cast<unsigned char>(*p)));
    ++p;
  }
  if (quote) Out += '"';
}

}  // namespace

void AppendCsvField(std::string& Out, const TValue& Value) {
  switch (Value.Kind()) {
    case TValue::TKind::Null:
      return;
    case TValue::TKind::Text:
      AppendQuotedUtf8(Out, Value.Bytes());
      return;
    case TValue::TKind::Bytes: {
      static const char kHex[] = "0123456789ABCDEF";
      if (Value.Bytes().empty()) {
        Out += "\"\"";
        return;
      }
      for (unsigned char c : Value.Bytes()) {
        Out += kHex[c >> 4];
        Out += kHex[c & 15];
      }
      return;
    }
    case TValue::TKind::Integer: {
      char buf[24];
      Out.append(buf, std::to_chars(buf, buf + sizeof buf, Value.IntegerPart()).ptr);
      return;
    }
    default: {
      // Numbers, booleans, dates and times are ASCII text and need no conversion.
      const std::string text = Value.AsString();
      bool quote = text.empty();
      for (char c : text) quote |= NeedsQuotes(c);
      if (quote)
        Out += CsvQuote(text);
      else
        Out += text;
    }
  }
}

std::string CsvField(const TValue& Value) {
  std::string out;
  AppendCsvField(out, Value);
  return out;
}

std::string CsvRecord(const std::vector<std::string>& Fields) {
  std::string out;
  for (size_t i = 0; i < Fields.size(); ++i) {
    if (i) out += ',';
    out += Fields[i];
  }
  out += "\r\n";
  return out;
}

}  // namespace DB
