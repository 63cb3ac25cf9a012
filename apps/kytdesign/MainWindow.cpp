#include "apps/kytdesign/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QScrollArea>
#include <QSplitter>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

#include <filesystem>

#include "apps/kytdesign/FormSurface.h"
#include "apps/kytdesign/Inspector.h"
#include "apps/kytdesign/Palette.h"
#include "host/rtl/SysUtils.h"
#include "host/ui/AnsiText.h"
#include "host/ui/Controls.h"
#include "host/ui/Dialogs.h"

namespace MainWindow {

namespace {

const char* const kFormFilter = "Form files (*.dfm)|*.dfm|All files (*)|*";
constexpr int kInspectorWidth = 340;

// A file name (UTF-8) as the dialogs and boxes show it (Windows-1252).
std::string Shown(const std::string& FileName) { return SysUtils::Utf8ToAnsi(FileName); }

}  // namespace

TMainWindow::TMainWindow(QWidget* Parent)
    : QMainWindow(Parent), FDocument(std::make_unique<DesignDocument::TDesignDocument>()) {
  BuildMenus();
  BuildWorkArea();
  FDocument->OnChanged = [this] { Changed(); };
  FDocument->OnStructureChanged = [this] { StructureChanged(); };
  StructureChanged();
  Changed();
}

TMainWindow::~TMainWindow() {
  // The document's components go before the widgets that show them.
  FDocument->OnChanged = nullptr;
  FDocument->OnStructureChanged = nullptr;
  delete takeCentralWidget();
}

void TMainWindow::BuildMenus() {
  auto action = [this](const QString& Text, QStyle::StandardPixmap Icon, QKeySequence Keys, auto Slot) {
    auto* a = new QAction(style()->standardIcon(Icon), Text, this);
    a->setShortcut(Keys);
    connect(a, &QAction::triggered, this, [Slot] { Controls::Dispatch(Slot); });
    return a;
  };
  QAction* newForm = action("&New", QStyle::SP_FileIcon, QKeySequence::New, [this] { CommandNew(); });
  QAction* open = action("&Open...", QStyle::SP_DialogOpenButton, QKeySequence::Open, [this] { CommandOpen(); });
  QAction* save = action("&Save", QStyle::SP_DialogSaveButton, QKeySequence::Save, [this] { CommandSave(); });
  QAction* saveAs = action("Save &As...", QStyle::SP_DriveFDIcon, QKeySequence::SaveAs, [this] { CommandSaveAs(); });
  QAction* quit = action("E&xit", QStyle::SP_DialogCloseButton, QKeySequence::Quit, [this] { close(); });
  QAction* remove = action("&Delete component", QStyle::SP_TrashIcon, QKeySequence(), [this] { CommandDelete(); });

  QMenu* file = menuBar()->addMenu("&File");
  file->addActions({newForm, open, save, saveAs});
  file->addSeparator();
  file->addAction(quit);
  QMenu* edit = menuBar()->addMenu("&Edit");
  edit->addAction(remove);

  QToolBar* tools = addToolBar("Standard");
  tools->setObjectName("Standard");
  tools->setMovable(false);
  tools->setIconSize(QSize(20, 20));
  tools->addActions({newForm, open, save});
  tools->addSeparator();
  tools->addAction(remove);
}

void TMainWindow::BuildWorkArea() {
  auto* central = new QWidget;
  auto* column = new QVBoxLayout(central);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  FPalette = new Palette::TPalette;
  FPalette->setObjectName("Palette");
  FPalette->setFixedHeight(FPalette->sizeHint().height());
  FPalette->OnAddNow = [this](const std::string& ClassName) { AddComponent(ClassName); };
  column->addWidget(FPalette);

  auto* split = new QSplitter(Qt::Horizontal);
  FInspector = new Inspector::TInspector(*FDocument);
  FInspector->OnRenamed = [this] { FSurface->Refresh(); };
  split->addWidget(FInspector);
  FSurface = new FormSurface::TFormSurface;
  FSurface->OnSelect = [this](Classes::TComponent* C) { FInspector->Inspect(C); };
  FSurface->OnPlace = [this] {
    const std::string chosen = FPalette->SelectedClass();
    if (chosen.empty()) return false;
    FPalette->ClearSelection();
    AddComponent(chosen);
    return true;
  };
  FSurface->OnDelete = [this](Classes::TComponent*) { CommandDelete(); };
  auto* scroll = new QScrollArea;
  scroll->setWidget(FSurface);
  scroll->setWidgetResizable(true);
  scroll->setBackgroundRole(QPalette::Dark);
  split->addWidget(scroll);
  split->setStretchFactor(1, 1);
  split->setSizes({kInspectorWidth, 1000});
  column->addWidget(split, 1);
  setCentralWidget(central);

  FStatus = new QLabel;
  statusBar()->addWidget(FStatus, 1);
}

void TMainWindow::StructureChanged() {
  FSurface->SetComponents(FDocument->Components());
  FInspector->Inspect(FSurface->Selected());
}

void TMainWindow::Changed() {
  const std::string& file = FDocument->FileName();
  const QString name = file.empty() ? QStringLiteral("(untitled)")
                                    : QString::fromStdString(std::filesystem::path(file).filename().string());
  setWindowTitle(QStringLiteral("kytdesign - %1%2").arg(name, FDocument->IsModified() ? " [modified]" : ""));
  FSurface->SetCaption(AnsiText::ToQString(FDocument->Root().Name() + ": " + FDocument->Root().ClassName()));
  FStatus->setText(QStringLiteral("%1 component(s)   %2")
                       .arg(FDocument->Components().size())
                       .arg(file.empty() ? QString() : QString::fromStdString(file)));
  FSurface->Refresh();
}

void TMainWindow::Select(Classes::TComponent* Component) { FSurface->Select(Component); }

Classes::TComponent* TMainWindow::AddComponent(const std::string& ClassName) {
  Classes::TComponent* added = nullptr;
  Controls::Dispatch([&] { added = FDocument->AddComponent(ClassName); });
  if (added) Select(added);
  return added;
}

void TMainWindow::CommandDelete() {
  Classes::TComponent* selected = FSurface->Selected();
  if (!selected) return;
  // The inspector lets go of the component before it goes.
  FSurface->Select(nullptr);
  FDocument->DeleteComponent(selected);
}

bool TMainWindow::CanClose() {
  if (!FDocument->IsModified()) return true;
  const std::string file = FDocument->FileName().empty() ? FDocument->Root().Name() : Shown(FDocument->FileName());
  const int answer = Dialogs::MessageDlg("Save changes to " + file + "?", Dialogs::TMsgDlgType::mtConfirmation,
                                         Dialogs::mbYesNoCancel, 0);
  if (answer == Dialogs::mrYes) return CommandSave();
  return answer == Dialogs::mrNo;
}

void TMainWindow::CommandNew() {
  if (!CanClose()) return;
  FSurface->Select(nullptr);
  FDocument->New();
}

void TMainWindow::CommandOpen() {
  if (!CanClose()) return;
  Dialogs::TOpenDialog dialog(nullptr);
  dialog.Title = "Open form file";
  dialog.Filter = kFormFilter;
  dialog.DefaultExt = "dfm";
  dialog.Options |= Dialogs::ofFileMustExist;
  if (!dialog.Execute()) return;
  OpenFile(SysUtils::AnsiToUtf8(dialog.FileName));
}

bool TMainWindow::OpenFile(const std::string& FileName) {
  FSurface->Select(nullptr);
  try {
    FDocument->Open(FileName);
    return true;
  } catch (const SysUtils::Exception& e) {
    Dialogs::MessageDlg("Cannot open " + Shown(FileName) + ":\n" + e.Message(), Dialogs::TMsgDlgType::mtError,
                        Dialogs::mbOKOnly, 0);
  }
  return false;
}

bool TMainWindow::CommandSave() {
  if (FDocument->FileName().empty()) return CommandSaveAs();
  return SaveTo(FDocument->FileName());
}

bool TMainWindow::CommandSaveAs() {
  Dialogs::TSaveDialog dialog(nullptr);
  dialog.Title = "Save form file as";
  dialog.Filter = kFormFilter;
  dialog.DefaultExt = "dfm";
  dialog.Options |= Dialogs::ofOverwritePrompt;
  dialog.FileName = Shown(FDocument->FileName());
  if (!dialog.Execute()) return false;
  return SaveTo(SysUtils::AnsiToUtf8(dialog.FileName));
}

bool TMainWindow::SaveTo(const std::string& FileName) {
  try {
    FDocument->Save(FileName);
    return true;
  } catch (const SysUtils::Exception& e) {
    Dialogs::MessageDlg("Cannot save " + Shown(FileName) + ":\n" + e.Message(), Dialogs::TMsgDlgType::mtError,
                        Dialogs::mbOKOnly, 0);
  }
  return false;
}

void TMainWindow::closeEvent(QCloseEvent* Event) {
  bool may = false;
  Controls::Dispatch([&] { may = CanClose(); });
  if (may) Event->accept();
  else Event->ignore();
}

}  // namespace MainWindow
