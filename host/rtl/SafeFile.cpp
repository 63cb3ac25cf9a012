#include "host/rtl/SafeFile.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SafeFile {

namespace {

// Links pointing to links are followed this many times, as the kernel does.
constexpr int kMaxLinkHops = 40;
// Random names collide only when someone made files at them: give up after this many.
constexpr int kMaxNameTries = 100;

std::string Folder(const std::string& Path) {
  const size_t slash = Path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : Path.substr(0, slash);
}

std::string BaseName(const std::string& Path) {
  const size_t slash = Path.rfind('/');
  return slash == std::string::npos ? Path : Path.substr(slash + 1);
}

// Path with the symbolic links of its last part followed; a dangling link gives the
// path it points to. Links in the folders above are left to the kernel.
std::string ResolveLinks(const std::string& Path) {
  std::string path = Path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat st{};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
    std::string to(4096, '\0');
    const ssize_t n = ::readlink(path.c_str(), to.data(), to.size());
    if (n < 0 || static_cast<size_t>(n) >= to.size()) return path;
    to.resize(static_cast<size_t>(n));
    path = (to[0] == '/' || path.find('/') == std::string::npos) ? to : Folder(path) + "/" + to;
  }
  errno = ELOOP;
  return std::string();
}

// The process's file-creation mask, read without changing it (umask() would, for a
// moment, for every thread).
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
  }
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

// 16 hexadecimal digits from the system's random source.
std::string RandomPart() {
  unsigned char bytes[8];
  size_t got = 0;
  while (got < sizeof bytes) {
    const ssize_t n = ::getrandom(bytes + got, sizeof bytes - got, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::string();
    }
    got += static_cast<size_t>(n);
  }
  static const char kHex[] = "0123456789abcdef";
  std::string out;
  for (unsigned char b : bytes) {
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
  return out;
}

std::string Reason(int Err) { return std::strerror(Err); }

}  // namespace

TFileReplacer::TFileReplacer(const std::string& Target) : FTarget(Target) {
  auto fail = [&](int Err) {
    throw Classes::EFCreateError("Cannot create file \"" + FTarget + "\". " + Reason(Err));
  };
  FReal = ResolveLinks(Target);
  if (FReal.empty()) fail(errno);

  struct stat st{};
  if (::stat(FReal.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode)) fail(EISDIR);
    FMode = st.st_mode & 07777;
    FKeepOwner = st.st_uid != ::geteuid() || st.st_gid != ::getegid();
    FUid = st.st_uid;
    FGid = st.st_gid;
  } else if (errno == ENOENT) {
    FMode = 0666 & ~CurrentUmask();
  } else {
    fail(errno);
  }

  const std::string folder = Folder(FReal), base = BaseName(FReal);
  for (int attempt = 0; attempt < kMaxNameTries; ++attempt) {
    const std::string random = RandomPart();
    if (random.empty()) fail(errno);
    FWorking = folder + "/." + base + "." + random + ".tmp";
    // Only the owner can read the working file until it is complete.
    FHandle = ::open(FWorking.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (FHandle >= 0) return;
    if (errno != EEXIST) break;
  }
  const int err = errno;
  FWorking.clear();
  fail(err);
}

TFileReplacer::~TFileReplacer() { Discard(); }

void TFileReplacer::Discard() noexcept {
  if (FHandle >= 0) ::close(FHandle);
  FHandle = -1;
  if (!FWorking.empty()) ::unlink(FWorking.c_str());
  FWorking.clear();
}

int64_t TFileReplacer::Read(void* Buffer, int64_t Count) {
  if (FHandle < 0) return 0;
  int64_t done = 0;
  auto* p = static_cast<char*>(Buffer);
  while (done < Count) {
    const ssize_t n = ::read(FHandle, p + done, static_cast<size_t>(Count - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += n;
  }
  return done;
}

int64_t TFileReplacer::Write(const void* Buffer, int64_t Count) {
  if (FHandle < 0) return 0;
  int64_t done = 0;
  const auto* p = static_cast<const char*>(Buffer);
  while (done < Count) {
    const ssize_t n = ::write(FHandle, p + done, static_cast<size_t>(Count - done));
    if (n < 0 && errno == EINTR) continue;
    // The system's reason (disk full, file too large ...) is what the user needs to
    // hear; a short count would leave only a generic stream error.
    if (n < 0) throw Classes::EWriteError("Cannot write file \"" + FTarget + "\". " + Reason(errno));
    if (n == 0) break;
    done += n;
  }
  return done;
}

int64_t TFileReplacer::Seek(int64_t Offset, Classes::TSeekOrigin Origin) {
  if (FHandle < 0) return -1;
  const int whence = Origin == Classes::TSeekOrigin::soBeginning ? SEEK_SET
                     : Origin == Classes::TSeekOrigin::soCurrent ? SEEK_CUR
                                                                 : SEEK_END;
  const off_t r = ::lseek(FHandle, static_cast<off_t>(Offset), whence);
  return r < 0 ? -1 : static_cast<int64_t>(r);
}

void TFileReplacer::SetSize(int64_t NewSize) {
  if (FHandle < 0 || ::ftruncate(FHandle, static_cast<off_t>(NewSize)) != 0)
    throw Classes::EStreamError("Cannot set the size of \"" + FTarget + "\". " + Reason(errno));
  if (Position() > NewSize) SetPosition(NewSize);
}

void TFileReplacer::Commit() {
  if (FHandle < 0) throw Classes::EWriteError("Stream write error");
  // Best effort: only a privileged process may give a file to another owner.
  if (FKeepOwner && ::fchown(FHandle, FUid, FGid) != 0) {
    // The file stays ours: its content and permissions are what the caller asked for.
  }
  if (::fchmod(FHandle, static_cast<mode_t>(FMode)) != 0 || ::fsync(FHandle) != 0 ||
      ::close(FHandle) != 0) {
    const int err = errno;
    FHandle = -1;
    Discard();
    throw Classes::EWriteError("Cannot write file \"" + FTarget + "\". " + Reason(err));
  }
  FHandle = -1;
  if (::rename(FWorking.c_str(), FReal.c_str()) != 0) {
    const int err = errno;
    Discard();
    throw Classes::EFCreateError("Cannot create file \"" + FTarget + "\". " + Reason(err));
  }
  FWorking.clear();
  // The rename itself reaches the disk with the folder.
  const int dir = ::open(Folder(FReal).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
}

}  // namespace SafeFile
