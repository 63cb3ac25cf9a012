// Unit IBODataset: the dataset query over the internal native query.
#include "dataaccess/ibobjects/IBODataset.h"

#include <ibase.h>

namespace IBODataset {

DB::TFieldType FieldTypeOf(int SQLType, int SQLSubType, int SQLScale) {
  int type = SQLType & ~1;
  switch (type) {
    case SQL_TEXT:
    case SQL_VARYING:
      return DB::ftString;
    case SQL_SHORT:
      return SQLScale < 0 ? DB::ftBCD : DB::ftSmallint;
    case SQL_LONG:
      return SQLScale < 0 ? DB::ftBCD : DB::ftInteger;
    case SQL_INT64:
      return SQLScale < 0 ? DB::ftBCD : DB::ftLargeint;
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
      return DB::ftFloat;
    case SQL_TYPE_DATE:
      return DB::ftDate;
    case SQL_TYPE_TIME:
      return DB::ftTime;
    case SQL_TIMESTAMP:
      return DB::ftDateTime;
    case SQL_BOOLEAN:
      return DB::ftBoolean;
    case SQL_BLOB:
      return SQLSubType == 1 ? DB::ftMemo : DB::ftBlob;
    default:
      return DB::ftUnknown;
  }
}

TIBOQuery::TIBOQuery(Classes::TComponent* AOwner)
    : DB::TQueryDataSet(AOwner), FInternal(std::make_unique<IB_Components::TIB_Query>(nullptr)) {}

TIBOQuery::~TIBOQuery() { Close(); }

void TIBOQuery::StatementChanged() { FInternal->Unprepare(); }

void TIBOQuery::SyncInternal() {
  std::string sql = CheckedSQL();
  if (FInternal->DatabaseName() != DatabaseName()) FInternal->SetDatabaseName(DatabaseName());
  if (FInternal->SQL()->Text() != sql) FInternal->SQL()->SetText(sql);
}

std::unique_ptr<DB::TCursor> TIBOQuery::OpenCursor(std::vector<DB::TFieldDef>& Defs) {
  SyncInternal();
  FInternal->Prepare();
  Defs.clear();
  for (int i = 0; i < FInternal->FieldCount(); ++i) {
    const IB_Components::TIB_Column* c = FInternal->Columns(i);
    DB::TFieldDef d;
    d.Name = c->FieldName();
    d.DataType = FieldTypeOf(c->SQLType(), c->SQLSubType(), c->SQLScale());
    if (d.DataType == DB::ftString) d.Size = c->SQLLen();
    if (d.DataType == DB::ftBCD) d.Size = -c->SQLScale();
    Defs.push_back(d);
  }
  return FInternal->OpenCursor();
}

void TIBOQuery::ExecSQL() {
  if (Active()) throw DB::EDatabaseError("The query is open; close it before ExecSQL");
  SyncInternal();
  FInternal->ExecSQL();
}

}  // namespace IBODataset
