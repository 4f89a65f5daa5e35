// Link conversion, end to end: the conversion tab, the single conversion, a
// link file imported, converted, saved and imported again, and the refusal
// when the service's session has ended.

#include <QClipboard>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTreeWidget>

#include "e2e_fixture.h"

using pagloom::e2e::bytes;
using pagloom::e2e::g;
using pagloom::e2e::u;
using pagloom::testing::mock_affiliate_link;
using pagloom::testing::mock_export_title;
using pagloom::testing::mock_products;
using pagloom::testing::MockServices;

namespace {

using Rows = QList<QStringList>;

const QString kItemSeparator = QStringLiteral("------商品分隔符------");
const QString kLinkSeparator = QStringLiteral("------链接分隔符------");

}  // namespace

class LinkConversionTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { pagloom::e2e::prepare_application(); }

 private:
  pagloom::e2e::Session s_;

  // The rows of a list view as the program reads them.
  Rows rows(const char* list) {
    const pagloom::Text name = g(list);
    Rows all;
    for (int r = 0; r < s_.ui().row_count(name); ++r) {
      QStringList row;
      for (int c = 0; c < 4; ++c) row << u(s_.ui().cell(name, r, c));
      while (!row.isEmpty() && row.back().isEmpty()) row.removeLast();
      all << row;
    }
    return all;
  }

  void click(const char* button) {
    E2E_FIND(b, QPushButton, s_.window(), button);
    QVERIFY2(b->isEnabled() && b->isVisible(), button);
    QTest::mouseClick(b, Qt::LeftButton);
    QCOMPARE(s_.window().command_depth(), 0);
  }

  // Imports a link file through 按钮9, answering its file dialog with `path`.
  void import(const QString& path) {
    pagloom::FileDialogs::clear();
    pagloom::FileDialogs::set_next_file_name(path);
    E2E_DO(click("按钮9"));
    const auto& requests = pagloom::FileDialogs::requests();
    QCOMPARE(requests.size(), std::size_t(1));
    QVERIFY(!requests[0].save);
    QCOMPARE(QDir(requests[0].folder), QDir(s_.run_path()));
    QCOMPARE(requests[0].filter, QStringLiteral("*.txt"));
  }

 private Q_SLOTS:
  void initTestCase() {
    E2E_DO(s_.open());
    E2E_DO(s_.open_login_page());
    E2E_DO(s_.log_in(QStringLiteral("tester")));
  }
  void cleanupTestCase() { s_.close(); }
  void init() {
    s_.messages.clear();
    s_.mock().clear_log();
  }

  void conversionTab_reloadsTheMemberCentre() {
    E2E_FIND(tabs, QTabWidget, s_.window(), "选择夹1");
    E2E_DO(s_.load_login_viewer(
        [tabs] {
          QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
        },
        QStringLiteral("会员中心")));
    QCOMPARE(tabs->currentIndex(), 1);
    const auto centre = s_.mock().requests_to(MockServices::kMemberCentrePath);
    QCOMPARE(centre.size(), std::size_t(1));
    QVERIFY(centre[0].cookie.contains(MockServices::kSessionCookie));
  }

  void single_showsTheAffiliateLink() {
    const QString id = mock_products(QStringLiteral("真丝围巾"))[0].id;
    E2E_FIND(link_box, QLineEdit, s_.window(), "编辑框6");
    link_box->setFocus();
    QTest::keyClicks(link_box, QStringLiteral("http://item.test/item.htm?id=") + id);
    E2E_DO(click("按钮7"));

    QCOMPARE(u(s_.ui().text(g("编辑框10"))), mock_affiliate_link(id));
    QCOMPARE(s_.ui().text(g("编辑框7")), pagloom::Text("1"));
    QCOMPARE(s_.ui().text(g("标签9")), pagloom::Text());
    QCOMPARE(rows("超级列表框1"), Rows{{id}});
    QCOMPARE(s_.messages, QStringList());
    const auto exports = s_.mock().requests_to(MockServices::kExportPath);
    QCOMPARE(exports.size(), std::size_t(1));
    QCOMPARE(exports[0].query_value("nid"), id.toLatin1());
    QVERIFY(exports[0].cookie.contains(MockServices::kSessionCookie));
  }

  // A share text whose short link redirects to the item, then a password
  // token, which is refused and clears the previous result.
  void single_resolvesAShareTextAndRefusesAToken() {
    const QString id = QStringLiteral("5208132599");
    E2E_FIND(link_box, QLineEdit, s_.window(), "编辑框6");
    link_box->setText(QStringLiteral("【淘宝】好物分享 ") + s_.mock().url(QStringLiteral("/h.R") + id) +
                      QStringLiteral("?tk=abcd 点击链接直接打开"));
    E2E_DO(click("按钮7"));
    QCOMPARE(s_.messages, QStringList());
    QCOMPARE(u(s_.ui().text(g("编辑框10"))), mock_affiliate_link(id));

    link_box->setText(QStringLiteral("复制这条信息￥AbCd1234Ef￥，打开手机淘宝"));
    E2E_DO(click("按钮7"));
    QCOMPARE(
        s_.messages,
        QStringList{QStringLiteral("这是淘口令，不是链接：请在手机淘宝里打开它，复制商品链接后再转换。")});
    QCOMPARE(s_.ui().text(g("编辑框10")), pagloom::Text());
  }

  void batch_convertsAnImportedFileAndSavesIt() {
    const auto scarves = mock_products(QStringLiteral("真丝围巾"));
    const auto cups = mock_products(QStringLiteral("保温杯"));
    struct Item {
      QString title, link, id;
    };
    const Item items[] = {
        {QStringLiteral("围巾二号"), QStringLiteral("http://item.test/item.htm?id=") + scarves[1].id,
         scarves[1].id},
        {QStringLiteral("保温杯 大容量"),
         QStringLiteral("http://item.test/item.htm?spm=a1.2&id=") + cups[0].id + QStringLiteral("&ns=1"),
         cups[0].id},
        {QStringLiteral("围巾一号"), QStringLiteral("http://item.test/item.htm?id=") + scarves[0].id,
         scarves[0].id},
    };
    QString file;
    Rows links, converted;
    QStringList ids;
    for (const Item& item : items) {
      file += item.title + kLinkSeparator + item.link + kItemSeparator + QStringLiteral("\r\n");
      links << QStringList{item.link, item.title};
      converted << QStringList{mock_affiliate_link(item.id), mock_export_title(item.id)};
      ids << item.id;
    }
    const QString link_file = s_.run_path() + QStringLiteral("/商品链接.txt");
    QVERIFY(pagloom::e2e::write_file(link_file, bytes(g(file))));

    E2E_DO(import(link_file));
    QCOMPARE(rows("超级列表框2"), links);

    E2E_DO(click("按钮8"));
    QCOMPARE(s_.messages, QStringList{QStringLiteral("共3个链接，已转换3个。")});
    QCOMPARE(rows("超级列表框3"), converted);
    const auto exports = s_.mock().requests_to(MockServices::kExportPath);
    QCOMPARE(exports.size(), std::size_t(1));
    QCOMPARE(exports[0].query_value("nid"), ids.join(QLatin1Char(',')).toLatin1());
    QCOMPARE(s_.ui().text(g("编辑框7")), pagloom::Text("3"));
    QCOMPARE(s_.ui().text(g("标签9")), g("转换完成"));
    QVERIFY(s_.enabled("选择夹1"));

    // Saved as a link file, the converted links import again as the same rows.
    const QString saved = s_.run_path() + QStringLiteral("/淘宝客链接.txt");
    s_.messages.clear();
    pagloom::FileDialogs::clear();
    pagloom::FileDialogs::set_next_file_name(saved);
    E2E_DO(click("按钮10"));
    QCOMPARE(pagloom::FileDialogs::requests().size(), std::size_t(1));
    QVERIFY(pagloom::FileDialogs::requests()[0].save);
    QCOMPARE(pagloom::FileDialogs::requests()[0].filter,
             QStringLiteral("链接文件 (*.txt);;表格文件 (*.csv)"));
    QCOMPARE(s_.messages, QStringList{QStringLiteral("已保存3个淘宝客链接到文件：") + saved});
    QVERIFY(QFile::exists(saved));
    E2E_DO(import(saved));
    QCOMPARE(rows("超级列表框2"), converted);
  }

  // A plain UTF-8 list with a short link that redirects, one whose page holds
  // the item's address, a share text, a dead short link and a line without
  // an id: 65 ids go out in three export requests (the stand-in answers 30
  // ids at most), every link gets its status, the converted list follows
  // the link list, and both save formats hold the result.
  void batch_convertsAPlainUtf8ListOfAnySize() {
    QStringList lines, links, expected_ids;
    const auto id_of = [](int i) { return QStringLiteral("52081325%1").arg(i, 4, 10, QLatin1Char('0')); };
    for (int i = 0; i < 63; ++i) {
      const QString link =
          i % 2 ? QStringLiteral("https://item.taobao.com/item.htm?spm=a1z10&amp;id=") + id_of(i)
                : QStringLiteral("https://a.m.taobao.com/i") + id_of(i) + QStringLiteral(".htm");
      lines << QStringLiteral("连衣裙%1 ").arg(i) + link;
      links << link;
      expected_ids << id_of(i);
    }
    const QString redirecting = s_.mock().url(QStringLiteral("/h.R") + id_of(63));
    const QString page = s_.mock().url(QStringLiteral("/h.P") + id_of(64)) + QStringLiteral("?tk=abcd");
    const QString dead = s_.mock().url(QStringLiteral("/h.Gone"));
    lines.insert(10, QStringLiteral("短链接 ") + redirecting);
    links.insert(10, redirecting);
    expected_ids.insert(10, id_of(63));
    lines.insert(20, QStringLiteral("【淘宝】好物分享 ") + page + QStringLiteral(" 点击链接直接打开"));
    links.insert(20, page);
    expected_ids.insert(20, id_of(64));
    lines.insert(30, dead);
    links.insert(30, dead);
    expected_ids.insert(30, QString());
    lines.insert(40, QStringLiteral("没有链接的一行"));
    const QString shop = s_.mock().url(QStringLiteral("/shop/"));
    lines << QStringLiteral("￥AbCd1234Ef￥ ") + shop;
    links << shop;
    expected_ids << QString();

    const QString list_file = s_.run_path() + QStringLiteral("/utf8链接.txt");
    QVERIFY(pagloom::e2e::write_file(list_file, lines.join(QStringLiteral("\r\n")).toUtf8()));
    E2E_DO(import(list_file));
    QCOMPARE(s_.messages, QStringList{QStringLiteral("链接文件里有1个商品没有链接，已跳过。")});
    const Rows imported = rows("超级列表框2");
    QCOMPARE(imported.size(), links.size());
    for (int i = 0; i < links.size(); ++i) QCOMPARE(imported[i].value(0), links[i]);
    QCOMPARE(imported[20].value(1), QStringLiteral("【淘宝】好物分享 点击链接直接打开"));

    s_.messages.clear();
    s_.mock().clear_log();
    E2E_DO(click("按钮8"));

    const auto exports = s_.mock().requests_to(MockServices::kExportPath);
    QCOMPARE(exports.size(), std::size_t(3));
    QStringList sent;
    for (const auto& request : exports) {
      const QStringList part = QString::fromLatin1(request.query_value("nid")).split(QLatin1Char(','));
      QVERIFY(part.size() <= MockServices::kExportLimit);
      sent << part;
    }
    QStringList wanted = expected_ids;
    wanted.removeAll(QString());
    QCOMPARE(sent, wanted);
    QVERIFY(!s_.mock().requests_to("/h.R" + id_of(63).toLatin1()).empty());
    QVERIFY(!s_.mock().requests_to("/item.htm").empty());  // the redirect followed

    Rows converted;
    const Rows statuses = rows("超级列表框2");
    for (int i = 0; i < links.size(); ++i) {
      const QString id = expected_ids[i];
      QString status = QStringLiteral("已转换");
      if (i == 30) status = QStringLiteral("短链接解析失败");
      if (i == links.size() - 1) status = QStringLiteral("短链接解析失败");
      QCOMPARE(statuses[i].value(2), status);
      if (!id.isEmpty()) converted << QStringList{mock_affiliate_link(id), mock_export_title(id)};
    }
    QCOMPARE(rows("超级列表框3"), converted);
    QCOMPARE(s_.ui().text(g("编辑框7")), g("65"));
    QCOMPARE(
        s_.messages,
        QStringList{QStringLiteral("共67个链接，已转换65个，短链接解析失败2个。\r\n没有转换的链接：\r\n") +
                    dead + QStringLiteral("\r\n") + shop});

    // As a table for spreadsheets: every link with its status.
    const QString table = s_.run_path() + QStringLiteral("/表格.csv");
    s_.messages.clear();
    pagloom::FileDialogs::clear();
    pagloom::FileDialogs::set_next_file_name(table);
    E2E_DO(click("按钮10"));
    const QByteArray csv = pagloom::e2e::read_file(table);
    QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
    const QStringList csv_lines = QString::fromUtf8(csv.mid(3)).split(QStringLiteral("\r\n"));
    QCOMPARE(csv_lines.size(), links.size() + 2);  // heading, rows, the empty piece after the last break
    QCOMPARE(csv_lines[0], QStringLiteral("商品标题,淘宝客链接,商品链接,状态"));
    QCOMPARE(csv_lines[1], mock_export_title(id_of(0)) + QLatin1Char(',') + mock_affiliate_link(id_of(0)) +
                               QLatin1Char(',') + links[0] + QStringLiteral(",已转换"));
    QCOMPARE(csv_lines[31],
             QStringLiteral("短链接解析失败").prepend(QStringLiteral(",,") + dead + QLatin1Char(',')));

    // As a link file, read back as the converted rows.
    const QString link_file = s_.run_path() + QStringLiteral("/转换结果.txt");
    pagloom::FileDialogs::clear();
    pagloom::FileDialogs::set_next_file_name(link_file);
    E2E_DO(click("按钮10"));
    E2E_DO(import(link_file));
    QCOMPARE(rows("超级列表框2"), converted);

    // Ctrl+A and Ctrl+C on the converted list copy "title<TAB>link" lines.
    E2E_FIND(list, QTreeWidget, s_.window(), "超级列表框3");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    QCOMPARE(list->selectedItems().size(), converted.size());
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    const QStringList copied =
        QGuiApplication::clipboard()->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(copied.size(), converted.size());
    QCOMPARE(copied[0], converted[0][1] + QLatin1Char('\t') + converted[0][0]);
  }

  // The real save dialog: a name typed without extension gets the chosen
  // format's extension before the dialog asks about replacing a file.
  void saveDialog_asksBeforeReplacingTheFileWithTheAddedExtension() {
    QVERIFY(!rows("超级列表框3").isEmpty());
    const QString existing = s_.run_path() + QStringLiteral("/links.txt");
    QVERIFY(pagloom::e2e::write_file(existing, "OLD"));
    pagloom::FileDialogs::clear();

    QStringList questions;
    bool answered_no = false;
    QTimer driver;
    driver.setInterval(50);
    QObject::connect(&driver, &QTimer::timeout, [&] {
      QWidget* modal = QApplication::activeModalWidget();
      if (auto* box = qobject_cast<QMessageBox*>(modal)) {
        questions << box->text();
        // First "no" (the dialog stays open), then cancel the dialog.
        box->button(QMessageBox::No)->click();
        answered_no = true;
        return;
      }
      auto* dialog = qobject_cast<QFileDialog*>(modal);
      if (!dialog) return;
      if (answered_no) {
        QMetaObject::invokeMethod(dialog, "reject", Qt::QueuedConnection);
        return;
      }
      auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      if (!name || name->text() == QStringLiteral("links")) return;
      name->setText(QStringLiteral("links"));
      QMetaObject::invokeMethod(dialog, "accept", Qt::QueuedConnection);
    });
    driver.start();
    s_.messages.clear();
    E2E_DO(click("按钮10"));
    driver.stop();

    QCOMPARE(questions.size(), 1);
    QVERIFY2(questions[0].contains(QStringLiteral("links.txt")), qPrintable(questions[0]));
    QCOMPARE(pagloom::e2e::read_file(existing), QByteArray("OLD"));
    QCOMPARE(s_.messages, QStringList());
  }

  void notLoggedIn_refusesAndChangesNothing() {
    s_.mock().end_sessions();
    E2E_FIND(link_box, QLineEdit, s_.window(), "编辑框6");
    link_box->setText(QStringLiteral("http://item.test/item.htm?id=1234567890"));
    const char* watched[] = {"编辑框7", "编辑框10", "标签9"};
    const char* lists[] = {"超级列表框1", "超级列表框2", "超级列表框3", "超级列表框转换链接"};
    auto snapshot = [&] {
      QStringList all;
      for (const char* name : watched) all << u(s_.ui().text(g(name)));
      for (const char* list : lists)
        for (const QStringList& row : rows(list)) all << row.join(QLatin1Char('|'));
      return all;
    };
    const QStringList before = snapshot();
    QVERIFY(!rows("超级列表框2").isEmpty());

    const QString refused = QStringLiteral("请到单页生成菜单，登陆阿里妈妈。");
    E2E_DO(click("按钮7"));
    QCOMPARE(s_.messages, QStringList{refused});
    E2E_DO(click("按钮8"));
    QCOMPARE(s_.messages, (QStringList{refused, refused}));
    QCOMPARE(snapshot(), before);
    QVERIFY(s_.enabled("选择夹1"));
    QVERIFY(s_.mock().requests_to(MockServices::kExportPath).empty());
  }
};

QTEST_MAIN(LinkConversionTest)

#include "link_conversion_test.moc"
