// Hexadecimal text. Properties: BinaryToHexText gives 2 upper-case digits per byte and
// HexTextToBinary restores every byte; HexTextToBinary on any text either fills the
// buffer or, for a text that is too short, raises EParseError and leaves it untouched.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "sqltext/Parse.h"
#include "tests/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size > 4096) return 0;
  const int n = static_cast<int>(Size);
  const std::string hex = Parse::BinaryToHexText(Data, n);
  kytfuzz::Check(hex.size() == 2 * Size, "hex text of the wrong length");
  kytfuzz::Check(hex.find_first_not_of("0123456789ABCDEF") == std::string::npos, "not upper-case hex");
  std::vector<uint8_t> back(Size + 1, 0xA5);
  Parse::HexTextToBinary(hex, back.data(), n);
  kytfuzz::Check(std::memcmp(back.data(), Data, Size) == 0 && back[Size] == 0xA5, "round trip changed the bytes");

  // The input as text, read into a buffer of a size its first byte chooses.
  if (Size > 0) {
    const int want = Data[0];
    const std::string text(reinterpret_cast<const char*>(Data + 1), Size - 1);
    std::vector<uint8_t> buf(static_cast<size_t>(want) + 1, 0x5A);
    try {
      Parse::HexTextToBinary(text, buf.data(), want);
      kytfuzz::Check(text.size() >= 2 * static_cast<size_t>(want), "short text accepted");
    } catch (const Parse::EParseError&) {
      kytfuzz::Check(text.size() < 2 * static_cast<size_t>(want), "long enough text refused");
      for (uint8_t b : buf) kytfuzz::Check(b == 0x5A, "buffer touched on failure");
    }
    kytfuzz::Check(buf[static_cast<size_t>(want)] == 0x5A, "wrote past the buffer");
  }
  return 0;
}
