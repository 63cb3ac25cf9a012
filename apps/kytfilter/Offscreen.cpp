#include "apps/kytfilter/Offscreen.h"

#include <QApplication>
#include <QByteArray>
#include <QString>

#include <cstdio>

#include "dataaccess/db/DBText.h"

namespace kytcli {

namespace {

void QuietQtMessages(QtMsgType Type, const QMessageLogContext&, const QString& Msg) {
  if (Type == QtCriticalMsg || Type == QtFatalMsg) std::fprintf(stderr, "%s\n", Msg.toLocal8Bit().constData());
}

// QApplication keeps references to both for its whole life.
int gArgc = 1;
char gName[] = "kytfilter";
char* gArgv[] = {gName, nullptr};

}  // namespace

TOffscreenApplication::TOffscreenApplication() {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  FPrevious = qInstallMessageHandler(QuietQtMessages);
  FApp = std::make_unique<QApplication>(gArgc, gArgv);
}

TOffscreenApplication::~TOffscreenApplication() {
  FApp.reset();
  qInstallMessageHandler(FPrevious);
}

TConsoleHost::TConsoleHost() {
  OnBox = [this](const TBox& Box) {
    std::fprintf(stderr, "kytfilter: %s\n", DB::AnsiToUtf8(Box.Text).c_str());
    ++Shown;
  };
  Dialogs::SetUIHost(this);
}

TConsoleHost::~TConsoleHost() { Dialogs::SetUIHost(nullptr); }

}  // namespace kytcli
