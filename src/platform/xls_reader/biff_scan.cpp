#include "platform/xls_reader/biff_scan.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/xls_reader/xls_wire.h"

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
    whole_sectors_ = (file_.size() - 512) % sector_size_ == 0;
    if (!read_fat()) return false;
    std::string directory;
    if (!read_chain(fat_, u32(file_, 48), directory, [this](std::uint32_t id) { return sector(id); }))
      return false;
    directory_ = std::move(directory);
    return directory_.size() >= 128;
  }

  [[nodiscard]] bool whole_sectors() const { return whole_sectors_; }

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
  bool whole_sectors_ = false;
  std::vector<std::uint32_t> fat_;
  std::vector<std::uint32_t> mini_fat_;
  std::string directory_;
  std::string mini_stream_;
};

// No BIFF8 record holds more data than this; a longer one is damage.
constexpr std::uint16_t kMaxRecordData = 8224;

// BIFF records of a stream from `at`: type, then the record's data.
class Records final {
 public:
  Records(std::string_view stream, std::size_t at) : stream_(stream), at_(at) {}
  bool next(std::uint16_t& type, std::string_view& data) {
    if (!peek(type)) return false;
    const std::uint16_t length = u16(stream_, at_ + 2);
    if (length > kMaxRecordData || stream_.size() - at_ - 4 < length) return false;
    data = stream_.substr(at_ + 4, length);
    at_ += 4 + std::size_t{length};
    return true;
  }
  // Where the next record starts.
  [[nodiscard]] std::size_t at() const { return at_; }
  // The type of the next record, which stays next.
  bool peek(std::uint16_t& type) const {
    if (at_ > stream_.size() || stream_.size() - at_ < 4) return false;
    type = u16(stream_, at_);
    return true;
  }

 private:
  std::string_view stream_;
  std::size_t at_;
};

constexpr std::uint16_t kBof = 0x0809;
constexpr std::uint16_t kEof = 0x000A;
constexpr std::uint16_t kBoundSheet = 0x0085;
constexpr std::uint16_t kContinue = 0x003C;
constexpr std::uint16_t kDateMode = 0x0022;
constexpr std::uint16_t kFilePass = 0x002F;
constexpr std::uint16_t kFormat = 0x041E;
constexpr std::uint16_t kXf = 0x00E0;
constexpr std::uint16_t kSst = 0x00FC;
constexpr std::uint16_t kDimensions = 0x0200;
constexpr std::uint16_t kBlank = 0x0201;
constexpr std::uint16_t kNumber = 0x0203;
constexpr std::uint16_t kLabel = 0x0204;
constexpr std::uint16_t kBoolErr = 0x0205;
constexpr std::uint16_t kString = 0x0207;
constexpr std::uint16_t kRk = 0x027E;
constexpr std::uint16_t kMulRk = 0x00BD;
constexpr std::uint16_t kMulBlank = 0x00BE;
constexpr std::uint16_t kLabelSst = 0x00FD;
constexpr std::uint16_t kFormula = 0x0006;
// Records that may stand between a FORMULA and its STRING.
constexpr std::uint16_t kSharedFormula = 0x04BC;
constexpr std::uint16_t kArray = 0x0221;
constexpr std::uint16_t kTable = 0x0236;

