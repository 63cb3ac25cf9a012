// Unit Classes, form files: the reader.
#include <algorithm>
#include <set>
#include <utility>
#include <vector>

#include "host/rtl/ClassesFiler.h"
#include "host/rtl/ClassesFiler_p.h"
#include "host/rtl/SysUtils.h"
#include "host/rtl/TypInfo.h"

namespace Classes {

using FilerText::Describe;
using FilerText::IsIdentChar;
using FilerText::IsIdentStart;
using FilerText::QuoteString;
using SysUtils::AnsiSameText;
using SysUtils::IntToStr;
using TypInfo::TPropInfo;
using TypInfo::TPropValue;
using TypInfo::TTypeKind;

// ---- Reader ---------------------------------------------------------------------------

namespace {

enum class TTok { End, Ident, String, Integer, Symbol };

struct TToken {
  TTok Kind = TTok::End;
  std::string Text;  // identifier, or the string's value
  int64_t Int = 0;
  char Sym = 0;
  int Line = 1;
};

[[noreturn]] void Error(int Line, const std::string& What) {
  throw EParserError("Line " + std::to_string(Line) + ": " + What);
}

std::string TokenText(const TToken& T) {
  switch (T.Kind) {
    case TTok::End:
      return "end of file";
    case TTok::Ident:
      return T.Text;
    case TTok::String:
      return QuoteString(T.Text);
    case TTok::Integer:
      return IntToStr(T.Int);
    case TTok::Symbol:
      return std::string("'") + T.Sym + "'";
  }
  return "";
}

// Runs a callback of a component (constructor, setter, Loaded ...) and reports what it
// raises at the line being read.
template <class F>
void Guard(int Line, const std::string& Context, F&& Fn) {
  try {
    Fn();
  } catch (const EParserError&) {
    throw;
  } catch (const std::exception& E) {
    Error(Line, Context + ": " + E.what());
  }
}

}  // namespace

class TReader::TImpl {
 public:
  TImpl(TReader& Reader, TStream& Stream) : FReader(Reader), FStream(Stream) {}

  TComponent* Read(TComponent* Owner, TComponent* Root, bool WholeStream);

  // The lexer.
  void Next();
  const TToken& Tok() const { return FTok; }
  bool IsIdent(const char* Word) const {
    return FTok.Kind == TTok::Ident && AnsiSameText(FTok.Text, Word);
  }
  std::vector<uint8_t> ReadBinary(const std::string& Prop);
  void ValueRead() { ++FValuesRead; }
  int ValuesRead() const { return FValuesRead; }

  // The defined property being looked for while DefineProperties runs.
  std::string FDefName;
  int FDefLine = 0;
  bool FDefFound = false;

  // True when Name is the defined property the reader stands at (it counts as found
  // then); a property that cannot be read is an error.
  bool ClaimDefined(const std::string& Name, bool CanRead) {
    if (FDefName.empty() || FDefFound || !AnsiSameText(Name, FDefName)) return false;
    FDefFound = true;
    if (!CanRead) Error(FDefLine, "Property " + Name + " cannot be read");
    return true;
  }

 private:
  struct TFixup {
    TComponent* Component;
    const TPropInfo* Prop;
    std::string Name;
    int Line;
  };

  char Peek(size_t Ahead = 0) const {
    return FPos + Ahead < FText.size() ? FText[FPos + Ahead] : '\0';
  }
  bool AtEnd() const { return FPos >= FText.size(); }
  void SkipBlanks();
  void ReadStringToken();
  void ReadQuotedOrCodes(std::string& Value);

  void ReadObject(TComponent* Parent, TComponent* Owner, TComponent* Root);
  TComponent* CreateByClass(const std::string& Class, TComponent* Owner, int Line);
  void ReadProperty(TComponent& Component);
  TPropValue ReadValue(const TPropInfo& P, const TComponent& Component, int Line);
  [[noreturn]] void Invalid(const std::string& Kind, const std::string& What) const;
  int64_t ElementIndex(const TPropInfo& P, const std::string& What) const;
  int64_t ReadSet(const TPropInfo& P, const std::string& What);
  std::vector<std::string> ReadLines(const std::string& What);
  TComponent* Resolve(const std::string& Name) const;
  void Cleanup(bool RootCreated);

  TReader& FReader;
  TStream& FStream;
  std::string FText;
  size_t FPos = 0;
  int FLine = 1;
  TToken FTok;
  int FValuesRead = 0;

