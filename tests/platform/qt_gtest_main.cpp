// GoogleTest main with a QApplication, so tests can use Qt Network,
// QtWebEngine and event loops.
#include <QtWebEngineCore/qtwebenginecoreglobal.h>
#include <gtest/gtest.h>
#include <QApplication>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
