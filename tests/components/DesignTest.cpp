// The design-time side of the components: registration on the palette, the property
// editor of FilterFieldDefs with the real field-definitions dialog off-screen, and the
// field-definitions dialog opened from a component.
#include <cstring>

#include "components/kytFilterDesign.h"
#include "fielddefs/kytFieldDef.h"
#include "tests/components/ComponentFixture.h"

namespace comptest {
namespace {

using kytFieldDef::formFDefs;
using kytSQLFilterStruc::Campos;

void RegisterAll() {
  kytIBOFilter::Register();
  kytIBDFilter::Register();
  kytBDEFilter::Register();
}

// Queues a script for the next field-definitions dialog; it ends with OK or Cancel.
void OnFieldDefs(std::function<void(kytFieldDef::TformFDefs&)> Body, bool Accept) {
  ScriptedHost().Modal.push_back([Body, Accept](Forms::TForm& Form) {
    auto& dialog = dynamic_cast<kytFieldDef::TformFDefs&>(Form);
    Body(dialog);
    (Accept ? dialog.BitBtn1 : dialog.BitBtn2)->Click();
  });
}

std::vector<std::string> AllowedTexts(const kytFieldDef::TformFDefs& Dialog) {
  std::vector<std::string> out;
  for (int i = 0; i < Dialog.fieldList->Items()->Count(); ++i) out.push_back(Dialog.fieldList->Items()->Get(i));
  return out;
}

// The image of ACampos written byte by byte here, from the record layout: the marker
// 9999 and the count (32-bit little-endian), then per entry FieldName (a 32-bit length
// and the bytes), ComboOrder, TableName, DataType (one byte), MaxSize, FieldKind (one
// byte), Description, Supported and Visible (one byte each).
std::vector<uint8_t> HandWrittenImage(const kytSQLFilterStruc::TCampos& ACampos) {
  std::vector<uint8_t> out;
  auto int32 = [&](int32_t V) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(V) >> (8 * i)));
  };
  auto text = [&](const std::string& S) {
    int32(static_cast<int32_t>(S.size()));
    out.insert(out.end(), S.begin(), S.end());
  };
  int32(9999);
  int32(ACampos.Count());
  for (int i = 0; i < ACampos.Count(); ++i) {
    const kytSQLFilterStruc::TCampo& c = *ACampos.Get(i);
    text(c.FieldName);
    int32(c.ComboOrder);
    text(c.TableName);
    out.push_back(static_cast<uint8_t>(c.DataType));
    int32(c.MaxSize);
    out.push_back(static_cast<uint8_t>(c.FieldKind));
    text(c.Description);
    out.push_back(c.Supported ? 1 : 0);
    out.push_back(c.Visible ? 1 : 0);
  }
  return out;
}

TEST(FilterDesign, PalettePagesBitmapsAndEditors) {
  RegisterAll();
  struct Row {
    const char* Page;
    const char* Class;
  };
  const Row rows[] = {{"IB Controls", "TkytIBOFilter"}, {"IB Controls", "TkytIBDFilter"}, {"Data Controls", "TkytBDEFilter"}};
  DesignIntf::TCountingDesigner designer;
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Class);
    bool found = false;
    for (const DesignIntf::TPaletteEntry& entry : DesignIntf::PaletteClasses(row.Page)) {
      if (entry.ClassName != row.Class) continue;
      found = true;
      ASSERT_NE(entry.Bitmap, nullptr);
      const std::vector<uint8_t>& bmp = *entry.Bitmap;
      ASSERT_EQ(bmp.size(), 392u);
      int32_t header[3];
      std::memcpy(header, bmp.data(), sizeof header);
      EXPECT_EQ(header[0], 40);  // header size
      EXPECT_EQ(header[1], 24);  // width
      EXPECT_EQ(header[2], 24);  // height
      EXPECT_EQ(bmp[14], 4);     // bits per pixel
      EXPECT_EQ(bmp[16], 0);     // uncompressed
    }
    EXPECT_TRUE(found);

    std::unique_ptr<Classes::TComponent> component(TypInfo::FindClass(row.Class)->Create(nullptr));
    auto editor = DesignIntf::CreatePropertyEditor(designer, *component, "FilterFieldDefs");
    ASSERT_TRUE(editor);
    EXPECT_TRUE(editor->GetAttributes().Contains(DesignIntf::TPropertyAttribute::paDialog));
    EXPECT_EQ(editor->GetValue(), "Fields Defs");
    EXPECT_FALSE(DesignIntf::CreatePropertyEditor(designer, *component, "Caption")) << "no editor for others";
  }
  // Each variant has its own colour, so the three pictures differ.
  EXPECT_NE(*DesignIntf::FindBitmap("TKYTIBOFILTER"), *DesignIntf::FindBitmap("TKYTBDEFILTER"));
  EXPECT_NE(*DesignIntf::FindBitmap("TKYTIBOFILTER"), *DesignIntf::FindBitmap("TKYTIBDFILTER"));
}

