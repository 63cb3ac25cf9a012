// The Qt application and the UI host of the verbs that run the library's real dialogs
// without a screen: apply, form show and form fielddefs.
#pragma once

#include <QtGlobal>

#include <memory>

#include "host/ui/Dialogs.h"

class QApplication;

namespace kytcli {

// A QApplication on Qt's off-screen platform for the object's lifetime. Qt's own notes
// (missing fonts, the platform's limits) are not the tool's output: only its critical
// errors reach standard error. One at a time.
class TOffscreenApplication {
 public:
  TOffscreenApplication();
  ~TOffscreenApplication();
  TOffscreenApplication(const TOffscreenApplication&) = delete;
  TOffscreenApplication& operator=(const TOffscreenApplication&) = delete;

 private:
  QtMessageHandler FPrevious = nullptr;
  std::unique_ptr<QApplication> FApp;
};

// The UI host while it lives: every message box is written to standard error as
// "kytfilter: TEXT" when it comes, counted in Shown and answered with OK; file dialogs
// and modal dialogs are answered from the queues of the scripted host.
class TConsoleHost : public Dialogs::TScriptedUIHost {
 public:
  TConsoleHost();
  ~TConsoleHost() override;
  TConsoleHost(const TConsoleHost&) = delete;
  TConsoleHost& operator=(const TConsoleHost&) = delete;
  int Shown = 0;
};

}  // namespace kytcli
