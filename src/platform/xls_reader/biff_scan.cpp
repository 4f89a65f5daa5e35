#include "platform/xls_reader/biff_scan.h"

#include <vector>

namespace pagloom::xls_reader {
namespace {

constexpr std::uint32_t kMaxRegularSector = 0xFFFFFFF9;  // ids above are markers
constexpr std::string_view kSignature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

std::uint16_t u16(std::string_view s, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) | static_cast<unsigned char>(s[at + 1])
                                                                            << 8);
}
std::uint32_t u32(std::string_view s, std::size_t at) {
  return static_cast<std::uint32_t>(u16(s, at)) | static_cast<std::uint32_t>(u16(s, at + 2)) << 16;
}

// A compound file (OLE2) held in memory; reads streams by following their
// sector chains, each chain no longer than the table it runs through.
class CompoundFile final {
 public:
  explicit CompoundFile(std::string_view file) : file_(file) {}

  bool open() {
    if (file_.size() < 512 || file_.substr(0, 8) != kSignature) return false;
    const std::uint16_t shift = u16(file_, 30);
    if ((shift != 9 && shift != 12) || u16(file_, 32) != 6) return false;
    sector_size_ = std::size_t{1} << shift;
    sectors_ = (file_.size() - 512 + sector_size_ - 1) / sector_size_;
    if (!read_fat()) return false;
    std::string directory;
    if (!read_chain(fat_, u32(file_, 48), directory, [this](std::uint32_t id) { return sector(id); }))
      return false;
    directory_ = std::move(directory);
    return directory_.size() >= 128;
  }

  // The stream named `name` (ASCII) in the directory.
  bool read_stream(std::string_view name, std::string& out) {
    for (std::size_t at = 0; at + 128 <= directory_.size(); at += 128) {
      const std::string_view entry = std::string_view(directory_).substr(at, 128);
      if (entry[66] != 2 || !name_is(entry, name)) continue;
      const std::uint32_t start = u32(entry, 116);
      const std::uint32_t size = u32(entry, 120);
      if (size > file_.size()) return false;
      if (size >= u32(file_, 56)) {
        if (!read_chain(fat_, start, out, [this](std::uint32_t id) { return sector(id); })) return false;
      } else if (!read_mini(start, out)) {
        return false;
      }
      if (out.size() < size) return false;
      out.resize(size);
      return true;
    }
    return false;
  }

 private:
  // The bytes of regular sector `id`; a short last sector is what the file holds.
  [[nodiscard]] std::string_view sector(std::uint32_t id) const {
    if (id >= sectors_) return {};
    const std::size_t at = 512 + std::size_t{id} * sector_size_;
    return file_.substr(at, sector_size_);
  }

  bool read_fat() {
    std::vector<std::uint32_t> fat_sectors;
    const std::uint32_t count = u32(file_, 44);
    if (count > sectors_) return false;
    for (std::size_t i = 0; i < 109 && fat_sectors.size() < count; ++i)
      fat_sectors.push_back(u32(file_, 76 + 4 * i));
    std::uint32_t difat = u32(file_, 68);
    for (std::size_t steps = 0; fat_sectors.size() < count; ++steps) {
      const std::string_view s = sector(difat);
      if (steps > sectors_ || s.size() < sector_size_) return false;
      for (std::size_t i = 0; i + 4 < sector_size_ && fat_sectors.size() < count; i += 4)
        fat_sectors.push_back(u32(s, i));
      difat = u32(s, sector_size_ - 4);
    }
    for (const std::uint32_t id : fat_sectors) {
      const std::string_view s = sector(id);
      if (s.size() < sector_size_) return false;
      for (std::size_t i = 0; i < sector_size_; i += 4) fat_.push_back(u32(s, i));
    }
    return true;
  }

  template <class SectorOf>
  bool read_chain(const std::vector<std::uint32_t>& table, std::uint32_t id, std::string& out,
                  SectorOf sector_of) const {
    out.clear();
    for (std::size_t steps = 0; id <= kMaxRegularSector; ++steps) {
      if (steps >= table.size() || id >= table.size()) return false;
      const std::string_view s = sector_of(id);
      if (s.empty()) return false;
      out.append(s);
      id = table[id];
    }
    return true;
  }

