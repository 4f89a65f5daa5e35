// The one cookie store: a login made in the browser is what probe_login and
// every request see, and cookies our requests receive reach the browser.
#include <QNetworkCookie>
#include <QTest>
#include <QWebEngineCookieStore>

#include "web_fixture.h"

namespace pagloom::testing {
namespace {

using BrowserCookiesTest = WebTest;

bool submit_login(QWebEngineView& view, const QString& user) {
  QSignalSpy finished(&view, &QWebEngineView::loadFinished);
  view.page()->runJavaScript(QStringLiteral("document.getElementById('user').value = '%1';"
                                            "document.getElementById('password').value = 'secret';"
                                            "document.getElementById('login-form').submit();")
                                 .arg(user));
  return QTest::qWaitFor(
      [&] {
        return !finished.isEmpty() && view.url().path() == QLatin1String(MockServices::kMemberCentrePath);
      },
      20000);
}

TEST_F(BrowserCookiesTest, ProbeLoginFollowsTheLoginMadeInTheBrowser) {
  auto view = make_view();
  // Never navigated: no address, no request.
  EXPECT_FALSE(probe(*view));
  EXPECT_TRUE(mock().log().empty());

  ASSERT_TRUE(load(*view, mock().url(MockServices::kMemberCentrePath)));
  EXPECT_FALSE(probe(*view));

  ASSERT_TRUE(load(*view, mock().url(QStringLiteral("/login.htm"))));
  ASSERT_TRUE(submit_login(*view, QStringLiteral("测试用户")));
  mock().clear_log();
  EXPECT_TRUE(probe(*view));
  const auto log = mock().log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].method, "post");
  EXPECT_EQ(log[0].target, MockServices::kMemberCentrePath);
  EXPECT_TRUE(log[0].cookie.contains(MockServices::kSessionCookie));

  // Cookies the browser drops are gone for our requests too, although the
  // service would still honour the session.
  QSignalSpy removed(profile.cookieStore(), &QWebEngineCookieStore::cookieRemoved);
  profile.cookieStore()->deleteAllCookies();
  ASSERT_TRUE(removed.wait(10000));
  EXPECT_FALSE(probe(*view));
}

TEST_F(BrowserCookiesTest, CookiesSetByOurRequestsReachTheBrowser) {
  QList<QNetworkCookie> added;
  QObject guard;
  QObject::connect(profile.cookieStore(), &QWebEngineCookieStore::cookieAdded, &guard,
                   [&](const QNetworkCookie& cookie) { added.append(cookie); });
  auto named = [&](const QByteArray& name) -> std::optional<QNetworkCookie> {
    for (const QNetworkCookie& c : added)
      if (c.name() == name) return c;
    return std::nullopt;
  };

  // The browser's store takes cookies once the profile has loaded a page.
  auto view = make_view();
  ASSERT_TRUE(load(*view, mock().url(QStringLiteral("/help.htm"))));

  (void)fetch_text(ctx, at("/set-cookie.do"), "post");
  ASSERT_TRUE(QTest::qWaitFor([&] { return named("from_fetch").has_value(); }, 10000));
  // A host-only cookie stays host-only in the browser.
  EXPECT_EQ(named("from_fetch")->domain(), QStringLiteral("127.0.0.1"));

  // The HttpOnly session cookie of a login made by our request, too.
  (void)fetch_text(ctx, at("/login.do?user=tester"), "get");
  ASSERT_TRUE(QTest::qWaitFor([&] { return named(MockServices::kSessionCookie).has_value(); }, 10000));
  EXPECT_TRUE(named(MockServices::kSessionCookie)->isHttpOnly());

  mock().clear_log();
  ASSERT_TRUE(load(*view, mock().url(MockServices::kMemberCentrePath)));
  const auto centre = mock().requests_to(MockServices::kMemberCentrePath);
  ASSERT_FALSE(centre.empty());
  EXPECT_TRUE(centre[0].cookie.contains("from_fetch=1"));
  EXPECT_TRUE(centre[0].cookie.contains(MockServices::kSessionCookie));
  EXPECT_TRUE(probe(*view));
}

}  // namespace
}  // namespace pagloom::testing
