// The client/server path: a Firebird server on 127.0.0.1, started for the tests by
// scripts/firebird-server (CTest label "server").
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "dataaccess/ibobjects/IBODataset.h"
#include "dataaccess/ibobjects/IB_Components.h"
#include "tests/dataaccess/TestEnv.h"

using IB_Components::EIB_Error;
using IB_Components::TIB_Connection;
using IB_Components::TIB_Query;

namespace {

std::string Env(const char* Name, const char* Default) {
  const char* v = std::getenv(Name);
  return v != nullptr && *v != '\0' ? v : Default;
}

// What scripts/firebird-server sets up, unless told otherwise.
std::string Server() { return Env("KYT_FB_SERVER", "127.0.0.1/3050"); }
std::string Password() { return Env("KYT_FB_PASSWORD", "kyt-test"); }

// A database on the server, made once per test process.
const std::string& Db() {
  static const std::string name = [] {
    std::string db = Server() + ":" + testenv::TempPath("server.fdb");
    TIB_Connection::CreateDatabase(db,
                                   "create table T (ID integer not null primary key, NAME varchar(20));\n"
                                   "insert into T values (1, 'Zo' || ascii_char(235));\n"
                                   "insert into T values (2, null);\n",
                                   true, "SYSDBA", Password());
    return db;
  }();
  return name;
}

// Sets an environment variable for the life of the object.
struct TEnvVar {
  TEnvVar(const char* Name, const std::string& Value) : FName(Name) { setenv(Name, Value.c_str(), 1); }
  ~TEnvVar() { unsetenv(FName); }
  const char* FName;
};

}  // namespace

TEST(FirebirdServer, QueriesThroughANamedConnection) {
  TIB_Connection login(nullptr);
  login.SetDatabaseName(Db());
  login.SetUserName("SYSDBA");
  login.SetPassword(Password());
  // The query has no login of its own: it attaches with the connection's.
  TIB_Query q(nullptr);
  q.SetDatabaseName(Db());
  q.SQL()->SetText("select ID, NAME, mon$remote_protocol from T cross join mon$attachments "
                   "where mon$attachment_id = current_connection order by ID");
  q.Open();
  EXPECT_EQ(q.Columns(0)->AsInteger(), 1);
  EXPECT_EQ(q.Columns(1)->AsString(), "Zo\xEB") << "WIN1252 over the wire too";
  EXPECT_EQ(q.Columns(2)->AsString().substr(0, 4), "TCPv") << "a network attachment";
  q.Next();
  EXPECT_TRUE(q.Columns(1)->IsNull());

  IBODataset::TIBOQuery d(nullptr);
  d.SetDatabaseName(Db());
  d.GetSQL()->SetText("select NAME from T where ID = 1");
  d.Open();
  EXPECT_EQ(d.Fields(0)->AsString(), "Zo\xEB");
  EXPECT_EQ(d.InternalDataset()->Columns(0)->RelName(), "T");
}

TEST(FirebirdServer, LoginFromTheClientLibraryVariables) {
  TEnvVar user("ISC_USER", "SYSDBA"), password("ISC_PASSWORD", Password());
  TIB_Query q(nullptr);
  q.SetDatabaseName(Db());
  q.SQL()->SetText("select count(*) from T");
  q.Open();
  EXPECT_EQ(q.Columns(0)->AsInteger(), 2);
}

TEST(FirebirdServer, WrongPasswordIsRefusedAndNothingChanges) {
  TIB_Connection c(nullptr);
  c.SetDatabaseName(Db());
  c.SetUserName("SYSDBA");
  c.SetPassword(Password() + "-wrong");
  try {
    c.Connect();
    FAIL() << "no error";
  } catch (const EIB_Error& e) {
    EXPECT_NE(e.Message().find("password"), std::string::npos) << e.Message();
  }
  EXPECT_FALSE(c.Connected());
  c.SetPassword(Password());
  c.Connect();
  EXPECT_TRUE(c.Connected()) << "the right password still works";
}

TEST(FirebirdServer, ScriptErrorDropsTheNewDatabase) {
  std::string file = testenv::TempPath("server-bad.fdb");
  try {
    TIB_Connection::CreateDatabase(Server() + ":" + file, "create tabel X (Y integer);", true, "SYSDBA", Password());
    FAIL() << "no error";
  } catch (const EIB_Error& e) {
    // The database was made, so the error is the statement's.
    EXPECT_NE(e.Message().find("Statement 1 of the script failed"), std::string::npos) << e.Message();
  }
  EXPECT_FALSE(std::filesystem::exists(file)) << "dropped again";
}
