// The template editor, end to end: a template picked from the list fills the
// fields, an edited copy is saved under a new name and listed, and the
// preview page shows a template's sample page.

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QRadioButton>

#include "e2e_fixture.h"

using pagloom::e2e::bytes;
using pagloom::e2e::g;
using pagloom::e2e::u;

namespace {

const QString kSample = QStringLiteral("高贵大气");
const QString kNewName = QStringLiteral("典雅新款");

// Text typed through the input method, as Chinese text is typed.
void commit(QWidget* w, const QString& text) {
  QInputMethodEvent typed;
  typed.setCommitString(text);
  QApplication::sendEvent(w, &typed);
}

}  // namespace

class TemplateEditorTest : public QObject {
  Q_OBJECT

 public:
  static void initMain() { pagloom::e2e::prepare_application(); }

 private:
  pagloom::e2e::Session s_;
  pagloom::e2e::TemplateParts sample_;

  QString template_file(const QString& name) const {
    return s_.templates_path() + QLatin1Char('/') + name + QStringLiteral("/模板文件.htm");
  }
  QString preview_file(const QString& name) const {
    return s_.templates_path() + QLatin1Char('/') + name + QStringLiteral("/效果预览.htm");
  }

  QStringList listed() {
    QStringList names;
    for (int i = 0; !s_.ui().list_item(g("列表框1"), i).empty(); ++i)
      names << u(s_.ui().list_item(g("列表框1"), i));
    return names;
  }

