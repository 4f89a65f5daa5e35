#include "platform/qt/qt_http.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkCookie>
#include <QNetworkCookieJar>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

namespace pagloom {

// The request side of the one cookie store. The browser's store feeds it
// through insertCookie/deleteCookie (taken as they are: the browser has
// validated them already); cookies that responses to our requests set go into
// the jar and on to the browser. Only setCookiesFromUrl pushes to the
// browser, and the browser's echo of a pushed cookie only replaces the same
// cookie here, so nothing loops.
class QtHttp::SharedCookieJar final : public QNetworkCookieJar {
 public:
  explicit SharedCookieJar(QWebEngineCookieStore* store) : store_(store) {
    if (!store) return;
    QObject::connect(store, &QWebEngineCookieStore::cookieAdded, this,
                     [this](const QNetworkCookie& cookie) { insertCookie(cookie); });
    QObject::connect(store, &QWebEngineCookieStore::cookieRemoved, this,
                     [this](const QNetworkCookie& cookie) { deleteCookie(cookie); });
  }

  bool setCookiesFromUrl(const QList<QNetworkCookie>& cookies, const QUrl& url) override {
    bool added = false;
    for (QNetworkCookie cookie : cookies) {
      cookie.normalize(url);
      if (!validateCookie(cookie, url)) continue;
      // insertCookie is false for an expired cookie, which deleted the old
      // one: the browser must drop it too, so it is pushed either way.
      if (insertCookie(cookie)) added = true;
      push_to_browser(cookie, url);
    }
    return added;
  }

 private:
  void push_to_browser(QNetworkCookie cookie, const QUrl& url) {
    if (!store_) return;
    QUrl origin;
    origin.setScheme(url.scheme());
    origin.setHost(url.host());
    origin.setPort(url.port());
    // The jar keeps a host-only cookie under the bare host name; the browser
    // would read such a domain as ".host". Handing it over without a domain,
    // with the origin, keeps it host-only.
    if (!cookie.domain().startsWith(u'.')) cookie.setDomain(QString());
    store_->setCookie(cookie, origin);
  }

  QPointer<QWebEngineCookieStore> store_;
};

QtHttp::QtHttp(QWebEngineProfile* profile, int deadline_ms)
    : deadline_ms_(deadline_ms),
      jar_(std::make_unique<SharedCookieJar>(profile ? profile->cookieStore() : nullptr)),
      manager_(std::make_unique<QNetworkAccessManager>()),
      direct_manager_(std::make_unique<QNetworkAccessManager>()) {
  // Our requests introduce themselves as the browser does.
  if (profile) {
    default_user_agent_ = profile->httpUserAgent();
    accept_language_ = profile->httpAcceptLanguage().toLatin1();
  }
  for (QNetworkAccessManager* manager : {manager_.get(), direct_manager_.get()}) {
    manager->setCookieJar(jar_.get());
    jar_->setParent(nullptr);  // shared by both managers, owned here
  }
  direct_manager_->setProxy(QNetworkProxy::NoProxy);
}

QtHttp::~QtHttp() = default;

HttpResponse QtHttp::send(const HttpRequest& request) {
  HttpResponse response;
  // The address is wire-ready ASCII (wire_address): strict parsing keeps its
  // escapes, GBK bytes included, exactly as they are.
  const QUrl url = QUrl::fromEncoded(QByteArray::fromStdString(request.url), QUrl::StrictMode);
  const QString scheme = url.scheme().toLower();
  if (!url.isValid() || url.host().isEmpty() || (scheme != u"http" && scheme != u"https")) return response;

  QNetworkRequest qrequest(url);
  qrequest.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
  if (request.max_redirects >= 0) qrequest.setMaximumRedirectsAllowed(request.max_redirects);
  const QString user_agent =
      request.user_agent.empty() ? default_user_agent_ : QString::fromStdString(request.user_agent);
  if (!user_agent.isEmpty()) qrequest.setHeader(QNetworkRequest::UserAgentHeader, user_agent);
  if (!accept_language_.isEmpty()) qrequest.setRawHeader("Accept-Language", accept_language_);
  for (const auto& [name, value] : request.headers)
    qrequest.setRawHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
  if (request.bypass_cache) {
    qrequest.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    qrequest.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);
  }

  QNetworkAccessManager& manager = request.no_proxy ? *direct_manager_ : *manager_;
  const QByteArray verb = QByteArray::fromStdString(request.method);
  // A GET goes without a body; any other method carries one, even empty, so
  // that a "post" announces "Content-Length: 0" as servers expect.
  const bool bodiless = request.body.empty() && (verb.compare("get", Qt::CaseInsensitive) == 0 ||
                                                 verb.compare("head", Qt::CaseInsensitive) == 0);
  QNetworkReply* reply =
      bodiless ? manager.sendCustomRequest(qrequest, verb)
               : manager.sendCustomRequest(qrequest, verb, QByteArray::fromStdString(request.body));

  // The body is collected as it arrives, so that bytes received before a
  // reset or the deadline are kept (an aborted reply drops its buffer).
  QByteArray body;
  QObject::connect(reply, &QNetworkReply::readyRead, reply, [reply, &body] { body += reply->readAll(); });
  if (!reply->isFinished()) {
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // Qt's transfer time-out only notices a transfer without progress; a
    // server dripping a byte now and then would hold the request for ever.
    // This timer ends it after the deadline, however the bytes come.
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setTimerType(Qt::PreciseTimer);
    QObject::connect(&deadline, &QTimer::timeout, reply, &QNetworkReply::abort);
    deadline.start(deadline_ms_);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
  }
  if (reply->isOpen()) body += reply->readAll();

  response.body.assign(body.begin(), body.end());
  const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
  response.status = status.isValid() ? status.toInt() : 0;
  response.received = status.isValid() || !body.isEmpty();
  // Qt reports an error status (4xx, 5xx) as a content or server error of a
  // transfer that ended normally; every other error broke the transfer off.
  const QNetworkReply::NetworkError error = reply->error();
  const bool status_error =
      (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError) ||
      (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
  response.complete = response.received && (error == QNetworkReply::NoError || status_error);
  // A close before the announced length that Qt let pass is a cut too. The
  // length counts encoded bytes, so a compressed body is not compared.
  const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
  if (response.complete && length.isValid() && !reply->hasRawHeader("Content-Encoding") &&
      body.size() < length.toLongLong())
    response.complete = false;
  response.final_url = reply->url().toEncoded().toStdString();  // after the redirects followed
  delete reply;
  return response;
}

}  // namespace pagloom
