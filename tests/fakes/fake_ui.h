// In-memory window for unit tests of the commands: every control is a bag of
// state keyed by its name, delay() advances a fake clock and lets the test act
// "during" the wait, and dialogs are answered from queues.
#pragma once

#include <algorithm>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ui.h"

namespace pagloom::testing {

class FakeUi final : public Ui {
 public:
  struct ListView {
    std::vector<std::vector<Text>> rows;
  };
  struct ListBox {
    std::vector<Text> items;
    int selected = -1;
  };
  struct Combo {
    std::vector<Text> items;
    int index = 0;
  };

  // Controls.
  std::map<std::string, Text, std::less<>> texts;
  std::map<std::string, bool, std::less<>> disabled;
  std::map<std::string, int, std::less<>> pages;
  std::map<std::string, ListBox, std::less<>> list_boxes;
  std::map<std::string, Combo, std::less<>> combos;
  std::map<std::string, ListView, std::less<>> list_views;
  std::map<std::string, Text, std::less<>> addresses;
  std::map<std::string, std::vector<Text>, std::less<>> navigations;

  // Waits: the fake clock in ms, every delay and sleep in call order.
  long long clock_ms = 0;
  std::vector<int> delays;
  std::vector<int> sleeps;
  // Called inside every delay(ms) after the clock moved: the place where a
  // test "clicks" during a wait.
  std::function<void(int ms)> on_delay;

  // Dialogs.
  std::vector<Text> messages;
  std::deque<std::optional<Text>> open_answers;
  std::deque<std::optional<Text>> save_answers;
  std::vector<Text> save_filters;  // the filter of every save dialog shown
  std::vector<Text> opened_externally;

  Text text(std::string_view control) const override {
    auto it = texts.find(control);
    return it == texts.end() ? Text() : it->second;
  }
  void set_text(std::string_view control, const Text& text) override { texts[std::string(control)] = text; }
  void set_enabled(std::string_view control, bool enabled) override {
    disabled[std::string(control)] = !enabled;
  }
  // What set_enabled last made of the control; enabled when never set.
  bool is_enabled(std::string_view control) const {
    auto it = disabled.find(control);
    return it == disabled.end() || !it->second;
  }
  void append_log(const Text& text) override { texts["编辑框8"] += text; }

  void set_page(std::string_view control, int page) override { pages[std::string(control)] = page; }
  int page(std::string_view control) const override {
    auto it = pages.find(control);
    return it == pages.end() ? 0 : it->second;
  }

  void list_clear(std::string_view control) override { list_boxes[std::string(control)] = {}; }
  int list_add(std::string_view control, const Text& item) override {
    auto& box = list_boxes[std::string(control)];
    box.items.push_back(item);
    return static_cast<int>(box.items.size()) - 1;
  }
  void list_select(std::string_view control, int index) override {
    auto& box = list_boxes[std::string(control)];
    if (index >= 0 && index < static_cast<int>(box.items.size())) box.selected = index;
  }
  int list_selected(std::string_view control) const override {
    auto it = list_boxes.find(control);
    return it == list_boxes.end() ? -1 : it->second.selected;
  }
  Text list_item(std::string_view control, int index) const override {
    auto it = list_boxes.find(control);
    if (it == list_boxes.end() || index < 0 || index >= static_cast<int>(it->second.items.size())) return {};
    return it->second.items[static_cast<std::size_t>(index)];
  }

  int combo_index(std::string_view control) const override {
    auto it = combos.find(control);
    return it == combos.end() ? -1 : it->second.index;
  }
  void set_combo_index(std::string_view control, int index) override {
    combos[std::string(control)].index = index;
  }
  Text combo_item(std::string_view control, int index) const override {
    auto it = combos.find(control);
    if (it == combos.end() || index < 0 || index >= static_cast<int>(it->second.items.size())) return {};
    return it->second.items[static_cast<std::size_t>(index)];
  }

  void rows_clear(std::string_view control) override { list_views[std::string(control)].rows.clear(); }
  int row_count(std::string_view control) const override {
    auto it = list_views.find(control);
    return it == list_views.end() ? 0 : static_cast<int>(it->second.rows.size());
  }
  int insert_row(std::string_view control) override {
    auto& view = list_views[std::string(control)];
    view.rows.emplace_back();
    return static_cast<int>(view.rows.size()) - 1;
  }
  void set_cell(std::string_view control, int row, int column, const Text& text) override {
    auto& view = list_views[std::string(control)];
    if (row < 0 || row >= static_cast<int>(view.rows.size()) || column < 0 || column >= kColumns) return;
    auto& cells = view.rows[static_cast<std::size_t>(row)];
    if (cells.size() <= static_cast<std::size_t>(column)) cells.resize(static_cast<std::size_t>(column) + 1);
    cells[static_cast<std::size_t>(column)] = text;
  }
  Text cell(std::string_view control, int row, int column) const override {
    auto it = list_views.find(control);
    if (it == list_views.end() || row < 0 || row >= static_cast<int>(it->second.rows.size()) || column < 0)
      return {};
    const auto& cells = it->second.rows[static_cast<std::size_t>(row)];
    return static_cast<std::size_t>(column) < cells.size() ? cells[static_cast<std::size_t>(column)] : Text();
  }

  void navigate(std::string_view viewer, const Text& address) override {
    navigations[std::string(viewer)].push_back(address);
    addresses[std::string(viewer)] = address;
  }
  Text current_address(std::string_view viewer) const override {
    auto it = addresses.find(viewer);
    return it == addresses.end() ? Text() : it->second;
  }

  void delay(int ms) override {
    delays.push_back(ms);
    if (ms <= 0) return;
    clock_ms += ms + 1;
    if (on_delay) on_delay(ms);
  }
  void sleep(int ms) override {
    sleeps.push_back(ms);
    if (ms > 0) clock_ms += ms;
  }
  long long tick_ms() const override { return clock_ms; }

  void message(const Text& text) override { messages.push_back(text); }
  std::optional<Text> choose_open_file(const Text&, const Text&) override { return pop(open_answers); }
  std::optional<Text> choose_save_file(const Text&, const Text& filter) override {
    save_filters.push_back(filter);
    return pop(save_answers);
  }
  void open_external(const Text& address) override { opened_externally.push_back(address); }

  // Rows of a list view as written, padded to `columns` cells.
  std::vector<std::vector<Text>> rows(std::string_view control, int columns) const {
    std::vector<std::vector<Text>> out;
    for (int r = 0; r < row_count(control); ++r) {
      std::vector<Text> row;
      for (int c = 0; c < columns; ++c) row.push_back(cell(control, r, c));
      out.push_back(row);
    }
    return out;
  }

 private:
  static constexpr int kColumns = 4;
  static std::optional<Text> pop(std::deque<std::optional<Text>>& answers) {
    if (answers.empty()) return std::nullopt;
    auto answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

}  // namespace pagloom::testing
