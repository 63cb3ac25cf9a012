// Runs kytfilter with arguments and standard input, capturing both outputs.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct CliResult {
  int code = -1;
  std::string out, err;
};

inline std::string ReadFileBytes(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

inline std::string ShellQuote(const std::string& s) {
  std::string r = "'";
  for (char c : s) {
    if (c == '\'') r += "'\\''";
    else r += c;
  }
  return r + "'";
}

// Input goes through a file so every byte (CR, NUL) reaches the tool unchanged.
inline CliResult RunCli(const std::vector<std::string>& args, const std::string& input = "") {
  namespace fs = std::filesystem;
  static int counter = 0;
  fs::path dir = fs::temp_directory_path() /
                 ("kytcli-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
  fs::create_directories(dir);
  { std::ofstream(dir / "in", std::ios::binary) << input; }
  std::string cmd = ShellQuote(KYTFILTER_EXE);
  for (const std::string& a : args) cmd += " " + ShellQuote(a);
  cmd += " <" + ShellQuote((dir / "in").string()) + " >" + ShellQuote((dir / "out").string()) +
         " 2>" + ShellQuote((dir / "err").string());
  int status = std::system(cmd.c_str());
  CliResult r;
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = ReadFileBytes(dir / "out");
  r.err = ReadFileBytes(dir / "err");
  fs::remove_all(dir);
  return r;
}

// The sample databases' "big shipped orders" filter as kytfilter flt make reads it:
// ( status shipped OR delivered ) AND total >= 500 AND ordered since 2022, by date; the
// values as a user types them (lower case, the date as the edit mask shows it). With
// LowerNames the field names are in lower case, as a catalogue of PostgreSQL names them.
inline std::string BigShippedFilterJson(bool LowerNames = false) {
  auto n = [LowerNames](std::string Name) {
    if (LowerNames)
      for (char& c : Name) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return Name;
  };
  auto line = [&](const char* Open, const char* Field, const char* Op, const char* Value, const char* Close,
                  int Operation) {
    return "{\"beginGroup\": \"" + std::string(Open) + "\", \"fieldName\": \"" + n(Field) + "\", \"tableName\": \"" +
           "ORDERS.\", \"operator\": \"" + Op + "\", \"value\": \"" + Value + "\", \"endGroup\": \"" + Close +
           "\", \"operation\": " + std::to_string(Operation) + "}";
  };
  return "{\"description\": \"Big shipped orders since 2022\", \"criteria\": [" +
         line("(", "STATUS", "=", "shipped", "", 2) + ", " + line("", "STATUS", "=", "delivered", ")", 1) + ", " +
         line("", "TOTAL", ">=", "500", "", 1) + ", " + line("", "ORDER_DATE", ">=", "01/01/2022", "", -1) +
         "], \"ordering\": [\"ORDERS." + n("ORDER_DATE") + "\", \"ORDERS." + n("ID") + "\"]}";
}
