// The window as the program's logic sees it: controls addressed by their
// object names (e.g. "编辑框7"), the HTML viewers, the two waits and the
// dialogs. Every text crossing this interface, control names included, is GBK
// bytes; the Qt implementation converts at the boundary.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/text.h"

namespace pagloom {

class Ui {
 public:
  virtual ~Ui() = default;

  // Caption or content of an edit box, label, button or radio button.
  [[nodiscard]] virtual Text text(std::string_view control) const = 0;
  virtual void set_text(std::string_view control, const Text& text) = 0;
  virtual void set_enabled(std::string_view control, bool enabled) = 0;

  // Appends to the log box 编辑框8, moves the caret to the end and scrolls
  // it into view. No line break is added.
  virtual void append_log(const Text& text) = 0;

  // Tab controls (选择夹1, 选择夹2). Page numbers count from 0; a number out
  // of range is brought to the nearest page.
  virtual void set_page(std::string_view control, int page) = 0;
  [[nodiscard]] virtual int page(std::string_view control) const = 0;

  // The list box 列表框1. Selecting by index does not count as a user
  // selection; an index out of range selects nothing and changes nothing.
  virtual void list_clear(std::string_view control) = 0;
  virtual int list_add(std::string_view control, const Text& item) = 0;
  virtual void list_select(std::string_view control, int index) = 0;
  [[nodiscard]] virtual int list_selected(std::string_view control) const = 0;  // -1 when none
  [[nodiscard]] virtual Text list_item(std::string_view control, int index) const = 0;

  // The combo box 组合框1: the current entry index, -1 when the typed text
  // matches no entry; and an entry's text.
  [[nodiscard]] virtual int combo_index(std::string_view control) const = 0;
  virtual void set_combo_index(std::string_view control, int index) = 0;
  [[nodiscard]] virtual Text combo_item(std::string_view control, int index) const = 0;

  // Report-style list views. A missing row or column reads as the empty text;
  // setting one does nothing.
  virtual void rows_clear(std::string_view control) = 0;
  [[nodiscard]] virtual int row_count(std::string_view control) const = 0;
  virtual int insert_row(std::string_view control) = 0;  // index of the new last row
  virtual void set_cell(std::string_view control, int row, int column, const Text& text) = 0;
  [[nodiscard]] virtual Text cell(std::string_view control, int row, int column) const = 0;

  // HTML viewers: start loading an address or a local file path and return at
  // once; the address of the document shown (empty before any navigation).
  virtual void navigate(std::string_view viewer, const Text& address) = 0;
  [[nodiscard]] virtual Text current_address(std::string_view viewer) const = 0;

  // Waits. delay() keeps the window responsive (a click runs before it
  // returns) and returns once more than `ms` have passed; 0 or less returns at
  // once. sleep() blocks and processes nothing.
  virtual void delay(int ms) = 0;
  virtual void sleep(int ms) = 0;
  // Milliseconds on a clock that only moves forward, from an arbitrary start:
  // for waits that must end after a time however long each step takes.
  [[nodiscard]] virtual long long tick_ms() const = 0;

  // A modal message box captioned "信息：" with one OK button; returns when
  // the user has closed it.
  virtual void message(const Text& text) = 0;

  // File dialogs (通用对话框1). `filter` is a name filter such as "*.txt",
  // or several of them joined by ";;" ("Links (*.txt);;Table (*.csv)").
  // nullopt when the user cancels. The save dialog adds the extension of the
  // chosen filter to a name typed without one before it asks whether to
  // replace an existing file, so the name it gives is final.
  [[nodiscard]] virtual std::optional<Text> choose_open_file(const Text& folder, const Text& filter) = 0;
  [[nodiscard]] virtual std::optional<Text> choose_save_file(const Text& folder, const Text& filter) = 0;

  // Opens an address in the system's web browser.
  virtual void open_external(const Text& address) = 0;
};

}  // namespace pagloom
