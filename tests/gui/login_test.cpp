// The login, end to end: the user logs in inside the real login viewer, and
// the program's own requests share the viewer's cookies both ways.

#include <QNetworkCookie>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

#include "e2e_fixture.h"
#include "shell/shell_commands.h"
#include "web/web.h"

using pagloom::e2e::g;
using pagloom::testing::MockRequest;
using pagloom::testing::MockServices;

namespace {

QByteArray session_token(const QByteArray& cookie_header) {
  for (QByteArray pair : cookie_header.split(';')) {
    pair = pair.trimmed();
    if (pair.startsWith(QByteArray(MockServices::kSessionCookie) + '='))
      return pair.mid(pair.indexOf('=') + 1);
  }
  return {};
}

}  // namespace

class LoginTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { pagloom::e2e::prepare_application(); }

 private:
  pagloom::e2e::Session s_;

  // The login probe, and the requests to the member centre meanwhile (the
  // browser may fetch its icon at any time).
  std::pair<bool, std::vector<MockRequest>> probe() {
    s_.mock().clear_log();
    const bool logged_in = pagloom::probe_login(s_.ctx(), pagloom::kLoginViewer);
    return {logged_in, s_.mock().requests_to(MockServices::kMemberCentrePath)};
  }

 private Q_SLOTS:
  void initTestCase() { E2E_DO(s_.open()); }
  void cleanupTestCase() { s_.close(); }

  void probe_followsTheLoginMadeInTheViewer() {
    E2E_FIND(view, QWebEngineView, s_.window(), "超文本浏览框1");

    E2E_DO(s_.open_login_page());
    auto [logged_in, requests] = probe();
    QVERIFY(!logged_in);
    QCOMPARE(requests.size(), std::size_t(1));
    QCOMPARE(requests[0].method, QByteArray("post"));
    QVERIFY(session_token(requests[0].cookie).isEmpty());

    s_.mock().clear_log();
    E2E_DO(s_.log_in(QStringLiteral("tester")));
    QCOMPARE(view->url().path(), QString::fromLatin1(MockServices::kMemberCentrePath));
    const auto centre = s_.mock().requests_to(MockServices::kMemberCentrePath);
    QVERIFY(!centre.empty());
    const QByteArray browser_session = session_token(centre.back().cookie);
    QVERIFY(!browser_session.isEmpty());

    std::tie(logged_in, requests) = probe();
    QVERIFY(logged_in);
    QCOMPARE(requests.size(), std::size_t(1));
    QCOMPARE(requests[0].method, QByteArray("post"));
    QCOMPARE(session_token(requests[0].cookie), browser_session);

    // A logout in the viewer clears the cookie for the program's requests too.
    E2E_DO(s_.load_login_viewer([&] { view->load(QUrl(s_.mock().url(QStringLiteral("/logout.do")))); },
                                QStringLiteral("会员登录")));
    std::tie(logged_in, requests) = probe();
    QVERIFY(!logged_in);
    QCOMPARE(requests.size(), std::size_t(1));
    QVERIFY(session_token(requests[0].cookie).isEmpty());
  }

  // Once a login probe fails, 按钮2 leads back to the login page again.
  void loginButton_returnsAfterTheSessionEnds() {
    E2E_FIND(view, QWebEngineView, s_.window(), "超文本浏览框1");
    E2E_FIND(button, QPushButton, s_.window(), "按钮2");
    E2E_DO(s_.load_login_viewer([&] { view->load(QUrl(s_.mock().url(QStringLiteral("/login.htm")))); },
                                QStringLiteral("会员登录")));
    E2E_DO(s_.log_in(QStringLiteral("tester")));
    bool logged_in = false;
    s_.window().run_command([&](pagloom::Context& ctx) { logged_in = pagloom::confirm_login(ctx); });
    QVERIFY(logged_in);
    QVERIFY(!button->isEnabled());
    QCOMPARE(button->text(), QStringLiteral("登陆成功"));

    s_.mock().end_sessions();
    s_.window().run_command([&](pagloom::Context& ctx) { logged_in = pagloom::confirm_login(ctx); });
    QVERIFY(!logged_in);
    QCOMPARE(button->text(), QStringLiteral("登陆阿里妈妈"));
    E2E_DO(s_.open_login_page());
    QCOMPARE(s_.ui().page(g("选择夹2")), 0);
  }

  void cookieSetForARequest_reachesTheViewer() {
    E2E_FIND(view, QWebEngineView, s_.window(), "超文本浏览框1");
    bool added = false;
    QObject guard;
    connect(view->page()->profile()->cookieStore(), &QWebEngineCookieStore::cookieAdded, &guard,
            [&added](const QNetworkCookie& cookie) { added = added || cookie.name() == "from_fetch"; });

    const pagloom::Text page =
        pagloom::fetch_text(s_.ctx(), s_.mock().url(QStringLiteral("/set-cookie.do")).toStdString(), "post");
    QVERIFY(!page.empty());
    QTRY_VERIFY_WITH_TIMEOUT(added, pagloom::e2e::kLoadTimeoutMs);

    s_.mock().clear_log();
    E2E_DO(s_.load_login_viewer([&] { view->load(QUrl(s_.mock().url(QStringLiteral("/help.htm")))); },
                                QStringLiteral("使用说明")));
    const auto help = s_.mock().requests_to("/help.htm");
    QVERIFY(!help.empty());
    QVERIFY2(help.back().cookie.contains("from_fetch=1"), help.back().cookie.constData());

    // Shared: the answer may come after a failed wait has left the test.
    auto document_cookie = std::make_shared<std::optional<QString>>();
    view->page()->runJavaScript(QStringLiteral("document.cookie"), [document_cookie](const QVariant& result) {
      *document_cookie = result.toString();
    });
    QTRY_VERIFY_WITH_TIMEOUT(document_cookie->has_value(), pagloom::e2e::kLoadTimeoutMs);
    QVERIFY2((*document_cookie)->contains(QStringLiteral("from_fetch=1")), qPrintable(**document_cookie));
  }
};

QTEST_MAIN(LoginTest)

#include "login_test.moc"
