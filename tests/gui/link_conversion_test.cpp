// Link conversion, end to end: the conversion tab, the single conversion, a
// link file imported, converted, saved and imported again, and the refusal
// when the service's session has ended.

#include <QLineEdit>
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
    QCOMPARE(s_.messages, QStringList());
    QCOMPARE(rows("超级列表框3"), converted);
    const auto exports = s_.mock().requests_to(MockServices::kExportPath);
    QCOMPARE(exports.size(), std::size_t(1));
    QCOMPARE(exports[0].query_value("nid"), ids.join(QLatin1Char(',')).toLatin1());
    QCOMPARE(s_.ui().text(g("编辑框7")), pagloom::Text("3"));
    QCOMPARE(s_.ui().text(g("标签9")), g("转换完成"));
    QVERIFY(s_.ui().is_enabled(g("选择夹1")));

    // Saved as a link file, the converted links import again as the same rows.
    const QString saved = s_.run_path() + QStringLiteral("/淘宝客链接.txt");
    pagloom::FileDialogs::clear();
    pagloom::FileDialogs::set_next_file_name(saved);
    E2E_DO(click("按钮10"));
    QCOMPARE(pagloom::FileDialogs::requests().size(), std::size_t(1));
    QVERIFY(pagloom::FileDialogs::requests()[0].save);
    QCOMPARE(s_.messages, QStringList{QStringLiteral("已保存3个淘宝客链接。")});
    QVERIFY(QFile::exists(saved));
    E2E_DO(import(saved));
    QCOMPARE(rows("超级列表框2"), converted);
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
    QVERIFY(s_.ui().is_enabled(g("选择夹1")));
    QVERIFY(s_.mock().requests_to(MockServices::kExportPath).empty());
  }
};

QTEST_MAIN(LinkConversionTest)

#include "link_conversion_test.moc"
