#include <gtest/gtest.h>

#include "CliRun.h"

namespace {

TEST(KytfilterSql, VerbsPrintExactBytes) {
  const std::string sql = "SELECT A, B FROM T WHERE A = 1 ORDER BY B";
  struct Case {
    const char* name;
    std::vector<std::string> args;
    std::string input, expected;
  } cases[] = {
      {"get_where", {"sql", "get", "where"}, sql, "WHERE A = 1"},
      {"get_absent_is_empty", {"sql", "get", "group"}, sql, ""},
      {"set_where_keeps_crlf", {"sql", "set", "where", "WHERE C = 2"}, sql,
       "SELECT A, B FROM T\r\nWHERE C = 2\r\nORDER BY B"},
      {"set_empty_removes", {"sql", "set", "order", ""}, "SELECT A FROM T ORDER BY A",
       "SELECT A FROM T\r\n\r\n"},
      {"count", {"sql", "count"}, sql, "SELECT COUNT( * )\r\nFROM T WHERE A = 1"},
      {"client", {"sql", "client", ":"}, "A = ?1234NAME,xyzB", "A = :NAMEB"},
      {"merge_fields", {"sql", "merge-fields"}, "<<B>> <<A>> <<B>>", "B\nA\n"},
      {"forupdate", {"sql", "get", "forupdate"}, "SELECT A FROM T FOR UPDATE", "FOR UPDATE"},
  };
  for (const Case& c : cases) {
    CliResult r = RunCli(c.args, c.input);
    EXPECT_EQ(r.code, 0) << c.name << ": " << r.err;
    EXPECT_EQ(r.out, c.expected) << c.name;
    EXPECT_EQ(r.err, "") << c.name;
  }
}

TEST(KytfilterSql, ReadsTheStatementFromAFile) {
  namespace fs = std::filesystem;
  fs::path file = fs::temp_directory_path() / ("kytcli-file-" + std::to_string(::getpid()));
  { std::ofstream(file, std::ios::binary) << "select x\r\nfrom t\r\nwhere y = 'a\r\nb'\r\n"; }
  CliResult r = RunCli({"sql", "get", "where", file.string()});
  fs::remove(file);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "where y = 'a\r\nb'");
}

TEST(KytfilterSql, BadUseAndUnreadableFiles) {
  struct Case {
    const char* name;
    std::vector<std::string> args;
    int code;
    std::string errPart;
  } cases[] = {
      {"no_arguments", {}, 2, "usage: "},
      {"unknown_group", {"nope"}, 2, "unknown verb 'nope'"},
      {"unknown_sql_verb", {"sql", "frobnicate"}, 2, "unknown verb 'frobnicate'"},
      {"unknown_clause", {"sql", "get", "wher"}, 2, "unknown clause 'wher'"},
      {"missing_clause", {"sql", "get"}, 2, "usage: kytfilter sql get CLAUSE [FILE]"},
      {"missing_text", {"sql", "set", "where"}, 2, "usage: kytfilter sql set CLAUSE TEXT"},
      {"client_needs_one_char", {"sql", "client", "ab"}, 2, "usage: kytfilter sql client"},
      {"too_many_arguments", {"sql", "count", "a", "b"}, 2, "usage: "},
      {"missing_file", {"sql", "count", "/nonexistent/q.sql"}, 1,
       "cannot read /nonexistent/q.sql: No such file or directory"},
      {"directory_as_file", {"sql", "count", "/"}, 1, "cannot read /"},
  };
  for (const Case& c : cases) {
    CliResult r = RunCli(c.args);
    EXPECT_EQ(r.code, c.code) << c.name;
    EXPECT_NE(r.err.find(c.errPart), std::string::npos) << c.name << ": " << r.err;
    EXPECT_EQ(r.out, "") << c.name;
    if (c.code == 2) {
      EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << c.name;
    }
  }
}

TEST(KytfilterSql, HelpListsTheVerbs) {
  CliResult r = RunCli({"--help"});
  EXPECT_EQ(r.code, 0);
  for (const char* verb : {"sql get", "sql set", "sql count", "sql client", "sql merge-fields"})
    EXPECT_NE(r.out.find(verb), std::string::npos) << verb;
}

}  // namespace
