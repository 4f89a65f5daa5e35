#include "mock/mock_services.h"

#include <QHash>
#include <QHostAddress>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QRandomGenerator>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include "platform/qt/gbk.h"

namespace pagloom::testing {

QByteArray MockRequest::path() const {
  const qsizetype q = target.indexOf('?');
  return q < 0 ? target : target.left(q);
}

QByteArray MockRequest::query_value(const QByteArray& key) const {
  const qsizetype q = target.indexOf('?');
  if (q < 0) return {};
  for (const QByteArray& pair : target.mid(q + 1).split('&')) {
    if (pair.startsWith(key + '=')) return pair.mid(key.size() + 1);
  }
  return {};
}

QByteArray MockRequest::header(const QByteArray& name) const {
  for (const auto& [key, value] : headers)
    if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
  return {};
}

struct MockServices::State {
  mutable QMutex mutex;
  std::vector<MockRequest> log;
  QHash<QByteArray, QString> sessions;  // token -> user name

  void record(const MockRequest& request) {
    QMutexLocker lock(&mutex);
    log.push_back(request);
  }
  QByteArray open_session(const QString& user) {
    const QByteArray token = QByteArray::number(QRandomGenerator::global()->generate64(), 16);
    QMutexLocker lock(&mutex);
    sessions.insert(token, user);
    return token;
  }
  void close_session(const QByteArray& token) {
    QMutexLocker lock(&mutex);
    sessions.remove(token);
  }
  void close_all_sessions() {
    QMutexLocker lock(&mutex);
    sessions.clear();
  }
  std::optional<QString> user_of(const QByteArray& token) const {
    QMutexLocker lock(&mutex);
    const auto it = sessions.constFind(token);
    if (token.isEmpty() || it == sessions.constEnd()) return std::nullopt;
    return *it;
  }
};

namespace {

struct Response {
  int status = 200;
  QByteArray reason = "OK";
  QByteArray content_type = "text/html; charset=gbk";
  std::vector<std::pair<QByteArray, QByteArray>> headers;
  QByteArray body;
  bool hold = false;                // never answer
  qsizetype announced_length = -1;  // a Content-Length other than the body's

