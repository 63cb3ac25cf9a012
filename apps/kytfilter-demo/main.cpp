// kytfilter-demo: a small data browser over the sample orders, filtered through the
// KYT filter components.
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QSocketNotifier>
#include <QStatusBar>

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "apps/kytfilter-demo/DemoData.h"
#include "apps/kytfilter-demo/DemoForm.h"
#include "apps/kytfilter-demo/MainWindow.h"
#include "dataaccess/db/DBText.h"
#include "dataaccess/sample/Sample.h"
#include "filterdialog/kytSQLFilterForm.h"
#include "host/rtl/SysUtils.h"
#include "host/ui/Dialogs.h"
#include "dataaccess/sample/QtSqlConnect.h"
#include "host/ui/Forms.h"

namespace {

const char* kUsage =
    "usage: kytfilter-demo [--data-dir DIR] [--variant ibo|ibd|bde|qtsql] [--pg CONNECTION] [--orders N]\n"
    "                      [--screenshot FILE]\n";

struct TOptions {
  std::string dataDir, screenshot, pg;
  int variant = 0;
  int orders = Sample::kDefaultOrders;
  bool help = false;
};

// False after writing what is wrong.
bool ParseOptions(int argc, char** argv, TOptions& O) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      O.help = true;
      continue;
    }
    if (i + 1 >= args.size()) {
      std::fprintf(stderr, "kytfilter-demo: %s needs a value\n%s", a.c_str(), kUsage);
      return false;
    }
    const std::string& v = args[++i];
    if (a == "--data-dir" && !v.empty()) {
      O.dataDir = v;
    } else if (a == "--pg" && !v.empty()) {
      O.pg = v;
    } else if (a == "--screenshot" && !v.empty()) {
      O.screenshot = v;
    } else if (a == "--variant") {
      O.variant = -1;
      for (int k = 0; k < static_cast<int>(std::size(kytdemo::kVariants)); ++k)
        if (v == kytdemo::kVariants[k].Key) O.variant = k;
      if (O.variant < 0) {
        std::fprintf(stderr, "kytfilter-demo: unknown variant '%s'\n%s", v.c_str(), kUsage);
        return false;
      }
    } else if (a == "--orders") {
      char* end = nullptr;
      const long n = std::strtol(v.c_str(), &end, 10);
      if (end == v.c_str() || *end != '\0' || n < 1 || n > 10000000) {
        std::fprintf(stderr, "kytfilter-demo: --orders takes a number from 1 to 10000000\n%s", kUsage);
        return false;
      }
      O.orders = static_cast<int>(n);
    } else {
      std::fprintf(stderr, "kytfilter-demo: unknown option '%s'\n%s", a.c_str(), kUsage);
      return false;
    }
  }
  return true;
}

void PrintHelp() {
  std::printf(
      "kytfilter-demo: browse the sample orders through the KYT filter components.\n\n%s\n"
      "  --data-dir DIR       the folder of the sample databases, the saved filters and the\n"
      "                       demo's form file (kytfilter-demo.dfm: the queries and filter\n"
      "                       components with their field definitions), made on first start\n"
      "                       (default: the per-user data folder)\n"
      "  --variant KIND       the filter component to start with: ibo (IB Objects native\n"
      "                       query), ibd (IB Objects dataset), bde (BDE query over SQLite)\n"
      "                       or qtsql (Qt SQL query, over SQLite unless --pg is given)\n"
      "  --pg CONNECTION      the Qt SQL variant reads this PostgreSQL database, a libpq\n"
      "                       connection string (\"host=H port=P dbname=D user=U\"; the\n"
      "                       password from PGPASSWORD when not in it); the sample tables\n"
      "                       are made there when the search path finds none\n"
      "  --orders N           orders in a sample database made on first start (default %d)\n"
      "  --screenshot FILE    run off-screen, apply the saved filter \"Shipped orders from\n"
      "                       500\" through the filter dialog, write a PNG picture of the\n"
      "                       window to FILE and exit\n",
      kUsage, Sample::kDefaultOrders);
}

bool HaveDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* v = std::getenv(name);
    if (v != nullptr && *v != '\0') return true;
  }
  return false;
}

// Off-screen, the filter dialog is answered by a script: open the sample filter with
// the dialog's own open command and accept, as a user would.
class TScreenshotHost : public Dialogs::TScriptedUIHost {
 public:
  explicit TScreenshotHost(const std::string& FilterFile) {
    OnBox = [this](const TBox& Box) {
      std::fprintf(stderr, "kytfilter-demo: %s\n", DB::AnsiToUtf8(Box.Text).c_str());
      ++Shown;
    };
    FileAnswers.push_back(FilterFile);
    Modal.push_back([this](Forms::TForm& Form) {
      auto* dialog = dynamic_cast<kytSQLFilterForm::TformFilter*>(&Form);
      if (dialog == nullptr) return;
      dialog->btOpenFilterClick(dialog);
      try {
        dialog->btConfirmClick(dialog);
      } catch (const SysUtils::EAbort&) {
        const Classes::TStrings& memo = *dialog->MemoSQL->Lines();
        if (memo.Count() > 0)
          std::fprintf(stderr, "kytfilter-demo: %s\n", DB::AnsiToUtf8(memo.Get(memo.Count() - 1)).c_str());
        throw;
      }
    });
  }
  int Shown = 0;
};

