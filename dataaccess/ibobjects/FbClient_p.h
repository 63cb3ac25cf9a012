// Not API: the Firebird client-library plumbing behind unit IB_Components. It may
// change without notice; include it only from dataaccess/ibobjects.
#pragma once

#include <ibase.h>

#include <memory>
#include <string>
#include <vector>

#include "dataaccess/db/DB.h"

namespace IB_Components::detail {

// Raises EIB_Error with the messages and codes of Status; Context, when not empty,
// goes in front ("Cannot attach "x.fdb"").
[[noreturn]] void RaiseStatus(const ISC_STATUS* Status, const std::string& Context = "");

struct TLogin {
  std::string UserName;  // empty: ISC_USER, then SYSDBA
  std::string Password;  // empty: ISC_PASSWORD
};

// True for "host:path" and "host/port:path"; a drive letter ("C:\x.fdb") is a path.
bool IsServerName(const std::string& DatabaseName);
// The name attachments are shared under: an absolute, normalised path for files, the
// trimmed name for servers.
std::string AttachmentKey(const std::string& DatabaseName);

// The parameter block of an attachment or a creation.
std::string BuildDpb(const std::string& DatabaseName, const TLogin& Login, bool Create,
                     bool ForcedWrites);

// One attachment and the one read-committed transaction its statements share.
class TAttachment {
 public:
  // The attachment open under the key of DatabaseName, or a new one made with Login.
  static std::shared_ptr<TAttachment> Acquire(const std::string& DatabaseName, const TLogin& Login);
  // Takes over Db, attached or created by the caller.
  TAttachment(std::string Key, isc_db_handle Db);
  // Commits and detaches; errors on the way are dropped, the attachment goes either way.
  ~TAttachment();
  TAttachment(const TAttachment&) = delete;
  TAttachment& operator=(const TAttachment&) = delete;

  isc_db_handle* Db() { return &FDb; }
  // The transaction, started when none runs.
  isc_tr_handle* Tr();
  // Commit retaining: the transaction goes on and open cursors stay open.
  void Commit();
  // Runs one statement that returns no rows, then commits. COMMIT commits.
  void ExecuteImmediate(const std::string& SQL);
  // Commits and drops the database (the attachment is gone afterwards).
  void Drop();

  // RaiseStatus for a call on this attachment; an error that says the connection to
  // the database is gone (server stopped, network down, database shut down) marks the
  // attachment lost first.
  [[noreturn]] void Raise(const ISC_STATUS* Status, const std::string& Context = "");
  // True once an error said the connection is gone. A lost attachment is not handed
  // out again: the next Acquire attaches afresh, so work resumes once the server is
  // back; its present holders keep it until they let it go.
  bool Lost() const { return FLost; }
  // For a database file: remembers which file Path is now, so that Moved can tell.
  void NoteFile(const std::string& Path);
  // True when the noted file is no longer at its name (deleted or renamed away):
  // reading on would show, and writing would lose into, a file nobody can open any more.
  bool Moved() const;
  // Neither lost nor moved: fit to be handed out to another query.
  bool Usable() const { return !FLost && !Moved(); }

 private:
  std::string FKey;
  isc_db_handle FDb = 0;
  isc_tr_handle FTr = 0;
  bool FLost = false;
  std::string FFile;  // the noted file, empty for a server's database
  unsigned long long FDevice = 0, FInode = 0;
};

// A prepared DSQL statement with its output descriptors.
class TStatement : public std::enable_shared_from_this<TStatement> {
 public:
  // Prepares SQL (dialect 3) and describes its output columns. Raises EIB_Error.
  TStatement(std::shared_ptr<TAttachment> Attachment, const std::string& SQL);
  ~TStatement();
  TStatement(const TStatement&) = delete;
  TStatement& operator=(const TStatement&) = delete;

  int ColumnCount() const { return FOut->sqld; }
  const XSQLVAR& Var(int Index) const { return FOut->sqlvar[Index]; }
  // isc_info_sql_stmt_... of the statement.
  int StatementType() const { return FType; }
  bool ReturnsRows() const;

  // Runs a statement that returns rows; the cursor keeps the statement alive and
  // closes itself when destroyed. Raises EIB_Error, also when a cursor is already open.
  std::unique_ptr<DB::TCursor> Open();
  // Runs a statement that returns no rows (a SELECT is run and closed) and commits.
  void Execute();

 private:
  friend class TFbCursor;
  void CheckNoParameters() const;
  void ReadRow(std::vector<DB::TValue>& Row);
  DB::TValue ReadBlob(const XSQLVAR& V);

  std::shared_ptr<TAttachment> FAttachment;
  isc_stmt_handle FStmt = 0;
  std::vector<char> FOutBuffer;  // the XSQLDA
  XSQLDA* FOut = nullptr;
  std::vector<std::vector<int64_t>> FData;  // one aligned buffer per column
  std::vector<short> FNulls;
  int FType = 0;
  bool FCursorOpen = false;
};

// Splits a script into statements at the terminator (";" unless SET TERM changed
// it), outside quotes and comments. SET TERM lines are consumed; empty statements are
// dropped; each statement is trimmed.
std::vector<std::string> SplitScript(const std::string& Script);

}  // namespace IB_Components::detail
