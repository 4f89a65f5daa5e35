#include "conversion/item_links.h"

#include <array>

namespace pagloom {
namespace {

// Every byte this file searches for ('?', '&', '#', '=', '%', '/', '.', ':',
// digits) is below 0x40 and so never the trail byte of a GBK character:
// byte-wise searches cannot start inside a character.

constexpr std::string_view kItemSeparator = "------商品分隔符------";
constexpr std::string_view kLinkSeparator = "------链接分隔符------";

// A wrapper inside a wrapper inside ... is unwrapped this deep at most.
constexpr int kMaxNesting = 4;

constexpr std::array<std::string_view, 4> kIdNames = {"id", "itemId", "item_id", "num_iid"};

// Hosts on which a bare /<digits>.htm path is an item page: the domain itself
// and every host below it.
constexpr std::array<std::string_view, 3> kMarketplaceDomains = {"taobao.com", "tmall.com", "tmall.hk"};

bool is_digit(char c) { return c >= '0' && c <= '9'; }

bool all_digits(std::string_view s) {
  if (s.empty()) return false;
  for (const char c : s)
    if (!is_digit(c)) return false;
  return true;
}

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = lower(c);
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Percent-decoded once; a "%" that begins no escape stays as it is.
Text percent_decoded(std::string_view s) {
  Text out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      const int hi = hex_value(s[i + 1]);
      const int lo = hex_value(s[i + 2]);
      if (hi >= 0 && lo >= 0) {
        out += static_cast<char>(hi * 16 + lo);
        i += 2;
        continue;
      }
    }
    out += s[i];
  }
  return out;
}

// A byte that ends an address found inside a text.
bool ends_address(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b <= 0x20 || b >= 0x7F || c == '"' || c == '\'' || c == '<' || c == '>' || c == '`';
}

// Position of the first "http://" or "https://", npos when none.
std::size_t web_address_start(std::string_view text) {
  for (std::size_t at = 0; at + 7 <= text.size(); ++at) {
    if (lower(text[at]) != 'h') continue;
    const std::string_view rest = text.substr(at);
    if (text_starts_with_ci(rest, "http://") || text_starts_with_ci(rest, "https://")) return at;
  }
  return std::string_view::npos;
}

bool on_marketplace_host(std::string_view host) {
  host = host.substr(0, host.find(':'));
  for (const std::string_view domain : kMarketplaceDomains) {
    if (text_equals_ci(host, domain)) return true;
    if (host.size() > domain.size() && text_ends_with_ci(host, domain) &&
        host[host.size() - domain.size() - 1] == '.')
      return true;
  }
  return false;
}

// The id in the last path segment: /i<digits>.htm, /item/<digits>.htm,
// /detail/<digits>.htm, or /<digits>.htm on a marketplace host.
Text id_in_path(std::string_view address) {
  address = address.substr(0, address.find_first_of("?#"));
  std::string_view host;
  if (const std::size_t scheme = address.find("://"); scheme != std::string_view::npos) {
    address.remove_prefix(scheme + 3);
    const std::size_t slash = address.find('/');
    host = address.substr(0, slash);
    address = slash == std::string_view::npos ? std::string_view() : address.substr(slash);
  }
  const std::size_t last = address.rfind('/');
  if (last == std::string_view::npos) return {};
  std::string_view segment = address.substr(last + 1);
  if (text_ends_with_ci(segment, ".html")) {
    segment.remove_suffix(5);
  } else if (text_ends_with_ci(segment, ".htm")) {
    segment.remove_suffix(4);
  } else {
    return {};
  }
  if (segment.size() > 1 && (segment[0] == 'i' || segment[0] == 'I') && all_digits(segment.substr(1)))
    return Text(segment.substr(1));
  if (!all_digits(segment)) return {};
  const std::string_view before = address.substr(0, last);
  const std::string_view parent = before.substr(before.rfind('/') + 1);
  if (text_equals_ci(parent, "item") || text_equals_ci(parent, "detail") || on_marketplace_host(host))
    return Text(segment);
  return {};
}

