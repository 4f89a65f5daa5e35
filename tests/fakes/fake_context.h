// A Context wired to in-memory fakes, with the run directory "/run".
#pragma once

#include "fakes/fake_file_system.h"
#include "fakes/fake_http.h"
#include "fakes/fake_spreadsheet.h"
#include "fakes/fake_text_codec.h"
#include "fakes/fake_ui.h"
#include "platform/context.h"

namespace pagloom::testing {

struct FakeWorld {
  FakeUi ui;
  FakeFileSystem files;
  FakeHttp http;
  FakeSpreadsheet spreadsheet;
  FakeTextCodec codec;
  Context ctx{ui, files, http, spreadsheet, codec, test_endpoints(), "/run", {}};

  static Endpoints test_endpoints() {
    Endpoints e;
    e.member_centre_host = "http://member.test";
    e.service_host = "http://service.test";
    e.marketplace_host = "http://market.test";
    e.help_page = "http://help.test/help.htm";
    e.download_page = "http://help.test/download.htm";
    e.tutorial_page = "http://help.test/tutorial.htm";
    e.link_rules_page = "http://help.test/rules.htm";
    return e;
  }

  FakeWorld() {
    files.add_folder("/run");
    ui.combos["组合框1"].items = {"按销量由高到底", "按佣金比率由高到底", "30天支出佣金由高到底", ""};
  }
};

}  // namespace pagloom::testing
