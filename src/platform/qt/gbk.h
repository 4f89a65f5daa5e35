// The one place where GBK texts meet Qt strings.
#pragma once

#include <QString>
#include <optional>

#include "text/text.h"

namespace pagloom {

// Decodes GBK bytes; an invalid byte becomes U+FFFD.
[[nodiscard]] QString from_gbk(std::string_view text);

// Encodes to GBK; a character GBK cannot hold becomes "?".
[[nodiscard]] Text to_gbk(const QString& text);

// Encodes to GBK; nullopt when a character cannot be held.
[[nodiscard]] std::optional<Text> to_gbk_exact(const QString& text);

}  // namespace pagloom
