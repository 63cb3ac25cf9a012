#include "host/ui/AnsiText.h"

#include "host/rtl/SysUtils.h"

namespace AnsiText {

// The code page's table is SysUtils'; Qt's UTF-16 units stand for the characters here
// because every Windows-1252 character lies in the basic plane.
QString ToQString(const std::string& S) {
  QString result;
  result.reserve(static_cast<qsizetype>(S.size()));
  for (char ch : S)
    result.append(QChar(static_cast<char16_t>(SysUtils::AnsiCharToUnicode(static_cast<unsigned char>(ch)))));
  return result;
}

bool FromQString(const QString& S, std::string& Out) {
  Out.clear();
  Out.reserve(static_cast<size_t>(S.size()));
  for (QChar qc : S) {
    char c = 0;
    if (!SysUtils::UnicodeToAnsiChar(qc.unicode(), c)) return false;
    Out.push_back(c);
  }
  return true;
}

}  // namespace AnsiText
