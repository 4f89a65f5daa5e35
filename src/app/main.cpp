#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <filesystem>

#include "app/endpoints.h"
#include "app/main_window.h"

int main(int, char** argv) {
  // The program reads no command line: Qt sees the program name alone.
  int qt_argc = 1;
  char* qt_argv[] = {argv[0], nullptr};

  // Chromium refuses to run as root inside its sandbox.
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");

  QCoreApplication::setAttribute(
      Qt::AA_ShareOpenGLContexts);  // QtWebEngine asks for it before the app exists
  QApplication app(qt_argc, qt_argv);
  pagloom::MainWindow window(
      pagloom::Endpoints::defaults(),
      std::filesystem::path(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString()));
  window.show();
  return QApplication::exec();
}
