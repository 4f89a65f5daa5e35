// A Context whose HTTP is QtHttp over an off-the-record browser profile, and
// the mock services to talk to: the setting of every web platform test.
#pragma once

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <memory>
#include <string>

#include "fakes/fake_spreadsheet.h"
#include "fakes/fake_ui.h"
#include "mock/mock_services.h"
#include "platform/context.h"
#include "platform/controls.h"
#include "platform/qt/gbk.h"
#include "platform/qt/qt_file_system.h"
#include "platform/qt/qt_http.h"
#include "web/web.h"

namespace pagloom::testing {

// GBK bytes of a UTF-8 literal.
inline std::string gbk(const char* utf8) { return to_gbk(QString::fromUtf8(utf8)); }

inline QByteArray qbytes(std::string_view s) {
  return QByteArray(s.data(), static_cast<qsizetype>(s.size()));
}

class WebTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    mock_ = new MockServices;
    ASSERT_TRUE(mock_->start());
  }
  static void TearDownTestSuite() {
    delete mock_;
    mock_ = nullptr;
  }
  void SetUp() override { mock_->clear_log(); }

  // The mock's address of `path` (ASCII).
  static std::string at(const char* path) { return mock_->url(QString::fromLatin1(path)).toStdString(); }
  static MockServices& mock() { return *mock_; }

  // A browser view on the test's profile; delete it before the fixture.
  std::unique_ptr<QWebEngineView> make_view() {
    auto view = std::make_unique<QWebEngineView>();
    view->setPage(new QWebEnginePage(&profile, view.get()));
    return view;
  }

  static bool load(QWebEngineView& view, const QString& url) {
    QSignalSpy finished(&view, &QWebEngineView::loadFinished);
    view.load(QUrl(url));
    return finished.wait(20000) && finished.first().at(0).toBool();
  }

  // The login probe with the login viewer showing what `view` shows.
  bool probe(const QWebEngineView& view) {
    ui.addresses[gbk("超文本浏览框1")] = view.url().toEncoded().toStdString();
    return probe_login(ctx, pagloom::kLoginViewer);
  }

  QWebEngineProfile profile;  // off the record: a fresh cookie store per test
  QtHttp http{&profile};
  QtFileSystem files;
  FakeUi ui;
  FakeSpreadsheet spreadsheet;
  QtTextCodec codec;
  Context ctx{ui, files, http, spreadsheet, codec, mock_->endpoints(), "/tmp", {}};

 private:
  static inline MockServices* mock_ = nullptr;
};

}  // namespace pagloom::testing
