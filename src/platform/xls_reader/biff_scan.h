// What FreeXL 1.0.6 reads wrongly, read straight from the workbook's records:
// it gives a boolean cell (and an error cell) as the number it is stored
// with. The scan walks the compound file's directory to the workbook stream
// and the sheet's BOOLERR records; every offset, count and chain in the file
// is checked against the file before use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace pagloom::xls_reader {

// True when `a` and `b` are equal but for the letter case of ASCII letters.
[[nodiscard]] bool same_ascii_fold(std::string_view a, std::string_view b);

// Cell texts by row * 256 + column: "TRUE" or "FALSE" for a boolean, the
// empty text for an error value.
using CellTexts = std::unordered_map<std::uint32_t, std::string>;

// The boolean and error cells of the worksheet named `sheet` (letter case of
// ASCII letters ignored) in the bytes of an .xls file; nullopt when the bytes
// are not a compound file holding a BIFF8 workbook with that sheet as far as
// the scan can tell.
[[nodiscard]] std::optional<CellTexts> scan_boolean_cells(std::string_view file, std::string_view sheet);

}  // namespace pagloom::xls_reader
