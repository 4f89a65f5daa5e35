// Reads a worksheet of an .xls (BIFF) workbook with FreeXL, in a child
// process: FreeXL is not safe on damaged files, and the export comes from the
// network.
#pragma once

#include <QString>
#include <QtGlobal>
#include <chrono>

#include "platform/spreadsheet.h"

namespace pagloom {

struct XlsReaderLimits {
  std::chrono::milliseconds time{10'000};    // wall time, start to exit
  qint64 address_space = qint64{512} << 20;  // RLIMIT_AS of the child
};

// Starts pagloom-xls-reader for each read and decodes the stream it writes
// (platform/xls_reader/xls_wire.h). Cells read as text: text as its GBK bytes
// (a character GBK cannot hold becomes "?" and the cell counts in
// lossy_cells), every number as "%.8f", dates and times as
// "%Y-%m-%d %H:%M:%S" (a time alone on 1899-12-30), an empty cell as the
// empty text; a record ends with its last non-empty cell, and the records
// end with the last one that holds a cell. The sheet name
// matches without regard to the letter case of ASCII letters. A file FreeXL
// cannot open gives CannotOpen. A password-protected workbook, dimensions
// beyond the format's limits, a cell FreeXL cannot decode, and a child that
// crashes, exceeds its limits, fails to start or writes anything but a
// well-formed stream give Unreadable.
class FreexlSpreadsheet final : public Spreadsheet {
 public:
  // `reader`: the reader executable; by default pagloom-xls-reader in the
  // folder of the running executable.
  explicit FreexlSpreadsheet(QString reader = {}, XlsReaderLimits limits = {});

  SheetRecords read_sheet(const Text& path, const std::string& sheet) const override;

 private:
  QString reader_;
  XlsReaderLimits limits_;
};

}  // namespace pagloom
