#include "platform/qt/qt_file_system.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>

#include "platform/qt/gbk.h"

namespace pagloom {

QString QtFileSystem::native_path(const Text& path) {
  // Decode first: a GBK trail byte 0x5C is part of its character, not a
  // separator.
  QString p = from_gbk(path);
  p.replace(QLatin1Char('\\'), QLatin1Char('/'));
  QString out;
  out.reserve(p.size());
  for (const QChar c : p) {
    if (c == QLatin1Char('/') && !out.isEmpty() && out.back() == QLatin1Char('/')) continue;
    out.append(c);
  }
  return out;
}

std::vector<Text> QtFileSystem::list(const Text& pattern, EntryKind kind) const {
  const QString p = native_path(pattern);
  const qsizetype slash = p.lastIndexOf(QLatin1Char('/'));
  const QString folder = slash < 0 ? QStringLiteral(".") : (slash == 0 ? QStringLiteral("/") : p.left(slash));
  QString mask = slash < 0 ? p : p.mid(slash + 1);
  if (mask == QLatin1String("*.*")) mask = QStringLiteral("*");  // every name, with or without a full stop
  QDir dir(folder);
  const QDir::Filters filters = (kind == EntryKind::Folders ? QDir::Dirs : QDir::Files) | QDir::Hidden |
                                QDir::System | QDir::NoDotAndDotDot;
  std::vector<Text> names;
  for (const QString& name : dir.entryList({mask}, filters, QDir::NoSort)) {
    if (auto gbk = to_gbk_exact(name)) names.push_back(std::move(*gbk));
  }
  std::sort(names.begin(), names.end(), [](const Text& a, const Text& b) { return text_compare(a, b) < 0; });
  return names;
}

bool QtFileSystem::exists(const Text& path) const {
  if (path.empty()) return false;
  return QFileInfo::exists(native_path(path));
}

bool QtFileSystem::is_file(const Text& path) const {
  if (path.empty()) return false;
  return QFileInfo(native_path(path)).isFile();
}

std::optional<Bytes> QtFileSystem::read(const Text& path) const {
  if (path.empty()) return std::nullopt;
  QFile file(native_path(path));
  if (!QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) return std::nullopt;
  const QByteArray data = file.readAll();
  if (file.error() != QFileDevice::NoError) return std::nullopt;
  return Bytes(data.begin(), data.end());
}

bool QtFileSystem::write(const Text& path, const Bytes& bytes) {
  if (path.empty()) return false;
  // The bytes go to a temporary file beside the target, renamed over it by
  // commit() only when every byte was written and flushed; on any failure the
  // temporary file is discarded (at the latest by the destructor).
  QSaveFile file(native_path(path));
  if (!file.open(QIODevice::WriteOnly)) return false;
  const qint64 size = static_cast<qint64>(bytes.size());
  if (file.write(bytes.data(), size) != size) return false;
  return file.commit();
}

bool QtFileSystem::remove(const Text& path) {
  if (path.empty()) return false;
  return QFile::remove(native_path(path));
}

bool QtFileSystem::create_folder(const Text& path) {
  if (path.empty()) return false;
  const QString p = native_path(path);
  return QDir().mkdir(p);
}

bool QtFileSystem::is_safe_name(const Text& name) const {
  if (name.empty()) return false;
  const QString decoded = from_gbk(name);
  if (decoded == QLatin1String(".") || decoded == QLatin1String("..")) return false;
  for (const QChar c : decoded) {
    if (c == QLatin1Char('/') || c == QLatin1Char('\\') || c.category() == QChar::Other_Control) return false;
  }
  // Encoding back gives other bytes when the decoder met an invalid byte
  // (U+FFFD) or held back a lead byte at the end, which in a path would take
  // the following separator as its trail byte.
  const std::optional<Text> back = to_gbk_exact(decoded);
  return back && *back == name;
}

}  // namespace pagloom
