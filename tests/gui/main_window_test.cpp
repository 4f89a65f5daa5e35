// The real main window, offscreen: its controls against the control table,
// the state after start-up, the page commands, the Ui operations over Qt
// controls, the waits and closing during a wait.

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabBar>
#include <QTabWidget>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QtTest>
#include <algorithm>
#include <memory>

#include "app/control_table.h"
#include "app/main_window.h"
#include "app/process_setup.h"
#include "app/skin.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/gbk.h"
#include "web/web.h"

using pagloom::ControlKind;
using pagloom::MainWindow;
using pagloom::Text;

namespace {

Text g(const char* utf8) { return pagloom::to_gbk(QString::fromUtf8(utf8)); }

// A port nothing listens on, so that the viewers fail fast and stay local.
quint16 unused_port() {
  QTcpServer server;
  server.listen(QHostAddress::LocalHost, 0);
  return server.serverPort();
}

bool write_gbk(const QString& path, const char* utf8) {
  QFile file(path);
  const Text bytes = g(utf8);
  return file.open(QIODevice::WriteOnly) &&
         file.write(bytes.data(), static_cast<qint64>(bytes.size())) == static_cast<qint64>(bytes.size());
}

// True when the control table has a control of that name.
bool is_table_control(const QString& name) {
  const QByteArray utf8 = name.toUtf8();
  const auto table = pagloom::control_table();
  return std::any_of(table.begin(), table.end(),
                     [&utf8](const pagloom::ControlRow& row) { return utf8 == row.name; });
}

bool is_kind(const QWidget* w, ControlKind kind) {
  switch (kind) {
    case ControlKind::TabControl:
      return qobject_cast<const QTabWidget*>(w);
    case ControlKind::PageStack:
      return qobject_cast<const QStackedWidget*>(w);
    case ControlKind::GroupBox:
      return qobject_cast<const QGroupBox*>(w);
    case ControlKind::Button:
      return qobject_cast<const QPushButton*>(w);
    case ControlKind::RadioButton:
      return qobject_cast<const QRadioButton*>(w);
    case ControlKind::LineEdit:
      return qobject_cast<const QLineEdit*>(w);
    case ControlKind::MultiLineEdit:
      return qobject_cast<const QPlainTextEdit*>(w);
    case ControlKind::ListBox:
      return qobject_cast<const QListWidget*>(w);
    case ControlKind::ComboBox:
      return qobject_cast<const QComboBox*>(w);
    case ControlKind::ListView:
      return qobject_cast<const QTreeWidget*>(w);
    case ControlKind::ClipFrame:
      return qobject_cast<const QFrame*>(w);
    case ControlKind::HtmlViewer:
      return qobject_cast<const QWebEngineView*>(w);
    case ControlKind::Label:
    case ControlKind::Hyperlink:
      return qobject_cast<const QLabel*>(w);
  }
  return false;
}

}  // namespace

class MainWindowTest : public QObject {
  Q_OBJECT

 private:
  template <typename T>
  T* find(const char* name) const {
    T* w = window_->findChild<T*>(QString::fromUtf8(name));
    if (!w)
      QTest::qFail(qPrintable(QStringLiteral("control %1 is missing").arg(QString::fromUtf8(name))), __FILE__,
                   __LINE__);
    return w;
  }
  pagloom::Ui& ui() { return window_->context().ui; }
  std::unique_ptr<MainWindow> make_window() {
    auto w = std::make_unique<MainWindow>(endpoints_, std::filesystem::path(run_.path().toStdString()));
    w->show();
    return w;
  }
  QString templates_folder() const { return run_.path() + QStringLiteral("/单页生成/模板"); }

  QTemporaryDir run_;
  pagloom::Endpoints endpoints_;
  std::unique_ptr<MainWindow> window_;
  QStringList messages_;
  QList<QUrl> opened_;

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(run_.isValid());
    QDir root(run_.path());
    for (const char* folder : {"单页生成/模板/甲模板", "单页生成/模板/乙模板", "单页生成/模板/.backup"}) {
      QVERIFY(root.mkpath(QString::fromUtf8(folder)));
    }
    QVERIFY(write_gbk(templates_folder() + QStringLiteral("/说明.txt"), "不是模板"));
    QVERIFY(write_gbk(templates_folder() + QStringLiteral("/乙模板/模板文件.htm"),
                      "<头>[#商品循环开始#]<项>\r\n[#商品循环结束#]<尾>\r\n</html>"));
    QVERIFY(write_gbk(templates_folder() + QStringLiteral("/乙模板/效果预览.htm"), "<html>预览</html>"));

