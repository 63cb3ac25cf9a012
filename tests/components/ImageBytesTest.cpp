// The stored forms of a filter component written out by hand: the field-definitions
// image byte by byte, and a component's form-file text line by line.
#include <cstring>

#include "dataaccess/bde/BDE_Register.h"
#include "tests/components/ComponentFixture.h"

namespace comptest {
namespace {

using namespace kytSQLFilterStruc;

// ---- The field-definitions image --------------------------------------------------------

void Int32LE(std::string& B, int32_t V) {
  const uint32_t u = static_cast<uint32_t>(V);
  for (int i = 0; i < 4; ++i) B += static_cast<char>((u >> (8 * i)) & 0xFF);
}

void Text(std::string& B, const std::string& S) {
  Int32LE(B, static_cast<int32_t>(S.size()));
  B += S;
}

struct Entry {
  const char* FieldName;
  int32_t ComboOrder;
  const char* TableName;
  TFType DataType;
  int32_t MaxSize;
  TFKind FieldKind;
  const char* Description;
  bool Supported, Visible;
};

TEST(FieldDefsImage, BytesWrittenByHandMatchWriteAndRead) {
  const Entry entries[] = {
      {"ID", 0, "T.", fInteger, 4, fkSelected, "Id", true, true},
      {"NAME", -2, "CUSTOMER.", fString, 40, fkNotInSelected, "Nom \xE9\x80", false, true},
      {"", 7, "", fBoolean, 0, fkJoined, "", true, false},
  };
  // The image by its layout: marker 9999, the count, then per entry its record.
  std::string hand("\x0F\x27\x00\x00", 4);
  Int32LE(hand, 3);
  std::vector<size_t> offsets;
  for (const Entry& e : entries) {
    offsets.push_back(hand.size());
    Text(hand, e.FieldName);
    Int32LE(hand, e.ComboOrder);
    Text(hand, e.TableName);
    hand += static_cast<char>(e.DataType);
    Int32LE(hand, e.MaxSize);
    hand += static_cast<char>(e.FieldKind);
    Text(hand, e.Description);
    hand += static_cast<char>(e.Supported ? 1 : 0);
    hand += static_cast<char>(e.Visible ? 1 : 0);
  }
  // A record is 24 bytes and its three texts.
  EXPECT_EQ(offsets, (std::vector<size_t>{8, 8 + 24 + 2 + 2 + 2, 8 + 30 + 24 + 4 + 9 + 6}));
  EXPECT_EQ(hand.size(), 8u + 30u + 43u + 24u);

  TCampos campos;
  for (const Entry& e : entries) {
    auto* c = new TCampo;
    c->FieldName = e.FieldName;
    c->ComboOrder = e.ComboOrder;
    c->TableName = e.TableName;
    c->DataType = e.DataType;
    c->MaxSize = e.MaxSize;
    c->FieldKind = e.FieldKind;
    c->Description = e.Description;
    c->Supported = e.Supported;
    c->Visible = e.Visible;
    campos.Add(c);
  }
  Classes::TMemoryStream written;
  kytFilterBase::WriteFieldDefs(campos, written);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(written.Memory()), static_cast<size_t>(written.Size())), hand);

  Classes::TMemoryStream in;
  in.WriteBuffer(hand.data(), static_cast<int64_t>(hand.size()));
  in.SetPosition(0);
  TCampos back;
  kytFilterBase::ReadFieldDefs(in, back);
  ASSERT_EQ(back.Count(), 3);
  EXPECT_EQ(in.Position(), in.Size());
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const Entry& e = entries[i];
    const TCampo& c = *back[i];
    EXPECT_EQ(c.FieldName, e.FieldName);
    EXPECT_EQ(c.ComboOrder, e.ComboOrder);
    EXPECT_EQ(c.TableName, e.TableName);
    EXPECT_EQ(c.DataType, e.DataType);
    EXPECT_EQ(c.MaxSize, e.MaxSize);
    EXPECT_EQ(c.FieldKind, e.FieldKind);
    EXPECT_EQ(c.Description, e.Description);
    EXPECT_EQ(c.Supported, e.Supported);
    EXPECT_EQ(c.Visible, e.Visible);
  }
}