Text id_of(std::string_view link, int depth) {
  Text s = text_replace(trim_space(link), "&amp;", "&");
  if (all_digits(s)) return s;
  if (text_starts_with_ci(s, "http%3a") || text_starts_with_ci(s, "https%3a")) s = percent_decoded(s);

  std::vector<std::string_view> parameters;
  const std::string_view view = s;
  if (const std::size_t q = view.find_first_of("?#"); q != std::string_view::npos) {
    std::string_view rest = view.substr(q + 1);
    while (true) {
      const std::size_t end = rest.find_first_of("&?#");
      parameters.push_back(rest.substr(0, end));
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
    }
  }

  // Wrappers first: the link they carry is the product's.
  if (depth < kMaxNesting) {
    for (const std::string_view parameter : parameters) {
      const std::size_t eq = parameter.find('=');
      if (eq == std::string_view::npos) continue;
      const Text value = percent_decoded(parameter.substr(eq + 1));
      const std::string_view nested = first_web_address(value);
      if (nested.empty()) continue;
      Text id = id_of(nested, depth + 1);
      if (!id.empty()) return id;
    }
  }

  for (const std::string_view parameter : parameters) {
    const std::size_t eq = parameter.find('=');
    if (eq == std::string_view::npos) continue;
    const std::string_view name = parameter.substr(0, eq);
    bool named = false;
    for (const std::string_view id_name : kIdNames) named = named || name == id_name;
    if (!named) continue;
    Text value = percent_decoded(parameter.substr(eq + 1));
    if (all_digits(value)) return value;
  }

  return id_in_path(view);
}

bool is_token_char(char c) { return is_digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The length of the token mark at `at` when one starts there (0 otherwise),
// and whether it opens a parenthesis.
struct Mark {
  std::size_t length = 0;
  int kind = 0;  // marks of one kind pair with each other
};

Mark mark_at(std::string_view s, std::size_t at) {
  const std::string_view rest = s.substr(at);
  if (rest.substr(0, 2) == "￥") return {2, 1};
  if (rest.substr(0, 2) == "（" || rest.substr(0, 2) == "）") return {2, 2};
  if (rest.front() == '(' || rest.front() == ')') return {1, 2};
  if (rest.front() == '\x80') return {1, 3};  // the euro sign
  if (rest.front() == '?') return {1, 4};
  return {};
}

// The separator format: every "\r\n" removed, items at the item separator,
// title before link.
LinkFileRows parse_separator_format(std::string_view text) {
  LinkFileRows out;
  const Text joined = text_replace(text, "\r\n", {});
  for (const Text& item : text_split(joined, kItemSeparator)) {
    const std::vector<Text> parts = text_split(item, kLinkSeparator);
    if (parts.size() < 2 || parts[1].empty()) {
      // Blank pieces (a separator at the start, two in a row, a stray line
      // feed at the end) are not items the user wrote.
      if (!trim_space(item).empty()) ++out.items_without_link;
      continue;
    }
    out.rows.push_back({parts[1], parts[0]});
  }
  return out;
}

// One row per line that holds a web address.
LinkFileRows parse_lines(std::string_view text) {
  LinkFileRows out;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const std::string_view address = first_web_address(line);
    if (address.empty()) {
      if (!trim_space(line).empty()) ++out.items_without_link;
      continue;
    }
    const auto start = static_cast<std::size_t>(address.data() - line.data());
    const std::string_view before = trim_space(line.substr(0, start));
    const std::string_view after = trim_space(line.substr(start + address.size()));
    Text title(before);
    if (!before.empty() && !after.empty()) title += ' ';
    title += after;
    out.rows.push_back({Text(address), std::move(title)});
  }
  return out;
}

// A cell as the separator format keeps it: the reader removes every "\r\n",
// so each one is written as "\r\r\n\n", which that removal turns back into
// "\r\n" (no other "\r\n" pair can form around it).
Text escaped_cell(std::string_view cell) { return text_replace(cell, "\r\n", "\r\r\n\n"); }

