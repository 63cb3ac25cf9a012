// Package kytIBOFilterPkg ("KYT IBO filter components"): its frame, for a program that links the package
// and brings it in with PackageLoader::InitPackage(*kytIBOFilterPkg_Frame()).
#pragma once

#include "host/designer/PackageLoader.h"

extern "C" const TKytPackageFrame* kytIBOFilterPkg_Frame();
