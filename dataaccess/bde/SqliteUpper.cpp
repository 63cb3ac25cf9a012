// The UPPER function of every SQLite connection: Windows-1252 case folding over UTF-8.
#include <sqlite3.h>

#include <string>

#include "dataaccess/bde/Sqlite_p.h"
#include "host/rtl/SysUtils.h"

namespace BDE {

namespace {

// The length of the UTF-8 sequence at S[I] and its character, or 0 when the bytes
// there are no valid sequence (overlong forms and surrogates included).
size_t DecodeUtf8(const unsigned char* S, size_t N, size_t I, char32_t& Out) {
  const unsigned char c = S[I];
  size_t len;
  char32_t cp;
  if (c < 0x80) {
    Out = c;
    return 1;
  } else if (c >= 0xC2 && c <= 0xDF) {
    len = 2;
    cp = c & 0x1F;
  } else if (c >= 0xE0 && c <= 0xEF) {
    len = 3;
    cp = c & 0x0F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    len = 4;
    cp = c & 0x07;
  } else {
    return 0;
  }
  if (I + len > N) return 0;
  for (size_t k = 1; k < len; ++k) {
    if ((S[I + k] & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (S[I + k] & 0x3F);
  }
  static const char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  Out = cp;
  return len;
}

void AppendUtf8(std::string& S, char32_t U) {
  if (U < 0x80) {
    S += static_cast<char>(U);
  } else if (U < 0x800) {
    S += static_cast<char>(0xC0 | (U >> 6));
    S += static_cast<char>(0x80 | (U & 0x3F));
  } else if (U < 0x10000) {
    S += static_cast<char>(0xE0 | (U >> 12));
    S += static_cast<char>(0x80 | ((U >> 6) & 0x3F));
    S += static_cast<char>(0x80 | (U & 0x3F));
  } else {
    S += static_cast<char>(0xF0 | (U >> 18));
    S += static_cast<char>(0x80 | ((U >> 12) & 0x3F));
    S += static_cast<char>(0x80 | ((U >> 6) & 0x3F));
    S += static_cast<char>(0x80 | (U & 0x3F));
  }
}

void AnsiUpper(sqlite3_context* Context, int, sqlite3_value** Args) {
  // Like SQLite's UPPER: NULL gives NULL (no result set), anything else its text.
  const auto* text = sqlite3_value_text(Args[0]);
  if (text == nullptr) return;
  const size_t n = static_cast<size_t>(sqlite3_value_bytes(Args[0]));
  std::string out;
  out.reserve(n);
  for (size_t i = 0; i < n;) {
    char32_t u = 0;
    const size_t len = DecodeUtf8(text, n, i, u);
    if (len == 0) {
      out += static_cast<char>(text[i]);
      ++i;
      continue;
    }
    char ansi;
    if (SysUtils::UnicodeToAnsiChar(u, ansi))
      u = SysUtils::AnsiCharToUnicode(static_cast<unsigned char>(SysUtils::AnsiUpperChar(ansi)));
    AppendUtf8(out, u);
    i += len;
  }
  sqlite3_result_text(Context, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

}  // namespace

int RegisterAnsiUpper(sqlite3* Db) {
  return sqlite3_create_function_v2(Db, "UPPER", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, AnsiUpper, nullptr,
                                    nullptr, nullptr);
}

}  // namespace BDE
