// The wildcard matcher on any pattern and text (split at the first zero byte).
// Properties: the result code is one of 1..6; IsMatch agrees with it; every text matches
// itself as a pattern when it holds no wildcard; the pattern "*" matches everything.
#include <cstdint>
#include <string>

#include "sqltext/Parse.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size > 4096) return 0;
  const auto parts = kytfuzz::Split(Data, Size, 2);
  const std::string& pattern = parts[0];
  const std::string& text = parts[1];
  const int code = Parse::matche(pattern, text);
  kytfuzz::Check(code >= 1 && code <= 6, "result code " + std::to_string(code));
  kytfuzz::Check(Parse::IsMatch(pattern, text) == (code == 1), "IsMatch disagrees with matche");
  if (!pattern.empty() && pattern[0] == '*') {
    const int after = Parse::match_after_star(pattern, text);
    kytfuzz::Check(after >= 1 && after <= 6, "match_after_star code " + std::to_string(after));
  }
  if (text.find_first_of("*?[") == std::string::npos)
    kytfuzz::Check(Parse::matche(text, text) == 1, "a plain text does not match itself");
  kytfuzz::Check(Parse::matche("*", text) == 1, "'*' does not match");
  return 0;
}
