// kytdesign's window: menu and tool bar, the component palette, the object inspector
// and the form surface over one design document. Opening, saving and the question
// about unsaved changes go through the UI host (file dialogs, message boxes), so tests
// script them.
//
// User-interface thread only.
#pragma once

#include <QMainWindow>

#include <memory>
#include <string>

#include "apps/kytdesign/DesignDocument.h"

class QLabel;

namespace FormSurface {
class TFormSurface;
}
namespace Inspector {
class TInspector;
}
namespace Palette {
class TPalette;
}

namespace MainWindow {

class TMainWindow : public QMainWindow {
 public:
  explicit TMainWindow(QWidget* Parent = nullptr);
  ~TMainWindow() override;

  DesignDocument::TDesignDocument& Document() { return *FDocument; }
  Palette::TPalette& PaletteBar() const { return *FPalette; }
  FormSurface::TFormSurface& Surface() const { return *FSurface; }
  Inspector::TInspector& ObjectInspector() const { return *FInspector; }

  // ---- Commands (the menu's and the tool bar's) ----

  // Asks about unsaved changes first; a cancelled question changes nothing.
  void CommandNew();
  // Asks about unsaved changes, then for a form file (open dialog), and opens it.
  void CommandOpen();
  // Saves to the document's file, or asks for one when it has none. True when saved.
  bool CommandSave();
  // Asks for a file (save dialog) and saves there. True when saved.
  bool CommandSaveAs();
  // Deletes the selected component (nothing when the form itself is selected).
  void CommandDelete();

  // Opens FileName (UTF-8) without asking; a file that cannot be read is reported in a
  // message box and the form shown stays. True when opened.
  bool OpenFile(const std::string& FileName);
  // Puts a new component of ClassName on the form and selects it; a failure is reported.
  Classes::TComponent* AddComponent(const std::string& ClassName);
  // Selects Component (null: the form) on the surface and in the inspector.
  void Select(Classes::TComponent* Component);
  // With unsaved changes, asks whether to save them (Yes, No, Cancel); true when the
  // form may be closed or replaced (saved, or the changes given up).
  bool CanClose();

 protected:
  void closeEvent(QCloseEvent* Event) override;

 private:
  void BuildMenus();
  void BuildWorkArea();
  void StructureChanged();
  void Changed();
  bool SaveTo(const std::string& FileName);

  std::unique_ptr<DesignDocument::TDesignDocument> FDocument;
  Palette::TPalette* FPalette;
  FormSurface::TFormSurface* FSurface;
  Inspector::TInspector* FInspector;
  QLabel* FStatus;
};

}  // namespace MainWindow
