// Host run-time, published-property tables per class: what a form file stores of a
// component, in which order, with which default, and how to get and set it.
//
// A class registers its own published properties and names its parent; the form-file
// reader and writer walk the chain. The registry is process-wide, filled at start-up and
// read on the user-interface thread only.
#pragma once

#include <any>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>
#include <vector>

#include "host/rtl/Classes.h"
#include "host/rtl/ClassesFiler.h"

namespace TypInfo {

enum class TTypeKind {
  tkBoolean,
  tkInteger,
  tkChar,
  tkString,
  tkEnumeration,
  tkSet,
  tkStrings,
  tkComponent,
  tkMethod
};

// A property value as a form file carries it.
struct TPropValue {
  TTypeKind Kind = TTypeKind::tkString;
  bool Bool = false;  // tkBoolean
  // tkInteger; tkEnumeration: the ordinal; tkSet: bit n = element n
  int64_t Int = 0;
  // tkString, tkChar (one byte); tkComponent: referenced component's name ("" = none);
  // tkMethod: handler name ("" = none)
  std::string Str;
  std::vector<std::string> Lines;            // tkStrings
  Classes::TComponent* Component = nullptr;  // tkComponent, resolved
  // tkMethod: the handler found through MethodAddress, a std::function of the event's
  // signature; empty for none.
  std::any Code;
  // Compares Kind and the field(s) of that kind (not Component/Code).
  bool operator==(const TPropValue& Other) const;
};

// An empty value of that kind.
inline TPropValue MakeValue(TTypeKind Kind) {
  TPropValue V;
  V.Kind = Kind;
  return V;
}

struct TPropInfo {
  std::string Name;
  TTypeKind Kind = TTypeKind::tkString;
  std::vector<std::string> Elements;  // tkEnumeration / tkSet: element names by ordinal
  std::function<TPropValue(const Classes::TPersistent&)> Get;
  // May throw; the reader reports the line.
  std::function<void(Classes::TPersistent&, const TPropValue&)> Set;
  // Null: stored unless equal to Default.
  std::function<bool(const Classes::TPersistent&)> Stored;
  // No default: always written (when Stored allows). Not used for tkStrings (an empty
  // list is never written), tkComponent and tkMethod (none is never written).
  std::optional<TPropValue> Default;
  // The declared type of the property where a unit gives it a type of its own (so that
  // a designer can attach a property editor to that type); null otherwise.
  const std::type_info* Type = nullptr;
};

struct TClassInfo {
  std::string ClassName;
  std::string ParentName;  // "" for a root of the registry
  // Null: not creatable. Owner takes ownership of the new component.
  std::function<Classes::TComponent*(Classes::TComponent* Owner)> Create;
  std::vector<TPropInfo> Props;  // own published properties, in order
};

// Who registers a class: 0 the program itself, else a loaded module (a package loader
// sets it while a module's code runs, so that unloading takes the module's classes away).
using TModuleId = uintptr_t;

// Replaces a registration of the same name (without regard to letter case) by the same
// module; pointers to that registration and its properties become invalid. A class that
// another module registered stays underneath and comes back when the new registration's
// module is unloaded.
void RegisterClass(TClassInfo Info);
// Case-insensitive; the latest registration, or null when unknown. Valid until the class
// is registered again or its module is unloaded.
const TClassInfo* FindClass(const std::string& ClassName);

// Registrations made from now on belong to Module (0: the program). Returns the module
// that was current, so that a loader can put it back.
TModuleId SetRegisteringModule(TModuleId Module);
// Removes every class Module registered; where it had replaced another module's class,
// that one is found again.
void UnregisterModule(TModuleId Module);
// Published properties of a class, its ancestors' first, in declaration order. A
// property a class declares again under an ancestor's name (to give it another default)
// takes the ancestor's place. Empty for an unknown class; the chain stops at an unknown
// or repeated parent.
std::vector<const TPropInfo*> GetPropList(const std::string& ClassName);
// The property of that name (without regard to letter case) in GetPropList, or null.
const TPropInfo* GetPropInfo(const std::string& ClassName, const std::string& PropName);

// The text a form file writes for property P of Component with value V, indented by
// Level steps: "Name = value", or for a string list "Name.Strings = (" and its lines;
// without the line end. Raises Classes::EFilerError for an enumeration or set value
// without an element name.
std::string PropertyText(const TPropInfo& P, const TPropValue& V, const Classes::TComponent& Component, int Level);

// ---- Building property tables ----------------------------------------------------------
//
// Each helper takes the class T that publishes the property, a getter callable on
// const T& (a member function, a data member pointer or a lambda) and a setter callable
// on (T&, value), and optionally the default value. Example:
//   IntProp<TQuery>("Count", &TQuery::Count, &TQuery::SetCount, 0)
// Setters raise EConvertError for an ordinal that does not fit the property's type.

namespace Detail {
template <class T>
const T& As(const Classes::TPersistent& P) {
  return dynamic_cast<const T&>(P);
}
template <class T>
T& As(Classes::TPersistent& P) {
  return dynamic_cast<T&>(P);
}
template <class T, class G>
using Result = std::remove_cvref_t<std::invoke_result_t<G, const T&>>;
[[noreturn]] void OutOfRange(const std::string& Prop, int64_t Value);
[[noreturn]] void WrongClass(const std::string& Prop, const std::string& Component);
[[noreturn]] void WrongHandler(const std::string& Prop, const std::string& Handler);
void CheckOrdinal(const std::string& Prop, int64_t Value, size_t Count);
void CheckSet(const std::string& Prop, int64_t Value, size_t Count);
TPropValue FromLines(const Classes::TStrings& Strings);
void ToLines(Classes::TStrings& Strings, const std::vector<std::string>& Lines);
template <class V>
V ToOrdinal(const std::string& Prop, int64_t Value) {
  if constexpr (std::is_enum_v<V>) {
    using U = std::underlying_type_t<V>;
    if (!std::in_range<U>(Value)) OutOfRange(Prop, Value);
    return static_cast<V>(static_cast<U>(Value));
  } else {
    if (!std::in_range<V>(Value)) OutOfRange(Prop, Value);
    return static_cast<V>(Value);
  }
}
template <class D>
constexpr bool HasDefault = !std::is_same_v<std::remove_cvref_t<D>, std::nullopt_t>;
}  // namespace Detail

template <class T, class G, class S, class D = std::nullopt_t>
TPropInfo BoolProp(std::string Name, G Get, S Set, D Default = std::nullopt) {
  TPropInfo P{std::move(Name), TTypeKind::tkBoolean, {}, {}, {}, {}, {}, nullptr};
  P.Get = [Get](const Classes::TPersistent& O) {
    TPropValue V = MakeValue(TTypeKind::tkBoolean);
    V.Bool = static_cast<bool>(std::invoke(Get, Detail::As<T>(O)));
    return V;
  };
  P.Set = [Set](Classes::TPersistent& O, const TPropValue& V) {
    std::invoke(Set, Detail::As<T>(O), V.Bool);
  };
  if constexpr (Detail::HasDefault<D>) {
    TPropValue V = MakeValue(TTypeKind::tkBoolean);
    V.Bool = Default;
    P.Default = V;
  }
  return P;
}

// The getter's type (any integer type) bounds what the setter accepts.
template <class T, class G, class S, class D = std::nullopt_t>
TPropInfo IntProp(std::string Name, G Get, S Set, D Default = std::nullopt) {
  using V = Detail::Result<T, G>;
  TPropInfo P{Name, TTypeKind::tkInteger, {}, {}, {}, {}, {}, nullptr};
  P.Get = [Get](const Classes::TPersistent& O) {
    TPropValue R = MakeValue(TTypeKind::tkInteger);
    R.Int = static_cast<int64_t>(std::invoke(Get, Detail::As<T>(O)));
    return R;
  };
  P.Set = [Set, Name](Classes::TPersistent& O, const TPropValue& R) {
    std::invoke(Set, Detail::As<T>(O), Detail::ToOrdinal<V>(Name, R.Int));
  };
  if constexpr (Detail::HasDefault<D>) {
    TPropValue R = MakeValue(TTypeKind::tkInteger);
    R.Int = static_cast<int64_t>(Default);
    P.Default = R;
  }
  return P;
}

template <class T, class G, class S, class D = std::nullopt_t>
TPropInfo CharProp(std::string Name, G Get, S Set, D Default = std::nullopt) {
  TPropInfo P{std::move(Name), TTypeKind::tkChar, {}, {}, {}, {}, {}, nullptr};
  P.Get = [Get](const Classes::TPersistent& O) {
    TPropValue V = MakeValue(TTypeKind::tkChar);
    V.Str = std::string(1, static_cast<char>(std::invoke(Get, Detail::As<T>(O))));
    return V;
  };
  P.Set = [Set](Classes::TPersistent& O, const TPropValue& V) {
    std::invoke(Set, Detail::As<T>(O), V.Str.empty() ? '\0' : V.Str[0]);
  };
  if constexpr (Detail::HasDefault<D>) {
    TPropValue V = MakeValue(TTypeKind::tkChar);
    V.Str = std::string(1, static_cast<char>(Default));
    P.Default = V;
  }
  return P;
}

template <class T, class G, class S, class D = std::nullopt_t>
TPropInfo StringProp(std::string Name, G Get, S Set, D Default = std::nullopt) {
  TPropInfo P{std::move(Name), TTypeKind::tkString, {}, {}, {}, {}, {}, nullptr};
  P.Get = [Get](const Classes::TPersistent& O) {
    TPropValue V = MakeValue(TTypeKind::tkString);
    V.Str = std::invoke(Get, Detail::As<T>(O));
    return V;
  };
  P.Set = [Set](Classes::TPersistent& O, const TPropValue& V) {
    std::invoke(Set, Detail::As<T>(O), V.Str);
  };
  if constexpr (Detail::HasDefault<D>) {
    TPropValue V = MakeValue(TTypeKind::tkString);
    V.Str = Default;
    P.Default = V;
  }
  return P;
}

// The getter gives an enumeration (or integer) whose ordinals index Elements.
template <class T, class G, class S, class D = std::nullopt_t>
TPropInfo EnumProp(std::string Name, std::vector<std::string> Elements, G Get, S Set,
                   D Default = std::nullopt) {
  using V = Detail::Result<T, G>;
  const size_t Count = Elements.size();
  TPropInfo P{Name, TTypeKind::tkEnumeration, std::move(Elements), {}, {}, {}, {}, nullptr};
  P.Get = [Get](const Classes::TPersistent& O) {
    TPropValue R = MakeValue(TTypeKind::tkEnumeration);
    R.Int = static_cast<int64_t>(std::invoke(Get, Detail::As<T>(O)));
    return R;
  };
  P.Set = [Set, Name, Count](Classes::TPersistent& O, const TPropValue& R) {
    Detail::CheckOrdinal(Name, R.Int, Count);
    std::invoke(Set, Detail::As<T>(O), Detail::ToOrdinal<V>(Name, R.Int));
  };
  if constexpr (Detail::HasDefault<D>) {
    TPropValue R = MakeValue(TTypeKind::tkEnumeration);
    R.Int = static_cast<int64_t>(Default);
    P.Default = R;
  }
  return P;
}

// The getter gives an integer mask: bit n set when element n is in the set.
template <class T, class G, class S, class D = std::nullopt_t>
TPropInfo SetProp(std::string Name, std::vector<std::string> Elements, G Get, S Set,
                  D Default = std::nullopt) {
  using V = Detail::Result<T, G>;
  const size_t Count = Elements.size();
  TPropInfo P{Name, TTypeKind::tkSet, std::move(Elements), {}, {}, {}, {}, nullptr};
  P.Get = [Get](const Classes::TPersistent& O) {
    TPropValue R = MakeValue(TTypeKind::tkSet);
    R.Int = static_cast<int64_t>(std::invoke(Get, Detail::As<T>(O)));
    return R;
  };
  P.Set = [Set, Name, Count](Classes::TPersistent& O, const TPropValue& R) {
    Detail::CheckSet(Name, R.Int, Count);
    std::invoke(Set, Detail::As<T>(O), static_cast<V>(R.Int));
  };
  if constexpr (Detail::HasDefault<D>) {
    TPropValue R = MakeValue(TTypeKind::tkSet);
    R.Int = static_cast<int64_t>(Default);
    P.Default = R;
  }
  return P;
}

// Access gives the component's string list (TStrings& or TStrings*) on T&; setting
// replaces its lines.
template <class T, class A>
TPropInfo StringsProp(std::string Name, A Access) {
  TPropInfo P{std::move(Name), TTypeKind::tkStrings, {}, {}, {}, {}, {}, nullptr};
  auto List = [Access](T& O) -> Classes::TStrings& {
    if constexpr (std::is_pointer_v<std::invoke_result_t<A, T&>>)
      return *std::invoke(Access, O);
    else
      return std::invoke(Access, O);
  };
  // The getter only reads the list; the accessor is non-const because most classes hand
  // out their list that way.
  P.Get = [List](const Classes::TPersistent& O) {
    return Detail::FromLines(List(const_cast<T&>(Detail::As<T>(O))));
  };
  P.Set = [List](Classes::TPersistent& O, const TPropValue& V) {
    Detail::ToLines(List(Detail::As<T>(O)), V.Lines);
  };
  return P;
}

// The getter gives a pointer to a component class C; the setter takes a C*. Setting a
// component of another class raises EConvertError.
template <class T, class G, class S>
TPropInfo ComponentProp(std::string Name, G Get, S Set) {
  using C = std::remove_pointer_t<Detail::Result<T, G>>;
  TPropInfo P{Name, TTypeKind::tkComponent, {}, {}, {}, {}, {}, nullptr};
  P.Get = [Get](const Classes::TPersistent& O) {
    TPropValue V = MakeValue(TTypeKind::tkComponent);
    C* Comp = std::invoke(Get, Detail::As<T>(O));
    V.Component = Comp;
    if (Comp) V.Str = Comp->Name();
    return V;
  };
  P.Set = [Set, Name](Classes::TPersistent& O, const TPropValue& V) {
    C* Comp = nullptr;
    if (V.Component) {
      Comp = dynamic_cast<C*>(V.Component);
      if (!Comp) Detail::WrongClass(Name, V.Component->Name());
    }
    std::invoke(Set, Detail::As<T>(O), Comp);
  };
  return P;
}

// An event stored in a TMethod member. The handler MethodAddress gives must be a
// std::function<Sig>; another type raises EConvertError.
template <class T, class Sig>
TPropInfo MethodProp(std::string Name, Classes::TMethod<Sig> T::*Field) {
  TPropInfo P{Name, TTypeKind::tkMethod, {}, {}, {}, {}, {}, nullptr};
  P.Get = [Field](const Classes::TPersistent& O) {
    const Classes::TMethod<Sig>& M = Detail::As<T>(O).*Field;
    TPropValue V = MakeValue(TTypeKind::tkMethod);
    V.Str = M.Name;
    if (M.Code) V.Code = M.Code;
    return V;
  };
  P.Set = [Field, Name](Classes::TPersistent& O, const TPropValue& V) {
    Classes::TMethod<Sig> M;
    if (V.Code.has_value()) {
      const auto* Code = std::any_cast<std::function<Sig>>(&V.Code);
      if (!Code) Detail::WrongHandler(Name, V.Str);
      M.Code = *Code;
    }
    M.Name = V.Str;
    Detail::As<T>(O).*Field = std::move(M);
  };
  return P;
}

}  // namespace TypInfo
