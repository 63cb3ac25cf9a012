// The IB Objects component package: TkytIBOFilter over the native query and
// TkytIBDFilter over the dataset query, with the Firebird data access they stand on.
#include "packages/kytIBOFilterPkg.h"

#include "components/kytIBDFilter.h"
#include "components/kytIBOFilter.h"
#include "dataaccess/ibobjects/IB_Register.h"
#include "host/designer/DesignIntf.h"

namespace {

const char* const kUnits[] = {"kytIBOFilter", "kytIBDFilter", nullptr};
const char* const kRequires[] = {"kytFilterBasePkg", nullptr};

void LoadSteps() {
  IB_Register::RegisterClasses();
  kytIBOFilter::Register();
  kytIBDFilter::Register();
  // The query classes too, so that a designer can place what the filters link to.
  DesignIntf::RegisterComponents("Data Access", {"TIB_Query", "TIBOQuery"});
}

const char* Load() { return PackageLoader::RunEntry(LoadSteps); }
const char* Unload() { return nullptr; }

const TKytPackageFrame kFrame = {KytPackageFrameVersion, "kytIBOFilterPkg", "KYT IBO filter components",
                                 kUnits, kRequires, Load, Unload};

}  // namespace

extern "C" const TKytPackageFrame* kytIBOFilterPkg_Frame() { return &kFrame; }
