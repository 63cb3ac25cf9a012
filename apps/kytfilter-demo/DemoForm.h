// The demo's form: a data module holding the query of each variant and the filter
// component linked to it, with their stored properties and field-definitions images.
// It is kept as a form file in the data folder, so that the field definitions the
// developer accepts survive a restart.
//
// The form file names the databases and the filter folder relative to the data folder,
// so the form follows the folder it lies in (the per-user one or --data-dir): an
// instance resolves them there. An absolute path, a server name ("host:path") and a
// registered database alias are used as they are.
//
// User-interface thread only.
#pragma once

#include <memory>
#include <string>

#include "apps/kytfilter-demo/DemoData.h"
#include "host/rtl/Classes.h"

namespace kytFilterBase {
class TkytCustomFilter;
}

namespace kytdemo {

class TDemoForm {
 public:
  // An empty form; Load fills it.
  TDemoForm();
  ~TDemoForm();
  TDemoForm(const TDemoForm&) = delete;
  TDemoForm& operator=(const TDemoForm&) = delete;

  // Reads the form file Data.FormFile when it is there. When it is not, the form is
  // built from the defaults over Data and written there (not when Data.FormFile is
  // empty). Returns the empty text, or what the user must be told:
  // - a form file that cannot be read, is malformed or is not a form of this demo (a
  //   filter of a variant missing or not linked to a query, an unreadable field
  //   definitions image): the file is left as it is, the form is the defaults, and
  //   nothing is written until StoreFieldDefs;
  // - a default form that cannot be written: it is used all the same.
  std::string Load(const TDemoData& Data);

  // A new instance of the form, owned by the caller, with the names of its databases
  // and its filter folders resolved in the data folder.
  std::unique_ptr<Classes::TComponent> NewInstance() const;

  // Takes the field-definitions image of Edited (the filter of an instance) into the
  // form's filter of the same name, then writes the form file (beside the old one, put
  // in its place once complete). Raises Classes::EFCreateError or EWriteError when the
  // file cannot be written; the form in memory keeps the new image.
  void StoreFieldDefs(const kytFilterBase::TkytCustomFilter& Edited);

  // The form (the module and its components), owned by this object.
  Classes::TComponent& Root() const { return *FRoot; }

 private:
  void Save();

  std::unique_ptr<Classes::TDataModule> FRoot;
  std::string FDir;   // the data folder, UTF-8
  std::string FFile;  // the form file, UTF-8; empty: none
};

}  // namespace kytdemo
