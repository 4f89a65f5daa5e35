// The generation run, end to end: typed inputs, the click on 按钮1, the
// requests the mock sees, the log box and the page files byte for byte, the
// stop button clicked while the run waits, and a session that ends during a
// run and is logged into again in the login viewer.

#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTimer>

#include "e2e_fixture.h"

using pagloom::e2e::bytes;
using pagloom::e2e::g;
using pagloom::testing::mock_affiliate_link;
using pagloom::testing::mock_products;
using pagloom::testing::MockProduct;
using pagloom::testing::MockServices;

namespace {

const QString kTemplate = QStringLiteral("高贵大气");
const QStringList kKeywords = {QStringLiteral("连衣裙"), QStringLiteral("运动鞋")};
constexpr int kCount = 2;

struct SortOrder {
  int index;
  const char* key;
  const char* entry;
};
const SortOrder kByCommission = {1, "_commrate", "按佣金比率由高到底"};
const SortOrder kBySales = {0, "_totalnum", "按销量由高到底"};

// What the log box shows for one keyword pass that read `done` products and,
// when `ended`, wrote its page; the sample template's affiliate links were
// `converted`, or, after a stop, fell back to the page addresses.
QString pass_log(const QString& keyword, const SortOrder& order, int done, bool ended,
                 bool converted = true) {
  QString log = QStringLiteral("正在") + QString::fromUtf8(order.entry) + QStringLiteral("搜寻。。。\r\n") +
                QStringLiteral("搜寻完毕\r\n开始搜寻单个宝贝信息。。。。\r\n");
  const std::vector<MockProduct> products = mock_products(keyword, QString::fromLatin1(order.key));
  for (int i = 0; i < done; ++i) {
    log += QStringLiteral("开始搜寻") + products[static_cast<std::size_t>(i)].title +
           QStringLiteral("的信息\r\n");
    log += QStringLiteral("搜寻") + products[static_cast<std::size_t>(i)].title + QStringLiteral("完毕\r\n");
  }
  if (ended && done > 0) {
    log += converted ? QStringLiteral("已取得%1个推广链接\r\n").arg(done)
                     : QStringLiteral("有%1个商品没有取得推广链接，已用商品网址代替\r\n").arg(done);
  }
  if (ended) log += QStringLiteral("生成关键词\"") + keyword + QStringLiteral(".htm\"完毕");
  return log;
}

const QString kStartLine = QStringLiteral("正在努力采集.......\r\n");
const QString kStoppedLine = QStringLiteral("已停止生成。\r\n");

}  // namespace

class GenerationTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { pagloom::e2e::prepare_application(); }

 private:
  pagloom::e2e::Session s_;

  QString page_path(const QString& keyword) const {
    return s_.templates_path() + QLatin1Char('/') + kTemplate + QLatin1Char('/') + keyword +
           QStringLiteral(".htm");
  }

  // The page the run should write for `keyword` with its first `n` products:
  // the template's head, one filled loop block per product, the tail. Product
  // links are the stand-in's affiliate links when `linked`, else the
  // products' page addresses.
  QByteArray expected_page(const QString& keyword, const SortOrder& order, int n, bool linked = true) const {
    const pagloom::e2e::TemplateParts parts = pagloom::e2e::split_template(pagloom::e2e::read_file(
        s_.templates_path() + QLatin1Char('/') + kTemplate + QStringLiteral("/模板文件.htm")));
    const QByteArray keyword_marker = bytes(g("[#关键词#]"));
    const QByteArray kw = bytes(g(keyword));
    const std::vector<MockProduct> products = mock_products(keyword, QString::fromLatin1(order.key));
    QByteArray page = QByteArray(parts.head).replace(keyword_marker, kw);
    for (int i = 0; i < n; ++i) {
      const MockProduct& p = products[static_cast<std::size_t>(i)];
      const std::pair<const char*, QString> values[] = {
          {"[#关键词#]", keyword},
          {"[#商品图片地址#]", p.picture},
          {"[#商品网址#]", p.page},
          {"[#商品标题#]", p.title},
          {"[#商品销售量#]", QString::number(p.sales)},
          {"[#卖家昵称#]", p.merchant},
          {"[#商品价格#]", p.price},
          {"[#商品排名#]", QString::number(i + 1)},
          {"[#推广链接#]", linked ? mock_affiliate_link(p.id) : p.page},
      };
      QByteArray block = parts.loop;
      for (const auto& [marker, value] : values) block.replace(bytes(g(marker)), bytes(g(value)));
      page += block;
    }
    return page + QByteArray(parts.tail).replace(keyword_marker, kw);
  }

  // Types the inputs as a user does: the keywords through the input method,
  // one a line, the count on the keyboard, the sort order from the list.
  void fill_inputs(const QStringList& keywords, const QString& count, const SortOrder& order) {
    E2E_FIND(keyword_box, QPlainTextEdit, s_.window(), "编辑框1");
    E2E_FIND(count_box, QLineEdit, s_.window(), "编辑框7");
    E2E_FIND(combo, QComboBox, s_.window(), "组合框1");
    E2E_FIND(templates, QListWidget, s_.window(), "列表框1");
    for (QWidget* w : std::initializer_list<QWidget*>{keyword_box, count_box, combo, templates})
      QVERIFY2(w->isVisible(), qPrintable(w->objectName()));

    keyword_box->setFocus();
    keyword_box->selectAll();
    QTest::keyClick(keyword_box, Qt::Key_Delete);
    for (qsizetype i = 0; i < keywords.size(); ++i) {
      if (i > 0) QTest::keyClick(keyword_box, Qt::Key_Return);
      QInputMethodEvent typed;
      typed.setCommitString(keywords[i]);
      QApplication::sendEvent(keyword_box, &typed);
    }
    QCOMPARE(s_.ui().text(g("编辑框1")), g(keywords.join(QStringLiteral("\r\n"))));

    count_box->setFocus();
    QTest::keyClick(count_box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(count_box, Qt::Key_Delete);
    QTest::keyClicks(count_box, count);
    QCOMPARE(count_box->text(), count);

    combo->setCurrentIndex(order.index);
    QTest::mouseClick(templates->viewport(), Qt::LeftButton, {},
                      templates->visualItemRect(templates->item(0)).center());
    QCOMPARE(templates->currentItem()->text(), kTemplate);
  }

  // Clicks 按钮1; the run takes place inside the click.
  void run() {
    E2E_FIND(start, QPushButton, s_.window(), "按钮1");
    QVERIFY(start->isVisible() && start->isEnabled());
    s_.mock().clear_log();
    QTest::mouseClick(start, Qt::LeftButton);
    QTRY_COMPARE(s_.window().command_depth(), 0);
    QVERIFY(!s_.ctx().state.run_active);
  }

  // While the run goes on, clicks `button` once as soon as the log box holds
  // `text`; `depth` gets the command depth met at that moment (0: never, -1:
  // the button could not be clicked by a user).
  std::unique_ptr<QTimer> click_when_logged(const char* button, const QString& text, int* depth) {
    auto timer = std::make_unique<QTimer>();
    timer->setInterval(5);
    connect(timer.get(), &QTimer::timeout, timer.get(), [this, button, text, depth, t = timer.get()] {
      if (!pagloom::e2e::u(s_.ui().text(g("编辑框8"))).contains(text)) return;
      t->stop();
      auto* b = s_.window().findChild<QPushButton*>(QString::fromUtf8(button));
      if (!b || !b->isVisible() || !b->isEnabled()) {
        *depth = -1;
        return;
      }
      *depth = s_.window().command_depth();
      QTest::mouseClick(b, Qt::LeftButton);
    });
    timer->start();
    return timer;
  }

  // The closing line of a run that went through every keyword.
  QString summary_line(int pages) const {
    return QStringLiteral("\r\n生成结束：共生成") + QString::number(pages) +
           QStringLiteral("个页面，保存在 ") + s_.templates_path() + QLatin1Char('/') + kTemplate +
           QStringLiteral("\r\n");
  }

  void remove_pages() {
    for (const QString& keyword : kKeywords) QFile::remove(page_path(keyword));
  }

 private Q_SLOTS:
  void initTestCase() {
    E2E_DO(s_.open());
    E2E_DO(s_.open_login_page());
  }
  void cleanupTestCase() { s_.close(); }
  void init() { remove_pages(); }

  void notLoggedIn_logsAndStops() {
    E2E_DO(fill_inputs(kKeywords, QString::number(kCount), kBySales));
    E2E_DO(run());
    QCOMPARE(s_.ui().text(g("编辑框8")), g(kStartLine + QStringLiteral("请登陆阿里妈妈")));
    QCOMPARE(s_.ui().page(g("选择夹2")), 2);
    QCOMPARE(s_.ui().text(g("按钮2")), g("登陆阿里妈妈"));
    QVERIFY(s_.enabled("按钮2"));
    QVERIFY(s_.mock().requests_to(MockServices::kPromotionPath).empty());
    QVERIFY(!QFile::exists(page_path(kKeywords[0])));
  }

  void run_writesOnePagePerKeyword() {
    E2E_DO(s_.log_in(QStringLiteral("tester")));
    E2E_DO(fill_inputs(kKeywords, QString::number(kCount), kByCommission));

    // A second click on 按钮1 while the first run waits starts nothing.
    int depth_at_click = 0;
    const auto clicker = click_when_logged("按钮1", QStringLiteral("搜寻完毕"), &depth_at_click);
    E2E_DO(run());
    QCOMPARE(depth_at_click, 1);

    QString log = kStartLine;
    for (const QString& keyword : kKeywords) log += pass_log(keyword, kByCommission, kCount, true);
    log += summary_line(int(kKeywords.size()));
    QCOMPARE(s_.ui().text(g("编辑框8")), g(log));
    QCOMPARE(s_.ui().text(g("按钮2")), g("登陆成功"));
    QVERIFY(!s_.enabled("按钮2"));

    for (const QString& keyword : kKeywords) {
      const QByteArray written = pagloom::e2e::read_file(page_path(keyword));
      QVERIFY2(!written.isEmpty(), qPrintable(page_path(keyword)));
      QCOMPARE(written, expected_page(keyword, kByCommission, kCount));
      // The sample template links every product through its affiliate link.
      const std::vector<MockProduct> products =
          mock_products(keyword, QString::fromLatin1(kByCommission.key));
      for (int p = 0; p < kCount; ++p) {
        const MockProduct& product = products[static_cast<std::size_t>(p)];
        const QByteArray link = "href=\"" + bytes(g(mock_affiliate_link(product.id))) + '"';
        QCOMPARE(written.count(link), 3);
        QVERIFY(!written.contains("href=\"" + bytes(g(product.page)) + '"'));
      }
    }

    // One export request per keyword, for the ids of its page's products.
    const auto exports = s_.mock().requests_to(MockServices::kExportPath);
    QCOMPARE(exports.size(), std::size_t(kKeywords.size()));
    for (std::size_t i = 0; i < exports.size(); ++i) {
      const auto products =
          mock_products(kKeywords[static_cast<qsizetype>(i)], QString::fromLatin1(kByCommission.key));
      QStringList ids;
      for (int p = 0; p < kCount; ++p) ids << products[static_cast<std::size_t>(p)].id;
      QCOMPARE(exports[i].query_value("nid"), ids.join(QLatin1Char(',')).toLatin1());
      QVERIFY(exports[i].cookie.contains(MockServices::kSessionCookie));
    }

    const auto searches = s_.mock().requests_to(MockServices::kPromotionPath);
    QCOMPARE(searches.size(), std::size_t(kKeywords.size()));
    std::vector<QString> expected_titles;
    for (std::size_t i = 0; i < searches.size(); ++i) {
      const QString& keyword = kKeywords[static_cast<qsizetype>(i)];
      QCOMPARE(searches[i].method, QByteArray("POST"));
      QVERIFY(searches[i].cookie.contains(MockServices::kSessionCookie));
      QCOMPARE(searches[i].query_value("_fmu.a._0.so"), QByteArray(kByCommission.key));
      QCOMPARE(searches[i].query_value("q"), bytes(g(keyword)).toPercentEncoding());
      const auto products = mock_products(keyword, QString::fromLatin1(kByCommission.key));
      for (int p = 0; p < kCount; ++p) expected_titles.push_back(products[static_cast<std::size_t>(p)].title);
    }
    const auto lookups = s_.mock().requests_to("/search");
    QCOMPARE(lookups.size(), expected_titles.size());
    for (std::size_t i = 0; i < lookups.size(); ++i) {
      const QByteArray query = QByteArray::fromPercentEncoding(lookups[i].query_value("q"));
      QCOMPARE(pagloom::e2e::u(query.toStdString()), expected_titles[i]);
    }
  }

  void stop_endsTheRunAtTheNextCheck_data() {
    QTest::addColumn<QString>("trigger");
    QTest::addColumn<QString>("log");
    QTest::addColumn<int>("firstPageProducts");  // -1: no page
    QTest::addColumn<int>("searches");

    const QString first_title = mock_products(kKeywords[0], QString::fromLatin1(kBySales.key))[0].title;
    // Stopped while the template loads: no products are read, no page.
    QTest::newRow("before the products")
        << QStringLiteral("搜寻完毕\r\n")
        << kStartLine + pass_log(kKeywords[0], kBySales, 0, false) + kStoppedLine << -1 << 1;
    // Stopped while the first product is read: its page holds that product,
    // linked to its page address since no export leaves after the stop, no
    // further request leaves, and the log says the page was cut short.
    QTest::newRow("during a product")
        << QStringLiteral("开始搜寻") + first_title + QStringLiteral("的信息\r\n")
        << kStartLine + pass_log(kKeywords[0], kBySales, 1, false) +
               QStringLiteral("有1个商品没有取得推广链接，已用商品网址代替\r\n") +
               QStringLiteral("关键词\"") + kKeywords[0] +
               QStringLiteral(".htm\"已停止，只生成了1个商品\r\n") + kStoppedLine
        << 1 << 1;
  }

  void stop_endsTheRunAtTheNextCheck() {
    QFETCH(QString, trigger);
    QFETCH(QString, log);
    QFETCH(int, firstPageProducts);
    QFETCH(int, searches);

    E2E_DO(fill_inputs(kKeywords, QString::number(kCount), kBySales));
    int depth_at_click = 0;
    const auto clicker = click_when_logged("按钮5", trigger, &depth_at_click);
    E2E_DO(run());
    QCOMPARE(depth_at_click, 1);
    QCOMPARE(s_.ctx().state.stop_requested, 1);

    QCOMPARE(s_.ui().text(g("编辑框8")), g(log));
    if (firstPageProducts < 0) {
      QVERIFY(!QFile::exists(page_path(kKeywords[0])));
    } else {
      QCOMPARE(pagloom::e2e::read_file(page_path(kKeywords[0])),
               expected_page(kKeywords[0], kBySales, firstPageProducts, false));
    }
    QVERIFY(s_.mock().requests_to(MockServices::kExportPath).empty());
    QVERIFY(!QFile::exists(page_path(kKeywords[1])));
    QCOMPARE(s_.mock().requests_to(MockServices::kPromotionPath).size(), std::size_t(searches));
  }

  // The session ends (a logout in the login viewer) while the first keyword
  // is made. Its affiliate export meets the login page: the run writes no
  // page, shows the login page and waits; the user logs in again there
  // (through 按钮2, which is usable again), and the run redoes that keyword.
  void sessionLost_pausesUntilANewLoginAndResumes() {
    E2E_FIND(view, QWebEngineView, s_.window(), "超文本浏览框1");
    E2E_FIND(login_button, QPushButton, s_.window(), "按钮2");
    E2E_FIND(stop_button, QPushButton, s_.window(), "按钮5");
    E2E_DO(s_.load_login_viewer([&] { view->load(QUrl(s_.mock().url(QStringLiteral("/login.htm")))); },
                                QStringLiteral("会员登录")));
    E2E_DO(s_.log_in(QStringLiteral("tester")));
    E2E_DO(fill_inputs(kKeywords, QString::number(kCount), kBySales));
    const QString lost_line = QStringLiteral("阿里妈妈登录已失效，请在登录页重新登录，登录后自动继续。\r\n");
    const QString search_line =
        QStringLiteral("正在") + QString::fromUtf8(kBySales.entry) + QStringLiteral("搜寻。。。\r\n");

    enum class Step { LogOut, AwaitLoss, LogIn, Done };
    Step step = Step::LogOut;
    bool button_usable = false;
    int page_when_lost = -1;
    const auto submit_login = [view] {
      view->page()->runJavaScript(
          QStringLiteral("if (document.getElementById('user')) {"
                         "document.getElementById('user').value = 'again';"
                         "document.getElementById('password').value = 'pw';"
                         "document.getElementById('login-button').click(); }"));
    };
    // Every load of the login form while logging in (re)submits it, so a
    // navigation that replaces the form first does no harm.
    QObject guard;
    connect(view, &QWebEngineView::loadFinished, &guard, [&](bool ok) {
      if (step == Step::LogIn && ok && view->title() == QStringLiteral("会员登录")) submit_login();
    });
    QTimer driver;
    driver.setInterval(5);
    connect(&driver, &QTimer::timeout, &guard, [&] {
      const QString log = pagloom::e2e::u(s_.ui().text(g("编辑框8")));
      if (step == Step::LogOut && log.contains(search_line)) {
        step = Step::AwaitLoss;
        view->load(QUrl(s_.mock().url(QStringLiteral("/logout.do"))));
      } else if (step == Step::AwaitLoss && log.contains(lost_line)) {
        step = Step::LogIn;
        page_when_lost = s_.ui().page(g("选择夹2"));
        button_usable = login_button->isVisible() && login_button->isEnabled() &&
                        login_button->text() == QStringLiteral("登陆阿里妈妈");
        if (button_usable) QTest::mouseClick(login_button, Qt::LeftButton);
      } else if (step == Step::LogIn && log.contains(QStringLiteral("已重新登录，继续生成。\r\n"))) {
        step = Step::Done;
      }
    });
    driver.start();
    // Never wait out the run's ten minutes: a login that does not come in
    // time stops the run, and the log comparison below fails.
    QTimer bound;
    bound.setSingleShot(true);
    connect(&bound, &QTimer::timeout, &guard,
            [stop_button] { QTest::mouseClick(stop_button, Qt::LeftButton); });
    bound.start(60000);

    E2E_DO(run());
    driver.stop();
    bound.stop();

    QCOMPARE(page_when_lost, 0);
    QVERIFY(button_usable);
    QCOMPARE(int(step), int(Step::Done));
    const QString log = kStartLine + pass_log(kKeywords[0], kBySales, kCount, false) + lost_line +
                        QStringLiteral("已重新登录，继续生成。\r\n") +
                        pass_log(kKeywords[0], kBySales, kCount, true) +
                        pass_log(kKeywords[1], kBySales, kCount, true) + summary_line(2);
    QCOMPARE(s_.ui().text(g("编辑框8")), g(log));
    for (const QString& keyword : kKeywords)
      QCOMPARE(pagloom::e2e::read_file(page_path(keyword)), expected_page(keyword, kBySales, kCount));
    QCOMPARE(s_.ui().page(g("选择夹2")), 2);
    QCOMPARE(s_.ui().text(g("按钮2")), g("登陆成功"));
    QVERIFY(!s_.enabled("按钮2"));

    // The first keyword was searched twice: before the logout, then in the
    // new session; one export met the login page, two gave links.
    const auto searches = s_.mock().requests_to(MockServices::kPromotionPath);
    QCOMPARE(searches.size(), std::size_t(3));
    for (std::size_t i = 0; i < searches.size(); ++i)
      QCOMPARE(searches[i].query_value("q"), bytes(g(kKeywords[i < 2 ? 0 : 1])).toPercentEncoding());
    QVERIFY(searches[1].cookie.contains(MockServices::kSessionCookie));
    QCOMPARE(s_.mock().requests_to(MockServices::kExportPath).size(), std::size_t(3));
  }
};

QTEST_MAIN(GenerationTest)

#include "generation_run_test.moc"
