// Shared fixtures of the data-access tests: a fresh temporary folder per test process
// (the embedded Firebird engine opens a file for one process at a time) and
// databases made in it.
#pragma once

#include <string>

#include "dataaccess/sample/Sample.h"

namespace testenv {

// The folder of this process, created on first use and removed at exit.
const std::string& TempDir();
// A path in TempDir() for Name.
std::string TempPath(const std::string& Name);

// A new Firebird database file in TempDir() made from Script; returns its path.
std::string NewFirebird(const std::string& Name, const std::string& Script);
// A new SQLite database file in TempDir() made from Script; returns its path.
std::string NewSqlite(const std::string& Name, const std::string& Script);

// A private copy of the sample database of Engine (10,000 orders): copied from the
// one the test fixture built (KYT_SAMPLE_DIR), or built here when there is none.
std::string SampleCopy(Sample::TEngine Engine);

// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& Path);

}  // namespace testenv
