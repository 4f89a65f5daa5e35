#include "text/address.h"

#include "text/text.h"

namespace pagloom {
namespace {

bool is_hex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

// ASCII bytes that may not stand raw in an address: a strict parser refuses
// them, and a request carrying one would be dropped.
bool is_unsafe_ascii(char c) { return std::string_view("\"<>\\^`{|}").find(c) != std::string_view::npos; }

}  // namespace

bool is_web_address(std::string_view address) {
  return text_starts_with_ci(address, "http://") || text_starts_with_ci(address, "https://");
}

std::string wire_address(std::string_view address) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(address.size());
  for (std::size_t i = 0; i < address.size(); ++i) {
    const char ch = address[i];
    const auto b = static_cast<unsigned char>(ch);
    const bool stray_percent =
        ch == '%' && !(i + 2 < address.size() && is_hex(address[i + 1]) && is_hex(address[i + 2]));
    if (b >= 0x80 || b <= 0x20 || b == 0x7F || stray_percent || is_unsafe_ascii(ch)) {
      out.push_back('%');
      out.push_back(kHex[b >> 4]);
      out.push_back(kHex[b & 0x0F]);
    } else {
      out.push_back(ch);
    }
  }
  return out;
}

}  // namespace pagloom
