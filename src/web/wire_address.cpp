#include <string>
#include <string_view>

#include "web/web.h"

namespace pagloom {

std::string wire_address(std::string_view address) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(address.size());
  for (const char ch : address) {
    const auto b = static_cast<unsigned char>(ch);
    if (b >= 0x80 || b <= 0x20 || b == 0x7F) {
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
