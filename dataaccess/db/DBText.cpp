// Unit DB: code-page conversion and CSV records.
#include "dataaccess/db/DBText.h"

#include "host/rtl/SysUtils.h"

namespace DB {

// The code page itself lives in the run-time library; these names stay for the data
// access code that converts at the engines' edges.
std::string AnsiToUtf8(const std::string& S) { return SysUtils::AnsiToUtf8(S); }

std::string Utf8ToAnsi(const std::string& S) { return SysUtils::Utf8ToAnsi(S); }

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

std::string CsvField(const TValue& Value) {
  switch (Value.Kind()) {
    case TValue::TKind::Null:
      return std::string();
    case TValue::TKind::Text:
      return CsvQuote(AnsiToUtf8(Value.Bytes()));
    case TValue::TKind::Bytes: {
      static const char kHex[] = "0123456789ABCDEF";
      std::string out;
      out.reserve(Value.Bytes().size() * 2);
      for (unsigned char c : Value.Bytes()) {
        out += kHex[c >> 4];
        out += kHex[c & 15];
      }
      return out.empty() ? "\"\"" : out;
    }
    default:
      return CsvQuote(Value.AsString());
  }
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
