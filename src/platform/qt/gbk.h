// The one place where GBK texts meet Qt strings.
#pragma once

#include <QString>
#include <optional>

#include "platform/text_codec.h"
#include "text/text.h"

namespace pagloom {

// Decodes GBK bytes; an invalid byte becomes U+FFFD.
[[nodiscard]] QString from_gbk(std::string_view text);

// Encodes to GBK; a character GBK cannot hold becomes "?".
[[nodiscard]] Text to_gbk(const QString& text);

// Encodes to GBK; nullopt when a character cannot be held.
[[nodiscard]] std::optional<Text> to_gbk_exact(const QString& text);

// The platform's TextCodec, with the conversions above.
class QtTextCodec final : public TextCodec {
 public:
  [[nodiscard]] Text gbk_from_utf8(std::string_view utf8, int& unmappable) const override;
  [[nodiscard]] std::string utf8_from_gbk(std::string_view gbk) const override;
};

}  // namespace pagloom
