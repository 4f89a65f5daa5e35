// Byte-string primitives of the program: every text is GBK bytes held in a
// std::string and is never converted here. Positions are 1-based byte
// positions, -1 means "not found", and a byte of 0x80 or above begins a
// two-byte character. Searches find what a walk character by character finds:
// a match can only begin on a character boundary counted from where the walk
// starts (they find candidates with memchr/memmem and confirm the boundary).
//
// All functions are pure, allocate only for their result, and run in time
// linear in the bytes they scan (for the short needles the program uses).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pagloom {

// A GBK byte string with no zero byte inside. The empty text is also the
// "absent" text.
using Text = std::string;

// A length-counted byte sequence that may hold zero bytes: downloaded bodies,
// file contents, bytes about to be written.
using Bytes = std::vector<char>;

// Number of bytes in `t`.
[[nodiscard]] int byte_length(std::string_view t) noexcept;

// 1-based position of the first occurrence of `needle` at or after byte
// `start` (values below 1 mean the first byte), or -1. An empty needle gives 1
// when the searched region is not empty. With `ignore_case`, A-Z fold onto a-z.
[[nodiscard]] int text_find(std::string_view t, std::string_view needle, int start = 0,
                            bool ignore_case = false) noexcept;

// Bytes from 1-based `start`, at most `count` of them; empty when `start` is
// outside the text or `count` <= 0.
[[nodiscard]] Text text_middle(std::string_view t, int start, int count);

// The first / last `n` bytes (all of them when `n` exceeds the length).
[[nodiscard]] Text text_prefix(std::string_view t, int n);
[[nodiscard]] Text text_suffix(std::string_view t, int n);

// Replaces occurrences of `old` by `neu`, left to right, without overlap and
// without searching inserted text again. `start` (1-based) leaves the bytes
// before it unchanged; `count` limits the replacements (0: none, negative or
// omitted: all).
[[nodiscard]] Text text_replace(std::string_view t, std::string_view old, std::string_view neu = {},
                                std::optional<int> start = std::nullopt,
                                std::optional<int> count = std::nullopt, bool case_sensitive = true);

// Splits at `delim`: a leading delimiter gives an empty first piece, a
// trailing one no empty last piece; the empty text gives no pieces, an empty
// delimiter the whole text. `max` (when given) caps the pieces; <= 0 gives none.
[[nodiscard]] std::vector<Text> text_split(std::string_view t, std::string_view delim = ",",
                                           std::optional<int> max = std::nullopt);

// The decimal number at the start of `t` after folding GBK full-width forms
// to ASCII; 0 when there is none.
[[nodiscard]] double text_to_number(std::string_view t) noexcept;

// True when the texts are equal, or `t` starts or ends with `part`, but for
// the letter case of ASCII letters; bytes are compared one by one.
[[nodiscard]] bool text_equals_ci(std::string_view a, std::string_view b) noexcept;
[[nodiscard]] bool text_starts_with_ci(std::string_view t, std::string_view part) noexcept;
[[nodiscard]] bool text_ends_with_ci(std::string_view t, std::string_view part) noexcept;

// A count typed into a box (the product count): text_to_number truncated
// toward zero; 0 for anything below 1 or not a number, INT_MAX at most.
[[nodiscard]] int text_to_count(std::string_view t) noexcept;

// "%d" of an integer; "%.13g" of a double (independent of the C locale).
[[nodiscard]] Text number_to_text(int value);
[[nodiscard]] Text number_to_text(double value);

// The bytes up to, not including, the first zero byte.
[[nodiscard]] Text bytes_to_text(const Bytes& bytes);
[[nodiscard]] Text bytes_to_text(std::string_view bytes);

// The text's bytes, without terminator.
[[nodiscard]] Bytes text_to_bytes(std::string_view t);

// The texts' bytes one after another.
template <typename... Rest>
[[nodiscard]] Text text_concat(std::string_view a, std::string_view b, const Rest&... rest) {
  Text out;
  out.reserve(a.size() + b.size() + (std::string_view(rest).size() + ... + 0));
  out.append(a).append(b);
  (out.append(std::string_view(rest)), ...);
  return out;
}

// `t` without the ASCII white space (space, tab, line breaks, vertical tab,
// form feed) at either end.
[[nodiscard]] std::string_view trim_space(std::string_view t) noexcept;

// Byte-wise unsigned comparison: negative, zero or positive.
[[nodiscard]] int text_compare(std::string_view a, std::string_view b) noexcept;

// The text after the first `start_marker` found at or after `start_position`,
// up to, not including, the first `end_marker` after it. An absent start
// marker makes the cut begin at byte (marker length - 1); see the tests for
// every edge. Only the result is copied.
[[nodiscard]] Text extract_between(std::string_view t, std::string_view start_marker,
                                   std::string_view end_marker, int start_position);

// The same cut as extract_between, as a view into `t` (no allocation).
[[nodiscard]] std::string_view extract_between_view(std::string_view t, std::string_view start_marker,
                                                    std::string_view end_marker, int start_position) noexcept;

}  // namespace pagloom
