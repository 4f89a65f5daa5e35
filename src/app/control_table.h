// The main window's controls as data: one row per control with its kind,
// parent, place and caption. The window is built from this table alone, so the
// layout can be read (and checked) in one place.
#pragma once

#include <span>
#include <string_view>

namespace pagloom {

enum class ControlKind {
  TabControl,  // tab strip on top; caption lists the tab captions, one per line
  PageStack,   // tab control without a strip; as many pages as its children use
  GroupBox,    // caption is the title
  Button,
  RadioButton,
  LineEdit,       // single-line edit box; caption is the initial content
  MultiLineEdit,  // multi-line edit box with a vertical scroll bar
  ListBox,
  ComboBox,   // editable drop-down; caption lists the entries, one per line
  ListView,   // report-style list; columns come from list_columns()
  ClipFrame,  // a frame that clips its child
  HtmlViewer,
  Label,
  Hyperlink,
};

struct ControlRow {
  const char* name;
  ControlKind kind;
  const char* parent;  // empty: the main window
  int page;            // page of a tab control parent, -1 otherwise
  int x, y, w, h;      // relative to the parent; for children of a tab control, to the tab control
  const char* caption;
  bool hidden = false;
  bool multi_select = false;  // list views: several rows can be selected (Ctrl+A selects all)
};

struct ColumnRow {
  const char* list;
  const char* header;
  int width;
};

// Parents come before their children.
[[nodiscard]] std::span<const ControlRow> control_table();

// Header texts and widths of the report-style list views, in column order.
[[nodiscard]] std::span<const ColumnRow> list_columns();

}  // namespace pagloom
