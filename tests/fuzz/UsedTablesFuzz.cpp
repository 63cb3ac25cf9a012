// Table discovery on any statement. Properties: runs clean (and, through libFuzzer's
// time limit, in time linear in the statement); every listed table comes from the
// cleaned, upper-cased text: codes 32 to 122 only, no lower-case letter. (A statement
// without FROM lists one empty name, as callers expect.)
#include <cstdint>
#include <string>
#include <vector>

#include "filtermodel/kytSQLFilterStruc.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size > 8192) return 0;
  const std::string sql(reinterpret_cast<const char*>(Data), Size);
  Classes::TStringList tables;
  kytSQLFilterStruc::GetUsedTables(sql, tables);
  std::vector<kytSQLFilterStruc::TTableRef> refs;
  kytSQLFilterStruc::GetTableRefs(sql, refs);
  for (int i = 0; i < tables.Count(); ++i) {
    const std::string t = tables.Get(i);
    for (char ch : t) {
      const unsigned char c = static_cast<unsigned char>(ch);
      kytfuzz::Check(c >= 32 && c <= 122 && !(c >= 'a' && c <= 'z'), "table name holds code " + std::to_string(c));
    }
  }
  return 0;
}
