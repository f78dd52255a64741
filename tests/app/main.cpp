#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "app/application.h"
#include "test_files.h"

using namespace odecet;

namespace {

// A home folder of the suite's own, so no test depends on whoever runs it. ODECET_TEST_FILES
// says where the tests' temporary folders lie: "home" right inside it, where a lab keeps its
// data and where Qt's dialogs behave differently, "below-home" a folder deeper, and otherwise
// outside it.
class TestHome {
 public:
  TestHome() {
    ::setenv("HOME", home_.path().c_str(), 1);
    const QByteArray files = qgetenv("ODECET_TEST_FILES");
    if (files == "home") {
      ::setenv("TMPDIR", home_.path().c_str(), 1);
    } else if (files == "below-home") {
      const std::string below = home_.path() + "/data/lab";
      std::filesystem::create_directories(below);
      ::setenv("TMPDIR", below.c_str(), 1);
    }
  }

 private:
  TempDir home_{"odecet-home"};
};

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const TestHome home;
  // No display is needed, also when ctest lists the tests.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  // The window runs as on a Czech lab machine: decimal commas.
  qputenv("LOCPATH", ODECET_TEST_LOCALES);
  qputenv("LC_ALL", "cs_CZ.UTF-8");
  TApplication application(argc, argv);
  application.LoadTranslations();
  // Each test closes its own window; the application must outlive them all.
  TApplication::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
