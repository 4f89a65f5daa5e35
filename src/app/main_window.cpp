#include "app/main_window.h"

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTreeWidget>
#include <QWebEngineProfile>
#include <string_view>
#include <unordered_map>

#include "app/control_factory.h"
#include "app/control_table.h"
#include "app/skin.h"
#include "app/tab_placement.h"
#include "app/widgets/digits_filter.h"
#include "app/widgets/link_label.h"
#include "conversion/conversion_commands.h"
#include "generation/generation_run.h"
#include "platform/qt/gbk.h"
#include "platform/qt/page_container.h"
#include "platform/qt/qt_http.h"
#include "platform/qt/window_ui.h"
#include "shell/shell_commands.h"
#include "templates/template_commands.h"

namespace pagloom {

namespace {

// The selected rows of the converted list as "title<TAB>affiliate link"
// lines, in list order; line breaks and tabs inside a cell become spaces so
// that a row stays one line.
QString copied_rows(const QTreeWidget* list) {
  const auto one_line = [](QString cell) {
    for (const QChar c : {QLatin1Char('\r'), QLatin1Char('\n'), QLatin1Char('\t')})
      cell.replace(c, QLatin1Char(' '));
    return cell;
  };
  QString out;
  for (int r = 0; r < list->topLevelItemCount(); ++r) {
    const QTreeWidgetItem* item = list->topLevelItem(r);
    if (!item->isSelected()) continue;
    out += one_line(item->text(1)) + QLatin1Char('\t') + one_line(item->text(0)) + QLatin1Char('\n');
  }
  return out;
}

}  // namespace

MainWindow::MainWindow(const Endpoints& endpoints, const std::filesystem::path& run_directory,
                       QWidget* parent)
    : QWidget(parent), profile_(std::make_unique<QWebEngineProfile>()) {
  // The viewers ask the services for Chinese pages.
  profile_->setHttpAcceptLanguage(QStringLiteral("zh-CN,zh;q=0.9"));
  setWindowTitle(QStringLiteral("Pagloom2.0"));
  setFixedSize(743, 629);
  QFont font(QStringLiteral("WenQuanYi Micro Hei"));
  font.setPixelSize(12);
  setFont(font);

  build_controls();

  ui_ = std::make_unique<WindowUi>(*this);
  http_ = std::make_unique<QtHttp>(profile_.get());
  const QString folder = QFile::decodeName(QByteArray::fromStdString(run_directory.native()));
  Text run_folder = to_gbk(folder);
  while (run_folder.size() > 1 && (run_folder.back() == '/' || run_folder.back() == '\\'))
    run_folder.pop_back();
  context_.reset(
      new Context{*ui_, files_, *http_, spreadsheet_, codec_, endpoints, std::move(run_folder), {}});

  connect_commands();
}

MainWindow::~MainWindow() {
  // The controls go first and quietly: the viewers' pages before the profile,
  // the edit boxes before WindowUi, and no command runs on the way.
  const QList<QObject*> descendants = findChildren<QObject*>();
  for (QObject* object : descendants) object->disconnect(this);
  qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void MainWindow::build_controls() {
  placement_ = new TabPlacement(this);
  std::unordered_map<std::string_view, QWidget*> made;
  for (const ControlRow& row : control_table()) {
    QWidget* parent = this;
    QWidget* tab_control = nullptr;
    if (*row.parent) {
      QWidget* holder = made.at(row.parent);
      if (QWidget* page = page_container::page(holder, row.page)) {
        tab_control = holder;
        parent = page;
      } else {
        parent = holder;
      }
    }
    QWidget* w = make_control(row, parent, profile_.get());
    w->setObjectName(QString::fromUtf8(row.name));
    const QRect place(row.x, row.y, row.w, row.h);
    w->setGeometry(place);
    if (row.hidden) w->setVisible(false);
    if (tab_control) placement_->add(w, tab_control, parent, row.page, place, row.hidden);
    made.emplace(row.name, w);
  }

  placement_->start();

  findChild<QLineEdit*>(QStringLiteral("编辑框7"))->installEventFilter(new DigitsAndMinusFilter(this));
}

void MainWindow::connect_commands() {
  const auto on_click = [this](const char* name, void (*command)(Context&)) {
    auto* button = findChild<QAbstractButton*>(QString::fromUtf8(name));
    connect(button, &QAbstractButton::clicked, this, [this, command] { run_command(command); });
  };
  on_click("单选框1", show_instructions_page);
  on_click("单选框4", show_log_page);
  on_click("按钮2", open_login_page);
  on_click("按钮5", request_stop);
  on_click("单选框2", show_preview);
  on_click("单选框3", show_template_editor);
  on_click("按钮4", reload_template);
  on_click("按钮6", new_template);
  on_click("按钮3", save_template);
  on_click("按钮1", start_generation);
  on_click("按钮7", convert_single);
  on_click("按钮8", convert_batch);
  on_click("按钮9", import_link_file);
  on_click("按钮10", save_converted_links);

  for (const char* name : {"超级链接框1", "超级链接框2", "超级链接框3"}) {
    auto* link = dynamic_cast<LinkLabel*>(findChild<QLabel*>(QString::fromUtf8(name)));
    link->on_click = [this, gbk_name = to_gbk(QString::fromUtf8(name))] {
      run_command([&gbk_name](Context& ctx) { open_hyperlink(ctx, gbk_name); });
    };
  }

  auto* top_tabs = findChild<QTabWidget*>(QStringLiteral("选择夹1"));
  connect(top_tabs, &QTabWidget::currentChanged, this, [this] {
    if (!ui_->changing_controls()) run_command(refresh_member_centre);
  });

  // Ctrl+C on the converted list copies its selected rows.
  auto* converted = findChild<QTreeWidget*>(QStringLiteral("超级列表框3"));
  auto* copy = new QAction(converted);
  copy->setShortcut(QKeySequence::Copy);
  copy->setShortcutContext(Qt::WidgetShortcut);
  converted->addAction(copy);
  connect(copy, &QAction::triggered, this,
          [converted] { QGuiApplication::clipboard()->setText(copied_rows(converted)); });

  // The radio buttons mark the inner page shown, whichever command showed it
  // (a generation run shows the log page); the login and result pages have
  // none, and then none is ticked.
  auto* inner_pages = findChild<QStackedWidget*>(QStringLiteral("选择夹2"));
  connect(inner_pages, &QStackedWidget::currentChanged, this, [this](int page) {
    const std::pair<int, const char*> radios[] = {{kInstructionsPage, "单选框1"},
                                                  {kPreviewPage, "单选框2"},
                                                  {kEditorPage, "单选框3"},
                                                  {kLogPage, "单选框4"}};
    for (const auto& [shows, name] : radios) {
      auto* radio = findChild<QRadioButton*>(QString::fromUtf8(name));
      radio->setAutoExclusive(false);  // else the ticked one cannot be cleared
      radio->setChecked(shows == page);
      radio->setAutoExclusive(true);
    }
  });

  // A selection by the user, not one made through the Ui (scan_templates).
  auto* templates = findChild<QListWidget*>(QStringLiteral("列表框1"));
  connect(templates, &QListWidget::itemSelectionChanged, this, [this, templates] {
    if (ui_->changing_controls() || templates->selectedItems().isEmpty()) return;
    run_command(select_template);
  });
}

void MainWindow::run_command(const std::function<void(Context&)>& command) {
  {
    ++command_depth_;
    const auto leave = qScopeGuard([this] { --command_depth_; });
    command(*context_);
  }
  if (command_depth_ == 0 && close_pending_) {
    close_pending_ = false;
    close();
  }
}

void MainWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!started_) {
    started_ = true;
    run_command([](Context& ctx) {
      install_skin(12);
      start_up(ctx);
    });
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  // A command suspended in a delay would resume on a closed window: ask it to
  // stop and close once it has returned.
  if (command_depth_ > 0) {
    context_->state.stop_requested = 1;
    close_pending_ = true;
    event->ignore();
    return;
  }
  QWidget::closeEvent(event);
}

}  // namespace pagloom
