// kytdesign: a small form designer for the KYT filter components. It loads the
// component packages at run time, shows their palette, and opens, edits and saves form
// files.
#include <QApplication>
#include <QCoreApplication>
#include <QImage>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "apps/kytdesign/DesignPackages.h"
#include "apps/kytdesign/MainWindow.h"
#include "host/designer/PackageLoader.h"
#include "host/rtl/SysUtils.h"
#include "host/ui/Dialogs.h"

#ifndef KYTDESIGN_BUILD_PACKAGE_DIR
#define KYTDESIGN_BUILD_PACKAGE_DIR ""
#endif

namespace {

const char* const kUsage =
    "usage: kytdesign [--package-dir DIR] [FORMFILE]\n"
    "       kytdesign [--package-dir DIR] --screenshot PNG [FORMFILE]\n"
    "       kytdesign [--package-dir DIR] --packages\n";
constexpr int kShotWidth = 1100;
constexpr int kShotHeight = 700;

struct TOptions {
  std::string packageDir, screenshot, formFile;
  bool packages = false, help = false;
};

// False after writing what is wrong (one line) and the usage.
bool ParseOptions(const std::vector<std::string>& Args, TOptions& O) {
  auto fail = [](const std::string& Why) {
    std::fprintf(stderr, "kytdesign: %s\n%s", Why.c_str(), kUsage);
    return false;
  };
  for (size_t i = 0; i < Args.size(); ++i) {
    const std::string& a = Args[i];
    if (a == "--help" || a == "-h") {
      O.help = true;
    } else if (a == "--packages") {
      O.packages = true;
    } else if (a == "--package-dir" || a == "--screenshot") {
      if (i + 1 >= Args.size() || Args[i + 1].empty()) return fail(a + " needs a value");
      (a == "--package-dir" ? O.packageDir : O.screenshot) = Args[++i];
    } else if (!a.empty() && a[0] == '-') {
      return fail("unknown option '" + a + "'");
    } else if (O.formFile.empty()) {
      O.formFile = a;
    } else {
      return fail("one form file at a time ('" + a + "')");
    }
  }
  if (O.packages && (!O.screenshot.empty() || !O.formFile.empty()))
    return fail("--packages takes no form file and no screenshot");
  return true;
}

std::string ProgramDir(const char* Argv0) {
  std::error_code ec;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) self = std::filesystem::absolute(Argv0, ec);
  return self.parent_path().string();
}

// Loads the packages; failures go to standard error or, with a window, to a box.
std::vector<DesignPackages::TLoadResult> LoadPackages(const std::string& Dir, bool Quiet) {
  std::vector<DesignPackages::TLoadResult> results = DesignPackages::LoadAll(Dir);
  for (const DesignPackages::TLoadResult& r : results) {
    if (r.Error.empty()) continue;
    const std::string text = "Package " + r.Name + " was not loaded: " + r.Error;
    if (Quiet) std::fprintf(stderr, "kytdesign: %s\n", SysUtils::AnsiToUtf8(text).c_str());
    else Dialogs::MessageDlg(text, Dialogs::TMsgDlgType::mtWarning, Dialogs::mbOKOnly, 0);
  }
  return results;
}

// The first component with a field-definitions property, else the first one: the
// inspector of a screenshot shows what this designer is for.
Classes::TComponent* ComponentToShow(MainWindow::TMainWindow& Window) {
  const std::vector<Classes::TComponent*> all = Window.Document().Components();
  for (Classes::TComponent* c : all)
    if (TypInfo::GetPropInfo(c->ClassName(), "FilterFieldDefs")) return c;
  return all.empty() ? nullptr : all.front();
}

int Screenshot(MainWindow::TMainWindow& Window, const std::string& File) {
  Window.Select(ComponentToShow(Window));
  Window.resize(kShotWidth, kShotHeight);
  Window.show();
  QCoreApplication::processEvents();
  const QImage image = Window.grab().toImage();
  if (!image.save(QString::fromStdString(File), "PNG")) {
    std::fprintf(stderr, "kytdesign: cannot write %s\n", File.c_str());
    return 1;
  }
  return 0;
}

// Qt's notes (the platform's limits, a missing runtime folder) are not the program's
// output when it runs without a window: only Qt's critical errors reach standard error.
void QuietQtMessages(QtMsgType Type, const QMessageLogContext&, const QString& Message) {
  if (Type == QtCriticalMsg || Type == QtFatalMsg) std::fprintf(stderr, "%s\n", Message.toLocal8Bit().constData());
}

}  // namespace

int main(int argc, char** argv) {
  TOptions options;
  if (!ParseOptions(std::vector<std::string>(argv + 1, argv + argc), options)) return 2;
  if (options.help) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  const bool quiet = options.packages || !options.screenshot.empty();
  if (quiet) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(QuietQtMessages);
  }
  QApplication app(argc, argv);
  app.setApplicationName("kytdesign");

  // Without a window to answer them, boxes are written to standard error and answered
  // with OK.
  Dialogs::TScriptedUIHost console;
  console.OnBox = [](const Dialogs::TScriptedUIHost::TBox& Box) {
    std::fprintf(stderr, "kytdesign: %s\n", SysUtils::AnsiToUtf8(Box.Text).c_str());
  };
  if (quiet) Dialogs::SetUIHost(&console);

  const std::string dir = options.packageDir.empty()
                              ? DesignPackages::DefaultPackageDir(ProgramDir(argv[0]), KYTDESIGN_BUILD_PACKAGE_DIR)
                              : options.packageDir;
  const std::vector<DesignPackages::TLoadResult> loaded = LoadPackages(dir, quiet);
  int rc = 0;
  if (options.packages) {
    std::fputs(SysUtils::AnsiToUtf8(DesignPackages::Describe(loaded)).c_str(), stdout);
    for (const DesignPackages::TLoadResult& r : loaded)
      if (!r.Error.empty()) rc = 1;
  } else {
    MainWindow::TMainWindow window;
    if (!options.formFile.empty()) {
      try {
        window.Document().Open(options.formFile);
      } catch (const SysUtils::Exception& e) {
        std::fprintf(stderr, "kytdesign: %s: %s\n", options.formFile.c_str(), SysUtils::AnsiToUtf8(e.Message()).c_str());
        rc = 1;
      }
    }
    if (rc == 0) {
      if (!options.screenshot.empty()) {
        rc = Screenshot(window, options.screenshot);
      } else {
        window.resize(kShotWidth, kShotHeight);
        window.show();
        rc = app.exec();
      }
    }
  }
  // The form's components go before the packages whose code they run.
  Dialogs::SetUIHost(nullptr);
  PackageLoader::UnloadAll();
  return rc;
}
