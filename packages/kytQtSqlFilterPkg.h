// Package kytQtSqlFilterPkg ("KYT Qt SQL filter components"): its frame, for a program that links the
// package and brings it in with PackageLoader::InitPackage(*kytQtSqlFilterPkg_Frame()).
#pragma once

#include "host/designer/PackageLoader.h"

extern "C" const TKytPackageFrame* kytQtSqlFilterPkg_Frame();
