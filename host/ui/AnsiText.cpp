#include "host/ui/AnsiText.h"

namespace AnsiText {

namespace {
const char16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace

QString ToQString(const std::string& S) {
  QString result;
  result.reserve(static_cast<qsizetype>(S.size()));
  for (char ch : S) {
    const unsigned char c = static_cast<unsigned char>(ch);
    result.append(QChar(c >= 0x80 && c <= 0x9F ? kHigh[c - 0x80] : char16_t(c)));
  }
  return result;
}

bool FromQString(const QString& S, std::string& Out) {
  Out.clear();
  Out.reserve(static_cast<size_t>(S.size()));
  for (QChar qc : S) {
    const char16_t u = qc.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
      Out.push_back(static_cast<char>(u));
      continue;
    }
    int found = -1;
    for (int i = 0; i < 32; ++i)
      if (kHigh[i] == u) found = i;
    if (found < 0) return false;
    Out.push_back(static_cast<char>(0x80 + found));
  }
  return true;
}

}  // namespace AnsiText
