// kytfilter apply, run as a user runs it, against small sample databases made here.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "CliRun.h"
#include "SampleSuite.h"

namespace {

namespace fs = std::filesystem;

constexpr int kOrders = 200;

const char* kStatement =
    "SELECT ORDERS.ID, ORDERS.ORDER_DATE, ORDERS.STATUS, ORDERS.TOTAL, CUSTOMERS.NAME, CUSTOMERS.CITY\r\n"
    "FROM ORDERS JOIN CUSTOMERS ON CUSTOMERS.ID = ORDERS.CUSTOMER_ID\r\n"
    "ORDER BY ORDERS.ID";

// The same rows, written by hand for each engine.
std::string Expected(bool Firebird) {
  return std::string(
             "SELECT ORDERS.ID, ORDERS.ORDER_DATE, ORDERS.STATUS, ORDERS.TOTAL, CUSTOMERS.NAME, CUSTOMERS.CITY "
             "FROM ORDERS JOIN CUSTOMERS ON CUSTOMERS.ID = ORDERS.CUSTOMER_ID "
             "WHERE ORDERS.STATUS IN ('SHIPPED', 'DELIVERED') AND ORDERS.TOTAL >= 500 AND ORDERS.ORDER_DATE >= ") +
         (Firebird ? "DATE '2022-01-01'" : "'2022-01-01'") + " ORDER BY ORDERS.ORDER_DATE, ORDERS.ID";
}

class Apply : public SampleSuite {
 protected:
  static void SetUpTestSuite() {
    MakeSamples("kyt-apply", kOrders);
    filter = MakeFilter("big.flt", BigShippedFilterJson());
  }
  static void TearDownTestSuite() { RemoveSamples(); }

  static std::string MakeFilter(const std::string& Name, const std::string& Json) {
    const std::string path = (dir / Name).string();
    CliResult made = RunCli({"flt", "make", path}, Json);
    EXPECT_EQ(made.code, 0) << made.err;
    return path;
  }
  static std::string Database(const std::string& Variant) { return Variant == "bde" ? sqlite : fdb; }

