#include "app/main_window.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFont>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "app/control_table.h"
#include "app/page_container.h"
#include "app/skin.h"
#include "app/window_ui.h"
#include "conversion/conversion_commands.h"
#include "generation/generation_run.h"
#include "platform/qt/gbk.h"
#include "platform/qt/qt_http.h"
#include "shell/shell_commands.h"
#include "templates/template_commands.h"

namespace pagloom {

namespace {

// Typed input limited to the digits and "-". Editing keys and shortcuts
// pass; pasted text is not filtered.
class DigitsAndMinusFilter final : public QObject {
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      // Shortcuts (Ctrl+V and the like) insert no text of their own.
      if (key->modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) return false;
      return !allowed(key->text());
    }
    if (event->type() == QEvent::InputMethod) {
      return !allowed(static_cast<QInputMethodEvent*>(event)->commitString());
    }
    return QObject::eventFilter(watched, event);
  }

 private:
  static bool allowed(const QString& typed) {
    return std::all_of(typed.begin(), typed.end(), [](QChar c) {
      return !c.isPrint() || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('-');
    });
  }
};

// A hyperlink: underlined text that reports a click.
class LinkLabel final : public QLabel {
 public:
  LinkLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
    setProperty("hyperlink", true);
    setCursor(Qt::PointingHandCursor);
    QFont underlined = font();
    underlined.setUnderline(true);
    setFont(underlined);
    QPalette blue = palette();
    blue.setColor(QPalette::WindowText, QColor(0x1d, 0x5f, 0xa8));
    setPalette(blue);
  }

  std::function<void()> on_click;

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override {
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && on_click)
      on_click();
  }
};

QString caption_text(const char* caption) {
  QString text = QString::fromUtf8(caption);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  return text;
}

// A page stack has as many pages as its children use.
int pages_used_by(std::string_view stack) {
  int count = 0;
  for (const ControlRow& row : control_table()) {
    if (stack == row.parent) count = std::max(count, row.page + 1);
  }
  return count;
}

QWidget* make_control(const ControlRow& row, QWidget* parent, QWebEngineProfile* profile) {
  const QString caption = caption_text(row.caption);
  switch (row.kind) {
    case ControlKind::TabControl: {
      auto* tabs = new QTabWidget(parent);
      for (const QString& tab : caption.split(QLatin1Char('\n'))) tabs->addTab(new QWidget, tab);
      return tabs;
    }
    case ControlKind::PageStack: {
      auto* stack = new QStackedWidget(parent);
      for (int i = pages_used_by(row.name); i > 0; --i) stack->addWidget(new QWidget);
      return stack;
    }
    case ControlKind::GroupBox:
      return new QGroupBox(caption, parent);
    case ControlKind::Button: {
      auto* button = new QPushButton(caption, parent);
      button->setAutoDefault(false);
      return button;
    }
    case ControlKind::RadioButton:
      return new QRadioButton(caption, parent);
    case ControlKind::LineEdit:
      return new QLineEdit(caption, parent);
    case ControlKind::MultiLineEdit: {
      auto* box = new QPlainTextEdit(parent);
      box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
      box->setPlainText(caption);
      return box;
    }
    case ControlKind::ListBox: {
      auto* list = new QListWidget(parent);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      return list;
    }
    case ControlKind::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(true);
      combo->setInsertPolicy(QComboBox::NoInsert);  // typed text stays text, never a new entry
      combo->setCompleter(nullptr);
      combo->addItems(caption.split(QLatin1Char('\n')));
      return combo;
    }
    case ControlKind::ListView: {
      auto* view = new QTreeWidget(parent);
      view->setRootIsDecorated(false);
      view->setItemsExpandable(false);
      view->setUniformRowHeights(true);
      QStringList headers;
      std::vector<int> widths;
      for (const ColumnRow& column : list_columns()) {
        if (std::string_view(column.list) != row.name) continue;
        headers << QString::fromUtf8(column.header);
        widths.push_back(column.width);
      }
      view->setColumnCount(static_cast<int>(headers.size()));
      view->setHeaderLabels(headers);
      view->header()->setStretchLastSection(false);
      for (std::size_t i = 0; i < widths.size(); ++i) view->setColumnWidth(static_cast<int>(i), widths[i]);
      return view;
    }
    case ControlKind::ClipFrame: {
      auto* frame = new QFrame(parent);
      frame->setFrameShape(QFrame::NoFrame);
      return frame;
    }
    case ControlKind::HtmlViewer: {
      auto* view = new QWebEngineView(parent);
      view->setPage(new QWebEnginePage(profile, view));
      return view;
    }
    case ControlKind::Label: {
      auto* label = new QLabel(caption, parent);
      label->setAlignment(caption.contains(QLatin1Char('\n')) ? Qt::AlignLeft | Qt::AlignTop
                                                              : Qt::AlignLeft | Qt::AlignVCenter);
      return label;
    }
    case ControlKind::Hyperlink:
      return new LinkLabel(caption, parent);
  }
  return new QWidget(parent);
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
  context_.reset(new Context{*ui_, files_, *http_, spreadsheet_, endpoints, std::move(run_folder), {}});

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
    if (tab_control) tab_children_.push_back({w, tab_control, parent, row.page, place, row.hidden});
    made.emplace(row.name, w);
  }

  // A tab control's children are placed relative to the tab control, so they
  // move whenever its pages do (first layout, a skin with another tab height).
  for (const TabChild& child : tab_children_) {
    for (QObject* source :
         {static_cast<QObject*>(child.page), static_cast<QObject*>(child.page->parentWidget())}) {
      if (placement_sources_.contains(source)) continue;
      placement_sources_.insert(source, child.tab_control);
      source->installEventFilter(this);
    }
  }
  std::vector<QWidget*> tab_controls;
  for (const TabChild& child : tab_children_) {
    if (std::find(tab_controls.begin(), tab_controls.end(), child.tab_control) != tab_controls.end())
      continue;
    tab_controls.push_back(child.tab_control);
    QWidget* tab = child.tab_control;
    page_container::on_current_changed(tab, this, [this, tab] { place_tab_children(tab); });
    place_tab_children(tab);
  }

  findChild<QLineEdit*>(QStringLiteral("编辑框7"))->installEventFilter(new DigitsAndMinusFilter(this));
}

void MainWindow::place_tab_children(QWidget* tab_control) {
  for (TabChild& child : tab_children_) {
    if (child.tab_control != tab_control || !child.widget) continue;
    const QRect on_page = child.place.translated(-child.page->mapTo(tab_control, QPoint(0, 0)));
    // A control placed in the strip's band stands on the tab control itself
    // (a page cannot show it there) and is shown with its page.
    const bool in_strip = on_page.top() < 0;
    QWidget* parent = in_strip ? tab_control : child.page;
    const bool moved = child.widget->parentWidget() != parent;
    if (moved) child.widget->setParent(parent);
    child.widget->setGeometry(in_strip ? child.place : on_page);
    if (in_strip) {
      child.widget->setVisible(!child.hidden && page_container::current(tab_control) == child.page_index);
      child.widget->raise();
    } else if (moved) {
      child.widget->setVisible(!child.hidden);
    }
  }
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

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Move || event->type() == QEvent::Resize) {
    if (auto it = placement_sources_.constFind(watched); it != placement_sources_.constEnd()) {
      place_tab_children(it.value());
    }
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace pagloom
