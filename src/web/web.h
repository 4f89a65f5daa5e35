// The program's whole access to the web: synchronous page and file fetches
// that share the embedded browser's cookies, and the login probe.
#pragma once

#include <string>
#include <string_view>

#include "platform/context.h"
#include "text/text.h"

namespace pagloom {

// The deadline of every request, in wall time however slowly the server
// answers: a request still running then is aborted.
inline constexpr int kRequestTimeoutMs = 60'000;

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

// True when the page at the login viewer's current address, requested again
// with the method "post", contains "退出".
[[nodiscard]] bool probe_login(Context& ctx);

// True for an "http://" or "https://" address, the scheme in any letter case.
[[nodiscard]] bool is_web_address(std::string_view address);

// The address as it goes on the wire: every byte of 0x80 or above, every
// space and control byte, the ASCII bytes an address may not hold raw
// ("\"<>\\^`{|}") and a "%" that begins no escape are percent-encoded (GBK
// bytes kept as they are); everything else, "%XX" sequences included, is
// unchanged. The result parses strictly as a URL.
[[nodiscard]] std::string wire_address(std::string_view address);

}  // namespace pagloom
