// HTTP over Qt Network, sharing its cookies both ways with a QtWebEngine
// profile, synchronous for the caller.
#pragma once

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
  explicit QtHttp(QWebEngineProfile* profile);
  ~QtHttp() override;
  QtHttp(const QtHttp&) = delete;
  QtHttp& operator=(const QtHttp&) = delete;

  // Blocks until the reply has finished, processing every event but user
  // input meanwhile. A request whose transfer makes no progress for the
  // time-out counts as failed: not received, empty body.
  HttpResponse send(const HttpRequest& request) override;

  // Shortens the transfer time-out (kRequestTimeoutMs otherwise).
  void set_timeout_for_tests(int ms) { timeout_ms_ = ms; }

 private:
  class SharedCookieJar;

  QString default_user_agent_;
  int timeout_ms_;
  std::unique_ptr<SharedCookieJar> jar_;  // outlives both managers
  std::unique_ptr<QNetworkAccessManager> manager_;
  std::unique_ptr<QNetworkAccessManager> direct_manager_;  // never through a proxy
};

}  // namespace pagloom
