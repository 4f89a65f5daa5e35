// Keeps the children of the window's tab controls in place. The control table
// gives such a child's place relative to its tab control, not to the page that
// holds it, so the child moves whenever the pages do (first layout, a skin
// with another tab height). A child placed in the tab strip's band cannot be
// shown by its page: it stands on the tab control itself and is shown with
// its page.
#pragma once

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <vector>

class QWidget;

namespace pagloom {

class TabPlacement final : public QObject {
 public:
  using QObject::QObject;

  // `widget` belongs on page `page_index` (`page`) of `tab_control`, at
  // `place` relative to the tab control.
  void add(QWidget* widget, QWidget* tab_control, QWidget* page, int page_index, const QRect& place,
           bool hidden);

  // Places every child added and follows its tab control from now on.
  void start();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct TabChild {
    QPointer<QWidget> widget;
    QWidget* tab_control;
    QWidget* page;
    int page_index;
    QRect place;
    bool hidden;
  };

  void place_children(QWidget* tab_control);

  std::vector<TabChild> children_;
  QHash<QObject*, QWidget*> sources_;  // page or page holder -> its tab control
};

}  // namespace pagloom
