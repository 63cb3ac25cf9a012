// Saving when the world says no: kytfilter's outputs (a filter file, a form file, rows
// as CSV, rows on standard output) written while the disk is full, while the process's
// file-size limit is reached, or into a read-only folder. The old file must stay whole,
// no partial file may be left in the folder, and the failure must be told: a non-zero
// exit status and a text on standard error that names the file and the reason.
//
// The disk and the read-only folder are small tmpfs mounts in a mount namespace of this
// process (made in main, before anything else runs), so they vanish with it; where the
// system refuses to mount, those rows are skipped with the reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "dataaccess/sample/Sample.h"

namespace fs = std::filesystem;

namespace {

// Why this process cannot mount, or "" when it has a private mount namespace.
std::string& MountRefusal() {
  static std::string reason = "not tried";
  return reason;
}

std::string Content(const fs::path& File) {
  std::ifstream in(File, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::set<std::string> Names(const fs::path& Dir) {
  std::set<std::string> out;
  for (const auto& e : fs::directory_iterator(Dir)) out.insert(e.path().filename().string());
  return out;
}

struct TRun {
  int Code = -1;
  std::string Err;
};

// Runs kytfilter with Args, standard output into StdOut (appended to, so that a full
// disk gets no room from truncating it), standard error captured; with
// FileSizeLimit > 0 under that RLIMIT_FSIZE, SIGXFSZ ignored so a write past the limit
// fails with EFBIG instead of killing the process.
TRun Kytfilter(const std::vector<std::string>& Args, const fs::path& StdOut, const fs::path& StdErr,
               rlim_t FileSizeLimit = 0) {
  const int out = ::open(StdOut.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  const int err = ::open(StdErr.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  const int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  TRun r;
  if (out < 0 || err < 0 || in < 0) {
    r.Err = std::string("cannot open the child's files: ") + std::strerror(errno);
    for (int fd : {out, err, in})
      if (fd >= 0) ::close(fd);
    return r;
  }
  std::vector<std::string> argv = {KYTFILTER_EXE};
  argv.insert(argv.end(), Args.begin(), Args.end());
  std::vector<char*> cargv;
  for (std::string& a : argv) cargv.push_back(a.data());
  cargv.push_back(nullptr);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0) ::_exit(126);
    if (FileSizeLimit > 0) {
      ::signal(SIGXFSZ, SIG_IGN);
      const rlimit limit{FileSizeLimit, FileSizeLimit};
      if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(125);
    }
    ::execv(cargv[0], cargv.data());
    ::_exit(127);
  }
  for (int fd : {out, err, in}) ::close(fd);
  int status = 0;
  if (child < 0 || ::waitpid(child, &status, 0) != child) return r;
  r.Code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  r.Err = Content(StdErr);
  return r;
}

// A one-line filter: orders of 100 or more, by number.
const char* kSmallFilterJson =
    "{\"description\": \"Big\", \"criteria\": [{\"beginGroup\": \"\", \"fieldName\": \"TOTAL\", "
    "\"tableName\": \"ORDERS.\", \"operator\": \">=\", \"value\": \"100\", \"endGroup\": \"\", "
    "\"operation\": 0}], \"ordering\": [\"ORDERS.ID\"]}";

// Four lines: larger than the file-size limit, so the limit strikes after the header.
std::string LargeFilterJson() {
  std::string lines;
  for (int i = 0; i < 4; ++i) {
    if (i > 0) lines += ", ";
    lines += "{\"beginGroup\": \"\", \"fieldName\": \"TOTAL\", \"tableName\": \"ORDERS.\", \"operator\": \">=\", "
             "\"value\": \"" + std::to_string(100 * (i + 1)) + "\", \"endGroup\": \"\", \"operation\": " +
             (i < 3 ? "1" : "0") + "}";
  }
  return "{\"description\": \"Large\", \"criteria\": [" + lines + "], \"ordering\": [\"ORDERS.ID\"]}";
}

const char* kForm =
    "object Shop: TDataModule\r\n"
    "  object Orders: TQuery\r\n"
    "    DatabaseName = '%DB%'\r\n"
    "    SQL.Strings = (\r\n"
    "      'SELECT ORDERS.ID, ORDERS.TOTAL, ORDERS.STATUS, CUSTOMERS.NAME'\r\n"
    "      'FROM ORDERS JOIN CUSTOMERS ON CUSTOMERS.ID = ORDERS.CUSTOMER_ID')\r\n"
    "  end\r\n"
    "  object OrderFilter: TkytBDEFilter\r\n"
    "    DataSet = Orders\r\n"
    "  end\r\n"
    "end\r\n";

// The file-size limit of the rows that set one; every output exceeds it.
constexpr rlim_t kFileSizeLimit = 2048;

class Save : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string pattern = (fs::temp_directory_path() / "kyt-faults-save-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    base = pattern;
    db = (base / "shop.db").string();
    Sample::CreateSampleDatabase(Sample::TEngine::SQLite, db, 300);
    std::string form = kForm;
    form.replace(form.find("%DB%"), 4, db);
    std::ofstream(base / "shop.dfm", std::ios::binary) << form;
    std::ofstream(base / "large.json", std::ios::binary) << LargeFilterJson();
    std::ofstream(base / "small.json", std::ios::binary) << kSmallFilterJson;
    const TRun made = Kytfilter({"flt", "make", (base / "small.flt").string(), (base / "small.json").string()},
                                base / "out", base / "err");
    ASSERT_EQ(made.Code, 0) << made.Err;
  }
  static void TearDownTestSuite() {
    std::error_code ec;
    fs::remove_all(base, ec);
  }

  // A fresh folder for one row, mounted as a tmpfs of Size when Size is not empty.
  static std::string NewFolder(const fs::path& Dir, const char* Size) {
    fs::create_directories(Dir);
    if (Size == nullptr) return "";
    if (!MountRefusal().empty()) return MountRefusal();
    const std::string options = std::string("size=") + Size + ",mode=0755";
    if (::mount("tmpfs", Dir.c_str(), "tmpfs", 0, options.c_str()) != 0)
      return std::string("mount tmpfs: ") + std::strerror(errno);
    return "";
  }

  static inline fs::path base;
  static inline std::string db;
};

enum TCondition { cdDiskFull, cdFileSizeLimit, cdReadOnly };

TEST_F(Save, FailedSaveKeepsTheOldFileAndSaysWhy) {
  struct Output {
    const char* Name;
    // kytfilter's arguments writing Target (none for the standard-output rows).
    std::function<std::vector<std::string>(const std::string& Target)> Args;
    bool ToStdOut;                         // the output is standard output, redirected to Target
    std::vector<TCondition> Conditions;    // where it can be tried
    const char* Told;                      // a text standard error must hold besides the reason
  };
  const std::string database = db, dfm = (base / "shop.dfm").string(), smallFlt = (base / "small.flt").string(),
                    large = (base / "large.json").string();
  const std::string rowsSql = "SELECT * FROM ORDERS";
  const Output outputs[] = {
      {"filter_file", [&](const std::string& T) { return std::vector<std::string>{"flt", "make", T, large}; }, false,
       {cdDiskFull, cdFileSizeLimit, cdReadOnly}, "cannot write"},
      {"form_file",
       [&](const std::string& T) {
         return std::vector<std::string>{"form", "fielddefs", dfm, "OrderFilter", "--out", T};
       },
       false, {cdDiskFull, cdFileSizeLimit, cdReadOnly}, "cannot write"},
      {"csv_of_db_rows",
       [&](const std::string& T) {
         return std::vector<std::string>{"db", "rows", "--variant", "bde", "--database", database, "--sql", rowsSql,
                                         "--csv", T};
       },
       false, {cdDiskFull, cdFileSizeLimit, cdReadOnly}, ""},
      {"csv_of_apply",
       [&](const std::string& T) {
         return std::vector<std::string>{"apply", "--variant", "bde", "--database", database, "--sql",
                                         "SELECT ORDERS.ID, ORDERS.TOTAL FROM ORDERS", "--filter", smallFlt,
                                         "--csv", T};
       },
       false, {cdDiskFull, cdFileSizeLimit, cdReadOnly}, ""},
      // Many rows: standard output's buffer is written while rows are still read.
      {"stdout_rows",
       [&](const std::string&) {
         return std::vector<std::string>{"db", "rows", "--variant", "bde", "--database", database, "--sql", rowsSql};
       },
       true, {cdDiskFull, cdFileSizeLimit}, "cannot write the output"},
      // Little text: it reaches the file only when the buffer is flushed at the end.
      {"stdout_small", [&](const std::string&) { return std::vector<std::string>{"flt", "show", smallFlt}; }, true,
       {cdDiskFull}, "cannot write the output"},
  };
  struct Condition {
    TCondition Kind;
    const char* Name;
    const char* Reason;  // the system's text for the error the write meets
  };
  const Condition conditions[] = {{cdDiskFull, "disk_full", "No space left on device"},
                                  {cdFileSizeLimit, "file_size_limit", "File too large"},
                                  {cdReadOnly, "read_only", "Read-only file system"}};
  const std::string old = "the old content\n";
  int n = 0;
  std::vector<std::string> skipped;
  for (const Output& o : outputs) {
    // Sound first: in a plain folder the output is written, and it is larger than the
    // file-size limit, so the limit rows below do meet it.
    const fs::path plain = base / (std::string("plain-") + o.Name);
    fs::create_directories(plain);
    const std::string plainTarget = (plain / "target").string();
    const TRun sound = Kytfilter(o.Args(plainTarget), o.ToStdOut ? plain / "target" : base / "out", base / "err");
    ASSERT_EQ(sound.Code, 0) << o.Name << ": " << sound.Err;
    const bool limited =
        std::find(o.Conditions.begin(), o.Conditions.end(), cdFileSizeLimit) != o.Conditions.end();
    ASSERT_GT(fs::file_size(plainTarget), limited ? kFileSizeLimit : 0u) << o.Name;

    for (const Condition& c : conditions) {
      if (std::find(o.Conditions.begin(), o.Conditions.end(), c.Kind) == o.Conditions.end()) continue;
      SCOPED_TRACE(std::string(o.Name) + " / " + c.Name);
      const fs::path dir = base / ("row" + std::to_string(n++));
      const std::string refused = NewFolder(dir, c.Kind == cdFileSizeLimit ? nullptr : "256k");
      if (!refused.empty()) {
        skipped.push_back(std::string(o.Name) + " / " + c.Name + ": " + refused);
        continue;
      }
      const fs::path target = dir / "target";
      // Standard output starts empty: appending to the old text would fill its last page,
      // which a full disk still has room in.
      std::ofstream(target, std::ios::binary) << (o.ToStdOut ? "" : old);
      std::set<std::string> before = {"target"};
      if (c.Kind == cdDiskFull) {
        // Fill the disk to the last byte.
        std::ofstream filler(dir / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size()))) {
        }
        before.insert("filler");
      }
      if (c.Kind == cdReadOnly) {
        ASSERT_EQ(::mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0) << std::strerror(errno);
      }

      const TRun r = Kytfilter(o.Args(target.string()), o.ToStdOut ? target : base / ("out" + std::to_string(n)), base / "err",
                               c.Kind == cdFileSizeLimit ? kFileSizeLimit : 0);
      EXPECT_EQ(r.Code, 1) << r.Err;
      EXPECT_NE(r.Err.find(c.Reason), std::string::npos) << r.Err;
      EXPECT_NE(r.Err.find(o.Told), std::string::npos) << r.Err;
      EXPECT_EQ(Names(dir), before) << "nothing left beside the target";
      if (!o.ToStdOut) {
        EXPECT_NE(r.Err.find(target.string()), std::string::npos) << "names the file: " << r.Err;
        EXPECT_EQ(Content(target), old) << "the old file is intact";
      }
      if (c.Kind != cdFileSizeLimit) ::umount2(dir.c_str(), MNT_DETACH);
    }
  }
  if (!skipped.empty()) {
    std::string text;
    for (const std::string& s : skipped) text += "\n  " + s;
    GTEST_SKIP() << "conditions this machine cannot make:" << text;
  }
}

}  // namespace

int main(int argc, char** argv) {
  // A private mount namespace, made while this is the only thread: the test's mounts
  // are seen by it and its children only, and go when it ends.
  if (::unshare(CLONE_NEWNS) != 0)
    MountRefusal() = std::string("unshare(CLONE_NEWNS): ") + std::strerror(errno);
  else if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
    MountRefusal() = std::string("making the mounts private: ") + std::strerror(errno);
  else
    MountRefusal().clear();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
