// Draws the main window offscreen on each top tab and each inner page, with
// the local stand-in of the services behind its viewers, then the open-file,
// save-file and message dialogs, and saves the pictures as PNG files. Used by
// scripts/screenshots.
//
//   pagloom-screenshots RUN_FOLDER OUTPUT_FOLDER

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QThread>
#include <QTimer>
#include <cstdio>

#include "app/main_window.h"
#include "app/process_setup.h"
#include "mock/mock_services.h"
#include "platform/qt/dialogs.h"
#include "platform/qt/gbk.h"
#include "shell/shell_commands.h"
#include "templates/template_commands.h"

namespace {

void settle(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) {
    QApplication::processEvents(QEventLoop::AllEvents, 50);
    QThread::msleep(10);
  }
}

pagloom::Text gbk(const char* utf8) { return pagloom::to_gbk(QString::fromUtf8(utf8)); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s RUN_FOLDER OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  pagloom::prepare_process();
  QApplication app(argc, argv);
  pagloom::load_translations(app);
  const QString out = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(out);

  pagloom::testing::MockServices services;
  if (!services.start()) {
    std::fprintf(stderr, "cannot start the local services\n");
    return 1;
  }
  pagloom::MainWindow window(services.endpoints(), std::filesystem::path(argv[1]));
  window.show();
  settle(2500);

  pagloom::Context& ctx = window.context();
  pagloom::Ui& ui = ctx.ui;
  // Some content, so that the lists and boxes show how they fill.
  ui.set_text(gbk("编辑框1"), gbk("连衣裙\r\n男士衬衫\r\n"));
  ui.set_text(gbk("编辑框7"), "40");
  ui.append_log(gbk("开始生成关键词：连衣裙\r\n正在读取推广列表……\r\n已生成：连衣裙.htm\r\n"));
  ui.set_text(gbk("标签9"), gbk("正在转换，请稍候……"));
  ui.set_text(gbk("编辑框6"), "http://item.taobao.com/item.htm?id=12345678901");
  for (int i = 0; i < 3; ++i) {
    const int row = ui.insert_row(gbk("超级列表框2"));
    ui.set_cell(gbk("超级列表框2"), row, 0,
                "http://item.taobao.com/item.htm?id=1234567890" + std::to_string(i));
    ui.set_cell(gbk("超级列表框2"), row, 1, gbk("夏季新款雪纺连衣裙"));
    const int converted = ui.insert_row(gbk("超级列表框3"));
    ui.set_cell(gbk("超级列表框3"), converted, 0, "http://s.click.example/t?e=" + std::to_string(i));
    ui.set_cell(gbk("超级列表框3"), converted, 1, gbk("夏季新款雪纺连衣裙"));
  }

  const char* names[] = {"login", "editor", "log", "preview", "instructions", "results"};
  int failures = 0;
  const auto save = [&](const QString& name, QWidget* shown = nullptr) {
    const QString path = out + QLatin1Char('/') + name + QStringLiteral(".png");
    if (!(shown ? shown : &window)->grab().save(path)) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
      ++failures;
    } else {
      std::printf("%s\n", qPrintable(path));
    }
  };

  for (int page = 0; page < 6; ++page) {
    if (page == 0) window.run_command(pagloom::open_login_page);
    ui.set_page(gbk("选择夹2"), page);
    if (page == 3)
      ui.navigate(gbk("超文本浏览框2"), ctx.run_directory + gbk("/单页生成/模板/") +
                                            ui.list_item(gbk("列表框1"), 0) + gbk("/效果预览.htm"));
    if (page == 1) {
      pagloom::MessageBoxes::set_auto_answer([](const QString&) {});  // a missing template only says so
      window.run_command(pagloom::show_template_editor);
    }
    settle(page == 0 || page == 3 ? 2000 : 600);
    save(QStringLiteral("tab0-page%1-%2").arg(page).arg(QLatin1String(names[page])));
  }
  ui.set_page(gbk("选择夹2"), 4);
  ui.set_page(gbk("选择夹1"), 1);
  settle(600);
  save(QStringLiteral("tab1-conversion"));

  // The modal dialogs, as the commands open them: each is drawn once it has
  // shown for a while, then closed.
  const auto save_next_dialog = [&](const QString& name) {
    QTimer::singleShot(1500, &app, [&, name] {
      QWidget* dialog = QApplication::activeModalWidget();
      if (!dialog) {
        std::fprintf(stderr, "no dialog for %s\n", qPrintable(name));
        ++failures;
        return;
      }
      save(name, dialog);
      dialog->close();
    });
  };
  save_next_dialog(QStringLiteral("dialog-open-file"));
  (void)ui.choose_open_file(ctx.run_directory, "*.txt");
  save_next_dialog(QStringLiteral("dialog-save-file"));
  (void)ui.choose_save_file(ctx.run_directory, "*.txt");
  pagloom::MessageBoxes::clear_auto_answer();
  save_next_dialog(QStringLiteral("dialog-message"));
  ui.message(gbk("保存模板成功"));
  return failures == 0 ? 0 : 1;
}
