// A hyperlink control: underlined text that reports a click.
#pragma once

#include <QLabel>
#include <functional>

namespace pagloom {

class LinkLabel final : public QLabel {
 public:
  LinkLabel(const QString& caption, QWidget* parent);

  // Called on a left click released over the label.
  std::function<void()> on_click;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace pagloom
