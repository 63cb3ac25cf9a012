// The JSON texts the command line reads: a filter (flt make) and a field catalogue
// (flt where --fields). The first input byte chooses the reader. Properties: a filter
// that was read is written as a filter file and reads back the same; a catalogue that
// was read, written as JSON by CampoJson and read again, is the same.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

// The readers are the tool's own, in an unnamed namespace of its source.
#include "apps/kytfilter/FltCommands.cpp"
#include "tests/fuzz/FuzzInput.h"
#include "tests/fuzz/QuietHost.h"

namespace {

using namespace kytSQLFilterStruc;

void FilterJson(const std::string& Json) {
  std::string description;
  FilterArray records;
  Classes::TStringList ordering;
  try {
    kytcli::ParseJson(Json, description, records, ordering);
  } catch (const std::runtime_error&) {
    return;
  }
  kytfuzz::TQuietHost host;
  static const std::string file = [] {
    const char* t = std::getenv("TMPDIR");
    return std::string(t && *t ? t : "/tmp") + "/kyt-fuzz-json-" + std::to_string(getpid()) + ".flt";
  }();
  FH = TFilterHeader{};
  FH.SetDescription(description);
  WriteFilter(file, records, ordering);
  FilterArray back;
  Classes::TStringList order2;
  FH = TFilterHeader{};
  ReadFilter(file, back, order2);
  std::remove(file.c_str());
  kytfuzz::Check(FH.GetDescription() == description, "description changed");
  kytfuzz::Check(back.size() == records.size() && order2.Count() == ordering.Count(), "counts changed");
  for (size_t i = 0; i < back.size(); ++i)
    kytfuzz::Check(back[i].Value.Str() == records[i].Value.Str() && back[i].Operation == records[i].Operation,
                   "record changed");
  for (int i = 0; i < ordering.Count(); ++i) kytfuzz::Check(order2.Get(i) == ordering.Get(i), "ordering changed");
}

std::string CatalogueJson(const TCampos& C) {
  std::string out = "[";
  for (int i = 0; i < C.Count(); ++i) out += (i ? ", " : "") + kytcli::CampoJson(*C.Get(i));
  return out + "]";
}

void FieldsJson(const std::string& Json) {
  std::unique_ptr<TCampos> fields;
  try {
    fields = kytcli::ParseFields(Json);
  } catch (const std::runtime_error&) {
    return;
  }
  const std::string once = CatalogueJson(*fields);
  std::unique_ptr<TCampos> again;
  try {
    again = kytcli::ParseFields(once);
  } catch (const std::runtime_error& e) {
    kytfuzz::Fail(std::string("written catalogue does not read: ") + e.what() + "\n" + once);
  }
  kytfuzz::Check(CatalogueJson(*again) == once, "catalogue changed on a second round");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1 || Size > 16384) return 0;
  const std::string json(reinterpret_cast<const char*>(Data + 1), Size - 1);
  if (Data[0] & 1)
    FieldsJson(json);
  else
    FilterJson(json);
  return 0;
}
