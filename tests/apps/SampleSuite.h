// A test suite over the sample database on Firebird and on SQLite, made once per test
// process in a folder of its own (the embedded Firebird engine opens a file for one
// process at a time) and removed with it at the end.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "dataaccess/sample/Sample.h"

class SampleSuite : public ::testing::Test {
 protected:
  // A new folder under the temporary one, named Prefix and a unique ending, with
  // sample.fdb and sample.db of Orders orders.
  static void MakeSamples(const std::string& Prefix, int Orders) {
    std::string pattern = (std::filesystem::temp_directory_path() / (Prefix + "-XXXXXX")).string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
    fdb = (dir / "sample.fdb").string();
    sqlite = (dir / "sample.db").string();
    Sample::CreateSampleDatabase(Sample::TEngine::Firebird, fdb, Orders);
    Sample::CreateSampleDatabase(Sample::TEngine::SQLite, sqlite, Orders);
  }
  static void RemoveSamples() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }

  static inline std::filesystem::path dir;
  static inline std::string fdb, sqlite;
};
