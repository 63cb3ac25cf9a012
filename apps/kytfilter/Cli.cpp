#include "apps/kytfilter/Cli.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "host/rtl/SysUtils.h"

namespace kytcli {

// Reserves room for Size bytes. A buffer of many megabytes in 4-kB pages costs a page
// fault per page as it is filled and, on virtual machines, much more on every later pass
// over it: more than reading and scanning the text. Transparent huge pages cut both
// 512-fold, and populating the range maps its pages in one call instead of a fault each.
// Both are hints that leave the content as it is, so the whole pages around the buffer
// may be included; where they are not offered the buffer works the same.
static void ReserveLarge(std::string& data, size_t Size) {
  data.reserve(Size);
#ifdef MADV_HUGEPAGE
  const long page = ::sysconf(_SC_PAGESIZE);
  if (page <= 0 || Size < (size_t{2} << 20)) return;
  const auto mask = ~static_cast<std::uintptr_t>(page - 1);
  const auto first = reinterpret_cast<std::uintptr_t>(data.data());
  const std::uintptr_t b = first & mask;
  const std::uintptr_t e = (first + data.capacity()) & mask;
  if (e <= b) return;
  ::madvise(reinterpret_cast<void*>(b), e - b, MADV_HUGEPAGE);
#ifdef MADV_POPULATE_WRITE
  ::madvise(reinterpret_cast<void*>(b), e - b, MADV_POPULATE_WRITE);
#endif
#endif
}

static std::string ReadStream(std::FILE* f) {
  std::string data;
  size_t kBlock = 1 << 20;
  // A regular file is read in one block of its own size.
  struct stat st{};
  if (::fstat(::fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    kBlock = static_cast<size_t>(st.st_size) + 1;
    ReserveLarge(data, kBlock);
  }
  size_t used = 0;
  for (;;) {
    data.resize(used + kBlock);
    size_t n = std::fread(data.data() + used, 1, kBlock, f);
    used += n;
    if (n < kBlock) break;
  }
  data.resize(used);
  return data;
}

std::string ReadInput(const std::string& File) {
  if (File.empty()) {
    std::string data = ReadStream(stdin);
    if (std::ferror(stdin)) throw Failure("kytfilter: cannot read standard input: " + std::string(std::strerror(errno)));
    return data;
  }
  std::FILE* f = std::fopen(File.c_str(), "rb");
  if (f == nullptr) throw Failure("kytfilter: cannot read " + File + ": " + std::strerror(errno));
  std::string data = ReadStream(f);
  bool failed = std::ferror(f) != 0;
  int err = errno;
  std::fclose(f);
  if (failed) throw Failure("kytfilter: cannot read " + File + ": " + std::strerror(err));
  return data;
}

std::string ToAnsi(const std::string& Utf8, const std::string& What) {
  std::string ansi;
  SysUtils::TUtf8Fault fault;
  if (SysUtils::TryUtf8ToAnsi(Utf8, ansi, &fault)) return ansi;
  if (fault.Invalid) throw TextError("kytfilter: " + What + ": " + fault.Describe());
  throw TextError("kytfilter: " + What + ": the character " + fault.Describe() +
                  " is not in Windows-1252, the text kytfilter works in");
}

int RunReportingErrors(const std::function<int()>& Body) {
  try {
    return Body();
  } catch (const UsageError& e) {
    std::fprintf(stderr, "usage: %s\n", e.what());
    return 2;
  } catch (const TextError& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 2;
  } catch (const Failure& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "kytfilter: %s\n", e.what());
    return 1;
  }
}

void WriteOutput(std::string_view Bytes) {
  if (!Bytes.empty() && std::fwrite(Bytes.data(), 1, Bytes.size(), stdout) != Bytes.size())
    throw Failure("kytfilter: cannot write the output: " + std::string(std::strerror(errno)));
}

}  // namespace kytcli
