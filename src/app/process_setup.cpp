#include "app/process_setup.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace pagloom {
namespace {

// Qt's zh_CN catalogue lacks the type names of the file dialog's list.
class FileTypeNames final : public QTranslator {
 public:
  using QTranslator::QTranslator;

  QString translate(const char* context, const char* source, const char*, int) const override {
    if (qstrcmp(context, "QAbstractFileIconProvider") != 0) return {};
    if (qstrcmp(source, "Folder") == 0) return QStringLiteral("文件夹");
    if (qstrcmp(source, "Drive") == 0) return QStringLiteral("驱动器");
    if (qstrcmp(source, "File") == 0) return QStringLiteral("文件");
    if (qstrcmp(source, "%1 File") == 0) return QStringLiteral("%1 文件");
    return {};
  }
  [[nodiscard]] bool isEmpty() const override { return false; }
};

}  // namespace

void prepare_process() {
  if (geteuid() == 0) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

void load_translations(QCoreApplication& app) {
  QLocale locale = QLocale::system();
  if (locale.language() != QLocale::Chinese) locale = QLocale(QLocale::Chinese, QLocale::China);
  QLocale::setDefault(locale);
  QCoreApplication::installTranslator(new FileTypeNames(&app));
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
