// Short links resolved over QtHttp against the mock services: one GET that
// follows at most five redirects, the id read from the final address or from
// the page.
#include <set>

#include "conversion/conversion_commands.h"
#include "web_fixture.h"

namespace pagloom::testing {
namespace {

using ShortLinkTest = WebTest;

TEST_F(ShortLinkTest, TheFinalAddressOrThePageGivesTheId) {
  const FollowedPage followed =
      fetch_following_redirects(ctx, at("/h.R5208132501?tk=x"), kShortLinkRedirects);
  EXPECT_TRUE(followed.received);
  EXPECT_EQ(followed.final_address, at("/item.htm?id=5208132501&ali_trackid=2"));

  const std::pair<const char*, Text> cases[] = {
      {"/h.R5208132501?tk=x", "5208132501"},
      {"/h.P5208132502", "5208132502"},
      {"/h.Gone", ""},
  };
  for (const auto& [path, id] : cases) EXPECT_EQ(resolve_short_link(ctx, at(path)), id) << path;
}

TEST_F(ShortLinkTest, ARedirectChainEndsAfterFiveRedirects) {
  EXPECT_EQ(resolve_short_link(ctx, at("/h.Loop")), "");
  // Each hop has its own address (Qt may send one of them twice over a
  // closed connection, so hops are told apart by address, not counted).
  std::set<QByteArray> hops;
  for (const MockRequest& request : mock().log()) hops.insert(request.target);
  EXPECT_EQ(hops,
            (std::set<QByteArray>{"/h.Loop", "/h.Loop1", "/h.Loop2", "/h.Loop3", "/h.Loop4", "/h.Loop5"}));
}

}  // namespace
}  // namespace pagloom::testing