// The record types a BIFF8 worksheet substream holds. Another type there
// is damage (a flipped type would otherwise hide a cell).
bool known_sheet_record(std::uint16_t type) {
  static constexpr std::uint16_t kKnown[] = {
      0x0006, 0x000A, 0x000C, 0x000D, 0x000E, 0x000F, 0x0010, 0x0011, 0x0012, 0x0013, 0x0014, 0x0015, 0x0019,
      0x001A, 0x001B, 0x001C, 0x001D, 0x0026, 0x0027, 0x0028, 0x0029, 0x002A, 0x002B, 0x003C, 0x0041, 0x004D,
      0x0051, 0x0055, 0x005D, 0x005F, 0x0060, 0x0063, 0x007D, 0x0080, 0x0081, 0x0082, 0x0083, 0x0084, 0x0090,
      0x0094, 0x0099, 0x009B, 0x009D, 0x009E, 0x00A0, 0x00A1, 0x00AB, 0x00AF, 0x00B0, 0x00B1, 0x00B2, 0x00B4,
      0x00B5, 0x00B6, 0x00BD, 0x00BE, 0x00C5, 0x00C6, 0x00C7, 0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CD, 0x00CE,
      0x00D7, 0x00D8, 0x00DD, 0x00E5, 0x00E9, 0x00EC, 0x00ED, 0x00EF, 0x00F1, 0x00F2, 0x00FD, 0x0100, 0x0103,
      0x0106, 0x0122, 0x013D, 0x015F, 0x0160, 0x01AE, 0x01B0, 0x01B1, 0x01B2, 0x01B6, 0x01B8, 0x01BA, 0x01BE,
      0x0200, 0x0201, 0x0203, 0x0204, 0x0205, 0x0207, 0x0208, 0x020B, 0x0221, 0x0225, 0x0236, 0x023E, 0x027E,
      0x04BC, 0x0800, 0x0801, 0x0802, 0x0803, 0x0804, 0x0805, 0x0806, 0x0807, 0x0808, 0x0809, 0x080A, 0x080B,
      0x0810, 0x0850, 0x0851, 0x0852, 0x0853, 0x0854, 0x0855, 0x0856, 0x0857, 0x0858, 0x0859, 0x085A, 0x0862,
      0x0863, 0x0864, 0x0866, 0x0867, 0x0868, 0x0869, 0x086A, 0x086B, 0x086C, 0x086D, 0x0871, 0x0872, 0x0874,
      0x0875, 0x0876, 0x0877, 0x0878, 0x0879, 0x087A, 0x087B, 0x087C, 0x087D, 0x087E, 0x087F, 0x0880, 0x0881,
      0x0882, 0x0883, 0x0884, 0x0885, 0x0886, 0x0887, 0x0888, 0x0889, 0x088A, 0x088B, 0x088C, 0x088D, 0x088E,
      0x088F, 0x0890, 0x0891, 0x0892, 0x0893, 0x0894, 0x0895, 0x0896, 0x0897, 0x0898, 0x0899, 0x089A, 0x089B,
      0x089C, 0x089D, 0x089E, 0x089F, 0x08A0, 0x08A1, 0x08A2, 0x08A3, 0x08A4, 0x08A5, 0x08A6, 0x08A7, 0x08C8,
      0x08C9, 0x08CA, 0x08CB, 0x08CC, 0x08CD, 0x08CE, 0x08CF};
  return std::binary_search(std::begin(kKnown), std::end(kKnown), type);
}

// The data of a record and of the CONTINUE records after it, read as one
// run. Character data split over a record boundary restarts in the next
// record with a byte giving its width; everything else runs straight on.
class Run final {
 public:
  explicit Run(std::vector<std::string_view> pieces) : pieces_(std::move(pieces)) {}

  bool byte(std::uint8_t& out) {
    if (!settle()) return false;
    out = static_cast<std::uint8_t>(pieces_[piece_][at_++]);
    return true;
  }
  bool u16le(std::uint16_t& out) {
    std::uint8_t lo = 0, hi = 0;
    if (!byte(lo) || !byte(hi)) return false;
    out = static_cast<std::uint16_t>(lo | hi << 8);
    return true;
  }
  bool u32le(std::uint32_t& out) {
    std::uint16_t lo = 0, hi = 0;
    if (!u16le(lo) || !u16le(hi)) return false;
    out = static_cast<std::uint32_t>(lo) | static_cast<std::uint32_t>(hi) << 16;
    return true;
  }
  // Skips `count` bytes (a count from the file: fails past the end).
  bool skip(std::uint64_t count) {
    while (count > 0) {
      if (!settle()) return false;
      const std::size_t n =
          static_cast<std::size_t>(std::min<std::uint64_t>(count, pieces_[piece_].size() - at_));
      at_ += n;
      count -= n;
    }
    return true;
  }
  // True when no byte of the run is left.
  bool at_end() { return !settle(); }