template <class K>
class FieldDefsEditorTest : public FilterTest<K> {
 protected:
  void SetUp() override {
    FilterTest<K>::SetUp();
    RegisterAll();
    editor = DesignIntf::CreatePropertyEditor(designer, *this->filter, "FilterFieldDefs");
    ASSERT_TRUE(editor);
  }
  DesignIntf::TCountingDesigner designer;
  std::unique_ptr<DesignIntf::TPropertyEditor> editor;
};
TYPED_TEST_SUITE(FieldDefsEditorTest, AllKinds, KindNames);

TYPED_TEST(FieldDefsEditorTest, WithoutDataSetNothingHappens) {
  this->filter->SetDataSet(nullptr);
  this->editor->Edit();
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"You must set the Dataset !"});
  EXPECT_TRUE(this->filter->Empty());
  EXPECT_EQ(ScriptedHost().ModalShown, 0);
  EXPECT_EQ(this->designer.ModifiedCount(), 0);
}

TYPED_TEST(FieldDefsEditorTest, AcceptedEditBecomesTheImageAndTheFilterDialogsFields) {
  // Allow only TOTAL and NAME, NAME first, described anew; the catalogue is built from
  // the query (ID, TOTAL, NAME selected, the tables' other columns not allowed).
  std::vector<std::string> shown;
  OnFieldDefs(
      [&](kytFieldDef::TformFDefs& Dialog) {
        shown = AllowedTexts(Dialog);
        Dialog.fieldList->SetItemIndex(0);  // ID
        Dialog.fieldList->KeyUp(StdCtrls::VK_DELETE, 0);
        Dialog.fieldList->SetItemIndex(1);  // NAME onto TOTAL: first
        Dialog.fieldList->DropFrom(Dialog.fieldList, 5, Dialog.fieldList->visualItemRect(Dialog.fieldList->item(0)).center().y());
        Dialog.edFieldDesc->SetText("Customer");
        Dialog.edFieldDesc->DoExit();
      },
      true);
  this->editor->Edit();
  EXPECT_EQ(shown.size(), 3u);
  EXPECT_EQ(this->designer.ModifiedCount(), 1);
  EXPECT_EQ(kytFieldDef::DataRefresh.Data, this->filter) << "the refresh stays bound to the edited component";

  // The image: 0F 27 00 00, the count, then the records of the catalogue in order.
  const std::vector<uint8_t>& image = this->filter->FieldDefsData();
  ASSERT_GE(image.size(), 8u);
  EXPECT_EQ(std::vector<uint8_t>(image.begin(), image.begin() + 4), (std::vector<uint8_t>{0x0F, 0x27, 0x00, 0x00}));
  int32_t count = 0;
  std::memcpy(&count, image.data() + 4, 4);
  ASSERT_EQ(count, Campos->Count());
  EXPECT_EQ(HandWrittenImage(*Campos), image);

  // A fresh catalogue from the image: the filter dialog offers exactly the allowed
  // fields, in the chosen order, with the new description.
  delete Campos;
  Campos = nullptr;
  std::vector<std::string> offered;
  OnNextDialog(
      [&](TformFilter& Form) {
        for (int i = 0; i < Form.eCampo1->Items()->Count(); ++i) offered.push_back(Form.eCampo1->Items()->Get(i));
      },
      false);
  this->filter->Execute();
  EXPECT_EQ(offered, (std::vector<std::string>{"Customer", "TOTAL"}));
}

