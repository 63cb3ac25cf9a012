// The text form-file reader on any text, with one registered class that has a property
// of every kind, a binary and a text defined property, and nested components.
// Properties: a file is read whole or not at all (nothing left alive after a failure);
// what was read, written and read again writes the same text.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "host/rtl/ClassesFiler.h"
#include "host/rtl/TypInfo.h"
#include "tests/fuzz/FuzzInput.h"

namespace {

using namespace Classes;
using namespace TypInfo;

enum TKind { ckFirst, ckSecond, ckThird };
enum : unsigned { opA = 1, opB = 2, opC = 4 };

class TItem : public TComponent {
 public:
  explicit TItem(TComponent* AOwner) : TComponent(AOwner) { ++Live; }
  ~TItem() override { --Live; }
  std::string ClassName() const override { return "TItem"; }

  std::string Caption;
  bool Flag = false;
  int Count = 0;
  char Quote = 'x';
  TKind Kind = ckFirst;
  unsigned Options = opB;
  TStringList Lines;
  TItem* DataSet = nullptr;
  TMethod<void(TObject*)> OnApply;
  std::optional<std::vector<uint8_t>> Data;
  std::string Note;
  static inline int Live = 0;

  void DefineProperties(TFiler& Filer) override {
    Filer.DefineBinaryProperty(
        "Data",
        [this](TStream& S) {
          std::vector<uint8_t> B(static_cast<size_t>(S.Size()));
          if (!B.empty()) S.ReadBuffer(B.data(), S.Size());
          Data = B;
        },
        [this](TStream& S) {
          if (!Data->empty()) S.WriteBuffer(Data->data(), static_cast<int64_t>(Data->size()));
        },
        Data.has_value());
    Filer.DefineProperty(
        "Note", [this](TReader& R) { Note = R.ReadString(); },
        [this](TWriter& W) { W.WriteString(Note); }, !Note.empty());
  }

 protected:
  void Notification(TComponent* C, TOperation Op) override {
    if (Op == TOperation::opRemove && C == DataSet) DataSet = nullptr;
    TComponent::Notification(C, Op);
  }
};

class TForm : public TItem {
 public:
  using TItem::TItem;
  std::string ClassName() const override { return "TForm"; }
  std::any MethodAddress(const std::string& Name) const override {
    if (Name == "Form1Apply") return std::function<void(TObject*)>([](TObject*) {});
    return {};
  }
};

template <auto Field>
auto Setter() {
  return [](TItem& T, auto V) { T.*Field = V; };
}

const bool Registered = [] {
  TClassInfo Item{"TItem", "", [](TComponent* O) -> TComponent* { return new TItem(O); }, {}};
  Item.Props = {
      StringProp<TItem>("Caption", &TItem::Caption, Setter<&TItem::Caption>()),
      BoolProp<TItem>("Flag", &TItem::Flag, Setter<&TItem::Flag>(), false),
      IntProp<TItem>("Count", &TItem::Count, Setter<&TItem::Count>(), 0),
      CharProp<TItem>("Quote", &TItem::Quote, Setter<&TItem::Quote>(), 'x'),
      EnumProp<TItem>("Kind", {"ckFirst", "ckSecond", "ckThird"}, &TItem::Kind, Setter<&TItem::Kind>(), ckFirst),
      SetProp<TItem>("Options", {"opA", "opB", "opC"}, &TItem::Options, Setter<&TItem::Options>(), unsigned{opB}),
      StringsProp<TItem>("Lines", [](TItem& T) -> TStrings& { return T.Lines; }),
      ComponentProp<TItem>("DataSet", &TItem::DataSet, Setter<&TItem::DataSet>()),
      MethodProp<TItem>("OnApply", &TItem::OnApply),
  };
  RegisterClass(Item);
  RegisterClass({"TForm", "TItem", [](TComponent* O) -> TComponent* { return new TForm(O); }, {}});
  return true;
}();

}  // namespace

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
