// Unit Classes, form files: the writer.
#include "host/rtl/ClassesFiler.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "host/rtl/ClassesFiler_p.h"
#include "host/rtl/SysUtils.h"
#include "host/rtl/TypInfo.h"

namespace Classes {

std::string QuoteString(const std::string& S) {
  if (S.empty()) return "''";
  std::string R;
  bool InQuote = false;
  for (char Ch : S) {
    const auto B = static_cast<unsigned char>(Ch);
    if (B >= 32 && B <= 126) {
      if (!InQuote) R += '\'';
      InQuote = true;
      R += Ch;
      if (Ch == '\'') R += '\'';
    } else {
      if (InQuote) R += '\'';
      InQuote = false;
      R += '#';
      R += std::to_string(B);
    }
  }
  if (InQuote) R += '\'';
  return R;
}


using FilerText::Describe;
using FilerText::IsIdentChar;
using FilerText::IsIdentStart;
using FilerText::QuoteString;
using SysUtils::IntToStr;
using TypInfo::TPropInfo;
using TypInfo::TPropValue;
using TypInfo::TTypeKind;

namespace {

const char* const kLineEnd = "\r\n";
constexpr size_t kBytesPerLine = 32;  // 64 hex digits

// An identifier, or several joined by dots (a component path).
bool IsDottedIdent(const std::string& S) {
  bool Start = true;
  for (char C : S) {
    if (Start) {
      if (!IsIdentStart(C)) return false;
      Start = false;
    } else if (C == '.') {
      Start = true;
    } else if (!IsIdentChar(C)) {
      return false;
    }
  }
  return !Start;
}

std::string Indent(int Level) { return std::string(static_cast<size_t>(Level) * 2, ' '); }

// A component's name as a reference from inside Root: its path of names below Root,
// Root's own name for Root itself. A component outside Root gets its path from the top
// of its owner tree, which the reader reports as not found. "" when the component, or
// one on its path, has no name and so cannot be referred to.
std::string PathName(const TComponent* C, const TComponent* Root) {
  if (!C) return "";
  if (C == Root) return C->Name();
  std::string Path;
  for (const TComponent* P = C; P && P != Root; P = P->Owner()) {
    if (P->Name().empty()) {
      if (P->Owner() == nullptr && P != C) break;  // an unnamed top, such as an application
      return "";
    }
    Path = Path.empty() ? P->Name() : P->Name() + "." + Path;
  }
  return Path;
}

}  // namespace

// ---- Writer ---------------------------------------------------------------------------

void TWriter::WriteText(const std::string& Text) {
  FStream.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
}

void TWriter::WriteRootComponent(TComponent& Root, TComponent* Ancestor) {
  FRoot = &Root;
  FAncestorRoot = Ancestor;
  WriteComponent(Root, Ancestor, 0);
  FRoot = nullptr;
  FAncestorRoot = nullptr;
}

void TWriter::WriteComponent(TComponent& Component, TComponent* Ancestor, int Level) {
  const std::string Class = Component.ClassName();
  // A class the reader cannot find would give a file that does not read back.
  if (!TypInfo::FindClass(Class)) throw EFilerError("Class " + Class + " is not registered");
  std::string Head = Indent(Level) + (Ancestor ? "inherited " : "object ");
  Head += Component.Name().empty() ? Class : Component.Name() + ": " + Class;
  WriteText(Head + kLineEnd);

  WriteProperties(Component, Ancestor, Level + 1);
  for (int I = 0; I < Component.ComponentCount(); ++I) {
    TComponent* Child = Component.Components(I);
    TComponent* ChildAncestor =
        Ancestor && !Child->Name().empty() ? Ancestor->FindComponent(Child->Name()) : nullptr;
    WriteComponent(*Child, ChildAncestor, Level + 1);
  }
  WriteText(Indent(Level) + "end" + kLineEnd);
}

namespace {

// The value of the published property P to write for Component, or nothing when the
// property is left out: not stored, the same as the ancestor's, an empty list, no
// reference, or its default.
std::optional<TPropValue> ValueToWrite(const TPropInfo& P, TComponent& Component, TComponent* Ancestor,
                                       const std::vector<const TPropInfo*>& AncestorProps,
                                       const TComponent* Root, const TComponent* AncestorRoot) {
  if (!P.Get) return std::nullopt;
  if (P.Stored && !P.Stored(Component)) return std::nullopt;
  TPropValue V = P.Get(Component);
  V.Kind = P.Kind;
  if (P.Kind == TTypeKind::tkComponent) {
    V.Str = PathName(V.Component, Root);
    if (V.Component && V.Str.empty()) return std::nullopt;  // an unnamed component: nothing to refer by
  }
  const bool Inherited = std::find(AncestorProps.begin(), AncestorProps.end(), &P) != AncestorProps.end();
  if (Inherited) {
    TPropValue A = P.Get(*Ancestor);
    A.Kind = P.Kind;
    if (P.Kind == TTypeKind::tkComponent) A.Str = PathName(A.Component, AncestorRoot);
    if (V == A) return std::nullopt;
  } else if (P.Kind == TTypeKind::tkStrings) {
    if (V.Lines.empty()) return std::nullopt;
  } else if (P.Kind == TTypeKind::tkComponent || P.Kind == TTypeKind::tkMethod) {
    if (V.Str.empty()) return std::nullopt;
  } else if (P.Default && V == *P.Default) {
    return std::nullopt;
  }
  return V;
}

std::string EnumText(const TPropInfo& P, int64_t Value, const TComponent& Component) {
  if (Value < 0 || static_cast<uint64_t>(Value) >= P.Elements.size() ||
      !IsDottedIdent(P.Elements[static_cast<size_t>(Value)]))
    throw EFilerError("Value " + IntToStr(Value) + " of " + Describe(Component) + "." + P.Name +
                      " has no element name");
  return P.Elements[static_cast<size_t>(Value)];
}

std::string SetText(const TPropInfo& P, int64_t Value, const TComponent& Component) {
  std::string Items;
  for (size_t Bit = 0; Bit < 64; ++Bit) {
    if (!((static_cast<uint64_t>(Value) >> Bit) & 1u)) continue;
    if (Bit >= P.Elements.size() || !IsDottedIdent(P.Elements[Bit]))
      throw EFilerError("Element " + IntToStr(static_cast<int64_t>(Bit)) + " of " + Describe(Component) + "." +
                        P.Name + " has no name");
    Items += (Items.empty() ? "" : ", ") + P.Elements[Bit];
  }
  return "[" + Items + "]";
}

}  // namespace

void TWriter::WriteProperties(TComponent& Component, TComponent* Ancestor, int Level) {
  std::vector<const TPropInfo*> AncestorProps;
  if (Ancestor) AncestorProps = TypInfo::GetPropList(Ancestor->ClassName());
  for (const TPropInfo* P : TypInfo::GetPropList(Component.ClassName())) {
    const std::optional<TPropValue> V = ValueToWrite(*P, Component, Ancestor, AncestorProps, FRoot, FAncestorRoot);
    if (V) WriteText(PropertyText(*P, *V, Component, Level) + kLineEnd);
  }

  // Then the properties the component defines itself (DefineProperty calls back).
  FAncestor = Ancestor;
  FLevel = Level;
  try {
    Component.DefineProperties(*this);
  } catch (...) {
    FAncestor = nullptr;
    throw;
  }
  FAncestor = nullptr;
}

void TWriter::DefineProperty(const std::string& Name, TReaderProc ReadData,
                             TWriterProc WriteData, bool HasData) {
  (void)ReadData;
  if (!HasData || !WriteData) return;
  WriteText(Indent(FLevel) + Name + " = ");
  FValuesWritten = 0;
  try {
    WriteData(*this);
  } catch (...) {
    FValuesWritten = -1;
    throw;
  }
  const int Written = FValuesWritten;
  FValuesWritten = -1;
  if (Written != 1) throw EFilerError("Property " + Name + " wrote no value");
  WriteText(kLineEnd);
}

void TWriter::DefineBinaryProperty(const std::string& Name, TStreamProc ReadData,
                                   TStreamProc WriteData, bool HasData) {
  (void)ReadData;
  if (!HasData || !WriteData) return;
  TMemoryStream Data;
  WriteData(Data);
  static const char kHex[] = "0123456789ABCDEF";
  const auto Size = static_cast<size_t>(Data.Size());
  std::string Text = Indent(FLevel) + Name + " = {";
  for (size_t I = 0; I < Size; ++I) {
    if (I % kBytesPerLine == 0) Text += kLineEnd + Indent(FLevel + 1);
    const uint8_t B = Data.Memory()[I];
    Text += kHex[B >> 4];
    Text += kHex[B & 15];
  }
  WriteText(Text + "}" + kLineEnd);
}

void TWriter::BeginValue() {
  if (FValuesWritten < 0) throw EFilerError("A value is written outside a defined property");
  if (FValuesWritten > 0) throw EFilerError("A defined property wrote more than one value");
  ++FValuesWritten;
}

void TWriter::WriteString(const std::string& Value) {
  BeginValue();
  WriteText(QuoteString(Value));
}

void TWriter::WriteInteger(int64_t Value) {
  BeginValue();
  WriteText(IntToStr(Value));
}

void TWriter::WriteBoolean(bool Value) {
  BeginValue();
  WriteText(Value ? "True" : "False");
}

void TWriter::WriteIdent(const std::string& Value) {
  if (!IsDottedIdent(Value)) throw EFilerError("'" + Value + "' is not an identifier");
  BeginValue();
  WriteText(Value);
}

void WriteComponentText(TStream& Stream, TComponent& Root, TComponent* Ancestor) {
  TWriter Writer(Stream);
  Writer.WriteRootComponent(Root, Ancestor);
}

std::string ComponentToText(TComponent& Root, TComponent* Ancestor) {
  TMemoryStream Stream;
  WriteComponentText(Stream, Root, Ancestor);
  return std::string(reinterpret_cast<const char*>(Stream.Memory()),
                     static_cast<size_t>(Stream.Size()));
}

}  // namespace Classes