  QByteArray raw() const {
    QByteArray out = "HTTP/1.1 " + QByteArray::number(status) + ' ' + reason + "\r\n";
    out += "Content-Type: " + content_type + "\r\n";
    out += "Content-Length: " + QByteArray::number(announced_length >= 0 ? announced_length : body.size()) +
           "\r\n";
    out += "Cache-Control: no-cache\r\nConnection: close\r\n";
    for (const auto& [name, value] : headers) out += name + ": " + value + "\r\n";
    return out + "\r\n" + body;
  }
};

QByteArray gbk(const QString& text) {
  const Text bytes = to_gbk(text);
  return QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Percent-decoded GBK bytes as a string; `plus_is_space` for form bodies.
QString decode_gbk(QByteArray raw, bool plus_is_space = false) {
  if (plus_is_space) raw.replace('+', ' ');
  const QByteArray bytes = QByteArray::fromPercentEncoding(raw);
  return from_gbk(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

QString form_value(const QByteArray& form, const QByteArray& key) {
  for (const QByteArray& pair : form.split('&'))
    if (pair.startsWith(key + '=')) return decode_gbk(pair.mid(key.size() + 1), true);
  return {};
}

QByteArray cookie_value(const QByteArray& cookie_header, const QByteArray& name) {
  for (QByteArray pair : cookie_header.split(';')) {
    pair = pair.trimmed();
    if (pair.startsWith(name + '=')) return pair.mid(name.size() + 1);
  }
  return {};
}

Response html(const QString& page, int status = 200, const QByteArray& reason = "OK") {
  Response r;
  r.status = status;
  r.reason = reason;
  r.body = gbk(page);
  return r;
}

Response redirect(const QByteArray& location) {
  Response r;
  r.status = 302;
  r.reason = "Found";
  r.headers.push_back({"Location", location});
  r.body = gbk(
      QStringLiteral("<html><body><a href=\"%1\">继续</a></body></html>").arg(QString::fromLatin1(location)));
  return r;
}

QString page_head(const QString& title) {
  return QStringLiteral(
             "<!DOCTYPE html>\n<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; "
             "charset=gbk\">\n"
             "<title>") +
         title + QStringLiteral("</title></head>\n<body>\n");
}

const QString kPageEnd = QStringLiteral("\n</body></html>\n");

// The program's login viewer shows only the right part of a wide page.
const QString kRightColumn = QStringLiteral("<div class=\"side\" style=\"margin-left:650px;width:460px\">\n");

// The login form; it never holds the logout word.
Response login_page(const QString& notice = {}) {
  QString page = page_head(QStringLiteral("会员登录")) + kRightColumn;
  page += QStringLiteral("<h2>联盟会员登录</h2>\n");
  if (!notice.isEmpty()) page += QStringLiteral("<p class=\"notice\">") + notice + QStringLiteral("</p>\n");
  page += QStringLiteral(
      "<form id=\"login-form\" method=\"post\" action=\"/login.do\">\n"
      "<p>用户名：<input type=\"text\" name=\"user\" id=\"user\"></p>\n"
      "<p>密　码：<input type=\"password\" name=\"password\" id=\"password\"></p>\n"
      "<p><input type=\"submit\" id=\"login-button\" value=\"登录\"></p>\n"
      "</form>\n<p><a href=\"/login.htm\">登录页</a></p></div>");
  return html(page + kPageEnd);
}

QString top_bar(const QString& user) {
  return QStringLiteral("<div class=\"top\">欢迎您，") + user +
         QStringLiteral(
             "！ <a href=\"/membersvc/index.htm\">会员中心</a> <a href=\"/logout.do\">退出</a></div>\n");
}

Response member_centre(const QString& user) {
  QString page = page_head(QStringLiteral("会员中心")) + kRightColumn;
  page += top_bar(user);
  page += QStringLiteral(
      "<h2>联盟会员中心</h2>\n<ul>\n"
      "<li><a href=\"/union/spread/selfservice/merchandisePromotion.htm\">推广商品</a></li>\n"
      "<li>本月预估收入：<em>0.00</em>元</li>\n</ul></div>");
  return html(page + kPageEnd);
}

Response promotion_page(const QString& user, const QString& keyword, const QString& sort_key) {
  const std::vector<MockProduct> products = mock_products(keyword, sort_key);
  QString page = page_head(QStringLiteral("推广商品搜索"));
  page += top_bar(user);
  page += QStringLiteral("<div class=\"search-bar\">关键词：") + keyword + QStringLiteral(" 共找到 ") +
          QString::number(products.size()) + QStringLiteral(" 件商品</div>\n<ul class=\"result-list\">\n");
  for (const MockProduct& p : products) {
    QString title = p.title;
    title.replace(keyword, QStringLiteral("<span>") + keyword + QStringLiteral("</span>"));
    // The program reads an entry from "onerror" to "J_WangWang": the item id
    // after the first "id=", the title after "_blank\">", the merchant after
    // the keeper label; nothing in between may hold those markers.
    page += QStringLiteral(
                "<li class=\"result-item\">\n<div class=\"list-info\">\n<div class=\"pic\"><img src=\"") +
            p.picture +
            QStringLiteral("_80x80.jpg\" onerror=\"this.src='http://img.mock.test/nopic.gif'\" /></div>\n") +
            QStringLiteral("<div class=\"title\"><a href=\"") + p.page +
            QStringLiteral("\" target=\"_blank\">") + title +
            QStringLiteral("</a></div>\n<div class=\"shop\">掌柜：") + p.merchant +
            QStringLiteral("<span class=\"J_WangWang\" data-nick=\"") + p.merchant +
            QStringLiteral("\"></span></div>\n</div>\n<div class=\"stat\">月推广量：<em>") +
            QString::number(p.sales) + QStringLiteral("</em>件 佣金比率：<em>") +
            QString::number(p.commission_rate, 'f', 1) + QStringLiteral("%</em> 30天支出佣金：<em>") +
            QString::number(p.commission_fee, 'f', 2) + QStringLiteral("</em>元 价格：<em>") + p.price +
            QStringLiteral("</em>元</div>\n</li>\n");
  }
  page += QStringLiteral("</ul>\n<div class=\"pager\">第1页</div>");
  return html(page + kPageEnd);
}

QString listing(const QString& id, const QString& title, const QString& merchant, const QString& price,
                int sales, const QString& picture, const QString& page) {
  // The program cuts a listing from nid="<id> to the rating label and reads
  // the picture, page address, price and sales markers inside it.
  return QStringLiteral("<div class=\"item\" nid=\"") + id +
         QStringLiteral("\" data-category=\"auctions\">\n<div class=\"pic\"><a class=\"pic-link\" href=\"") +
         page +
         QStringLiteral("\" target=\"_blank\" traceNum=\"1\"><img class=\"J_ItemPic\" data-ks-lazyload=\"") +
         picture + QStringLiteral("_210x210.jpg\" alt=\"\" /></a></div>\n") +
         QStringLiteral("<div class=\"row price-row\"><span class=\"price\">￥") + price +
         QStringLiteral("<em>包邮</em></span><span class=\"deal-cnt\">最近30天 ") + QString::number(sales) +
         QStringLiteral("人付款</span></div>\n<div class=\"row title-row\"><a traceNum=\"2\" href=\"") +
         page + QStringLiteral("\" class=\"J_ClickStat\" target=\"_blank\">") + title +
         QStringLiteral(
             "</a></div>\n<div class=\"row shop-row\"><a class=\"shopname\" "
             "href=\"http://shop.mock.test/\">") +
         merchant + QStringLiteral("</a><span class=\"location\">浙江 杭州</span></div>\n") +
         QStringLiteral(
             "<div class=\"row dsr\"><span>如实描述 4.8</span> <span>服务态度 4.8</span></div>\n</div>\n");
}

QString filler_listing(int n) {
  static const char* const kTitles[] = {"休闲运动鞋 男款透气跑步鞋", "保温杯 不锈钢大容量",
                                        "纯棉四件套 简约条纹", "无线蓝牙耳机 降噪"};
  const QString id = QStringLiteral("99%1").arg(31415926 + n * 1111, 8, 10, QLatin1Char('0'));
  return listing(id, QString::fromUtf8(kTitles[n % 4]), QStringLiteral("路过的小店"),
                 QString::number(19.9 + n * 10, 'f', 2), 100 + n * 37,
                 QStringLiteral("http://img.mock.test/bao/uploaded/i2/") + id + QStringLiteral(".jpg"),
                 QStringLiteral("http://item.mock.test/item.htm?id=") + id);
}

Response marketplace_page(const QString& query) {
  QString page = page_head(query + QStringLiteral(" - 商品搜索"));
  page += QStringLiteral("<form class=\"search\" action=\"/search\"><input name=\"q\" value=\"") + query +
          QStringLiteral("\"><button>搜索</button></form>\n<div class=\"items\">\n");
  page += filler_listing(0) + filler_listing(1);
  for (const MockProduct& p : mock_products_titled(query))
    page += listing(p.id, p.title, p.merchant, p.price, p.sales, p.picture, p.page);
  page += filler_listing(2) + filler_listing(3);
  page += QStringLiteral("</div>");
  return html(page + kPageEnd);
}

Response export_workbook(const QByteArray& raw_ids) {
  QJsonArray header;
  for (const char* name : {"商品ID", "商品主图", "商品名称", "商品详情页链接地址", "推广链接", "掌柜",
                           "商品价格(单位：元)", "收入比率(%)", "月推广量"})
    header.append(QString::fromUtf8(name));
  QJsonArray rows;
  for (const QByteArray& raw : raw_ids.split(',')) {
    const QString id = decode_gbk(raw);
    if (id.isEmpty()) continue;
    // Like the service, the export holds the first 30 ids and drops the rest.
    if (rows.size() == MockServices::kExportLimit) break;
    const std::optional<MockProduct> p = mock_product_by_id(id);
    QJsonArray row;
    row.append(id);
    row.append(p ? p->picture + QStringLiteral(".jpg") : QString());
    row.append(mock_export_title(id));
    row.append(p ? p->page : QStringLiteral("http://item.mock.test/item.htm?id=") + id);
    row.append(mock_affiliate_link(id));
    row.append(p ? p->merchant : QString());
    row.append(p ? p->price.toDouble() : 10.0 + static_cast<double>(id.size()));
    row.append(p ? p->commission_rate : 5.0);
    row.append(p ? p->sales : 0);
    rows.append(row);
  }
  QJsonObject input{{"sheet", QStringLiteral("Page1")}, {"header", header}, {"rows", rows}};

  QProcess writer;
  writer.start(qEnvironmentVariable("PAGLOOM_SYSTEM_PYTHON", QStringLiteral("/usr/bin/python3")),
               {QStringLiteral(PAGLOOM_MOCK_XLS_SCRIPT)});
  if (writer.waitForStarted(10000)) {
    writer.write(QJsonDocument(input).toJson(QJsonDocument::Compact));
    writer.closeWriteChannel();
    writer.waitForFinished(30000);
  }
  const QByteArray workbook = writer.readAllStandardOutput();
  if (writer.exitStatus() != QProcess::NormalExit || writer.exitCode() != 0 || workbook.isEmpty()) {
    Response r;
    r.status = 500;
    r.reason = "Internal Server Error";
    r.content_type = "text/plain; charset=utf-8";
    r.body = "export writer failed: " + writer.readAllStandardError();
    return r;
  }
  Response r;
  r.content_type = "application/vnd.ms-excel";
  r.headers.push_back({"Content-Disposition", "attachment; filename=\"export.xls\""});
  r.body = workbook;
  return r;
}

Response plain_page(const QString& title, const QString& text) {
  return html(page_head(title) + QStringLiteral("<h2>") + title + QStringLiteral("</h2>\n<p>") + text +
              QStringLiteral("</p>") + kPageEnd);
}

// Short links by their code: "R<id>" redirects to the item page, "P<id>"
// answers a page that holds the item's address, "Loop<n>" redirects to
// "Loop<n+1>" without end, anything else is not found.
Response short_link(const QByteArray& code) {
  if (code.startsWith('R')) return redirect("/item.htm?id=" + code.mid(1) + "&ali_trackid=2");
  if (code.startsWith('P'))
    return html(
        page_head(QStringLiteral("淘宝")) +
        QStringLiteral(
            "<p>正在打开……</p>\n<script>var url = 'https://item.taobao.com/item.htm?ut_sk=1&amp;id=") +
        QString::fromLatin1(code.mid(1)) + QStringLiteral("&sourceType=item';</script>") + kPageEnd);
  if (code.startsWith("Loop")) return redirect("/h.Loop" + QByteArray::number(code.mid(4).toInt() + 1));
  return html(page_head(QStringLiteral("找不到页面")) + QStringLiteral("<p>链接已失效</p>") + kPageEnd, 404,
              "Not Found");
}

Response handle(MockServices::State& state, const MockRequest& request) {
  const QByteArray path = request.path();
  const QByteArray token = cookie_value(request.cookie, MockServices::kSessionCookie);
  const std::optional<QString> user = state.user_of(token);

  if (path == "/login.htm") return login_page();
  if (path == "/login.do") {
    const QString name = request.method.compare("post", Qt::CaseInsensitive) == 0 && !request.body.isEmpty()
                             ? form_value(request.body, "user")
                             : decode_gbk(request.query_value("user"), true);
    if (name.trimmed().isEmpty()) return login_page(QStringLiteral("请输入用户名"));
    Response r = redirect(MockServices::kMemberCentrePath);
    r.headers.push_back({"Set-Cookie", QByteArray(MockServices::kSessionCookie) + '=' +
                                           state.open_session(name) + "; HttpOnly; Path=/"});
    return r;
  }
  if (path == "/logout.do") {
    state.close_session(token);
    Response r = redirect(MockServices::kMemberCentrePath);
    r.headers.push_back(
        {"Set-Cookie", QByteArray(MockServices::kSessionCookie) +
                           "=; Expires=Thu, 01 Jan 1970 00:00:00 GMT; Max-Age=0; HttpOnly; Path=/"});
    return r;
  }
  if (path == MockServices::kEndSessionsPath) {
    state.close_all_sessions();
    return plain_page(QStringLiteral("已退出"), QStringLiteral("所有登录都已结束。"));
  }
  if (path == MockServices::kMemberCentrePath) {
    if (user) return member_centre(*user);
    return login_page(QStringLiteral("请先登录"));
  }
  if (path == MockServices::kPromotionPath) {
    if (!user) return login_page(QStringLiteral("请先登录"));
    return promotion_page(*user, decode_gbk(request.query_value("q")),
                          QString::fromLatin1(request.query_value("_fmu.a._0.so")));
  }
  if (path == MockServices::kExportPath) {
    if (!user) return login_page(QStringLiteral("请先登录"));
    return export_workbook(request.query_value("nid"));
  }
  if (path.startsWith("/h.")) return short_link(path.mid(3));
  if (path == "/item.htm")
    return plain_page(QStringLiteral("商品详情"),
                      QStringLiteral("商品 ") + QString::fromLatin1(request.query_value("id")));
  if (path == "/search") return marketplace_page(decode_gbk(request.query_value("q")));
  if (path == "/set-cookie.do") {
    Response r = plain_page(QStringLiteral("设置"), QStringLiteral("已设置"));
    if (request.method.compare("post", Qt::CaseInsensitive) == 0)
      r.headers.push_back({"Set-Cookie", "from_fetch=1; Path=/"});
    return r;
  }
  if (path == "/echo") {
    Response r;
    r.content_type = "text/plain; charset=utf-8";
    r.body = "method: " + request.method + "\ntarget: " + request.target + '\n';
    for (const auto& [name, value] : request.headers) r.body += name + ": " + value + '\n';
    r.body += "\n" + request.body;
    return r;
  }
  if (path == "/zero") {
    Response r;
    r.body = QByteArray("before", 6) + '\0' + QByteArray("after");
    return r;
  }
  if (path == "/status500") {
    return html(page_head(QStringLiteral("出错了")) + QStringLiteral("<p>服务器错误 500</p>") + kPageEnd, 500,
                "Internal Server Error");
  }
  if (path == "/broken") {
    Response r;
    r.content_type = "application/octet-stream";
    r.body = QByteArray(1000, 'x');
    r.announced_length = 100000;
    return r;
  }
  if (path == "/slow") {
    Response r;
    r.hold = true;
    return r;
  }
  if (path == "/help.htm")
    return plain_page(QStringLiteral("使用说明"),
                      QStringLiteral("一、点击左上角“登陆阿里妈妈”，在右侧页面用任意用户名登录。</p>\n"
                                     "<p>二、在“关键词列表”中每行输入一个关键词，选择单页模板、排序方式，"
                                     "填写商品数量。</p>\n"
                                     "<p>三、点击“开始生成”，在“生成日志”中查看进度；每个关键词生成一个页面，"
                                     "保存在所选模板的文件夹中。“停止生成”在下一个检查点结束生成。</p>\n"
                                     "<p>四、在“链接转换”中输入带有 id= 的商品链接，或导入链接文件，"
                                     "转换成淘宝客链接，并可保存为文本文件。</p>\n"
                                     "<p>五、生成过程中登录失效时，程序暂停并打开登录页，重新登录后自动继续。"
                                     "演示时，在任意浏览器里打开本服务的 /logout-all.do 即可结束登录。"));
  if (path == "/download.htm") return plain_page(QStringLiteral("下载"), QStringLiteral("最新版本下载。"));
  if (path == "/template-tutorial.htm")
    return plain_page(QStringLiteral("模板制作教程"),
                      QStringLiteral("模板由头部、[#商品循环开始#]、循环代码、[#商品循环结束#]和尾部组成，"
                                     "循环代码为每个商品重复一次。可用的占位符：</p>\n<ul>"
                                     "<li>[#关键词#]：关键词（头部、循环代码和尾部都可用）</li>"
                                     "<li>[#商品图片地址#]：商品图片地址</li>"
                                     "<li>[#商品网址#]：商品网址</li>"
                                     "<li>[#商品标题#]：商品标题</li>"
                                     "<li>[#商品销售量#]：最近30天销量</li>"
                                     "<li>[#卖家昵称#]：卖家昵称</li>"
                                     "<li>[#商品价格#]：商品价格</li>"
                                     "<li>[#商品排名#]：商品排名，从1开始</li>"
                                     "<li>[#推广链接#]：商品的淘宝客推广链接；取不到时用商品网址代替</li>"
                                     "</ul>\n<p>除[#关键词#]外，占位符只在循环代码中替换。"
                                     "开始生成前会检查模板，写错的占位符会在日志中提示。"));
  if (path == "/link-file-rules.htm")
    return plain_page(QStringLiteral("链接文件规则"), QStringLiteral("每个商品之间用商品分隔符隔开。"));
  return html(page_head(QStringLiteral("找不到页面")) + QStringLiteral("<p>404</p>") + kPageEnd, 404,
              "Not Found");
}

// Reads one request per connection, answers it and closes.
void serve(QTcpSocket* socket, const std::shared_ptr<MockServices::State>& state) {
  auto buffer = std::make_shared<QByteArray>();
  auto done = std::make_shared<bool>(false);
  QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
  QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, state, buffer, done] {
    buffer->append(socket->readAll());
    if (*done) return;
    const qsizetype head_end = buffer->indexOf("\r\n\r\n");
    if (head_end < 0) return;
    const QList<QByteArray> lines = buffer->left(head_end).split('\n');
    MockRequest request;
    const QList<QByteArray> request_line = lines.value(0).trimmed().split(' ');
    request.method = request_line.value(0);
    request.target = request_line.value(1);
    qsizetype length = 0;
    for (qsizetype i = 1; i < lines.size(); ++i) {
      const QByteArray line = lines[i].trimmed();
      const qsizetype colon = line.indexOf(':');
      if (colon <= 0) continue;
      const QByteArray name = line.left(colon).trimmed();
      const QByteArray value = line.mid(colon + 1).trimmed();
      request.headers.push_back({name, value});
      if (name.compare("Content-Length", Qt::CaseInsensitive) == 0) length = value.toLongLong();
      if (name.compare("Cookie", Qt::CaseInsensitive) == 0)
        request.cookie = request.cookie.isEmpty() ? value : request.cookie + "; " + value;
    }
    if (buffer->size() < head_end + 4 + length) return;
    *done = true;
    request.body = buffer->mid(head_end + 4, length);
    state->record(request);
    const Response response = handle(*state, request);
    if (response.hold) return;
    socket->write(response.raw());
    socket->disconnectFromHost();
  });
}

}  // namespace

class MockServices::Thread final : public QThread {
 public:
  explicit Thread(std::shared_ptr<State> state) : state_(std::move(state)) {}

