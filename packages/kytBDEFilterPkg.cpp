// The BDE component package: TkytBDEFilter over the engine query, with the SQLite data
// access it stands on.
#include "packages/kytBDEFilterPkg.h"

#include "components/kytBDEFilter.h"
#include "dataaccess/bde/BDE_Register.h"
#include "host/designer/DesignIntf.h"

namespace {

const char* const kUnits[] = {"kytBDEFilter", nullptr};
const char* const kRequires[] = {"kytFilterBasePkg", nullptr};

void LoadSteps() {
  BDE_Register::RegisterClasses();
  kytBDEFilter::Register();
  // The query class too, so that a designer can place what the filter links to.
  DesignIntf::RegisterComponents("Data Access", {"TQuery"});
}

const char* Load() { return PackageLoader::RunEntry(LoadSteps); }
const char* Unload() { return nullptr; }

const TKytPackageFrame kFrame = {KytPackageFrameVersion, "kytBDEFilterPkg", "KYT BDE filter components",
                                 kUnits, kRequires, Load, Unload};

}  // namespace

extern "C" const TKytPackageFrame* kytBDEFilterPkg_Frame() { return &kFrame; }
