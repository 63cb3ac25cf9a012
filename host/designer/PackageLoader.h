// Component packages: shared libraries that carry a frame (description, contained
// units, required packages, load and unload entry points), and the loader a host uses
// to bring them into the process at run time and take them out again.
//
// A package named N exports, with C linkage, the function N_Frame returning its frame.
// Loading calls the frame's Load, which calls each contained unit's Register; every
// class, palette entry, property editor and bitmap registered during Load belongs to
// the package, and unloading takes them all away. User-interface thread only.
#pragma once

#include <string>
#include <vector>

extern "C" {

// The frame a package exports. Lists end with a null pointer. Load and Unload never
// throw: they return null on success, else a message the loader raises.
struct TKytPackageFrame {
  unsigned FrameVersion;  // KytPackageFrameVersion
  const char* Name;         // "kytIBOFilterPkg"
  const char* Description;  // "KYT IBO filter components"
  const char* const* Units;
  const char* const* Requires;
  const char* (*Load)();
  const char* (*Unload)();
};

typedef const TKytPackageFrame* (*TKytPackageFrameFunc)();
}

inline constexpr unsigned KytPackageFrameVersion = 1;

namespace PackageLoader {

// A package brought in by LoadPackage or InitPackage.
struct TPackageInfo {
  std::string Name;
  std::string Description;
  std::string FileName;  // "" for a package linked into the program
  std::vector<std::string> Units;
  std::vector<std::string> Requires;
};

// Loads the shared library FileName (a path, or a name the dynamic linker finds), reads
// its frame (the function <Name>_Frame, where Name is the file name without "lib", the
// extension and the version: "libkytIBOFilterPkg.so.0" -> "kytIBOFilterPkg"), checks
// that every required package is loaded, and calls Load. Loading a package that is
// already loaded does nothing. Raises SysUtils::Exception, and leaves nothing of the
// package behind, when the file cannot be loaded, has no frame, a required package is
// not loaded ("Package kytIBOFilterPkg requires kytFilterBasePkg, which is not
// loaded"), or Load fails.
const TPackageInfo& LoadPackage(const std::string& FileName);

// For a package linked into the program: runs the frame's Load as LoadPackage would,
// once per process, and counts the package as loaded. Same failures.
const TPackageInfo& InitPackage(const TKytPackageFrame& Frame);

// Calls Unload of the package Name, removes everything it registered, and unloads the
// file. Raises SysUtils::Exception when another loaded package requires it, when Name
// is not loaded, or when Unload fails (the package then stays loaded).
// REQUIRES: no object of the package's classes is left.
void UnloadPackage(const std::string& Name);

// Unloads every package loaded with LoadPackage, the last loaded first.
void UnloadAll();

// The loaded packages in the order they were loaded.
std::vector<TPackageInfo> LoadedPackages();

// For a package's Load and Unload: runs Steps and returns null, or the message of the
// exception Steps raised (kept until the next call), so that no exception leaves them.
const char* RunEntry(void (*Steps)());

// The file name of the shared library (or program) whose code or data holds Address, as
// the system gives it; "" when no loaded file holds it. A package finds its own file so.
std::string ModuleFileName(const void* Address);

}  // namespace PackageLoader
