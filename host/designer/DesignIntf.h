// The form designer's side of the host: component palette registration by page,
// property editors registered by property type, the property editor base class, the
// designer's "form modified" notice, and the registry a designer host reads back.
//
// Component units call RegisterComponents and RegisterPropertyEditor from their Register
// procedure; a designer host (the demo, the command line, kytdesign) asks the registry
// which pages and classes there are and which editor edits a property. Registrations
// made while a module is being loaded carry that module, so unloading it takes them all
// away again. The registry is process-wide; user-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <typeindex>
#include <typeinfo>
#include <vector>

#include "host/rtl/Classes.h"
#include "host/rtl/TypInfo.h"

namespace DesignIntf {

// ---- The designer ----------------------------------------------------------------------

// What a property editor may tell the form designer. A host implements it.
class TDesigner {
 public:
  virtual ~TDesigner() = default;
  // The form was changed by an editor and must be saved.
  virtual void Modified() = 0;
};

// A designer that only counts the notices: for hosts without a form of their own, and
// for tests.
class TCountingDesigner : public TDesigner {
 public:
  void Modified() override { ++FModifiedCount; }
  int ModifiedCount() const { return FModifiedCount; }

 private:
  int FModifiedCount = 0;
};

// ---- Property editors ------------------------------------------------------------------

enum class TPropertyAttribute : uint8_t {
  paValueList,
  paSubProperties,
  paDialog,  // the value is edited through a dialog: the inspector shows "..." for Edit
  paMultiSelect,
  paAutoUpdate,
  paSortList,
  paReadOnly,
  paRevertable,
};

// A set of attributes; element n is bit n.
class TPropertyAttributes {
 public:
  TPropertyAttributes() = default;
  TPropertyAttributes(std::initializer_list<TPropertyAttribute> Elements) {
    for (TPropertyAttribute a : Elements) FBits |= Bit(a);
  }
  bool Contains(TPropertyAttribute A) const { return (FBits & Bit(A)) != 0; }
  bool operator==(const TPropertyAttributes&) const = default;

 private:
  static uint32_t Bit(TPropertyAttribute A) { return 1u << static_cast<unsigned>(A); }
  uint32_t FBits = 0;
};

// Edits one published property of one component in the designer. The editor lives
// while the inspector shows the property; it keeps nothing between calls of its own.
class TPropertyEditor {
 public:
  // The component and the property must outlive the editor; neither is owned.
  TPropertyEditor(TDesigner& Designer, Classes::TPersistent& Component, const TypInfo::TPropInfo& Prop)
      : FDesigner(Designer), FComponent(Component), FProp(Prop) {}
  virtual ~TPropertyEditor() = default;
  TPropertyEditor(const TPropertyEditor&) = delete;
  TPropertyEditor& operator=(const TPropertyEditor&) = delete;

  // Runs the editor's dialog. The default does nothing.
  virtual void Edit() {}
  // How the inspector offers the property. The default: none.
  virtual TPropertyAttributes GetAttributes() const { return {}; }
  // The text the inspector shows. The default: the property's value as text (strings,
  // characters and numbers; "" for other kinds).
  virtual std::string GetValue() const;

  // The edited component (Index 0: a designer here edits one component at a time).
  // Raises Classes::EListError for another index.
  Classes::TPersistent* GetComponent(int Index) const;
  const TypInfo::TPropInfo& Prop() const { return FProp; }
  TDesigner& Designer() const { return FDesigner; }
  // Tells the designer that the form changed.
  void Modified() { FDesigner.Modified(); }

 private:
  TDesigner& FDesigner;
  Classes::TPersistent& FComponent;
  const TypInfo::TPropInfo& FProp;
};

// Makes an editor for a component's property.
using TPropertyEditorClass = std::function<std::unique_ptr<TPropertyEditor>(
    TDesigner& Designer, Classes::TPersistent& Component, const TypInfo::TPropInfo& Prop)>;

// The editor class E (constructed like TPropertyEditor) as a TPropertyEditorClass.
template <class E>
TPropertyEditorClass EditorClass() {
  return [](TDesigner& D, Classes::TPersistent& C, const TypInfo::TPropInfo& P) {
    return std::unique_ptr<TPropertyEditor>(std::make_unique<E>(D, C, P));
  };
}

// ---- Registration ----------------------------------------------------------------------

// Who registered something: 0 the program itself, else a loaded module's tag (the same
// tags as the form-file class registry's).
using TModuleId = TypInfo::TModuleId;

// Puts the classes (registered with TypInfo::RegisterClass, by name) on the palette
// page Page, after those already there; a class already on the palette moves to the
// end of Page. An empty page name or an unknown class raises SysUtils::Exception and
// registers nothing of the call.
void RegisterComponents(const std::string& Page, const std::vector<std::string>& ClassNames);

// Attaches Editor to every published property declared with type PropertyType
// (TPropInfo::Type), restricted to components of class ComponentClass or a descendant
// ("" for any class) and to properties named PropertyName ("" for any name). A later
// registration that matches wins over an earlier one.
void RegisterPropertyEditor(const std::type_info& PropertyType, const std::string& ComponentClass,
                            const std::string& PropertyName, TPropertyEditorClass Editor);

// A palette bitmap (a device-independent bitmap as stored in a module's resources),
// found by name without regard to letter case; the palette shows a class with the
// bitmap named after it in upper case. Registering a name again replaces it.
void RegisterBitmap(const std::string& Name, std::vector<uint8_t> Bytes);
// The bytes of the bitmap Name, or null when there is none. Valid until it is
// registered again or its module is unloaded.
const std::vector<uint8_t>* FindBitmap(const std::string& Name);

// Registrations made from now on belong to Module (0: the program). Returns the one
// that was current, so a loader can put it back.
TModuleId SetRegisteringModule(TModuleId Module);
// Removes every palette entry, editor and bitmap that Module registered.
void UnregisterModule(TModuleId Module);

// ---- The registry, as a designer host reads it ----------------------------------------

struct TPaletteEntry {
  std::string ClassName;
  const std::vector<uint8_t>* Bitmap;  // null when the class has none
};

// The palette pages in the order of their first registration.
std::vector<std::string> PalettePages();
// The classes of Page in palette order; empty for an unknown page.
std::vector<TPaletteEntry> PaletteClasses(const std::string& Page);

// An editor for the published property PropertyName of Component (its class from
// ClassName(), looked up in TypInfo), made by the last matching registration; null when
// the class has no such property or no editor matches it.
std::unique_ptr<TPropertyEditor> CreatePropertyEditor(TDesigner& Designer, Classes::TPersistent& Component,
                                                      const std::string& PropertyName);

}  // namespace DesignIntf
