// Starts the local stand-in of the affiliate and marketplace services on a
// free port and opens the main window pointed at it. Log in with any name on
// the login page, then generate pages or convert links as with the real
// services. Opening <services>/logout-all.do in any browser ends the session,
// so that a run can be seen pausing on the login page and resuming after a
// new login.
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
  std::printf(
      "pagloom-demo: log in with any name on the login page (登陆阿里妈妈). To end the session during a "
      "run,\n"
      "  open %s in any browser (or: curl %s); the run pauses on the login page and goes on\n"
      "  once you log in again there.\n",
      qPrintable(services.url(QString::fromLatin1(pagloom::testing::MockServices::kEndSessionsPath))),
      qPrintable(services.url(QString::fromLatin1(pagloom::testing::MockServices::kEndSessionsPath))));
  std::fflush(stdout);

  pagloom::MainWindow window(services.endpoints(), QCoreApplication::applicationDirPath().toStdString());
  window.show();
  return app.exec();
}
