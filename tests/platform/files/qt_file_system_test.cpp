// QtFileSystem on a real disk: the name check against the platform's GBK
// decoder (and the unit tests' fake, which must judge every name alike), and
// writes that never leave a partial file.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <csignal>
#include <string>

#include "fakes/fake_file_system.h"
#include "platform/qt/gbk.h"
#include "platform/qt/qt_file_system.h"

namespace pagloom::testing {
namespace {

std::string gbk(const char* utf8) { return to_gbk(QString::fromUtf8(utf8)); }

TEST(SafeName, QtAndFakeJudgeTheTableAlike) {
  struct Case {
    std::string name;
    bool safe;
  };
  const Case cases[] = {
      {gbk("高贵大气"), true},
      {gbk("新模板 2"), true},
      {"\xB1\x5C", true},  // trail byte 0x5C: one character, no separator
      {"\x80", true},      // the euro sign
      {"\xFF", true},      // one private-use character
      {"...", true},
      {"", false},
      {".", false},
      {"..", false},
      {"a/b", false},
      {"a\\b", false},
      {"\x80/..", false},  // "€" then a separator: 0x80 takes no trail byte
      {"\x80\\x", false},
      {"\xD2/..", false},   // invalid pair: U+FFFD, then "/" read again
      {"\xD2\x7F", false},  // 0x7F is no trail byte
      {"..\x81", false},    // a lead byte at the end would swallow the next separator
      {gbk("好") + "\xFE", false},
      {std::string("a\0b", 3), false},
      {"a\x01", false},
      {"a\tb", false},
      {"\x7F", false},
  };
  QtFileSystem qt;
  FakeFileSystem fake;
  for (const Case& c : cases) {
    SCOPED_TRACE(from_gbk(c.name).toStdString());
    EXPECT_EQ(qt.is_safe_name(c.name), c.safe);
    EXPECT_EQ(fake.is_safe_name(c.name), c.safe);
  }
}

TEST(SafeName, QtAndFakeAgreeOnEveryNameOfUpToTwoBytes) {
  QtFileSystem qt;
  FakeFileSystem fake;
  int disagreements = 0;
  for (int a = 0; a < 256; ++a) {
    for (int b = -1; b < 256; ++b) {
      std::string name(1, static_cast<char>(a));
      if (b >= 0) name.push_back(static_cast<char>(b));
      if (qt.is_safe_name(name) != fake.is_safe_name(name) && ++disagreements <= 5)
        ADD_FAILURE() << "bytes " << a << " " << b << ": Qt " << qt.is_safe_name(name);
    }
  }
  EXPECT_EQ(disagreements, 0);
}

class QtFileSystemWrite : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir.isValid()); }
  Text path(const char* name) const { return to_gbk(dir.filePath(QString::fromUtf8(name))); }
  QByteArray content(const char* name) const {
    QFile file(dir.filePath(QString::fromUtf8(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
  }
  QStringList entries() const {
    return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
  }

  QTemporaryDir dir;
  QtFileSystem files;
};

TEST_F(QtFileSystemWrite, ReplacesTheWholeContent) {
  ASSERT_TRUE(files.write(path("模板文件.htm"), Bytes(5000, 'o')));
  ASSERT_TRUE(files.write(path("模板文件.htm"), Bytes(3, 'n')));
  EXPECT_EQ(content("模板文件.htm"), "nnn");
  EXPECT_EQ(entries(), QStringList{QStringLiteral("模板文件.htm")});
  // Nothing is written where a folder stands, or into a missing folder.
  ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("folder")));
  EXPECT_FALSE(files.write(path("folder"), Bytes(3, 'n')));
  EXPECT_FALSE(files.write(path("missing/模板文件.htm"), Bytes(3, 'n')));
}

// A write that runs out of room keeps the old file byte for byte and leaves
// no partial file. The file-size limit stands in for a full disk: it holds
// for root too, and a write past it fails with EFBIG once SIGXFSZ is ignored.
TEST_F(QtFileSystemWrite, AFailedWriteKeepsTheOldFile) {
  const QByteArray old(6000, 'o');
  ASSERT_TRUE(files.write(path("模板文件.htm"), Bytes(old.begin(), old.end())));

  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto saved_handler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 8192;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const bool written = files.write(path("模板文件.htm"), Bytes(20000, 'n'));
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, saved_handler);

  EXPECT_FALSE(written);
  EXPECT_EQ(content("模板文件.htm"), old);
  EXPECT_EQ(entries(), QStringList{QStringLiteral("模板文件.htm")});
}

}  // namespace
}  // namespace pagloom::testing
