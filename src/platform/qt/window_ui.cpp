#include "platform/qt/window_ui.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>
#include <QWebEngineView>
#include <algorithm>
#include <chrono>
#include <vector>

#include "platform/qt/dialogs.h"
#include "platform/qt/gbk.h"
#include "platform/qt/page_container.h"
#include "platform/qt/qt_file_system.h"
#include "text/address.h"

namespace pagloom {

namespace {

constexpr int kGbkRole = Qt::UserRole;  // the exact GBK bytes of a list item or cell

// Controls that show line breaks take a line break of the text as one break
// of their own; what the user reads back gets that line break again.
bool shows_line_breaks(const QWidget* w) {
  return qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QLabel*>(w) ||
         qobject_cast<const QAbstractButton*>(w);
}

const QString kCrLf = QStringLiteral("\r\n");

// The one line-break style of `text` ("\r\n", "\n" or "\r"); "\r\n", the
// platform's own, when it has no line break or mixes styles.
QString line_break_of(const Text& text) {
  bool crlf = false, lf = false, cr = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
      crlf = true;
      ++i;
    } else if (text[i] == '\n') {
      lf = true;
    } else if (text[i] == '\r') {
      cr = true;
    }
  }
  if (lf && !crlf && !cr) return QStringLiteral("\n");
  if (cr && !crlf && !lf) return QStringLiteral("\r");
  return kCrLf;
}

QString for_display(const QWidget* w, const Text& text, const QString& line_break) {
  QString s = from_gbk(text);
  if (shows_line_breaks(w) && line_break != QStringLiteral("\n")) s.replace(line_break, QStringLiteral("\n"));
  return s;
}

// What the control shows now, as Qt text.
QString shown_text(const QWidget* w) {
  if (auto* box = qobject_cast<const QPlainTextEdit*>(w)) return box->toPlainText();
  if (auto* edit = qobject_cast<const QLineEdit*>(w)) return edit->text();
  if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
  if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->text();
  if (auto* group = qobject_cast<const QGroupBox*>(w)) return group->title();
  if (auto* combo = qobject_cast<const QComboBox*>(w)) return combo->currentText();
  return {};
}

Text from_display(const QWidget* w, QString shown, const QString& line_break) {
  if (shows_line_breaks(w) && line_break != QStringLiteral("\n"))
    shown.replace(QLatin1Char('\n'), line_break);
  return to_gbk(shown);
}

std::optional<Text> choose_file(QWidget* parent, bool save, const Text& folder, const Text& filter) {
  const auto chosen =
      FileDialogs::choose(parent, {save, QtFileSystem::native_path(folder), from_gbk(filter)});
  if (!chosen) return std::nullopt;
  return to_gbk(*chosen);
}

}  // namespace

WindowUi::WindowUi(QWidget& window)
    : window_(window), log_box_(window.findChild<QPlainTextEdit*>(QStringLiteral("编辑框8"))) {
  for (QPlainTextEdit* box : window_.findChildren<QPlainTextEdit*>()) track_edits(box);
}

WindowUi::~WindowUi() {
  for (const auto& connection : connections_) QObject::disconnect(connection);
}

void WindowUi::track_edits(QPlainTextEdit* box) {
  // Any change not made here (typing, pasting, undo) ends the exact copy.
  connections_.push_back(QObject::connect(box->document(), &QTextDocument::contentsChange, box,
                                          [this, box](int, int removed, int added) {
                                            if (writing_ == 0 && (removed || added)) written_.erase(box);
                                          }));
}

QWidget* WindowUi::control(std::string_view name) const {
  const std::string key(name);
  if (auto it = controls_.find(key); it != controls_.end() && it->second) return it->second;
  QWidget* w = window_.findChild<QWidget*>(from_gbk(name));
  if (w) controls_[key] = w;
  return w;
}

void WindowUi::remember(QWidget* w, Text text) {
  written_[w] = Written{std::move(text), qobject_cast<QPlainTextEdit*>(w) ? QString() : shown_text(w)};
}

Text WindowUi::text(std::string_view name) const {
  QWidget* w = control(name);
  if (!w) return {};
  if (auto it = written_.find(w); it != written_.end()) {
    if (qobject_cast<QPlainTextEdit*>(w) || shown_text(w) == it->second.shown) return it->second.text;
  }
  return from_display(w, shown_text(w), line_break(w));
}

