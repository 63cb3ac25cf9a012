// Message boxes and the beep, as the host's dialog unit offers them.
//
// Every box goes through one replaceable UI host: the default shows real Qt message
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

  // Forgets the boxes, beeps and unused answers.
  void Reset();

  std::vector<TBox> Boxes;
  int Beeps = 0;
  // Answers for MessageDlg, first first; mrOk when the queue is empty.
  std::deque<int> Answers;
  // Called after a box was recorded (before it is answered), when set.
  std::function<void(const TBox&)> OnBox;
};

}  // namespace Dialogs
