// Product links as users bring them: the item id inside a link, the link
// inside a share text, password tokens, and the link file read and written.
// Pure functions over GBK texts.
#pragma once

#include <string_view>
#include <vector>

#include "text/text.h"

namespace pagloom {

// The item id of a product link, white space around it ignored; digits only,
// empty when the link holds none. In this order:
// - an all-digit text is its own id;
// - "&amp;" reads as "&"; a link that is percent-encoded as a whole is
//   decoded once;
// - a link nested percent-encoded in a parameter (redirect and share
//   wrappers) is read first;
// - the first parameter named exactly id, itemId, item_id or num_iid after
//   the first "?" or "#" (parameters end at "&", "?" and "#", so hash routes
//   such as "#/detail?id=1" count), percent-decoded once, when it is digits;
// - path endings /i<digits>.htm, /item/<digits>.htm, /detail/<digits>.htm
//   (".html" too) on any host, and /<digits>.htm on marketplace hosts.
[[nodiscard]] Text item_id_of(std::string_view link);

// The first "http://" or "https://" address inside a text (scheme in any
// letter case), up to white space, a quote, "<", ">" or a non-ASCII
// character; empty when there is none.
[[nodiscard]] std::string_view first_web_address(std::string_view text);

// The link a text stands for: its first web address, or the whole text
// without the white space around it when it holds none.
[[nodiscard]] std::string_view link_in_text(std::string_view text);

// True for a text without a web address that holds a password token: a run
// of ASCII letters and digits between a pair of the token marks (the yuan
// sign, the euro sign, parentheses, full-width parentheses, or "?", which is
// what a lira sign becomes in GBK).
[[nodiscard]] bool is_password_token(std::string_view text);

// The id of the first address in a page from which item_id_of reads one;
// empty when there is none.
[[nodiscard]] Text item_id_in_page(std::string_view page);

// True when bytes are valid UTF-8 holding at least one multi-byte sequence
// (so plain ASCII is not UTF-8 here: it reads the same as GBK).
[[nodiscard]] bool is_multibyte_utf8(std::string_view bytes) noexcept;

// One row of a link file: the product link (or affiliate link) and its title.
struct LinkRow {
  Text link;
  Text title;
  friend bool operator==(const LinkRow&, const LinkRow&) = default;
};

// What a link file gave: its rows, and the pieces of a separator-format file
// that held no link.
struct LinkFileRows {
  std::vector<LinkRow> rows;
  int items_without_link = 0;
};

// Reads the text of a link file. A text holding the link separator is read
// in the separator format (every "\r\n" removed first, items split at the
// item separator, title before link); any other text as a list of lines,
// where every line holding a web address gives one row: the address as the
// link, the rest of the line, trimmed, as the title.
[[nodiscard]] LinkFileRows parse_link_file(std::string_view text);

// The separator format of `rows`, one item per line, that parse_link_file
// reads back exactly. A cell that the format cannot hold (separator text
// inside it) is written with that text broken up; `broken_cells` counts them.
[[nodiscard]] Text write_link_file(const std::vector<LinkRow>& rows, int& broken_cells);

}  // namespace pagloom
