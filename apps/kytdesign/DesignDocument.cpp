#include "apps/kytdesign/DesignDocument.h"

#include "host/rtl/ClassesFiler.h"
#include "host/rtl/SafeFile.h"
#include "host/rtl/SysUtils.h"
#include "host/rtl/TypInfo.h"

namespace DesignDocument {

namespace {

const char* const kNewRootClass = "TDataModule";
// A form file of a few components is a few kilobytes; one far larger is no form, and
// is refused before it is read into memory.
constexpr int64_t kMaxFormFileSize = 16 << 20;

std::string ReadWholeFile(const std::string& FileName) {
  Classes::TFileStream file(FileName, Classes::fmOpenRead | Classes::fmShareDenyWrite);
  const int64_t size = file.Size();
  if (size > kMaxFormFileSize)
    throw SysUtils::Exception("The file is " + SysUtils::IntToStr(size) + " bytes long; a form file is far smaller.");
  std::string text(static_cast<size_t>(size), '\0');
  file.ReadBuffer(text.data(), size);
  return text;
}

std::unique_ptr<Classes::TComponent> NewRoot() {
  const TypInfo::TClassInfo* info = TypInfo::FindClass(kNewRootClass);
  std::unique_ptr<Classes::TComponent> root(info->Create(nullptr));
  root->SetName("DataModule1");
  return root;
}

}  // namespace

TDesignDocument::TDesignDocument() : FRoot(NewRoot()) { FRoot->SetDesigning(true); }

TDesignDocument::~TDesignDocument() = default;

void TDesignDocument::New() { Replace(NewRoot(), ""); }

void TDesignDocument::Open(const std::string& FileName) {
  const std::string text = ReadWholeFile(FileName);
  std::unique_ptr<Classes::TComponent> root(Classes::TextToComponent(text, nullptr));
  Replace(std::move(root), FileName);
}

void TDesignDocument::Save(const std::string& FileName) {
  SafeFile::TFileReplacer file(FileName);
  Classes::WriteComponentText(file, *FRoot);
  file.Commit();
  FFileName = FileName;
  FModified = false;
  Changed();
}

std::string TDesignDocument::Text() const { return Classes::ComponentToText(*FRoot); }

std::vector<Classes::TComponent*> TDesignDocument::Components() const {
  std::vector<Classes::TComponent*> out;
  for (int i = 0; i < FRoot->ComponentCount(); ++i) out.push_back(FRoot->Components(i));
  return out;
}

std::string TDesignDocument::UniqueName(const std::string& ClassName) const {
  std::string base = ClassName;
  if (base.size() > 1 && (base[0] == 'T' || base[0] == 't')) base.erase(0, 1);
  for (int n = 1;; ++n) {
    const std::string name = base + SysUtils::IntToStr(n);
    if (!FRoot->FindComponent(name) && !SysUtils::AnsiSameText(name, FRoot->Name())) return name;
  }
}

Classes::TComponent* TDesignDocument::AddComponent(const std::string& ClassName) {
  const TypInfo::TClassInfo* info = TypInfo::FindClass(ClassName);
  if (!info || !info->Create) throw SysUtils::Exception("Class " + ClassName + " cannot be created.");
  const std::string name = UniqueName(info->ClassName);
  Classes::TComponent* component = info->Create(FRoot.get());
  try {
    component->SetName(name);
  } catch (...) {
    delete component;
    throw;
  }
  component->SetDesigning(true);
  if (OnStructureChanged) OnStructureChanged();
  Modified();
  return component;
}

void TDesignDocument::DeleteComponent(Classes::TComponent* Component) {
  if (!Component || Component->Owner() != FRoot.get()) return;
  // The owner announces the removal to the other components, which drop their links.
  delete Component;
  if (OnStructureChanged) OnStructureChanged();
  Modified();
}

void TDesignDocument::Modified() {
  FModified = true;
  Changed();
}

void TDesignDocument::Replace(std::unique_ptr<Classes::TComponent> Root, const std::string& FileName) {
  Root->SetDesigning(true);
  FRoot = std::move(Root);
  FFileName = FileName;
  FModified = false;
  if (OnStructureChanged) OnStructureChanged();
  Changed();
}

void TDesignDocument::Changed() {
  if (OnChanged) OnChanged();
}

}  // namespace DesignDocument