  bool read_mini(std::uint32_t start, std::string& out) {
    if (mini_fat_.empty()) {
      std::string bytes;
      if (!read_chain(fat_, u32(file_, 60), bytes, [this](std::uint32_t id) { return sector(id); }))
        return false;
      for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) mini_fat_.push_back(u32(bytes, i));
      const std::string_view root = std::string_view(directory_).substr(0, 128);
      if (root[66] != 5 ||
          !read_chain(fat_, u32(root, 116), mini_stream_, [this](std::uint32_t id) { return sector(id); }))
        return false;
    }
    return read_chain(mini_fat_, start, out, [this](std::uint32_t id) {
      const std::size_t at = std::size_t{id} * 64;
      return at < mini_stream_.size() ? std::string_view(mini_stream_).substr(at, 64) : std::string_view();
    });
  }

  static bool name_is(std::string_view entry, std::string_view name) {
    if (u16(entry, 64) != 2 * (name.size() + 1)) return false;
    std::string ascii;
    for (std::size_t i = 0; i < name.size(); ++i) {
      const std::uint16_t c = u16(entry, 2 * i);
      if (c > 0x7F) return false;
      ascii.push_back(static_cast<char>(c));
    }
    return same_ascii_fold(ascii, name);
  }

  std::string_view file_;
  std::size_t sector_size_ = 512;
  std::size_t sectors_ = 0;
  std::vector<std::uint32_t> fat_;
  std::vector<std::uint32_t> mini_fat_;
  std::string directory_;
  std::string mini_stream_;
};

// BIFF records of a stream from `at`: type, then the record's data.
class Records final {
 public:
  Records(std::string_view stream, std::size_t at) : stream_(stream), at_(at) {}
  bool next(std::uint16_t& type, std::string_view& data) {
    if (at_ > stream_.size() || stream_.size() - at_ < 4) return false;
    type = u16(stream_, at_);
    const std::uint16_t length = u16(stream_, at_ + 2);
    if (stream_.size() - at_ - 4 < length) return false;
    data = stream_.substr(at_ + 4, length);
    at_ += 4 + std::size_t{length};
    return true;
  }

 private:
  std::string_view stream_;
  std::size_t at_;
};

constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kBoolErr = 0x0205;

// The sheet name of a BOUNDSHEET record as UTF-8; nullopt when malformed.
std::optional<std::string> sheet_name(std::string_view data) {
  if (data.size() < 8) return std::nullopt;
  const std::size_t chars = static_cast<unsigned char>(data[6]);
  const bool wide = (data[7] & 0x01) != 0;
  if (data.size() - 8 < chars * (wide ? 2 : 1)) return std::nullopt;
  std::string name;
  for (std::size_t i = 0; i < chars; ++i) {
    const std::uint32_t c = wide ? u16(data, 8 + 2 * i) : static_cast<unsigned char>(data[8 + i]);
    // Only the ASCII letters matter to the match; others stand for themselves
    // as a byte that no ASCII name holds.
    name.push_back(c < 0x80 ? static_cast<char>(c) : '\x80');
  }
  return name;
}

}  // namespace

bool same_ascii_fold(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

std::optional<CellTexts> scan_boolean_cells(std::string_view file, std::string_view sheet) {
  CompoundFile compound(file);
  std::string workbook;
  if (!compound.open() ||
      (!compound.read_stream("Workbook", workbook) && !compound.read_stream("Book", workbook)))
    return std::nullopt;

  Records globals(workbook, 0);
  std::uint16_t type = 0;
  std::string_view data;
  if (!globals.next(type, data) || type != kBof || data.size() < 2 || u16(data, 0) != 0x0600)
    return std::nullopt;
  std::optional<std::uint32_t> offset;
  while (!offset && globals.next(type, data) && type != kEof) {
    if (type != kBoundSheet) continue;
    const std::optional<std::string> name = sheet_name(data);
    if (name && same_ascii_fold(*name, sheet)) offset = u32(data, 0);
  }
  if (!offset) return std::nullopt;

  Records cells(workbook, *offset);
  if (!cells.next(type, data) || type != kBof) return std::nullopt;
  CellTexts out;
  while (cells.next(type, data) && type != kEof) {
    if (type != kBoolErr || data.size() < 8) continue;
    const std::uint32_t row = u16(data, 0);
    const std::uint32_t column = u16(data, 2);
    if (column >= 256) continue;
    const bool error = data[7] != 0;
    out[row * 256 + column] = error ? "" : (data[6] != 0 ? "TRUE" : "FALSE");
  }
  return out;
}

}  // namespace pagloom::xls_reader
