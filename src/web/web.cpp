#include "web/web.h"

#include <optional>

namespace pagloom {
namespace {

// A "file://" address names a local path; anything else that is not a web
// address is a path already.
std::string_view local_path(std::string_view address) {
  if (text_starts_with_ci(address, "file://")) return address.substr(7);
  return address;
}

}  // namespace

Text fetch_text(Context& ctx, std::string_view address, std::string_view method, std::string_view body) {
  if (address.empty()) return {};
  if (!is_web_address(address)) {
    const std::optional<Bytes> content = ctx.files.read(Text(local_path(address)));
    return content ? bytes_to_text(*content) : Text();
  }
  HttpRequest request;
  request.method = (method.empty() || method == "get" || method == "GET") ? "get" : std::string(method);
  request.url = wire_address(address);
  request.body = std::string(body);
  const HttpResponse response = ctx.http.send(request);
  // A transfer broken off (reset, short of its Content-Length, past the
  // deadline) is a network error: no partial page.
  if (!response.complete) return {};
  return bytes_to_text(response.body);
}

Bytes download_bytes(Context& ctx, std::string_view address) {
  if (address.empty()) return {};
  const std::size_t hash = address.find('#');
  if (hash != std::string_view::npos) address = address.substr(0, hash);
  if (!is_web_address(address)) return {};
  // A scheme with nothing after it cannot be split into a host.
  const std::size_t host_start = address.find("://") + 3;
  if (host_start >= address.size() || address[host_start] == '/') return {};

  HttpRequest request;
  request.method = "GET";
  request.url = wire_address(address);
  request.headers.emplace_back("Accept", "*/*");
  request.user_agent = std::string(kDownloadUserAgent);
  request.bypass_cache = true;
  request.no_proxy = true;
  // Complete or not: a download cut short gives what arrived before the cut.
  return ctx.http.send(request).body;
}

FollowedPage fetch_following_redirects(Context& ctx, std::string_view address, int max_redirects) {
  FollowedPage page;
  if (!is_web_address(address)) return page;
  HttpRequest request;
  request.method = "GET";
  request.url = wire_address(address);
  request.max_redirects = max_redirects;
  const HttpResponse response = ctx.http.send(request);
  page.received = response.received;
  page.final_address = response.final_url.empty() ? request.url : response.final_url;
  page.body = bytes_to_text(response.body);
  return page;
}

bool probe_login(Context& ctx, std::string_view viewer) {
  const Text address = ctx.ui.current_address(viewer);
  const Text page = fetch_text(ctx, address, "post");
  return text_find(page, "退出") != -1;
}

}  // namespace pagloom
