// The design-time side of the filter components, written once for the three units: the
// property editor of FilterFieldDefs, the field-definitions dialog opened from a
// component, the palette bitmaps and the registration each unit's Register performs.
//
// Design time runs on the user-interface thread only, like the dialogs it opens.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <type_traits>
#include <typeinfo>
#include <utility>

#include "components/kytFilterBase.h"
#include "host/designer/DesignIntf.h"

namespace kytFilterDesign {

// Edits the field definitions of Filter with the field-definitions dialog and, when the
// developer accepts, stores the edited catalogue as Filter's image and tells Designer
// that the form changed. Without a DataSet: message "You must set the Dataset !" and
// nothing else. The catalogue is built first when Campos is empty (from the image, else
// the query; its failures are reported as construction reports them and end the edit).
// On Cancel Campos gets back, entry by entry, what it held when the dialog opened. While
// the dialog is open, its refresh acts on Filter. Returns the dialog's result, or 0 when
// it was not shown.
int EditFieldDefs(kytFilterBase::TkytCustomFilter& Filter, DesignIntf::TDesigner& Designer);

// Shows the field-definitions dialog on the shared catalogue as it is: nothing is built,
// nothing stored. A refresh asked for meanwhile acts on Filter; the refresh bound before
// is bound again afterwards.
void CallFieldDefs(kytFilterBase::TkytCustomFilter& Filter);

// The property editor of FilterFieldDefs for filter class F: a dialog attribute, the
// value "Fields Defs", and Edit as EditFieldDefs. A component of another class is left
// alone.
template <class F>
class TFieldDefsEditor : public DesignIntf::TPropertyEditor {
 public:
  using DesignIntf::TPropertyEditor::TPropertyEditor;
  void Edit() override {
    if (auto* filter = dynamic_cast<F*>(GetComponent(0))) EditFieldDefs(*filter, Designer());
  }
  DesignIntf::TPropertyAttributes GetAttributes() const override {
    return {DesignIntf::TPropertyAttribute::paDialog};
  }
  std::string GetValue() const override { return "Fields Defs"; }
};

// A palette bitmap: a device-independent bitmap of 24 x 24 pixels, 4 bits per pixel, a
// 16-entry colour table, uncompressed (a 40-byte header, 64 bytes of colours, 288 bytes
// of pixels, bottom row first). Funnel is the funnel's colour as 0x00RRGGBB.
using TPaletteBitmap = std::array<uint8_t, 392>;
TPaletteBitmap MakePaletteBitmap(uint32_t Funnel);

// What each unit's Register does: puts class ClassName on the palette page Page with
// its bitmap (named after the class in upper case), and attaches Editor to every
// property of type PropertyType.
void RegisterFilter(const std::string& Page, const std::string& ClassName, uint32_t FunnelColour,
                    const std::type_info& PropertyType, DesignIntf::TPropertyEditorClass Editor);

// The same for filter class F (registered for form files under ClassName) and its unit's
// editor class TEditor, attached to the type of F's FilterFieldDefs property.
template <class F, class TEditor>
void RegisterFilter(const std::string& Page, const std::string& ClassName, uint32_t FunnelColour) {
  using TDefs = std::decay_t<decltype(std::declval<const F&>().FilterFieldDefs())>;
  RegisterFilter(Page, ClassName, FunnelColour, typeid(TDefs), DesignIntf::EditorClass<TEditor>());
}

}  // namespace kytFilterDesign
