// The Firebird client-library plumbing: errors, parameter blocks, attachments,
// statements, row decoding and script splitting.
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>

#include <sys/stat.h>

#include "dataaccess/db/DBText.h"
#include "dataaccess/ibobjects/FbClient_p.h"
#include "dataaccess/ibobjects/IB_Components.h"

namespace IB_Components::detail {

namespace {

// isc_dsql_fetch's result when the cursor has no more rows.
constexpr ISC_STATUS kFetchEnd = 100;


// ISC_DATE counts days from 1858-11-17; TDateTime's day 0 is 1899-12-30.
constexpr int32_t kIscDateOfDay0 = 15018;

std::string EnvOr(const char* Name, const std::string& Default) {
  const char* v = std::getenv(Name);
  return v != nullptr && *v != '\0' ? std::string(v) : Default;
}

void AddItem(std::string& Dpb, char Tag, const std::string& Value) {
  if (Value.size() > 255) throw EIB_Error("Connection parameter too long");
  Dpb += Tag;
  Dpb += static_cast<char>(Value.size());
  Dpb += Value;
}

void AddInt(std::string& Dpb, char Tag, uint32_t Value) {
  Dpb += Tag;
  Dpb += static_cast<char>(4);
  for (int i = 0; i < 4; ++i) Dpb += static_cast<char>((Value >> (8 * i)) & 0xFF);
}

// Registry of live attachments by key: queries that name one database share it.
std::map<std::string, std::weak_ptr<TAttachment>>& Attachments() {
  static std::map<std::string, std::weak_ptr<TAttachment>> map;
  return map;
}

// True when Status holds an error that means the attachment can no longer be used.
bool SaysConnectionLost(const ISC_STATUS* Status) {
  static const ISC_STATUS kLost[] = {isc_network_error, isc_net_read_err,  isc_net_write_err, isc_lost_db_connection,
                                     isc_conn_lost,     isc_att_shutdown,  isc_shutdown,      isc_bad_db_handle};
  for (size_t i = 0; Status[i] != isc_arg_end && Status[i] != isc_arg_warning;) {
    const ISC_STATUS arg = Status[i];
    if (arg == isc_arg_gds)
      for (ISC_STATUS code : kLost)
        if (Status[i + 1] == code) return true;
    i += arg == isc_arg_cstring ? 3 : 2;
  }
  return false;
}

}  // namespace

// ---- errors ----------------------------------------------------------------------------

void RaiseStatus(const ISC_STATUS* Status, const std::string& Context) {
  std::string msg = Context;
  char buf[1024];
  const ISC_STATUS* pv = Status;
  while (fb_interpret(buf, sizeof buf, &pv) > 0) {
    if (!msg.empty()) msg += "\n";
    msg += buf;
  }
  std::vector<intptr_t> codes;
  for (size_t i = 0; Status[i] != isc_arg_end && Status[i] != isc_arg_warning;) {
    ISC_STATUS arg = Status[i];
    if (arg == isc_arg_gds) codes.push_back(Status[i + 1]);
    i += arg == isc_arg_cstring ? 3 : 2;
  }
  throw EIB_Error(msg, std::move(codes), static_cast<int>(isc_sqlcode(Status)));
}

// ---- names and parameter blocks -------------------------------------------------------

bool IsServerName(const std::string& DatabaseName) {
  std::string name = SysUtils::Trim(DatabaseName);
  size_t colon = name.find(':');
  if (colon == std::string::npos || name.empty() || name[0] == '/') return false;
  // "C:\data\x.fdb" and "C:/x.fdb" name a drive, not a host.
  return colon > 1;
}

std::string AttachmentKey(const std::string& DatabaseName) {
  std::string name = SysUtils::Trim(DatabaseName);
  if (name.empty() || IsServerName(name)) return name;
  return std::filesystem::absolute(std::filesystem::path(name)).lexically_normal().string();
}

std::string BuildDpb(const std::string& DatabaseName, const TLogin& Login, bool Create,
                     bool ForcedWrites) {
  std::string dpb(1, static_cast<char>(isc_dpb_version1));
  if (IsServerName(DatabaseName)) {
    AddItem(dpb, isc_dpb_user_name, Login.UserName.empty() ? EnvOr("ISC_USER", "SYSDBA") : Login.UserName);
    std::string password = Login.Password.empty() ? EnvOr("ISC_PASSWORD", "") : Login.Password;
    if (!password.empty()) AddItem(dpb, isc_dpb_password, password);
  } else {
    // The embedded engine trusts the process; the provider list keeps a running
    // server from taking a plain path.
    AddItem(dpb, isc_dpb_user_name, "SYSDBA");
    AddItem(dpb, isc_dpb_config, "Providers=Engine12");
  }
  AddItem(dpb, isc_dpb_lc_ctype, "WIN1252");
  if (Create) {
    AddItem(dpb, isc_dpb_set_db_charset, "WIN1252");
    AddInt(dpb, isc_dpb_sql_dialect, SQL_DIALECT_V6);
    AddInt(dpb, isc_dpb_force_write, ForcedWrites ? 1 : 0);
  }
  return dpb;
}

// ---- attachments ----------------------------------------------------------------------

std::shared_ptr<TAttachment> TAttachment::Acquire(const std::string& DatabaseName, const TLogin& Login) {
  std::string key = AttachmentKey(DatabaseName);
  if (key.empty()) throw EIB_Error("No database name is given");
  auto& map = Attachments();
  for (auto it = map.begin(); it != map.end();) it = it->second.expired() ? map.erase(it) : std::next(it);
  bool moved = false;
  if (auto it = map.find(key); it != map.end()) {
    if (auto live = it->second.lock()) {
      if (live->Usable()) return live;
      moved = live->Moved();
    }
  }

  std::string dpb = BuildDpb(DatabaseName, Login, false, true);
  ISC_STATUS_ARRAY st;
  isc_db_handle db = 0;
  // File names go to the client library in the system's encoding, UTF-8.
  std::string file = DB::AnsiToUtf8(key);
  // The embedded engine finds a database it has open by its name, even when the file has
  // gone from that name since: with nothing there now, it would hand out the old one.
  struct stat there{};
  if (moved && ::stat(file.c_str(), &there) != 0)
    throw EIB_Error("Cannot attach \"" + SysUtils::Trim(DatabaseName) + "\":\nthe database file is no longer there");
  if (isc_attach_database(st, 0, file.c_str(), &db, static_cast<short>(dpb.size()), dpb.data()))
    RaiseStatus(st, "Cannot attach \"" + SysUtils::Trim(DatabaseName) + "\":");
  auto att = std::make_shared<TAttachment>(key, db);
  if (!IsServerName(DatabaseName)) att->NoteFile(file);
  map[key] = att;
  return att;
}

TAttachment::TAttachment(std::string Key, isc_db_handle Db) : FKey(std::move(Key)), FDb(Db) {}

TAttachment::~TAttachment() {
  ISC_STATUS_ARRAY st;
  if (FTr != 0 && isc_commit_transaction(st, &FTr)) isc_rollback_transaction(st, &FTr);
  if (FDb != 0) isc_detach_database(st, &FDb);
}

void TAttachment::NoteFile(const std::string& Path) {
  struct stat st{};
  if (::stat(Path.c_str(), &st) != 0) return;
  FFile = Path;
  FDevice = st.st_dev;
  FInode = st.st_ino;
}

bool TAttachment::Moved() const {
  if (FFile.empty()) return false;
  struct stat st{};
  return ::stat(FFile.c_str(), &st) != 0 || st.st_dev != FDevice || st.st_ino != FInode;
}

void TAttachment::Raise(const ISC_STATUS* Status, const std::string& Context) {
  if (SaysConnectionLost(Status)) FLost = true;
  RaiseStatus(Status, Context);
}

isc_tr_handle* TAttachment::Tr() {
  if (FTr == 0) {
    // Read committed with record versions: readers see every committed change and
    // never wait for writers; a conflict is reported at once instead of hanging.
    static const char tpb[] = {isc_tpb_version3, isc_tpb_write, isc_tpb_read_committed,
                               isc_tpb_rec_version, isc_tpb_nowait};
    ISC_STATUS_ARRAY st;
    if (isc_start_transaction(st, &FTr, 1, &FDb, static_cast<unsigned short>(sizeof tpb), tpb))
      Raise(st, "Cannot start a transaction:");
  }
  return &FTr;
}

void TAttachment::Commit() {
  if (FTr == 0) return;
  ISC_STATUS_ARRAY st;
  if (isc_commit_retaining(st, &FTr)) Raise(st);
}

void TAttachment::ExecuteImmediate(const std::string& SQL) {
  std::string word = SysUtils::UpperCase(SysUtils::Trim(SQL));
  if (word == "COMMIT" || word == "COMMIT WORK") {
    Commit();
    return;
  }
  DB::CheckSQLText(SQL);
  ISC_STATUS_ARRAY st;
  if (isc_dsql_execute_immediate(st, &FDb, Tr(), 0, SQL.c_str(), SQL_DIALECT_V6, nullptr))
    Raise(st);
  Commit();
}

void TAttachment::Drop() {
  ISC_STATUS_ARRAY st;
  if (FTr != 0 && isc_commit_transaction(st, &FTr)) isc_rollback_transaction(st, &FTr);
  FTr = 0;
  if (isc_drop_database(st, &FDb)) RaiseStatus(st, "Cannot drop the database:");
  FDb = 0;
}

// ---- statements -----------------------------------------------------------------------

class TFbCursor : public DB::TCursor {
 public:
  explicit TFbCursor(std::shared_ptr<TStatement> Statement) : FStatement(std::move(Statement)) {}
  ~TFbCursor() override {
    ISC_STATUS_ARRAY st;
    isc_dsql_free_statement(st, &FStatement->FStmt, DSQL_close);
    FStatement->FCursorOpen = false;
  }
  bool Fetch(std::vector<DB::TValue>& Row) override {
    // Fetching again after the end is an error to the engine, so the end is kept.
    if (FDone) return false;
    ISC_STATUS_ARRAY st;
    ISC_STATUS rc = isc_dsql_fetch(st, &FStatement->FStmt, SQLDA_VERSION1, FStatement->FOut);
    if (rc == kFetchEnd) {
      FDone = true;
      return false;
    }
    if (rc != 0) FStatement->FAttachment->Raise(st);
    FStatement->ReadRow(Row);
    return true;
  }

