// Unit QtSqlConnect: opens a named Qt SQL connection from a driver name and the text
// that names its database, as a user gives them on a command line:
//
//   QSQLITE  the path of an existing database file
//   QPSQL    a libpq connection string of key=value pairs ("host=127.0.0.1 port=5432
//            dbname=shop user=ann"); a value with blanks is quoted ('...', with \' and
//            \\ inside); without a password key the password is taken from the
//            environment variable PGPASSWORD
//   QIBASE   a Firebird database name: a file path (embedded engine) or a server's
//            "host[/port]:path"; the user from ISC_USER (else SYSDBA), the password from
//            ISC_PASSWORD
//
// The text is UTF-8, as the system gives it. User-interface thread only, like Qt SQL.
#pragma once

#include <QSqlDatabase>

#include <map>
#include <string>

namespace QtSqlConnect {

// The key=value pairs of a libpq connection string, in the syntax libpq reads: blanks
// around "=" allowed, values unquoted (a backslash takes the next character as it is) or
// in single quotes. Raises DB::EDatabaseError naming the fault for a pair without "=",
// an empty key or an unclosed quote.
std::map<std::string, std::string> ParseConnectionString(const std::string& Text);

// Adds the connection ConnectionName for Driver and opens it on Database (see above);
// a connection of that name that exists is replaced. Returns it open. Raises
// DB::EDatabaseError with the driver's text when the driver is missing or the database
// cannot be opened (a QSQLITE file that does not exist is refused rather than created);
// the connection is then removed again.
QSqlDatabase Open(const std::string& ConnectionName, const std::string& Driver, const std::string& Database);

// Closes and removes the connection ConnectionName, when there is one. Every query
// on it must have been destroyed.
void Close(const std::string& ConnectionName);

// The connection ConnectionName opened (as Open) for the object's lifetime, closed and
// removed when it ends. Queries on it must end first.
class TConnection {
 public:
  TConnection(std::string ConnectionName, const std::string& Driver, const std::string& Database);
  ~TConnection() { Close(FName); }
  TConnection(const TConnection&) = delete;
  TConnection& operator=(const TConnection&) = delete;
  const std::string& Name() const { return FName; }

 private:
  std::string FName;
};

}  // namespace QtSqlConnect
