// How kytdesign gets its components: the three component packages, loaded at run time
// from a package folder (never linked into the program), and what each of them put on
// the palette.
//
// User-interface thread only.
#pragma once

#include <string>
#include <vector>

namespace DesignPackages {

// The packages kytdesign loads, in load order: the base package first, then the
// component packages that require it.
std::vector<std::string> PackageNames();

// The package folder: `../lib` beside the program (ProgramDir, UTF-8) when it holds the
// base package (an installed program), else BuildDir (the build tree's folder), else "".
std::string DefaultPackageDir(const std::string& ProgramDir, const std::string& BuildDir);

// The file of package Name in Dir: lib<Name>.so, <Name>.so or lib<Name>.so.<version>;
// the first of those names when none exists.
std::string PackageFile(const std::string& Dir, const std::string& Name);

// One palette entry a package made.
struct TPaletteRegistration {
  std::string Page, ClassName;
};

// What happened to one package.
struct TLoadResult {
  std::string Name;
  std::string Error;  // empty: loaded
  std::vector<TPaletteRegistration> Palette;
};

// Loads every package of PackageNames() from Dir, in order. A package that fails is
// reported in its result (the loader's message) and the others are still tried.
std::vector<TLoadResult> LoadAll(const std::string& Dir);

// The text --packages prints: per loaded package its name, description, file, units,
// requirements and palette registrations. Failed packages are left out.
std::string Describe(const std::vector<TLoadResult>& Results);

}  // namespace DesignPackages
