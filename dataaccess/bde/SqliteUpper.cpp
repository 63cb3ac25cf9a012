// The UPPER function of every SQLite connection: Windows-1252 case folding over UTF-8.
#include <sqlite3.h>

#include <string>
#include <string_view>

#include "dataaccess/bde/Sqlite_p.h"
#include "dataaccess/db/DBText.h"

namespace BDE {

namespace {

void AnsiUpper(sqlite3_context* Context, int, sqlite3_value** Args) {
  // Like SQLite's UPPER: NULL gives NULL (no result set), anything else its text.
  const auto* text = sqlite3_value_text(Args[0]);
  if (text == nullptr) return;
  const std::string out = DB::Utf8AnsiUpper(
      std::string_view(reinterpret_cast<const char*>(text), static_cast<size_t>(sqlite3_value_bytes(Args[0]))));
  sqlite3_result_text(Context, out.data(), static_cast<int>(out.size()), SQLITE_TRANSIENT);
}

}  // namespace

int detail::RegisterAnsiUpper(sqlite3* Db) {
  return sqlite3_create_function_v2(Db, "UPPER", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC, nullptr, AnsiUpper, nullptr,
                                    nullptr, nullptr);
}

}  // namespace BDE
