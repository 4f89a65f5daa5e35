// Web addresses as byte strings: telling one from a local path, and the form
// in which one goes on the wire. Pure functions, no I/O.
#pragma once

#include <string>
#include <string_view>

namespace pagloom {

// True for an "http://" or "https://" address, the scheme in any letter case.
[[nodiscard]] bool is_web_address(std::string_view address);

// The address as it goes on the wire: every byte of 0x80 or above, every
// space and control byte, the ASCII bytes an address may not hold raw
// ("\"<>\\^`{|}") and a "%" that begins no escape are percent-encoded (GBK
// bytes kept as they are); everything else, "%XX" sequences included, is
// unchanged. The result parses strictly as a URL.
[[nodiscard]] std::string wire_address(std::string_view address);

}  // namespace pagloom
