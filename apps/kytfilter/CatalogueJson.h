// The field catalogue as the command line's JSON speaks it: the nine fields of an entry
// under the names flt where --fields reads and form show writes.
#pragma once

#include <string>

#include "filtermodel/kytSQLFilterStruc.h"

namespace kytcli {

// The names of the data types and field kinds, by ordinal.
inline constexpr const char* kDataTypeNames[] = {"fString", "fFloat",    "fInteger", "fGraphic", "fBlob",
                                                 "fDate",   "fTime",     "fDateTime", "fUnknow", "fBoolean"};
inline constexpr const char* kFieldKindNames[] = {"fkSelected", "fkNotInSelected", "fkJoined"};

// A JSON string of the Windows-1252 text Ansi, as UTF-8, quotes and controls escaped.
std::string JsonString(const std::string& Ansi);

// The name of DataType (FieldKind); a value outside the enumeration, which only a
// damaged image holds, as its number.
std::string DataTypeName(kytSQLFilterStruc::TFType DataType);
std::string FieldKindName(kytSQLFilterStruc::TFKind FieldKind);

// One entry as a JSON object: fieldName, comboOrder, tableName, dataType, maxSize,
// fieldKind, description, supported, visible; a value outside its enumeration as a
// number.
std::string CampoJson(const kytSQLFilterStruc::TCampo& Campo);

}  // namespace kytcli