  // `count` characters, one byte each (the first eight bits of UTF-16) or
  // UTF-16LE when `wide`, appended to `out` as UTF-16 units.
  bool characters(std::size_t count, bool wide, std::u16string& out) {
    while (count > 0) {
      if (piece_ >= pieces_.size()) return false;
      if (at_ >= pieces_[piece_].size()) {
        // The characters go on in the next record, after its width byte.
        if (++piece_ >= pieces_.size() || pieces_[piece_].empty()) return false;
        wide = (pieces_[piece_][0] & 0x01) != 0;
        at_ = 1;
        continue;
      }
      const std::string_view p = pieces_[piece_];
      const std::size_t unit = wide ? 2 : 1;
      const std::size_t n = std::min(count, (p.size() - at_) / unit);
      if (n == 0) return false;  // a character cut by the record's end
      for (std::size_t i = 0; i < n; ++i, at_ += unit)
        out.push_back(wide ? u16(p, at_) : static_cast<unsigned char>(p[at_]));
      count -= n;
    }
    return true;
  }

 private:
  // Moves past ended records; false at the end of the run.
  bool settle() {
    while (piece_ < pieces_.size() && at_ >= pieces_[piece_].size()) {
      ++piece_;
      at_ = 0;
    }
    return piece_ < pieces_.size();
  }

  std::vector<std::string_view> pieces_;
  std::size_t piece_ = 0;
  std::size_t at_ = 0;
};

// A record's data with the CONTINUE records that follow it.
Run run_with_continues(std::string_view data, Records& records) {
  std::vector<std::string_view> pieces{data};
  std::uint16_t type = 0;
  std::string_view more;
  while (records.peek(type) && type == kContinue && records.next(type, more)) pieces.push_back(more);
  return Run(std::move(pieces));
}

void append_utf8(std::string& out, std::uint32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | c >> 6));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | c >> 12));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | c >> 18));
    out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// UTF-16 as UTF-8; nullopt for a surrogate without its pair.
std::optional<std::string> utf8(const std::u16string& units) {
  std::string out;
  for (std::size_t i = 0; i < units.size(); ++i) {
    const std::uint32_t c = units[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] < 0xE000) {
      append_utf8(out, 0x10000 + ((c - 0xD800) << 10) + (units[i + 1] - 0xDC00));
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      return std::nullopt;
    } else {
      append_utf8(out, c);
    }
  }
  return out;
}

// A string with a 16-bit character count (XLUnicodeRichExtendedString when
// `rich`, as in the shared-string table; else XLUnicodeString): formatting
// runs and phonetic data are skipped. Invalid UTF-16 fails, as it fails
// FreeXL's conversion.
bool read_string(Run& run, bool rich, std::string& out) {
  std::uint16_t count = 0;
  std::uint8_t flags = 0;
  if (!run.u16le(count) || !run.byte(flags)) return false;
  std::uint16_t runs = 0;
  std::uint32_t phonetic = 0;
  if (rich && (flags & 0x08) != 0 && !run.u16le(runs)) return false;
  if (rich && (flags & 0x04) != 0 && !run.u32le(phonetic)) return false;
  std::u16string units;
  if (!run.characters(count, (flags & 0x01) != 0, units)) return false;
  if (!run.skip(std::uint64_t{runs} * 4) || !run.skip(phonetic)) return false;
  std::optional<std::string> text = utf8(units);
  if (!text) return false;
  out = std::move(*text);
  return true;
}

// The shared strings; nullopt unless the table holds exactly as many as it
// claims and ends with the last (a shifted length shows as either). The
// count bounds nothing here: each string takes bytes of the file.
std::optional<std::vector<std::string>> shared_strings(Run run) {
  std::vector<std::string> strings;
  std::uint32_t total = 0, unique = 0;
  if (!run.u32le(total) || !run.u32le(unique)) return std::nullopt;
  std::string s;
  while (strings.size() < unique) {
    if (!read_string(run, true, s)) return std::nullopt;
    strings.push_back(std::move(s));
  }
  if (!run.at_end()) return std::nullopt;
  return strings;
}

