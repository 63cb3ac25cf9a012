#include "dataaccess/ibobjects/IB_Register.h"

#include "dataaccess/ibobjects/IBODataset.h"
#include "dataaccess/ibobjects/IB_Components.h"
#include "host/rtl/TypInfo.h"

namespace IB_Register {

void RegisterClasses() {
  using namespace TypInfo;
  using IB_Components::TIB_Query;
  using IBODataset::TIBOQuery;
  RegisterClass({"TIB_Query", "TComponent", [](Classes::TComponent* Owner) { return new TIB_Query(Owner); },
                 {StringProp<TIB_Query>("DatabaseName", &TIB_Query::DatabaseName, &TIB_Query::SetDatabaseName, ""),
                  StringsProp<TIB_Query>("SQL", &TIB_Query::SQL)}});
  RegisterClass({"TIBOQuery", "TComponent", [](Classes::TComponent* Owner) { return new TIBOQuery(Owner); },
                 {StringProp<TIBOQuery>("DatabaseName", &TIBOQuery::DatabaseName, &TIBOQuery::SetDatabaseName, ""),
                  StringsProp<TIBOQuery>("SQL", &TIBOQuery::SQL),
                  BoolProp<TIBOQuery>("RequestLive", &TIBOQuery::RequestLive, &TIBOQuery::SetRequestLive, false)}});
}

}  // namespace IB_Register
