// What every fuzz target shares: the libFuzzer entry point each target
// defines, the way an input is split into texts, and a check that stops the
// run with a message in every build type (unlike assert).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace pagloom::fuzz {

// The input as bytes.
inline std::string_view input(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// The input cut at its zero bytes into at most `count` texts (a text holds no
// zero byte); missing ones are empty, pieces beyond `count` are dropped.
inline std::vector<std::string_view> texts(std::string_view in, std::size_t count) {
  std::vector<std::string_view> out;
  while (out.size() < count) {
    const std::size_t zero = in.find('\0');
    out.push_back(in.substr(0, zero));
    if (zero == std::string_view::npos) break;
    in.remove_prefix(zero + 1);
  }
  out.resize(count);
  return out;
}

// A small signed number from the first byte of `t` (0 when empty), for
// positions and counts.
inline int small_number(std::string_view t) {
  return t.empty() ? 0 : static_cast<int>(static_cast<signed char>(t[0]));
}

[[noreturn]] inline void fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
  std::abort();
}

}  // namespace pagloom::fuzz

#define FUZZ_CHECK(condition) \
  ((condition) ? static_cast<void>(0) : ::pagloom::fuzz::fail(#condition, __FILE__, __LINE__))
