// The program's single window: every control of the control table, the
// platform objects behind the Ui/Http/FileSystem/Spreadsheet interfaces, and
// the wiring of control events to the commands.
#pragma once

#include <QHash>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>
#include <vector>

#include "app/endpoints.h"
#include "platform/context.h"
#include "platform/qt/freexl_spreadsheet.h"
#include "platform/qt/qt_file_system.h"

class QWebEngineProfile;

namespace pagloom {

class QtHttp;
class WindowUi;

class MainWindow final : public QWidget {
  Q_OBJECT

 public:
  MainWindow(const Endpoints& endpoints, const std::filesystem::path& run_directory,
             QWidget* parent = nullptr);
  ~MainWindow() override;
  Q_DISABLE_COPY_MOVE(MainWindow)

  [[nodiscard]] Context& context() { return *context_; }

  // Runs a command the way the window's events do. Commands nest (a click
  // during a delay runs inside the waiting command); a close asked for
  // meanwhile is carried out once the outermost command has returned.
  void run_command(const std::function<void(Context&)>& command);

  // Nesting depth of the commands under way; 0 when idle.
  [[nodiscard]] int command_depth() const { return command_depth_; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // A control whose place is given relative to a tab control (not to the
  // page that holds it).
  struct TabChild {
    QPointer<QWidget> widget;
    QWidget* tab_control;
    QWidget* page;
    int page_index;
    QRect place;
    bool hidden;
  };

  void build_controls();
  void place_tab_children(QWidget* tab_control);
  void connect_commands();

  // Declared first, destroyed last: the pages of the viewers and QtHttp must
  // go before it.
  std::unique_ptr<QWebEngineProfile> profile_;
  std::unique_ptr<WindowUi> ui_;
  QtFileSystem files_;
  std::unique_ptr<QtHttp> http_;
  FreexlSpreadsheet spreadsheet_;
  std::unique_ptr<Context> context_;

  std::vector<TabChild> tab_children_;
  QHash<QObject*, QWidget*> placement_sources_;  // page or page holder -> its tab control
  int command_depth_ = 0;
  bool close_pending_ = false;
  bool started_ = false;
};

}  // namespace pagloom
