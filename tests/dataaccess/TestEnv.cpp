#include "tests/dataaccess/TestEnv.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "dataaccess/bde/DBTables.h"
#include "dataaccess/ibobjects/IB_Components.h"

namespace testenv {

namespace fs = std::filesystem;

const std::string& TempDir() {
  // Never destroyed: the exit handler that removes the folder runs after the
  // destructors of statics made before it was registered.
  static const std::string* dir = [] {
    std::string pattern = (fs::temp_directory_path() / "kyt-dataaccess-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    auto* path = new std::string(pattern);
    std::atexit([] {
      std::error_code ec;
      fs::remove_all(*dir, ec);
    });
    return path;
  }();
  return *dir;
}

std::string TempPath(const std::string& Name) { return (fs::path(TempDir()) / Name).string(); }

std::string NewFirebird(const std::string& Name, const std::string& Script) {
  std::string path = TempPath(Name);
  IB_Components::TIB_Connection::CreateDatabase(path, Script, /*ForcedWrites=*/false);
  return path;
}

std::string NewSqlite(const std::string& Name, const std::string& Script) {
  std::string path = TempPath(Name);
  DBTables::CreateDatabase(path, Script);
  return path;
}

std::string SampleCopy(Sample::TEngine Engine) {
  const char* file = Engine == Sample::TEngine::Firebird ? "sample.fdb" : "sample.db";
  std::string copy = TempPath(file);
  if (fs::exists(copy)) return copy;
  const char* dir = std::getenv("KYT_SAMPLE_DIR");
  if (dir != nullptr && fs::exists(fs::path(dir) / file)) {
    fs::copy_file(fs::path(dir) / file, copy);
  } else {
    Sample::CreateSampleDatabase(Engine, copy);
  }
  return copy;
}

std::string ReadFile(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

}  // namespace testenv
