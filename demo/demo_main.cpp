// Starts the local stand-in of the affiliate and marketplace services on a
// free port and opens the main window pointed at it. Log in with any name on
// the login page, then generate pages or convert links as with the real
// services.
#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "app/main_window.h"
#include "mock/mock_services.h"

int main(int argc, char** argv) {
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);

  pagloom::testing::MockServices services;
  if (!services.start()) {
    std::fprintf(stderr, "pagloom-demo: could not start the local services\n");
    return 1;
  }
  std::printf("pagloom-demo: services at %s; run folder %s\n", qPrintable(services.base_url()),
              qPrintable(QDir::toNativeSeparators(QCoreApplication::applicationDirPath())));
  std::fflush(stdout);

  pagloom::MainWindow window(services.endpoints(), QCoreApplication::applicationDirPath().toStdString());
  window.show();
  return app.exec();
}
