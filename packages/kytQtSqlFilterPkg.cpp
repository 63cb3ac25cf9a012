// The Qt SQL component package: TkytQtSqlFilter over the Qt SQL query, with the query it
// stands on.
#include "packages/kytQtSqlFilterPkg.h"

#include "components/kytQtSqlFilter.h"
#include "dataaccess/qtsql/QtSqlDataSet.h"
#include "host/designer/DesignIntf.h"

namespace {

const char* const kUnits[] = {"kytQtSqlFilter", nullptr};
const char* const kRequires[] = {"kytFilterBasePkg", nullptr};

void LoadSteps() {
  QtSqlDataSet::RegisterClasses();
  kytQtSqlFilter::Register();
  // The query class too, so that a designer can place what the filter links to.
  DesignIntf::RegisterComponents("Qt SQL", {"TQtSqlQuery"});
}

const char* Load() { return PackageLoader::RunEntry(LoadSteps); }
const char* Unload() { return nullptr; }

const TKytPackageFrame kFrame = {KytPackageFrameVersion, "kytQtSqlFilterPkg", "KYT Qt SQL filter components",
                                 kUnits, kRequires, Load, Unload};

}  // namespace

extern "C" const TKytPackageFrame* kytQtSqlFilterPkg_Frame() { return &kFrame; }
