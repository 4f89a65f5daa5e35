// In-memory file system for unit tests. Paths are normalised like the real
// one: "\\" and "/" both separate, doubled separators count as one, and GBK
// bytes are read character by character as the platform's decoder reads them.
#pragma once

#include <map>
#include <set>
#include <string>

#include "platform/file_system.h"

namespace pagloom::testing {

class FakeFileSystem final : public FileSystem {
 public:
  std::map<std::string, Bytes> files;
  std::set<std::string> folders{""};
  std::set<std::string> read_only;  // paths whose write fails
  int writes = 0;

  // How the platform's GBK decoder reads the character at `i`: its length in
  // bytes, and whether it is valid. 0x00-0x7F, 0x80 (the euro sign) and 0xFF
  // are one byte; a lead byte 0x81-0xFE takes a trail byte 0x40-0xFE other
  // than 0x7F. Any other lead byte, a lead byte at the end included, is one
  // invalid character (U+FFFD), and the byte after it is read again.
  struct GbkChar {
    std::size_t length;
    bool valid;
  };
  static GbkChar gbk_char_at(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x81 || b == 0xFF) return {1, true};
    if (i + 1 < s.size()) {
      const auto t = static_cast<unsigned char>(s[i + 1]);
      if (t >= 0x40 && t <= 0xFE && t != 0x7F) return {2, true};
    }
    return {1, false};
  }

  static std::string normalise(const Text& path) {
    std::string out;
    for (std::size_t i = 0; i < path.size(); ++i) {
      char c = path[i];
      if (const GbkChar g = gbk_char_at(path, i); g.length == 2) {
        out.push_back(c);  // a trail byte 0x5C belongs to its character
        out.push_back(path[++i]);
        continue;
      }
      if (c == '\\') c = '/';
      if (c == '/' && !out.empty() && out.back() == '/') continue;
      out.push_back(c);
    }
    if (out.size() > 1 && out.back() == '/') out.pop_back();
    return out;
  }
  static std::string parent(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
  }

  void add_file(const Text& path, std::string_view content) {
    const std::string p = normalise(path);
    for (std::string f = parent(p); !f.empty(); f = parent(f)) folders.insert(f);
    files[p] = Bytes(content.begin(), content.end());
  }
  void add_folder(const Text& path) {
    for (std::string f = normalise(path); !f.empty(); f = parent(f)) folders.insert(f);
  }
  std::string content(const Text& path) const {
    auto it = files.find(normalise(path));
    return it == files.end() ? std::string() : std::string(it->second.begin(), it->second.end());
  }
  bool has_file(const Text& path) const { return files.count(normalise(path)) != 0; }

  std::vector<Text> list(const Text& pattern, EntryKind kind) const override {
    const std::string p = normalise(pattern);
    const std::string dir = parent(p);
    const std::string mask = p.substr(dir.size() + (p.size() > dir.size() ? 1 : 0));
    std::set<Text> names;
    auto consider = [&](const std::string& entry) {
      if (parent(entry) != dir) return;
      const std::string name = entry.substr(dir.size() + 1);
      if (name.empty() || name == "." || name == "..") return;
      if (matches(mask, name)) names.insert(name);
    };
    if (kind == EntryKind::Folders) {
      for (const auto& f : folders)
        if (!f.empty()) consider(f);
    } else {
      for (const auto& [f, _] : files) consider(f);
    }
    return {names.begin(), names.end()};
  }
  bool exists(const Text& path) const override {
    const std::string p = normalise(path);
    return files.count(p) != 0 || folders.count(p) != 0;
  }
  bool is_file(const Text& path) const override { return files.count(normalise(path)) != 0; }
  std::optional<Bytes> read(const Text& path) const override {
    auto it = files.find(normalise(path));
    if (it == files.end()) return std::nullopt;
    return it->second;
  }
  bool write(const Text& path, const Bytes& bytes) override {
    ++writes;
    const std::string p = normalise(path);
    if (path.empty() || read_only.count(p) != 0 || folders.count(parent(p)) == 0 || folders.count(p) != 0)
      return false;
    files[p] = bytes;
    return true;
  }
  bool remove(const Text& path) override { return files.erase(normalise(path)) != 0; }
  bool create_folder(const Text& path) override {
    const std::string p = normalise(path);
    if (exists(p) || folders.count(parent(p)) == 0) return false;
    folders.insert(p);
    return true;
  }
  bool is_safe_name(const Text& name) const override {
    if (name.empty() || name == "." || name == "..") return false;
    for (std::size_t i = 0; i < name.size();) {
      const GbkChar g = gbk_char_at(name, i);
      if (!g.valid) return false;
      const auto b = static_cast<unsigned char>(name[i]);
      if (g.length == 1 && (b == '/' || b == '\\' || b < 0x20 || b == 0x7F)) return false;
      i += g.length;
    }
    return true;
  }

 private:
  // "*.*" matches every name, as on the platform the program came from.
  static bool matches(std::string_view mask, std::string_view name) {
    if (mask == "*.*" || mask == "*") return true;
    if (mask.empty()) return name.empty();
    if (mask[0] == '*') {
      for (std::size_t i = 0; i <= name.size(); ++i)
        if (matches(mask.substr(1), name.substr(i))) return true;
      return false;
    }
    if (name.empty()) return false;
    if (mask[0] == '?' || mask[0] == name[0]) return matches(mask.substr(1), name.substr(1));
    return false;
  }
};

}  // namespace pagloom::testing