// The writer's spelling of one property, for tools that show a form as it is written.
std::string TypInfo::PropertyText(const TPropInfo& P, const TPropValue& V, const Classes::TComponent& Component,
                                  int Level) {
  using namespace Classes;
  const std::string Head = Indent(Level) + P.Name;
  switch (P.Kind) {
    case TTypeKind::tkBoolean:
      return Head + (V.Bool ? " = True" : " = False");
    case TTypeKind::tkInteger:
      return Head + " = " + IntToStr(V.Int);
    case TTypeKind::tkChar:
      return Head + " = " + QuoteString(V.Str.substr(0, 1));
    case TTypeKind::tkString:
      return Head + " = " + QuoteString(V.Str);
    case TTypeKind::tkEnumeration:
      return Head + " = " + EnumText(P, V.Int, Component);
    case TTypeKind::tkSet:
      return Head + " = " + SetText(P, V.Int, Component);
    case TTypeKind::tkStrings: {
      std::string Text = Head + ".Strings = (";
      for (const std::string& S : V.Lines) Text += kLineEnd + Indent(Level + 1) + QuoteString(S);
      return Text + ")";
    }
    case TTypeKind::tkComponent:
    case TTypeKind::tkMethod:
      // nil clears what the ancestor set.
      return Head + " = " + (V.Str.empty() ? std::string("nil") : V.Str);
  }
  return Head;
}
