// Unit Ib_parse: clause replacement for statements of the native query. The same
// arguments and results as the functions of the same names of unit Parse, to which
// they forward: the statement by reference and the new clause with its keyword
// ("WHERE A = 1", "ORDER BY B"); an empty text removes the clause.
#pragma once

#include <string>

namespace Ib_parse {

void SetSQLWhere(std::string& SQL, const std::string& NewText);
void SetSQLOrder(std::string& SQL, const std::string& NewText);

}  // namespace Ib_parse
