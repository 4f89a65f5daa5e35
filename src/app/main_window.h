// The program's single window: every control of the control table, the
// platform objects behind the Ui/Http/FileSystem/Spreadsheet interfaces, and
// the wiring of control events to the commands.
#pragma once

#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "platform/context.h"
#include "platform/endpoints.h"
#include "platform/qt/freexl_spreadsheet.h"
#include "platform/qt/gbk.h"
#include "platform/qt/qt_file_system.h"

class QWebEngineProfile;

namespace pagloom {

class QtHttp;
class TabPlacement;
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

 private:
  void build_controls();
  void connect_commands();

  // Declared first, destroyed last: the pages of the viewers and QtHttp must
  // go before it.
  std::unique_ptr<QWebEngineProfile> profile_;
  std::unique_ptr<WindowUi> ui_;
  QtFileSystem files_;
  std::unique_ptr<QtHttp> http_;
  FreexlSpreadsheet spreadsheet_;
  QtTextCodec codec_;
  std::unique_ptr<Context> context_;

  TabPlacement* placement_ = nullptr;  // a child of the window
  int command_depth_ = 0;
  bool close_pending_ = false;
  bool started_ = false;
};

}  // namespace pagloom
