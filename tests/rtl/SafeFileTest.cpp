#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <set>
#include <string>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "host/rtl/SafeFile.h"

namespace fs = std::filesystem;

namespace {

std::string Content(const fs::path& File) {
  std::ifstream in(File, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void Put(const fs::path& File, const std::string& Text, mode_t Mode) {
  std::ofstream(File, std::ios::binary | std::ios::trunc) << Text;
  ::chmod(File.c_str(), Mode);
}

mode_t ModeOf(const fs::path& File) {
  struct stat st{};
  ::stat(File.c_str(), &st);
  return st.st_mode & 07777;
}

// Every entry under Dir, as a path relative to it; links are listed, not followed.
std::set<std::string> Names(const fs::path& Dir) {
  std::set<std::string> out;
  for (const auto& e : fs::recursive_directory_iterator(Dir)) out.insert(e.path().lexically_relative(Dir).string());
  return out;
}

// Replaces Target with Text; "" on success, else the error's message.
std::string Replace(const std::string& Target, const std::string& Text) {
  try {
    SafeFile::TFileReplacer file(Target);
    file.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
    file.Commit();
    return "";
  } catch (const SysUtils::Exception& e) {
    return e.Message().empty() ? "failed" : e.Message();
  }
}

// The same, as a user without privileges (a forked child that drops root), so that
// folder permissions hold even when the tests run as root. Returns "" or "failed".
std::string ReplaceUnprivileged(const std::string& Target, const std::string& Text) {
  if (::geteuid() != 0) return Replace(Target, Text);
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(3);
    ::_exit(Replace(Target, Text).empty() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? "" : "failed";
}

}  // namespace

TEST(SafeFileReplace, SituationsKeepTheTargetSound) {
  std::string tmpl = (fs::temp_directory_path() / "kytsafe.XXXXXX").string();
  ASSERT_NE(::mkdtemp(tmpl.data()), nullptr);
  const fs::path root = tmpl;
  ::chmod(root.c_str(), 0755);  // the unprivileged row must reach its folder
  const mode_t savedMask = ::umask(022);

  struct Row {
    const char* Name;
    // Prepares the folder Dir and returns the target to write.
    std::function<std::string(const fs::path& Dir)> Prepare;
    bool Unprivileged;
    bool Fails;
    const char* Written;  // file that must hold the new text (relative to Dir)
    mode_t Mode;          // its permissions afterwards
    const char* Link;     // a target that must still be a symbolic link, or null
  };
  const Row rows[] = {
      {"new file gets 0666 less the umask", [](const fs::path& D) { return (D / "new.flt").string(); }, false,
       false, "new.flt", 0644, nullptr},
      {"existing file keeps its 0640",
       [](const fs::path& D) {
         Put(D / "old.flt", "old", 0640);
         return (D / "old.flt").string();
       },
       false, false, "old.flt", 0640, nullptr},
      {"symbolic link: the file it points to is replaced",
       [](const fs::path& D) {
         fs::create_directory(D / "real");
         Put(D / "real" / "f.flt", "old", 0600);
         fs::create_symlink("real/f.flt", D / "link.flt");
         return (D / "link.flt").string();
       },
       false, false, "real/f.flt", 0600, "link.flt"},
      {"dangling link: the file it names is made",
       [](const fs::path& D) {
         fs::create_symlink("later.flt", D / "dangling.flt");
         return (D / "dangling.flt").string();
       },
       false, false, "later.flt", 0644, "dangling.flt"},
      {"files at guessable working names are neither used nor followed",
       [](const fs::path& D) {
         Put(D / "victim", "victim", 0644);
         for (int i = 0; i < 5; ++i)
           fs::create_symlink("victim", D / (".g.flt." + std::to_string(::getpid()) + "." + std::to_string(i) + ".tmp"));
         fs::create_symlink("victim", D / "g.flt.part");
         fs::create_symlink("victim", D / ".g.flt.tmp");
         return (D / "g.flt").string();
       },
       false, false, "g.flt", 0644, nullptr},
      {"read-only folder: refused, the old file intact",
       [](const fs::path& D) {
         Put(D / "ro.flt", "old", 0644);
         ::chmod(D.c_str(), 0555);
         return (D / "ro.flt").string();
       },
       true, true, nullptr, 0, nullptr},
      {"missing folder: refused", [](const fs::path& D) { return (D / "no" / "x.flt").string(); }, false, true,
       nullptr, 0, nullptr},
      {"target is a folder: refused, the folder intact",
       [](const fs::path& D) {
         fs::create_directory(D / "dir.flt");
         return (D / "dir.flt").string();
       },
       false, true, nullptr, 0, nullptr},
  };
  int n = 0;
  for (const Row& r : rows) {
    SCOPED_TRACE(r.Name);
    const fs::path dir = root / std::to_string(n++);
    fs::create_directory(dir);
    ::chmod(dir.c_str(), 0755);
    const std::string target = r.Prepare(dir);
    const std::set<std::string> namesBefore = Names(dir);
    std::map<std::string, std::string> before;
    for (const std::string& name : namesBefore)
      if (fs::is_regular_file(fs::symlink_status(dir / name))) before[name] = Content(dir / name);

    const std::string error = r.Unprivileged ? ReplaceUnprivileged(target, "new") : Replace(target, "new");
    ::chmod(dir.c_str(), 0755);
    EXPECT_EQ(!error.empty(), r.Fails) << error;
    if (r.Fails && !r.Unprivileged) {
      EXPECT_NE(error.find(target), std::string::npos) << error;
    }
    if (!r.Fails) {
      EXPECT_EQ(Content(dir / r.Written), "new");
      EXPECT_EQ(ModeOf(dir / r.Written), r.Mode);
    }
    if (r.Link != nullptr) {
      EXPECT_TRUE(fs::is_symlink(dir / r.Link));
    }
    // No working file is left behind, and no other file changed.
    std::set<std::string> expected = namesBefore;
    if (!r.Fails) expected.insert(r.Written);
    EXPECT_EQ(Names(dir), expected);
    for (const auto& [name, text] : before) {
      if (r.Written == nullptr || name != r.Written) {
        EXPECT_EQ(Content(dir / name), text) << name;
      }
    }
  }

  // Without Commit nothing changes and the working file goes away.
  const fs::path last = root / "abandoned";
  fs::create_directory(last);
  Put(last / "a.flt", "old", 0644);
  {
    SafeFile::TFileReplacer file((last / "a.flt").string());
    file.WriteBuffer("partial", 7);
  }
  EXPECT_EQ(Content(last / "a.flt"), "old");
  EXPECT_EQ(Names(last), std::set<std::string>{"a.flt"});

  ::umask(savedMask);
  fs::remove_all(root);
}
