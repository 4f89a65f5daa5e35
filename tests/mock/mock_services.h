// A local stand-in for the affiliate service, its member centre and the
// marketplace search, for the tests and the offline demo. It listens on
// 127.0.0.1 at a free port and answers from its own thread, so it keeps
// answering while the GUI thread is blocked in a synchronous request.
//
// Pages are GBK ("text/html; charset=gbk"). Paths served:
//   /login.htm                 login form, posts user and password to /login.do
//   /login.do                  any user name logs in (POST form or GET ?user=x):
//                              sets the HttpOnly cookie mock_session, 302 to the member centre
//   /logout.do                 ends the session, clears the cookie, 302 to the member centre
//   /logout-all.do             ends every session (from any browser, no cookie needed)
//   /membersvc/index.htm       logged in: member centre holding a "退出" link;
//                              otherwise the login form (no "退出"); any method
//   /union/spread/selfservice/merchandisePromotion.htm?...q=<GBK %XX>&..._fmu.a._0.so=<key>...
//                              logged in: the promotion search result page of mock_products();
//                              otherwise the login form
//   /union/spread/selfservice/downloadAuctions.do?nid=<id,id,...>
//                              logged in: a BIFF8 workbook, sheet "Page1", heading row, one
//                              record per non-empty id in request order; otherwise the login
//                              form. Columns: 0 id, 1 picture, 2 title (mock_export_title),
//                              3 page address, 4 affiliate link (mock_affiliate_link),
//                              5 merchant, 6 price (number), 7 commission rate (number),
//                              8 sales (number); unknown ids get price 10 + id length; only the
//                              first kExportLimit non-empty ids are answered, the rest dropped
//   /h.R<id>                   a short link: 302 to /item.htm?id=<id>&ali_trackid=2
//   /h.P<id>                   a short link: a page whose script holds the item's address
//   /h.Loop[<n>]               a short link that redirects to /h.Loop<n+1>, without end;
//                              any other /h.* is 404
//   /item.htm?id=<id>          a product page
//   /search?q=<GBK %XX>        marketplace search: the listings of the products whose title
//                              contains q, between unrelated listings
//   /set-cookie.do             a POST (any letter case) sets the cookie from_fetch=1
//   /echo                      text/plain: the method, the target, the headers and the body
//   /zero                      a body with a zero byte inside
//   /status500                 status 500 with a body
//   /broken                    announces 100000 bytes, sends 1000 and closes
//   /slow                      never answers (closed when the mock stops)
//   /help.htm, /download.htm, /template-tutorial.htm, /link-file-rules.htm   plain pages
#pragma once

#include <QByteArray>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

#include "mock/mock_catalogue.h"
#include "platform/endpoints.h"

namespace pagloom::testing {

// One request as it reached the mock.
struct MockRequest {
  QByteArray method;  // as received, letter case included ("post")
  QByteArray target;  // raw path and query as received ("/search?q=%C1%AC")
  QByteArray cookie;  // the Cookie header's value; empty when there was none
  std::vector<std::pair<QByteArray, QByteArray>> headers;  // every header, in order, names as received
  QByteArray body;

  [[nodiscard]] QByteArray path() const;  // the target up to "?"
  // The raw (still percent-encoded) value of the first `key`=... of the
  // query; empty when absent.
  [[nodiscard]] QByteArray query_value(const QByteArray& key) const;
  // A header's value by case-insensitive name; empty when absent.
  [[nodiscard]] QByteArray header(const QByteArray& name) const;
};

class MockServices final {
 public:
  static constexpr const char* kSessionCookie = "mock_session";
  static constexpr const char* kPromotionPath = "/union/spread/selfservice/merchandisePromotion.htm";
  static constexpr const char* kExportPath = "/union/spread/selfservice/downloadAuctions.do";
  static constexpr const char* kMemberCentrePath = "/membersvc/index.htm";
  static constexpr const char* kEndSessionsPath = "/logout-all.do";
  static constexpr int kExportLimit = 30;  // ids one export answers at most

  MockServices();
  ~MockServices();  // stops
  MockServices(const MockServices&) = delete;
  MockServices& operator=(const MockServices&) = delete;

  // Listens on 127.0.0.1 at a free port; false when that failed. Starting a
  // running mock does nothing.
  bool start();
  // Closes every connection (a pending /slow one included) and the port.
  // Sessions and the log are kept.
  void stop();
  [[nodiscard]] bool is_running() const;

  [[nodiscard]] quint16 port() const;
  [[nodiscard]] QString base_url() const;                // "http://127.0.0.1:PORT"
  [[nodiscard]] QString url(const QString& path) const;  // base_url() + path
  // Every service of the program on this mock, and its plain pages.
  [[nodiscard]] Endpoints endpoints() const;

  // Requests in arrival order; safe from any thread.
  [[nodiscard]] std::vector<MockRequest> log() const;
  [[nodiscard]] std::vector<MockRequest> requests_to(const QByteArray& path) const;
  void clear_log();

  // Ends every session, as if the service had logged everybody out.
  void end_sessions();

  struct State;

 private:
  class Thread;
  std::shared_ptr<State> state_;
  std::unique_ptr<Thread> thread_;
  quint16 port_ = 0;
};

}  // namespace pagloom::testing
