// Starts the local stand-in of the affiliate and marketplace services on a
// free port and opens the main window pointed at it. Log in with any name on
// the login page, then generate pages or convert links as with the real
// services.
#include <QApplication>
#include <QDir>
#include <cstdio>

#include "app/main_window.h"
#include "app/process_setup.h"
#include "mock/mock_services.h"

int main(int argc, char** argv) {
  pagloom::prepare_process();
  QApplication app(argc, argv);
  pagloom::load_translations(app);

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
