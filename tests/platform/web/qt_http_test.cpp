// fetch_text and download_bytes over QtHttp, against the mock services:
// what goes on the wire and what comes back.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTemporaryDir>

#include "raw_server.h"
#include "web_fixture.h"

namespace pagloom::testing {
namespace {

using QtHttpTest = WebTest;

TEST_F(QtHttpTest, FetchTextSendsTheMethodAsGiven) {
  struct Case {
    const char* given;
    const char* on_wire;
    const char* content_length;  // a method other than get carries an empty body
  };
  const Case cases[] = {{"", "get", ""},       {"get", "get", ""},    {"GET", "get", ""},
                        {"POST", "POST", "0"}, {"post", "post", "0"}, {"Put", "Put", "0"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.given);
    mock().clear_log();
    const Text page = fetch_text(ctx, at("/echo"), c.given);
    const auto log = mock().log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].method, c.on_wire);
    EXPECT_EQ(log[0].target, "/echo");
    EXPECT_EQ(log[0].header("Content-Length"), c.content_length);
    EXPECT_NE(page.find(std::string("method: ") + c.on_wire), std::string::npos);
  }
}

TEST_F(QtHttpTest, FetchTextStopsAtTheFirstZeroByteAndDownloadKeepsIt) {
  EXPECT_EQ(fetch_text(ctx, at("/zero"), "POST"), "before");
  const Bytes all = download_bytes(ctx, at("/zero"));
  EXPECT_EQ(std::string(all.begin(), all.end()), std::string("before\0after", 12));
}

TEST_F(QtHttpTest, FetchTextReadsLocalFilesWithoutARequest) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const QString name = dir.filePath(QStringLiteral("模板文件.htm"));
  const std::string content = gbk("<p>[#商品标题#]</p>");
  QFile file(name);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(qbytes(content));
  file.close();

  const std::string present = to_gbk(QDir::toNativeSeparators(name));
  const std::string missing = to_gbk(dir.filePath(QStringLiteral("不存在.htm")));
  EXPECT_EQ(fetch_text(ctx, present, "POST"), content);
  EXPECT_EQ(fetch_text(ctx, missing, "POST"), "");
  EXPECT_TRUE(mock().log().empty());
}

TEST_F(QtHttpTest, DownloadBytesLeavesTheFragmentOut) {
  const Bytes body = download_bytes(ctx, at("/echo?a=1#part"));
  const auto log = mock().log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].method, "GET");
  EXPECT_EQ(log[0].target, "/echo?a=1");
  EXPECT_FALSE(body.empty());
}

TEST_F(QtHttpTest, AddressesThatAreNotWebAddressesSendNothing) {
  const std::string port = std::to_string(mock().port());
  for (const std::string& address : {"ftp://127.0.0.1:" + port + "/echo", std::string("file:///etc/hostname"),
                                     std::string("http://"), std::string("http:///echo"), std::string()}) {
    SCOPED_TRACE(address);
    EXPECT_TRUE(download_bytes(ctx, address).empty());
  }
  // QtHttp refuses other schemes itself, whoever asks.
  HttpRequest request;
  request.method = "GET";
  request.url = "ftp://127.0.0.1:" + port + "/echo";
  EXPECT_FALSE(http.send(request).received);
  request.url = "file:///etc/hostname";
  EXPECT_TRUE(http.send(request).body.empty());
  EXPECT_TRUE(mock().log().empty());
}

TEST_F(QtHttpTest, GbkBytesOfTheAddressArriveAsTheirPercentEscapes) {
  struct Case {
    std::string query;
    QByteArray on_wire;
  };
  const Case cases[] = {
      {gbk("连衣裙 女"), "%C1%AC%D2%C2%C8%B9%20%C5%AE"},
      {"%C1%AC%D2%C2", "%C1%AC%D2%C2"},  // already escaped: not escaped again
      {gbk("最近30天&x=￥"), "%D7%EE%BD%FC30%CC%EC&x=%A3%A4"},
      // Bytes a strict address parser refuses go out escaped, not dropped.
      {gbk("100%纯棉 \"a|b\"%zz"), "100%25%B4%BF%C3%DE%20%22a%7Cb%22%25zz"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.on_wire.toStdString());
    mock().clear_log();
    (void)fetch_text(ctx, at("/echo?q=") + c.query, "POST");
    const auto log = mock().log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0].target, "/echo?q=" + c.on_wire);
  }
}

TEST_F(QtHttpTest, AnErrorStatusGivesItsBody) {
  const std::string word = gbk("服务器错误");
  EXPECT_NE(fetch_text(ctx, at("/status500"), "POST").find(word), std::string::npos);
  const Bytes bytes = download_bytes(ctx, at("/status500"));
  EXPECT_NE(std::string(bytes.begin(), bytes.end()).find(word), std::string::npos);

  HttpRequest request;
  request.method = "GET";
  request.url = at("/status500");
  const HttpResponse response = http.send(request);
  EXPECT_TRUE(response.received);
  EXPECT_EQ(response.status, 500);
}

