// Unit IB_Components: connections, columns and the native query.
#include "dataaccess/ibobjects/IB_Components.h"

#include <algorithm>

#include "dataaccess/db/DBText.h"
#include "dataaccess/ibobjects/FbClient_p.h"

namespace IB_Components {

using detail::TAttachment;
using detail::TStatement;

namespace {

// The connection components alive in the process, so a query that names their
// database attaches with their login.
std::vector<TIB_Connection*>& Connections() {
  static std::vector<TIB_Connection*> list;
  return list;
}

const DB::TValue kNoValue;

}  // namespace

// ---- TIB_Connection -------------------------------------------------------------------

TIB_Connection::TIB_Connection(Classes::TComponent* AOwner) : Classes::TComponent(AOwner) {
  Connections().push_back(this);
}

TIB_Connection::~TIB_Connection() {
  Disconnect();
  auto& list = Connections();
  list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TIB_Connection::SetDatabaseName(const std::string& Value) {
  if (Value == FDatabaseName) return;
  Disconnect();
  FDatabaseName = Value;
}

void TIB_Connection::Connect() {
  // An attachment whose connection was lost, or whose file went from its name, is
  // replaced by a new one.
  if (FAttachment && FAttachment->Usable()) return;
  FAttachment = TAttachment::Acquire(FDatabaseName, detail::TLogin{FUserName, FPassword});
}

void TIB_Connection::Disconnect() { FAttachment.reset(); }

void TIB_Connection::ExecuteImmediate(const std::string& SQL) {
  Connect();
  FAttachment->ExecuteImmediate(SQL);
}

std::shared_ptr<TAttachment> TIB_Connection::Attach(const std::string& DatabaseName) {
  std::string key = detail::AttachmentKey(DatabaseName);
  detail::TLogin login;
  for (TIB_Connection* c : Connections()) {
    if (detail::AttachmentKey(c->FDatabaseName) == key) {
      if (c->FAttachment && c->FAttachment->Usable()) return c->FAttachment;
      login = detail::TLogin{c->FUserName, c->FPassword};
      break;
    }
  }
  return TAttachment::Acquire(DatabaseName, login);
}

void TIB_Connection::CreateDatabase(const std::string& DatabaseName, const std::string& Script,
                                    bool ForcedWrites, const std::string& UserName,
                                    const std::string& Password) {
  std::string key = detail::AttachmentKey(DatabaseName);
  if (key.empty()) throw EIB_Error("No database name is given");
  std::string dpb = detail::BuildDpb(DatabaseName, detail::TLogin{UserName, Password}, true, ForcedWrites);
  ISC_STATUS_ARRAY st;
  isc_db_handle db = 0;
  std::string file = DB::AnsiToUtf8(key);
  if (isc_create_database(st, 0, file.c_str(), &db, static_cast<short>(dpb.size()), dpb.data(), 0))
    detail::RaiseStatus(st, "Cannot create \"" + SysUtils::Trim(DatabaseName) + "\":");
  TAttachment att(key, db);
  std::vector<std::string> statements = detail::SplitScript(Script);
  for (size_t i = 0; i < statements.size(); ++i) {
    try {
      att.ExecuteImmediate(statements[i]);
    } catch (const SysUtils::Exception& e) {
      try {
        att.Drop();
      } catch (const SysUtils::Exception&) {
        // The statement's error is the one to report; the file may stay behind.
      }
      const auto* ib = dynamic_cast<const EIB_Error*>(&e);
      throw EIB_Error("Statement " + std::to_string(i + 1) + " of the script failed:\n" + e.Message(),
                      ib ? ib->ErrorCodes() : std::vector<intptr_t>(), ib ? ib->SQLCode() : 0);
    }
  }
}

// ---- TIB_Column -----------------------------------------------------------------------

const DB::TValue& TIB_Column::Value() const { return FQuery->CurrentValue(FIndex); }

const DB::TValue& TIB_Column::Readable() const {
  const DB::TValue& v = Value();
  if (!v.IsReadable())
    throw EIB_Error("Column '" + FFieldName + "': a value of type " + v.Bytes() + " cannot be read");
  return v;
}

std::string TIB_Column::AsString() const { return Readable().AsString(); }
int64_t TIB_Column::AsInteger() const { return Readable().AsInteger(); }
double TIB_Column::AsFloat() const { return Readable().AsFloat(); }
bool TIB_Column::AsBoolean() const { return Readable().AsBoolean(); }
SysUtils::TDateTime TIB_Column::AsDateTime() const { return Readable().AsDateTime(); }

// ---- TIB_Query ------------------------------------------------------------------------

TIB_Query::TIB_Query(Classes::TComponent* AOwner)
    : Classes::TComponent(AOwner), FSQL(std::make_unique<Classes::TStringList>()) {
  FSQL->OnChange = [this](Classes::TObject*) { Unprepare(); };
}

TIB_Query::~TIB_Query() {
  FSQL->OnChange = nullptr;
  Unprepare();
}

void TIB_Query::SetDatabaseName(const std::string& Value) {
  if (Value == FDatabaseName) return;
  Unprepare();
  FDatabaseName = Value;
}

void TIB_Query::Prepare() {
  if (FStatement) return;
  std::string sql = FSQL->Text();
  DB::CheckSQLText(sql);
  std::shared_ptr<TAttachment> attachment = TIB_Connection::Attach(FDatabaseName);
  std::shared_ptr<TStatement> statement;
  try {
    statement = std::make_shared<TStatement>(attachment, sql);
  } catch (const EIB_Error&) {
    // The shared attachment turned out lost (the server was restarted since it was
    // made): one new attachment is tried, so the first query after a restart works.
    if (!attachment->Lost()) throw;
    attachment.reset();
    statement = std::make_shared<TStatement>(TIB_Connection::Attach(FDatabaseName), sql);
  }
  std::vector<std::unique_ptr<TIB_Column>> columns;
  for (int i = 0; i < statement->ColumnCount(); ++i) {
    const XSQLVAR& v = statement->Var(i);
    auto c = std::make_unique<TIB_Column>();
    c->FQuery = this;
    c->FIndex = i;
    c->FFieldName = std::string(v.aliasname, static_cast<size_t>(std::max<short>(v.aliasname_length, 0)));
    c->FSQLName = std::string(v.sqlname, static_cast<size_t>(std::max<short>(v.sqlname_length, 0)));
    c->FRelName = std::string(v.relname, static_cast<size_t>(std::max<short>(v.relname_length, 0)));
    c->FSQLType = v.sqltype;
    c->FSQLSubType = v.sqlsubtype;
    c->FSQLLen = v.sqllen;
    c->FSQLScale = v.sqlscale;
    columns.push_back(std::move(c));
  }
  FStatement = std::move(statement);
  FColumns = std::move(columns);
}

void TIB_Query::Unprepare() {
  Close();
  FColumns.clear();
  FStatement.reset();
}

void TIB_Query::Open() {
  if (Active()) return;
  Prepare();
  FReader.Start(FStatement->Open());
}

void TIB_Query::Close() { FReader.Stop(); }

void TIB_Query::SetActive(bool Value) {
  if (Value)
    Open();
  else
    Close();
}

void TIB_Query::ExecSQL() {
  if (Active()) throw EIB_Error("The query is open; close it before ExecSQL");
  Prepare();
  FStatement->Execute();
}

TIB_Column* TIB_Query::Columns(int Index) const {
  if (Index < 0 || Index >= FieldCount()) throw EIB_Error("Column index out of range");
  return FColumns[static_cast<size_t>(Index)].get();
}

TIB_Column* TIB_Query::FindColumn(const std::string& FieldName) const {
  for (const auto& c : FColumns)
    if (SysUtils::AnsiSameText(c->FieldName(), FieldName)) return c.get();
  return nullptr;
}

void TIB_Query::First() {
  if (!Active()) throw EIB_Error("The query is not open");
  if (FReader.RecNo() <= 1) return;
  FReader.Stop();
  FReader.Start(FStatement->Open());
}

void TIB_Query::Next() {
  if (!Active()) throw EIB_Error("The query is not open");
  FReader.Next();
}

std::unique_ptr<DB::TCursor> TIB_Query::OpenCursor() {
  if (!FStatement) throw EIB_Error("The query is not prepared");
  return FStatement->Open();
}

const DB::TValue& TIB_Query::CurrentValue(int Index) const {
  const auto& row = FReader.Row();
  if (Index < 0 || static_cast<size_t>(Index) >= row.size()) return kNoValue;
  return row[static_cast<size_t>(Index)];
}

}  // namespace IB_Components
