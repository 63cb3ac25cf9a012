// Unit Ib_parse: one clause scanner serves both kinds of query, so these forward.
#include "dataaccess/ibobjects/Ib_parse.h"

#include "sqltext/Parse.h"

namespace Ib_parse {

void SetSQLWhere(std::string& SQL, const std::string& NewText) { Parse::SetSQLWhere(SQL, NewText); }
void SetSQLOrder(std::string& SQL, const std::string& NewText) { Parse::SetSQLOrder(SQL, NewText); }

}  // namespace Ib_parse
