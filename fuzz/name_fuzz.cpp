// The name check for template names and keywords, as the fake file system
// models the platform's GBK decoder: a name it calls safe is one path
// component whatever bytes it holds.
#include "fakes/fake_file_system.h"
#include "fuzz_target.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view name = pagloom::fuzz::texts(pagloom::fuzz::input(data, size), 1)[0];
  const pagloom::testing::FakeFileSystem files;
  if (!files.is_safe_name(pagloom::Text(name))) return 0;
  FUZZ_CHECK(!name.empty() && name != "." && name != "..");
  // "/" and control bytes are never the trail byte of a GBK character.
  FUZZ_CHECK(name.find('/') == std::string_view::npos);
  for (const char c : name) FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20);
  return 0;
}
