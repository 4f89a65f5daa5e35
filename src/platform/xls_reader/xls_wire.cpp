#include "platform/xls_reader/xls_wire.h"

namespace pagloom::xls_wire {
namespace {

void put_u16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void put_u32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// Reads from the front of a byte range; every read checks what is left.
class Cursor final {
 public:
  explicit Cursor(std::string_view bytes) : rest_(bytes) {}
  [[nodiscard]] bool empty() const { return rest_.empty(); }
  [[nodiscard]] std::size_t left() const { return rest_.size(); }

  bool u8(std::uint8_t& v) {
    if (rest_.empty()) return false;
    v = static_cast<std::uint8_t>(rest_[0]);
    rest_.remove_prefix(1);
    return true;
  }
  bool u16(std::uint16_t& v) {
    if (rest_.size() < 2) return false;
    v = static_cast<std::uint16_t>(byte(0) | byte(1) << 8);
    rest_.remove_prefix(2);
    return true;
  }
  bool u32(std::uint32_t& v) {
    if (rest_.size() < 4) return false;
    v = byte(0) | byte(1) << 8 | byte(2) << 16 | byte(3) << 24;
    rest_.remove_prefix(4);
    return true;
  }
  bool bytes(std::size_t n, std::string_view& v) {
    if (rest_.size() < n) return false;
    v = rest_.substr(0, n);
    rest_.remove_prefix(n);
    return true;
  }

 private:
  [[nodiscard]] std::uint32_t byte(std::size_t i) const { return static_cast<unsigned char>(rest_[i]); }
  std::string_view rest_;
};

bool decode_record(std::string_view payload, std::uint32_t& cells_left, std::vector<std::string>& record) {
  Cursor in(payload);
  std::uint16_t count = 0;
  if (!in.u16(count) || count > kMaxColumns || count > cells_left) return false;
  // Each cell takes at least its 4-byte size: a count the payload cannot
  // hold is refused before anything is allocated for it.
  if (in.left() / 4 < count) return false;
  cells_left -= count;
  record.reserve(count);
  for (std::uint16_t i = 0; i < count; ++i) {
    std::uint32_t size = 0;
    std::string_view text;
    if (!in.u32(size) || size > kMaxCellBytes || !in.bytes(size, text)) return false;
    record.emplace_back(text);
  }
  return in.empty();
}

}  // namespace

Encoder::Encoder() {
  out_.append(kMagic);
  out_.push_back(static_cast<char>(kVersion));
}

void Encoder::record(const std::vector<std::string>& cells) {
  std::size_t used = cells.size();
  while (used > 0 && cells[used - 1].empty()) --used;
  std::size_t length = 2;
  for (std::size_t i = 0; i < used; ++i) length += 4 + cells[i].size();
  out_.push_back(kRecordTag);
  put_u32(out_, static_cast<std::uint32_t>(length));
  put_u16(out_, static_cast<std::uint16_t>(used));
  for (std::size_t i = 0; i < used; ++i) {
    put_u32(out_, static_cast<std::uint32_t>(cells[i].size()));
    out_.append(cells[i]);
  }
  ++records_;
}

void Encoder::end(Status status) {
  out_.push_back(kEndTag);
  put_u32(out_, 5);
  out_.push_back(static_cast<char>(status));
  put_u32(out_, records_);
}

std::string Encoder::take() {
  std::string taken;
  taken.swap(out_);
  return taken;
}

std::optional<Sheet> decode_sheet_stream(std::string_view bytes) {
  if (bytes.size() > kMaxStreamBytes) return std::nullopt;
  Cursor in(bytes);
  std::string_view magic;
  std::uint8_t version = 0;
  if (!in.bytes(kMagic.size(), magic) || magic != kMagic || !in.u8(version) || version != kVersion)
    return std::nullopt;

  Sheet sheet;
  std::uint32_t cells_left = kMaxCells;
  for (;;) {
    std::uint8_t tag = 0;
    std::uint32_t length = 0;
    std::string_view payload;
    if (!in.u8(tag) || !in.u32(length) || !in.bytes(length, payload)) return std::nullopt;
    if (tag == kRecordTag) {
      if (sheet.records.size() >= kMaxRecords) return std::nullopt;
      std::vector<std::string> record;
      if (!decode_record(payload, cells_left, record)) return std::nullopt;
      sheet.records.push_back(std::move(record));
    } else if (tag == kEndTag) {
      Cursor end(payload);
      std::uint8_t status = 0;
      std::uint32_t records = 0;
      if (!end.u8(status) || !end.u32(records) || !end.empty() || !in.empty()) return std::nullopt;
      if (status > static_cast<std::uint8_t>(Status::Unreadable) || records != sheet.records.size())
        return std::nullopt;
      sheet.status = static_cast<Status>(status);
      if (sheet.status != Status::Ok) sheet.records.clear();
      return sheet;
    } else {
      return std::nullopt;
    }
  }
}

}  // namespace pagloom::xls_wire
