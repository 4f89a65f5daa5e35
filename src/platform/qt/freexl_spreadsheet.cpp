#include "platform/qt/freexl_spreadsheet.h"

namespace pagloom {

SheetRecords FreexlSpreadsheet::read_sheet(const Text&, const std::string&) const { return {}; }

}  // namespace pagloom
