// Message boxes, the beep, the open and save file dialogs and modal forms, as the
// host's dialog unit offers them.
//
// Every box, file dialog and modal form goes through one replaceable UI host: the default shows real Qt message
// boxes, a program or a test may install its own (TScriptedUIHost records every box
// and answers from a queue). Texts are Windows-1252 and converted at the Qt edge.
//
// User-interface thread only.
#pragma once

#include <deque>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "host/rtl/Classes.h"

namespace Forms {
class TForm;
}

namespace Dialogs {

enum class TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

// Buttons of a message box; a set of them is a bit mask in which button n is bit n.
enum TMsgDlgBtn : unsigned {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp,
};

constexpr unsigned MsgDlgButtons(std::initializer_list<TMsgDlgBtn> Buttons) {
  unsigned mask = 0;
  for (TMsgDlgBtn b : Buttons) mask |= 1u << b;
  return mask;
}
constexpr bool HasButton(unsigned Buttons, TMsgDlgBtn B) { return (Buttons & (1u << B)) != 0; }

inline constexpr unsigned mbOKOnly = 1u << mbOK;
inline constexpr unsigned mbOKCancel = (1u << mbOK) | (1u << mbCancel);
inline constexpr unsigned mbYesNo = (1u << mbYes) | (1u << mbNo);
inline constexpr unsigned mbYesNoCancel = (1u << mbYes) | (1u << mbNo) | (1u << mbCancel);

// The button a box was closed with.
enum TModalResult : int {
  mrNone = 0,
  mrOk = 1,
  mrCancel = 2,
  mrAbort = 3,
  mrRetry = 4,
  mrIgnore = 5,
  mrYes = 6,
  mrNo = 7,
  mrAll = 8,
  mrNoToAll = 9,
  mrYesToAll = 10,
};

// Options of the file dialogs; a set of them is a bit mask.
enum TOpenOption : unsigned {
  ofReadOnly = 1u << 0,
  ofOverwritePrompt = 1u << 1,
  ofHideReadOnly = 1u << 2,
  ofPathMustExist = 1u << 3,
  ofFileMustExist = 1u << 4,
  ofEnableSizing = 1u << 5,
};

// The open file dialog: Execute shows it and, when the user chose a file, sets
// FileName and returns true.
class TOpenDialog : public Classes::TComponent {
 public:
  explicit TOpenDialog(Classes::TComponent* AOwner) : Classes::TComponent(AOwner) {}
  std::string ClassName() const override { return "TOpenDialog"; }
  bool Execute();
  virtual bool IsSave() const { return false; }

  std::string Title;
  std::string DefaultExt;  // without the dot
  // "Description|pattern|Description|pattern", patterns separated by ';'.
  std::string Filter;
  std::string InitialDir;
  std::string FileName;
  unsigned Options = ofHideReadOnly | ofEnableSizing;
  void SetInitialDir(const std::string& Value) { InitialDir = Value; }
};

// The save file dialog.
class TSaveDialog : public TOpenDialog {
 public:
  using TOpenDialog::TOpenDialog;
  std::string ClassName() const override { return "TSaveDialog"; }
  bool IsSave() const override { return true; }
};

// Where boxes are shown. Implementations decide how a box is answered.
class TUIHost {
 public:
  virtual ~TUIHost() = default;
  // A modal box of the given kind with the given buttons; returns the TModalResult of
  // the button pressed.
  virtual int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, unsigned Buttons,
                         int HelpCtx) = 0;
  // A plain modal box: no icon, one OK button, the application's title.
  virtual void ShowMessage(const std::string& Msg) = 0;
  virtual void Beep() = 0;
  // Shows Dialog; true with Dialog.FileName set when a file was chosen. The default
  // chooses nothing.
  virtual bool FileDialog(TOpenDialog& Dialog);
  // Runs Form's modal loop; returns the modal result it closed with.
  virtual int ShowModal(Forms::TForm& Form);
};

// Installs Host (not owned) as the process's UI host; null restores the default Qt host.
void SetUIHost(TUIHost* Host);
// The current host, never null.
TUIHost& UIHost();

// Shown through the current host.
int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, unsigned Buttons, int HelpCtx);
void ShowMessage(const std::string& Msg);
void Beep();

// Real Qt message boxes (QMessageBox). Needs a QApplication; without one (a program
// with no user interface) the box is written to standard error and answered with its
// first button in the order OK, Yes, Cancel, No, the others.
class TQtUIHost : public TUIHost {
 public:
  int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, unsigned Buttons,
                 int HelpCtx) override;
  void ShowMessage(const std::string& Msg) override;
  void Beep() override;
  bool FileDialog(TOpenDialog& Dialog) override;
};

// For tests: records every box and beep, answers boxes from a queue.
class TScriptedUIHost : public TUIHost {
 public:
  enum class TBoxKind { MessageDlg, ShowMessage };
  struct TBox {
    TBoxKind Kind;
    TMsgDlgType DlgType;  // mtCustom for a plain box
    std::string Text;
    unsigned Buttons;  // mbOKOnly for a plain box
    int HelpCtx;
  };

  int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, unsigned Buttons,
                 int HelpCtx) override;
  void ShowMessage(const std::string& Msg) override;
  void Beep() override { ++Beeps; }
  // Records the dialog and answers with the next of FileAnswers (an empty name, or
  // none left, cancels).
  bool FileDialog(TOpenDialog& Dialog) override;
  // Runs the next of Modal inside the form's modal loop; without one, or when the
  // script leaves the form open, the form is closed with Cancel. A form still open
  // after WatchdogMs is closed with Cancel and counted in TimedOut.
  int ShowModal(Forms::TForm& Form) override;

  // Forgets the boxes, beeps, file dialogs and unused answers and scripts.
  void Reset();

  std::vector<TBox> Boxes;
  int Beeps = 0;
  // Answers for MessageDlg, first first; mrOk when the queue is empty.
  std::deque<int> Answers;
  // Called after a box was recorded (before it is answered), when set.
  std::function<void(const TBox&)> OnBox;

  struct TFileDialogCall {
    bool Save;
    std::string Title, DefaultExt, Filter, InitialDir;
    unsigned Options;
  };
  std::vector<TFileDialogCall> FileDialogs;
  std::deque<std::string> FileAnswers;
  std::deque<std::function<void(Forms::TForm&)>> Modal;
  int ModalShown = 0;
  int TimedOut = 0;
  int WatchdogMs = 20000;
};

}  // namespace Dialogs
