#include "platform/qt/page_container.h"

#include <QStackedWidget>
#include <QTabWidget>

namespace pagloom::page_container {

int count(const QWidget* container) {
  if (auto* tabs = qobject_cast<const QTabWidget*>(container)) return tabs->count();
  if (auto* stack = qobject_cast<const QStackedWidget*>(container)) return stack->count();
  return 0;
}

int current(const QWidget* container) {
  if (auto* tabs = qobject_cast<const QTabWidget*>(container)) return tabs->currentIndex();
  if (auto* stack = qobject_cast<const QStackedWidget*>(container)) return stack->currentIndex();
  return -1;
}

void set_current(QWidget* container, int page) {
  if (auto* tabs = qobject_cast<QTabWidget*>(container)) {
    tabs->setCurrentIndex(page);
  } else if (auto* stack = qobject_cast<QStackedWidget*>(container)) {
    stack->setCurrentIndex(page);
  }
}

QWidget* page(const QWidget* container, int index) {
  if (auto* tabs = qobject_cast<const QTabWidget*>(container)) return tabs->widget(index);
  if (auto* stack = qobject_cast<const QStackedWidget*>(container)) return stack->widget(index);
  return nullptr;
}

void on_current_changed(QWidget* container, QObject* receiver, std::function<void()> changed) {
  if (auto* tabs = qobject_cast<QTabWidget*>(container)) {
    QObject::connect(tabs, &QTabWidget::currentChanged, receiver,
                     [changed = std::move(changed)] { changed(); });
  } else if (auto* stack = qobject_cast<QStackedWidget*>(container)) {
    QObject::connect(stack, &QStackedWidget::currentChanged, receiver,
                     [changed = std::move(changed)] { changed(); });
  }
}

}  // namespace pagloom::page_container
