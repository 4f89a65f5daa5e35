// Where the outside services live. Injected into the main window so that
// tests and the demo can point the program at a local mock.
#pragma once

#include <string>

namespace pagloom {

struct Endpoints {
  // Each "scheme://host[:port]", no trailing slash.
  std::string member_centre_host;  // login page shown by 按钮2
  std::string service_host;        // promotion search, export, member centre of the conversion tab
  std::string marketplace_host;    // marketplace search
  std::string help_page;           // shown on the instructions page
  std::string download_page;       // 超级链接框1
  std::string tutorial_page;       // 超级链接框2
  std::string link_rules_page;     // 超级链接框3

  // The real services.
  static Endpoints defaults();
};

}  // namespace pagloom
