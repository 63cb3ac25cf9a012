// kytfilter-demo run as a user runs it: the off-screen picture of its window after the
// sample filter was applied through each filter component, a form file it cannot read,
// and the start without a display.
#include <gtest/gtest.h>

#include <QImage>
#include <QString>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "PgServer.h"

namespace {

namespace fs = std::filesystem;

struct TRun {
  int code = -1;
  std::string out, err;
};

std::string Quote(const std::string& s) {
  std::string r = "'";
  for (char c : s) r += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return r + "'";
}

std::string Slurp(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

// Env is a prefix for env(1): "-u DISPLAY ..." or empty.
TRun RunDemo(const fs::path& Dir, const std::string& Env, const std::vector<std::string>& Args) {
  std::string cmd = "env " + Env + " " + Quote(KYTFILTER_DEMO_EXE);
  for (const std::string& a : Args) cmd += " " + Quote(a);
  cmd += " </dev/null >" + Quote((Dir / "out").string()) + " 2>" + Quote((Dir / "err").string());
  const int status = std::system(cmd.c_str());
  TRun r;
  r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  r.out = Slurp(Dir / "out");
  r.err = Slurp(Dir / "err");
  return r;
}

class Demo : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "kyt-demo-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
  fs::path dir;
};

TEST_F(Demo, ScreenshotOfEachVariantShowsTheFilteredRows) {
  const fs::path data = dir / "data";
  std::set<std::string> counts;
  for (const std::string variant : {"ibo", "ibd", "bde", "qtsql"}) {
    SCOPED_TRACE(variant);
    const fs::path png = dir / ("demo-" + variant + ".png");
    // Off-screen whatever the machine has: the program chooses the platform itself.
    TRun r = RunDemo(dir, "-u QT_QPA_PLATFORM",
                    {"--screenshot", png.string(), "--data-dir", data.string(), "--orders", "300", "--variant", variant});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err.find("kytfilter-demo:"), std::string::npos) << r.err;  // no message box

    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(png.string()), "PNG")) << png;
    EXPECT_EQ(image.width(), 1100);
    EXPECT_EQ(image.height(), 700);
    // A drawn window, not an empty area: grid text, headers, buttons.
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); y += 2)
      for (int x = 0; x < image.width(); x += 2) colours.insert(image.pixel(x, y));
    EXPECT_GT(colours.size(), 40u);

    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, std::regex("wrote .*\\(1100x700, ([0-9]+) rows shown\\)"))) << r.out;
    counts.insert(m[1]);
    EXPECT_NE(m[1], "0");
  }
  // One sample, one filter: every component shows the same rows, whichever engine.
  EXPECT_EQ(counts.size(), 1u);
  for (const char* made : {"sample.fdb", "sample.db", "filters/Shipped orders from 500.flt", "filters/Orders of 2023.flt",
                           "kytfilter-demo.dfm"})
    EXPECT_TRUE(fs::exists(data / made)) << made;
}

// The Qt SQL variant over PostgreSQL (--pg) shows the rows the SQLite one shows; the
// demo makes the sample tables in the test's own schema.
class DemoPostgres : public Demo {};

TEST_F(DemoPostgres, QtSqlVariantOverPostgresShowsTheSameRows) {
  pgtest::TSchema schema;
  if (!schema.Ok()) GTEST_SKIP() << schema.Reason();
  const fs::path data = dir / "data";
  std::set<std::string> counts;
  for (const bool pg : {false, true}) {
    std::vector<std::string> args = {"--screenshot", (dir / "demo.png").string(), "--data-dir", data.string(),
                                     "--orders", "300", "--variant", "qtsql"};
    if (pg) args.insert(args.end(), {"--pg", schema.Connection()});
    TRun r = RunDemo(dir, "-u QT_QPA_PLATFORM", args);
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.err.find("kytfilter-demo:"), std::string::npos) << r.err;  // no message box
    std::smatch m;
    ASSERT_TRUE(std::regex_search(r.out, m, std::regex("wrote .*\\(1100x700, ([0-9]+) rows shown\\)"))) << r.out;
    EXPECT_NE(m[1], "0");
    counts.insert(m[1]);
  }
  EXPECT_EQ(counts.size(), 1u);
}

TEST_F(Demo, AMalformedFormFileIsToldOnStandardErrorAndLeftAsItIs) {
  const fs::path data = dir / "data";
  fs::create_directories(data);
  const fs::path form = data / "kytfilter-demo.dfm";
  const std::string bad = "object DemoForm: TDataModule\r\n  object IBOQuery: TIB_Query\r\n    SQL.Strings = (\r\n";
  std::ofstream(form, std::ios::binary) << bad;
  const fs::path png = dir / "demo.png";
  TRun r = RunDemo(dir, "-u QT_QPA_PLATFORM",
                   {"--screenshot", png.string(), "--data-dir", data.string(), "--orders", "300", "--variant", "bde"});
  // The demo went on from its defaults.
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(fs::exists(png));
  EXPECT_NE(r.err.find("kytfilter-demo: The demo's form file " + form.string() + " cannot be read"), std::string::npos)
      << r.err;
  EXPECT_EQ(Slurp(form), bad);
}

TEST_F(Demo, WithoutADisplaySaysHowToRunIt) {
  TRun r = RunDemo(dir, "-u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM", {"--data-dir", (dir / "data").string()});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("xvfb-run"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("--screenshot"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(dir / "data"));  // nothing made before the window could show
}

TEST_F(Demo, BadOptionsExitWithTwo) {
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--variant", "xyz"}, {"--orders", "0"}, {"--bogus"}, {"--screenshot"}}) {
    TRun r = RunDemo(dir, "", args);
    EXPECT_EQ(r.code, 2) << args.front();
    EXPECT_NE(r.err.find("usage: kytfilter-demo"), std::string::npos) << r.err;
  }
}

}  // namespace
