// The file system as the program's logic sees it. Paths are GBK texts built
// by plain concatenation; both "\\" and "/" separate folders and a doubled
// separator counts as one, so every path of a template reaches the same folder.
#pragma once

#include <optional>
#include <vector>

#include "text/text.h"

namespace pagloom {

enum class EntryKind { Folders, Files };

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Bare names of the entries matching `pattern` (a path whose last part may
  // hold the wildcards * and ?) of the given kind, sorted by bytes, without
  // "." and "..". Empty when the folder is missing.
  [[nodiscard]] virtual std::vector<Text> list(const Text& pattern, EntryKind kind) const = 0;

  // True when any entry, file or folder, is at `path`.
  [[nodiscard]] virtual bool exists(const Text& path) const = 0;
  [[nodiscard]] virtual bool is_file(const Text& path) const = 0;

  // The whole file; nullopt when it cannot be read (missing, a folder, ...).
  [[nodiscard]] virtual std::optional<Bytes> read(const Text& path) const = 0;

  // Replaces the file's content with the bytes, atomically: they go to a
  // temporary file in the same folder that takes the file's place only once
  // complete, so a failed write (a full disk, say) leaves the old file as it
  // was and no partial file. False for an empty path or a failed write.
  // Never creates a folder.
  virtual bool write(const Text& path, const Bytes& bytes) = 0;

  virtual bool remove(const Text& path) = 0;

  // Creates one folder whose parent must exist.
  virtual bool create_folder(const Text& path) = 0;

  // True when `name`, as the file system will see it once decoded from GBK,
  // is exactly one path component: not empty, not "." or "..", no "/" or
  // "\", no control character, and every byte part of a valid character. A
  // byte the decoder cannot read, or a lead byte at the end (which would take
  // the next separator as its trail byte), makes the name unsafe.
  [[nodiscard]] virtual bool is_safe_name(const Text& name) const = 0;
};

}  // namespace pagloom
