#include "components/kytIBOFilter.h"

#include <cstdint>
#include <memory>

#include "dataaccess/ibobjects/Ib_parse.h"

namespace kytIBOFilter {

using IB_Components::TIB_Column;
using IB_Components::TIB_Query;
using kytFilterBase::TColumnInfo;
using namespace kytSQLFilterStruc;

kytFilterBase::TTypeMapping NativeFieldType(int SQLType, int SQLSubType) {
  switch (SQLType & ~1) {
    case 448:  // VARCHAR
    case 452:  // CHAR
      return {fString, true};
    case 480:  // DOUBLE PRECISION
    case 482:  // FLOAT
    case 530:  // D_FLOAT
      return {fFloat, true};
    case 496:  // INTEGER
    case 500:  // SMALLINT
    case 580:  // 64-bit integer
      return {fInteger, true};
    case 510:  // TIMESTAMP
      return {fDateTime, true};
    case 520:  // BLOB: text, or something the dialog can still compare as a whole
      return {SQLSubType == 1 ? fString : fUnknow, true};
    case 560:  // TIME
      return {fTime, true};
    case 570:  // DATE
      return {fDate, true};
    default:
      return {fUnknow, false};
  }
}

namespace {

TColumnInfo Describe(const TIB_Column& Column) {
  TColumnInfo info;
  const kytFilterBase::TTypeMapping type = NativeFieldType(Column.SQLType(), Column.SQLSubType());
  info.DataType = type.DataType;
  info.Supported = type.Supported;
  info.TableName = Column.RelName() + ".";
  // The native length is a 16-bit signed number. A BLOB's length is that of its id,
  // not of its text: no typing limit.
  info.MaxSize = (Column.SQLType() & ~1) == 520 ? 0 : static_cast<int16_t>(Column.SQLLen());
  info.Description = Column.DisplayLabel().empty() ? Column.FieldName() : Column.DisplayLabel();
  info.TestName = Column.FieldName();
  return info;
}

class TIBOVariant : public kytFilterBase::TFilterVariant {
 public:
  bool IsQuery(const Classes::TComponent* Query) const override {
    return dynamic_cast<const TIB_Query*>(Query) != nullptr;
  }
  bool IsFilter(const Classes::TPersistent* Filter) const override {
    return dynamic_cast<const TkytIBOFilter*>(Filter) != nullptr;
  }
  TSpecialOperators InitialSpecialOperators() const override { return {opStartingWith, opContains}; }
  bool SpecialOperatorsHaveDefault() const override { return true; }

  std::string GetSQL(Classes::TComponent& Query) const override { return Native(Query).SQL()->Text(); }
  void SetSQL(Classes::TComponent& Query, const std::string& SQL) const override {
    Native(Query).SQL()->SetText(SQL);
  }
  bool Active(Classes::TComponent& Query) const override { return Native(Query).Active(); }
  void Open(Classes::TComponent& Query) const override { Native(Query).Open(); }
  void Close(Classes::TComponent& Query) const override { Native(Query).Close(); }
  void SetSQLWhere(std::string& SQL, const std::string& Clause) const override { Ib_parse::SetSQLWhere(SQL, Clause); }
  void SetSQLOrder(std::string& SQL, const std::string& Clause) const override { Ib_parse::SetSQLOrder(SQL, Clause); }

  void DescribeQuery(Classes::TComponent& Query, std::vector<TColumnInfo>& Columns) const override {
    const TIB_Query& query = Native(Query);
    Columns.clear();
    for (int i = 0; i < query.FieldCount(); ++i) {
      const TIB_Column& column = *query.Columns(i);
      TColumnInfo info = Describe(column);
      info.FieldName = column.SQLName();
      Columns.push_back(std::move(info));
    }
  }

  // The scratch query is only prepared, so no row is ever fetched.
  std::unique_ptr<Classes::TComponent> NewScratchQuery(Classes::TComponent& Query) const override {
    auto scratch = std::make_unique<TIB_Query>(nullptr);
    scratch->SetDatabaseName(Native(Query).DatabaseName());
    return scratch;
  }
  void OpenScratch(Classes::TComponent& Scratch) const override { Native(Scratch).Prepare(); }
  void CloseScratch(Classes::TComponent& Scratch) const override { Native(Scratch).Unprepare(); }
  void DescribeTable(Classes::TComponent& Scratch, const kytSQLFilterStruc::TTableRef&,
                     std::vector<TColumnInfo>& Columns) const override {
    const TIB_Query& query = Native(Scratch);
    for (int i = 0; i < query.FieldCount(); ++i) {
      const TIB_Column& column = *query.Columns(i);
      TColumnInfo info = Describe(column);
      info.FieldName = column.FieldName();
      Columns.push_back(std::move(info));
    }
  }

 private:
  static TIB_Query& Native(Classes::TComponent& Query) { return dynamic_cast<TIB_Query&>(Query); }
};

}  // namespace

TkytIBOFilter::TkytIBOFilter(Classes::TComponent* AOwner)
    : TkytFilter(AOwner, kytFilterBase::VariantOf<TIBOVariant>()) {}

void RegisterComponents() {
  kytFilterBase::RegisterFilterClass<TkytIBOFilter>("TkytIBOFilter", kytFilterBase::VariantOf<TIBOVariant>());
}

void Register() {
  RegisterComponents();
  kytFilterDesign::RegisterFilter<TkytIBOFilter, TFilterFieldDefsProperty>("IB Controls", "TkytIBOFilter", 0x2060E0);
}

}  // namespace kytIBOFilter
