#include <gtest/gtest.h>

#include <QApplication>

// The widgets need one QApplication for the whole run; gtest_main cannot
// make it, so this main replaces it.
int main(int argc, char** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QCoreApplication::setApplicationName(QStringLiteral("Korvel200ST8-X10"));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
