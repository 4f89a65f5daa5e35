// fetch_text and download_bytes over the scripted HTTP: what a broken-off
// transfer gives each of them.
#include <gtest/gtest.h>

#include "fakes/fake_context.h"
#include "web/web.h"

namespace pagloom {
namespace {

using testing::FakeWorld;

TEST(Web, ABrokenTransferGivesNoPageButTheBytesThatArrived) {
  struct Case {
    const char* what;
    bool received;
    bool complete;
    int status;
    std::string body;
    std::string text;   // fetch_text
    std::string bytes;  // download_bytes
  };
  const Case cases[] = {
      {"whole", true, true, 200, "page", "page", "page"},
      {"error status, whole", true, true, 500, "错误", "错误", "错误"},
      {"zero byte inside", true, true, 200, std::string("a\0b", 3), "a", std::string("a\0b", 3)},
      {"reset or short", true, false, 200, "part", "", "part"},
      {"deadline after some bytes", true, false, 200, "pa", "", "pa"},
      {"nothing arrived", false, false, 0, "", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FakeWorld w;
    w.http.handler = [&c](const HttpRequest&) {
      HttpResponse r;
      r.received = c.received;
      r.complete = c.complete;
      r.status = c.status;
      r.body.assign(c.body.begin(), c.body.end());
      return r;
    };
    EXPECT_EQ(fetch_text(w.ctx, "http://market.test/search", "POST"), c.text);
    const Bytes bytes = download_bytes(w.ctx, "http://service.test/export.xls");
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), c.bytes);
  }
}

}  // namespace
}  // namespace pagloom
