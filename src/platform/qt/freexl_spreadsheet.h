// Reads a worksheet of an .xls (BIFF) workbook with FreeXL.
#pragma once

#include "platform/spreadsheet.h"

namespace pagloom {

// Cells read as text: text as its GBK bytes (a character GBK cannot hold
// becomes "?" and the cell counts in lossy_cells), every number as "%.8f",
// dates and times as "%Y-%m-%d %H:%M:%S" (a time alone on 1899-12-30), an
// empty cell as the empty text. The sheet name matches without regard to
// letter case. A file FreeXL cannot open, or a password-protected one, gives
// CannotOpen; a cell it cannot decode, Unreadable.
class FreexlSpreadsheet final : public Spreadsheet {
 public:
  SheetRecords read_sheet(const Text& path, const std::string& sheet) const override;
};

}  // namespace pagloom
