// The base package: the SQL-text toolkit (shipped in kytsqltext, which this package
// links), the filter model, the filter dialog and the field-definitions dialog, and
// the part of the filter components that does not depend on the kind of query.
#include "packages/kytFilterBasePkg.h"

#include "filtermodel/kytSQLFilterRes.h"

namespace {

const char* const kUnits[] = {"Parse", "kytSQLFilterRes", "kytSQLFilterStruc", "kytSQLFilterForm", "kytFieldDef",
                              nullptr};
const char* const kRequires[] = {nullptr};

// When the system maps this library, whether a program links it or a designer loads it:
// the message table and the dialogs' captions in the user's language, from the language
// module beside this file (English where there is none, or for what it lacks). Never
// throws.
const bool kLanguageLoaded = [] {
  kytSQLFilterRes::LoadLanguageModule(PackageLoader::ModuleFileName(kUnits));
  return true;
}();

const char* Load() {
  (void)kLanguageLoaded;
  return nullptr;
}
const char* Unload() { return nullptr; }

const TKytPackageFrame kFrame = {KytPackageFrameVersion, "kytFilterBasePkg", "KYT Filter Base Package",
                                 kUnits, kRequires, Load, Unload};

}  // namespace

extern "C" const TKytPackageFrame* kytFilterBasePkg_Frame() { return &kFrame; }
