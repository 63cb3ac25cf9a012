// kytfilter sql on statements of several megabytes: read through a pipe (many blocks)
// and from a file, every byte written back, the same as the toolkit gives in-process.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "sqltext/Parse.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

struct CliRun {
  int code = -1;
  std::string out, err;
};

class KytfilterLarge : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("kyt-sqltext-cli-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    // Every byte value appears, CR LF line ends, and the WHERE clause comes last.
    std::string s = "SELECT\r\n";
    for (int i = 0; s.size() < (3u << 20); ++i) {
      s += "  C" + std::to_string(i) + ", 'where ''" + std::string(1, static_cast<char>(i % 256)) +
           "'' order', /* from */ (SELECT X FROM Y WHERE Z),\r\n";
    }
    s += "  1\r\nFROM T\r\nWHERE A = 1\r\n";
    sql_ = s;
    std::ofstream(dir_ / "in.sql", std::ios::binary) << sql_;
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs "kytfilter ARGS", the statement given through a pipe when Pipe, else as FILE.
  CliRun Kytfilter(const std::string& args, bool pipe) {
    const std::string in = (dir_ / "in.sql").string();
    std::string cmd = pipe ? "cat '" + in + "' | '" KYTFILTER_EXE "' " + args
                           : "'" KYTFILTER_EXE "' " + args + " '" + in + "'";
    cmd += " >'" + (dir_ / "out").string() + "' 2>'" + (dir_ / "err").string() + "'";
    const int status = std::system(cmd.c_str());
    CliRun r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = ReadBytes(dir_ / "out");
    r.err = ReadBytes(dir_ / "err");
    return r;
  }

  fs::path dir_;
  std::string sql_;
};

TEST_F(KytfilterLarge, GetAndSetGiveTheToolkitsBytes) {
  std::string where;
  Parse::GetSQLWhere(sql_, where);
  ASSERT_EQ(where, "WHERE A = 1");
  std::string replaced = sql_;
  Parse::SetSQLWhere(replaced, "WHERE B = 2");
  std::string count;
  Parse::MakeCountSQL(sql_, count);

  struct Case {
    const char* name;
    std::string args;
    const std::string& expected;
  } cases[] = {
      {"get_where", "sql get where", where},
      {"set_where", "sql set where 'WHERE B = 2'", replaced},
      {"count", "sql count", count},
  };
  for (const Case& c : cases) {
    for (bool pipe : {true, false}) {
      CliRun r = Kytfilter(c.args, pipe);
      EXPECT_EQ(r.code, 0) << c.name << (pipe ? " pipe: " : " file: ") << r.err;
      EXPECT_EQ(r.err, "") << c.name;
      EXPECT_EQ(r.out.size(), c.expected.size()) << c.name << (pipe ? " pipe" : " file");
      EXPECT_TRUE(r.out == c.expected) << c.name << (pipe ? " pipe" : " file");
    }
  }
}

}  // namespace
