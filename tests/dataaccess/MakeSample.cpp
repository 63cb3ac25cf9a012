// Builds the sample databases of both engines into the folder given, once per test
// run, for the tests to copy (building the Firebird one takes seconds). With --postgres
// it makes the sample tables in the PostgreSQL database that CONNECTION names instead.
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "dataaccess/sample/Sample.h"
#include "host/rtl/SysUtils.h"

int main(int argc, char** argv) {
  if (argc == 3 || argc == 4) {
    if (std::string(argv[1]) != "--postgres" || (argc == 4 && std::atoi(argv[3]) < 1)) argc = 0;
  } else if (argc != 2) {
    argc = 0;
  }
  if (argc == 0) {
    std::fprintf(stderr, "usage: kyt_sample_make DIR | kyt_sample_make --postgres CONNECTION [ORDERS]\n");
    return 2;
  }
  if (argc > 2) {
    // Qt SQL loads its drivers through the application object.
    QCoreApplication app(argc, argv);
    try {
      Sample::CreateSampleDatabase(Sample::TEngine::PostgreSQL, argv[2],
                                   argc == 4 ? std::atoi(argv[3]) : Sample::kDefaultOrders);
    } catch (const std::exception& e) {
      std::fprintf(stderr, "kyt_sample_make: %s\n", e.what());
      return 1;
    }
    return 0;
  }
  namespace fs = std::filesystem;
  try {
    fs::create_directories(argv[1]);
    for (auto [engine, name] : {std::pair{Sample::TEngine::Firebird, "sample.fdb"},
                                std::pair{Sample::TEngine::SQLite, "sample.db"}}) {
      fs::path file = fs::path(argv[1]) / name;
      // Always rebuilt, so a changed generator never leaves stale data behind.
      fs::remove(file);
      Sample::CreateSampleDatabase(engine, file.string());
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kyt_sample_make: %s\n", e.what());
    return 1;
  }
  return 0;
}
