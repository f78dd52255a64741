#include <gtest/gtest.h>

#include "app/application.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // No display is needed, also when ctest lists the tests.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  // The window runs as on a Czech lab machine: decimal commas.
  qputenv("LOCPATH", ODECET_TEST_LOCALES);
  qputenv("LC_ALL", "cs_CZ.UTF-8");
  TApplication application(argc, argv);
  // Each test closes its own window; the application must outlive them all.
  TApplication::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
