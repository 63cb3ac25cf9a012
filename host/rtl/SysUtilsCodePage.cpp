// Unit SysUtils: the Windows-1252 code page and its conversion to and from UTF-8.
#include <cstdio>

#include "host/rtl/SysUtils.h"

namespace SysUtils {

namespace {

// Unicode of bytes 80..9F in Windows-1252; the undefined ones map to themselves.
constexpr char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

void AppendUtf8(std::string& Out, char32_t C) {
  if (C < 0x80) {
    Out += static_cast<char>(C);
  } else if (C < 0x800) {
    Out += static_cast<char>(0xC0 | (C >> 6));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else if (C < 0x10000) {
    Out += static_cast<char>(0xE0 | (C >> 12));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  } else {
    Out += static_cast<char>(0xF0 | (C >> 18));
    Out += static_cast<char>(0x80 | ((C >> 12) & 0x3F));
    Out += static_cast<char>(0x80 | ((C >> 6) & 0x3F));
    Out += static_cast<char>(0x80 | (C & 0x3F));
  }
}

size_t DecodeUtf8(std::string_view S, size_t I, char32_t& C) {
  const unsigned char lead = static_cast<unsigned char>(S[I]);
  if (lead < 0x80) {
    C = lead;
    return 1;
  }
  const size_t len = lead >= 0xF0 && lead < 0xF5 ? 4 : lead >= 0xE0 && lead < 0xF0 ? 3 : lead >= 0xC2 && lead < 0xE0 ? 2 : 0;
  if (len == 0 || I + len > S.size()) return 0;
  char32_t cp = len == 2 ? lead & 0x1F : len == 3 ? lead & 0x0F : lead & 0x07;
  for (size_t k = 1; k < len; ++k) {
    const unsigned char cc = static_cast<unsigned char>(S[I + k]);
    if ((cc & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (cc & 0x3F);
  }
  if ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) || (cp >= 0xD800 && cp <= 0xDFFF))
    return 0;
  C = cp;
  return len;
}

char32_t AnsiCharToUnicode(unsigned char C) { return C >= 0x80 && C < 0xA0 ? kHigh[C - 0x80] : C; }

bool UnicodeToAnsiChar(char32_t U, char& Out) {
  if (U < 0x80 || (U >= 0xA0 && U <= 0xFF)) {
    Out = static_cast<char>(U);
    return true;
  }
  for (int i = 0; i < 32; ++i) {
    if (kHigh[i] == U) {
      Out = static_cast<char>(0x80 + i);
      return true;
    }
  }
  return false;
}

std::string AnsiToUtf8(const std::string& S) {
  std::string out;
  out.reserve(S.size() + S.size() / 8);
  for (unsigned char c : S) AppendUtf8(out, AnsiCharToUnicode(c));
  return out;
}

std::string Utf8ToAnsi(const std::string& S) {
  std::string out;
  out.reserve(S.size());
  for (size_t i = 0; i < S.size();) {
    char32_t cp = 0;
    const size_t len = DecodeUtf8(S, i, cp);
    char c = '?';
    if (len > 0 && !UnicodeToAnsiChar(cp, c)) c = '?';
    out += c;
    i += len > 0 ? len : 1;
  }
  return out;
}

bool TryUtf8ToAnsi(const std::string& S, std::string& Out, TUtf8Fault* Fault) {
  Out.clear();
  Out.reserve(S.size());
  for (size_t i = 0; i < S.size();) {
    char32_t cp = 0;
    const size_t len = DecodeUtf8(S, i, cp);
    char c = 0;
    if (len == 0 || !UnicodeToAnsiChar(cp, c)) {
      if (Fault != nullptr) {
        Fault->Offset = i;
        Fault->Invalid = len == 0;
        Fault->Char = len == 0 ? static_cast<unsigned char>(S[i]) : cp;
      }
      return false;
    }
    Out += c;
    i += len;
  }
  return true;
}

std::string TUtf8Fault::Describe() const {
  char buf[64];
  if (Invalid) {
    std::snprintf(buf, sizeof buf, "byte 0x%02X at offset %zu, not UTF-8", static_cast<unsigned>(Char), Offset);
    return buf;
  }
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(Char));
  std::string out = std::string(buf) + " \"";
  AppendUtf8(out, Char);
  return out + "\"";
}

}  // namespace SysUtils
