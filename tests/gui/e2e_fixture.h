// The setting of the end-to-end tests: the real main window, offscreen, over
// a copy of the sample run folder, talking to the local mock of the services,
// with the dialogs answered through their seams.
#pragma once

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QtTest>
#include <functional>
#include <memory>

#include "app/main_window.h"
#include "mock/mock_services.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/gbk.h"

// Finds a control of the window by its objectName; fails the test when it is
// missing or of another kind.
#define E2E_FIND(var, Type, window, name)                         \
  auto* var = (window).findChild<Type*>(QString::fromUtf8(name)); \
  QVERIFY2(var, qPrintable(QString::fromUtf8(name) + QStringLiteral(" is missing or not a " #Type)))

// Runs a helper that verifies with QtTest macros, and leaves the test when it
// failed.
#define E2E_DO(call)                        \
  do {                                      \
    call;                                   \
    if (QTest::currentTestFailed()) return; \
  } while (0)

namespace pagloom::e2e {

inline constexpr int kLoadTimeoutMs = 20000;

// GBK bytes of a UTF-8 literal, and the other way.
inline Text g(const char* utf8) { return to_gbk(QString::fromUtf8(utf8)); }
inline Text g(const QString& text) { return to_gbk(text); }
inline QString u(const Text& gbk) { return from_gbk(gbk); }
inline QByteArray bytes(const Text& gbk) {
  return QByteArray(gbk.data(), static_cast<qsizetype>(gbk.size()));
}

// The test binaries run by hand as well as under ctest; call from initMain().
inline void prepare_application() {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS"))
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu --disable-logging");
  if (qEnvironmentVariableIsEmpty("PAGLOOM_SYSTEM_PYTHON"))
    qputenv("PAGLOOM_SYSTEM_PYTHON", "/usr/bin/python3");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

inline QByteArray read_file(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline bool write_file(const QString& path, const QByteArray& content) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// A template file cut the way the editor loads it: the head before the first
// loop-start marker, the loop code up to the first loop-end marker after it,
// the tail from there to the end of the file.
struct TemplateParts {
  QByteArray head, loop, tail;
};

inline TemplateParts split_template(const QByteArray& file) {
  const QByteArray start = bytes(g("[#商品循环开始#]"));
  const QByteArray end = bytes(g("[#商品循环结束#]"));
  const qsizetype s = file.indexOf(start);
  const qsizetype e = file.indexOf(end, s + start.size());
  if (s < 0 || e < 0) return {};
  return {file.left(s), file.mid(s + start.size(), e - s - start.size()), file.mid(e + end.size())};
}

// One mock, one run folder and one window for a test binary.
class Session {
 public:
  Session() = default;
  ~Session() { close(); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Copies the sample run folder into a fresh directory; open() does it when
  // nobody did, and a test that needs more files calls it first.
  void prepare_run_folder() {
    if (prepared_) return;
    QVERIFY(run_.isValid());
    const QDir sample(QStringLiteral(PAGLOOM_SAMPLE_RUN));
    QVERIFY2(sample.exists(), PAGLOOM_SAMPLE_RUN);
    QDirIterator it(sample.path(), QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
      const QString from = it.next();
      const QString to = run_.filePath(sample.relativeFilePath(from));
      if (it.fileInfo().isDir()) {
        QVERIFY(QDir().mkpath(to));
      } else {
        QVERIFY(QDir().mkpath(QFileInfo(to).path()));
        QVERIFY2(QFile::copy(from, to), qPrintable(to));
      }
    }
    prepared_ = true;
  }

  // Starts the mock and shows the window on the run folder.
  void open() {
    E2E_DO(prepare_run_folder());
    QVERIFY(mock_.start());
    MessageBoxes::set_auto_answer([this](const QString& text) { messages << text; });
    ExternalLinks::set_hook([](const QUrl&) {});
    FileDialogs::clear();
    window_ =
        std::make_unique<MainWindow>(mock_.endpoints(), std::filesystem::path(run_.path().toStdString()));
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  void close() {
    window_.reset();
    MessageBoxes::clear_auto_answer();
    ExternalLinks::clear_hook();
    FileDialogs::clear();
  }

  MainWindow& window() { return *window_; }
  Context& ctx() { return window_->context(); }
  Ui& ui() { return window_->context().ui; }
  // Whether the control named `name` (UTF-8) is enabled.
  bool enabled(const char* name) const {
    const QWidget* w = window_->findChild<QWidget*>(QString::fromUtf8(name));
    return w && w->isEnabled();
  }
  testing::MockServices& mock() { return mock_; }
  QString run_path() const { return run_.path(); }
  QString templates_path() const { return run_.path() + QStringLiteral("/单页生成/模板"); }

  // Runs `action` and waits until the login viewer has finished a load that
  // shows a page titled `title`.
  void load_login_viewer(const std::function<void()>& action, const QString& title) {
    E2E_FIND(view, QWebEngineView, *window_, "超文本浏览框1");
    QSignalSpy finished(view, &QWebEngineView::loadFinished);
    action();
    QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty() && view->title() == title, kLoadTimeoutMs);
    QVERIFY(finished.last().at(0).toBool());
  }

  // Opens the login page through 按钮2: the member centre, which shows the
  // login form while nobody is logged in.
  void open_login_page() {
    E2E_FIND(button, QPushButton, *window_, "按钮2");
    QVERIFY(button->isVisible() && button->isEnabled());
    load_login_viewer([button] { QTest::mouseClick(button, Qt::LeftButton); }, QStringLiteral("会员登录"));
  }

  // Logs in inside the login viewer, which shows the login form, the way a
  // user does: fills the user field and presses the login button.
  void log_in(const QString& user) {
    E2E_FIND(view, QWebEngineView, *window_, "超文本浏览框1");
    load_login_viewer(
        [view, user] {
          view->page()->runJavaScript(QStringLiteral("document.getElementById('user').value = '%1';"
                                                     "document.getElementById('password').value = 'pw';"
                                                     "document.getElementById('login-button').click();")
                                          .arg(user));
        },
        QStringLiteral("会员中心"));
  }

  QStringList messages;  // every message box shown, in order

 private:
  testing::MockServices mock_;
  QTemporaryDir run_;
  bool prepared_ = false;
  std::unique_ptr<MainWindow> window_;  // goes first, before the mock stops
};

}  // namespace pagloom::e2e
