#include "platform/qt/dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpression>
#include <deque>

namespace pagloom {

namespace {

std::function<void(const QString&)>& message_hook() {
  static std::function<void(const QString&)> hook;
  return hook;
}

std::deque<std::optional<QString>>& file_answers() {
  static std::deque<std::optional<QString>> answers;
  return answers;
}

std::vector<FileDialogs::Request>& file_requests() {
  static std::vector<FileDialogs::Request> requests;
  return requests;
}

std::function<void(const QUrl&)>& link_hook() {
  static std::function<void(const QUrl&)> hook;
  return hook;
}

}  // namespace

void MessageBoxes::set_auto_answer(std::function<void(const QString&)> answer) {
  message_hook() = std::move(answer);
}

void MessageBoxes::clear_auto_answer() { message_hook() = nullptr; }

void MessageBoxes::show(const QString& text) {
  if (message_hook()) {
    message_hook()(text);
    return;
  }
  QMessageBox box(QMessageBox::NoIcon, QStringLiteral("信息："), text, QMessageBox::Ok, nullptr);
  box.exec();
}

void FileDialogs::queue_answer(std::optional<QString> file_name) {
  file_answers().push_back(std::move(file_name));
}

void FileDialogs::clear() {
  file_answers().clear();
  file_requests().clear();
}

const std::vector<FileDialogs::Request>& FileDialogs::requests() { return file_requests(); }

std::optional<QString> FileDialogs::choose(QWidget* parent, const Request& request) {
  file_requests().push_back(request);
  if (!file_answers().empty()) {
    std::optional<QString> answer = std::move(file_answers().front());
    file_answers().pop_front();
    return answer;
  }
  // Non-native, so that it looks the same everywhere and its file-name field
  // can be typed into by a person or a smoke test.
  QFileDialog dialog(parent);
  dialog.setObjectName(QStringLiteral("通用对话框1"));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  if (!request.folder.isEmpty()) dialog.setDirectory(request.folder);
  if (!request.filter.isEmpty()) dialog.setNameFilters(request.filter.split(QStringLiteral(";;")));
  if (request.save) {
    // The chosen filter's extension goes onto a name typed without one
    // before the dialog asks whether to replace an existing file.
    const auto suffix_of = [](const QString& filter) {
      static const QRegularExpression extension(QStringLiteral("\\*\\.(\\w+)"));
      const QRegularExpressionMatch match = extension.match(filter);
      return match.hasMatch() ? match.captured(1) : QString();
    };
    dialog.setDefaultSuffix(suffix_of(dialog.selectedNameFilter()));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog, suffix_of](const QString& filter) { dialog.setDefaultSuffix(suffix_of(filter)); });
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().constFirst();
}

void ExternalLinks::set_hook(std::function<void(const QUrl&)> hook) { link_hook() = std::move(hook); }

void ExternalLinks::clear_hook() { link_hook() = nullptr; }

void ExternalLinks::open(const QUrl& url) {
  if (link_hook()) {
    link_hook()(url);
    return;
  }
  QDesktopServices::openUrl(url);
}

}  // namespace pagloom
