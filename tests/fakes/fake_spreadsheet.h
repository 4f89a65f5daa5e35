// A spreadsheet reader that answers from a table the test sets, keyed by the
// workbook's bytes.
#pragma once

#include <functional>

#include "platform/spreadsheet.h"

namespace pagloom::testing {

class FakeSpreadsheet final : public Spreadsheet {
 public:
  std::function<SheetRecords(const Text& path, const std::string& sheet)> handler;
  mutable std::vector<Text> opened;

  SheetRecords read_sheet(const Text& path, const std::string& sheet) const override {
    opened.push_back(path);
    if (!handler) return {};
    return handler(path, sheet);
  }
};

}  // namespace pagloom::testing
