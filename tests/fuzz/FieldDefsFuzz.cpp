// The field-definitions image and TCampo records. Properties: an image is read all or
// nothing; an image that was read, written and read again writes the same bytes; records
// read one after another from any bytes run clean until the stream's read error.
#include <cstdint>
#include <string>

#include "components/kytFilterBase.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

using namespace kytSQLFilterStruc;

std::string Bytes(Classes::TMemoryStream& S) {
  return std::string(reinterpret_cast<const char*>(S.Memory()), static_cast<size_t>(S.Size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size > 16384) return 0;
  Classes::TMemoryStream in;
  if (Size) in.WriteBuffer(Data, static_cast<int64_t>(Size));

  // Records one after another, as LoadFromStream reads them.
  in.SetPosition(0);
  for (int i = 0; i < 64; ++i) {
    TCampo c;
    try {
      c.LoadFromStream(in);
    } catch (const Classes::EReadError&) {
      break;
    }
  }

  // The image: one entry already in the list, to see that a failure leaves it alone.
  TCampos campos;
  campos.Add(new TCampo);
  in.SetPosition(0);
  try {
    kytFilterBase::ReadFieldDefs(in, campos);
  } catch (const Classes::EReadError&) {
    kytfuzz::Check(campos.Count() == 1, "a failed read changed the list");
    return 0;
  }
  delete campos.Get(0);
  campos.Delete(0);
  Classes::TMemoryStream out;
  kytFilterBase::WriteFieldDefs(campos, out);
  out.SetPosition(0);
  TCampos again;
  kytFilterBase::ReadFieldDefs(out, again);
  kytfuzz::Check(again.Count() == campos.Count(), "entry count changed");
  Classes::TMemoryStream out2;
  kytFilterBase::WriteFieldDefs(again, out2);
  kytfuzz::Check(Bytes(out) == Bytes(out2), "the image changed on a second round");
  return 0;
}
