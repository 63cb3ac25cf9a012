#include "host/rtl/TypInfo.h"

#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "host/rtl/SysUtils.h"

namespace TypInfo {

namespace {
// One registration of a class, and the module that made it.
struct TSlot {
  TModuleId Module;
  std::unique_ptr<TClassInfo> Info;
};

// Keyed by the upper-cased class name; the latest registration last. The values live on
// the heap so that a registration of another class leaves the pointers FindClass handed
// out valid.
struct TRegistry {
  std::map<std::string, std::vector<TSlot>> Classes;
  TModuleId Current = 0;
};

TRegistry& Registry() {
  static TRegistry R;
  return R;
}
}  // namespace

bool TPropValue::operator==(const TPropValue& Other) const {
  if (Kind != Other.Kind) return false;
  switch (Kind) {
    case TTypeKind::tkBoolean:
      return Bool == Other.Bool;
    case TTypeKind::tkInteger:
    case TTypeKind::tkEnumeration:
    case TTypeKind::tkSet:
      return Int == Other.Int;
    case TTypeKind::tkChar:
    case TTypeKind::tkString:
    case TTypeKind::tkComponent:
    case TTypeKind::tkMethod:
      return Str == Other.Str;
    case TTypeKind::tkStrings:
      return Lines == Other.Lines;
  }
  return false;
}

namespace {
// The host's own form-file roots without a window are known from the start.
const bool kHostClasses = [] {
  RegisterClass({"TDataModule", "", [](Classes::TComponent* Owner) { return new Classes::TDataModule(Owner); }, {}});
  return true;
}();
}  // namespace

void RegisterClass(TClassInfo Info) {
  TRegistry& R = Registry();
  std::vector<TSlot>& Slots = R.Classes[SysUtils::UpperCase(Info.ClassName)];
  std::erase_if(Slots, [&](const TSlot& S) { return S.Module == R.Current; });
  Slots.push_back({R.Current, std::make_unique<TClassInfo>(std::move(Info))});
}

const TClassInfo* FindClass(const std::string& ClassName) {
  const TRegistry& R = Registry();
  auto It = R.Classes.find(SysUtils::UpperCase(ClassName));
  return It == R.Classes.end() ? nullptr : It->second.back().Info.get();
}

TModuleId SetRegisteringModule(TModuleId Module) { return std::exchange(Registry().Current, Module); }

void UnregisterModule(TModuleId Module) {
  auto& Classes = Registry().Classes;
  for (auto It = Classes.begin(); It != Classes.end();) {
    std::erase_if(It->second, [&](const TSlot& S) { return S.Module == Module; });
    It = It->second.empty() ? Classes.erase(It) : std::next(It);
  }
}

std::vector<const TPropInfo*> GetPropList(const std::string& ClassName) {
  std::vector<const TClassInfo*> Chain;  // the class first, the registry root last
  std::set<const TClassInfo*> Seen;
  for (const TClassInfo* C = FindClass(ClassName); C && Seen.insert(C).second;
       C = C->ParentName.empty() ? nullptr : FindClass(C->ParentName))
    Chain.push_back(C);

  std::vector<const TPropInfo*> List;
  for (auto It = Chain.rbegin(); It != Chain.rend(); ++It) {
    for (const TPropInfo& P : (*It)->Props) {
      bool Redeclared = false;
      for (const TPropInfo*& Q : List) {
        if (SysUtils::AnsiSameText(Q->Name, P.Name)) {
          Q = &P;
          Redeclared = true;
          break;
        }
      }
      if (!Redeclared) List.push_back(&P);
    }
  }
  return List;
}

const TPropInfo* GetPropInfo(const std::string& ClassName, const std::string& PropName) {
  for (const TPropInfo* P : GetPropList(ClassName))
    if (SysUtils::AnsiSameText(P->Name, PropName)) return P;
  return nullptr;
}

namespace Detail {

void OutOfRange(const std::string& Prop, int64_t Value) {
  throw SysUtils::EConvertError("Value " + SysUtils::IntToStr(Value) +
                                " is out of range for property " + Prop);
}

void WrongClass(const std::string& Prop, const std::string& Component) {
  throw SysUtils::EConvertError("Component " + Component +
                                " is of the wrong class for property " + Prop);
}

void WrongHandler(const std::string& Prop, const std::string& Handler) {
  throw SysUtils::EConvertError("Handler " + Handler +
                                " does not match the type of event " + Prop);
}

void CheckOrdinal(const std::string& Prop, int64_t Value, size_t Count) {
  if (Value < 0 || static_cast<uint64_t>(Value) >= Count) OutOfRange(Prop, Value);
}

void CheckSet(const std::string& Prop, int64_t Value, size_t Count) {
  const uint64_t Bits = static_cast<uint64_t>(Value);
  if (Count < 64 && (Bits >> Count) != 0) OutOfRange(Prop, Value);
}

TPropValue FromLines(const Classes::TStrings& Strings) {
  TPropValue V = MakeValue(TTypeKind::tkStrings);
  V.Lines.reserve(static_cast<size_t>(Strings.Count()));
  for (int I = 0; I < Strings.Count(); ++I) V.Lines.push_back(Strings.Get(I));
  return V;
}

void ToLines(Classes::TStrings& Strings, const std::vector<std::string>& Lines) {
  Strings.BeginUpdate();
  try {
    Strings.Clear();
    for (const std::string& L : Lines) Strings.Add(L);
  } catch (...) {
    Strings.EndUpdate();
    throw;
  }
  Strings.EndUpdate();
}

}  // namespace Detail

}  // namespace TypInfo