// The shape of numbers in the format `code`: from its first section, the
// letters outside quoted text, [..] and escapes. A month or minute "m"
// alone counts as a date.
NumberShape shape_of_code(std::string_view code) {
  bool date = false, time = false, month = false;
  for (std::size_t i = 0; i < code.size(); ++i) {
    const char c = code[i];
    if (c == ';') break;
    if (c == '"') {
      const std::size_t end = code.find('"', i + 1);
      if (end == std::string_view::npos) break;
      i = end;
    } else if (c == '[') {
      const std::size_t end = code.find(']', i + 1);
      if (end == std::string_view::npos) break;
      // [h], [mm], [ss]: elapsed time.
      const std::string_view inner = code.substr(i + 1, end - i - 1);
      if (!inner.empty() && (inner[0] == 'h' || inner[0] == 'H' || inner[0] == 'm' || inner[0] == 'M' ||
                             inner[0] == 's' || inner[0] == 'S'))
        time = true;
      i = end;
    } else if (c == '\\' || c == '_' || c == '*') {
      ++i;
    } else if (c == 'y' || c == 'Y' || c == 'd' || c == 'D') {
      date = true;
    } else if (c == 'h' || c == 'H' || c == 's' || c == 'S') {
      time = true;
    } else if (c == 'm' || c == 'M') {
      month = true;
    } else if ((c == 'e' || c == 'E') && i + 1 < code.size() && (code[i + 1] == '+' || code[i + 1] == '-')) {
      return NumberShape::Plain;  // scientific
    }
  }
  if (date && time) return NumberShape::DateTime;
  if (date || (month && !time)) return NumberShape::Date;
  if (time) return NumberShape::Time;
  return NumberShape::Plain;
}

// The shape of the number formats built in under `id`.
NumberShape shape_of_builtin(std::uint16_t id) {
  if ((id >= 14 && id <= 17)) return NumberShape::Date;
  if ((id >= 18 && id <= 21) || (id >= 45 && id <= 47)) return NumberShape::Time;
  if (id == 22) return NumberShape::DateTime;
  return NumberShape::Plain;
}

// The number of an RK value.
double rk_number(std::uint32_t rk) {
  double value = 0;
  if ((rk & 0x02) != 0) {
    value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
  } else {
    const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFC) << 32;
    std::memcpy(&value, &bits, sizeof value);
  }
  return (rk & 0x01) != 0 ? value / 100 : value;
}

