// HTTP over Qt Network, sharing its cookies both ways with a QtWebEngine
// profile, synchronous for the caller.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>

#include "platform/http.h"

class QNetworkAccessManager;
class QWebEngineProfile;

namespace pagloom {

class QtHttp final : public Http {
 public:
  // Cookies the profile's store holds from now on, and those that responses
  // to our requests set, are seen by both sides. Construct it before the
  // profile's first page load: cookies added earlier are not announced.
  // Every request ends after `deadline_ms` of wall time at the latest
  // (kRequestTimeoutMs for the program; tests pass a short one).
  explicit QtHttp(QWebEngineProfile* profile, int deadline_ms = kRequestTimeoutMs);
  ~QtHttp() override;
  QtHttp(const QtHttp&) = delete;
  QtHttp& operator=(const QtHttp&) = delete;

  // Blocks until the reply has finished or the deadline has passed,
  // processing every event but user input meanwhile. At the deadline the
  // transfer is aborted: the response is incomplete and holds the bytes that
  // arrived until then.
  HttpResponse send(const HttpRequest& request) override;

 private:
  class SharedCookieJar;

  QString default_user_agent_;
  QByteArray accept_language_;  // the browser's, so that services answer in its language
  int deadline_ms_;
  std::unique_ptr<SharedCookieJar> jar_;  // outlives both managers
  std::unique_ptr<QNetworkAccessManager> manager_;
  std::unique_ptr<QNetworkAccessManager> direct_manager_;  // never through a proxy
};

}  // namespace pagloom
