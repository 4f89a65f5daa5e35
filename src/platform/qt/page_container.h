// The window's two kinds of page container, a QTabWidget (a tab control with
// its strip) and a QStackedWidget (one without), behind one set of calls.
#pragma once

#include <functional>

class QObject;
class QWidget;

namespace pagloom::page_container {

// For a widget that is not a page container: 0 pages, current page -1, no
// page widget, and setting or watching the page does nothing.
[[nodiscard]] int count(const QWidget* container);
[[nodiscard]] int current(const QWidget* container);
void set_current(QWidget* container, int page);
[[nodiscard]] QWidget* page(const QWidget* container, int index);

// Calls `changed` (in `receiver`'s lifetime) whenever the current page changes.
void on_current_changed(QWidget* container, QObject* receiver, std::function<void()> changed);

}  // namespace pagloom::page_container