double f64(std::string_view s, std::size_t at) {
  const std::uint64_t bits =
      static_cast<std::uint64_t>(u32(s, at)) | static_cast<std::uint64_t>(u32(s, at + 4)) << 32;
  double value = 0;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

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

// What the workbook globals hold for the sheet's cells.
struct Globals {
  std::optional<std::uint32_t> sheet_offset;
  std::vector<std::string> strings;
  std::unordered_map<std::uint16_t, NumberShape> formats;  // custom formats by id
  std::vector<std::uint16_t> xf_formats;                   // format id by XF index
  bool from_1904 = false;
};

std::optional<Globals> read_globals(std::string_view workbook, std::string_view sheet) {
  Records records(workbook, 0);
  std::uint16_t type = 0;
  std::string_view data;
  if (!records.next(type, data) || type != kBof || data.size() < 2 || u16(data, 0) != 0x0600)
    return std::nullopt;
  Globals g;
  bool ended = false;
  while (records.next(type, data)) {
    if (type == kEof) {
      ended = true;
      break;
    }
    switch (type) {
      case kFilePass:  // encrypted: the records after it are not readable as they stand
        return std::nullopt;
      case kBoundSheet:
        if (!g.sheet_offset && data.size() >= 4) {
          const std::optional<std::string> name = sheet_name(data);
          if (name && same_ascii_fold(*name, sheet)) g.sheet_offset = u32(data, 0);
        }
        break;
      case kSst: {
        std::optional<std::vector<std::string>> strings = shared_strings(run_with_continues(data, records));
        if (!strings) return std::nullopt;
        g.strings = std::move(*strings);
        break;
      }
      case kDateMode:
        g.from_1904 = data.size() >= 2 && u16(data, 0) == 1;
        break;
      case kFormat: {
        if (data.size() < 2) break;
        Run run = run_with_continues(data.substr(2), records);
        std::string code;
        if (read_string(run, false, code)) g.formats[u16(data, 0)] = shape_of_code(code);
        break;
      }
      case kXf:
        if (data.size() >= 4) g.xf_formats.push_back(u16(data, 2));
        break;
      default:
        break;
    }
  }
  if (!ended) return std::nullopt;
  return g;
}

NumberShape shape_of_xf(const Globals& g, std::uint16_t xf) {
  if (xf >= g.xf_formats.size()) return NumberShape::Plain;
  const std::uint16_t id = g.xf_formats[xf];
  if (const auto found = g.formats.find(id); found != g.formats.end()) return found->second;
  return shape_of_builtin(id);
}

// Reads a sheet's cell records into `out`, within the cell and text limits.
class CellReader final {
 public:
  CellReader(const Globals& globals, ScannedSheet& out) : g_(globals), out_(out) {}

  // False for a malformed cell record or a limit reached.
  bool take(std::uint16_t type, std::string_view data, Records& records) {
    // The STRING record with a formula's text result comes next but for
    // the formula's shared or array parts.
    if (type != kString && type != kSharedFormula && type != kArray && type != kTable && type != kContinue)
      pending_text_.reset();
    switch (type) {
      case kDimensions:
        if (data.size() < 14) return false;
        first_row_ = u32(data, 0);
        out_.rows = u32(data, 4);
        first_column_ = u16(data, 8);
        out_.columns = u16(data, 10);
        dimensions_ = true;
        return true;
      case kLabelSst: {
        if (data.size() < 10) return false;
        const std::uint32_t index = u32(data, 6);
        if (index >= g_.strings.size()) return false;
        return put_text(data, CellKind::Text, g_.strings[index]);
      }
      case kLabel: {
        if (data.size() < 6) return false;
        Run run = run_with_continues(data.substr(6), records);
        std::string text;
        return read_string(run, false, text) && put_text(data, CellKind::Text, text);
      }
      case kNumber:
        return data.size() >= 14 && put_number(u16(data, 0), u16(data, 2), u16(data, 4), f64(data, 6));
      case kRk:
        return data.size() >= 10 &&
               put_number(u16(data, 0), u16(data, 2), u16(data, 4), rk_number(u32(data, 6)));
      case kMulRk: {
        if (data.size() < 6 || (data.size() - 6) % 6 != 0) return false;
        const std::size_t count = (data.size() - 6) / 6;
        const std::uint16_t first = u16(data, 2);
        if (u16(data, data.size() - 2) + std::size_t{1} != first + count) return false;
        for (std::size_t i = 0; i < count; ++i) {
          const std::size_t at = 4 + 6 * i;
          if (!put_number(u16(data, 0), first + i, u16(data, at), rk_number(u32(data, at + 2)))) return false;
        }
        return true;
      }
      case kBoolErr: {
        if (data.size() < 8) return false;
        const bool error = data[7] != 0;
        return put_text(data, error ? CellKind::Error : CellKind::Boolean,
                        error ? "" : (data[6] != 0 ? "TRUE" : "FALSE"));
      }
      case kBlank:
        return data.size() >= 6;
      case kMulBlank:
        return data.size() >= 6 && data.size() % 2 == 0;
      case kFormula:
        return formula(data);
      case kString: {
        if (!pending_text_) return true;  // no formula waits for it
        const std::uint32_t key = *pending_text_;
        pending_text_.reset();
        Run run = run_with_continues(data, records);
        std::string text;
        if (!read_string(run, false, text)) return false;
        return put(key, ScannedCell{CellKind::Formula, false, NumberShape::Plain, 0, std::move(text)},
                   key % 256);
      }
      default:
        return true;
    }
  }

  [[nodiscard]] bool saw_dimensions() const { return dimensions_; }
  [[nodiscard]] bool cells_within_dimensions() const {
    if (beyond_format_) return false;
    return !any_cell_ || (first_row_ <= min_row_ && max_row_ < out_.rows && first_column_ <= min_column_ &&
                          max_column_ < out_.columns);
  }

 private:
  bool formula(std::string_view data) {
    if (data.size() < 20) return false;
    const std::uint32_t row = u16(data, 0);
    const std::uint32_t column = u16(data, 2);
    if (u16(data, 12) != 0xFFFF) {
      ScannedCell cell{CellKind::Formula, true, shape_of_xf(g_, u16(data, 4)), f64(data, 6), {}};
      return put(row * 256 + column, std::move(cell), column);
    }
    switch (static_cast<unsigned char>(data[6])) {
      case 0:                                                     // text, in the STRING record that follows
        if (column >= 256) return put(0, ScannedCell{}, column);  // beyond the format
        pending_text_ = row * 256 + column;
        return true;
      case 1:
        return put(
            row * 256 + column,
            ScannedCell{CellKind::Formula, false, NumberShape::Plain, 0, data[8] != 0 ? "TRUE" : "FALSE"},
            column);
      default:  // an error value (2), the empty text (3)
        return put(row * 256 + column, ScannedCell{CellKind::Formula, false, NumberShape::Plain, 0, {}},
                   column);
    }
  }

  bool put_text(std::string_view data, CellKind kind, std::string text) {
    const std::uint32_t column = u16(data, 2);
    return put(u16(data, 0) * std::uint32_t{256} + column,
               ScannedCell{kind, false, NumberShape::Plain, 0, std::move(text)}, column);
  }
  bool put_number(std::uint32_t row, std::size_t column, std::uint16_t xf, double value) {
    return put(row * 256 + static_cast<std::uint32_t>(column),
               ScannedCell{CellKind::Number, true, shape_of_xf(g_, xf), value, {}}, column);
  }
  // A cell beyond the format's 256 columns is no cell of the sheet: it
  // counts as one beyond the DIMENSIONS record.
  bool put(std::uint32_t key, ScannedCell cell, std::size_t column) {
    if (column >= xls_wire::kMaxColumns) {
      beyond_format_ = true;
      return true;
    }
    const std::uint32_t row = key / 256;
    min_row_ = any_cell_ ? std::min(min_row_, row) : row;
    max_row_ = any_cell_ ? std::max(max_row_, row) : row;
    min_column_ = any_cell_ ? std::min(min_column_, column) : column;
    max_column_ = any_cell_ ? std::max(max_column_, column) : column;
    any_cell_ = true;
    text_bytes_ += cell.text.size();
    if (text_bytes_ > xls_wire::kMaxStreamBytes) return false;
    out_.cells[key] = std::move(cell);
    return out_.cells.size() <= xls_wire::kMaxCells;
  }

  const Globals& g_;
  ScannedSheet& out_;
  std::optional<std::uint32_t> pending_text_;
  std::size_t text_bytes_ = 0;
  bool dimensions_ = false;
  std::uint32_t first_row_ = 0;
  std::size_t first_column_ = 0;
  bool any_cell_ = false;
  bool beyond_format_ = false;
  std::uint32_t min_row_ = 0, max_row_ = 0;
  std::size_t min_column_ = 0, max_column_ = 0;
};

}  // namespace

