// Conversion between the system's single-byte text (Windows-1252) and Qt's QString.
#pragma once

#include <QString>

#include <string>

namespace AnsiText {

// Every byte has a character: 0x80..0x9F follow Windows-1252, the five codes it leaves
// unassigned map to the C1 control of the same value.
QString ToQString(const std::string& S);

// The Windows-1252 bytes of S. Returns false (and leaves Out unspecified) when S holds a
// character that Windows-1252 cannot represent.
bool FromQString(const QString& S, std::string& Out);

}  // namespace AnsiText
