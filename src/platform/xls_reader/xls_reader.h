// The work of pagloom-xls-reader: one worksheet of an .xls workbook, read
// with FreeXL and written out as an xls_wire stream. FreeXL is not safe on
// damaged files (crashes, over-reads, absurd dimensions), so the program runs
// this only in that child process, under time and memory limits.
#pragma once

#include <functional>
#include <string_view>

namespace pagloom::xls_reader {

// Reads the sheet named `sheet` (UTF-8, letter case of ASCII letters
// ignored) of the workbook at `path` and hands the stream to `emit` piece by
// piece, always ending with the end frame. Cells as text: text as UTF-8,
// every number as "%.8f", a boolean as "TRUE" or "FALSE" (an error value as
// the empty text), dates and times as "%Y-%m-%d %H:%M:%S" (a time
// alone on 1899-12-30), an empty cell as the empty text; empty rows after the
// last row that holds a cell are no records. A file FreeXL cannot
// open gives CannotOpen; a password-protected one, dimensions beyond the
// format's limits or a cell FreeXL cannot decode, Unreadable.
void read_sheet(const char* path, std::string_view sheet, const std::function<void(std::string_view)>& emit);

}  // namespace pagloom::xls_reader
