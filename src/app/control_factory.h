// Makes the Qt widget of one row of the control table: its kind, caption,
// list columns and, for HTML viewers, the browser profile they share.
#pragma once

#include "app/control_table.h"

class QWidget;
class QWebEngineProfile;

namespace pagloom {

// The widget for `row` under `parent`, not yet named or placed.
[[nodiscard]] QWidget* make_control(const ControlRow& row, QWidget* parent, QWebEngineProfile* profile);

}  // namespace pagloom
