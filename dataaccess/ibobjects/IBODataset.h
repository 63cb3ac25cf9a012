// Unit IBODataset: the dataset query over Firebird. It reads through an internal
// native query (IB_Components::TIB_Query), whose columns tell each field's table
// column (SQLName) and table (RelName).
//
// Field types from the native column types: CHAR and VARCHAR ftString; SMALLINT
// ftSmallint, INTEGER ftInteger, BIGINT ftLargeint (each ftBCD when it has decimal
// places, as NUMERIC and DECIMAL have); FLOAT and DOUBLE PRECISION ftFloat; DATE
// ftDate; TIME ftTime; TIMESTAMP ftDateTime; BOOLEAN ftBoolean; text BLOB ftMemo;
// other BLOB ftBlob; anything else (ARRAY ...) ftUnknown.
//
// User-interface thread only.
#pragma once

#include <memory>

#include "dataaccess/db/DB.h"
#include "dataaccess/ibobjects/IB_Components.h"

namespace IBODataset {

// The dataset type of a native column: the mapping above.
DB::TFieldType FieldTypeOf(int SQLType, int SQLSubType, int SQLScale);

class TIBOQuery : public DB::TQueryDataSet {
 public:
  // AOwner takes ownership when not null.
  explicit TIBOQuery(Classes::TComponent* AOwner);
  ~TIBOQuery() override;
  std::string ClassName() const override { return "TIBOQuery"; }

  // The statement (the same list as SQL()).
  Classes::TStrings* GetSQL() const { return SQL(); }

  // Runs a statement that returns no rows and commits it. Raises
  // DB::EDatabaseError when the query is open, and EIB_Error.
  void ExecSQL() override;

  // The internal native query, owned by this one. While this query is open it is
  // prepared with the same text, and its Columns(i) belong to Fields(i).
  IB_Components::TIB_Query* InternalDataset() const { return FInternal.get(); }

 protected:
  std::unique_ptr<DB::TCursor> OpenCursor(std::vector<DB::TFieldDef>& Defs) override;
  void StatementChanged() override;

 private:
  void SyncInternal();

  std::unique_ptr<IB_Components::TIB_Query> FInternal;
};

}  // namespace IBODataset
