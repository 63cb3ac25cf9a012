// The form being designed: its root (a data module or a form read from a form file),
// the components on it, the file it came from, and whether it changed since it was
// opened or saved.
//
// The document is the designer that property editors tell of their changes: every
// change, made here or by an editor, marks it modified and tells the window.
//
// Which classes exist comes from the class registry (TypInfo) and the palette
// (DesignIntf); the document knows none of them by name. User-interface thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/designer/DesignIntf.h"
#include "host/rtl/Classes.h"

namespace DesignDocument {

class TDesignDocument : public DesignIntf::TDesigner {
 public:
  // Starts with a new, empty data module named DataModule1.
  TDesignDocument();
  ~TDesignDocument() override;
  TDesignDocument(const TDesignDocument&) = delete;
  TDesignDocument& operator=(const TDesignDocument&) = delete;

  // ---- Files (names are the file system's, UTF-8) ----

  // Replaces the form by a new, empty data module; no file, not modified.
  void New();
  // Replaces the form by the one in FileName. Raises SysUtils::Exception with the
  // reader's message ("Line n: what") or why the file cannot be read; the form shown
  // before stays as it was.
  void Open(const std::string& FileName);
  // Writes the form to FileName beside the old file and renames it into its place, so
  // a failed save leaves the old file whole; then FileName is the document's file and
  // it is no longer modified. Raises SysUtils::Exception (the file error) otherwise.
  void Save(const std::string& FileName);
  // The form as a form file would hold it.
  std::string Text() const;

  const std::string& FileName() const { return FFileName; }
  bool IsModified() const { return FModified; }

  // ---- Components ----

  Classes::TComponent& Root() const { return *FRoot; }
  // The components on the form, in creation order (those the root owns).
  std::vector<Classes::TComponent*> Components() const;
  // A new component of the registered class ClassName, owned by the root, named after
  // the class without its leading T and the first free number (kytIBOFilter1). Marks
  // the form modified. Raises SysUtils::Exception for a class that is not registered or
  // cannot be created.
  Classes::TComponent* AddComponent(const std::string& ClassName);
  // Destroys Component (one of Components()); the others hear of its removal and drop
  // their references to it. Marks the form modified.
  void DeleteComponent(Classes::TComponent* Component);
  // The first free name for a new component of ClassName.
  std::string UniqueName(const std::string& ClassName) const;

  // ---- TDesigner ----
  // Marks the form modified and tells OnChanged.
  void Modified() override;

  // Told after any change of the form's content or of its modified state.
  std::function<void()> OnChanged;
  // Told after components were added or removed, or another form was opened.
  std::function<void()> OnStructureChanged;

 private:
  void Replace(std::unique_ptr<Classes::TComponent> Root, const std::string& FileName);
  void Changed();

  std::unique_ptr<Classes::TComponent> FRoot;
  std::string FFileName;
  bool FModified = false;
};

}  // namespace DesignDocument
