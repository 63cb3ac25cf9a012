// kytdesign run as a developer runs it: the packages it loads from the build tree and
// the off-screen picture of its window.
#include <gtest/gtest.h>

#include <QImage>

#include <filesystem>
#include <fstream>
#include <string>

#include "tests/apps/CliRun.h"

namespace {

namespace fs = std::filesystem;

CliResult RunDesigner(const std::vector<std::string>& Args) {
  std::vector<std::string> args = {"--package-dir", KYTDESIGN_PACKAGE_DIR};
  args.insert(args.end(), Args.begin(), Args.end());
  return RunCli(args);
}

TEST(KytdesignProgram, PackagesListsEachPackageAndItsPalette) {
  const CliResult r = RunDesigner({"--packages"});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.err, "");
  for (const char* expected :
       {"kytFilterBasePkg\n", "  Description: KYT Filter Base Package\n", "kytIBOFilterPkg\n",
        "  Description: KYT IBO filter components\n", "  Units: kytIBOFilter, kytIBDFilter\n",
        "  Requires: kytFilterBasePkg", "  Palette: IB Controls: TkytIBOFilter, TkytIBDFilter\n", "kytBDEFilterPkg\n",
        "  Description: KYT BDE filter components\n", "  Palette: Data Controls: TkytBDEFilter\n"})
    EXPECT_NE(r.out.find(expected), std::string::npos) << expected << "\n" << r.out;
}

TEST(KytdesignProgram, ArgumentsAndFilesThatFail) {
  struct Row {
    std::vector<std::string> Args;
    int Code;
    const char* Err;
  };
  const fs::path bad = fs::temp_directory_path() / ("kytdesign-bad-" + std::to_string(::getpid()) + ".dfm");
  std::ofstream(bad) << "object X: TNoSuchClass\r\nend\r\n";
  const Row rows[] = {
      {{"--frobnicate"}, 2, "kytdesign: unknown option '--frobnicate'\n"},
      {{"--screenshot"}, 2, "kytdesign: --screenshot needs a value\n"},
      {{"a.dfm", "b.dfm"}, 2, "kytdesign: one form file at a time ('b.dfm')\n"},
      {{"--screenshot", "x.png", bad.string()}, 1, "Line 1"},
      {{"--screenshot", "x.png", "/nonexistent/form.dfm"}, 1, "Cannot open file"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.Args.back());
    const CliResult r = RunDesigner(row.Args);
    EXPECT_EQ(r.code, row.Code) << r.err;
    EXPECT_NE(r.err.find(row.Err), std::string::npos) << r.err;
  }
  fs::remove(bad);
}

TEST(KytdesignProgram, ScreenshotOfTheWindow) {
  const std::string stem = (fs::temp_directory_path() / ("kytdesign-" + std::to_string(::getpid()))).string();
  std::ofstream(stem + ".dfm") << "object Shop: TDataModule\r\n"
                                  "  object Orders: TIB_Query\r\n"
                                  "  end\r\n"
                                  "  object OrderFilter: TkytIBOFilter\r\n"
                                  "    DataSet = Orders\r\n"
                                  "  end\r\n"
                                  "end\r\n";
  for (const std::vector<std::string>& form : {std::vector<std::string>{}, {stem + ".dfm"}}) {
    SCOPED_TRACE(form.size());
    std::vector<std::string> args = {"--screenshot", stem + ".png"};
    args.insert(args.end(), form.begin(), form.end());
    const CliResult r = RunDesigner(args);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const QImage image(QString::fromStdString(stem + ".png"));
    EXPECT_EQ(image.size(), QSize(1100, 700));
    fs::remove(stem + ".png");
  }
  fs::remove(stem + ".dfm");
}

}  // namespace
