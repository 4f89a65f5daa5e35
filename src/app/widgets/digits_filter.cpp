#include "app/widgets/digits_filter.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <algorithm>

namespace pagloom {
namespace {

bool allowed(const QString& typed) {
  return std::all_of(typed.begin(), typed.end(), [](QChar c) {
    return !c.isPrint() || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-');
  });
}

}  // namespace

bool DigitsAndMinusFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    // Shortcuts (Ctrl+V and the like) insert no text of their own.
    if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return false;
    return !allowed(key->text());
  }
  if (event->type() == QEvent::InputMethod) {
    return !allowed(static_cast<QInputMethodEvent*>(event)->commitString());
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace pagloom
