// Reads a worksheet of an .xls (BIFF) workbook with FreeXL.
#pragma once

#include "platform/spreadsheet.h"

namespace pagloom {

class FreexlSpreadsheet final : public Spreadsheet {
 public:
  SheetRecords read_sheet(const Text& path, const std::string& sheet) const override;
};

}  // namespace pagloom
