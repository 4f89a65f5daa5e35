// Fuzz target: the export workbook reader, pagloom-xls-reader's code path,
// on any bytes as the workbook (written to a temporary file, as FreeXL reads
// only files). Checks that whatever the reader writes is a stream the program
// accepts.
//
// FreeXL 1.0.6 itself crashes and over-reads on some damaged workbooks; the
// program contains that by running the reader as a child process. With
// PAGLOOM_FUZZ_CONTAIN_FREEXL=1 in the environment this target does the same:
// each input runs in a forked child, a child killed by a signal counts as the
// program counts it (an unreadable export), and only a failed check of the
// stream fails the run. AFL++'s coverage map is shared memory, so the child's
// coverage still guides it.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz_target.h"
#include "platform/xls_reader/xls_reader.h"
#include "platform/xls_reader/xls_wire.h"

namespace {

// The check runs only on streams small enough to have been kept whole.
constexpr std::size_t kKeptStream = 1u << 20;
constexpr int kCheckFailed = 77;

const std::string& workbook_path() {
  static const std::string path = [] {
    const char* dir = std::getenv("TMPDIR");
    std::string p = std::string(dir && *dir ? dir : "/tmp") + "/pagloom_fuzz_export_XXXXXX";
    const int fd = mkstemp(p.data());
    if (fd < 0) std::abort();
    close(fd);
    std::atexit([] { std::remove(workbook_path().c_str()); });
    return p;
  }();
  return path;
}

bool write_workbook(const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(workbook_path().c_str(), "wb");
  if (f == nullptr) return false;
  // An empty input may come as a null pointer, which fwrite must not see.
  const bool ok = size == 0 || std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

// True when the reader's stream is one the program accepts.
bool read_and_check() {
  std::string stream;
  bool whole = true;
  pagloom::xls_reader::read_sheet(workbook_path().c_str(), "Page1", [&](std::string_view piece) {
    if (stream.size() + piece.size() > kKeptStream) whole = false;
    if (whole) stream.append(piece);
  });
  return !whole || pagloom::xls_wire::decode_sheet_stream(stream).has_value();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (!write_workbook(data, size)) return 0;
  static const bool contain = [] {
    const char* v = std::getenv("PAGLOOM_FUZZ_CONTAIN_FREEXL");
    return v != nullptr && *v == '1';
  }();
  if (!contain) {
    FUZZ_CHECK(read_and_check());
    return 0;
  }
  const pid_t child = fork();
  if (child < 0) std::abort();
  if (child == 0) {
#ifndef __SANITIZE_ADDRESS__  // AddressSanitizer's reserved shadow alone exceeds it
    const rlimit memory{rlim_t{512} << 20, rlim_t{512} << 20};  // the program's limit
    setrlimit(RLIMIT_AS, &memory);
#endif
    _exit(read_and_check() ? 0 : kCheckFailed);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
  }
  FUZZ_CHECK(!(WIFEXITED(status) && WEXITSTATUS(status) == kCheckFailed));
  return 0;
}
