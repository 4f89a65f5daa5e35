// Reading one worksheet of an .xls workbook as text records.
#pragma once

#include <string>
#include <vector>

#include "text/text.h"

namespace pagloom {

struct SheetRecords {
  enum class Status { Ok, CannotOpen, NoSuchSheet, Unreadable };
  Status status = Status::CannotOpen;
  // The records after the heading row, in sheet order; fields by 0-based
  // column index, each as GBK cell text. A record may be shorter than the
  // widest one: missing fields read as the empty text.
  std::vector<std::vector<Text>> records;
  // Cells whose text held characters GBK cannot represent; each such
  // character reads as "?".
  int lossy_cells = 0;
};

class Spreadsheet {
 public:
  virtual ~Spreadsheet() = default;
  // Reads the sheet named `sheet` of the workbook at `path` (GBK path).
  [[nodiscard]] virtual SheetRecords read_sheet(const Text& path, const std::string& sheet) const = 0;
};

}  // namespace pagloom
