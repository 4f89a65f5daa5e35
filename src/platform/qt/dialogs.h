// The window's modal dialogs and the external browser, each with a seam that
// tests set so that nothing blocks or leaves the process.
#pragma once

#include <QString>
#include <QUrl>
#include <functional>
#include <optional>
#include <vector>

class QWidget;

namespace pagloom {

class MessageBoxes final {
 public:
  // While set, message() hands its text to `answer` instead of showing a box.
  static void set_auto_answer(std::function<void(const QString& text)> answer);
  static void clear_auto_answer();

  // A modal box captioned "信息：" with one OK button, owned by no window.
  static void show(const QString& text);
};

class FileDialogs final {
 public:
  struct Request {
    bool save = false;
    QString folder;
    QString filter;  // name filters joined by ";;"
  };

  // Queued answers are given, in order, instead of showing the dialog; an
  // empty optional answers as a cancel.
  static void queue_answer(std::optional<QString> file_name);
  static void set_next_file_name(const QString& file_name) { queue_answer(file_name); }
  static void set_next_cancel() { queue_answer(std::nullopt); }
  // Forgets queued answers and recorded requests.
  static void clear();
  // Every request made since the last clear(), answered or shown.
  [[nodiscard]] static const std::vector<Request>& requests();

  // The non-native dialog 通用对话框1 (or the next queued answer). A save
  // dialog adds the selected filter's extension to a name typed without one
  // before it asks whether to replace an existing file.
  [[nodiscard]] static std::optional<QString> choose(QWidget* parent, const Request& request);
};

class ExternalLinks final {
 public:
  // While set, open() hands the address to `hook` instead of the system's
  // browser.
  static void set_hook(std::function<void(const QUrl& url)> hook);
  static void clear_hook();

  static void open(const QUrl& url);
};

}  // namespace pagloom
