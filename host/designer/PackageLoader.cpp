#include "host/designer/PackageLoader.h"

#include <dlfcn.h>

#include <algorithm>
#include <exception>
#include <list>
#include <utility>

#include "host/designer/DesignIntf.h"
#include "host/rtl/SysUtils.h"
#include "host/rtl/TypInfo.h"

namespace PackageLoader {

namespace {

struct TLoaded {
  TPackageInfo Info;
  const TKytPackageFrame* Frame;
  void* Handle;               // null for a package linked into the program
  TypInfo::TModuleId Module;  // what its registrations are tagged with
};

// A list, so that the TPackageInfo references handed out stay valid while others load.
std::list<TLoaded>& Loaded() {
  static std::list<TLoaded> loaded;
  return loaded;
}

TLoaded* Find(const std::string& Name) {
  for (TLoaded& p : Loaded())
    if (p.Info.Name == Name) return &p;
  return nullptr;
}

// Every package gets a tag of its own, never reused, so that a package loaded again
// after an unload cannot be confused with its earlier self. 0 is the program.
TypInfo::TModuleId NewModuleTag() {
  static TypInfo::TModuleId last = 0;
  return ++last;
}

// Tags everything the registries receive while it lives with one module, in both the
// form-file class registry and the designer's.
class TRegisteringAs {
 public:
  explicit TRegisteringAs(TypInfo::TModuleId Module)
      : FClasses(TypInfo::SetRegisteringModule(Module)), FDesign(DesignIntf::SetRegisteringModule(Module)) {}
  ~TRegisteringAs() {
    TypInfo::SetRegisteringModule(FClasses);
    DesignIntf::SetRegisteringModule(FDesign);
  }
  TRegisteringAs(const TRegisteringAs&) = delete;
  TRegisteringAs& operator=(const TRegisteringAs&) = delete;

 private:
  TypInfo::TModuleId FClasses;
  TypInfo::TModuleId FDesign;
};

void Unregister(TypInfo::TModuleId Module) {
  DesignIntf::UnregisterModule(Module);
  TypInfo::UnregisterModule(Module);
}

// Closes a library handle when it goes out of scope, unless released.
class TLibrary {
 public:
  explicit TLibrary(void* Handle) : FHandle(Handle) {}
  ~TLibrary() {
    if (FHandle) dlclose(FHandle);
  }
  TLibrary(const TLibrary&) = delete;
  TLibrary& operator=(const TLibrary&) = delete;
  void* Get() const { return FHandle; }
  void* Release() { return std::exchange(FHandle, nullptr); }

