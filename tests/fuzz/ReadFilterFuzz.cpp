// Filter files. The input is written to a file and read with ReadFilter (message boxes
// go to a quiet host). Properties: a file is read only when it holds at least what its
// header announces (bytes after that are ignored); what was read, written again and read back, is the same filter.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "filtermodel/kytSQLFilterStruc.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/QuietHost.h"

namespace {

using namespace kytSQLFilterStruc;

const std::string& TempName(const char* Suffix) {
  static const std::string dir = [] {
    const char* t = std::getenv("TMPDIR");
    return std::string(t && *t ? t : "/tmp");
  }();
  static std::string names[2];
  std::string& n = names[Suffix[0] == 'a' ? 0 : 1];
  if (n.empty()) n = dir + "/kyt-fuzz-" + std::to_string(getpid()) + "-" + Suffix + ".flt";
  return n;
}

void WriteBytes(const std::string& File, const uint8_t* Data, size_t Size) {
  FILE* f = std::fopen(File.c_str(), "wb");
  if (!f) kytfuzz::Fail("cannot write " + File);
  if (Size) std::fwrite(Data, 1, Size, f);
  std::fclose(f);
}

bool SameText(const TShortText& A, const TShortText& B) { return A.Str() == B.Str(); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size > 1036 + 1540 * 8 + 255 * 8) return 0;
  kytfuzz::TQuietHost host;
  const std::string& a = TempName("a");
  WriteBytes(a, Data, Size);
  FilterArray filter;
  Classes::TStringList box;
  try {
    ReadFilter(a, filter, box);
  } catch (const SysUtils::Exception&) {
    std::remove(a.c_str());
    return 0;
  }
  std::remove(a.c_str());
  kytfuzz::Check(FH.FilterCount >= 0 && FH.OrderCount >= 0, "negative count accepted");
  kytfuzz::Check(Size >= 1036 + 1540 * static_cast<size_t>(FH.FilterCount) + 255 * static_cast<size_t>(FH.OrderCount),
                 "a file shorter than its header says was read");
  kytfuzz::Check(filter.size() == static_cast<size_t>(FH.FilterCount) && box.Count() == FH.OrderCount,
                 "counts differ from the header");

  const std::string description = FH.GetDescription();
  const std::string& b = TempName("b");
  WriteFilter(b, filter, box);
  FilterArray again;
  Classes::TStringList box2;
  FH = TFilterHeader{};
  ReadFilter(b, again, box2);
  std::remove(b.c_str());
  kytfuzz::Check(FH.GetDescription() == description, "description changed");
  kytfuzz::Check(again.size() == filter.size() && box2.Count() == box.Count(), "counts changed");
  for (size_t i = 0; i < filter.size(); ++i) {
    const FilterRec &x = filter[i], &y = again[i];
    kytfuzz::Check(SameText(x.BeginGroup, y.BeginGroup) && SameText(x.FieldName, y.FieldName) &&
                       SameText(x.TableName, y.TableName) && SameText(x.Operator, y.Operator) &&
                       SameText(x.Value, y.Value) && SameText(x.EndGroup, y.EndGroup) &&
                       x.Operation == y.Operation,
                   "record " + std::to_string(i) + " changed");
  }
  for (int i = 0; i < box.Count(); ++i)
    kytfuzz::Check(box.Get(i) == box2.Get(i), "ordering entry " + std::to_string(i) + " changed");
  return 0;
}
