// oracle <count> [--seed S] [--engine sqlite|firebird|both] [--rows N] [--only K]
//        [--sqlite-special on|off]
// Runs <count> random filters per engine through the real filter dialog and Execute and
// compares the rows of the reopened query with the oracle's own evaluation. Prints the
// figures of each engine and every difference; exits with 1 when there is one.
#include <QApplication>

#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#include "host/ui/Dialogs.h"
#include "tests/oracle/OracleRun.h"

namespace {

int Usage() {
  std::cerr << "usage: oracle <count> [--seed S] [--engine sqlite|firebird|both] [--rows N] [--only K]"
               " [--sqlite-special on|off]\n";
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  oracle::TRunOptions options;
  std::string engine = "both";
  if (argc < 2) return Usage();
  try {
    options.Count = std::stoi(argv[1]);
    for (int i = 2; i < argc; ++i) {
      const std::string arg = argv[i];
      if (i + 1 >= argc) return Usage();
      const std::string value = argv[++i];
      if (arg == "--seed") options.Seed = std::stoull(value);
      else if (arg == "--engine") engine = value;
      else if (arg == "--rows") options.Rows = std::stoi(value);
      else if (arg == "--only") options.Only = std::stoi(value);
      else if (arg == "--sqlite-special") options.SqliteSpecial = value == "on";
      else return Usage();
    }
  } catch (const std::exception&) {
    return Usage();
  }
  if (engine != "sqlite" && engine != "firebird" && engine != "both") return Usage();
  if (options.Count < 0 || options.Rows < 1) return Usage();

  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  Dialogs::TScriptedUIHost host;
  Dialogs::SetUIHost(&host);
  int differences = 0;
  for (oracle::TEngine e : {oracle::TEngine::Sqlite, oracle::TEngine::Firebird}) {
    if (engine != "both" && engine != oracle::EngineName(e)) continue;
    const oracle::TFigures f = oracle::RunEngine(e, options, host, std::cout);
    std::cout << oracle::EngineName(e) << ": filters " << f.Filters << ", accepted " << f.Accepted << " (" << f.Partial << " selecting some rows but not all)" << ", rows compared "
              << f.RowsCompared << ", refusals " << f.Refusals << ", differences " << f.Differences
              << " (seed " << options.Seed << ", " << options.Rows << " rows"
              << (e == oracle::TEngine::Sqlite && !options.SqliteSpecial ? ", prefix and substring comparisons off" : "")
              << ")" << std::endl;
    differences += f.Differences;
  }
  Dialogs::SetUIHost(nullptr);
  return differences == 0 ? 0 : 1;
}
