// Texts of files the user brings or takes away in UTF-8 (link files, tables
// for spreadsheets), converted where every other text meets GBK.
#pragma once

#include <string>
#include <string_view>

#include "text/text.h"

namespace pagloom {

class TextCodec {
 public:
  virtual ~TextCodec() = default;
  // A character GBK cannot hold, or an invalid sequence, becomes "?" and is
  // counted in `unmappable`.
  [[nodiscard]] virtual Text gbk_from_utf8(std::string_view utf8, int& unmappable) const = 0;
  [[nodiscard]] virtual std::string utf8_from_gbk(std::string_view gbk) const = 0;
};

}  // namespace pagloom