  TComponent* FRoot = nullptr;
  std::string FRootFileName;
  std::vector<TComponent*> FCreated;                   // in creation order
  std::vector<std::pair<TComponent*, int>> FRead;      // every component read, with its line
  std::set<TComponent*> FReadSet;
  std::vector<TFixup> FFixups;
};

void TReader::TImpl::SkipBlanks() {
  while (!AtEnd()) {
    const char C = Peek();
    if (C == '\n') {
      ++FLine;
    } else if (C == '\r') {
      if (Peek(1) != '\n') ++FLine;  // a lone CR ends a line too
    } else if (C != ' ' && C != '\t') {
      break;
    }
    ++FPos;
  }
}

// Quoted parts and #nnn codes, joined: 'abc'#13#10'def'.
void TReader::TImpl::ReadQuotedOrCodes(std::string& Value) {
  while (Peek() == '\'' || Peek() == '#') {
    if (Peek() == '\'') {
      ++FPos;
      for (;;) {
        if (AtEnd() || Peek() == '\r' || Peek() == '\n') Error(FLine, "Unterminated string");
        const char C = FText[FPos++];
        if (C == '\'') {
          if (Peek() != '\'') break;
          ++FPos;
        }
        Value += C;
      }
    } else {
      ++FPos;
      int Code = 0;
      size_t Digits = 0;
      while (Peek() >= '0' && Peek() <= '9') {
        Code = Code * 10 + (Peek() - '0');
        ++FPos;
        if (++Digits > 3 || Code > 255) Error(FLine, "Invalid character code");
      }
      if (Digits == 0) Error(FLine, "Invalid character code");
      Value += static_cast<char>(Code);
    }
  }
}

void TReader::TImpl::ReadStringToken() {
  FTok.Kind = TTok::String;
  ReadQuotedOrCodes(FTok.Text);
  // 'part one' + <line break> 'part two'
  for (;;) {
    const size_t Pos = FPos;
    const int Line = FLine;
    SkipBlanks();
    if (Peek() != '+') {
      FPos = Pos;
      FLine = Line;
      return;
    }
    ++FPos;
    SkipBlanks();
    if (Peek() != '\'' && Peek() != '#') Error(FLine, "String expected after '+'");
    ReadQuotedOrCodes(FTok.Text);
  }
}

void TReader::TImpl::Next() {
  const int Before = FLine;
  SkipBlanks();
  FTok = TToken{};
  // The end of the file is reported on the last line that has something on it.
  FTok.Line = AtEnd() ? Before : FLine;
  if (AtEnd()) return;
  const char C = Peek();
  if (IsIdentStart(C)) {
    FTok.Kind = TTok::Ident;
    for (;;) {
      while (IsIdentChar(Peek())) FTok.Text += FText[FPos++];
      if (Peek() != '.' || !IsIdentStart(Peek(1))) break;
      FTok.Text += FText[FPos++];
    }
  } else if ((C >= '0' && C <= '9') || (C == '-' && Peek(1) >= '0' && Peek(1) <= '9')) {
    FTok.Kind = TTok::Integer;
    const bool Negative = C == '-';
    if (Negative) ++FPos;
    // Accumulate negatively so that the smallest int64 reads too.
    int64_t V = 0;
    while (Peek() >= '0' && Peek() <= '9') {
      const int D = Peek() - '0';
      if (V < (INT64_MIN + D) / 10) Error(FLine, "Integer out of range");
      V = V * 10 - D;
      ++FPos;
    }
    if (IsIdentChar(Peek())) Error(FLine, "Invalid integer");
    if (!Negative) {
      if (V == INT64_MIN) Error(FLine, "Integer out of range");
      V = -V;
    }
    FTok.Int = V;
  } else if (C == '\'' || C == '#') {
    ReadStringToken();
  } else if (std::string("=:[](),{}").find(C) != std::string::npos) {
    FTok.Kind = TTok::Symbol;
    FTok.Sym = C;
    ++FPos;
  } else {
    Error(FLine, "Invalid character #" + std::to_string(static_cast<unsigned char>(C)));
  }
}

// Called with '{' the current token; leaves the token after '}' current.
std::vector<uint8_t> TReader::TImpl::ReadBinary(const std::string& Prop) {
  std::vector<uint8_t> Bytes;
  int High = -1;
  for (;;) {
    SkipBlanks();
    if (AtEnd()) Error(FLine, "Unexpected end of file in binary data of " + Prop);
    const char C = FText[FPos++];
    if (C == '}') break;
    int D;
    if (C >= '0' && C <= '9') {
      D = C - '0';
    } else if (C >= 'A' && C <= 'F') {
      D = C - 'A' + 10;
    } else if (C >= 'a' && C <= 'f') {
      D = C - 'a' + 10;
    } else {
      Error(FLine, "Invalid hexadecimal digit '" + std::string(1, C) + "' in " + Prop);
    }
    if (High < 0) {
      High = D;
    } else {
      Bytes.push_back(static_cast<uint8_t>(High * 16 + D));
      High = -1;
    }
  }
  if (High >= 0) Error(FLine, "Odd number of hexadecimal digits in " + Prop);
  Next();
  return Bytes;
}

TComponent* TReader::TImpl::CreateByClass(const std::string& Class, TComponent* Owner, int Line) {
  const TypInfo::TClassInfo* Info = TypInfo::FindClass(Class);
  if (!Info) Error(Line, "Class " + Class + " not found");
  if (!Info->Create) Error(Line, "Class " + Class + " cannot be created");
  TComponent* C = nullptr;
  Guard(Line, "Creating " + Class, [&] { C = Info->Create(Owner); });
  if (!C) Error(Line, "Class " + Class + " cannot be created");
  // A created component that its owner does not hold would escape the clean-up.
  if (Owner && C->Owner() != Owner) {
    delete C;
    Error(Line, "Class " + Class + " did not create its component in its owner");
  }
  FCreated.push_back(C);
  return C;
}

// Parent is the component the object is nested in (null for the root).
void TReader::TImpl::ReadObject(TComponent* Parent, TComponent* Owner, TComponent* Root) {
  const int Line = FTok.Line;
  const bool Inherited = IsIdent("inherited");
  if (!Inherited && !IsIdent("object")) Error(Line, "'object' expected but " + TokenText(FTok) + " found");
  Next();
  if (FTok.Kind != TTok::Ident) Error(FTok.Line, "Component name expected");
  std::string Name = FTok.Text;
  std::string Class = Name;
  Next();
  if (FTok.Kind == TTok::Symbol && FTok.Sym == ':') {
    Next();
    if (FTok.Kind != TTok::Ident) Error(FTok.Line, "Class name expected");
    Class = FTok.Text;
    Next();
  } else {
    Name.clear();  // "object TClass": a component without a name
  }

  TComponent* C = nullptr;
  if (!Parent) {
    if (Root) {
      if (!AnsiSameText(Root->ClassName(), Class))
        Error(Line, "Class " + Class + " does not match the component's class " + Root->ClassName());
      C = Root;
      if (C->Name().empty() && !Name.empty()) Guard(Line, "Naming " + Name, [&] { C->SetName(Name); });
    } else {
      C = CreateByClass(Class, Owner, Line);
      if (!Name.empty()) {
        // A second instance of the same form under one owner gets a name of its own.
        std::string Unique = Name;
        for (int I = 1; Owner && Owner->FindComponent(Unique); ++I) Unique = Name + "_" + IntToStr(I);
        Guard(Line, "Naming " + Name, [&] { C->SetName(Unique); });
      }
    }
    FRoot = C;
    FRootFileName = Name;
  } else {
    TComponent* Existing = Name.empty() ? nullptr : Parent->FindComponent(Name);
    if (Existing) {
      if (FReadSet.count(Existing)) Error(Line, "Duplicate component name " + Name);
      if (!AnsiSameText(Existing->ClassName(), Class))
        Error(Line, "Component " + Name + " is a " + Existing->ClassName() + ", not a " + Class);
      C = Existing;
    } else {
      if (Inherited) Error(Line, "Inherited component " + Name + " not found");
      C = CreateByClass(Class, Parent, Line);
      if (!Name.empty()) Guard(Line, "Naming " + Name, [&] { C->SetName(Name); });
    }
  }
  C->SetLoading(true);
  FRead.emplace_back(C, Line);
  FReadSet.insert(C);

  for (;;) {
    if (FTok.Kind == TTok::End) Error(FTok.Line, "Unexpected end of file in object " + Describe(*C));
    if (IsIdent("end")) break;
    if (IsIdent("object") || IsIdent("inherited")) {
      ReadObject(C, nullptr, nullptr);
    } else if (FTok.Kind == TTok::Ident) {
      ReadProperty(*C);
    } else {
      Error(FTok.Line, "Property name expected but " + TokenText(FTok) + " found");
    }
  }
  if (Parent) Next();  // the root's "end" is the last token read
}

void TReader::TImpl::ReadProperty(TComponent& Component) {
  const int Line = FTok.Line;
  const std::string Name = FTok.Text;
  Next();
  if (FTok.Kind != TTok::Symbol || FTok.Sym != '=') Error(FTok.Line, "'=' expected after " + Name);
  Next();

  const std::string Class = Component.ClassName();
  const TPropInfo* P = TypInfo::GetPropInfo(Class, Name);
  if (!P) {
    const std::string Suffix = ".Strings";
    if (Name.size() > Suffix.size() &&
        AnsiSameText(Name.substr(Name.size() - Suffix.size()), Suffix)) {
      P = TypInfo::GetPropInfo(Class, Name.substr(0, Name.size() - Suffix.size()));
      if (P && P->Kind != TTypeKind::tkStrings) P = nullptr;
    }
  }
  if (P) {
    if (!P->Set) Error(Line, "Property " + Name + " of " + Class + " is read-only");
    TPropValue V = ReadValue(*P, Component, Line);
    if (P->Kind == TTypeKind::tkComponent) {
      FFixups.push_back({&Component, P, V.Str, Line});
    } else {
      Guard(Line, "Setting " + Describe(Component) + "." + P->Name, [&] { P->Set(Component, V); });
    }
    return;
  }

  // Not published: maybe one of the component's defined properties.
  FDefName = Name;
  FDefLine = Line;
  FDefFound = false;
  FValuesRead = 0;
  Guard(Line, "Reading " + Describe(Component) + "." + Name,
        [&] { Component.DefineProperties(FReader); });
  FDefName.clear();
  if (!FDefFound) Error(Line, "Property " + Name + " does not exist in " + Class);
}

void TReader::TImpl::Invalid(const std::string& Kind, const std::string& What) const {
  Error(FTok.Line, "Invalid " + Kind + " value for " + What + ": " + TokenText(FTok));
}

int64_t TReader::TImpl::ElementIndex(const TPropInfo& P, const std::string& What) const {
  auto It = std::find_if(P.Elements.begin(), P.Elements.end(),
                         [&](const std::string& E) { return AnsiSameText(E, FTok.Text); });
  if (It == P.Elements.end()) Error(FTok.Line, "Unknown element " + FTok.Text + " for " + What);
  return It - P.Elements.begin();
}

// "[a, b]" at the current token; leaves the token on "]".
int64_t TReader::TImpl::ReadSet(const TPropInfo& P, const std::string& What) {
  if (FTok.Kind != TTok::Symbol || FTok.Sym != '[') Invalid("set", What);
  int64_t Bits = 0;
  Next();
  while (!(FTok.Kind == TTok::Symbol && FTok.Sym == ']')) {
    if (FTok.Kind != TTok::Ident) Invalid("set", What);
    const int64_t Bit = ElementIndex(P, What);
    if (Bit >= 64) Error(FTok.Line, "Unknown element " + FTok.Text + " for " + What);
    Bits |= int64_t{1} << Bit;
    Next();
    if (FTok.Kind == TTok::Symbol && FTok.Sym == ',') {
      Next();
    } else if (!(FTok.Kind == TTok::Symbol && FTok.Sym == ']')) {
      Invalid("set", What);
    }
  }
  return Bits;
}

// "('a' 'b')" at the current token; leaves the token on ")".
std::vector<std::string> TReader::TImpl::ReadLines(const std::string& What) {
  if (FTok.Kind != TTok::Symbol || FTok.Sym != '(') Invalid("string list", What);
  std::vector<std::string> Lines;
  Next();
  while (!(FTok.Kind == TTok::Symbol && FTok.Sym == ')')) {
    if (FTok.Kind != TTok::String) Invalid("string list", What);
    Lines.push_back(FTok.Text);
    Next();
  }
  return Lines;
}

TPropValue TReader::TImpl::ReadValue(const TPropInfo& P, const TComponent& Component, int Line) {
  TPropValue V;
  V.Kind = P.Kind;
  const std::string What = Describe(Component) + "." + P.Name;
  switch (P.Kind) {
    case TTypeKind::tkBoolean:
      if (IsIdent("True")) {
        V.Bool = true;
      } else if (!IsIdent("False")) {
        Invalid("boolean", What);
      }
      break;
    case TTypeKind::tkInteger:
      if (FTok.Kind != TTok::Integer) Invalid("integer", What);
      V.Int = FTok.Int;
      break;
    case TTypeKind::tkChar:
      if (FTok.Kind != TTok::String || FTok.Text.size() != 1) Invalid("character", What);
      V.Str = FTok.Text;
      break;
    case TTypeKind::tkString:
      if (FTok.Kind != TTok::String) Invalid("string", What);
      V.Str = FTok.Text;
      break;
    case TTypeKind::tkEnumeration:
      if (FTok.Kind != TTok::Ident) Invalid("enumeration", What);
      V.Int = ElementIndex(P, What);
      break;
    case TTypeKind::tkSet:
      V.Int = ReadSet(P, What);
      break;
    case TTypeKind::tkStrings:
      V.Lines = ReadLines(What);
      break;
    case TTypeKind::tkComponent:
      if (FTok.Kind != TTok::Ident) Invalid("component", What);
      if (!IsIdent("nil")) V.Str = FTok.Text;
      break;
    case TTypeKind::tkMethod:
      if (FTok.Kind != TTok::Ident) Invalid("event", What);
      if (!IsIdent("nil")) {
        V.Str = FTok.Text;
        Guard(Line, "Finding method " + V.Str, [&] { V.Code = FRoot->MethodAddress(V.Str); });
        if (!V.Code.has_value()) Error(Line, "Method " + V.Str + " not found");
      }
      break;
  }
  Next();
  return V;
}

// A path of names below the root ("Query1", "Panel1.Button1"), or the root's own name.
TComponent* TReader::TImpl::Resolve(const std::string& Name) const {
  TComponent* C = FRoot;
  size_t Start = 0;
  while (C) {
    const size_t Dot = Name.find('.', Start);
    C = C->FindComponent(Name.substr(Start, Dot == std::string::npos ? Dot : Dot - Start));
    if (Dot == std::string::npos) break;
    Start = Dot + 1;
  }
  // The root answers to the name in the file too, in case it had to be renamed.
  if (!C && (AnsiSameText(Name, FRoot->Name()) || AnsiSameText(Name, FRootFileName))) C = FRoot;
  return C;
}

void TReader::TImpl::Cleanup(bool RootCreated) {
  for (auto& [C, Line] : FRead)
    if (std::find(FCreated.begin(), FCreated.end(), C) == FCreated.end()) C->SetLoading(false);
  if (RootCreated) {
    delete FRoot;  // owns everything else the read created
  } else {
    // Last first, so that a created component goes before the created one owning it.
    for (auto It = FCreated.rbegin(); It != FCreated.rend(); ++It) delete *It;
  }
  FCreated.clear();
  FRead.clear();
  FReadSet.clear();
  FFixups.clear();
}

TComponent* TReader::TImpl::Read(TComponent* Owner, TComponent* Root, bool WholeStream) {
  const int64_t Start = FStream.Position();
  const int64_t Size = FStream.Size();
  FText.assign(static_cast<size_t>(std::max<int64_t>(Size - Start, 0)), '\0');
  if (!FText.empty()) FStream.ReadBuffer(FText.data(), static_cast<int64_t>(FText.size()));
  FPos = 0;
  FLine = 1;
  FRoot = nullptr;
  FReader.FRoot = nullptr;

  try {
    Next();
    // The root: its class decides the properties, its MethodAddress the handlers.
    ReadObject(nullptr, Owner, Root);
    FReader.FRoot = FRoot;
    // Leave the stream after the root's "end" and its line break.
    size_t End = FPos;
    while (End < FText.size() && (FText[End] == ' ' || FText[End] == '\t')) ++End;
    if (End < FText.size() && FText[End] == '\r') ++End;
    if (End < FText.size() && FText[End] == '\n') ++End;
    if (WholeStream) {
      Next();
      if (FTok.Kind != TTok::End) Error(FTok.Line, "End of file expected after the root's 'end'");
    }

    // Every name must resolve before any reference is set, so that a missing one leaves
    // no component pointing at one about to be destroyed.
    std::vector<TComponent*> Targets;
    for (const TFixup& F : FFixups) {
      TComponent* Target = F.Name.empty() ? nullptr : Resolve(F.Name);
      if (!F.Name.empty() && !Target) Error(F.Line, "Component " + F.Name + " not found");
      Targets.push_back(Target);
    }
    for (size_t I = 0; I < FFixups.size(); ++I) {
      TPropValue V;
      V.Kind = TTypeKind::tkComponent;
      V.Str = FFixups[I].Name;
      V.Component = Targets[I];
      const TFixup& F = FFixups[I];
      Guard(F.Line, "Setting " + Describe(*F.Component) + "." + F.Prop->Name,
            [&] { F.Prop->Set(*F.Component, V); });
    }
    for (auto& [C, Line] : FRead) {
      TComponent* Comp = C;
      Guard(Line, "Loading " + Describe(*Comp), [&] { Comp->Loaded(); });
    }
    FStream.SetPosition(Start + static_cast<int64_t>(End));
  } catch (...) {
    Cleanup(Root == nullptr && FRoot != nullptr);
    FReader.FRoot = nullptr;
    throw;
  }
  TComponent* Result = FRoot;
  FCreated.clear();
  FRead.clear();
  FReadSet.clear();
  FFixups.clear();
  return Result;
}

TReader::TReader(TStream& Stream) : FImpl(std::make_unique<TImpl>(*this, Stream)) {}

TReader::~TReader() = default;

TComponent* TReader::ReadRootComponent(TComponent* Owner, TComponent* Root) {
  return FImpl->Read(Owner, Root, false);
}

void TReader::DefineProperty(const std::string& Name, TReaderProc ReadData,
                             TWriterProc WriteData, bool HasData) {
  (void)WriteData;
  (void)HasData;
  TImpl& I = *FImpl;
  if (!I.ClaimDefined(Name, static_cast<bool>(ReadData))) return;
  ReadData(*this);
  // Anything but exactly one value would leave the parser inside or past the value.
  if (I.ValuesRead() != 1) Error(I.FDefLine, "Property " + Name + " was not read as one value");
}

void TReader::DefineBinaryProperty(const std::string& Name, TStreamProc ReadData,
                                   TStreamProc WriteData, bool HasData) {
  (void)WriteData;
  (void)HasData;
  TImpl& I = *FImpl;
  if (!I.ClaimDefined(Name, static_cast<bool>(ReadData))) return;
  if (I.Tok().Kind != TTok::Symbol || I.Tok().Sym != '{')
    Error(I.Tok().Line, "Binary value expected for " + Name);
  const std::vector<uint8_t> Bytes = I.ReadBinary(Name);
  TMemoryStream Data;
  if (!Bytes.empty()) Data.WriteBuffer(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  Data.SetPosition(0);
  ReadData(Data);
}

std::string TReader::ReadString() {
  if (FImpl->Tok().Kind != TTok::String) Error(FImpl->Tok().Line, "String expected");
  std::string V = FImpl->Tok().Text;
  FImpl->ValueRead();
  FImpl->Next();
  return V;
}

int64_t TReader::ReadInteger() {
  if (FImpl->Tok().Kind != TTok::Integer) Error(FImpl->Tok().Line, "Integer expected");
  const int64_t V = FImpl->Tok().Int;
  FImpl->ValueRead();
  FImpl->Next();
  return V;
}

bool TReader::ReadBoolean() {
  const bool V = FImpl->IsIdent("True");
  if (!V && !FImpl->IsIdent("False")) Error(FImpl->Tok().Line, "Boolean expected");
  FImpl->ValueRead();
  FImpl->Next();
  return V;
}

std::string TReader::ReadIdent() {
  if (FImpl->Tok().Kind != TTok::Ident) Error(FImpl->Tok().Line, "Identifier expected");
  std::string V = FImpl->Tok().Text;
  FImpl->ValueRead();
  FImpl->Next();
  return V;
}

int TReader::Line() const { return FImpl->Tok().Line; }

TComponent* ReadComponentText(TStream& Stream, TComponent* Owner, TComponent* Root) {
  TReader Reader(Stream);
  return Reader.ReadRootComponent(Owner, Root);
}

TComponent* TextToComponent(const std::string& Text, TComponent* Owner, TComponent* Root) {
  TMemoryStream Stream;
  if (!Text.empty()) Stream.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
  Stream.SetPosition(0);
  TReader Reader(Stream);
  return Reader.FImpl->Read(Owner, Root, true);
}

}  // namespace Classes
