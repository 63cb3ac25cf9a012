// The component class of the form-file reader and writer's tests and fuzz target.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/rtl/ClassesFiler.h"
#include "host/rtl/SysUtils.h"
#include "host/rtl/TypInfo.h"

namespace fileritem {

using namespace Classes;
using namespace TypInfo;

enum TKind { ckFirst, ckSecond, ckThird };
enum : unsigned { opA = 1, opB = 2, opC = 4 };

// One published property of every kind, a binary and a text defined property, and the
// bookkeeping the tests look at: live instances, Loaded calls, what the filer showed.
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
  int Hidden = 0;
  int Limit = 0;
  std::optional<std::vector<uint8_t>> Data;
  std::string Note;

  static inline int Live = 0;
  int LoadedCount = 0;
  bool SetOutsideLoading = false;
  TPersistent* SeenAncestor = nullptr;

  void Loaded() override {
    ++LoadedCount;
    TComponent::Loaded();
  }
  void DefineProperties(TFiler& Filer) override {
    SeenAncestor = Filer.Ancestor();
    auto* A = dynamic_cast<TItem*>(Filer.Ancestor());
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
        A ? A->Data != Data : Data.has_value());
    Filer.DefineProperty(
        "Note", [this](TReader& R) { Note = R.ReadString(); },
        [this](TWriter& W) { W.WriteString(Note); }, A ? A->Note != Note : !Note.empty());
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
  int Applied = 0;
  std::any MethodAddress(const std::string& Name) const override {
    auto* Self = const_cast<TForm*>(this);
    if (Name == "Form1Apply") return std::function<void(TObject*)>([Self](TObject*) { ++Self->Applied; });
    if (Name == "WrongType") return std::function<int()>([] { return 0; });
    return {};
  }
};

template <auto Field>
auto Setter() {
  return [](TItem& T, auto V) {
    if (!T.InState(csLoading)) T.SetOutsideLoading = true;
    T.*Field = V;
  };
}

// Registered once per program, before any test or fuzz input reads a form.
inline const bool Registered = [] {
  TClassInfo Item{"TItem", "", [](TComponent* O) -> TComponent* { return new TItem(O); }, {}};
  Item.Props = {
      StringProp<TItem>("Caption", &TItem::Caption, Setter<&TItem::Caption>()),
      BoolProp<TItem>("Flag", &TItem::Flag, Setter<&TItem::Flag>(), false),
      IntProp<TItem>("Count", &TItem::Count, Setter<&TItem::Count>(), 0),
      CharProp<TItem>("Quote", &TItem::Quote, Setter<&TItem::Quote>(), 'x'),
      EnumProp<TItem>("Kind", {"ckFirst", "ckSecond", "ckThird"}, &TItem::Kind,
                      Setter<&TItem::Kind>(), ckFirst),
      SetProp<TItem>("Options", {"opA", "opB", "opC"}, &TItem::Options,
                     Setter<&TItem::Options>(), unsigned{opB}),
      StringsProp<TItem>("Lines", [](TItem& T) -> TStrings& { return T.Lines; }),
      ComponentProp<TItem>("DataSet", &TItem::DataSet, Setter<&TItem::DataSet>()),
      MethodProp<TItem>("OnApply", &TItem::OnApply),
      IntProp<TItem>("Hidden", &TItem::Hidden, Setter<&TItem::Hidden>()),
      IntProp<TItem>("Limit", &TItem::Limit,
                     [](TItem& T, int V) {
                       if (V > 100) throw SysUtils::EConvertError("Limit above 100");
                       T.Limit = V;
                     }, 0),
  };
  Item.Props[9].Stored = [](const TPersistent&) { return false; };
  RegisterClass(Item);
  RegisterClass({"TForm", "TItem", [](TComponent* O) -> TComponent* { return new TForm(O); }, {}});
  return true;
}();

}  // namespace fileritem
