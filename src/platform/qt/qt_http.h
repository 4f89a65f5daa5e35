// HTTP over Qt Network, sharing its cookies both ways with a QtWebEngine
// profile, synchronous for the caller.
#pragma once

#include <QObject>
#include <memory>

#include "platform/http.h"

class QWebEngineProfile;

namespace pagloom {

class QtHttp final : public Http {
 public:
  explicit QtHttp(QWebEngineProfile* profile);
  ~QtHttp() override;
  QtHttp(const QtHttp&) = delete;
  QtHttp& operator=(const QtHttp&) = delete;

  HttpResponse send(const HttpRequest& request) override;
};

}  // namespace pagloom
