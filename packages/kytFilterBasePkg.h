// Package kytFilterBasePkg ("KYT Filter Base Package"): its frame, for a program that links the package
// and brings it in with PackageLoader::InitPackage(*kytFilterBasePkg_Frame()).
#pragma once

#include "host/designer/PackageLoader.h"

extern "C" const TKytPackageFrame* kytFilterBasePkg_Frame();
