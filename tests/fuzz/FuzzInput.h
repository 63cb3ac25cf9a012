// Helpers shared by the fuzz targets: splitting one input into texts, and failing a
// property so that libFuzzer keeps the input as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace kytfuzz {

// The input split at each zero byte; at most Parts pieces (the last takes the rest).
inline std::vector<std::string> Split(const uint8_t* Data, size_t Size, size_t Parts) {
  std::vector<std::string> out(1);
  for (size_t i = 0; i < Size; ++i) {
    if (Data[i] == 0 && out.size() < Parts)
      out.emplace_back();
    else
      out.back() += static_cast<char>(Data[i]);
  }
  out.resize(Parts);
  return out;
}

// Prints What and aborts: the input becomes a crash file of the run.
[[noreturn]] inline void Fail(const std::string& What) {
  std::fprintf(stderr, "property failed: %s\n", What.c_str());
  std::abort();
}

inline void Check(bool Ok, const std::string& What) {
  if (!Ok) Fail(What);
}

}  // namespace kytfuzz
