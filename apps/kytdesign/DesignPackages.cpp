#include "apps/kytdesign/DesignPackages.h"

#include <filesystem>
#include <set>
#include <utility>

#include "host/designer/DesignIntf.h"
#include "host/designer/PackageLoader.h"
#include "host/rtl/SysUtils.h"

// Where an installation keeps the libraries, relative to its prefix.
#ifndef KYTDESIGN_INSTALL_LIBDIR
#define KYTDESIGN_INSTALL_LIBDIR "lib"
#endif

namespace DesignPackages {

namespace fs = std::filesystem;

namespace {

using TPaletteSet = std::set<std::pair<std::string, std::string>>;

TPaletteSet PaletteNow() {
  TPaletteSet out;
  for (const std::string& page : DesignIntf::PalettePages())
    for (const DesignIntf::TPaletteEntry& entry : DesignIntf::PaletteClasses(page)) out.emplace(page, entry.ClassName);
  return out;
}

// The palette entries of After that Before did not have, in palette order.
std::vector<TPaletteRegistration> Added(const TPaletteSet& Before) {
  std::vector<TPaletteRegistration> out;
  for (const std::string& page : DesignIntf::PalettePages())
    for (const DesignIntf::TPaletteEntry& entry : DesignIntf::PaletteClasses(page))
      if (!Before.count({page, entry.ClassName})) out.push_back({page, entry.ClassName});
  return out;
}

std::string Joined(const std::vector<std::string>& Items) {
  std::string out;
  for (const std::string& item : Items) out += (out.empty() ? "" : ", ") + item;
  return out.empty() ? "(none)" : out;
}

}  // namespace

std::vector<std::string> PackageNames() { return {"kytFilterBasePkg", "kytIBOFilterPkg", "kytBDEFilterPkg"}; }

std::string DefaultPackageDir(const std::string& ProgramDir, const std::string& BuildDir) {
  std::error_code ec;
  if (!ProgramDir.empty()) {
    const fs::path installed = (fs::path(ProgramDir) / ".." / KYTDESIGN_INSTALL_LIBDIR).lexically_normal();
    if (fs::exists(PackageFile(installed.string(), PackageNames().front()), ec)) return installed.string();
  }
  if (!BuildDir.empty() && fs::is_directory(BuildDir, ec)) return BuildDir;
  return "";
}

std::string PackageFile(const std::string& Dir, const std::string& Name) {
  const fs::path dir(Dir);
  std::error_code ec;
  for (const std::string& candidate : {"lib" + Name + ".so", Name + ".so"})
    if (fs::exists(dir / candidate, ec)) return (dir / candidate).string();
  // Only a versioned name: lib<Name>.so.<version>.
  const std::string prefix = "lib" + Name + ".so.";
  for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
    if (it->path().filename().string().rfind(prefix, 0) == 0) return it->path().string();
  return (dir / ("lib" + Name + ".so")).string();
}

std::vector<TLoadResult> LoadAll(const std::string& Dir) {
  std::vector<TLoadResult> results;
  for (const std::string& name : PackageNames()) {
    TLoadResult result;
    result.Name = name;
    const TPaletteSet before = PaletteNow();
    try {
      PackageLoader::LoadPackage(PackageFile(Dir, name));
      result.Palette = Added(before);
    } catch (const SysUtils::Exception& e) {
      result.Error = e.Message();
    }
    results.push_back(std::move(result));
  }
  return results;
}

std::string Describe(const std::vector<TLoadResult>& Results) {
  std::string out;
  const std::vector<PackageLoader::TPackageInfo> loaded = PackageLoader::LoadedPackages();
  for (const TLoadResult& result : Results) {
    if (!result.Error.empty()) continue;
    for (const PackageLoader::TPackageInfo& info : loaded) {
      if (info.Name != result.Name) continue;
      out += info.Name + "\n";
      out += "  Description: " + info.Description + "\n";
      out += "  File: " + SysUtils::Utf8ToAnsi(info.FileName) + "\n";
      out += "  Units: " + Joined(info.Units) + "\n";
      out += "  Requires: " + Joined(info.Requires) + "\n";
      if (result.Palette.empty()) out += "  Palette: (none)\n";
      // One line per page, its classes in palette order.
      std::vector<std::pair<std::string, std::vector<std::string>>> pages;
      for (const TPaletteRegistration& entry : result.Palette) {
        if (pages.empty() || pages.back().first != entry.Page) pages.push_back({entry.Page, {}});
        pages.back().second.push_back(entry.ClassName);
      }
      for (const auto& [page, classes] : pages) out += "  Palette: " + page + ": " + Joined(classes) + "\n";
    }
  }
  return out;
}

}  // namespace DesignPackages
