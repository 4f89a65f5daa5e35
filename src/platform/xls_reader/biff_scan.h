// The workbook's cells read straight from its records, for what FreeXL 1.0.6
// reads wrongly or not at all: it gives a boolean cell (and an error cell) as
// the number it is stored with, gives a formula cell no value, and fails the
// whole workbook when a shared string runs over more than one CONTINUE
// record. The scan walks the compound file's directory to the workbook
// stream, the shared-string table and the sheet's cell records; every
// offset, count and chain in the file is checked against the file before
// use, and nothing is reserved from a count the file gives.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace pagloom::xls_reader {

// True when `a` and `b` are equal but for the letter case of ASCII letters.
[[nodiscard]] bool same_ascii_fold(std::string_view a, std::string_view b);

enum class CellKind : std::uint8_t {
  Text,     // `text`, UTF-8
  Number,   // `number`, shown as `shape` says
  Boolean,  // `text`: "TRUE" or "FALSE"
  Error,    // `text`: empty
  Formula,  // the formula's last result: `number` when is_number, else `text`
};

// How the cell's number format shows a number.
enum class NumberShape : std::uint8_t { Plain, Date, DateTime, Time };

struct ScannedCell {
  CellKind kind = CellKind::Text;
  bool is_number = false;
  NumberShape shape = NumberShape::Plain;
  double number = 0;
  std::string text;
};

struct ScannedSheet {
  // The counts of the DIMENSIONS record (one past the last row and column).
  std::uint32_t rows = 0;
  std::uint32_t columns = 0;
  // The file is whole sectors: a workbook cut short is not.
  bool whole_sectors = false;
  // Every cell with a value lies within the DIMENSIONS record's range.
  bool cells_within_dimensions = false;
  // Every record of the sheet is of a type a worksheet holds.
  bool known_records_only = true;
  // The workbook holds the sheet; when not, nothing else is filled in.
  bool has_sheet = false;
  // The workbook counts serial numbers from 1904-01-01 (DATEMODE).
  bool from_1904 = false;
  // Cells by row * 256 + column.
  std::unordered_map<std::uint32_t, ScannedCell> cells;
};

// The cells of the worksheet named `sheet` (letter case of ASCII letters
// ignored) in the bytes of an .xls file, or has_sheet false when the
// workbook has no such sheet; nullopt when the bytes are not a compound file
// holding a whole BIFF8 workbook (its records up to the sheet's EOF, every shared string a cell names, every
// cell record well formed) or hold more cells or text than kMaxCells and kMaxStreamBytes.
[[nodiscard]] std::optional<ScannedSheet> scan_sheet(std::string_view file, std::string_view sheet);

}  // namespace pagloom::xls_reader
