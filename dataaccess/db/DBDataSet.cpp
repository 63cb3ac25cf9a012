// Unit DB: the row reader, fields and datasets.
#include "dataaccess/db/DB.h"

namespace DB {

namespace {
const TValue kNoValue;
}

// ---- TRowReader ----------------------------------------------------------------------

void TRowReader::Start(std::unique_ptr<TCursor> Cursor) {
  Stop();
  std::vector<TValue> row;
  bool any = Cursor->Fetch(row);
  FCursor = std::move(Cursor);
  FRow = any ? std::move(row) : std::vector<TValue>();
  FEof = !any;
  FRecNo = any ? 1 : 0;
}

void TRowReader::Next() {
  if (!FCursor || FEof) return;
  if (FCursor->Fetch(FNext)) {
    FRow.swap(FNext);
    ++FRecNo;
  } else {
    FEof = true;
  }
}

void TRowReader::Stop() {
  FCursor.reset();
  FRow.clear();
  FNext.clear();
  FEof = true;
  FRecNo = 0;
}

// ---- TField --------------------------------------------------------------------------

TField::TField(TDataSet* DataSet, const TFieldDef& Def, int Index)
    : FDataSet(DataSet), FFieldName(Def.Name), FDataType(Def.DataType), FSize(Def.Size), FIndex(Index) {}

const std::string& TField::DisplayLabel() const {
  return FDisplayLabel.empty() ? FFieldName : FDisplayLabel;
}

const TValue& TField::Value() const { return FDataSet->CurrentValue(FIndex); }

const TValue& TField::Readable() const {
  const TValue& v = Value();
  if (!v.IsReadable())
    throw EDatabaseError("Field '" + FFieldName + "': a value of type " + v.Bytes() + " cannot be read");
  return v;
}

std::string TField::AsString() const { return Readable().AsString(); }
int64_t TField::AsInteger() const { return Readable().AsInteger(); }
double TField::AsFloat() const { return Readable().AsFloat(); }
bool TField::AsBoolean() const { return Readable().AsBoolean(); }
SysUtils::TDateTime TField::AsDateTime() const { return Readable().AsDateTime(); }

// ---- TDataSet ------------------------------------------------------------------------

TDataSet::TDataSet(Classes::TComponent* AOwner) : Classes::TComponent(AOwner) {}

// Derived classes close in their own destructors, while their engine state exists;
// this one only drops what is left.
TDataSet::~TDataSet() {
  FReader.Stop();
  FFields.clear();
}

void TDataSet::Open() {
  if (Active()) return;
  std::vector<TFieldDef> defs;
  std::unique_ptr<TCursor> cursor = OpenCursor(defs);
  std::vector<std::unique_ptr<TField>> fields;
  fields.reserve(defs.size());
  for (size_t i = 0; i < defs.size(); ++i)
    fields.push_back(std::make_unique<TField>(this, defs[i], static_cast<int>(i)));
  FReader.Start(std::move(cursor));
  FFields = std::move(fields);
  ++FOpenCount;
}

void TDataSet::Close() {
  if (!Active()) return;
  FReader.Stop();
  FFields.clear();
  CursorClosed();
}

void TDataSet::SetActive(bool Value) {
  if (Value)
    Open();
  else
    Close();
}

void TDataSet::CheckActive() const {
  if (!Active()) throw EDatabaseError("Dataset is not open");
}

TField* TDataSet::Fields(int Index) const {
  CheckActive();
  if (Index < 0 || Index >= FieldCount()) throw EDatabaseError("Field index out of range");
  return FFields[static_cast<size_t>(Index)].get();
}

TField* TDataSet::FindField(const std::string& FieldName) const {
  for (const auto& f : FFields)
    if (SysUtils::AnsiSameText(f->FieldName(), FieldName)) return f.get();
  return nullptr;
}

TField* TDataSet::FieldByName(const std::string& FieldName) const {
  TField* f = FindField(FieldName);
  if (f == nullptr) throw EDatabaseError("Field '" + FieldName + "' not found");
  return f;
}

void TDataSet::First() {
  CheckActive();
  // Already on the first row, or no rows at all. A single row read past (Eof) needs
  // the statement run again like any other, or Eof would stay set.
  if (FReader.RecNo() == 0 || (FReader.RecNo() == 1 && !FReader.Eof())) return;
  if (FUniDirectional) throw EDatabaseError("Operation not allowed on a unidirectional dataset");
  // The engines read forward only, so going back runs the statement again; the
  // fields stay as they are.
  std::vector<TFieldDef> defs;
  std::unique_ptr<TCursor> cursor;
  FReader.Stop();
  try {
    cursor = OpenCursor(defs);
    FReader.Start(std::move(cursor));
  } catch (...) {
    Close();
    throw;
  }
}

void TDataSet::Next() {
  CheckActive();
  FReader.Next();
}

const TValue& TDataSet::CurrentValue(int Index) const {
  const std::vector<TValue>& row = FReader.Row();
  if (Index < 0 || static_cast<size_t>(Index) >= row.size()) return kNoValue;
  return row[static_cast<size_t>(Index)];
}

// ---- TQueryDataSet -------------------------------------------------------------------

TQueryDataSet::TQueryDataSet(Classes::TComponent* AOwner)
    : TDataSet(AOwner), FSQL(std::make_unique<Classes::TStringList>()) {
  FSQL->OnChange = [this](Classes::TObject*) {
    Close();
    StatementChanged();
  };
}

TQueryDataSet::~TQueryDataSet() { FSQL->OnChange = nullptr; }

void TQueryDataSet::SetDatabaseName(const std::string& Value) {
  if (Value == FDatabaseName) return;
  Close();
  FDatabaseName = Value;
  StatementChanged();
}

std::string TQueryDataSet::CheckedSQL() const {
  std::string sql = FSQL->Text();
  CheckSQLText(sql);
  return sql;
}

void CheckSQLText(const std::string& SQL) {
  if (SysUtils::Trim(SQL).empty()) throw EDatabaseError("The SQL statement is empty");
  if (SQL.find('\0') != std::string::npos)
    throw EDatabaseError("The SQL statement holds a NUL character");
}

}  // namespace DB