// Firebird's embedded engine catches SIGINT and SIGTERM for its own shutdown and leaves
// the process running, so Ctrl+C and kill would not end the demo. Both signals are
// blocked in every thread from the start (threads inherit the mask) and read in the
// event loop instead, where they close the window like its Quit command.
class TQuitSignals {
 public:
  TQuitSignals() {
    sigemptyset(&FSet);
    sigaddset(&FSet, SIGINT);
    sigaddset(&FSet, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &FSet, nullptr);
    FFd = signalfd(-1, &FSet, SFD_NONBLOCK | SFD_CLOEXEC);
  }
  ~TQuitSignals() {
    if (FFd >= 0) ::close(FFd);
  }
  // Closes Window when a signal comes. Without a signalfd the signals stay blocked and
  // pending; the window's Quit command still works.
  void Watch(QWidget& Window) {
    if (FFd < 0) return;
    auto* notifier = new QSocketNotifier(FFd, QSocketNotifier::Read, &Window);
    QObject::connect(notifier, &QSocketNotifier::activated, &Window, [this, &Window] {
      signalfd_siginfo info;
      while (::read(FFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
      }
      Window.close();
    });
  }

 private:
  sigset_t FSet;
  int FFd = -1;
};

// Qt's notes about the off-screen platform's limits are not the screenshot's output.
void QuietQtMessages(QtMsgType Type, const QMessageLogContext&, const QString& Msg) {
  if (Type == QtCriticalMsg || Type == QtFatalMsg) std::fprintf(stderr, "%s\n", Msg.toLocal8Bit().constData());
}

int Screenshot(QApplication& App, kytdemo::TMainWindow& Window, const std::string& File) {
  Window.show();
  App.processEvents();
  const bool applied = Window.RunFilter();
  App.processEvents();
  if (!applied) {
    std::fprintf(stderr, "kytfilter-demo: the sample filter was not applied\n");
    return 1;
  }
  const QImage image = Window.grab().toImage();
  if (!image.save(QString::fromStdString(File), "PNG")) {
    std::fprintf(stderr, "kytfilter-demo: cannot write %s\n", File.c_str());
    return 1;
  }
  std::printf("kytfilter-demo: wrote %s (%dx%d, %d rows shown)\n", File.c_str(), image.width(), image.height(),
              Window.RowCount());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  TQuitSignals quitSignals;
  TOptions o;
  if (!ParseOptions(argc, argv, o)) return 2;
  if (o.help) {
    PrintHelp();
    return 0;
  }
  const bool screenshot = !o.screenshot.empty();
  if (screenshot) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(QuietQtMessages);
  } else if (!HaveDisplay()) {
    std::fprintf(stderr,
                 "kytfilter-demo: no display (neither DISPLAY nor WAYLAND_DISPLAY is set).\n"
                 "Run it on a virtual X server:\n"
                 "  xvfb-run -a -s '-screen 0 1280x1024x24' %s\n"
                 "or write a picture of its window without one:\n"
                 "  %s --screenshot demo.png\n",
                 argv[0], argv[0]);
    return 2;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("kytfilter-demo"));
  QApplication::setOrganizationName(QStringLiteral("KYT"));
  const std::string dir = o.dataDir.empty() ? kytdemo::DefaultDataDir() : o.dataDir;
  if (dir.empty()) {
    std::fprintf(stderr, "kytfilter-demo: the system names no data folder; give one with --data-dir\n");
    return 2;
  }

  std::unique_ptr<TScreenshotHost> host;
  if (screenshot) {
    // Known before the data exist: the sample filter is made with them.
    host = std::make_unique<TScreenshotHost>((std::filesystem::path(dir) / "filters" / "Shipped orders from 500.flt").string());
    Dialogs::SetUIHost(host.get());
  }

  int rc = 0;
  {
    kytdemo::TMainWindow window;
    quitSignals.Watch(window);
    if (!screenshot) window.show();
    kytdemo::TDemoData data;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
      data = kytdemo::EnsureDemoData(dir, o.orders, [&](const std::string& Step) {
        std::printf("kytfilter-demo: %s\n", Step.c_str());
        std::fflush(stdout);
        window.statusBar()->showMessage(QString::fromStdString(Step));
        app.processEvents();
      }, o.pg);
    } catch (const SysUtils::Exception& e) {
      Dialogs::MessageDlg("The demo's data folder " + DB::Utf8ToAnsi(dir) + " cannot be prepared:\n" + e.Message(),
                          Dialogs::TMsgDlgType::mtError, Dialogs::mbOKOnly, 0);
      rc = 1;
    } catch (const std::exception& e) {
      Dialogs::MessageDlg("The demo's data folder " + DB::Utf8ToAnsi(dir) + " cannot be prepared:\n" + DB::Utf8ToAnsi(e.what()),
                          Dialogs::TMsgDlgType::mtError, Dialogs::mbOKOnly, 0);
      rc = 1;
    }
    QApplication::restoreOverrideCursor();
    window.statusBar()->clearMessage();
    if (rc == 0) {
      window.Start(data, o.variant);
      rc = screenshot ? Screenshot(app, window, o.screenshot) : app.exec();
    }
  }
  // The window and its queries are gone: the Qt SQL connection may go too.
  QtSqlConnect::Close(kytdemo::kQtSqlConnection);
  Dialogs::SetUIHost(nullptr);
  return rc;
}
