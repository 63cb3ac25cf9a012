// kytfilter db columns and db rows, run in this process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "apps/kytfilter/Cli.h"
#include "tests/dataaccess/TestEnv.h"

namespace {

const char* kJoin =
    "select o.ID, c.NAME as CUSTOMER, o.TOTAL, o.ID + 1 as NEXT_ID from ORDERS o "
    "join CUSTOMERS c on c.ID = o.CUSTOMER_ID where o.ID = 1";

std::string Database(const std::string& Variant) {
  return testenv::SampleCopy(Variant == "bde" ? Sample::TEngine::SQLite : Sample::TEngine::Firebird);
}

std::string RunDbCaptured(const kytcli::Args& Args) {
  testing::internal::CaptureStdout();
  try {
    kytcli::RunDb(Args);
  } catch (...) {
    std::fflush(stdout);
    testing::internal::GetCapturedStdout();
    throw;
  }
  std::fflush(stdout);
  return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(KytfilterDb, ColumnsOfEachVariant) {
  struct Row {
    const char* variant;
    const char* lines;
  } rows[] = {
      {"ibo",
       "ID\tID\tORDERS\t496\t0\t4\n"
       "CUSTOMER\tNAME\tCUSTOMERS\t448\t53\t40\n"
       "TOTAL\tTOTAL\tORDERS\t581\t1\t8\n"
       "NEXT_ID\tADD\t\t580\t0\t8\n"},
      {"ibd",
       "ID\t3\t4\tID\tID\tORDERS\n"
       "CUSTOMER\t1\t40\tCUSTOMER\tNAME\tCUSTOMERS\n"
       "TOTAL\t8\t34\tTOTAL\tTOTAL\tORDERS\n"
       "NEXT_ID\t25\t8\tNEXT_ID\tADD\t\n"},
      {"bde",
       "ID\t3\t4\tID\tORDERS\tID\n"
       "CUSTOMER\t1\t40\tCUSTOMER\tCUSTOMERS\tNAME\n"
       "TOTAL\t8\t34\tTOTAL\tORDERS\tTOTAL\n"
       "NEXT_ID\t0\t0\tNEXT_ID\t\t\n"},
  };
  for (const Row& r : rows)
    EXPECT_EQ(RunDbCaptured({"columns", "--variant", r.variant, "--database", Database(r.variant), "--sql", kJoin}), r.lines)
        << r.variant;
}

TEST(KytfilterDb, RowsAsCsv) {
  const char* sql = "select ID, COMMENTS, SHIPPED_AT, PAID from ORDERS where ID in (9, 10) order by ID";
  for (const char* variant : {"ibo", "ibd", "bde"}) {
    std::string out = RunDbCaptured({"rows", "--variant", variant, "--database", Database(variant), "--sql", sql});
    EXPECT_EQ(out.substr(0, out.find("\r\n") + 2), "ID,COMMENTS,SHIPPED_AT,PAID\r\n") << variant;
    EXPECT_NE(out.find("\r\n9,\"Leave at the door, ring twice (order 9)\","), std::string::npos) << variant << out;
    EXPECT_NE(out.find("\r\n10,,"), std::string::npos) << variant << ": NULL is an empty field";
  }
  // Names in UTF-8, whichever engine.
  std::string names = RunDbCaptured({"rows", "--variant", "bde", "--database", Database("bde"), "--sql",
                           "select NAME from CUSTOMERS where NAME like 'Zo%' limit 1"});
  EXPECT_NE(names.find("\r\nZo\xC3\xAB "), std::string::npos) << names;
}

TEST(KytfilterDb, CsvFileIsWrittenWholeOrNotAtAll) {
  std::string out = testenv::TempPath("rows.csv");
  RunDbCaptured({"rows", "--variant", "ibd", "--database", Database("ibd"), "--sql", "select ID from PRODUCTS order by ID",
       "--csv", out});
  std::string first = testenv::ReadFile(out);
  EXPECT_EQ(first.substr(0, 11), "ID\r\n1\r\n2\r\n3");
  EXPECT_EQ(std::count(first.begin(), first.end(), '\n'), 101);
  EXPECT_THROW(RunDbCaptured({"rows", "--variant", "ibd", "--database", Database("ibd"), "--sql", "select * from NOPE",
                    "--csv", out}),
               kytcli::Failure);
  EXPECT_EQ(testenv::ReadFile(out), first) << "a failed run keeps the old file";
  // Nor a working file beside it (".rows.csv.<random>.tmp").
  for (const auto& e : std::filesystem::directory_iterator(std::filesystem::path(out).parent_path()))
    EXPECT_NE(e.path().filename().string().rfind(".rows.csv.", 0), 0u) << e.path();
}

TEST(KytfilterDb, ErrorsAndBadUse) {
  struct Fault {
    const char* name;
    kytcli::Args args;
    const char* message;  // part of the failure's text
  } faults[] = {
      {"bad sql, firebird", {"rows", "--variant", "ibo", "--database", Database("ibo"), "--sql", "selec 1"},
       "Token unknown"},
      {"bad sql, sqlite", {"columns", "--variant", "bde", "--database", Database("bde"), "--sql", "selec 1"},
       "syntax error"},
      {"missing file", {"columns", "--variant", "bde", "--database", "/nonexistent/x.db", "--sql", "select 1"},
       "/nonexistent/x.db"},
  };
  for (const Fault& f : faults) {
    try {
      RunDbCaptured(f.args);
      ADD_FAILURE() << f.name << ": no failure";
    } catch (const kytcli::Failure& e) {
      EXPECT_NE(std::string(e.what()).find(f.message), std::string::npos) << f.name << ": " << e.what();
    }
  }
  const kytcli::Args misuse[] = {
      {},
      {"tables"},
      {"columns", "--variant", "odbc", "--database", "x", "--sql", "select 1"},
      {"columns", "--variant", "bde", "--sql", "select 1"},
      {"columns", "--variant", "bde", "--database", "x", "--sql", "select 1", "--csv", "out.csv"},
      {"rows", "--variant", "bde", "--database", "x", "--sql"},
  };
  for (const auto& args : misuse) EXPECT_THROW(kytcli::RunDb(args), kytcli::UsageError) << args.size();
}
