#include "host/designer/DesignIntf.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "host/rtl/SysUtils.h"

namespace DesignIntf {

namespace {

struct TPaletteItem {
  std::string Page;
  std::string ClassName;
  TModuleId Module;
};

struct TEditorItem {
  std::type_index Type;
  std::string ComponentClass;  // "" any
  std::string PropertyName;    // "" any
  TPropertyEditorClass Editor;
  TModuleId Module;
};

struct TBitmapItem {
  std::vector<uint8_t> Bytes;
  TModuleId Module;
};

struct TRegistry {
  std::vector<std::string> Pages;  // order of first registration
  std::vector<TPaletteItem> Palette;
  std::vector<TEditorItem> Editors;
  std::map<std::string, TBitmapItem> Bitmaps;  // by upper-cased name
  TModuleId Current = 0;
};

TRegistry& Registry() {
  static TRegistry registry;
  return registry;
}

bool SameText(const std::string& A, const std::string& B) {
  return SysUtils::UpperCase(A) == SysUtils::UpperCase(B);
}

// True when ClassName is Ancestor or descends from it in the class registry.
bool InheritsFrom(const std::string& ClassName, const std::string& Ancestor) {
  std::set<std::string> seen;
  for (std::string name = ClassName; !name.empty();) {
    if (SameText(name, Ancestor)) return true;
    if (!seen.insert(SysUtils::UpperCase(name)).second) return false;
    const TypInfo::TClassInfo* info = TypInfo::FindClass(name);
    if (!info) return false;
    name = info->ParentName;
  }
  return false;
}

// Drops pages that no palette entry is on any more.
void DropEmptyPages(TRegistry& R) {
  std::erase_if(R.Pages, [&](const std::string& Page) {
    return std::none_of(R.Palette.begin(), R.Palette.end(), [&](const TPaletteItem& I) { return I.Page == Page; });
  });
}

}  // namespace

// ---- TPropertyEditor ----------------------------------------------------------------------

std::string TPropertyEditor::GetValue() const {
  if (!FProp.Get) return std::string();
  const TypInfo::TPropValue value = FProp.Get(FComponent);
  switch (value.Kind) {
    case TypInfo::TTypeKind::tkString:
    case TypInfo::TTypeKind::tkChar:
      return value.Str;
    case TypInfo::TTypeKind::tkInteger:
      return std::to_string(value.Int);
    default:
      return std::string();
  }
}

Classes::TPersistent* TPropertyEditor::GetComponent(int Index) const {
  if (Index != 0) throw Classes::EListError("List index out of bounds (" + SysUtils::IntToStr(Index) + ")");
  return &FComponent;
}

// ---- Registration ----------------------------------------------------------------------------

void RegisterComponents(const std::string& Page, const std::vector<std::string>& ClassNames) {
  if (Page.empty()) throw SysUtils::Exception("A palette page needs a name");
  for (const std::string& name : ClassNames)
    if (!TypInfo::FindClass(name)) throw SysUtils::Exception("Class " + name + " not found");

  TRegistry& r = Registry();
  for (const std::string& name : ClassNames) {
    std::erase_if(r.Palette, [&](const TPaletteItem& I) { return SameText(I.ClassName, name); });
    r.Palette.push_back({Page, TypInfo::FindClass(name)->ClassName, r.Current});
  }
  if (std::find(r.Pages.begin(), r.Pages.end(), Page) == r.Pages.end()) r.Pages.push_back(Page);
  DropEmptyPages(r);
}

void RegisterPropertyEditor(const std::type_info& PropertyType, const std::string& ComponentClass,
                            const std::string& PropertyName, TPropertyEditorClass Editor) {
  TRegistry& r = Registry();
  r.Editors.push_back({std::type_index(PropertyType), ComponentClass, PropertyName, std::move(Editor), r.Current});
}

void RegisterBitmap(const std::string& Name, std::vector<uint8_t> Bytes) {
  TRegistry& r = Registry();
  r.Bitmaps[SysUtils::UpperCase(Name)] = {std::move(Bytes), r.Current};
}

const std::vector<uint8_t>* FindBitmap(const std::string& Name) {
  TRegistry& r = Registry();
  const auto found = r.Bitmaps.find(SysUtils::UpperCase(Name));
  return found == r.Bitmaps.end() ? nullptr : &found->second.Bytes;
}

TModuleId SetRegisteringModule(TModuleId Module) { return std::exchange(Registry().Current, Module); }

void UnregisterModule(TModuleId Module) {
  TRegistry& r = Registry();
  std::erase_if(r.Palette, [&](const TPaletteItem& I) { return I.Module == Module; });
  std::erase_if(r.Editors, [&](const TEditorItem& I) { return I.Module == Module; });
  std::erase_if(r.Bitmaps, [&](const auto& I) { return I.second.Module == Module; });
  DropEmptyPages(r);
}

// ---- Reading the registry -------------------------------------------------------------------

std::vector<std::string> PalettePages() { return Registry().Pages; }

std::vector<TPaletteEntry> PaletteClasses(const std::string& Page) {
  std::vector<TPaletteEntry> entries;
  for (const TPaletteItem& item : Registry().Palette)
    if (item.Page == Page) entries.push_back({item.ClassName, FindBitmap(item.ClassName)});
  return entries;
}

std::unique_ptr<TPropertyEditor> CreatePropertyEditor(TDesigner& Designer, Classes::TPersistent& Component,
                                                      const std::string& PropertyName) {
  const std::string className = Component.ClassName();
  const TypInfo::TPropInfo* prop = TypInfo::GetPropInfo(className, PropertyName);
  if (!prop || !prop->Type) return nullptr;
  const std::vector<TEditorItem>& editors = Registry().Editors;
  for (auto it = editors.rbegin(); it != editors.rend(); ++it) {
    if (it->Type != std::type_index(*prop->Type)) continue;
    if (!it->ComponentClass.empty() && !InheritsFrom(className, it->ComponentClass)) continue;
    if (!it->PropertyName.empty() && !SameText(it->PropertyName, prop->Name)) continue;
    return it->Editor(Designer, Component, *prop);
  }
  return nullptr;
}

}  // namespace DesignIntf
