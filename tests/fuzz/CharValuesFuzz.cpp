// The escape encoding. Properties: SetCharValues gives 7-bit text without control
// characters below 32 (DEL, 127, stands for itself) and with ; = only in escapes, and GetCharValues gives back the original for every byte;
// GetCharValues runs clean on any text.
#include <cstdint>
#include <string>

#include "sqltext/Parse.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size > 4096) return 0;
  const std::string text(reinterpret_cast<const char*>(Data), Size);
  const std::string escaped = Parse::SetCharValues(text);
  for (size_t i = 0; i < escaped.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(escaped[i]);
    kytfuzz::Check(c >= 32 && c <= 127, "escaped text holds code " + std::to_string(c));
    if (c == ';' || c == '=')
      kytfuzz::Check(i > 0 && escaped[i - 1] == '\\', "bare ; or = in the escaped text");
  }
  kytfuzz::Check(Parse::GetCharValues(escaped) == text, "round trip lost a character");
  Parse::GetCharValues(text);
  return 0;
}
