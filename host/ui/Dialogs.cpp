#include "host/ui/Dialogs.h"

#include "host/ui/AnsiText.h"
#include "host/ui/Controls.h"
#include "host/ui/Forms.h"

#include <QApplication>
#include <QFileDialog>
#include <QTimer>
#include <QCoreApplication>
#include <QAbstractButton>
#include <QMessageBox>
#include <QPushButton>
#include <QString>

#include <cstdio>
#include <utility>
#include <vector>

namespace Dialogs {

namespace {

using AnsiText::ToQString;

struct TButtonMap {
  TMsgDlgBtn Btn;
  QMessageBox::StandardButton Qt;
  int Result;
};

const TButtonMap kButtons[] = {
    {mbYes, QMessageBox::Yes, mrYes},
    {mbNo, QMessageBox::No, mrNo},
    {mbOK, QMessageBox::Ok, mrOk},
    {mbCancel, QMessageBox::Cancel, mrCancel},
    {mbAbort, QMessageBox::Abort, mrAbort},
    {mbRetry, QMessageBox::Retry, mrRetry},
    {mbIgnore, QMessageBox::Ignore, mrIgnore},
    {mbAll, QMessageBox::NoButton, mrAll},
    {mbNoToAll, QMessageBox::NoToAll, mrNoToAll},
    {mbYesToAll, QMessageBox::YesToAll, mrYesToAll},
    {mbHelp, QMessageBox::Help, mrNone},
};

const char* KindTitle(TMsgDlgType DlgType) {
  switch (DlgType) {
    case TMsgDlgType::mtWarning:
      return "Warning";
    case TMsgDlgType::mtError:
      return "Error";
    case TMsgDlgType::mtInformation:
      return "Information";
    case TMsgDlgType::mtConfirmation:
      return "Confirm";
    case TMsgDlgType::mtCustom:
      break;
  }
  return nullptr;
}

QMessageBox::Icon KindIcon(TMsgDlgType DlgType) {
  switch (DlgType) {
    case TMsgDlgType::mtWarning:
      return QMessageBox::Warning;
    case TMsgDlgType::mtError:
      return QMessageBox::Critical;
    case TMsgDlgType::mtInformation:
      return QMessageBox::Information;
    case TMsgDlgType::mtConfirmation:
      return QMessageBox::Question;
    case TMsgDlgType::mtCustom:
      break;
  }
  return QMessageBox::NoIcon;
}

QString AppTitle() {
  QString name = QCoreApplication::applicationName();
  return name.isEmpty() ? QStringLiteral("kytfilter") : name;
}

// The answer of a box that cannot be shown: its first button in the order OK, Yes,
// Cancel, No, then the rest in button order.
int DefaultAnswer(unsigned Buttons) {
  for (TMsgDlgBtn b : {mbOK, mbYes, mbCancel, mbNo})
    if (HasButton(Buttons, b))
      for (const TButtonMap& m : kButtons)
        if (m.Btn == b) return m.Result;
  for (const TButtonMap& m : kButtons)
    if (HasButton(Buttons, m.Btn)) return m.Result;
  return mrOk;
}

bool HaveApplication() { return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr; }

TQtUIHost& DefaultHost() {
  static TQtUIHost host;
  return host;
}

TUIHost* gHost = nullptr;

}  // namespace

void SetUIHost(TUIHost* Host) { gHost = Host; }

TUIHost& UIHost() { return gHost ? *gHost : DefaultHost(); }

int MessageDlg(const std::string& Msg, TMsgDlgType DlgType, unsigned Buttons, int HelpCtx) {
  return UIHost().MessageDlg(Msg, DlgType, Buttons, HelpCtx);
}
void ShowMessage(const std::string& Msg) { UIHost().ShowMessage(Msg); }
void Beep() { UIHost().Beep(); }

bool TOpenDialog::Execute() { return UIHost().FileDialog(*this); }

// ---- Qt host -----------------------------------------------------------------------

int TQtUIHost::MessageDlg(const std::string& Msg, TMsgDlgType DlgType, unsigned Buttons,
                          int HelpCtx) {
  (void)HelpCtx;  // no help system behind the boxes
  if (!HaveApplication()) {
    const char* title = KindTitle(DlgType);
    std::fprintf(stderr, "%s%s%s\n", title ? title : "", title ? ": " : "", Msg.c_str());
    return DefaultAnswer(Buttons);
  }
  QMessageBox box(KindIcon(DlgType),
                  KindTitle(DlgType) ? QString::fromLatin1(KindTitle(DlgType)) : AppTitle(),
                  ToQString(Msg));
  std::vector<std::pair<QAbstractButton*, int>> shown;
  for (const TButtonMap& m : kButtons) {
    if (!HasButton(Buttons, m.Btn)) continue;
    // Qt has no "All" button of its own.
    QAbstractButton* b = m.Btn == mbAll
                             ? box.addButton(QStringLiteral("&All"), QMessageBox::AcceptRole)
                             : box.addButton(m.Qt);
    shown.emplace_back(b, m.Result);
  }
  if (shown.empty()) shown.emplace_back(box.addButton(QMessageBox::Ok), mrOk);
  box.exec();
  for (const auto& [button, result] : shown)
    if (box.clickedButton() == button) return result;
  // Closed with Escape or the title bar: the host answers Cancel.
  return mrCancel;
}

void TQtUIHost::ShowMessage(const std::string& Msg) {
  if (!HaveApplication()) {
    std::fprintf(stderr, "%s\n", Msg.c_str());
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, AppTitle(), ToQString(Msg), QMessageBox::Ok);
  box.exec();
}

void TQtUIHost::Beep() {
  if (HaveApplication()) QApplication::beep();
}

namespace {

// "Filter files|*.flt|All Files|*.*" as Qt writes it: "Filter files (*.flt);;All Files (*.*)".
QString QtFilter(const std::string& Filter) {
  QStringList parts = ToQString(Filter).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    out << parts[i] + " (" + parts[i + 1].split(';').join(' ') + ")";
  return out.join(";;");
}

}  // namespace

bool TQtUIHost::FileDialog(TOpenDialog& Dialog) {
  if (!HaveApplication()) return false;
  QFileDialog box(nullptr, ToQString(Dialog.Title), ToQString(Dialog.InitialDir), QtFilter(Dialog.Filter));
  box.setAcceptMode(Dialog.IsSave() ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  box.setFileMode(Dialog.IsSave() || !(Dialog.Options & ofFileMustExist) ? QFileDialog::AnyFile
                                                                        : QFileDialog::ExistingFile);
  if (!Dialog.DefaultExt.empty()) box.setDefaultSuffix(ToQString(Dialog.DefaultExt));
  if (!(Dialog.Options & ofOverwritePrompt)) box.setOption(QFileDialog::DontConfirmOverwrite);
  if (!Dialog.FileName.empty()) box.selectFile(ToQString(Dialog.FileName));
  if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty()) return false;
  std::string name;
  if (!AnsiText::FromQString(box.selectedFiles().front(), name)) {
    MessageDlg("The file name cannot be written in the system's code page.", TMsgDlgType::mtError, mbOKOnly, 0);
    return false;
  }
  Dialog.FileName = name;
  return true;
}

bool TUIHost::FileDialog(TOpenDialog&) { return false; }

int TUIHost::ShowModal(Forms::TForm& Form) { return Form.exec(); }

// ---- Scripted host -----------------------------------------------------------------

bool TScriptedUIHost::FileDialog(TOpenDialog& Dialog) {
  FileDialogs.push_back({Dialog.IsSave(), Dialog.Title, Dialog.DefaultExt, Dialog.Filter, Dialog.InitialDir,
                         Dialog.Options});
  if (FileAnswers.empty()) return false;
  std::string answer = FileAnswers.front();
  FileAnswers.pop_front();
  if (answer.empty()) return false;
  Dialog.FileName = answer;
  return true;
}

int TScriptedUIHost::ShowModal(Forms::TForm& Form) {
  ++ModalShown;
  std::function<void(Forms::TForm&)> script;
  if (!Modal.empty()) {
    script = std::move(Modal.front());
    Modal.pop_front();
  }
  QTimer::singleShot(0, &Form, [&Form, script] {
    if (script) Controls::Dispatch([&] { script(Form); });
    if (Form.isVisible()) Form.done(mrCancel);
  });
  QTimer watchdog;
  watchdog.setSingleShot(true);
  QObject::connect(&watchdog, &QTimer::timeout, &Form, [this, &Form] {
    ++TimedOut;
    Form.done(mrCancel);
  });
  watchdog.start(WatchdogMs);
  return Form.exec();
}

int TScriptedUIHost::MessageDlg(const std::string& Msg, TMsgDlgType DlgType, unsigned Buttons,
                                int HelpCtx) {
  Boxes.push_back({TBoxKind::MessageDlg, DlgType, Msg, Buttons, HelpCtx});
  if (OnBox) OnBox(Boxes.back());
  if (Answers.empty()) return mrOk;
  const int answer = Answers.front();
  Answers.pop_front();
  return answer;
}

void TScriptedUIHost::ShowMessage(const std::string& Msg) {
  Boxes.push_back({TBoxKind::ShowMessage, TMsgDlgType::mtCustom, Msg, mbOKOnly, 0});
  if (OnBox) OnBox(Boxes.back());
}

void TScriptedUIHost::Reset() {
  Boxes.clear();
  Beeps = 0;
  Answers.clear();
  FileDialogs.clear();
  FileAnswers.clear();
  Modal.clear();
  ModalShown = 0;
  TimedOut = 0;
}

}  // namespace Dialogs