Text item_text(std::string_view title, std::string_view link) {
  return text_concat(escaped_cell(title), kLinkSeparator, escaped_cell(link), kItemSeparator, "\r\n");
}

// The cell with the names of both separators broken by a space, so that no
// separator can form with its bytes; true when it changed.
bool break_separators(Text& cell) {
  Text broken = text_replace(cell, "链接分隔符", "链接 分隔符");
  broken = text_replace(broken, "商品分隔符", "商品 分隔符");
  if (broken == cell) return false;
  cell = std::move(broken);
  return true;
}

}  // namespace

Text item_id_of(std::string_view link) { return id_of(link, 0); }

std::string_view first_web_address(std::string_view text) {
  const std::size_t start = web_address_start(text);
  if (start == std::string_view::npos) return {};
  std::size_t end = start;
  while (end < text.size() && !ends_address(text[end])) ++end;
  return text.substr(start, end - start);
}

std::string_view link_in_text(std::string_view text) {
  const std::string_view address = first_web_address(text);
  return address.empty() ? trim_space(text) : address;
}

bool is_password_token(std::string_view text) {
  if (web_address_start(text) != std::string_view::npos) return false;
  for (std::size_t at = 0; at < text.size();) {
    const Mark open = mark_at(text, at);
    if (open.length == 0) {
      at += static_cast<unsigned char>(text[at]) >= 0x81 ? 2 : 1;
      continue;
    }
    std::size_t end = at + open.length;
    while (end < text.size() && is_token_char(text[end])) ++end;
    if (end - (at + open.length) >= 4 && end < text.size() && mark_at(text, end).kind == open.kind)
      return true;
    at += open.length;
  }
  return false;
}

Text item_id_in_page(std::string_view page) {
  while (true) {
    const std::string_view address = first_web_address(page);
    if (address.empty()) return {};
    Text id = item_id_of(address);
    if (!id.empty()) return id;
    page.remove_prefix(static_cast<std::size_t>(address.data() - page.data()) + address.size());
  }
}

bool is_multibyte_utf8(std::string_view bytes) noexcept {
  bool multibyte = false;
  for (std::size_t i = 0; i < bytes.size();) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80) {
      ++i;
      continue;
    }
    std::size_t length = 0;
    unsigned char min_second = 0x80, max_second = 0xBF;
    if (b >= 0xC2 && b <= 0xDF) {
      length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
      length = 3;
      if (b == 0xE0) min_second = 0xA0;  // no overlong forms
      if (b == 0xED) max_second = 0x9F;  // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
      length = 4;
      if (b == 0xF0) min_second = 0x90;
      if (b == 0xF4) max_second = 0x8F;
    } else {
      return false;
    }
    if (i + length > bytes.size()) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto c = static_cast<unsigned char>(bytes[i + k]);
      const unsigned char lo = k == 1 ? min_second : 0x80;
      const unsigned char hi = k == 1 ? max_second : 0xBF;
      if (c < lo || c > hi) return false;
    }
    multibyte = true;
    i += length;
  }
  return multibyte;
}

LinkFileRows parse_link_file(std::string_view text) {
  if (text.find(kLinkSeparator) != std::string_view::npos) return parse_separator_format(text);
  return parse_lines(text);
}

Text write_link_file(const std::vector<LinkRow>& rows, int& broken_cells) {
  broken_cells = 0;
  Text out;
  for (const LinkRow& row : rows) {
    Text item = item_text(row.title, row.link);
    const LinkFileRows back = parse_separator_format(item);
    if (back.rows.size() != 1 || back.rows.front() != row) {
      Text title = row.title;
      Text link = row.link;
      if (break_separators(title)) ++broken_cells;
      if (break_separators(link)) ++broken_cells;
      item = item_text(title, link);
    }
    out += item;
  }
  return out;
}

}  // namespace pagloom
