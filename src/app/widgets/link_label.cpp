#include "app/widgets/link_label.h"

#include <QMouseEvent>

namespace pagloom {

LinkLabel::LinkLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
  setProperty("hyperlink", true);
  setCursor(Qt::PointingHandCursor);
  QFont underlined = font();
  underlined.setUnderline(true);
  setFont(underlined);
  QPalette blue = palette();
  blue.setColor(QPalette::WindowText, QColor(0x1d, 0x5f, 0xa8));
  setPalette(blue);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && on_click)
    on_click();
}

}  // namespace pagloom
