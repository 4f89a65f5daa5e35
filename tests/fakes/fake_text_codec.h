// TextCodec through the C library's iconv, whose GBK agrees with the
// window's on every character the tests use.
#pragma once

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <string>
#include <string_view>

#include "platform/text_codec.h"

namespace pagloom::testing {

class FakeTextCodec final : public TextCodec {
 public:
  Text gbk_from_utf8(std::string_view utf8, int& unmappable) const override {
    unmappable = 0;
    return convert("GBK", "UTF-8", utf8, &unmappable);
  }
  std::string utf8_from_gbk(std::string_view gbk) const override {
    return convert("UTF-8", "GBK", gbk, nullptr);
  }

 private:
  // A character the target cannot hold, or an invalid input sequence,
  // becomes "?" (counted when `unmappable` is given).
  static std::string convert(const char* to, const char* from, std::string_view in, int* unmappable) {
    iconv_t cd = iconv_open(to, from);
    std::string out;
    char buffer[256];
    char* src = const_cast<char*>(in.data());
    std::size_t left = in.size();
    while (left > 0) {
      char* dst = buffer;
      std::size_t room = sizeof buffer;
      const std::size_t done = iconv(cd, &src, &left, &dst, &room);
      out.append(buffer, static_cast<std::size_t>(dst - buffer));
      if (done != static_cast<std::size_t>(-1) || errno == E2BIG) continue;
      // Skip one character: a UTF-8 lead byte tells its length.
      const auto lead = static_cast<unsigned char>(*src);
      std::size_t skip = 1;
      if (std::string_view(from) == "UTF-8")
        skip = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
      skip = std::min(skip, left);
      src += skip;
      left -= skip;
      out += '?';
      if (unmappable) ++*unmappable;
    }
    iconv_close(cd);
    return out;
  }
};

}  // namespace pagloom::testing