    const std::string local = "http://127.0.0.1:" + std::to_string(unused_port());
    endpoints_.member_centre_host = local;
    endpoints_.service_host = "http://localhost:" + std::to_string(unused_port());
    endpoints_.marketplace_host = local;
    endpoints_.help_page = local + "/help.htm";
    endpoints_.download_page = local + "/download.htm";
    endpoints_.tutorial_page = local + "/tutorial.htm";
    endpoints_.link_rules_page = local + "/rules.htm";

    pagloom::MessageBoxes::set_auto_answer([this](const QString& text) { messages_ << text; });
    pagloom::ExternalLinks::set_hook([this](const QUrl& url) { opened_ << url; });
    window_ = make_window();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }

  void cleanupTestCase() {
    window_.reset();
    pagloom::MessageBoxes::clear_auto_answer();
    pagloom::ExternalLinks::clear_hook();
  }

  void init() {
    messages_.clear();
    opened_.clear();
    pagloom::FileDialogs::clear();
  }

  void window_matchesControlTable() {
    QCOMPARE(window_->windowTitle(), QStringLiteral("Pagloom2.0"));
    QCOMPARE(window_->size(), QSize(743, 629));
    QCOMPARE(window_->minimumSize(), window_->maximumSize());

    for (const pagloom::ControlRow& row : pagloom::control_table()) {
      const QString name = QString::fromUtf8(row.name);
      QWidget* w = window_->findChild<QWidget*>(name);
      QVERIFY2(w, qPrintable(name + QStringLiteral(" is missing")));
      QVERIFY2(is_kind(w, row.kind), qPrintable(name + QStringLiteral(" is of the wrong kind")));

      // The nearest named ancestor is the table's parent; a tab control's
      // child sits on the given page (or, in the strip's band, on the tab
      // control, shown with that page).
      QWidget* parent =
          *row.parent ? window_->findChild<QWidget*>(QString::fromUtf8(row.parent)) : window_.get();
      QWidget* up = w->parentWidget();
      while (up && up != window_.get() && !is_table_control(up->objectName())) {
        up = up->parentWidget();
      }
      QVERIFY2(up == parent, qPrintable(name + QStringLiteral(" has the wrong parent")));

      const QRect place(row.x, row.y, row.w, row.h);
      const QRect actual(w->mapTo(parent, QPoint(0, 0)), w->size());
      QVERIFY2(actual == place, qPrintable(QStringLiteral("%1 at %2,%3 %4x%5")
                                               .arg(name)
                                               .arg(actual.x())
                                               .arg(actual.y())
                                               .arg(actual.width())
                                               .arg(actual.height())));
      if (row.page >= 0) {
        auto* tabs = qobject_cast<QTabWidget*>(parent);
        QWidget* page =
            tabs ? tabs->widget(row.page) : qobject_cast<QStackedWidget*>(parent)->widget(row.page);
        QVERIFY2(page->isAncestorOf(w) || w->parentWidget() == parent,
                 qPrintable(name + QStringLiteral(" is on the wrong page")));
      }
    }
  }

  void window_detailsOfControls() {
    auto* top = find<QTabWidget>("选择夹1");
    QCOMPARE(top->count(), 2);
    QCOMPARE(top->tabText(0), QStringLiteral("单页生成"));
    QCOMPARE(top->tabText(1), QStringLiteral("链接转换"));
    QCOMPARE(find<QStackedWidget>("选择夹2")->count(), 6);

    auto* combo = find<QComboBox>("组合框1");
    QVERIFY(combo->isEditable());
    const QStringList entries{QStringLiteral("按销量由高到底"), QStringLiteral("按佣金比率由高到底"),
                              QStringLiteral("30天支出佣金由高到底"), QString()};
    QCOMPARE(combo->count(), 4);
    for (int i = 0; i < 4; ++i) QCOMPARE(combo->itemText(i), entries[i]);

    struct Columns {
      const char* list;
      QStringList headers;
      QList<int> widths;
    };
    const Columns lists[] = {
        {"超级列表框1", {"宝贝id", "宝贝标题", "商家名称"}, {100, 100, 50}},
        {"超级列表框2", {"商品链接", "商品标题", "状态"}, {103, 100, 80}},
        {"超级列表框3", {"淘宝客链接", "商品标题"}, {154, 150}},
        {"超级列表框转换链接", {"1", "2", "3", "4"}, {80, 80, 80, 80}},
    };
    for (const Columns& expected : lists) {
      auto* view = find<QTreeWidget>(expected.list);
      QVERIFY(!view->rootIsDecorated());
      QCOMPARE(view->columnCount(), expected.headers.size());
      for (int c = 0; c < view->columnCount(); ++c) {
        QCOMPARE(view->headerItem()->text(c), expected.headers[c]);
        QCOMPARE(view->columnWidth(c), expected.widths[c]);
      }
    }

    // Captions are exact, spaces and line breaks included.
    QCOMPARE(find<QPushButton>("按钮7")->text(), QStringLiteral("转  换"));
    QCOMPARE(find<QPushButton>("按钮8")->text(), QStringLiteral("转  换  →"));
    QCOMPARE(find<QPushButton>("按钮9")->text(), QStringLiteral("←  添  加   "));
    QCOMPARE(ui().text(g("标签11")), g("添加淘宝链接的规\r\n\r\n则请点击查看"));

    // The working product list never shows; the login viewer shows through
    // its frame from x = 632 on.
    QVERIFY(!find<QTreeWidget>("超级列表框1")->isVisibleTo(window_.get()));
    auto* login = find<QWebEngineView>("超文本浏览框1");
    QCOMPARE(login->parentWidget(), find<QFrame>("外形框1"));
    QCOMPARE(login->geometry(), QRect(-632, 0, 1152, 1416));

    // One off-the-record profile behind all three viewers: one cookie store.
    QWebEngineProfile* profile = login->page()->profile();
    QVERIFY(profile->isOffTheRecord());
    QCOMPARE(find<QWebEngineView>("超文本浏览框2")->page()->profile(), profile);
    QCOMPARE(find<QWebEngineView>("超文本浏览框3")->page()->profile(), profile);

    // The status label stands in the strip's band, on the conversion tab only.
    auto* status = find<QLabel>("标签9");
    QVERIFY(!status->isVisible());
    top->setCurrentIndex(1);
    QVERIFY(status->isVisible());
    top->setCurrentIndex(0);
    QVERIFY(!status->isVisible());
  }

  void startUp_leavesTheDocumentedState() {
    pagloom::Ui& u = ui();
    QCOMPARE(u.page(g("选择夹1")), 0);
    QCOMPARE(u.page(g("选择夹2")), 4);
    auto* list = find<QListWidget>("列表框1");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), QStringLiteral("甲模板"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("乙模板"));
    QCOMPARE(u.list_selected(g("列表框1")), 0);
    for (const char* field : {"编辑框2", "编辑框3", "编辑框4", "编辑框5"}) QCOMPARE(u.text(g(field)), Text());
    QCOMPARE(u.combo_index(g("组合框1")), 0);
    QCOMPARE(find<QComboBox>("组合框1")->currentText(), QStringLiteral("按销量由高到底"));
    QCOMPARE(u.text(g("编辑框9")), Text("htm"));
    QCOMPARE(u.text(g("标签9")), Text());
    QCOMPARE(u.text(g("按钮2")), g("登陆阿里妈妈"));
    QVERIFY(find<QWidget>("按钮2")->isEnabled());
    QCOMPARE(window_->context().state.stop_requested, 0);
    QCOMPARE(u.current_address(g("超文本浏览框3")), endpoints_.help_page);
    QVERIFY2(!qApp->styleSheet().isEmpty(), "skin 12 was not applied");
  }

  void pageCommands_switchPagesAndNavigate() {
    pagloom::Ui& u = ui();
    QTest::mouseClick(find<QRadioButton>("单选框4"), Qt::LeftButton);
    QCOMPARE(u.page(g("选择夹2")), 2);

    QTest::mouseClick(find<QPushButton>("按钮2"), Qt::LeftButton);
    QCOMPARE(u.page(g("选择夹2")), 0);
    QCOMPARE(u.current_address(g("超文本浏览框1")), endpoints_.member_centre_host + "/membersvc/index.htm");

    QTest::mouseClick(find<QRadioButton>("单选框1"), Qt::LeftButton);
    QCOMPARE(u.page(g("选择夹2")), 4);

    // 甲模板 (item 0) has no template file: the editor page says so.
    QTest::mouseClick(find<QRadioButton>("单选框3"), Qt::LeftButton);
    QCOMPARE(u.page(g("选择夹2")), 1);
    QCOMPARE(messages_.size(), 1);
    QVERIFY(messages_[0].startsWith(QStringLiteral("您没把模板放在指定位置")));

    // The user picks 乙模板: preview and fields follow, the page stays.
    auto* list = find<QListWidget>("列表框1");
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(list->item(1)).center());
    QCOMPARE(u.list_selected(g("列表框1")), 1);
    QCOMPARE(u.page(g("选择夹2")), 1);
    QCOMPARE(u.text(g("编辑框2")), g("乙模板"));
    QCOMPARE(u.text(g("编辑框3")), g("<头>"));
    QCOMPARE(u.text(g("编辑框4")), g("<项>\r\n"));
    QCOMPARE(u.current_address(g("超文本浏览框2")),
             pagloom::to_gbk(templates_folder() + QStringLiteral("/乙模板/效果预览.htm")));

    QTest::mouseClick(find<QRadioButton>("单选框2"), Qt::LeftButton);
    QCOMPARE(u.page(g("选择夹2")), 3);
    QCOMPARE(messages_.size(), 1);

    // The conversion tab reloads the member centre of the service host;
    // going back does nothing, and the inner page is kept.
    auto* tabs = find<QTabWidget>("选择夹1");
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
    QCOMPARE(u.page(g("选择夹1")), 1);
    QCOMPARE(u.current_address(g("超文本浏览框1")), endpoints_.service_host + "/membersvc/index.htm");
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(0).center());
    QCOMPARE(u.current_address(g("超文本浏览框1")), endpoints_.service_host + "/membersvc/index.htm");
    QCOMPARE(u.page(g("选择夹2")), 3);
  }

  void navigate_keepsGbkBytesOfAnAddress() {
    // QUrl would read raw GBK bytes as UTF-8 and lose them.
    const Text address = endpoints_.marketplace_host + g("/search?q=连衣裙 夏");
    ui().navigate(g("超文本浏览框2"), address);
    QCOMPARE(ui().current_address(g("超文本浏览框2")), pagloom::wire_address(address));
    QCOMPARE(ui().current_address(g("超文本浏览框2")),
             endpoints_.marketplace_host + "/search?q=%C1%AC%D2%C2%C8%B9%20%CF%C4");
  }

  void stopAndHyperlinks_actAtOnce() {
    window_->context().state.stop_requested = 0;
    QTest::mouseClick(find<QPushButton>("按钮5"), Qt::LeftButton);
    QCOMPARE(window_->context().state.stop_requested, 1);

    QTest::mouseClick(find<QLabel>("超级链接框1"), Qt::LeftButton);
    QCOMPARE(opened_.size(), 1);
    QCOMPARE(opened_[0].toString().toStdString(), endpoints_.download_page);
  }

  void radioButtons_followThePageShown() {
    pagloom::Ui& u = ui();
    const char* radios[] = {"单选框1", "单选框2", "单选框3", "单选框4"};
    const auto ticked = [&]() {
      QString names;
      for (const char* name : radios) {
        if (find<QRadioButton>(name)->isChecked()) names += QString::fromUtf8(name);
      }
      return names;
    };

    // A generation run shows the log page itself (here it stops at once, as
    // no keyword is given): the preview's button must not stay ticked.
    QTest::mouseClick(find<QRadioButton>("单选框2"), Qt::LeftButton);
    QCOMPARE(ticked(), QStringLiteral("单选框2"));
    u.set_text(g("编辑框1"), Text());
    QTest::mouseClick(find<QPushButton>("按钮1"), Qt::LeftButton);
    QCOMPARE(u.page(g("选择夹2")), 2);
    QCOMPARE(ticked(), QStringLiteral("单选框4"));

    // Every page, however it is made current; the login and result pages
    // have no button of their own.
    const struct {
      int page;
      const char* radio;
    } cases[] = {{0, ""}, {4, "单选框1"}, {3, "单选框2"}, {1, "单选框3"}, {5, ""}, {2, "单选框4"}, {0, ""}};
    for (const auto& c : cases) {
      u.set_page(g("选择夹2"), c.page);
      QCOMPARE(ticked(), QString::fromUtf8(c.radio));
    }

    // Ticking still works by hand after all buttons were cleared.
    QTest::mouseClick(find<QRadioButton>("单选框1"), Qt::LeftButton);
    QCOMPARE(u.page(g("选择夹2")), 4);
    QCOMPARE(ticked(), QStringLiteral("单选框1"));
  }

  void qtOwnTexts_areChinese() {
    // Qt's translations for the buttons of message boxes and file dialogs.
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("信息："), QStringLiteral("x"), QMessageBox::Ok);
    QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("确定"));
    for (const bool save : {false, true}) {
      QFileDialog dialog;
      dialog.setOption(QFileDialog::DontUseNativeDialog);
      dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
      auto* buttons = dialog.findChild<QDialogButtonBox*>();
      QVERIFY2(buttons, "the dialog has no button box");
      QVERIFY2(buttons->button(QDialogButtonBox::Cancel)->text().startsWith(QStringLiteral("取消")),
               qPrintable(buttons->button(QDialogButtonBox::Cancel)->text()));
      const QString accept = buttons->button(save ? QDialogButtonBox::Save : QDialogButtonBox::Open)->text();
      QVERIFY2(accept.startsWith(save ? QStringLiteral("保存") : QStringLiteral("打开")), qPrintable(accept));
    }
    QCOMPARE(QAbstractFileIconProvider().type(QFileInfo(run_.path())), QStringLiteral("文件夹"));
    // The browser asks the services for Chinese pages.
    QWebEngineProfile* profile = find<QWebEngineView>("超文本浏览框1")->page()->profile();
    QVERIFY2(profile->httpAcceptLanguage().startsWith(QStringLiteral("zh-CN")),
             qPrintable(profile->httpAcceptLanguage()));
  }

  void countBox_refusesTypedNonDigits() {
    auto* box = find<QLineEdit>("编辑框7");
    box->clear();
    box->setFocus();
    QTest::keyClicks(box, QStringLiteral("12a-b3 "));
    QTest::sendKeyEvent(QTest::Click, box, Qt::Key_9, QStringLiteral("９"), Qt::NoModifier);  // full-width
    QCOMPARE(box->text(), QStringLiteral("12-3"));
    QTest::keyClick(box, Qt::Key_Backspace);
    QTest::keyClick(box, Qt::Key_Left);
    QTest::keyClick(box, Qt::Key_Delete);
    QCOMPARE(box->text(), QStringLiteral("12"));
    // Pasted text is not filtered.
    QApplication::clipboard()->setText(QStringLiteral("x9"));
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
    QCOMPARE(box->text(), QStringLiteral("12x9"));
  }

  void texts_roundTripByteForByte() {
    pagloom::Ui& u = ui();
    // A GBK byte with no character (0x80 alone) and mixed line breaks.
    const Text odd = g("头部\r\n第二行\n") + "\x81\x30" + g("\r") + g("尾");
    for (const char* name : {"编辑框3", "编辑框2", "标签9", "按钮4"}) {
      u.set_text(g(name), odd);
      QCOMPARE(u.text(g(name)), odd);
    }

    // The user's own typing reads back with "\r\n" line breaks.
    auto* head = find<QPlainTextEdit>("编辑框3");
    u.set_text(g("编辑框3"), g("甲\r\n乙"));
    head->setFocus();
    head->moveCursor(QTextCursor::End);
    QTest::keyClick(head, Qt::Key_Return);
    QTest::keyClicks(head, QStringLiteral("c"));
    QCOMPARE(u.text(g("编辑框3")), g("甲\r\n乙\r\nc"));

    // The log keeps exactly what was appended and shows the end.
    u.set_text(g("编辑框8"), Text());
    const Text pieces[] = {g("开始\r\n"), g("第"), g("二行\r\n"), g("没有换行的结尾")};
    Text all;
    for (int i = 0; i < 60; ++i) {
      for (const Text& piece : pieces) {
        u.append_log(piece);
        all += piece;
      }
    }
    QCOMPARE(u.text(g("编辑框8")), all);
    auto* log = find<QPlainTextEdit>("编辑框8");
    QVERIFY(log->toPlainText().endsWith(QStringLiteral("第二行\n没有换行的结尾")));
    QCOMPARE(log->textCursor().position(), log->document()->characterCount() - 1);
  }

  void listsAndCombo_handleEdgesQuietly() {
    pagloom::Ui& u = ui();
    const Text list = g("超级列表框1");
    u.rows_clear(list);
    QCOMPARE(u.insert_row(list), 0);
    QCOMPARE(u.insert_row(list), 1);
    u.set_cell(list, 1, 2, g("掌柜"));
    u.set_cell(list, 1, 3, "beyond the last column");
    u.set_cell(list, 5, 0, "no such row");
    QCOMPARE(u.row_count(list), 2);
    QCOMPARE(u.cell(list, 1, 2), g("掌柜"));
    QCOMPARE(u.cell(list, 1, 3), Text());
    QCOMPARE(u.cell(list, 0, 0), Text());
    QCOMPARE(u.cell(list, 7, 0), Text());
    QVERIFY(!find<QTreeWidget>("超级列表框1")->isVisibleTo(window_.get()));

    u.set_combo_index(g("组合框1"), 3);
    QCOMPARE(u.combo_index(g("组合框1")), 3);
    QCOMPARE(u.combo_item(g("组合框1"), 3), Text());
    find<QComboBox>("组合框1")->setEditText(QStringLiteral("按销量"));
    QCOMPARE(u.combo_index(g("组合框1")), -1);
    u.set_combo_index(g("组合框1"), 0);
    QCOMPARE(u.combo_index(g("组合框1")), 0);

    u.set_page(g("选择夹2"), -3);
    QCOMPARE(u.page(g("选择夹2")), 0);
    u.set_page(g("选择夹2"), 9);
    QCOMPARE(u.page(g("选择夹2")), 5);

    // Selecting through the Ui is no user selection: nothing loads.
    u.set_text(g("编辑框2"), Text());
    u.list_select(g("列表框1"), 1);
    QCOMPARE(u.list_selected(g("列表框1")), 1);
    QCOMPARE(u.text(g("编辑框2")), Text());
    u.list_select(g("列表框1"), 2);
    QCOMPARE(u.list_selected(g("列表框1")), 1);
    QCOMPARE(u.list_item(g("列表框1"), 0), g("甲模板"));
    QCOMPARE(u.list_item(g("列表框1"), 2), Text());
  }

  void waits_delayRunsClicksAndSleepBlocks() {
    pagloom::Ui& u = ui();
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    u.delay(0);
    u.delay(-5);
    u.sleep(-5);
    QVERIFY2(!ran, "delay(0) processed events");

    window_->context().state.stop_requested = 0;
    QTimer::singleShot(50, [this] { QTest::mouseClick(find<QPushButton>("按钮5"), Qt::LeftButton); });
    QElapsedTimer elapsed;
    elapsed.start();
    u.delay(200);
    QVERIFY2(elapsed.elapsed() > 200, qPrintable(QString::number(elapsed.elapsed())));
    QCOMPARE(window_->context().state.stop_requested, 1);

    ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    elapsed.restart();
    u.sleep(60);
    QVERIFY(elapsed.elapsed() >= 60);
    QVERIFY2(!ran, "sleep processed events");
    QTRY_VERIFY(ran);
  }

  void dialogs_answerFromTheirSeams() {
    pagloom::Ui& u = ui();
    pagloom::FileDialogs::set_next_file_name(QStringLiteral("/tmp/链接.txt"));
    pagloom::FileDialogs::set_next_cancel();
    QCOMPARE(u.choose_open_file(g("/运行"), "*.txt"), std::optional<Text>(g("/tmp/链接.txt")));
    QCOMPARE(u.choose_save_file(g("/运行"), "*.txt"), std::optional<Text>());
    const auto& requests = pagloom::FileDialogs::requests();
    QCOMPARE(requests.size(), std::size_t(2));
    QVERIFY(!requests[0].save);
    QVERIFY(requests[1].save);
    QCOMPARE(requests[0].folder, QStringLiteral("/运行"));
    QCOMPARE(requests[0].filter, QStringLiteral("*.txt"));

    u.message(g("保存模板成功"));
    QCOMPARE(messages_, QStringList{QStringLiteral("保存模板成功")});
  }

  void dialogs_realOnesAreModalAndNamed() {
    // Without a seam answer the real dialogs come up: note what shows and
    // close it from a timer (always, so that a wrong dialog cannot hang).
    QString title, filters, text;
    bool native = true;
    int buttons = 0;
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [&] {
      auto* modal = qobject_cast<QDialog*>(QApplication::activeModalWidget());
      if (!modal) return;
      title = modal->objectName() + QLatin1Char('|') + modal->windowTitle();
      if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
        native = !dialog->testOption(QFileDialog::DontUseNativeDialog);
        filters = dialog->nameFilters().join(QLatin1Char(';'));
      }
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        text = box->text();
        buttons = static_cast<int>(box->buttons().size());
        native = box->parentWidget() != nullptr;  // owned by no window
      }
      modal->reject();
    });
    poll->start(20);

    QCOMPARE(ui().choose_open_file(pagloom::to_gbk(run_.path()), "*.txt"), std::optional<Text>());
    QVERIFY2(title.startsWith(QStringLiteral("通用对话框1|")), qPrintable(title));
    QVERIFY(!native);
    QCOMPARE(filters, QStringLiteral("*.txt"));

    pagloom::MessageBoxes::clear_auto_answer();
    const auto restore = qScopeGuard([this] {
      pagloom::MessageBoxes::set_auto_answer([this](const QString& message) { messages_ << message; });
    });
    native = true;
    ui().message(g("保存模板成功"));
    poll->stop();
    QVERIFY2(title.endsWith(QStringLiteral("|信息：")), qPrintable(title));
    QCOMPARE(text, QStringLiteral("保存模板成功"));
    QCOMPARE(buttons, 1);
    QVERIFY(!native);
  }

  void skins_parseAndUnknownNumbersChangeNothing() {
    QTest::failOnWarning(
        QRegularExpression(QStringLiteral("style ?sheet"), QRegularExpression::CaseInsensitiveOption));
    for (int n : {3, 7, 12}) {
      pagloom::install_skin(n);
      QVERIFY(qApp->styleSheet().contains(QStringLiteral("Skin %1,").arg(n)));
      QVERIFY2(!qApp->styleSheet().contains(QLatin1Char('@')), "a colour field left unfilled");
    }
    QVERIFY(pagloom::skin_style_sheet(99).isEmpty());
    const QString before = qApp->styleSheet();
    pagloom::install_skin(99);
    pagloom::install_skin(0);
    QCOMPARE(qApp->styleSheet(), before);
  }

  void close_duringADelayWaitsForTheCommand() {
    auto w = make_window();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    bool visible_after_close = false;
    w->run_command([&](pagloom::Context& ctx) {
      QTimer::singleShot(30, w.get(), [&] { w->close(); });
      ctx.ui.delay(200);
      visible_after_close = w->isVisible();
      ctx.ui.delay(20);  // the window still works
    });
    QVERIFY2(visible_after_close, "the window closed under a waiting command");
    QCOMPARE(w->context().state.stop_requested, 1);
    QVERIFY(!w->isVisible());

    // Idle, it closes at once.
    auto idle = make_window();
    QVERIFY(idle->close());
    QVERIFY(!idle->isVisible());
  }
};

int main(int argc, char** argv) {
  // Runnable by hand as well as under ctest.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("QTWEBENGINE_CHROMIUM_FLAGS")) {
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--no-sandbox --disable-gpu --disable-logging");
  }
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  QApplication app(argc, argv);
  pagloom::load_translations(app);  // as the program does
  MainWindowTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "main_window_test.moc"
