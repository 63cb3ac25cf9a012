#include <gtest/gtest.h>

#include <cstdio>

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

// JSON that flt make refuses, naming the key, and writes no file for. Rows found by
// fuzzing stay here.
TEST(KytfilterFlt, MakeRefusesWhatAFilterFileCannotHold) {
  fs::path dir = fs::temp_directory_path() / ("kytflt-bad-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const struct {
    const char* name;
    std::string json;
    const char* key;
  } rows[] = {
      {"description not a string", "{\"description\": 1}", "description"},
      // A filter file ends the description at a zero byte; the text after it was lost.
      {"zero character in the description",
       "{\"description\": \"a\\u0000b\", \"criteria\": [], \"ordering\": []}", "description"},
      {"operation not an integer",
       "{\"description\": \"\", \"criteria\": [{\"beginGroup\": \"\", \"fieldName\": \"A\", "
       "\"tableName\": \"\", \"operator\": \"=\", \"value\": \"1\", \"endGroup\": \"\", "
       "\"operation\": 0.5}], \"ordering\": []}",
       "criteria[0].operation"},
  };
  for (const auto& row : rows) {
    const std::string out = (dir / "c.flt").string();
    CliResult r = RunCli({"flt", "make", out}, row.json);
    EXPECT_EQ(r.code, 1) << row.name;
    EXPECT_NE(r.err.find(row.key), std::string::npos) << row.name << ": " << r.err;
    EXPECT_FALSE(fs::exists(out)) << row.name;
  }
  fs::remove_all(dir);
}

// A filter file from its JSON form, turned into its WHERE clause by the dialog.
TEST(KytfilterFlt, WhereBuildsTheDialogsClause) {
  fs::path dir = fs::temp_directory_path() / ("kytwhere-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const std::string fields = (dir / "fields.json").string();
  {
    std::FILE* f = std::fopen(fields.c_str(), "wb");
    std::fputs(
        "[{\"fieldName\": \"NAME\", \"comboOrder\": 0, \"tableName\": \"C.\", \"dataType\": \"fString\", "
        "\"maxSize\": 40, \"fieldKind\": \"fkSelected\", \"description\": \"Name\", \"supported\": true, "
        "\"visible\": true},"
        " {\"fieldName\": \"BORN\", \"comboOrder\": 1, \"tableName\": \"C.\", \"dataType\": \"fDate\", "
        "\"maxSize\": 4, \"fieldKind\": \"fkSelected\", \"description\": \"Born\", \"supported\": true, "
        "\"visible\": true}]",
        f);
    std::fclose(f);
  }
  auto make = [&](const std::string& name, const std::string& criteria) {
    const std::string file = (dir / name).string();
    const std::string json = "{\"description\": \"\", \"criteria\": [" + criteria + "], \"ordering\": []}";
    EXPECT_EQ(RunCli({"flt", "make", file}, json).code, 0);
    return file;
  };
  const std::string two = make(
      "two.flt",
      "{\"beginGroup\": \"(\", \"fieldName\": \"NAME\", \"tableName\": \"C.\", \"operator\": \"Starting with\", "
      "\"value\": \"o'b\", \"endGroup\": \"\", \"operation\": 2},"
      "{\"beginGroup\": \"\", \"fieldName\": \"BORN\", \"tableName\": \"C.\", \"operator\": \"<\", "
      "\"value\": \"25/12/1999\", \"endGroup\": \")\", \"operation\": 0}");
  struct Case {
    std::vector<std::string> extra;
    const char* out;
  } cases[] = {
      {{"--date-format", "dd/mm/yyyy", "--sql-date-format", "yyyy-mm-dd"},
       "WHERE (( UPPER(C.NAME) Starting with  'O''B' ) OR\r\n( C.BORN <  '1999-12-25' ))\r\n"},
      {{"--date-format", "dd/mm/yyyy", "--case-sensitive", "--quote", "\"", "--const-where", "C.ID > 0"},
       "WHERE C.ID > 0 AND\r\n(( C.NAME Starting with  \"o'b\" ) OR\r\n( C.BORN <  \"12/25/1999\" ))\r\n"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"flt", "where", two, "--fields", fields};
    args.insert(args.end(), c.extra.begin(), c.extra.end());
    CliResult r = RunCli(args);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, c.out);
  }
  // The prefix comparison not offered: the line has no comparison.
  CliResult none = RunCli({"flt", "where", two, "--fields", fields, "--special", "containing"});
  EXPECT_EQ(none.code, 1);
  EXPECT_EQ(none.err, "Invalid Comparision value at line 1\n");
  // SQL hidden in a parenthesis text of the file does not reach the clause.
  const std::string sneaky = make(
      "sneaky.flt",
      "{\"beginGroup\": \"(1=1) OR (\", \"fieldName\": \"NAME\", \"tableName\": \"C.\", \"operator\": \"=\", "
      "\"value\": \"x\", \"endGroup\": \")\", \"operation\": 0}");
  CliResult injected = RunCli({"flt", "where", sneaky, "--fields", fields});
  EXPECT_EQ(injected.code, 1);
  EXPECT_EQ(injected.out, "");
  EXPECT_EQ(injected.err, "Problem at line 1\n");
  EXPECT_EQ(RunCli({"flt", "where", two}).code, 2);
  EXPECT_EQ(RunCli({"flt", "where", (dir / "none.flt").string(), "--fields", fields}).code, 1);
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
