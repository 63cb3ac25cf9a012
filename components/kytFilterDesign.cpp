#include "components/kytFilterDesign.h"

#include <memory>
#include <vector>

#include "fielddefs/kytFieldDef.h"
#include "filtermodel/kytSQLFilterRes.h"
#include "host/rtl/SysUtils.h"
#include "host/ui/Dialogs.h"

namespace kytFilterDesign {

using kytFilterBase::TkytCustomFilter;
using kytSQLFilterStruc::Campos;
using kytSQLFilterStruc::TCampo;
using kytSQLFilterStruc::TCampos;

namespace {

// Copies of the entries of From, in order (each made with Assign).
std::unique_ptr<TCampos> CopyOf(const TCampos* From) {
  auto copy = std::make_unique<TCampos>();
  if (From)
    for (int i = 0; i < From->Count(); ++i) {
      auto entry = std::make_unique<TCampo>();
      entry->Assign(From->Get(i));
      copy->Add(entry.release());
    }
  return copy;
}

// Filter's RefreshData as the bound method the field-definitions dialog calls.
kytSQLFilterStruc::TRefreshData RefreshOf(TkytCustomFilter& Filter) {
  return {&Filter, [&Filter](kytSQLFilterStruc::TRefreshTypeS Kinds) { Filter.RefreshData(Kinds); }};
}

// Binds the field-definitions dialog's refresh to Filter for as long as it lives, and
// puts back what was bound before.
class TRefreshBinding {
 public:
  explicit TRefreshBinding(TkytCustomFilter& Filter) : FPrevious(kytFieldDef::DataRefresh) {
    kytFieldDef::DataRefresh = RefreshOf(Filter);
  }
  ~TRefreshBinding() { kytFieldDef::DataRefresh = FPrevious; }
  TRefreshBinding(const TRefreshBinding&) = delete;
  TRefreshBinding& operator=(const TRefreshBinding&) = delete;

 private:
  kytSQLFilterStruc::TRefreshData FPrevious;
};

}  // namespace

int EditFieldDefs(TkytCustomFilter& Filter, DesignIntf::TDesigner& Designer) {
  if (!Filter.DataSetComponent()) {
    Dialogs::ShowMessage(kytSQLFilterRes::Text(kytSQLFilterRes::sMustSetDataset));
    return 0;
  }
  Filter.InitCamposData(Campos, false);
  const std::unique_ptr<TCampos> backup = CopyOf(Campos);

  // The refresh stays bound to the edited component afterwards; its destructor unbinds.
  kytFieldDef::DataRefresh = RefreshOf(Filter);
  const int result = kytFieldDef::ShowFieldDefs();
  if (result == Dialogs::mrOk) {
    Classes::TMemoryStream image;
    const TCampos none;
    kytFilterBase::WriteFieldDefs(Campos ? *Campos : none, image);
    Filter.LoadFromStream(image);
    Designer.Modified();
  } else {
    std::unique_ptr<TCampos> restored = CopyOf(backup.get());
    restored->BuiltFor = &Filter;
    delete Campos;
    Campos = restored.release();
  }
  return result;
}

void CallFieldDefs(TkytCustomFilter& Filter) {
  TRefreshBinding binding(Filter);
  kytFieldDef::ShowFieldDefs();
}

// ---- Palette bitmaps ------------------------------------------------------------------------

namespace {

// A funnel over a small grid. '.' is the background (the palette takes the bottom-left
// pixel's colour as transparent), 'k' the outline, 'F' the funnel, 'g' the grid's lines
// and 'w' its cells.
const char* const kArt[24] = {
    "........................", ".kkkkkkkkkkkkkkkkkkkkkk.", ".kFFFFFFFFFFFFFFFFFFFFk.",
    "..kFFFFFFFFFFFFFFFFFFk..", "...kFFFFFFFFFFFFFFFFk...", "....kFFFFFFFFFFFFFFk....",
    ".....kFFFFFFFFFFFFk.....", "......kFFFFFFFFFFk......", ".......kFFFFFFFFk.......",
    "........kFFFFFFk........", ".........kFFFFk.........", ".........kFFFFk.........",
    ".ggggggggkFFFFkgggggggg.", ".gwwwwwwgkFFFFkwwwwwwwg.", ".gwwwwwwgkFFFFkwwwwwwwg.",
    ".ggggggggkFFFFkgggggggg.", ".gwwwwwwgwkkkkwgwwwwwwg.", ".gwwwwwwgwwwwwwgwwwwwwg.",
    ".gggggggggggggggggggggg.", ".gwwwwwwgwwwwwwgwwwwwwg.", ".gwwwwwwgwwwwwwgwwwwwwg.",
    ".gggggggggggggggggggggg.", "........................", "........................",
};

// The 16 colours, 0x00RRGGBB; entry 1 is the funnel's.
constexpr uint32_t kColours[16] = {0x000000, 0x000000, 0x008000, 0x808000, 0x000080, 0x800080,
                                   0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                   0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

uint8_t ColourIndex(char C) {
  switch (C) {
    case 'k': return 0;
    case 'F': return 1;
    case 'g': return 8;
    case 'w': return 15;
    default: return 7;  // background
  }
}

void PutLE(uint8_t* At, uint32_t Value, int Bytes) {
  for (int i = 0; i < Bytes; ++i) At[i] = static_cast<uint8_t>(Value >> (8 * i));
}

}  // namespace

TPaletteBitmap MakePaletteBitmap(uint32_t Funnel) {
  TPaletteBitmap bmp{};
  uint8_t* header = bmp.data();
  PutLE(header + 0, 40, 4);   // header size
  PutLE(header + 4, 24, 4);   // width
  PutLE(header + 8, 24, 4);   // height: positive, so the bottom row comes first
  PutLE(header + 12, 1, 2);   // planes
  PutLE(header + 14, 4, 2);   // bits per pixel
  PutLE(header + 16, 0, 4);   // no compression
  PutLE(header + 20, 288, 4); // size of the pixels
  PutLE(header + 32, 16, 4);  // colours used
  for (int i = 0; i < 16; ++i) {
    const uint32_t rgb = i == 1 ? Funnel : kColours[i];
    uint8_t* quad = bmp.data() + 40 + 4 * i;  // blue, green, red, 0
    quad[0] = static_cast<uint8_t>(rgb);
    quad[1] = static_cast<uint8_t>(rgb >> 8);
    quad[2] = static_cast<uint8_t>(rgb >> 16);
  }
  for (int row = 0; row < 24; ++row) {
    uint8_t* line = bmp.data() + 104 + 12 * (23 - row);  // 24 pixels of 4 bits: 12 bytes
    for (int x = 0; x < 24; x += 2)
      line[x / 2] = static_cast<uint8_t>(ColourIndex(kArt[row][x]) << 4 | ColourIndex(kArt[row][x + 1]));
  }
  return bmp;
}

void RegisterFilter(const std::string& Page, const std::string& ClassName, uint32_t FunnelColour,
                    const std::type_info& PropertyType, DesignIntf::TPropertyEditorClass Editor) {
  const TPaletteBitmap bmp = MakePaletteBitmap(FunnelColour);
  DesignIntf::RegisterBitmap(SysUtils::UpperCase(ClassName), std::vector<uint8_t>(bmp.begin(), bmp.end()));
  DesignIntf::RegisterComponents(Page, {ClassName});
  DesignIntf::RegisterPropertyEditor(PropertyType, "", "", std::move(Editor));
}

}  // namespace kytFilterDesign
