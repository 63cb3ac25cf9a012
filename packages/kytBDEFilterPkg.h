// Package kytBDEFilterPkg ("KYT BDE filter components"): its frame, for a program that links the package
// and brings it in with PackageLoader::InitPackage(*kytBDEFilterPkg_Frame()).
#pragma once

#include "host/designer/PackageLoader.h"

extern "C" const TKytPackageFrame* kytBDEFilterPkg_Frame();
