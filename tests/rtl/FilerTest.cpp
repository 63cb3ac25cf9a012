#include <gtest/gtest.h>

#include <optional>

#include "host/rtl/ClassesFiler.h"
#include "host/rtl/TypInfo.h"
#include "tests/rtl/FilerItem.h"

namespace {

using namespace Classes;
using namespace TypInfo;
using namespace fileritem;

std::string Head(const std::string& Body) {
  return "object Form1: TForm\r\n" + Body + "end\r\n";
}

TEST(TypInfoRegistry, AncestorsFirstAndRedeclarationKeepsItsPlace) {
  RegisterClass({"TBaseR", "", nullptr,
                 {IntProp<TItem>("A", &TItem::Count, Setter<&TItem::Count>()),
                  IntProp<TItem>("B", &TItem::Count, Setter<&TItem::Count>())}});
  RegisterClass({"TDerivedR", "TBaseR", nullptr,
                 {IntProp<TItem>("C", &TItem::Count, Setter<&TItem::Count>()),
                  IntProp<TItem>("a", &TItem::Count, Setter<&TItem::Count>(), 7)}});
  RegisterClass({"TLoopR", "TLoopR", nullptr, {}});  // a parent cycle must end
  std::string Names;
  for (const TPropInfo* P : GetPropList("tderivedr")) Names += P->Name + (P->Default ? "=d " : " ");
  EXPECT_EQ(Names, "a=d B C ");
  EXPECT_EQ(FindClass("TNoSuch"), nullptr);
  EXPECT_TRUE(GetPropList("TLoopR").empty());
}

// Every kind is written in the expected shape and reads back to the same value; the
// re-written text must equal the first one.
TEST(FilerRoundTrip, EveryPropertyKind) {
  std::string AllBytes;
  for (int B = 0; B < 256; ++B) AllBytes += static_cast<char>(B);
  struct Row {
    const char* Name;
    std::function<void(TItem&)> Set;
    std::string Line;
  } Rows[] = {
      {"quotes", [](TItem& T) { T.Caption = "It's"; }, "  Caption = 'It''s'\r\n"},
      {"empty string", [](TItem& T) { T.Caption = ""; }, "  Caption = ''\r\n"},
      {"line breaks", [](TItem& T) { T.Caption = "abc\r\ndef"; }, "  Caption = 'abc'#13#10'def'\r\n"},
      {"every byte", [&](TItem& T) { T.Caption = AllBytes; }, "#30#31' !\"#$%&''()*"},
      {"high bytes", [&](TItem& T) { T.Caption = AllBytes; }, "|}~'#127#128"},
      {"boolean", [](TItem& T) { T.Flag = true; }, "  Flag = True\r\n"},
      {"negative", [](TItem& T) { T.Count = -42; }, "  Count = -42\r\n"},
      {"char quote", [](TItem& T) { T.Quote = '\''; }, "  Quote = ''''\r\n"},
      {"char zero", [](TItem& T) { T.Quote = '\0'; }, "  Quote = #0\r\n"},
      {"enumeration", [](TItem& T) { T.Kind = ckThird; }, "  Kind = ckThird\r\n"},
      {"set", [](TItem& T) { T.Options = opA | opC; }, "  Options = [opA, opC]\r\n"},
      {"empty set", [](TItem& T) { T.Options = 0; }, "  Options = []\r\n"},
      {"string list",
       [](TItem& T) {
         T.Lines.Add("line 1");
         T.Lines.Add("");
         T.Lines.Add("it's");
       },
       "  Lines.Strings = (\r\n    'line 1'\r\n    ''\r\n    'it''s')\r\n"},
      {"text defined property", [](TItem& T) { T.Note = "n"; }, "  Note = 'n'\r\n"},
  };
  for (const Row& R : Rows) {
    SCOPED_TRACE(R.Name);
    TForm Form(nullptr);
    Form.SetName("Form1");
    R.Set(Form);
    const std::string Text = ComponentToText(Form);
    EXPECT_NE(Text.find(R.Line), std::string::npos) << Text;
    std::unique_ptr<TComponent> Back(TextToComponent(Text, nullptr));
    auto* F = dynamic_cast<TForm*>(Back.get());
    ASSERT_NE(F, nullptr);
    EXPECT_EQ(F->Caption, Form.Caption);
    EXPECT_EQ(F->Lines.Text(), Form.Lines.Text());
    EXPECT_EQ(ComponentToText(*F), Text);
    EXPECT_EQ(F->LoadedCount, 1);
    EXPECT_FALSE(F->SetOutsideLoading);
    EXPECT_FALSE(F->InState(csLoading));
  }
}

TEST(FilerRead, AcceptsLineFeedsContinuationsAndCodes) {
  struct Row {
    const char* Name;
    std::string Text;
    std::string Caption;
    int Count;
  } Rows[] = {
      {"LF only", "object Form1: TForm\n  Caption = 'a'\n  Count = 3\nend\n", "a", 3},
      {"plus continuation", Head("  Caption = 'ab' +\r\n    'cd' + #33\r\n"), "abcd!", 0},
      {"codes and quotes", Head("  Caption = #65#66'C'#68\r\n  Count = -9223\r\n"), "ABCD", -9223},
      {"keywords in any case", "OBJECT Form1: tform\r\n  caption = ''\r\nEnd", "", 0},
  };
  for (const Row& R : Rows) {
    SCOPED_TRACE(R.Name);
    std::unique_ptr<TComponent> C(TextToComponent(R.Text, nullptr));
    auto& F = dynamic_cast<TForm&>(*C);
    EXPECT_EQ(F.Caption, R.Caption);
    EXPECT_EQ(F.Count, R.Count);
    EXPECT_EQ(F.Name(), "Form1");
  }
}

TEST(FilerWrite, StoredAndDefaultValuesAreLeftOut) {
  TForm Form(nullptr);
  Form.SetName("Form1");
  Form.Hidden = 5;  // Stored says no
  Form.Count = 0;   // the default
  Form.Quote = 'x';
  EXPECT_EQ(ComponentToText(Form), Head("  Caption = ''\r\n"));
  // Without them in the file, the constructor's values stay.
  std::unique_ptr<TComponent> C(TextToComponent(Head(""), nullptr));
  auto& F = dynamic_cast<TForm&>(*C);
  EXPECT_EQ(F.Quote, 'x');
  EXPECT_EQ(F.Options, unsigned{opB});
  EXPECT_EQ(F.Hidden, 0);
}

TEST(FilerBinary, RoundTripAndLayout) {
  struct Row {
    const char* Name;
    std::optional<size_t> Size;
    std::string Expected;  // a fragment of the text, or "" for no Data line
  } Rows[] = {
      {"no data", std::nullopt, ""},
      {"zero bytes", 0, "  Data = {}\r\n"},
      {"one byte", 1, "  Data = {\r\n    0F}\r\n"},
      {"1000 bytes", 1000, "  Data = {\r\n    0F101112"},
  };
  for (const Row& R : Rows) {
    SCOPED_TRACE(R.Name);
    TForm Form(nullptr);
    Form.SetName("Form1");
    if (R.Size) {
      Form.Data.emplace();
      for (size_t I = 0; I < *R.Size; ++I) Form.Data->push_back(static_cast<uint8_t>(I + 15));
    }
    const std::string Text = ComponentToText(Form);
    if (R.Expected.empty()) {
      EXPECT_EQ(Text.find("Data"), std::string::npos);
    } else {
      EXPECT_NE(Text.find(R.Expected), std::string::npos) << Text;
    }
    if (R.Size == 1000u) {
      // Full lines of 64 hex digits, each indented one level below the property.
      const size_t Open = Text.find("{\r\n") + 3;
      const std::string Body = Text.substr(Open, Text.find('}') - Open);
      size_t Digits = 0, FullLines = 0;
      for (size_t Pos = 0; Pos < Body.size();) {
        const size_t End = std::min(Body.find("\r\n", Pos), Body.size());
        const std::string L = Body.substr(Pos, End - Pos);
        EXPECT_EQ(L.substr(0, 4), "    ");
        Digits += L.size() - 4;
        FullLines += L.size() == 68;
        Pos = End + 2;
      }
      EXPECT_EQ(Digits, 2000u);
      EXPECT_EQ(FullLines, 31u);
    }
    std::unique_ptr<TComponent> C(TextToComponent(Text, nullptr));
    EXPECT_EQ(dynamic_cast<TForm&>(*C).Data, Form.Data);
  }
}

TEST(FilerAncestor, InheritedWritesOnlyDifferences) {
  TForm Base(nullptr);
  Base.SetName("Form1");
  Base.Caption = "Base";
  Base.Count = 5;
  Base.Data = std::vector<uint8_t>{1, 2};
  auto* BaseQuery = new TItem(&Base);
  BaseQuery->SetName("Query1");
  BaseQuery->Kind = ckSecond;

  TForm Derived(nullptr);
  Derived.SetName("Form1");
  Derived.Caption = "Derived";
  Derived.Count = 5;
  Derived.Data = std::vector<uint8_t>{1, 2};
  auto* Query = new TItem(&Derived);
  Query->SetName("Query1");
  Query->Kind = ckFirst;
  Query->DataSet = Query;
  BaseQuery->DataSet = BaseQuery;  // the same reference by name: not a difference
  auto* Extra = new TItem(&Derived);
  Extra->SetName("Query2");
  Extra->Caption = "New";

  const std::string Text = ComponentToText(Derived, &Base);
  EXPECT_EQ(Text,
            "inherited Form1: TForm\r\n"
            "  Caption = 'Derived'\r\n"
            "  inherited Query1: TItem\r\n"
            "    Kind = ckFirst\r\n"
            "  end\r\n"
            "  object Query2: TItem\r\n"
            "    Caption = 'New'\r\n"
            "  end\r\n"
            "end\r\n");
  EXPECT_EQ(Derived.SeenAncestor, &Base);
  EXPECT_EQ(Query->SeenAncestor, BaseQuery);
  EXPECT_EQ(Extra->SeenAncestor, nullptr);

  // The ancestor's file, then the inherited one, rebuild the derived form.
  TForm Rebuilt(nullptr);
  TextToComponent(ComponentToText(Base), nullptr, &Rebuilt);
  TextToComponent(Text, nullptr, &Rebuilt);
  EXPECT_EQ(ComponentToText(Rebuilt), ComponentToText(Derived));
}

TEST(FilerRead, ReferencesAndHandlersResolve) {
  const std::string Text = Head(
      "  Caption = ''\r\n"
      "  DataSet = Form1\r\n"
      "  OnApply = Form1Apply\r\n"
      "  object Item1: TItem\r\n"
      "    Caption = ''\r\n"
      "    DataSet = Query1\r\n"  // refers forward
      "  end\r\n"
      "  object Query1: TItem\r\n"
      "    Caption = ''\r\n"
      "    OnApply = Form1Apply\r\n"
      "  end\r\n");
  TComponent Owner(nullptr);
  auto& F = dynamic_cast<TForm&>(*TextToComponent(Text, &Owner));
  auto& Item1 = dynamic_cast<TItem&>(*F.FindComponent("Item1"));
  auto& Query1 = dynamic_cast<TItem&>(*F.FindComponent("Query1"));
  EXPECT_EQ(F.DataSet, &F);
  EXPECT_EQ(Item1.DataSet, &Query1);
  ASSERT_TRUE(Query1.OnApply);
  Query1.OnApply.Code(nullptr);
  F.OnApply.Code(nullptr);
  EXPECT_EQ(F.Applied, 2);
  EXPECT_EQ(Query1.LoadedCount, 1);
  EXPECT_FALSE(Item1.SetOutsideLoading);
  EXPECT_EQ(ComponentToText(F), Text);

  // A second instance under the same owner gets a name of its own; a stream of two
  // forms reads one after the other.
  TMemoryStream Stream;
  WriteComponentText(Stream, F);
  WriteComponentText(Stream, F);
  Stream.SetPosition(0);
  EXPECT_EQ(ReadComponentText(Stream, &Owner)->Name(), "Form1_1");
  EXPECT_EQ(ReadComponentText(Stream, &Owner)->Name(), "Form1_2");
  EXPECT_EQ(Owner.ComponentCount(), 3);
}

TEST(FilerRead, MalformedFileNamesTheLineAndLeavesNothing) {
  struct Row {
    const char* Name;
    std::string Text;
    std::string Message;  // the start of the message
    bool RootOnly = false;
  } Rows[] = {
      {"unknown property", Head("  Count = 1\r\n  Colour = 2\r\n"), "Line 3: Property Colour does not exist"},
      {"bad boolean", Head("  Flag = Maybe\r\n"), "Line 2: Invalid boolean value"},
      {"unknown element", Head("  Kind = ckFourth\r\n"), "Line 2: Unknown element ckFourth"},
      {"unknown set element", Head("  Options = [opA, opZ]\r\n"), "Line 2: Unknown element opZ"},
      {"unterminated object", "object Form1: TForm\r\n  object A: TItem\r\n  end\r\n", "Line 3: Unexpected end of file"},
      {"odd hex", Head("  Data = {\r\n    0F1}\r\n"), "Line 3: Odd number of hexadecimal digits"},
      {"bad hex digit", Head("  Data = {\r\n    0F\r\n    1G}\r\n"), "Line 4: Invalid hexadecimal digit 'G'"},
      {"unknown class", Head("  object A: TItem\r\n  end\r\n  object B: TNoSuch\r\n  end\r\n"), "Line 4: Class TNoSuch not found"},
      {"unknown handler", Head("  object A: TItem\r\n    OnApply = NoSuch\r\n  end\r\n"), "Line 3: Method NoSuch not found"},
      {"handler of another type", Head("  OnApply = WrongType\r\n"), "Line 2: Setting Form1.OnApply"},
      {"unknown component", Head("  object A: TItem\r\n    DataSet = Nobody\r\n  end\r\n"), "Line 3: Component Nobody not found"},
      {"setter throws", Head("\r\n  Limit = 101\r\n"), "Line 3: Setting Form1.Limit: Limit above 100"},
      {"out of range for int", Head("  Count = 4294967296\r\n"), "Line 2: Setting Form1.Count"},
      {"int64 overflow", Head("  Count = 9223372036854775808\r\n"), "Line 2: Integer out of range"},
      {"unterminated string", Head("  Caption = 'abc\r\n"), "Line 2: Unterminated string"},
      {"binary where text", Head("  Note = {00}\r\n"), "Line 2: String expected"},
      {"missing inherited", Head("  inherited A: TItem\r\n  end\r\n"), "Line 2: Inherited component A not found"},
      {"duplicate name", Head("  object A: TItem\r\n  end\r\n  object a: TItem\r\n  end\r\n"), "Line 4: Duplicate component name a"},
      {"wrong root class", "object Form1: TItem\r\nend\r\n", "Line 1: Class TItem does not match", true},
      {"text after end", Head("") + "x", "Line 3: End of file expected"},
  };
  for (const Row& R : Rows) {
    for (bool IntoRoot : {false, true}) {
      if (R.RootOnly && !IntoRoot) continue;
      SCOPED_TRACE(std::string(R.Name) + (IntoRoot ? " into a root" : " creating the root"));
      const int Live = TItem::Live;
      TComponent Owner(nullptr);
      TForm Root(nullptr);
      auto* Kept = new TItem(&Root);  // existed before the read: must survive it
      Kept->SetName("Kept");
      try {
        TextToComponent(R.Text, &Owner, IntoRoot ? &Root : nullptr);
        ADD_FAILURE() << "no error";
        continue;
      } catch (const EParserError& E) {
        EXPECT_EQ(std::string(E.what()).rfind(R.Message, 0), 0u) << E.what();
      }
      EXPECT_EQ(Owner.ComponentCount(), 0);
      EXPECT_EQ(Root.ComponentCount(), 1);
      EXPECT_FALSE(Root.InState(csLoading));
      EXPECT_EQ(TItem::Live, Live + 2);
    }
  }
}

}  // namespace
