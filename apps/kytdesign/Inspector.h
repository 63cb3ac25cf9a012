// The object inspector: the published properties of the selected component (or of the
// form) in two aligned columns, each value with the editor of its kind: a check box for
// a boolean, a drop-down of element names for an enumeration, a drop-down of the form's
// components that the property accepts (and none) for a component reference, one check
// box per element for a set, a line edit for text, characters and numbers, a dialog with
// a text box for a string list, and the handler's name for an event. A property with a
// registered property editor shows the editor's value, and an ellipsis button that runs
// its Edit when the editor edits through a dialog.
//
// Every edit goes through SetValue: a value the component refuses (its setter raises)
// is reported in a message box through the UI host, or not at all when the setter has
// shown its own message and ended with the silent abort; the component keeps its old
// value and the inspector shows that again. An accepted value marks the form modified.
//
// User-interface thread only.
#pragma once

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/designer/DesignIntf.h"
#include "host/rtl/Classes.h"
#include "host/rtl/TypInfo.h"

class QLabel;
class QTableWidget;

namespace DesignDocument {
class TDesignDocument;
}

namespace Inspector {

class TInspector : public QWidget {
 public:
  // Document must outlive the inspector.
  explicit TInspector(DesignDocument::TDesignDocument& Document, QWidget* Parent = nullptr);
  ~TInspector() override;

  // Shows the properties of Component (one of the form's components), or of the form
  // itself when null.
  void Inspect(Classes::TComponent* Component);
  // The component shown (the form's root when none is selected).
  Classes::TComponent& Inspected() const;
  // Builds the rows again (the form's components changed: the reference drop-downs
  // offer others).
  void Rebuild() { Inspect(FComponent); }
  // Shows the component's current values in the editors.
  void Reload();

  // ---- The editing path every editor takes ----

  // Sets the property Name of the inspected component to Value. True when it was
  // accepted; false when the component refused it (reported as said above) or when it
  // has no such property.
  bool SetValue(const std::string& Name, const TypInfo::TPropValue& Value);
  // Renames the inspected component; a name that is taken or no identifier is reported
  // and the old name stays.
  bool Rename(const std::string& NewName);
  // Runs the dialog of property Name: its registered editor's Edit, or the string-list
  // editor. Does nothing for a property edited in place.
  void EditDialog(const std::string& Name);

  // The value editor of property Name ("Name" for the component's name, "Set.element"
  // for one element of a set), or null: for tests and accessibility.
  QWidget* Editor(const std::string& Name) const;
  // The text of the value column of row Name, as shown.
  std::string ValueText(const std::string& Name) const;
  QTableWidget& Table() const { return *FTable; }

  // The inspected component was renamed.
  std::function<void()> OnRenamed;

 private:
  struct TRow;
  void AddNameRow();
  void AddPropertyRow(const TypInfo::TPropInfo& Prop);
  void AddSetRows(const TypInfo::TPropInfo& Prop);
  int NewRow(const std::string& Key, const QString& Caption, QWidget* Editor, int Indent);
  QWidget* InPlaceEditor(TRow& Row);
  QWidget* DialogCell(const QString& Text, const std::string& Name);
  QWidget* ComponentEditor(const TypInfo::TPropInfo& Prop);
  void ShowValue(TRow& Row);
  bool Commit(const std::function<void()>& Change);
  void CommitText(const TypInfo::TPropInfo& Prop, const QString& Text);
  std::vector<Classes::TComponent*> Candidates(const TypInfo::TPropInfo& Prop);
  TRow* FindRow(const std::string& Key) const;

  DesignDocument::TDesignDocument& FDocument;
  Classes::TComponent* FComponent = nullptr;
  QLabel* FHeader;
  QTableWidget* FTable;
  std::vector<std::unique_ptr<TRow>> FRows;
  bool FCommitting = false;
};

}  // namespace Inspector
