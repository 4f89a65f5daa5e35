#include "text/text.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>

namespace pagloom {
namespace {

constexpr bool is_lead_byte(char c) noexcept { return static_cast<unsigned char>(c) >= 0x80; }

constexpr bool is_space(char c) noexcept { return c == ' ' || (c >= '\t' && c <= '\r'); }

constexpr char fold(char c) noexcept { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool equal_at(std::string_view t, std::size_t pos, std::string_view needle, bool ignore_case) noexcept {
  if (!ignore_case) return std::memcmp(t.data() + pos, needle.data(), needle.size()) == 0;
  for (std::size_t i = 0; i < needle.size(); ++i) {
    if (fold(t[pos + i]) != fold(needle[i])) return false;
  }
  return true;
}

int clamp_int(std::size_t n) noexcept {
  return n > static_cast<std::size_t>(INT32_MAX) ? INT32_MAX : static_cast<int>(n);
}

bool has_ascii_letter(std::string_view t) noexcept {
  return std::any_of(t.begin(), t.end(),
                     [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); });
}

// The walk steps over a byte >= 0x80 together with the byte after it, whatever
// that byte is, and over any other byte alone. So every byte at or after a
// boundary is either a character of its own or the second of a pair, and when
// it is below 0x80 the walk stands right after it in both cases. (This covers
// the position after two bytes below 0x80 in a row, and is nearer.) Given a
// boundary `walked` and a position `at` >= `walked`, this resumes the walk
// after the last byte below 0x80 in [walked, at), or at `walked`, and returns
// the walk's first boundary at or after `at`: `at` itself exactly when `at` is
// a boundary.
std::size_t boundary_at_or_after(std::string_view t, std::size_t walked, std::size_t at) noexcept {
  std::size_t p = at;
  while (p > walked && is_lead_byte(t[p - 1])) --p;
  while (p < at) p += is_lead_byte(t[p]) ? 2 : 1;
  return p;
}

// First occurrence of `needle` in the `length` bytes at `from`, or null. memmem
// prepares a table for every call, which costs more than the search itself in
// a short text; there the first byte is looked for with memchr instead.
const char* first_occurrence(const char* from, std::size_t length, std::string_view needle) noexcept {
  constexpr std::size_t kShortText = 512;
  if (length >= kShortText)
    return static_cast<const char*>(memmem(from, length, needle.data(), needle.size()));
  const std::size_t at = std::string_view(from, length).find(needle);
  return at == std::string_view::npos ? nullptr : from + at;
}

// find_from for an exact needle: memmem finds the candidates, and only the
// bytes between the last confirmed boundary and a candidate are looked at
// again to confirm it, so every byte is confirmed at most once. A candidate
// inside a character hints at more of them close by (the needle's bytes are
// common inside the text's characters); the search then walks a short stretch
// itself rather than paying for a memmem call per candidate.
std::size_t find_exact(std::string_view t, std::string_view needle, std::size_t from) noexcept {
  constexpr std::size_t kStretch = 256;
  const std::size_t n = t.size();
  const std::size_t m = needle.size();
  std::size_t walked = from;
  while (walked < n && n - walked >= m) {
    const char* hit = first_occurrence(t.data() + walked, n - walked, needle);
    if (hit == nullptr) return std::string_view::npos;
    const auto at = static_cast<std::size_t>(hit - t.data());
    walked = boundary_at_or_after(t, walked, at);
    if (walked == at) return at;
    const std::size_t stop = std::min(walked + kStretch, n - m + 1);
    while (walked < stop) {
      if (t[walked] == needle[0] && std::memcmp(t.data() + walked, needle.data(), m) == 0) return walked;
      walked += is_lead_byte(t[walked]) ? 2 : 1;
    }
  }
  return std::string_view::npos;
}

// Zero-based index of the first match at a character boundary of the walk
// that starts at `from` and steps over whole two-byte characters, or npos.
std::size_t find_from(std::string_view t, std::string_view needle, std::size_t from,
                      bool ignore_case) noexcept {
  const std::size_t n = t.size();
  if (from >= n) return std::string_view::npos;
  if (needle.empty()) return 0;  // the caller maps this to position 1
  // Folding changes only A-Z, so a needle without letters matches as it is.
  if (!ignore_case || !has_ascii_letter(needle)) return find_exact(t, needle, from);
  const std::size_t m = needle.size();
  const char first = fold(needle[0]);
  std::size_t p = from;
  while (p < n) {
    if (n - p < m) return std::string_view::npos;
    const char c = t[p];
    if (fold(c) == first && equal_at(t, p, needle, true)) return p;
    if (is_lead_byte(c)) {
      if (p + 1 >= n) return std::string_view::npos;
      p += 2;
    } else {
      p += 1;
    }
  }
  return std::string_view::npos;
}

std::size_t walk_start(std::optional<int> start) noexcept {
  return start && *start > 1 ? static_cast<std::size_t>(*start - 1) : 0;
}

}  // namespace

int byte_length(std::string_view t) noexcept { return clamp_int(t.size()); }

int text_find(std::string_view t, std::string_view needle, int start, bool ignore_case) noexcept {
  const std::size_t from = start > 1 ? static_cast<std::size_t>(start) - 1 : 0;
  if (from >= t.size()) return -1;
  if (needle.empty()) return 1;
  const std::size_t at = find_from(t, needle, from, ignore_case);
  return at == std::string_view::npos ? -1 : clamp_int(at + 1);
}

Text text_middle(std::string_view t, int start, int count) {
  const int len = byte_length(t);
  if (start < 1 || start > len || count <= 0) return {};
  const int take = std::min(count, len - start + 1);
  return Text(t.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(take)));
}