bool same_ascii_fold(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

std::optional<ScannedSheet> scan_sheet(std::string_view file, std::string_view sheet) {
  CompoundFile compound(file);
  std::string workbook;
  if (!compound.open() ||
      (!compound.read_stream("Workbook", workbook) && !compound.read_stream("Book", workbook)))
    return std::nullopt;
  const std::optional<Globals> globals = read_globals(workbook, sheet);
  if (!globals) return std::nullopt;

  ScannedSheet out;
  out.whole_sectors = compound.whole_sectors();
  if (!globals->sheet_offset) return out;
  out.has_sheet = true;
  out.from_1904 = globals->from_1904;
  Records records(workbook, *globals->sheet_offset);
  std::uint16_t type = 0;
  std::string_view data;
  if (!records.next(type, data) || type != kBof) return std::nullopt;
  CellReader reader(*globals, out);
  while (records.next(type, data)) {
    if (type == kEof) {
      // The substream ends here: what follows is the next one's BOF, the
      // stream's end or its zero padding, unless the walk went astray.
      std::string_view rest = std::string_view(workbook).substr(records.at());
      const bool next_bof = rest.size() >= 2 && u16(rest, 0) == kBof;
      if (!next_bof && rest.find_first_not_of('\0') != std::string_view::npos) return std::nullopt;
      if (!reader.saw_dimensions()) return std::nullopt;
      out.cells_within_dimensions = reader.cells_within_dimensions();
      return out;
    }
    if (!reader.take(type, data, records)) return std::nullopt;
    if (!known_sheet_record(type)) out.known_records_only = false;
  }
  return std::nullopt;  // the sheet's records end without EOF
}

}  // namespace pagloom::xls_reader
