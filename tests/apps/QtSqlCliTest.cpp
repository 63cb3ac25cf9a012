// kytfilter db and apply through Qt SQL, run as a user runs them, against small sample
// databases made here: every engine gives the rows Firebird gives. The PostgreSQL cases
// (suite QtSqlPostgres) need the test server and are skipped, with the reason, without it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "CliRun.h"
#include "PgServer.h"
#include "SampleSuite.h"
#include "dataaccess/sample/Sample.h"

namespace {

namespace fs = std::filesystem;

constexpr int kOrders = 150;

// Every column of every table; decimals keep their places ("12.50") on every engine.
const char* kTables[] = {
    "select ID, NAME, CITY, COUNTRY, EMAIL, BIRTH_DATE, ACTIVE, CREATED_AT, NOTES from CUSTOMERS order by ID",
    "select ID, NAME, CATEGORY, WEIGHT_KG, STOCK, DISCONTINUED, PICTURE from PRODUCTS order by ID",
    "select ID, CUSTOMER_ID, ORDER_DATE, ORDER_TIME, SHIPPED_AT, PAID, STATUS, TRACKING_NO, COMMENTS "
    "from ORDERS order by ID",
    "select ORDER_ID, LINE_NO, PRODUCT_ID, QUANTITY, DISCOUNT from ORDER_ITEMS order by ORDER_ID, LINE_NO",
    "select o.ID, o.TOTAL, c.CREDIT_LIMIT, i.UNIT_PRICE, p.PRICE "
    "from ORDERS o join CUSTOMERS c on c.ID = o.CUSTOMER_ID join ORDER_ITEMS i on i.ORDER_ID = o.ID "
    "join PRODUCTS p on p.ID = i.PRODUCT_ID order by o.ID, i.LINE_NO",
};

const char* kStatement =
    "SELECT ORDERS.ID, ORDERS.ORDER_DATE, ORDERS.STATUS, CUSTOMERS.NAME, ORDERS.TOTAL "
    "FROM ORDERS JOIN CUSTOMERS ON CUSTOMERS.ID = ORDERS.CUSTOMER_ID ORDER BY ORDERS.ID";

// PostgreSQL folds unquoted names to lower case: the header line is compared without case.
std::string UpperHeader(std::string Csv) {
  for (size_t i = 0; i < Csv.size() && Csv[i] != '\r'; ++i) Csv[i] = static_cast<char>(std::toupper(Csv[i]));
  return Csv;
}

// The rows part of apply's output, after the statement and one empty line.
std::string RowsOf(const std::string& ApplyOut) {
  const size_t at = ApplyOut.find("\r\n\r\n");
  return at == std::string::npos ? std::string() : ApplyOut.substr(at + 4);
}

class QtSqlCli : public SampleSuite {
 protected:
  static void SetUpTestSuite() {
    MakeSamples("kyt-qtsql-cli", kOrders);
    filter = (dir / "big.flt").string();
    lowerFilter = (dir / "big-lower.flt").string();
    for (bool lower : {false, true}) {
      CliResult made = RunCli({"flt", "make", lower ? lowerFilter : filter}, BigShippedFilterJson(lower));
      ASSERT_EQ(made.code, 0) << made.err;
    }
  }
  static void TearDownTestSuite() { RemoveSamples(); }

  // The rows of Sql from the Firebird sample, the reference of every engine.
  static std::string FirebirdRows(const std::string& Sql) {
    CliResult r = RunCli({"db", "rows", "--variant", "ibo", "--database", fdb, "--sql", Sql});
    EXPECT_EQ(r.code, 0) << r.err;
    return r.out;
  }
  static CliResult ApplyFirebird() {
    return RunCli({"apply", "--variant", "ibo", "--database", fdb, "--sql", kStatement, "--filter", filter});
  }