Text text_prefix(std::string_view t, int n) {
  if (n <= 0) return {};
  return Text(t.substr(0, std::min(static_cast<std::size_t>(n), t.size())));
}

Text text_suffix(std::string_view t, int n) {
  if (n <= 0) return {};
  const std::size_t k = std::min(static_cast<std::size_t>(n), t.size());
  return Text(t.substr(t.size() - k));
}

Text text_replace(std::string_view t, std::string_view old, std::string_view neu, std::optional<int> start,
                  std::optional<int> count, bool case_sensitive) {
  const std::size_t from = walk_start(start);
  const bool limited = count && *count >= 0;
  if (t.empty() || old.empty() || from >= t.size() || (limited && *count == 0)) return Text(t);

  Text out;
  out.reserve(t.size());
  out.append(t.substr(0, from));
  // After each replacement the walk starts afresh behind the replaced bytes.
  std::size_t p = from;
  int made = 0;
  for (;;) {
    const std::size_t at = find_from(t, old, p, !case_sensitive);
    if (at == std::string_view::npos) break;
    out.append(t.substr(p, at - p)).append(neu);
    p = at + old.size();
    if (limited && ++made == *count) break;
  }
  out.append(t.substr(p));
  return out;
}

std::vector<Text> text_split(std::string_view t, std::string_view delim, std::optional<int> max) {
  std::vector<Text> pieces;
  if (max && *max <= 0) return pieces;
  if (t.empty()) return pieces;
  if (delim.empty()) {
    pieces.emplace_back(t);
    return pieces;
  }
  const std::size_t n = t.size();
  std::size_t piece_start = 0;
  for (;;) {
    const std::size_t at = find_exact(t, delim, piece_start);
    if (at == std::string_view::npos) break;
    pieces.emplace_back(t.substr(piece_start, at - piece_start));
    piece_start = at + delim.size();
    if (max && static_cast<int>(pieces.size()) >= *max) return pieces;
  }
  if (piece_start < n) pieces.emplace_back(t.substr(piece_start));
  return pieces;
}

bool text_equals_ci(std::string_view a, std::string_view b) noexcept {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (lower(a[i]) != lower(b[i])) return false;
  return true;
}

bool text_starts_with_ci(std::string_view t, std::string_view part) noexcept {
  return t.size() >= part.size() && text_equals_ci(t.substr(0, part.size()), part);
}

bool text_ends_with_ci(std::string_view t, std::string_view part) noexcept {
  return t.size() >= part.size() && text_equals_ci(t.substr(t.size() - part.size()), part);
}

int text_to_count(std::string_view t) noexcept {
  const double n = text_to_number(t);
  if (!(n >= 1.0)) return 0;  // NaN included
  if (n >= static_cast<double>(INT_MAX)) return INT_MAX;
  return static_cast<int>(n);
}

