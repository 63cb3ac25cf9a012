#include "apps/kytfilter/Cli.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>

#include "host/rtl/SysUtils.h"

namespace kytcli {

static std::string ReadStream(std::FILE* f) {
  std::string data;
  size_t kBlock = 1 << 20;
  // A regular file is read in one block of its own size.
  struct stat st{};
  if (::fstat(::fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0)
    kBlock = static_cast<size_t>(st.st_size) + 1;
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

void WriteOutput(std::string_view Bytes) {
  if (!Bytes.empty() && std::fwrite(Bytes.data(), 1, Bytes.size(), stdout) != Bytes.size())
    throw Failure("kytfilter: cannot write the output: " + std::string(std::strerror(errno)));
}

}  // namespace kytcli
