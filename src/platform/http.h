// One HTTP exchange, synchronous from the caller's point of view. The
// implementation shares its cookie store with the embedded browser.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "text/text.h"

namespace pagloom {

// The deadline of every request, in wall time however slowly the server
// answers: a request still running then is aborted.
inline constexpr int kRequestTimeoutMs = 60'000;

struct HttpRequest {
  std::string method;  // sent as given, letter case included
  std::string url;     // wire-ready ASCII: already percent-encoded
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string user_agent;     // empty: the implementation's own
  bool bypass_cache = false;  // never read from or store into a cache
  bool no_proxy = false;
  int max_redirects = -1;  // redirects followed at most; -1: the implementation's default
};

struct HttpResponse {
  bool received = false;  // false when no response began to arrive (network error, time-out)
  // True when the whole body arrived: the transfer ended normally (an error
  // status counts as normal). False after a reset, a close before the
  // announced Content-Length, or the deadline.
  bool complete = false;
  int status = 0;
  Bytes body;             // whatever the status; what arrived before a transfer broke off
  std::string final_url;  // the address that answered last, after redirects; empty when unknown
};

class Http {
 public:
  virtual ~Http() = default;
  // Returns within the implementation's deadline however slowly the server
  // answers.
  virtual HttpResponse send(const HttpRequest& request) = 0;
};

}  // namespace pagloom
