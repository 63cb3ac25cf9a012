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