// ---- The form-file text ---------------------------------------------------------------------

// A form that publishes the two handlers the filter names.
class TImageForm : public Classes::TComponent {
 public:
  using Classes::TComponent::TComponent;
  std::string ClassName() const override { return "TImageForm"; }
  std::any MethodAddress(const std::string& Name) const override {
    if (Name == "ApplyHandler") return std::function<void(std::string&)>([](std::string&) {});
    if (Name == "InitHandler") return std::function<void(FilterArray&)>([](FilterArray&) {});
    return {};
  }
};

// The lines of Text from the one that starts "  object Name" to its "  end".
std::string ObjectBlock(const std::string& Text, const std::string& Name) {
  const size_t begin = Text.find("  object " + Name + ":");
  if (begin == std::string::npos) return "";
  const size_t end = Text.find("\r\n  end\r\n", begin);
  return end == std::string::npos ? "" : Text.substr(begin, end + 9 - begin);
}

TEST(FilterFormText, PublishedPropertiesInTheirOrderThenTheImage) {
  TypInfo::RegisterClass({"TImageForm", "TComponent", [](Classes::TComponent* O) { return new TImageForm(O); }, {}});
  BDE_Register::RegisterClasses();
  kytBDEFilter::RegisterComponents();

  TImageForm form(nullptr);
  form.SetName("Form1");
  auto* query = new DBTables::TQuery(&form);
  query->SetName("Query1");
  auto* f = new kytBDEFilter::TkytBDEFilter(&form);
  f->SetName("Filter1");
  f->SetAllowAllFields(true);
  f->SetCaption("Find it's");
  f->SetCaseSensitive(true);
  f->SetAllowOrdering(false);
  Classes::TStringList fixed;
  fixed.SetText("T.A\r\nT.B\r\n");
  f->SetFixedOrder(&fixed);
  f->SetSQLDateFormat("yyyy-mm-dd");
  f->SetEditDateFormat("dd/mm/yyyy");
  f->SetSortFields(true);
  f->SetDataSet(query);
  Classes::TStringList constant;
  constant.SetText("T.A > 0\r\n");
  f->SetConstSQLWhere(&constant);
  f->SetStringQuotes('"');
  f->SetFilterDir("/filters");
  f->SetSpecialOperators({opContains});
  f->OnApplySQL = {"ApplyHandler", [](std::string&) {}};
  f->OnInitFilterData = {"InitHandler", [](FilterArray&) {}};
  TCampos campos;
  auto* id = new TCampo;
  id->FieldName = "ID";
  id->TableName = "T.";
  id->DataType = fInteger;
  id->MaxSize = 4;
  id->Description = "Id";
  id->Supported = id->Visible = true;
  campos.Add(id);
  Classes::TMemoryStream image;
  kytFilterBase::WriteFieldDefs(campos, image);
  f->LoadFromStream(image);

  // AllowAllFields, CaseSensitive and SortFields are never stored.
  const std::string expected =
      "  object Filter1: TkytBDEFilter\r\n"
      "    Caption = 'Find it''s'\r\n"
      "    AllowOrdering = False\r\n"
      "    FixedOrder.Strings = (\r\n"
      "      'T.A'\r\n"
      "      'T.B')\r\n"
      "    SQLDateFormat = 'yyyy-mm-dd'\r\n"
      "    EditDateFormat = 'dd/mm/yyyy'\r\n"
      "    DataSet = Query1\r\n"
      "    ConstSQLWhere.Strings = (\r\n"
      "      'T.A > 0')\r\n"
      "    StringQuotes = '\"'\r\n"
      "    FilterDir = '/filters'\r\n"
      "    SpecialOperators = [opContains]\r\n"
      "    OnApplySQL = ApplyHandler\r\n"
      "    OnInitFilterData = InitHandler\r\n"
      "    Data = {\r\n"
      "      0F270000010000000200000049440000000002000000542E0204000000000200\r\n"
      "      000049640101}\r\n"
      "  end\r\n";
  const std::string text = Classes::ComponentToText(form);
  EXPECT_EQ(ObjectBlock(text, "Filter1"), expected) << text;
}

}  // namespace
}  // namespace comptest