  // Clicks the list's item named `name`, as a user picks a template.
  void pick(const QString& name) {
    E2E_FIND(list, QListWidget, s_.window(), "列表框1");
    const QList<QListWidgetItem*> found = list->findItems(name, Qt::MatchExactly);
    QCOMPARE(found.size(), 1);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(found[0]).center());
    QCOMPARE(list->currentItem(), found[0]);
  }

  // Runs `action` and waits until the preview viewer has loaded `file`.
  void load_preview(const std::function<void()>& action, const QString& file) {
    E2E_FIND(view, QWebEngineView, s_.window(), "超文本浏览框2");
    QSignalSpy finished(view, &QWebEngineView::loadFinished);
    action();
    QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty() && view->url() == QUrl::fromLocalFile(file),
                             pagloom::e2e::kLoadTimeoutMs);
    QVERIFY(finished.last().at(0).toBool());
  }

 private Q_SLOTS:
  void initTestCase() {
    E2E_DO(s_.prepare_run_folder());
    // A second template ahead of the sample, so that start-up selects it and
    // picking the sample is a selection of the user's.
    QVERIFY(QDir().mkpath(s_.templates_path() + QStringLiteral("/basic")));
    QVERIFY(pagloom::e2e::write_file(template_file(QStringLiteral("basic")),
                                     bytes(g("<b>[#商品循环开始#]<i>[#商品循环结束#]</b>"))));
    E2E_DO(s_.open());
    sample_ = pagloom::e2e::split_template(pagloom::e2e::read_file(template_file(kSample)));
    QVERIFY(!sample_.loop.isEmpty());
  }
  void cleanupTestCase() { s_.close(); }
  void init() { s_.messages.clear(); }

  void pick_fillsTheFields() {
    QCOMPARE(listed(), (QStringList{QStringLiteral("basic"), kSample}));
    QCOMPARE(s_.ui().list_selected(g("列表框1")), 0);
    QCOMPARE(s_.ui().text(g("编辑框2")), pagloom::Text());

    E2E_DO(load_preview([this] { pick(kSample); }, preview_file(kSample)));
    QCOMPARE(s_.ui().text(g("编辑框2")), g(kSample));
    QCOMPARE(bytes(s_.ui().text(g("编辑框3"))), sample_.head);
    QCOMPARE(bytes(s_.ui().text(g("编辑框4"))), sample_.loop);
    QCOMPARE(bytes(s_.ui().text(g("编辑框5"))), sample_.tail);
    QCOMPARE(s_.messages, QStringList());
  }

  void save_writesANewTemplateAndListsIt() {
    E2E_FIND(loop, QPlainTextEdit, s_.window(), "编辑框4");
    E2E_FIND(name, QLineEdit, s_.window(), "编辑框2");
    E2E_FIND(save, QPushButton, s_.window(), "按钮3");
    E2E_FIND(editor, QRadioButton, s_.window(), "单选框3");

    // The editor page, which loads the picked template again.
    s_.ui().set_text(g("编辑框4"), {});
    QTest::mouseClick(editor, Qt::LeftButton);
    QCOMPARE(s_.ui().page(g("选择夹2")), 1);
    QCOMPARE(bytes(s_.ui().text(g("编辑框4"))), sample_.loop);
    QCOMPARE(s_.messages, QStringList());
    for (QWidget* w : std::initializer_list<QWidget*>{loop, name, save})
      QVERIFY2(w->isVisible(), qPrintable(w->objectName()));

    loop->setFocus();
    QTest::keyClick(loop, Qt::Key_End, Qt::ControlModifier);
    commit(loop, QStringLiteral("<p>第[#商品排名#]名</p>"));
    QTest::keyClick(loop, Qt::Key_Return);
    const QByteArray edited_loop = sample_.loop + bytes(g("<p>第[#商品排名#]名</p>\r\n"));
    QCOMPARE(bytes(s_.ui().text(g("编辑框4"))), edited_loop);

    name->setFocus();
    QTest::keyClick(name, Qt::Key_A, Qt::ControlModifier);
    commit(name, kNewName);
    QCOMPARE(s_.ui().text(g("编辑框2")), g(kNewName));

    const QByteArray sample_file = pagloom::e2e::read_file(template_file(kSample));
    QTest::mouseClick(save, Qt::LeftButton);
    QCOMPARE(s_.messages, QStringList{QStringLiteral("保存模板成功")});

    QCOMPARE(pagloom::e2e::read_file(template_file(kNewName)),
             sample_.head + bytes(g("[#商品循环开始#]")) + edited_loop + bytes(g("[#商品循环结束#]")) +
                 sample_.tail);
    QCOMPARE(pagloom::e2e::read_file(template_file(kSample)), sample_file);
    QCOMPARE(listed(), (QStringList{QStringLiteral("basic"), kNewName, kSample}));
    // The rescan selects item 0 without loading it: the fields keep the save.
    QCOMPARE(s_.ui().list_selected(g("列表框1")), 0);
    QCOMPARE(s_.ui().text(g("编辑框2")), g(kNewName));
    QCOMPARE(bytes(s_.ui().text(g("编辑框4"))), edited_loop);
  }

  void preview_showsTheSamplePage() {
    E2E_FIND(preview, QRadioButton, s_.window(), "单选框2");
    E2E_FIND(view, QWebEngineView, s_.window(), "超文本浏览框2");
    E2E_DO(load_preview([this] { pick(kSample); }, preview_file(kSample)));

    E2E_DO(load_preview([preview] { QTest::mouseClick(preview, Qt::LeftButton); }, preview_file(kSample)));
    QCOMPARE(s_.ui().page(g("选择夹2")), 3);
    QVERIFY(view->isVisible());
    QTRY_COMPARE(view->title(), QStringLiteral("真丝围巾 - 精选好物推荐"));
    QCOMPARE(s_.messages, QStringList());

    // The new template has no sample page, and the user is told so.
    pick(kNewName);
    s_.messages.clear();
    QTest::mouseClick(preview, Qt::LeftButton);
    QCOMPARE(s_.ui().page(g("选择夹2")), 3);
    QCOMPARE(s_.messages.size(), 1);
    QVERIFY(s_.messages[0].startsWith(QStringLiteral("您没把预览文件放在指定位置")));
  }

  // A character typed into the head changes only that character's bytes in
  // the saved file: every line break keeps the style the file had.
  void edit_keepsTheFieldsLineBreakStyle() {
    E2E_FIND(head, QPlainTextEdit, s_.window(), "编辑框3");
    E2E_FIND(save, QPushButton, s_.window(), "按钮3");
    E2E_FIND(editor, QRadioButton, s_.window(), "单选框3");
    const QString file = template_file(QStringLiteral("basic"));
    for (const char* line_break : {"\n", "\r", "\r\n"}) {
      const auto lines = [line_break](std::initializer_list<const char*> parts) {
        QByteArray joined;
        for (const char* part : parts) joined += bytes(g(part)) + line_break;
        return joined;
      };
      const QByteArray loop = bytes(g("[#商品循环开始#]")) + lines({"<li>", "[#商品标题#]"}) +
                              bytes(g("[#商品循环结束#]")) + lines({"</ul>", "</html>"});
      QVERIFY(pagloom::e2e::write_file(file, lines({"<html>", "<title>[#关键词#]</title>", "<ul>"}) + loop));
      s_.ui().list_select(g("列表框1"), 0);
      QCOMPARE(s_.ui().list_item(g("列表框1"), 0), g("basic"));
      QTest::mouseClick(editor, Qt::LeftButton);  // loads the selected template

      head->setFocus();
      head->moveCursor(QTextCursor::Start);
      QTest::keyClick(head, Qt::Key_Down);
      QTest::keyClick(head, Qt::Key_End);
      commit(head, QStringLiteral("新"));
      s_.messages.clear();
      QTest::mouseClick(save, Qt::LeftButton);
      QCOMPARE(s_.messages, QStringList{QStringLiteral("保存模板成功")});
      QCOMPARE(pagloom::e2e::read_file(file),
               lines({"<html>", "<title>[#关键词#]</title>新", "<ul>"}) + loop);
    }
  }
};

QTEST_MAIN(TemplateEditorTest)

#include "template_editor_test.moc"
