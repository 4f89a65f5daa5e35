#include "platform/qt/freexl_spreadsheet.h"

#include <freexl.h>

#include <QFile>
#include <charconv>

#include "platform/qt/gbk.h"
#include "platform/qt/qt_file_system.h"

namespace pagloom {
namespace {

// Owns a FreeXL handle; FreeXL wants freexl_close even after a failed open
// (a missing file leaves a handle behind).
class Workbook final {
 public:
  explicit Workbook(const QByteArray& path) { open_result_ = freexl_open(path.constData(), &handle_); }
  ~Workbook() {
    if (handle_ != nullptr) freexl_close(handle_);
  }
  Workbook(const Workbook&) = delete;
  Workbook& operator=(const Workbook&) = delete;

  [[nodiscard]] bool is_open() const { return open_result_ == FREEXL_OK && handle_ != nullptr; }
  [[nodiscard]] const void* handle() const { return handle_; }

 private:
  const void* handle_ = nullptr;
  int open_result_ = FREEXL_OK;
};

// The sheet's index, matched without regard to letter case as the workbook
// itself forbids two names that differ only in case; -1 when absent.
int find_sheet(const void* handle, const QString& wanted) {
  unsigned int count = 0;
  if (freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &count) != FREEXL_OK) return -1;
  for (unsigned int i = 0; i < count && i <= 0xFFFF; ++i) {
    const char* name = nullptr;
    if (freexl_get_worksheet_name(handle, static_cast<unsigned short>(i), &name) != FREEXL_OK || !name)
      continue;
    if (QString::fromUtf8(name).compare(wanted, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
  }
  return -1;
}

// "%.8f" without the C locale's decimal separator.
Text fixed8(double value) {
  char buf[512];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, 8);
  return ec == std::errc() ? Text(buf, end) : Text();
}

struct CellText {
  Text text;
  bool lossy = false;
};

CellText utf8_to_gbk(const char* utf8) {
  if (utf8 == nullptr) return {};
  const QString s = QString::fromUtf8(utf8);
  if (auto exact = to_gbk_exact(s)) return {std::move(*exact), false};
  return {to_gbk(s), true};
}

// The value as the program reads every cell: text as its GBK bytes, any
// number as "%.8f", a date, date-time or time as "%Y-%m-%d %H:%M:%S".
CellText cell_text(const FreeXL_CellValue& cell) {
  switch (cell.type) {
    case FREEXL_CELL_INT:
      return {fixed8(static_cast<double>(cell.value.int_value)), false};
    case FREEXL_CELL_DOUBLE:
      return {fixed8(cell.value.double_value), false};
    case FREEXL_CELL_TEXT:
    case FREEXL_CELL_SST_TEXT:
      return utf8_to_gbk(cell.value.text_value);
    case FREEXL_CELL_DATE:  // "YYYY-MM-DD"
      return cell.value.text_value ? CellText{Text(cell.value.text_value) + " 00:00:00", false} : CellText{};
    case FREEXL_CELL_DATETIME:  // "YYYY-MM-DD HH:MM:SS"
      return utf8_to_gbk(cell.value.text_value);
    case FREEXL_CELL_TIME:  // "HH:MM:SS": a time alone is a time on the day serial 0 stands for
      return cell.value.text_value ? CellText{"1899-12-30 " + Text(cell.value.text_value), false}
                                   : CellText{};
    default:
      return {};
  }
}

}  // namespace

SheetRecords FreexlSpreadsheet::read_sheet(const Text& path, const std::string& sheet) const {
  SheetRecords out;
  out.status = SheetRecords::Status::CannotOpen;
  if (path.empty()) return out;

  Workbook book(QFile::encodeName(QtFileSystem::native_path(path)));
  if (!book.is_open()) return out;
  const void* handle = book.handle();

  // FreeXL opens a password-protected workbook but cannot decrypt its cells.
  unsigned int password = 0;
  if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &password) == FREEXL_OK &&
      password == FREEXL_BIFF_OBFUSCATED)
    return out;

  const int index = find_sheet(handle, from_gbk(sheet));
  if (index < 0) {
    out.status = SheetRecords::Status::NoSuchSheet;
    return out;
  }

  out.status = SheetRecords::Status::Unreadable;
  unsigned int rows = 0;  // counts, not last indices
  unsigned short columns = 0;
  if (freexl_select_active_worksheet(handle, static_cast<unsigned short>(index)) != FREEXL_OK ||
      freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK)
    return out;

  // Row 0 is the heading row.
  std::vector<std::vector<Text>> records;
  if (rows > 1) records.reserve(rows - 1);
  for (unsigned int r = 1; r < rows; ++r) {
    std::vector<Text> record;
    record.reserve(columns);
    for (unsigned short c = 0; c < columns; ++c) {
      FreeXL_CellValue cell;
      const int rc = freexl_get_cell_value(handle, r, c, &cell);
      if (rc == FREEXL_ILLEGAL_CELL_ROW_COL) {
        record.emplace_back();
        continue;
      }
      if (rc != FREEXL_OK) return out;
      CellText text = cell_text(cell);
      if (text.lossy) ++out.lossy_cells;
      record.push_back(std::move(text.text));
    }
    records.push_back(std::move(record));
  }
  out.records = std::move(records);
  out.status = SheetRecords::Status::Ok;
  return out;
}

}  // namespace pagloom