  static inline std::string filter;
};

size_t Lines(const std::string& Csv) {
  size_t n = 0;
  for (size_t p = Csv.find("\r\n"); p != std::string::npos; p = Csv.find("\r\n", p + 2)) ++n;
  return n;
}

TEST_F(Apply, EachVariantGivesTheRowsOfTheHandWrittenQuery) {
  for (const std::string variant : {"ibo", "ibd", "bde"}) {
    SCOPED_TRACE(variant);
    const std::string db = Database(variant);
    CliResult want = RunCli({"db", "rows", "--variant", variant, "--database", db, "--sql", Expected(variant != "bde")});
    ASSERT_EQ(want.code, 0) << want.err;
    // The filter keeps some rows and drops others: a filter that did nothing, or
    // everything, would not be told apart otherwise.
    EXPECT_GT(Lines(want.out), 5u);
    EXPECT_LT(Lines(want.out), kOrders / 2u);

    const std::string csv = (dir / ("rows-" + variant + ".csv")).string();
    CliResult toFile = RunCli({"apply", "--variant", variant, "--database", db, "--sql", kStatement, "--filter",
                               filter, "--csv", csv});
    ASSERT_EQ(toFile.code, 0) << toFile.err;
    EXPECT_EQ(toFile.err, "");
    EXPECT_EQ(ReadFileBytes(csv), want.out);
    // The statement the dialog built: the user's criteria and ordering in place of the
    // statement's own ORDER BY, nothing else.
    EXPECT_EQ(toFile.out.rfind("SELECT ORDERS.ID, ORDERS.ORDER_DATE", 0), 0u) << toFile.out;
    EXPECT_NE(toFile.out.find("WHERE "), std::string::npos) << toFile.out;
    // Firebird gets the value folded by the dialog; SQLite folds both sides itself.
    EXPECT_NE(toFile.out.find(variant == "bde" ? "UPPER(ORDERS.STATUS) =  UPPER('shipped')" : "'SHIPPED'"),
              std::string::npos)
        << toFile.out;
    EXPECT_NE(toFile.out.find("'2022-01-01'"), std::string::npos) << toFile.out;
    EXPECT_NE(toFile.out.find("ORDER BY ORDERS.ORDER_DATE,ORDERS.ID\r\n"), std::string::npos) << toFile.out;
    EXPECT_EQ(toFile.out.find("ORDER BY ORDERS.ID"), std::string::npos) << toFile.out;

    // Without --csv: the statement, one empty line, the rows; the statement read from a
    // file gives the same.
    const std::string sqlFile = (dir / "statement.sql").string();
    { std::ofstream(sqlFile, std::ios::binary) << kStatement; }
    CliResult toOut =
        RunCli({"apply", "--variant", variant, "--database", db, "--sql-file", sqlFile, "--filter", filter});
    ASSERT_EQ(toOut.code, 0) << toOut.err;
    EXPECT_EQ(toOut.out, toFile.out + "\r\n" + want.out);
  }
}

TEST_F(Apply, FailuresExitWithOneAndTheMessageAndWriteNothing) {
  const std::string badValue = MakeFilter(
      "bad-value.flt",
      "{\"description\": \"\", \"criteria\": [{\"beginGroup\": \"\", \"fieldName\": \"TOTAL\", \"tableName\": "
      "\"ORDERS.\", \"operator\": \">=\", \"value\": \"1 OR 1=1\", \"endGroup\": \"\", \"operation\": -1}], "
      "\"ordering\": []}");
  const std::string unknownField = MakeFilter(
      "unknown-field.flt",
      "{\"description\": \"\", \"criteria\": [{\"beginGroup\": \"\", \"fieldName\": \"NOPE\", \"tableName\": "
      "\"ORDERS.\", \"operator\": \"=\", \"value\": \"1\", \"endGroup\": \"\", \"operation\": -1}], "
      "\"ordering\": []}");
  const std::string badOrder = MakeFilter(
      "bad-order.flt",
      "{\"description\": \"\", \"criteria\": [], \"ordering\": [\"ORDERS.NOPE\"]}");
  const std::string damaged = (dir / "damaged.flt").string();
  { std::ofstream(damaged, std::ios::binary) << "not a filter"; }
  const std::string missingFdb = (dir / "missing.fdb").string();
  const std::string missingDb = (dir / "missing.db").string();
  const std::string sqliteBefore = ReadFileBytes(sqlite);

  struct Case {
    const char* name;
    std::string variant, database, sql, filter;
    std::string message;  // part of standard error
  } cases[] = {
      {"no_database_firebird", "ibo", missingFdb, kStatement, filter, "missing.fdb"},
      {"no_database_sqlite", "bde", missingDb, kStatement, filter, "missing.db"},
      {"no_server", "ibd", "127.0.0.1/1:" + missingFdb, kStatement, filter, "Error trying to open the dataset"},
      {"statement_fails_native", "ibo", fdb, "SELECT NOPE FROM ORDERS", filter, "Error trying to open the dataset"},
      {"statement_fails_sqlite", "bde", sqlite, "SELECT NOPE FROM ORDERS", filter, "Error trying to open the dataset"},
      {"value_not_a_number", "ibd", fdb, kStatement, badValue, "Problem at line 1"},
      {"value_not_a_number_sqlite", "bde", sqlite, kStatement, badValue, "Problem at line 1"},
      {"field_not_in_catalogue", "ibo", fdb, kStatement, unknownField, "ORDERS.NOPE"},
      {"field_not_in_catalogue_sqlite", "bde", sqlite, kStatement, unknownField, "ORDERS.NOPE"},
      {"ordering_not_in_catalogue", "ibo", fdb, kStatement, badOrder, "ORDERS.NOPE"},
      {"ordering_not_in_catalogue_sqlite", "bde", sqlite, kStatement, badOrder, "not opened as saved"},
      {"damaged_filter_file", "ibd", fdb, kStatement, damaged, "kytfilter: "},
      {"missing_filter_file", "bde", sqlite, kStatement, (dir / "none.flt").string(), "none.flt"},
      {"not_a_select", "bde", sqlite, "DELETE FROM ORDERS RETURNING ID", filter, "SELECT"},
      {"not_a_select_native", "ibo", fdb, "  /* x */ UPDATE ORDERS SET TOTAL = 0 RETURNING ID", filter, "SELECT"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string csv = (dir / (std::string(c.name) + ".csv")).string();
    CliResult r = RunCli({"apply", "--variant", c.variant, "--database", c.database, "--sql", c.sql, "--filter",
                          c.filter, "--csv", csv});
    EXPECT_EQ(r.code, 1) << r.err;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(fs::exists(csv));
    // Nor a working file beside it.
    for (const auto& e : fs::directory_iterator(dir))
      EXPECT_NE(e.path().filename().string().rfind("." + std::string(c.name) + ".csv", 0), 0u) << e.path();
  }
  EXPECT_FALSE(fs::exists(missingFdb));
  EXPECT_FALSE(fs::exists(missingDb));
  EXPECT_EQ(ReadFileBytes(sqlite), sqliteBefore);
  CliResult count = RunCli({"db", "rows", "--variant", "ibo", "--database", fdb, "--sql",
                            "SELECT COUNT(*) AS N, SUM(TOTAL) AS S FROM ORDERS WHERE TOTAL > 0"});
  ASSERT_EQ(count.code, 0) << count.err;
  CliResult countSqlite = RunCli({"db", "rows", "--variant", "bde", "--database", sqlite, "--sql",
                                  "SELECT COUNT(*) AS N, SUM(TOTAL) AS S FROM ORDERS WHERE TOTAL > 0"});
  // Both engines hold the same sample: the Firebird one is still whole too.
  EXPECT_EQ(count.out.substr(0, count.out.find(',')), countSqlite.out.substr(0, countSqlite.out.find(',')));
}

TEST_F(Apply, BadUseExitsWithTwo) {
  const std::vector<std::vector<std::string>> uses = {
      {"apply"},
      {"apply", "--variant", "ibo", "--database", fdb, "--sql", kStatement},  // no filter
      {"apply", "--variant", "xyz", "--database", fdb, "--sql", kStatement, "--filter", filter},
      {"apply", "--variant", "ibo", "--database", fdb, "--sql", kStatement, "--sql-file", filter, "--filter", filter},
      {"apply", "--variant", "ibo", "--database", fdb, "--sql", kStatement, "--filter", filter, "--filter", filter},
      {"apply", "--variant", "ibo", "--database", fdb, "--sql", kStatement, "--filter"},
  };
  for (const auto& args : uses) {
    CliResult r = RunCli(args);
    EXPECT_EQ(r.code, 2) << args.size() << ": " << r.err;
    EXPECT_EQ(r.err.rfind("usage: ", 0), 0u) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

}  // namespace
