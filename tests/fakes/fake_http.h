// Scripted HTTP for unit tests: records every request and answers through a
// handler the test sets.
#pragma once

#include <functional>
#include <vector>

#include "platform/http.h"

namespace pagloom::testing {

class FakeHttp final : public Http {
 public:
  std::vector<HttpRequest> requests;
  std::function<HttpResponse(const HttpRequest&)> handler;

  HttpResponse send(const HttpRequest& request) override {
    requests.push_back(request);
    if (!handler) return {};
    return handler(request);
  }

  static HttpResponse ok(std::string_view body, int status = 200) {
    HttpResponse r;
    r.received = true;
    r.complete = true;
    r.status = status;
    r.body.assign(body.begin(), body.end());
    return r;
  }
};

}  // namespace pagloom::testing
