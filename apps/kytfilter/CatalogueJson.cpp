#include "apps/kytfilter/CatalogueJson.h"

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <iterator>

#include "host/ui/AnsiText.h"

namespace kytcli {

namespace {

template <size_t N>
std::string NameOf(int Ordinal, const char* const (&Names)[N]) {
  if (Ordinal >= 0 && static_cast<size_t>(Ordinal) < N) return Names[Ordinal];
  return std::to_string(Ordinal);
}

template <size_t N>
std::string JsonNameOf(int Ordinal, const char* const (&Names)[N]) {
  if (Ordinal >= 0 && static_cast<size_t>(Ordinal) < N) return std::string("\"") + Names[Ordinal] + "\"";
  return std::to_string(Ordinal);
}

}  // namespace

std::string JsonString(const std::string& Ansi) {
  const QByteArray utf8 = AnsiText::ToQString(Ansi).toUtf8();
  std::string out = "\"";
  for (char ch : utf8) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

std::string DataTypeName(kytSQLFilterStruc::TFType DataType) {
  return NameOf(static_cast<int>(DataType), kDataTypeNames);
}

std::string FieldKindName(kytSQLFilterStruc::TFKind FieldKind) {
  return NameOf(static_cast<int>(FieldKind), kFieldKindNames);
}

std::string CampoJson(const kytSQLFilterStruc::TCampo& C) {
  return "{\"fieldName\": " + JsonString(C.FieldName) + ", \"comboOrder\": " + std::to_string(C.ComboOrder) +
         ", \"tableName\": " + JsonString(C.TableName) +
         ", \"dataType\": " + JsonNameOf(static_cast<int>(C.DataType), kDataTypeNames) +
         ", \"maxSize\": " + std::to_string(C.MaxSize) +
         ", \"fieldKind\": " + JsonNameOf(static_cast<int>(C.FieldKind), kFieldKindNames) +
         ", \"description\": " + JsonString(C.Description) + ", \"supported\": " + (C.Supported ? "true" : "false") +
         ", \"visible\": " + (C.Visible ? "true" : "false") + "}";
}

}  // namespace kytcli
