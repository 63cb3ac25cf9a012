// The PostgreSQL server of the tests (scripts/postgres-server) and a private schema on
// it per test suite, so that test processes running side by side never see each
// other's tables.
#pragma once

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "dataaccess/sample/QtSqlConnect.h"

namespace pgtest {

// The connection string of the test server: KYT_PG_CONNECTION, else the file the start
// script writes. Empty when neither gives one.
inline std::string ServerConnection() {
  if (const char* env = std::getenv("KYT_PG_CONNECTION"); env != nullptr && *env != '\0') return env;
  const char* dir = std::getenv("KYT_PG_STATE_DIR");
  std::ifstream f(std::string(dir != nullptr && *dir != '\0' ? dir : "/tmp/kyt-postgres-server") + "/connection");
  std::string line;
  std::getline(f, line);
  return line;
}

// Qt SQL loads its drivers through the application object. It lives to the end of the
// process: destroyed among the other statics at exit, it would outlive Qt's own.
inline void EnsureApplication() {
  static int argc = 1;
  static char name[] = "tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = QCoreApplication::instance() ? nullptr : new QCoreApplication(argc, argv);
  (void)app;
}

// A new schema on the server for the object's lifetime, dropped with what it holds at
// the end. Connection() names the server's database with that schema first on the
// search path. Reason() says why there is none when the server cannot be reached.
class TSchema {
 public:
  TSchema() {
    EnsureApplication();
    const std::string server = ServerConnection();
    if (server.empty()) {
      FReason = "no PostgreSQL server: run scripts/postgres-server start, or set KYT_PG_CONNECTION";
      return;
    }
    static int counter = 0;
    FName = "kyt_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
    try {
      QtSqlConnect::TConnection admin("kyt-test-schema", "QPSQL", server);
      QSqlQuery query(QSqlDatabase::database("kyt-test-schema"));
      if (!query.exec(QString::fromStdString("CREATE SCHEMA " + FName))) {
        FReason = "cannot create a schema: " + query.lastError().text().toStdString();
        return;
      }
    } catch (const std::exception& e) {
      FReason = std::string("the PostgreSQL server cannot be reached: ") + e.what();
      return;
    }
    FServer = server;
    FConnection = server + " options='-c search_path=" + FName + "'";
  }
  ~TSchema() {
    if (FConnection.empty()) return;
    try {
      QtSqlConnect::TConnection admin("kyt-test-schema", "QPSQL", FServer);
      QSqlQuery(QSqlDatabase::database("kyt-test-schema")).exec(QString::fromStdString("DROP SCHEMA " + FName + " CASCADE"));
    } catch (const std::exception&) {
      // The server's cluster is made anew at its next start.
    }
  }
  TSchema(const TSchema&) = delete;
  TSchema& operator=(const TSchema&) = delete;

  bool Ok() const { return !FConnection.empty(); }
  const std::string& Reason() const { return FReason; }
  const std::string& Connection() const { return FConnection; }

 private:
  std::string FName, FServer, FConnection, FReason;
};

}  // namespace pgtest
