// The stream through which pagloom-xls-reader hands a worksheet to the
// program: a versioned, length-prefixed sequence of frames on the child's
// standard output. The program trusts nothing in it: decode_sheet_stream
// refuses anything that is not exactly a well-formed stream within the
// limits below.
//
//   stream  = magic "PGLMXLS" version:u8 frame* end
//   frame   = 'R' length:u32 record            (one record after the heading row)
//   record  = count:u16 (size:u32 utf8-bytes){count}
//   end     = 'E' length:u32 status:u8 records:u32   (last bytes of the stream)
//
// Integers are little-endian. A record holds its cells up to the last
// non-empty one; the cells left out read as the empty text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pagloom::xls_wire {

inline constexpr std::string_view kMagic = "PGLMXLS";
inline constexpr std::uint8_t kVersion = 1;
inline constexpr char kRecordTag = 'R';
inline constexpr char kEndTag = 'E';

// A BIFF8 sheet holds at most 65,536 rows (one of them the heading) and 256
// columns; a text cell at most 32,767 UTF-16 units, 3 UTF-8 bytes each.
inline constexpr std::uint32_t kMaxRows = 65536;
inline constexpr std::uint32_t kMaxColumns = 256;
inline constexpr std::uint32_t kMaxRecords = kMaxRows - 1;
inline constexpr std::uint32_t kMaxCellBytes = 32767 * 3;
// What the program is ready to hold of one export, far above any real one.
inline constexpr std::uint32_t kMaxCells = 1u << 20;
inline constexpr std::size_t kMaxStreamBytes = 64u << 20;

enum class Status : std::uint8_t { Ok = 0, CannotOpen = 1, NoSuchSheet = 2, Unreadable = 3 };

// Builds a stream frame by frame.
class Encoder final {
 public:
  Encoder();
  void record(const std::vector<std::string>& cells);
  void end(Status status);
  // The bytes encoded since the last take.
  [[nodiscard]] std::string take();
  [[nodiscard]] std::size_t pending() const { return out_.size(); }

 private:
  std::string out_;
  std::uint32_t records_ = 0;
};

struct Sheet {
  Status status = Status::Unreadable;
  std::vector<std::vector<std::string>> records;  // UTF-8 cell texts
};

// The sheet a complete stream describes; nullopt for anything else (a wrong
// magic or version, a frame cut short or running past its length, an
// unknown tag, a count beyond the limits, bytes after the end frame, a record
// count that disagrees with the records sent).
[[nodiscard]] std::optional<Sheet> decode_sheet_stream(std::string_view bytes);

}  // namespace pagloom::xls_wire
