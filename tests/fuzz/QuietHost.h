// A UI host for the fuzz targets: message boxes are counted, never shown, so the
// readers run without a window and without QApplication.
#pragma once

#include <string>

#include "host/ui/Dialogs.h"

namespace kytfuzz {

class TQuietHost : public Dialogs::TUIHost {
 public:
  TQuietHost() { Dialogs::SetUIHost(this); }
  ~TQuietHost() override { Dialogs::SetUIHost(nullptr); }
  int MessageDlg(const std::string& Msg, Dialogs::TMsgDlgType, unsigned, int) override {
    Last = Msg;
    ++Boxes;
    return Dialogs::mrOk;
  }
  void ShowMessage(const std::string& Msg) override {
    Last = Msg;
    ++Boxes;
  }
  void Beep() override {}
  std::string Last;
  int Boxes = 0;
};

}  // namespace kytfuzz
