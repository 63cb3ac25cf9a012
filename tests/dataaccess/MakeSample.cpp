// Builds the sample databases of both engines into the folder given, once per test
// run, for the tests to copy (building the Firebird one takes seconds).
#include <cstdio>
#include <filesystem>

#include "dataaccess/sample/Sample.h"
#include "host/rtl/SysUtils.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: kyt_sample_make DIR\n");
    return 2;
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