  static inline std::string filter, lowerFilter;
};

class QtSqlPostgres : public QtSqlCli {
 protected:
  static void SetUpTestSuite() {
    QtSqlCli::SetUpTestSuite();
    schema = std::make_unique<pgtest::TSchema>();
    if (schema->Ok()) Sample::CreateSampleDatabase(Sample::TEngine::PostgreSQL, schema->Connection(), kOrders);
  }
  static void TearDownTestSuite() {
    schema.reset();
    QtSqlCli::TearDownTestSuite();
  }
  void SetUp() override {
    if (!schema->Ok()) GTEST_SKIP() << schema->Reason();
  }
  static inline std::unique_ptr<pgtest::TSchema> schema;
};

}  // namespace

TEST_F(QtSqlCli, SqliteThroughQtSqlGivesFirebirdsRows) {
  for (const char* sql : kTables) {
    const std::string expected = FirebirdRows(sql);
    CliResult r = RunCli({"db", "rows", "--variant", "qtsql", "--driver", "QSQLITE", "--database", sqlite, "--sql", sql});
    ASSERT_EQ(r.code, 0) << sql << ": " << r.err;
    EXPECT_GT(r.out.size(), 1000u) << sql;
    EXPECT_TRUE(r.out == expected) << sql << ": the engines differ";
  }
  // The columns with the base table and column the driver tells.
  CliResult cols = RunCli({"db", "columns", "--variant", "qtsql", "--driver", "QSQLITE", "--database", sqlite, "--sql",
                           "select o.ID, o.ID + 1 as NEXT_ID from ORDERS o"});
  ASSERT_EQ(cols.code, 0) << cols.err;
  const std::string first = cols.out.substr(0, cols.out.find('\n'));
  EXPECT_TRUE(first.size() > 10 && first.compare(first.size() - 10, 10, "\tORDERS\tID") == 0) << cols.out;
  // apply over Qt SQL finds the rows the Firebird component finds.
  CliResult fb = ApplyFirebird();
  ASSERT_EQ(fb.code, 0) << fb.err;
  CliResult qt = RunCli({"apply", "--variant", "qtsql", "--driver", "QSQLITE", "--database", sqlite, "--sql", kStatement,
                         "--filter", filter});
  ASSERT_EQ(qt.code, 0) << qt.err;
  EXPECT_GT(RowsOf(fb.out).size(), 200u) << fb.out;
  EXPECT_EQ(RowsOf(qt.out), RowsOf(fb.out)) << qt.out;
}

TEST_F(QtSqlCli, BadUseAndUnreachableDatabases) {
  const std::string missing = (dir / "missing.db").string();
  struct Case {
    std::vector<std::string> args;
    int code;
    const char* err;  // a part of the message on standard error
  } cases[] = {
      {{"db", "rows", "--variant", "qtsql", "--database", sqlite, "--sql", "select 1"}, 2, "usage: "},
      {{"db", "rows", "--variant", "bde", "--driver", "QSQLITE", "--database", sqlite, "--sql", "select 1"}, 2, "usage: "},
      {{"db", "rows", "--variant", "qtsql", "--driver", "QODBC", "--database", sqlite, "--sql", "select 1"}, 2, "usage: "},
      {{"apply", "--variant", "qtsql", "--database", sqlite, "--sql", kStatement, "--filter", filter}, 2, "usage: "},
      {{"db", "rows", "--variant", "qtsql", "--driver", "QSQLITE", "--database", missing, "--sql", "select 1"}, 1,
       "no such database file"},
      {{"apply", "--variant", "qtsql", "--driver", "QSQLITE", "--database", missing, "--sql", kStatement, "--filter",
        filter},
       1, "no such database file"},
      {{"db", "rows", "--variant", "qtsql", "--driver", "QPSQL", "--database", "host=127.0.0.1 dbname='kyt", "--sql",
        "select 1"},
       1, "no closing quote"},
      {{"db", "rows", "--variant", "qtsql", "--driver", "QPSQL", "--database", "host 127.0.0.1", "--sql", "select 1"}, 1,
       "without \"=\""},
      {{"db", "rows", "--variant", "qtsql", "--driver", "QSQLITE", "--database", sqlite, "--sql", "select * from NOPE"},
       1, "NOPE"},
  };
  for (const Case& c : cases) {
    CliResult r = RunCli(c.args);
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    EXPECT_EQ(r.code, c.code) << line << r.err;
    EXPECT_NE(r.err.find(c.err), std::string::npos) << line << r.err;
  }
  EXPECT_FALSE(fs::exists(missing)) << "a mistyped name must not leave an empty database behind";
}