QString WindowUi::line_break(const QWidget* w) const {
  const auto it = line_breaks_.find(w);
  return it == line_breaks_.end() ? kCrLf : it->second;
}

void WindowUi::set_text(std::string_view name, const Text& text) {
  QWidget* w = control(name);
  if (!w) return;
  // A multi-line box keeps the line-break style of the text it was given, so
  // that the user's edits change only the bytes they touch.
  auto* box = qobject_cast<QPlainTextEdit*>(w);
  if (box) line_breaks_[w] = line_break_of(text);
  const QString shown = for_display(w, text, line_break(w));
  ++writing_;
  if (box) {
    box->setPlainText(shown);
  } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    edit->setText(shown);
  } else if (auto* label = qobject_cast<QLabel*>(w)) {
    label->setText(shown);
  } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
    button->setText(shown);
  } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
    group->setTitle(shown);
  } else if (auto* combo = qobject_cast<QComboBox*>(w); combo && combo->isEditable()) {
    combo->setEditText(shown);
  } else {
    --writing_;
    return;
  }
  --writing_;
  remember(w, text);
}

void WindowUi::set_enabled(std::string_view name, bool enabled) {
  if (QWidget* w = control(name)) w->setEnabled(enabled);
}

void WindowUi::append_log(const Text& text) {
  QPlainTextEdit* box = log_box_;
  if (!box) return;
  auto it = written_.find(box);
  if (it == written_.end())
    it = written_.emplace(box, Written{from_display(box, box->toPlainText(), line_break(box)), {}}).first;
  it->second.text += text;

  ++writing_;
  QTextCursor end(box->document());
  end.movePosition(QTextCursor::End);
  end.insertText(for_display(box, text, line_break(box)));
  --writing_;
  box->moveCursor(QTextCursor::End);
  box->ensureCursorVisible();
}

void WindowUi::set_page(std::string_view name, int page) {
  QWidget* container = control(name);
  const int count = page_container::count(container);
  if (count == 0) return;
  ++changing_;
  page_container::set_current(container, std::clamp(page, 0, count - 1));
  --changing_;
}

int WindowUi::page(std::string_view name) const {
  return std::max(page_container::current(control(name)), 0);
}

void WindowUi::list_clear(std::string_view name) {
  if (auto* list = qobject_cast<QListWidget*>(control(name))) {
    ++changing_;
    list->clear();
    --changing_;
  }
}

int WindowUi::list_add(std::string_view name, const Text& item) {
  auto* list = qobject_cast<QListWidget*>(control(name));
  if (!list) return -1;
  auto* entry = new QListWidgetItem(from_gbk(item));
  entry->setData(kGbkRole, QByteArray(item.data(), static_cast<qsizetype>(item.size())));
  ++changing_;
  list->addItem(entry);
  --changing_;
  return list->count() - 1;
}

void WindowUi::list_select(std::string_view name, int index) {
  auto* list = qobject_cast<QListWidget*>(control(name));
  if (!list || index < 0 || index >= list->count()) return;
  ++changing_;
  list->setCurrentRow(index);
  --changing_;
}

int WindowUi::list_selected(std::string_view name) const {
  auto* list = qobject_cast<QListWidget*>(control(name));
  if (!list) return -1;
  QListWidgetItem* current = list->currentItem();
  return current && current->isSelected() ? list->row(current) : -1;
}

Text WindowUi::list_item(std::string_view name, int index) const {
  auto* list = qobject_cast<QListWidget*>(control(name));
  if (!list || index < 0 || index >= list->count()) return {};
  return list->item(index)->data(kGbkRole).toByteArray().toStdString();
}

int WindowUi::combo_index(std::string_view name) const {
  auto* combo = qobject_cast<QComboBox*>(control(name));
  if (!combo) return -1;
  const int index = combo->currentIndex();
  // Typed text that is not the entry's own text selects no entry.
  if (index < 0 || (combo->isEditable() && combo->currentText() != combo->itemText(index))) return -1;
  return index;
}

