#include <gtest/gtest.h>

#include "CliRun.h"

namespace {

namespace fs = std::filesystem;

TEST(KytfilterFlt, MakeShowMakeGivesTheSameFile) {
  fs::path dir = fs::temp_directory_path() / ("kytflt-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string json =
      "{\"description\": \"Big orders \\u00e9t\\u00e9\", \"criteria\": [{\"beginGroup\": \"(\", "
      "\"fieldName\": \"TOTAL\", \"tableName\": \"ORDERS.\", \"operator\": \">=\", \"value\": "
      "\"100\", \"endGroup\": \")\", \"operation\": 0}], \"ordering\": [\"ORDERS.ID\"]}";
  std::string a = (dir / "a.flt").string(), b = (dir / "b.flt").string();
  CliResult made = RunCli({"flt", "make", a}, json);
  ASSERT_EQ(made.code, 0) << made.err;
  EXPECT_EQ(fs::file_size(a), 2831u);  // header, one record, one ordering entry
  CliResult shown = RunCli({"flt", "show", a, "--json"});
  ASSERT_EQ(shown.code, 0) << shown.err;
  for (const char* part : {"TOTAL", "ORDERS.ID", "\"operation\"", "Big orders"})
    EXPECT_NE(shown.out.find(part), std::string::npos) << part;
  ASSERT_EQ(RunCli({"flt", "make", b}, shown.out).code, 0);
  CliResult again = RunCli({"flt", "show", b, "--json"});
  EXPECT_EQ(again.out, shown.out);
  EXPECT_NE(RunCli({"flt", "show", a}).out.find("'TOTAL'"), std::string::npos);

  CliResult bad = RunCli({"flt", "make", (dir / "c.flt").string()}, "{\"description\": 1}");
  EXPECT_EQ(bad.code, 1);
  EXPECT_NE(bad.err.find("description"), std::string::npos) << bad.err;
  EXPECT_FALSE(fs::exists(dir / "c.flt"));
  CliResult missing = RunCli({"flt", "show", (dir / "none.flt").string()});
  EXPECT_EQ(missing.code, 1);
  EXPECT_EQ(missing.out, "");
  fs::remove_all(dir);
}

TEST(KytfilterSql, TablesListsFromAndJoinTables) {
  CliResult r = RunCli({"sql", "tables"},
                       "select a.x from Orders o, Customer c left join Items i on i.id = o.id "
                       "where a.x > 1\r\n");
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "ORDERS\nCUSTOMER\nITEMS\n");
}

}  // namespace
