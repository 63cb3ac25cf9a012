// Unit DB: code-page conversion and CSV records.
#include "dataaccess/db/DBText.h"

namespace DB {

namespace {

// Unicode of bytes 80..9F in Windows-1252; the undefined ones map to themselves.
const char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void PutUtf8(std::string& Out, char32_t C) {
  if (C < 0x80) {
    Out += static_cast<char>(C);
  } else if (C < 0x800) {
    Out += static_cast<char>(0xC0 | (C >> 6));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else {
    Out += static_cast<char>(0xE0 | (C >> 12));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  }
}

char AnsiOf(char32_t C) {
  if (C < 0x80 || (C >= 0xA0 && C <= 0xFF)) return static_cast<char>(C);
  for (int i = 0; i < 32; ++i)
    if (kHigh[i] == C) return static_cast<char>(0x80 + i);
  return '?';
}

}  // namespace

std::string AnsiToUtf8(const std::string& S) {
  std::string out;
  out.reserve(S.size() + S.size() / 8);
  for (unsigned char c : S) {
    if (c < 0x80)
      out += static_cast<char>(c);
    else if (c < 0xA0)
      PutUtf8(out, kHigh[c - 0x80]);
    else
      PutUtf8(out, c);
  }
  return out;
}

std::string Utf8ToAnsi(const std::string& S) {
  std::string out;
  out.reserve(S.size());
  size_t i = 0, n = S.size();
  while (i < n) {
    unsigned char c = static_cast<unsigned char>(S[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    int len = c >= 0xF0 && c < 0xF5 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (len == 0 || i + static_cast<size_t>(len) > n) {
      out += '?';
      ++i;
      continue;
    }
    char32_t cp = len == 2 ? c & 0x1F : len == 3 ? c & 0x0F : c & 0x07;
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      unsigned char cc = static_cast<unsigned char>(S[i + static_cast<size_t>(k)]);
      if ((cc & 0xC0) != 0x80) ok = false;
      cp = (cp << 6) | (cc & 0x3F);
    }
    // Overlong forms and surrogates are not characters.
    if (ok && ((len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000) || (cp >= 0xD800 && cp <= 0xDFFF)))
      ok = false;
    if (!ok) {
      out += '?';
      ++i;
      continue;
    }
    out += AnsiOf(cp);
    i += static_cast<size_t>(len);
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
