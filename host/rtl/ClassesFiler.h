// Host run-time, form files: the filers that write a component tree as the host's text
// form-file format and read it back.
//
//   object Form1: TForm1
//     Caption = 'It''s'#13#10'two lines'
//     Options = [opA, opB]
//     Lines.Strings = (
//       'line 1'
//       'line 2')
//     Data = {
//       0F270000}
//     object Query1: TSomeQuery
//     end
//   end
//
// Which properties a class has, and how to get and set them, comes from the published
// property tables of TypInfo.h. User-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "host/rtl/Classes.h"

namespace Classes {

class TReader;
class TWriter;

using TStreamProc = std::function<void(TStream& Stream)>;
using TReaderProc = std::function<void(TReader& Reader)>;
using TWriterProc = std::function<void(TWriter& Writer)>;

// A malformed form file; the message is "Line <n>: <what>".
class EParserError : public EFilerError {
 public:
  using EFilerError::EFilerError;
};

// What TComponent::DefineProperties talks to: it declares the properties a component
// stores beyond its published ones, and the filer calls back the one that reads or
// writes each.
class TFiler {
 public:
  TFiler() = default;
  TFiler(const TFiler&) = delete;
  TFiler& operator=(const TFiler&) = delete;
  virtual ~TFiler() = default;

  // The component of the ancestor form that corresponds to the one being written (found
  // by name), or null: always null while reading and when writing without an ancestor.
  TPersistent* Ancestor() const { return FAncestor; }
  // The root of the form being written or read.
  TComponent* Root() const { return FRoot; }

  // A property of one value (string, integer, boolean or identifier). The reader calls
  // ReadData, which reads that value with one TReader::Read... call; the writer calls
  // WriteData, which writes it with exactly one TWriter::Write... call, only when HasData.
  virtual void DefineProperty(const std::string& Name, TReaderProc ReadData,
                              TWriterProc WriteData, bool HasData) = 0;
  // A binary property. The reader calls ReadData with a stream holding exactly the stored
  // bytes, at position 0; the writer calls WriteData with an empty memory stream and
  // stores what it wrote, only when HasData.
  virtual void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData,
                                    TStreamProc WriteData, bool HasData) = 0;

 protected:
  TPersistent* FAncestor = nullptr;
  TComponent* FRoot = nullptr;
};

// Writes the text form-file format on a stream (not owned; it must outlive the writer).
// Lines end with CR LF, each level is indented by two spaces.
class TWriter : public TFiler {
 public:
  explicit TWriter(TStream& Stream) : FStream(Stream) {}

  // Writes Root and, nested, every component it owns (in ownership order, recursively).
  // With an Ancestor: "inherited" for the components that exist in the ancestor by name
  // and only the properties whose value differs from the ancestor's.
  // Raises EFilerError for a component whose class is not registered, a value that has no
  // name in its enumeration or set, or a defined property that writes no value or more
  // than one.
  void WriteRootComponent(TComponent& Root, TComponent* Ancestor = nullptr);

  void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData,
                            TStreamProc WriteData, bool HasData) override;

  // The value of a property declared with DefineProperty.
  void WriteString(const std::string& Value);
  void WriteInteger(int64_t Value);
  void WriteBoolean(bool Value);
  // An identifier (an enumeration element, a component name); raises EFilerError when
  // Value is not an identifier.
  void WriteIdent(const std::string& Value);

 private:
  void WriteComponent(TComponent& Component, TComponent* Ancestor, int Level);
  void WriteProperties(TComponent& Component, TComponent* Ancestor, int Level);
  void WriteText(const std::string& Text);
  void BeginValue();

  TStream& FStream;
  TComponent* FAncestorRoot = nullptr;
  int FLevel = 0;
  int FValuesWritten = -1;  // -1: not inside a defined property's WriteData
};

// Reads the text form-file format from a stream (not owned; it must outlive the reader).
class TReader : public TFiler {
 public:
  explicit TReader(TStream& Stream);
  ~TReader() override;

  // Reads one component from the stream's position; see ReadComponentText. Afterwards the
  // stream stands just after the root's "end" line.
  TComponent* ReadRootComponent(TComponent* Owner, TComponent* Root);

  void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData,
                            TStreamProc WriteData, bool HasData) override;

  // The value of a property declared with DefineProperty. Raise EParserError when the
  // value in the file is of another kind.
  std::string ReadString();
  int64_t ReadInteger();
  bool ReadBoolean();
  std::string ReadIdent();

  // Line of the token the reader is at, 1-based.
  int Line() const;

 private:
  class TImpl;
  std::unique_ptr<TImpl> FImpl;
  friend TComponent* TextToComponent(const std::string&, TComponent*, TComponent*);
};

// A text as a form file spells it: printable ASCII inside quotes (a quote doubled),
// every other byte as #nnn, so the file stays 7-bit and survives any editor's idea of
// the code page. "''" for the empty text.
std::string QuoteString(const std::string& S);

// Writes Root and every component it owns (in ownership order, recursively) in the text
// form-file format. With an Ancestor (a root of the same class): "inherited" instead of
// "object" for components that exist in the ancestor by name, only properties whose value
// differs from the ancestor's are written, and DefineProperties sees the ancestor
// component through Filer.Ancestor().
void WriteComponentText(TStream& Stream, TComponent& Root, TComponent* Ancestor = nullptr);
std::string ComponentToText(TComponent& Root, TComponent* Ancestor = nullptr);

// Reads a form file. With Root null, creates the root by its registered class with Owner
// (Owner takes ownership; without an Owner the caller owns the result), renamed Name_1,
// Name_2 ... when Owner already has a component of its name; with Root given, reads into
// it (the class in the file must be Root's; Root keeps a name it already has). Creates
// every nested component by registered class, owned by the component it is nested in (the
// root for the first level); a nested component that its owner already has by that name
// (made by the owner's constructor, or an "inherited" one) is read into instead, and must
// be of the class in the file. Sets properties; resolves component references by name
// through the root (after the whole file is read; "A.B" is B owned by the root's A) and
// event handlers by name through Root->MethodAddress; calls Loaded() on each component
// read (csLoading set while reading). Returns the root.
// A malformed file (unknown class, unknown property, bad value, a property setter that
// throws, unterminated object, binary data of odd length or bad hex digit, handler or
// component not found, an "inherited" component that does not exist) raises EParserError
// with the message "Line <n>: <what>" and destroys every component the read created (the
// root too when it created it): nothing half-built. Properties already set on components
// that existed before the read keep their new values.
TComponent* ReadComponentText(TStream& Stream, TComponent* Owner, TComponent* Root = nullptr);
// As ReadComponentText; also raises EParserError when anything but blanks follows the
// root's "end".
TComponent* TextToComponent(const std::string& Text, TComponent* Owner,
                            TComponent* Root = nullptr);

// Events: a handler and the name under which a form file stores it. A handler assigned
// without a name is not stored.
template <class Sig>
struct TMethod {
  std::string Name;
  std::function<Sig> Code;
  explicit operator bool() const { return static_cast<bool>(Code); }
};

}  // namespace Classes
