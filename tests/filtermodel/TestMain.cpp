#include <gtest/gtest.h>

#include <QApplication>

#include <cstdlib>

#include "TestHost.h"

Dialogs::TScriptedUIHost& ScriptedHost() {
  static Dialogs::TScriptedUIHost host;
  return host;
}

namespace {
// Every test starts with no recorded boxes.
class ResetHost : public ::testing::EmptyTestEventListener {
  void OnTestStart(const ::testing::TestInfo&) override { ScriptedHost().Reset(); }
};
}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  Dialogs::SetUIHost(&ScriptedHost());
  ::testing::InitGoogleTest(&argc, argv);
  ::testing::UnitTest::GetInstance()->listeners().Append(new ResetHost);
  const int rc = RUN_ALL_TESTS();
  Dialogs::SetUIHost(nullptr);
  return rc;
}
