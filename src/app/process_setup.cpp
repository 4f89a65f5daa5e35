#include "app/process_setup.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace pagloom {

void prepare_process() {
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

void load_translations(QCoreApplication& app) {
  QLocale locale = QLocale::system();
  if (locale.language() != QLocale::Chinese) locale = QLocale(QLocale::Chinese, QLocale::China);
  QLocale::setDefault(locale);
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  for (const QString& catalogue : {QStringLiteral("qtbase"), QStringLiteral("qtwebengine")}) {
    auto* translator = new QTranslator(&app);
    if (translator->load(locale, catalogue, QStringLiteral("_"), folder)) {
      QCoreApplication::installTranslator(translator);
    } else {
      delete translator;
    }
  }
}

}  // namespace pagloom
