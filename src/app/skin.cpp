#include "app/skin.h"

#include <QApplication>
#include <QFile>
#include <QString>

// The skins live in a static library: pull their resource in explicitly, as
// nothing else references it and the linker would drop it.
static void init_skin_resources() { Q_INIT_RESOURCE(skins); }

namespace pagloom {

namespace {

QString skin_path(int n) { return QStringLiteral(":/skins/skin%1.qss").arg(n); }

void ensure_resources() {
  static const bool done = (init_skin_resources(), true);
  (void)done;
}

}  // namespace

bool has_skin(int n) {
  ensure_resources();
  return QFile::exists(skin_path(n));
}

void install_skin(int n) {
  ensure_resources();
  auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
  QFile file(skin_path(n));
  if (!app || !file.open(QIODevice::ReadOnly)) return;
  app->setStyleSheet(QString::fromUtf8(file.readAll()));
}

}  // namespace pagloom