  // The port listened on, 0 when listening failed; waits until known.
  quint16 wait_for_port() {
    ready_.acquire();
    return port_;
  }

 protected:
  void run() override {
    {
      QTcpServer server;  // lives and dies in this thread, its connections with it
      const bool listening = server.listen(QHostAddress::LocalHost, 0);
      port_ = listening ? server.serverPort() : 0;
      if (listening) {
        QObject::connect(&server, &QTcpServer::newConnection, &server, [this, &server] {
          while (QTcpSocket* socket = server.nextPendingConnection()) serve(socket, state_);
        });
      }
      ready_.release();
      if (listening) exec();
    }
  }

 private:
  std::shared_ptr<State> state_;
  QSemaphore ready_;
  quint16 port_ = 0;
};

MockServices::MockServices() : state_(std::make_shared<State>()) {}

MockServices::~MockServices() { stop(); }

bool MockServices::start() {
  if (thread_) return true;
  thread_ = std::make_unique<Thread>(state_);
  thread_->start();
  port_ = thread_->wait_for_port();
  if (port_ == 0) {
    thread_->wait();
    thread_.reset();
    return false;
  }
  return true;
}

void MockServices::stop() {
  if (!thread_) return;
  thread_->quit();
  thread_->wait();
  thread_.reset();
  port_ = 0;
}

bool MockServices::is_running() const { return thread_ != nullptr; }

quint16 MockServices::port() const { return port_; }

QString MockServices::base_url() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }

QString MockServices::url(const QString& path) const { return base_url() + path; }

Endpoints MockServices::endpoints() const {
  const std::string base = base_url().toStdString();
  Endpoints e;
  e.member_centre_host = base;
  e.service_host = base;
  e.marketplace_host = base;
  e.help_page = base + "/help.htm";
  e.download_page = base + "/download.htm";
  e.tutorial_page = base + "/template-tutorial.htm";
  e.link_rules_page = base + "/link-file-rules.htm";
  return e;
}

std::vector<MockRequest> MockServices::log() const {
  QMutexLocker lock(&state_->mutex);
  return state_->log;
}

std::vector<MockRequest> MockServices::requests_to(const QByteArray& path) const {
  std::vector<MockRequest> found;
  for (MockRequest& request : log())
    if (request.path() == path) found.push_back(std::move(request));
  return found;
}

void MockServices::clear_log() {
  QMutexLocker lock(&state_->mutex);
  state_->log.clear();
}

void MockServices::end_sessions() { state_->close_all_sessions(); }

}  // namespace pagloom::testing
