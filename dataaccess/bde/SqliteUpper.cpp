// The UPPER function of every SQLite connection: Windows-1252 case folding over UTF-8.
#include <sqlite3.h>

#include <string>
#include <string_view>

#include "dataaccess/bde/Sqlite_p.h"
#include "host/rtl/SysUtils.h"

namespace BDE {

namespace {

void AnsiUpper(sqlite3_context* Context, int, sqlite3_value** Args) {
  // Like SQLite's UPPER: NULL gives NULL (no result set), anything else its text.
  const auto* text = sqlite3_value_text(Args[0]);
  if (text == nullptr) return;
  const size_t n = static_cast<size_t>(sqlite3_value_bytes(Args[0]));
  const std::string_view bytes(reinterpret_cast<const char*>(text), n);
  std::string out;
  out.reserve(n);
  for (size_t i = 0; i < n;) {
    char32_t u = 0;
    const size_t len = SysUtils::DecodeUtf8(bytes, i, u);
    if (len == 0) {
      out += static_cast<char>(text[i]);
      ++i;
      continue;
    }
    char ansi;
    if (SysUtils::UnicodeToAnsiChar(u, ansi))
      u = SysUtils::AnsiCharToUnicode(static_cast<unsigned char>(SysUtils::AnsiUpperChar(ansi)));
    SysUtils::AppendUtf8(out, u);
    i += len;
  }
  sqlite3_result_text(Context, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

}  // namespace

int detail::RegisterAnsiUpper(sqlite3* Db) {
  return sqlite3_create_function_v2(Db, "UPPER", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, AnsiUpper, nullptr,
                                    nullptr, nullptr);
}

}  // namespace BDE
