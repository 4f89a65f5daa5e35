#include "app/tab_placement.h"

#include <QEvent>
#include <QWidget>
#include <algorithm>

#include "platform/qt/page_container.h"

namespace pagloom {

void TabPlacement::add(QWidget* widget, QWidget* tab_control, QWidget* page, int page_index,
                       const QRect& place, bool hidden) {
  children_.push_back({widget, tab_control, page, page_index, place, hidden});
}

void TabPlacement::start() {
  for (const TabChild& child : children_) {
    for (QObject* source :
         {static_cast<QObject*>(child.page), static_cast<QObject*>(child.page->parentWidget())}) {
      if (sources_.contains(source)) continue;
      sources_.insert(source, child.tab_control);
      source->installEventFilter(this);
    }
  }
  std::vector<QWidget*> tab_controls;
  for (const TabChild& child : children_) {
    if (std::find(tab_controls.begin(), tab_controls.end(), child.tab_control) != tab_controls.end())
      continue;
    tab_controls.push_back(child.tab_control);
    QWidget* tab = child.tab_control;
    page_container::on_current_changed(tab, this, [this, tab] { place_children(tab); });
    place_children(tab);
  }
}

void TabPlacement::place_children(QWidget* tab_control) {
  for (TabChild& child : children_) {
    if (child.tab_control != tab_control || !child.widget) continue;
    const QRect on_page = child.place.translated(-child.page->mapTo(tab_control, QPoint(0, 0)));
    const bool in_strip = on_page.top() < 0;
    QWidget* parent = in_strip ? tab_control : child.page;
    const bool moved = child.widget->parentWidget() != parent;
    if (moved) child.widget->setParent(parent);
    child.widget->setGeometry(in_strip ? child.place : on_page);
    if (in_strip) {
      child.widget->setVisible(!child.hidden && page_container::current(tab_control) == child.page_index);
      child.widget->raise();
    } else if (moved) {
      child.widget->setVisible(!child.hidden);
    }
  }
}

bool TabPlacement::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
    if (auto it = sources_.constFind(watched); it != sources_.constEnd()) place_children(it.value());
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace pagloom