TEST_F(QtHttpTest, RequestsIntroduceThemselves) {
  (void)download_bytes(ctx, at("/echo"));
  (void)fetch_text(ctx, at("/echo"), "POST");
  const auto log = mock().log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].header("User-Agent"), qbytes(kDownloadUserAgent));
  EXPECT_EQ(log[0].header("Accept"), "*/*");
  // Page requests go out as the browser does.
  EXPECT_EQ(log[1].header("User-Agent"), profile.httpUserAgent().toLatin1());
}

// A reset or a close short of the Content-Length: no page for fetch_text,
// the bytes before the cut for download_bytes.
TEST_F(QtHttpTest, ABrokenTransferGivesNoPageButTheBytesThatArrived) {
  const QByteArray part(40, 'p');
  RawServer reset({RawServer::head_with_length(100), part, 0, RawServer::End::Reset});
  RawServer cut({RawServer::head_with_length(100), part, 0, RawServer::End::Close});
  for (const std::string& address : {reset.url(), cut.url(), at("/broken")}) {
    SCOPED_TRACE(address);
    EXPECT_EQ(fetch_text(ctx, address, "POST"), "");
    const Bytes bytes = download_bytes(ctx, address);
    EXPECT_EQ(bytes.size(), address == at("/broken") ? 1000u : 40u);
    HttpRequest request;
    request.method = "GET";
    request.url = address;
    const HttpResponse response = http.send(request);
    EXPECT_TRUE(response.received);
    EXPECT_FALSE(response.complete);
  }
}

// The deadline is wall time: a server that keeps sending a byte now and then
// (which Qt's own transfer time-out never catches) is cut off at it too.
TEST_F(QtHttpTest, EveryRequestEndsAtTheDeadline) {
  constexpr int kDeadlineMs = 1000;
  QtHttp quick{&profile, kDeadlineMs};
  Context quick_ctx{ui, files, quick, spreadsheet, codec, mock().endpoints(), "/tmp", {}};
  const QByteArray body(100, 'd');
  RawServer drip({RawServer::head_with_length(body.size()), body, 50, RawServer::End::Close});
  RawServer stall({RawServer::head_with_length(100), QByteArray(40, 's'), 0, RawServer::End::Hold});
  struct Case {
    std::string address;
    char fill;          // the body's byte
    std::size_t least;  // bytes download_bytes must have kept at least
    std::size_t most;
  };
  const Case cases[] = {{drip.url(), 'd', 5, 30}, {stall.url(), 's', 40, 40}, {at("/slow"), 0, 0, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(fetch_text(quick_ctx, c.address, "POST"), "");
    const qint64 fetch_ms = timer.restart();
    const Bytes bytes = download_bytes(quick_ctx, c.address);
    const qint64 download_ms = timer.elapsed();
    for (const qint64 ms : {fetch_ms, download_ms}) {
      EXPECT_GE(ms, kDeadlineMs - 50);
      EXPECT_LT(ms, kDeadlineMs + 1000);
    }
    EXPECT_GE(bytes.size(), c.least);
    EXPECT_LE(bytes.size(), c.most);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), std::string(bytes.size(), c.fill));
  }
  // Within the deadline a request is whole.
  EXPECT_NE(fetch_text(quick_ctx, at("/echo"), "POST"), "");
}

TEST_F(QtHttpTest, AStalledRequestFailsAfterTheTimeOut) {
  QtHttp quick{&profile, 300};
  Context quick_ctx{ui, files, quick, spreadsheet, codec, mock().endpoints(), "/tmp", {}};
  QElapsedTimer timer;
  timer.start();
  HttpRequest request;
  request.method = "post";
  request.url = at("/slow");
  const HttpResponse response = quick.send(request);
  EXPECT_FALSE(response.received);
  EXPECT_TRUE(response.body.empty());
  EXPECT_EQ(fetch_text(quick_ctx, at("/slow"), "POST"), "");
  EXPECT_LT(timer.elapsed(), 10000);
  EXPECT_EQ(mock().requests_to("/slow").size(), 2u);
}

TEST_F(QtHttpTest, AnUnreachableHostIsNoResponse) {
  QTcpServer probe_port;
  ASSERT_TRUE(probe_port.listen(QHostAddress::LocalHost, 0));
  const std::string address = "http://127.0.0.1:" + std::to_string(probe_port.serverPort()) + "/";
  probe_port.close();
  HttpRequest request;
  request.method = "GET";
  request.url = address;
  const HttpResponse response = http.send(request);
  EXPECT_FALSE(response.received);
  EXPECT_TRUE(response.body.empty());
  EXPECT_EQ(fetch_text(ctx, address, "POST"), "");
}

TEST_F(QtHttpTest, RedirectsAreFollowedWithTheCookiesTheySet) {
  const Text page = fetch_text(ctx, at("/login.do?user=tester"), "get");
  EXPECT_NE(page.find(gbk("退出")), std::string::npos);
  const auto centre = mock().requests_to(MockServices::kMemberCentrePath);
  ASSERT_EQ(centre.size(), 1u);
  EXPECT_EQ(centre[0].method, "GET");
  EXPECT_TRUE(centre[0].cookie.startsWith(QByteArray(MockServices::kSessionCookie) + '='));
}

}  // namespace
}  // namespace pagloom::testing
