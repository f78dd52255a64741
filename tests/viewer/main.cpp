#include <gtest/gtest.h>

#include <QApplication>

#include "gui_common/qt_translations.h"

using namespace odecet;

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // No display is needed, also when ctest lists the tests.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  // A Czech lab machine: decimal commas.
  qputenv("LOCPATH", ODECET_TEST_LOCALES);
  qputenv("LC_ALL", "cs_CZ.UTF-8");
  QApplication application(argc, argv);
  LoadQtTranslations(application);
  QApplication::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
