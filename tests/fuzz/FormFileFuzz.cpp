// The text form-file reader on any text, with the form-file tests' class: a property of
// every kind, a binary and a text defined property, nested components.
// Properties: a file is read whole or not at all (nothing left alive after a failure);
// what was read, written and read again writes the same text.
#include <cstdint>
#include <string>

#include "host/rtl/ClassesFiler.h"
#include "tests/fuzz/FuzzInput.h"
#include "tests/rtl/FilerItem.h"

using namespace Classes;
using namespace fileritem;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size > 8192) return 0;
  const std::string text(reinterpret_cast<const char*>(Data), Size);
  TComponent* root = nullptr;
  try {
    root = TextToComponent(text, nullptr);
  } catch (const SysUtils::Exception&) {
    kytfuzz::Check(TItem::Live == 0, "a failed read left components alive");
    return 0;
  }
  const std::string once = ComponentToText(*root);
  delete root;
  kytfuzz::Check(TItem::Live == 0, "components outlive their root");
  TComponent* again = nullptr;
  try {
    again = TextToComponent(once, nullptr);
  } catch (const SysUtils::Exception& e) {
    kytfuzz::Fail("the written form file does not read: " + e.Message() + "\n" + once);
  }
  const std::string twice = ComponentToText(*again);
  delete again;
  kytfuzz::Check(once == twice, "the form file changed on a second round:\n" + once + "\n----\n" + twice);
  return 0;
}