 private:
  void* FHandle;
};

// dlopen with everything the library's static initialisers register tagged as Module.
void* OpenLibrary(const std::string& FileName, TypInfo::TModuleId Module) {
  TRegisteringAs tag(Module);
  return dlopen(FileName.c_str(), RTLD_NOW | RTLD_LOCAL);
}

std::string Ansi(const char* Utf8) { return SysUtils::Utf8ToAnsi(Utf8 ? Utf8 : ""); }

std::string LastDlError() { return Ansi(dlerror()); }

std::vector<std::string> ListOf(const char* const* List) {
  std::vector<std::string> items;
  for (; List && *List; ++List) items.emplace_back(*List);
  return items;
}

// "libkytIBOFilterPkg.so.0" -> "kytIBOFilterPkg": the base name without "lib" and without
// everything from the first dot (extension and version).
std::string PackageNameOf(const std::string& FileName) {
  std::string name = FileName.substr(FileName.find_last_of('/') + 1);
  if (name.rfind("lib", 0) == 0) name.erase(0, 3);
  return name.substr(0, name.find('.'));
}

TPackageInfo InfoOf(const TKytPackageFrame& Frame, const std::string& FileName) {
  return {Frame.Name, Frame.Description ? Frame.Description : "", FileName, ListOf(Frame.Units),
          ListOf(Frame.Requires)};
}

// Raises when the frame cannot be used or a package it requires is not loaded.
void CheckFrame(const TKytPackageFrame& Frame, const std::string& Where) {
  if (Frame.FrameVersion != KytPackageFrameVersion || !Frame.Name || !*Frame.Name || !Frame.Load || !Frame.Unload)
    throw SysUtils::Exception("Package " + Where + " has a frame this program does not know (version " +
                              SysUtils::IntToStr(Frame.FrameVersion) + ")");
  for (const std::string& required : ListOf(Frame.Requires))
    if (!Find(required))
      throw SysUtils::Exception("Package " + std::string(Frame.Name) + " requires " + required +
                                ", which is not loaded");
}

// Runs the frame's Load with everything it registers tagged as Module; on failure takes
// it all away again and raises.
void RunLoad(const TKytPackageFrame& Frame, TypInfo::TModuleId Module) {
  const char* failure = nullptr;
  {
    TRegisteringAs tag(Module);
    try {
      failure = Frame.Load();
    } catch (...) {  // a frame that breaks its promise not to throw
      failure = "its load entry point raised an exception";
    }
  }
  if (failure) {
    const std::string message = failure;
    Unregister(Module);
    throw SysUtils::Exception("Package " + std::string(Frame.Name) + " failed to load: " + message);
  }
}

const TPackageInfo& Add(const TKytPackageFrame& Frame, const std::string& FileName, void* Handle,
                        TypInfo::TModuleId Module) {
  Loaded().push_back({InfoOf(Frame, FileName), &Frame, Handle, Module});
  return Loaded().back().Info;
}

}  // namespace

const TPackageInfo& LoadPackage(const std::string& FileName) {
  const std::string name = PackageNameOf(FileName);
  if (const TLoaded* loaded = Find(name)) return loaded->Info;

  const TypInfo::TModuleId module = NewModuleTag();
  TLibrary library(OpenLibrary(FileName, module));
  try {
    if (!library.Get()) throw SysUtils::Exception("Cannot load package " + Ansi(FileName.c_str()) + ": " + LastDlError());
    const std::string entry = name + "_Frame";
    auto frameFunc = reinterpret_cast<TKytPackageFrameFunc>(dlsym(library.Get(), entry.c_str()));
    const TKytPackageFrame* frame = frameFunc ? frameFunc() : nullptr;
    if (!frame)
      throw SysUtils::Exception(Ansi(FileName.c_str()) + " is not a package: it has no " + entry);
    CheckFrame(*frame, name);
    if (const TLoaded* loaded = Find(frame->Name)) {  // the same package under another file name
      Unregister(module);
      return loaded->Info;
    }
    RunLoad(*frame, module);
    return Add(*frame, FileName, library.Release(), module);
  } catch (...) {
    Unregister(module);
    throw;
  }
}

const TPackageInfo& InitPackage(const TKytPackageFrame& Frame) {
  if (Frame.Name)
    if (const TLoaded* loaded = Find(Frame.Name)) return loaded->Info;
  CheckFrame(Frame, Frame.Name ? Frame.Name : "");
  const TypInfo::TModuleId module = NewModuleTag();
  RunLoad(Frame, module);
  return Add(Frame, "", nullptr, module);
}

void UnloadPackage(const std::string& Name) {
  auto& loaded = Loaded();
  const auto it = std::find_if(loaded.begin(), loaded.end(), [&](const TLoaded& p) { return p.Info.Name == Name; });
  if (it == loaded.end()) throw SysUtils::Exception("Package " + Name + " is not loaded");
  for (const TLoaded& other : loaded)
    for (const std::string& required : other.Info.Requires)
      if (required == Name)
        throw SysUtils::Exception("Package " + Name + " cannot be unloaded: " + other.Info.Name + " requires it");

  const char* failure = nullptr;
  {
    TRegisteringAs tag(it->Module);
    try {
      failure = it->Frame->Unload();
    } catch (...) {
      failure = "its unload entry point raised an exception";
    }
  }
  if (failure) throw SysUtils::Exception("Package " + Name + " cannot be unloaded: " + failure);

  Unregister(it->Module);
  void* handle = it->Handle;
  loaded.erase(it);
  if (handle) dlclose(handle);
}

void UnloadAll() {
  auto& loaded = Loaded();
  for (auto it = loaded.rbegin(); it != loaded.rend();) {
    if (it->Handle) {
      const std::string name = it->Info.Name;
      UnloadPackage(name);
      it = loaded.rbegin();  // the list changed under the iterator
    } else {
      ++it;
    }
  }
}

std::vector<TPackageInfo> LoadedPackages() {
  std::vector<TPackageInfo> infos;
  for (const TLoaded& p : Loaded()) infos.push_back(p.Info);
  return infos;
}

const char* RunEntry(void (*Steps)()) {
  static std::string message;
  try {
    Steps();
    return nullptr;
  } catch (const std::exception& e) {
    message = e.what();
  } catch (...) {
    message = "unknown exception";
  }
  return message.c_str();
}

std::string ModuleFileName(const void* Address) {
  Dl_info info{};
  if (dladdr(Address, &info) == 0 || !info.dli_fname) return "";
  return info.dli_fname;
}

}  // namespace PackageLoader
