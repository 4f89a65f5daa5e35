#include "platform/qt/freexl_spreadsheet.h"

#include <sys/resource.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QProcess>
#include <QStringDecoder>
#include <algorithm>

#include "platform/qt/gbk.h"
#include "platform/qt/qt_file_system.h"
#include "platform/xls_reader/xls_wire.h"

namespace pagloom {
namespace {

using Status = SheetRecords::Status;

// Runs the reader and collects its standard output; nullopt when it does
// not exit normally with code 0 within the time limit, or writes more than a
// stream may hold.
std::optional<QByteArray> run_reader(const QString& reader, const QStringList& arguments,
                                     const XlsReaderLimits& limits) {
  QProcess process;
  process.setProgram(reader);
  process.setArguments(arguments);
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  const rlim_t address_space = static_cast<rlim_t>(limits.address_space);
  // Runs in the child between fork and exec: async-signal-safe calls only.
  process.setChildProcessModifier([address_space] {
    const rlimit memory{address_space, address_space};
    setrlimit(RLIMIT_AS, &memory);
    const rlimit no_core{0, 0};  // a crash should not leave a core file
    setrlimit(RLIMIT_CORE, &no_core);
  });

  QDeadlineTimer deadline(limits.time);
  auto stop = [&process] {
    process.kill();
    process.waitForFinished(-1);
    return std::nullopt;
  };
  process.start();
  if (!process.waitForStarted(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())))) return stop();

  QByteArray out;
  for (;;) {
    out += process.readAllStandardOutput();
    if (static_cast<std::size_t>(out.size()) > xls_wire::kMaxStreamBytes) return stop();
    if (process.state() == QProcess::NotRunning) break;
    if (deadline.hasExpired()) return stop();
    const int wait = static_cast<int>(std::max<qint64>(1, deadline.remainingTime()));
    // False also when the child closed its output but runs on: then wait for
    // its exit instead of polling.
    if (!process.waitForReadyRead(wait) && process.state() != QProcess::NotRunning)
      process.waitForFinished(static_cast<int>(std::max<qint64>(1, deadline.remainingTime())));
  }
  out += process.readAllStandardOutput();
  if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return std::nullopt;
  if (static_cast<std::size_t>(out.size()) > xls_wire::kMaxStreamBytes) return std::nullopt;
  return out;
}

bool is_ascii(const std::string& s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

Status status_of(xls_wire::Status status) {
  switch (status) {
    case xls_wire::Status::Ok:
      return Status::Ok;
    case xls_wire::Status::CannotOpen:
      return Status::CannotOpen;
    case xls_wire::Status::NoSuchSheet:
      return Status::NoSuchSheet;
    case xls_wire::Status::Unreadable:
      break;
  }
  return Status::Unreadable;
}

}  // namespace

FreexlSpreadsheet::FreexlSpreadsheet(QString reader, XlsReaderLimits limits)
    : reader_(
          reader.isEmpty()
              ? QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("pagloom-xls-reader"))
              : std::move(reader)),
      limits_(limits) {}

SheetRecords FreexlSpreadsheet::read_sheet(const Text& path, const std::string& sheet) const {
  SheetRecords out;
  out.status = Status::CannotOpen;
  if (path.empty()) return out;
  out.status = Status::Unreadable;

  const std::optional<QByteArray> stream =
      run_reader(reader_, {QtFileSystem::native_path(path), from_gbk(sheet)}, limits_);
  if (!stream) return out;
  std::optional<xls_wire::Sheet> decoded =
      xls_wire::decode_sheet_stream(std::string_view(stream->constData(), stream->size()));
  if (!decoded) return out;
  if (decoded->status != xls_wire::Status::Ok) {
    out.status = status_of(decoded->status);
    return out;
  }

  // Cell texts arrive as UTF-8; anything else is a broken stream.
  QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  std::vector<std::vector<Text>> records;
  records.reserve(decoded->records.size());
  int lossy = 0;
  for (auto& cells : decoded->records) {
    std::vector<Text> record;
    record.reserve(cells.size());
    for (std::string& cell : cells) {
      if (is_ascii(cell)) {
        record.push_back(std::move(cell));
        continue;
      }
      const QString text = utf8(QByteArrayView(cell.data(), static_cast<qsizetype>(cell.size())));
      if (utf8.hasError()) return out;
      if (auto exact = to_gbk_exact(text)) {
        record.push_back(std::move(*exact));
      } else {
        record.push_back(to_gbk(text));
        ++lossy;
      }
    }
    records.push_back(std::move(record));
  }
  out.records = std::move(records);
  out.lossy_cells = lossy;
  out.status = Status::Ok;
  return out;
}

}  // namespace pagloom