// Two filters on one form over different statements: whichever order the designer's
// editor and Execute visit them in, each offers its own query's fields, and accepting
// the second one's field definitions stores its own catalogue.
TYPED_TEST(FieldDefsEditorTest, EachFilterOfAFormOffersItsOwnFields) {
  auto* other = new typename TestFixture::TFilter(this->owner.get());
  other->SetDataSet(this->NewQuery("SELECT ID, CITY FROM CUSTOMER"));
  auto otherEditor = DesignIntf::CreatePropertyEditor(this->designer, *other, "FilterFieldDefs");
  ASSERT_TRUE(otherEditor);

  std::vector<std::string> shown;
  const auto remember = [&](kytFieldDef::TformFDefs& Dialog) { shown = AllowedTexts(Dialog); };
  const auto offered = [&](typename TestFixture::TFilter& Filter) {
    std::vector<std::string> names;
    OnNextDialog(
        [&](TformFilter& Form) {
          for (int i = 0; i < Form.eCampo1->Items()->Count(); ++i) names.push_back(Form.eCampo1->Items()->Get(i));
        },
        false);
    Filter.Execute();
    return names;
  };
  const std::vector<std::string> mine = {"ID", "TOTAL", "NAME"}, its = {"ID", "CITY"};

  OnFieldDefs(remember, true);
  this->editor->Edit();
  EXPECT_EQ(shown, mine);
  OnFieldDefs(remember, true);
  otherEditor->Edit();
  EXPECT_EQ(shown, its) << "the editor showed the other filter's catalogue";
  EXPECT_EQ(HandWrittenImage(*Campos), other->FieldDefsData());
  EXPECT_EQ(offered(*this->filter), mine);
  EXPECT_EQ(offered(*other), its);
  EXPECT_EQ(offered(*this->filter), mine);
}

TYPED_TEST(FieldDefsEditorTest, CancelRestoresTheCatalogueEntryByEntry) {
  this->filter->InitCamposData(Campos, false);
  const int entries = Campos->Count();
  std::vector<std::string> before;
  for (int i = 0; i < entries; ++i)
    before.push_back(Campos->Get(i)->Description + "/" + std::to_string(Campos->Get(i)->Visible) + "/" +
                     std::to_string(Campos->Get(i)->ComboOrder));
  OnFieldDefs(
      [](kytFieldDef::TformFDefs& Dialog) {
        Dialog.fieldList->SetItemIndex(0);
        Dialog.edFieldDesc->SetText("changed");
        Dialog.edFieldDesc->DoExit();
        Dialog.fieldList->KeyUp(StdCtrls::VK_DELETE, 0);
      },
      false);
  this->editor->Edit();
  ASSERT_EQ(Campos->Count(), entries);
  for (int i = 0; i < entries; ++i)
    EXPECT_EQ(Campos->Get(i)->Description + "/" + std::to_string(Campos->Get(i)->Visible) + "/" +
                  std::to_string(Campos->Get(i)->ComboOrder),
              before[i])
        << i;
  EXPECT_TRUE(this->filter->Empty());
  EXPECT_EQ(this->designer.ModifiedCount(), 0);
}

TYPED_TEST(FieldDefsEditorTest, RefreshActsOnTheEditedComponentAndIsUnboundWhenItGoes) {
  this->filter->InitCamposData(Campos, false);
  for (int i = 0; i < Campos->Count(); ++i) Campos->Get(i)->Description = "old";
  std::vector<std::string> before, after;
  OnFieldDefs(
      [&](kytFieldDef::TformFDefs& Dialog) {
        before = AllowedTexts(Dialog);
        Dialog.ckb2->SetChecked(true);  // descriptions, from the query again
        Dialog.BitBtn3->Click();
        after = AllowedTexts(Dialog);
      },
      false);
  this->editor->Edit();
  EXPECT_EQ(before, (std::vector<std::string>{"old", "old", "old"}));
  EXPECT_EQ(after, (std::vector<std::string>{"ID", "TOTAL", "NAME"}));
  EXPECT_EQ(kytFieldDef::DataRefresh.Data, this->filter);

  // CallFieldDefs: the catalogue as it is, the refresh bound to the caller meanwhile.
  int seen = -1;
  ScriptedHost().Modal.push_back([&](Forms::TForm&) {
    seen = formFDefs->fieldList->Items()->Count();
    EXPECT_EQ(kytFieldDef::DataRefresh.Data, this->filter);
  });
  this->filter->CallFieldDefs();
  EXPECT_GT(seen, 0);

  delete this->filter;
  this->filter = nullptr;
  EXPECT_FALSE(kytFieldDef::DataRefresh) << "no callback of a destroyed component stays bound";
}

}  // namespace
}  // namespace comptest
