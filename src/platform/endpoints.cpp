#include "platform/endpoints.h"

namespace pagloom {

Endpoints Endpoints::defaults() {
  Endpoints e;
  e.member_centre_host = "http://www.alimama.com";
  e.service_host = "http://u.alimama.com";
  e.marketplace_host = "http://s.taobao.com";
  e.help_page = "http://pagloom.github.io/help.htm";
  e.download_page = "http://pagloom.github.io/download.htm";
  e.tutorial_page = "http://pagloom.github.io/template-tutorial.htm";
  e.link_rules_page = "http://pagloom.github.io/link-file-rules.htm";
  return e;
}

}  // namespace pagloom
