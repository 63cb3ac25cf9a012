#include "dataaccess/bde/BDE_Register.h"

#include "dataaccess/bde/DBTables.h"
#include "host/rtl/TypInfo.h"

namespace BDE_Register {

void RegisterClasses() {
  using namespace TypInfo;
  using DBTables::TQuery;
  RegisterClass({"TQuery", "TComponent", [](Classes::TComponent* Owner) { return new TQuery(Owner); },
                 {StringProp<TQuery>("DatabaseName", &TQuery::DatabaseName, &TQuery::SetDatabaseName, ""),
                  StringsProp<TQuery>("SQL", &TQuery::SQL),
                  BoolProp<TQuery>("RequestLive", &TQuery::RequestLive, &TQuery::SetRequestLive, false)}});
}

}  // namespace BDE_Register
