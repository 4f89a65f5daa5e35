#include "app/process_setup.h"

#include <unistd.h>

#include <QCoreApplication>

namespace pagloom {

void prepare_process() {
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

}  // namespace pagloom