TEST_F(QtSqlPostgres, PostgresGivesFirebirdsRows) {
  for (const char* sql : kTables) {
    const std::string expected = FirebirdRows(sql);
    CliResult r = RunCli({"db", "rows", "--variant", "qtsql", "--driver", "QPSQL", "--database", schema->Connection(),
                          "--sql", sql});
    ASSERT_EQ(r.code, 0) << sql << ": " << r.err;
    EXPECT_GT(r.out.size(), 1000u) << sql;
    EXPECT_TRUE(UpperHeader(r.out) == expected) << sql << ": the engines differ";
  }
  CliResult fb = ApplyFirebird();
  ASSERT_EQ(fb.code, 0) << fb.err;
  // A filter saved on Firebird (upper-case names) and one saved on PostgreSQL.
  for (const std::string& flt : {filter, lowerFilter}) {
    CliResult pg = RunCli({"apply", "--variant", "qtsql", "--driver", "QPSQL", "--database", schema->Connection(),
                           "--sql", kStatement, "--filter", flt});
    ASSERT_EQ(pg.code, 0) << flt << ": " << pg.err;
    EXPECT_EQ(UpperHeader(RowsOf(pg.out)), RowsOf(fb.out)) << flt << ": " << pg.out;
  }
}

TEST_F(QtSqlPostgres, PasswordFromEnvironmentAndLoginFailures) {
  // The connection string without its password: PGPASSWORD gives it.
  std::string connection = schema->Connection(), password;
  const size_t at = connection.find("password=");
  ASSERT_NE(at, std::string::npos) << "the test server's connection string has a password";
  const size_t end = connection.find(' ', at);
  password = connection.substr(at + 9, end - at - 9);
  connection.erase(at, end - at);
  const std::vector<std::string> count = {"db", "rows", "--variant", "qtsql", "--driver", "QPSQL", "--database",
                                          connection, "--sql", "select count(*) as N from ORDERS"};
  ::setenv("PGPASSWORD", password.c_str(), 1);
  CliResult withEnv = RunCli(count);
  ::setenv("PGPASSWORD", "wrong", 1);
  CliResult wrong = RunCli(count);
  ::unsetenv("PGPASSWORD");
  EXPECT_EQ(withEnv.code, 0) << withEnv.err;
  EXPECT_EQ(withEnv.out, "n\r\n" + std::to_string(kOrders) + "\r\n");
  EXPECT_EQ(wrong.code, 1);
  EXPECT_NE(wrong.err.find("kytfilter: cannot open the database: "), std::string::npos) << wrong.err;
  EXPECT_EQ(wrong.err.find(password), std::string::npos) << "the password is never shown";
}

TEST_F(QtSqlPostgres, SampleTablesAreMadeOnceAndAFailedMakingLeavesThemAsTheyWere) {
  EXPECT_FALSE(Sample::EnsureSampleDatabase(Sample::TEngine::PostgreSQL, schema->Connection(), kOrders));
  // The tables exist: the whole making is rolled back, the first rows stay.
  EXPECT_THROW(Sample::CreateSampleDatabase(Sample::TEngine::PostgreSQL, schema->Connection(), 5), std::exception);
  CliResult r = RunCli({"db", "rows", "--variant", "qtsql", "--driver", "QPSQL", "--database", schema->Connection(),
                        "--sql", "select (select count(*) from ORDERS) as O, (select count(*) from CUSTOMERS) as C"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "o,c\r\n" + std::to_string(kOrders) + ",15\r\n");
}
