// The file system behind the FileSystem interface: GBK paths become the
// file system's UTF-8 names, "\\" becomes "/", doubled separators collapse.
#pragma once

#include <QString>

#include "platform/file_system.h"

namespace pagloom {

class QtFileSystem final : public FileSystem {
 public:
  [[nodiscard]] static QString native_path(const Text& path);

  std::vector<Text> list(const Text& pattern, EntryKind kind) const override;
  bool exists(const Text& path) const override;
  bool is_file(const Text& path) const override;
  std::optional<Bytes> read(const Text& path) const override;
  bool write(const Text& path, const Bytes& bytes) override;
  bool remove(const Text& path) override;
  bool create_folder(const Text& path) override;
  bool is_safe_name(const Text& name) const override;
};

}  // namespace pagloom
