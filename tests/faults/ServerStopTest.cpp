// Execute on a database of the Firebird server when the server stops while the filter
// dialog is shown, and is accepted then: the failure is told as the user sees it, the
// dialog is freed, the query keeps its statement, and once the server is back the same
// component filters again; a server restarted while the application idles costs it
// nothing. Needs scripts/firebird-server running (CTest label "server"); it stops that
// server and starts it again on every way out.
#include <cstdlib>
#include <filesystem>
#include <functional>

#include <sys/wait.h>

#include "dataaccess/ibobjects/IB_Components.h"
#include "tests/components/ComponentFixture.h"

namespace comptest {
namespace {

std::string Env(const char* Name, const char* Default) {
  const char* v = std::getenv(Name);
  return v != nullptr && *v != '\0' ? v : Default;
}

// What scripts/firebird-server sets up, unless told otherwise.
std::string Server() { return Env("KYT_FB_SERVER", "127.0.0.1/3050"); }
std::string Password() { return Env("KYT_FB_PASSWORD", "kyt-test"); }

// Runs the server script with Verb; its exit status.
int ServerScript(const char* Verb) {
  const std::string command = std::string("'") + KYT_FIREBIRD_SERVER_SCRIPT + "' " + Verb + " >/dev/null 2>&1";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Stops the server on request and starts it again when asked or, at the latest, when
// it goes out of scope, however the test leaves.
class TServerStop {
 public:
  TServerStop() = default;
  TServerStop(const TServerStop&) = delete;
  TServerStop& operator=(const TServerStop&) = delete;
  ~TServerStop() { Start(); }
  // True when the server no longer answers.
  bool Stop() {
    FStopped = true;
    ServerScript("stop");
    return ServerScript("status") != 0;
  }
  // True when the server answers again.
  bool Start() {
    if (FStopped && ServerScript("start") == 0) FStopped = false;
    return !FStopped;
  }

 private:
  bool FStopped = false;
};

// The shop database on the server, made once per test process.
const std::string& ServerShop() {
  static const std::string name = [] {
    const std::string db = Server() + ":" + testenv::TempPath("faults-server.fdb");
    IB_Components::TIB_Connection::CreateDatabase(db, ShopScript(true), true, "SYSDBA", Password());
    return db;
  }();
  return name;
}

// Sets an environment variable for the life of the object.
struct TEnvVar {
  TEnvVar(const char* Name, const std::string& Value) : FName(Name) { setenv(Name, Value.c_str(), 1); }
  ~TEnvVar() { unsetenv(FName); }
  TEnvVar(const TEnvVar&) = delete;
  TEnvVar& operator=(const TEnvVar&) = delete;
  const char* FName;
};

template <class K>
class ServerStop : public FilterTest<K> {};
using FirebirdKinds = ::testing::Types<IBOKind, IBDKind>;
TYPED_TEST_SUITE(ServerStop, FirebirdKinds, KindNames);

TYPED_TEST(ServerStop, AcceptedWhileStoppedIsToldAndFiltersAgainOnceBack) {
  ASSERT_EQ(ServerScript("status"), 0) << "needs the Firebird server: scripts/firebird-server start";
  const std::string db = ServerShop();
  // How the application logs in: through the client library's variables, or with a
  // connection component that it keeps connected (and so keeps the attachment alive).
  struct Case {
    const char* name;
    bool connection;
    bool whileShown;  // stopped while the dialog is shown, else restarted before Execute
  } cases[] = {{"login_from_environment", false, true},
               {"connected_connection_component", true, true},
               {"restarted_while_idle_with_a_connection", true, false}};
  // Stopping a server that has attachments can take a while; the dialog waits for it.
  const int watchdog = ScriptedHost().WatchdogMs;
  ScriptedHost().WatchdogMs = 120000;
  struct TRestore {
    int ms;
    ~TRestore() { ScriptedHost().WatchdogMs = ms; }
  } restoreWatchdog{watchdog};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    this->ClearShared();
    ScriptedHost().Reset();
    TEnvVar user("ISC_USER", "SYSDBA"), password("ISC_PASSWORD", Password());
    IB_Components::TIB_Connection connection(nullptr);
    if (c.connection) {
      connection.SetDatabaseName(db);
      connection.SetUserName("SYSDBA");
      connection.SetPassword(Password());
      connection.Connect();
    }
    const Rows expected = [&] {
      IB_Components::TIB_Query q(nullptr);
      q.SetDatabaseName(db);
      q.SQL()->SetText(std::string(kJoinSQL) + " WHERE ORDERS.TOTAL > 400");
      q.Open();
      return ReadRows(q);
    }();
    ASSERT_GT(expected.size(), 0u);
    ASSERT_LT(expected.size(), static_cast<size_t>(kOrderCount));

    auto* query = this->NewQuery(kJoinSQL, db);
    this->filter->SetDataSet(query);
    query->Open();
    this->filter->InitCamposData(kytSQLFilterStruc::Campos, false);
    ASSERT_NE(kytSQLFilterStruc::Campos, nullptr);
    const std::string previous = SQLOf(*query);

    if (!c.whileShown) {
      TServerStop stop;
      ASSERT_TRUE(stop.Stop()) << "the server did not stop";
      ASSERT_TRUE(stop.Start()) << "the server did not start again";
    } else {
      TServerStop stop;
      bool stopped = false;
      OnNextDialog([&](TformFilter& F) {
        EnterLines(F, {{"TOTAL", ">", "400"}});
        stopped = stop.Stop();
      });
      bool accepted = true;
      EXPECT_NO_THROW(accepted = this->filter->Execute());
      ASSERT_TRUE(stopped) << "the server did not stop";
      this->ExpectFailureToldAndPreviousKept(accepted, *query, previous);
      ASSERT_TRUE(stop.Start()) << "the server did not start again";
    }

    ScriptedHost().Reset();
    AcceptLines({{"TOTAL", ">", "400"}});
    bool accepted = false;
    EXPECT_NO_THROW(accepted = this->filter->Execute());
    EXPECT_TRUE(accepted) << testing::PrintToString(BoxTexts());
    EXPECT_TRUE(query->Active());
    if (query->Active()) {
      EXPECT_EQ(Sorted(ReadRows(*query)), Sorted(expected)) << SQLOf(*query);
    }

    this->filter->SetDataSet(this->query);
    delete query;
  }
}

}  // namespace
}  // namespace comptest
