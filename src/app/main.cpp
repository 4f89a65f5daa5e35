#include <QApplication>
#include <QFile>
#include <filesystem>

#include "app/main_window.h"
#include "app/process_setup.h"
#include "platform/endpoints.h"

int main(int, char** argv) {
  // The program reads no command line: Qt sees the program name alone.
  int qt_argc = 1;
  char* qt_argv[] = {argv[0], nullptr};

  pagloom::prepare_process();
  QApplication app(qt_argc, qt_argv);
  pagloom::load_translations(app);
  pagloom::MainWindow window(
      pagloom::Endpoints::defaults(),
      std::filesystem::path(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString()));
  window.show();
  return QApplication::exec();
}