double text_to_number(std::string_view t) noexcept {
  // Fold full-width forms into a small buffer; only the leading number matters,
  // so folding stops at the first byte that cannot belong to one.
  std::string folded;
  folded.reserve(std::min<std::size_t>(t.size(), 64));
  for (std::size_t i = 0; i < t.size(); ++i) {
    const auto b = static_cast<unsigned char>(t[i]);
    if (b >= 0x80 && i + 1 < t.size()) {
      const auto x = static_cast<unsigned char>(t[i + 1]);
      ++i;
      if (b == 0xA3 && x >= 0xA1) {
        folded.push_back(static_cast<char>(x - 0x80));
      } else if (b == 0xA1 && x == 0xA1) {
        folded.push_back(' ');
      } else if (b == 0xA1 && x == 0xAB) {
        folded.push_back('~');
      } else if (b == 0xA1 && (x == 0xEE || x == 0xEF)) {
        folded.push_back('*');
      } else {
        break;  // a character that cannot be part of a number ends it
      }
    } else {
      if (b == 0) break;
      folded.push_back(static_cast<char>(b));
    }
  }

  std::size_t p = 0;
  const std::size_t n = folded.size();
  while (p < n && is_space(folded[p])) ++p;
  bool negative = false;
  if (p < n && (folded[p] == '+' || folded[p] == '-')) {
    negative = folded[p] == '-';
    ++p;
  }
  const std::size_t body = p;
  bool digits = false;
  while (p < n && folded[p] >= '0' && folded[p] <= '9') {
    ++p;
    digits = true;
  }
  if (p < n && folded[p] == '.') {
    ++p;
    while (p < n && folded[p] >= '0' && folded[p] <= '9') {
      ++p;
      digits = true;
    }
  }
  if (!digits) return 0.0;
  if (p < n && (folded[p] == 'e' || folded[p] == 'E')) {
    std::size_t q = p + 1;
    if (q < n && (folded[q] == '+' || folded[q] == '-')) ++q;
    if (q < n && folded[q] >= '0' && folded[q] <= '9') {
      while (q < n && folded[q] >= '0' && folded[q] <= '9') ++q;
      p = q;
    }
  }
  double value = 0.0;
  const auto [ptr, ec] = std::from_chars(folded.data() + body, folded.data() + p, value);
  (void)ptr;
  if (ec == std::errc::result_out_of_range) {
    // from_chars leaves the value unchanged on overflow or underflow: an
    // underflow has a negative exponent, an overflow a positive one.
    const std::string_view number(folded.data() + body, p - body);
    const std::size_t e = number.find_first_of("eE");
    value = (e != std::string_view::npos && e + 1 < number.size() && number[e + 1] == '-') ? 0.0 : HUGE_VAL;
  }
  return negative ? -value : value;
}

Text number_to_text(int value) { return std::to_string(value); }

Text number_to_text(double value) {
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 13);
  if (ec != std::errc()) return {};
  return Text(buf, end);
}

Text bytes_to_text(std::string_view bytes) {
  const std::size_t zero = bytes.find('\0');
  return Text(zero == std::string_view::npos ? bytes : bytes.substr(0, zero));
}

Text bytes_to_text(const Bytes& bytes) { return bytes_to_text(std::string_view(bytes.data(), bytes.size())); }

Bytes text_to_bytes(std::string_view t) { return Bytes(t.begin(), t.end()); }

std::string_view trim_space(std::string_view t) noexcept {
  while (!t.empty() && is_space(t.front())) t.remove_prefix(1);
  while (!t.empty() && is_space(t.back())) t.remove_suffix(1);
  return t;
}

int text_compare(std::string_view a, std::string_view b) noexcept {
  const std::size_t k = std::min(a.size(), b.size());
  const int c = k == 0 ? 0 : std::memcmp(a.data(), b.data(), k);
  if (c != 0) return c < 0 ? -1 : 1;
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::string_view extract_between_view(std::string_view t, std::string_view start_marker,
                                      std::string_view end_marker, int start_position) noexcept {
  const int b = text_find(t, start_marker, start_position);
  // s = text_middle(t, b + len(start_marker), L): the rest after the marker,
  // or, when the marker is absent, from byte (len - 1).
  const long long s_start = static_cast<long long>(b) + static_cast<long long>(start_marker.size());
  if (s_start < 1 || s_start > static_cast<long long>(t.size())) return {};
  const std::string_view s = t.substr(static_cast<std::size_t>(s_start - 1));
  const int e = text_find(s, end_marker);
  if (e <= 1) return {};
  return s.substr(0, static_cast<std::size_t>(e - 1));
}

Text extract_between(std::string_view t, std::string_view start_marker, std::string_view end_marker,
                     int start_position) {
  return Text(extract_between_view(t, start_marker, end_marker, start_position));
}

}  // namespace pagloom