 private:
  std::shared_ptr<TStatement> FStatement;
  bool FDone = false;
};

TStatement::TStatement(std::shared_ptr<TAttachment> Attachment, const std::string& SQL)
    : FAttachment(std::move(Attachment)) {
  ISC_STATUS_ARRAY st;
  if (isc_dsql_allocate_statement(st, FAttachment->Db(), &FStmt)) FAttachment->Raise(st);
  auto describe = [this](int Count) {
    FOutBuffer.assign(XSQLDA_LENGTH(Count), 0);
    FOut = reinterpret_cast<XSQLDA*>(FOutBuffer.data());
    FOut->version = SQLDA_VERSION1;
    FOut->sqln = static_cast<ISC_SHORT>(Count);
  };
  describe(1);
  if (isc_dsql_prepare(st, FAttachment->Tr(), &FStmt, 0, SQL.c_str(), SQL_DIALECT_V6, FOut)) {
    ISC_STATUS_ARRAY st2;
    isc_dsql_free_statement(st2, &FStmt, DSQL_drop);
    FAttachment->Raise(st);
  }
  if (FOut->sqld > FOut->sqln) {
    describe(FOut->sqld);
    if (isc_dsql_describe(st, &FStmt, SQLDA_VERSION1, FOut)) {
      ISC_STATUS_ARRAY st2;
      isc_dsql_free_statement(st2, &FStmt, DSQL_drop);
      FAttachment->Raise(st);
    }
  }
  static const char item[] = {isc_info_sql_stmt_type};
  char info[16] = {};
  if (isc_dsql_sql_info(st, &FStmt, sizeof item, item, sizeof info, info) == 0 &&
      info[0] == isc_info_sql_stmt_type) {
    short len = static_cast<short>(isc_vax_integer(info + 1, 2));
    FType = static_cast<int>(isc_vax_integer(info + 3, len));
  }
  int n = FOut->sqld;
  FData.resize(static_cast<size_t>(n));
  FNulls.assign(static_cast<size_t>(n), 0);
  for (int i = 0; i < n; ++i) {
    XSQLVAR& v = FOut->sqlvar[i];
    size_t bytes = static_cast<size_t>(v.sqllen) + ((v.sqltype & ~1) == SQL_VARYING ? 2 : 0);
    FData[static_cast<size_t>(i)].assign(bytes / 8 + 1, 0);
    v.sqldata = reinterpret_cast<ISC_SCHAR*>(FData[static_cast<size_t>(i)].data());
    v.sqlind = &FNulls[static_cast<size_t>(i)];
  }
}

TStatement::~TStatement() {
  ISC_STATUS_ARRAY st;
  if (FStmt != 0) isc_dsql_free_statement(st, &FStmt, DSQL_drop);
}

bool TStatement::ReturnsRows() const {
  return FType == isc_info_sql_stmt_select || FType == isc_info_sql_stmt_select_for_upd;
}

void TStatement::CheckNoParameters() const {
  std::vector<char> buffer(XSQLDA_LENGTH(1), 0);
  XSQLDA* in = reinterpret_cast<XSQLDA*>(buffer.data());
  in->version = SQLDA_VERSION1;
  in->sqln = 1;
  ISC_STATUS_ARRAY st;
  isc_stmt_handle stmt = FStmt;
  if (isc_dsql_describe_bind(st, &stmt, SQLDA_VERSION1, in)) FAttachment->Raise(st);
  if (in->sqld > 0)
    throw EIB_Error("The statement has " + std::to_string(in->sqld) +
                    " parameter(s); statements with parameters are not supported");
}

std::unique_ptr<DB::TCursor> TStatement::Open() {
  if (FCursorOpen) throw EIB_Error("The statement already has an open cursor");
  if (!ReturnsRows()) throw EIB_Error("The statement returns no rows; run it with ExecSQL");
  CheckNoParameters();
  ISC_STATUS_ARRAY st;
  if (isc_dsql_execute(st, FAttachment->Tr(), &FStmt, SQLDA_VERSION1, nullptr)) FAttachment->Raise(st);
  FCursorOpen = true;
  return std::make_unique<TFbCursor>(shared_from_this());
}

void TStatement::Execute() {
  if (FCursorOpen) throw EIB_Error("The statement has an open cursor");
  if (FType == isc_info_sql_stmt_start_trans || FType == isc_info_sql_stmt_commit ||
      FType == isc_info_sql_stmt_rollback)
    throw EIB_Error("Transaction statements are not supported: every statement is committed when it has run");
  CheckNoParameters();
  ISC_STATUS_ARRAY st;
  ISC_STATUS rc;
  if (FType == isc_info_sql_stmt_exec_procedure && FOut->sqld > 0)
    rc = isc_dsql_execute2(st, FAttachment->Tr(), &FStmt, SQLDA_VERSION1, nullptr, FOut);
  else
    rc = isc_dsql_execute(st, FAttachment->Tr(), &FStmt, SQLDA_VERSION1, nullptr);
  if (rc) FAttachment->Raise(st);
  if (ReturnsRows()) isc_dsql_free_statement(st, &FStmt, DSQL_close);
  FAttachment->Commit();
}

DB::TValue TStatement::ReadBlob(const XSQLVAR& V) {
  ISC_QUAD id;
  std::memcpy(&id, V.sqldata, sizeof id);
  ISC_STATUS_ARRAY st;
  isc_blob_handle blob = 0;
  if (isc_open_blob2(st, FAttachment->Db(), FAttachment->Tr(), &blob, &id, 0, nullptr)) FAttachment->Raise(st);
  std::string data;
  char buf[32768];
  for (;;) {
    unsigned short got = 0;
    ISC_STATUS rc = isc_get_segment(st, &blob, &got, sizeof buf, buf);
    if (rc == 0 || rc == isc_segment) {
      data.append(buf, got);
    } else if (rc == isc_segstr_eof) {
      break;
    } else {
      ISC_STATUS_ARRAY st2;
      isc_close_blob(st2, &blob);
      FAttachment->Raise(st);
    }
  }
  isc_close_blob(st, &blob);
  return V.sqlsubtype == 1 ? DB::TValue::Text(std::move(data)) : DB::TValue::Bytes(std::move(data));
}

void TStatement::ReadRow(std::vector<DB::TValue>& Row) {
  int n = FOut->sqld;
  Row.resize(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const XSQLVAR& v = FOut->sqlvar[i];
    DB::TValue& out = Row[static_cast<size_t>(i)];
    int type = v.sqltype & ~1;
    if (((v.sqltype & 1) != 0 && *v.sqlind == -1) || type == SQL_NULL) {
      out = DB::TValue::Null();
      continue;
    }
    const char* p = v.sqldata;
    auto scaled = [&](int64_t x) {
      return v.sqlscale < 0 ? DB::TValue::Decimal(x, -v.sqlscale) : DB::TValue::Integer(x);
    };
    switch (type) {
      case SQL_TEXT: {
        std::string s(p, static_cast<size_t>(v.sqllen));
        // Character set 1 is OCTETS: bytes, not text.
        out = (v.sqlsubtype & 0xFF) == 1 ? DB::TValue::Bytes(std::move(s)) : DB::TValue::Text(std::move(s));
        break;
      }
      case SQL_VARYING: {
        ISC_USHORT len;
        std::memcpy(&len, p, sizeof len);
        std::string s(p + 2, len);
        out = (v.sqlsubtype & 0xFF) == 1 ? DB::TValue::Bytes(std::move(s)) : DB::TValue::Text(std::move(s));
        break;
      }
      case SQL_SHORT: {
        ISC_SHORT x;
        std::memcpy(&x, p, sizeof x);
        out = scaled(x);
        break;
      }
      case SQL_LONG: {
        ISC_LONG x;
        std::memcpy(&x, p, sizeof x);
        out = scaled(x);
        break;
      }
      case SQL_INT64: {
        ISC_INT64 x;
        std::memcpy(&x, p, sizeof x);
        out = scaled(x);
        break;
      }
      case SQL_FLOAT: {
        float x;
        std::memcpy(&x, p, sizeof x);
        out = DB::TValue::Float(x, true);
        break;
      }
      case SQL_DOUBLE:
      case SQL_D_FLOAT: {
        double x;
        std::memcpy(&x, p, sizeof x);
        out = DB::TValue::Float(x);
        break;
      }
      case SQL_TYPE_DATE: {
        ISC_DATE x;
        std::memcpy(&x, p, sizeof x);
        out = DB::TValue::Date(x - kIscDateOfDay0);
        break;
      }
      case SQL_TYPE_TIME: {
        ISC_TIME x;
        std::memcpy(&x, p, sizeof x);
        out = DB::TValue::Time(x);
        break;
      }
      case SQL_TIMESTAMP: {
        ISC_TIMESTAMP x;
        std::memcpy(&x, p, sizeof x);
        out = DB::TValue::DateTime(x.timestamp_date - kIscDateOfDay0, x.timestamp_time);
        break;
      }
      case SQL_BOOLEAN:
        out = DB::TValue::Boolean(*reinterpret_cast<const unsigned char*>(p) != 0);
        break;
      case SQL_BLOB:
        out = ReadBlob(v);
        break;
      case SQL_ARRAY:
        out = DB::TValue::Unreadable("ARRAY");
        break;
      default:
        out = DB::TValue::Unreadable("SQL type " + std::to_string(type));
        break;
    }
  }
}

// ---- scripts --------------------------------------------------------------------------

std::vector<std::string> SplitScript(const std::string& Script) {
  std::vector<std::string> out;
  std::string term = ";", current;
  bool hasCode = false;
  auto flush = [&] {
    std::string stmt = SysUtils::Trim(current);
    current.clear();
    bool code = hasCode;
    hasCode = false;
    if (!code) return;
    std::string upper = SysUtils::UpperCase(stmt);
    if (upper.rfind("SET TERM", 0) == 0 && upper.size() > 8 && static_cast<unsigned char>(upper[8]) <= ' ') {
      std::string t = SysUtils::Trim(stmt.substr(8));
      if (!t.empty()) term = t;
      return;
    }
    out.push_back(stmt);
  };
  size_t i = 0, n = Script.size();
  while (i < n) {
    char c = Script[i];
    if (c == '\'' || c == '"') {
      size_t j = i + 1;
      while (j < n && !(Script[j] == c && !(j + 1 < n && Script[j + 1] == c))) j += Script[j] == c ? 2 : 1;
      current.append(Script, i, std::min(j + 1, n) - i);
      hasCode = true;
      i = j + 1;
    } else if (c == '-' && i + 1 < n && Script[i + 1] == '-') {
      size_t j = Script.find('\n', i);
      j = j == std::string::npos ? n : j;
      current.append(Script, i, j - i);
      i = j;
    } else if (c == '/' && i + 1 < n && Script[i + 1] == '*') {
      size_t j = Script.find("*/", i + 2);
      j = j == std::string::npos ? n : j + 2;
      current.append(Script, i, j - i);
      i = j;
    } else if (Script.compare(i, term.size(), term) == 0) {
      flush();
      i += term.size();
    } else {
      if (static_cast<unsigned char>(c) > ' ') hasCode = true;
      current += c;
      ++i;
    }
  }
  flush();
  return out;
}

}  // namespace IB_Components::detail
