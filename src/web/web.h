// The program's whole access to the web: synchronous page and file fetches
// that share the embedded browser's cookies, and the login probe.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"
#include "text/address.h"
#include "text/text.h"

namespace pagloom {

// The user agent of download_bytes.
inline constexpr std::string_view kDownloadUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// The response body up to its first zero byte, whatever the HTTP status; the
// empty text when the request fails or its transfer is broken off (a reset,
// a body short of its Content-Length, the deadline). "", "get" and "GET" are
// sent as "get", any other method unchanged. An address that is not an HTTP(S) address is
// read as a local file path (the empty text when the file is missing).
[[nodiscard]] Text fetch_text(Context& ctx, std::string_view address, std::string_view method,
                              std::string_view body = {});

// A GET of the response body, zero bytes included, never from or into a
// cache, without a proxy. Empty for an empty address or a scheme other than
// HTTP/HTTPS; the fragment is not sent; a transfer cut short (a reset, the
// deadline) gives the bytes that arrived before the cut.
[[nodiscard]] Bytes download_bytes(Context& ctx, std::string_view address);

// What a GET that follows redirects reached.
struct FollowedPage {
  bool received = false;
  std::string final_address;  // the address that answered last
  Text body;                  // its body up to the first zero byte
};

// A GET of a web address through the shared session, following at most
// `max_redirects` redirects.
[[nodiscard]] FollowedPage fetch_following_redirects(Context& ctx, std::string_view address,
                                                     int max_redirects);

// True when the page at the current address of the HTML viewer `viewer` (the
// login viewer), requested again with the method "post", contains "退出".
[[nodiscard]] bool probe_login(Context& ctx, std::string_view viewer);

}  // namespace pagloom
