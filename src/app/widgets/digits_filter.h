// An event filter for edit boxes whose typed input is limited to the digits
// and "-". Editing keys and shortcuts pass; pasted text is not filtered.
#pragma once

#include <QObject>

namespace pagloom {

class DigitsAndMinusFilter final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace pagloom