void WindowUi::set_combo_index(std::string_view name, int index) {
  auto* combo = qobject_cast<QComboBox*>(control(name));
  if (!combo) return;
  combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

Text WindowUi::combo_item(std::string_view name, int index) const {
  auto* combo = qobject_cast<QComboBox*>(control(name));
  if (!combo || index < 0 || index >= combo->count()) return {};
  return to_gbk(combo->itemText(index));
}

void WindowUi::rows_clear(std::string_view name) {
  if (auto* view = qobject_cast<QTreeWidget*>(control(name))) view->clear();
}

int WindowUi::row_count(std::string_view name) const {
  auto* view = qobject_cast<QTreeWidget*>(control(name));
  return view ? view->topLevelItemCount() : 0;
}

int WindowUi::insert_row(std::string_view name) {
  auto* view = qobject_cast<QTreeWidget*>(control(name));
  if (!view) return -1;
  view->addTopLevelItem(new QTreeWidgetItem());
  return view->topLevelItemCount() - 1;
}

void WindowUi::set_cell(std::string_view name, int row, int column, const Text& text) {
  auto* view = qobject_cast<QTreeWidget*>(control(name));
  if (!view || column < 0 || column >= view->columnCount()) return;
  QTreeWidgetItem* item = row >= 0 ? view->topLevelItem(row) : nullptr;
  if (!item) return;
  item->setData(column, kGbkRole, QByteArray(text.data(), static_cast<qsizetype>(text.size())));
  item->setText(column, from_gbk(text));
}

Text WindowUi::cell(std::string_view name, int row, int column) const {
  auto* view = qobject_cast<QTreeWidget*>(control(name));
  if (!view || column < 0 || column >= view->columnCount()) return {};
  QTreeWidgetItem* item = row >= 0 ? view->topLevelItem(row) : nullptr;
  if (!item) return {};
  return item->data(column, kGbkRole).toByteArray().toStdString();
}

QUrl WindowUi::address_url(const Text& address) {
  if (is_web_address(address)) {
    // QUrl reads raw bytes as UTF-8, so the GBK bytes go in percent-encoded.
    const QByteArray wire = QByteArray::fromStdString(wire_address(address));
    QUrl url = QUrl::fromEncoded(wire, QUrl::StrictMode);
    if (!url.isValid()) url = QUrl::fromEncoded(wire, QUrl::TolerantMode);
    return url;
  }
  if (address.empty()) return {};
  return QUrl::fromLocalFile(QtFileSystem::native_path(address));
}

void WindowUi::navigate(std::string_view name, const Text& address) {
  auto* view = qobject_cast<QWebEngineView*>(control(name));
  if (!view) return;
  const QUrl url = address_url(address);
  requested_[view] = url;
  view->load(url);
}

Text WindowUi::current_address(std::string_view name) const {
  auto* view = qobject_cast<QWebEngineView*>(control(name));
  if (!view) return {};
  QUrl url = view->url();
  // Until the engine commits the first navigation it reports no address.
  if (url.isEmpty()) {
    auto it = requested_.find(view);
    if (it == requested_.end()) return {};
    url = it->second;
  }
  if (url.isLocalFile()) return to_gbk(url.toLocalFile());
  return url.toEncoded().toStdString();
}

void WindowUi::delay(int ms) {
  if (ms <= 0) return;
  QElapsedTimer elapsed;
  elapsed.start();
  QEventLoop loop;
  QTimer timer;
  timer.setSingleShot(true);
  timer.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer, &QTimer::timeout, &loop, &QEventLoop::quit);
  // The loop may also end early (an application quit ends every loop), so
  // wait again until the time has really passed.
  while (elapsed.elapsed() <= ms) {
    timer.start(static_cast<int>(ms - elapsed.elapsed()) + 1);
    loop.exec(QEventLoop::AllEvents);
  }
}

void WindowUi::sleep(int ms) { QThread::msleep(static_cast<unsigned long>(std::max(ms, 0))); }

long long WindowUi::tick_ms() const {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void WindowUi::message(const Text& text) { MessageBoxes::show(from_gbk(text)); }

std::optional<Text> WindowUi::choose_open_file(const Text& folder, const Text& filter) {
  return choose_file(&window_, false, folder, filter);
}

std::optional<Text> WindowUi::choose_save_file(const Text& folder, const Text& filter) {
  return choose_file(&window_, true, folder, filter);
}

void WindowUi::open_external(const Text& address) { ExternalLinks::open(address_url(address)); }

}  // namespace pagloom
