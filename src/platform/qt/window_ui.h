// The Ui interface over the main window's Qt controls, found by objectName.
// Texts cross as GBK bytes; a text set through here reads back byte for byte
// until the user edits the control.
#pragma once

#include <QPointer>
#include <QUrl>
#include <QWidget>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/ui.h"

class QPlainTextEdit;

namespace pagloom {

class WindowUi final : public Ui {
 public:
  // `window` holds every control as a descendant.
  explicit WindowUi(QWidget& window);
  ~WindowUi() override;
  WindowUi(const WindowUi&) = delete;
  WindowUi& operator=(const WindowUi&) = delete;

  [[nodiscard]] Text text(std::string_view control) const override;
  void set_text(std::string_view control, const Text& text) override;
  void set_enabled(std::string_view control, bool enabled) override;
  void append_log(const Text& text) override;

  void set_page(std::string_view control, int page) override;
  [[nodiscard]] int page(std::string_view control) const override;

  void list_clear(std::string_view control) override;
  int list_add(std::string_view control, const Text& item) override;
  void list_select(std::string_view control, int index) override;
  [[nodiscard]] int list_selected(std::string_view control) const override;
  [[nodiscard]] Text list_item(std::string_view control, int index) const override;

  [[nodiscard]] int combo_index(std::string_view control) const override;
  void set_combo_index(std::string_view control, int index) override;
  [[nodiscard]] Text combo_item(std::string_view control, int index) const override;

  void rows_clear(std::string_view control) override;
  [[nodiscard]] int row_count(std::string_view control) const override;
  int insert_row(std::string_view control) override;
  void set_cell(std::string_view control, int row, int column, const Text& text) override;
  [[nodiscard]] Text cell(std::string_view control, int row, int column) const override;

  void navigate(std::string_view viewer, const Text& address) override;
  [[nodiscard]] Text current_address(std::string_view viewer) const override;

  void delay(int ms) override;
  void sleep(int ms) override;
  [[nodiscard]] long long tick_ms() const override;

  void message(const Text& text) override;
  [[nodiscard]] std::optional<Text> choose_open_file(const Text& folder, const Text& filter) override;
  [[nodiscard]] std::optional<Text> choose_save_file(const Text& folder, const Text& filter) override;
  void open_external(const Text& address) override;

  // True while this class itself changes a page or a selection, so that the
  // window does not take the change for the user's.
  [[nodiscard]] bool changing_controls() const { return changing_ > 0; }

  // An HTTP(S) address as it goes on the wire (GBK bytes percent-encoded);
  // anything else as a local file path.
  [[nodiscard]] static QUrl address_url(const Text& address);

 private:
  struct Written {
    Text text;      // exactly what was set or appended
    QString shown;  // what the control showed right after (unused for multi-line boxes)
  };

  [[nodiscard]] QWidget* control(std::string_view name) const;
  void track_edits(QPlainTextEdit* box);
  void remember(QWidget* w, Text text);
  // The line break a multi-line box's text carries, from the last text set.
  [[nodiscard]] QString line_break(const QWidget* w) const;

  QWidget& window_;
  QPointer<QPlainTextEdit> log_box_;  // 编辑框8
  std::vector<QMetaObject::Connection> connections_;
  mutable std::unordered_map<std::string, QPointer<QWidget>> controls_;
  // Texts written through this interface, per control, dropped when the user
  // edits a multi-line box (the others are compared with what they show).
  std::unordered_map<const QWidget*, Written> written_;
  std::unordered_map<const QWidget*, QString> line_breaks_;  // "\r\n" when absent
  std::unordered_map<const QWidget*, QUrl> requested_;       // last navigation per viewer
  int changing_ = 0;
  int writing_ = 0;
};

}  // namespace pagloom
