// The workbook reader (pagloom-xls-reader in its child process) on workbooks
// written at test time by make_workbook.py (Debian's python3-xlwt), on damaged
// and forged ones, on files that are not workbooks, and behind fake readers
// that crash, hang or write garbage.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <memory>

#include "platform/qt/freexl_spreadsheet.h"
#include "platform/qt/gbk.h"

namespace pagloom {
namespace {

using Records = std::vector<std::vector<Text>>;
using Status = SheetRecords::Status;

struct ForgedDimensions {
  const char* file;
  quint32 rows;
  quint16 columns;
};
// Copies of text.xls whose DIMENSIONS record claims other counts.
constexpr ForgedDimensions kForgedDimensions[] = {
    {"dims_whole_sheet.xls", 65536, 256}, {"dims_rows_beyond.xls", 65537, 7},
    {"dims_columns_beyond.xls", 3, 257},  {"dims_no_columns.xls", 130'813'371, 0},
    {"dims_rows_no_columns.xls", 10, 0},  {"dims_huge.xls", 1'711'276'034, 7},
};

class FreexlSpreadsheetTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(dir_->isValid());
    const QDir sources(QStringLiteral(PAGLOOM_PLATFORM_TEST_DIR));
    const QString script = sources.filePath(QStringLiteral("make_workbook.py"));
    const QString python = qEnvironmentVariable("PAGLOOM_SYSTEM_PYTHON", QStringLiteral("/usr/bin/python3"));
    QProcess process;
    process.start(python, {script, dir_->path()});
    ASSERT_TRUE(process.waitForFinished(60'000)) << "make_workbook.py did not finish";
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

    // Files that are not workbooks.
    write_file("empty.xls", {});
    write_file("page.xls", "<html><head><title>登录</title></head><body>请登录</body></html>");
    write_file("zipped.xls", QByteArray("PK\x03\x04\x14\x00\x00\x00", 8) + QByteArray(200, 'x'));
    QFile whole(path("text.xls"));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    write_file("truncated.xls", bytes.left(bytes.size() / 2));
    write_file("header_only.xls", bytes.left(512));
    write_file("last_sector_missing.xls", bytes.left(bytes.size() - 512));
    write_file("last_byte_missing.xls", bytes.left(bytes.size() - 1));
    // A workbook FreeXL does not read is read from its records: cut short,
    // it is refused all the same.
    QFile long_text(path("long_text.xls"));
    ASSERT_TRUE(long_text.open(QIODevice::ReadOnly));
    const QByteArray long_bytes = long_text.readAll();
    write_file("long_text_last_sector_missing.xls", long_bytes.left(long_bytes.size() - 512));
    write_file("long_text_last_byte_missing.xls", long_bytes.left(long_bytes.size() - 1));

    // DIMENSIONS (0x0200): first row, row count, first column, column count.
    const qsizetype dimensions = bytes.indexOf(QByteArray("\x00\x02\x0e\x00", 4));
    ASSERT_GE(dimensions, 0);
    for (const auto& [name, rows, columns] : kForgedDimensions) {
      QByteArray forged = bytes;
      qToLittleEndian<quint32>(rows, forged.data() + dimensions + 8);
      qToLittleEndian<quint16>(columns, forged.data() + dimensions + 14);
      write_file(QString::fromUtf8(name), forged);
    }

    // WRITEACCESS (0x005C, 112 bytes) turned into FILEPASS (0x002F): the
    // workbook now says it is password-protected.
    const qsizetype write_access = bytes.indexOf(QByteArray("\x5c\x00\x70\x00", 4));
    ASSERT_GE(write_access, 0);
    QByteArray protected_book = bytes;
    protected_book[write_access] = '\x2f';
    write_file("password.xls", protected_book);

    // Workbooks that crashed today's program inside FreeXL (SIGSEGV, abort).
    const QDir damaged(sources.filePath(QStringLiteral("damaged")));
    for (const QString& name : damaged.entryList({QStringLiteral("*.xls")}, QDir::Files))
      ASSERT_TRUE(QFile::copy(damaged.filePath(name), path(name)));
  }
  static void TearDownTestSuite() { dir_.reset(); }

  static QString path(const QString& name) { return dir_->filePath(name); }
  static void write_file(const QString& name, const QByteArray& bytes) {
    QFile file(path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }
  static SheetRecords read(const QString& name, const std::string& sheet = "Page1") {
    return FreexlSpreadsheet().read_sheet(to_gbk(path(name)), sheet);
  }

  static std::unique_ptr<QTemporaryDir> dir_;
};
std::unique_ptr<QTemporaryDir> FreexlSpreadsheetTest::dir_;

// Expected texts are written in UTF-8 here and compared as GBK bytes.
std::vector<Text> gbk_row(std::initializer_list<const char*> cells) {
  std::vector<Text> row;
  for (const char* c : cells) row.push_back(to_gbk(QString::fromUtf8(c)));
  return row;
}

struct ReadCase {
  const char* name;
  const char* file;
  Records records;
};

class ReadsSheet : public FreexlSpreadsheetTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(ReadsSheet, GivesRecordsAfterHeadingInSheetOrder) {
  const SheetRecords got = read(QString::fromUtf8(GetParam().file));
  ASSERT_EQ(got.status, Status::Ok);
  EXPECT_EQ(got.records, GetParam().records);
}

INSTANTIATE_TEST_SUITE_P(
    Workbooks, ReadsSheet,
    ::testing::Values(
        ReadCase{"ChineseText",
                 "text.xls",
                 {gbk_row({"1.00000000", "", "红色连衣裙 夏季", "", "http://s.click.test/t?e=1&id=9", "",
                           "备注一"}),
                  gbk_row({"2.00000000", "", "笑脸?裙", "", "http://s.click.test/t?e=2"})}},
        ReadCase{"NumbersIntegerOrNotAsFixedEight",
                 "numbers.xls",
                 {gbk_row({"12.00000000", "-3.00000000", "2.50000000", "0.10000000",
                           "1000000000000000.00000000", "123456789012.00000000"})}},
        ReadCase{"BooleansAsWords",
                 "booleans.xls",
                 {gbk_row({"TRUE", "FALSE", "x", "1.00000000"}), gbk_row({"", "y", "", "TRUE"})}},
        ReadCase{"DatesAndTimes",
                 "dates.xls",
                 {gbk_row({"2023-05-06 00:00:00", "2023-05-06 07:08:09", "1899-12-30 07:08:09"})}},
        // Results stored with the formulas: a number, a boolean, an error, a
        // text in a STRING record that runs on in a CONTINUE record.
        ReadCase{"FormulaResults",
                 "formulas.xls",
                 {gbk_row({"3.50000000", "TRUE", "",
                           "ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGH中文"
                           "zzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzzz"}),
                  gbk_row({"after"})}},
        ReadCase{"RecordsEndWithTheirLastNonEmptyCell",
                 "short_rows.xls",
                 {gbk_row({"a", "b", "c", "d", "e", "f", "g"}), gbk_row({"x", "", "y"}), gbk_row({}),
                  gbk_row({"", "", "", "", "z"})}},
        // Rows claimed beyond the last cell are no records.
        ReadCase{"DimensionsClaimingTheWholeSheet",
                 "dims_whole_sheet.xls",
                 {gbk_row({"1.00000000", "", "红色连衣裙 夏季", "", "http://s.click.test/t?e=1&id=9", "",
                           "备注一"}),
                  gbk_row({"2.00000000", "", "笑脸?裙", "", "http://s.click.test/t?e=2"})}},
        ReadCase{"Page1AfterAnotherSheet", "two_sheets.xls", {gbk_row({"right sheet"})}},
        ReadCase{"SheetNameInOtherLetterCase", "upper_case.xls", {gbk_row({"found"})}},
        ReadCase{"HeadingOnly", "heading_only.xls", {}},
        ReadCase{"ChinesePath", "导出/ce.xls", {gbk_row({"中文路径"})}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FreexlSpreadsheetTest, UnrepresentableCharacterCountsAsLossy) {
  EXPECT_EQ(read("text.xls").lossy_cells, 1);
  EXPECT_EQ(read("numbers.xls").lossy_cells, 0);
}

// Texts of 20,000 characters, one byte and two bytes each, whose shared
// strings run over several CONTINUE records, beside a number and a date.
TEST_F(FreexlSpreadsheetTest, LongTextsAreReadWhole) {
  QFile expected_file(path("long_text.txt"));
  ASSERT_TRUE(expected_file.open(QIODevice::ReadOnly));
  const QList<QByteArray> lines = expected_file.readAll().split('\n');
  ASSERT_GE(lines.size(), 2);
  ASSERT_EQ(lines[0].size(), 20000);
  const SheetRecords got = read("long_text.xls");
  ASSERT_EQ(got.status, Status::Ok);
  const Records expected = {{to_gbk(QString::fromUtf8(lines[0])), to_gbk(QStringLiteral("short")),
                             to_gbk(QStringLiteral("7.00000000"))},
                            {to_gbk(QString::fromUtf8(lines[1])), to_gbk(QString::fromUtf8("后")),
                             to_gbk(QStringLiteral("2023-05-06 00:00:00"))}};
  EXPECT_EQ(got.records, expected);
  EXPECT_EQ(got.lossy_cells, 0);
}

// A workbook written record by record (make_workbook.py's handmade), which
// FreeXL refuses: shared strings split inside formatting runs, characters
// and phonetic data; LABEL, RK, MULRK, MULBLANK and NUMBER cells.
TEST_F(FreexlSpreadsheetTest, RecordsOfEveryKindAreReadDirectly) {
  QFile expected_file(path("long_text.txt"));
  ASSERT_TRUE(expected_file.open(QIODevice::ReadOnly));
  const QByteArray long_ascii = expected_file.readAll().split('\n').value(0);
  const SheetRecords got = read("handmade.xls");
  ASSERT_EQ(got.status, Status::Ok);
  const Records expected = {gbk_row({"Rich!", "Phon", "ab中文cd", "label中", "7.00000000", "1.23000000"}),
                            gbk_row({"1.00000000", "2.50000000", "-3.00000000", "", "", "0.10000000"}),
                            {to_gbk(QString::fromUtf8(long_ascii))}};
  EXPECT_EQ(got.records, expected);
}

// Twins of workbooks with one more sheet holding a text FreeXL cannot read,
// so FreeXL refuses the whole file and its records are read directly: they
// give what FreeXL gives for the workbook itself (numbers, dates, times,
// booleans, short rows, sheet lookup).
class ReadsRefusedTwin : public FreexlSpreadsheetTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(ReadsRefusedTwin, AsTheWorkbookItself) {
  const QString name = QString::fromUtf8(GetParam());
  const SheetRecords own = read(name + QStringLiteral(".xls"));
  const SheetRecords twin = read(name + QStringLiteral("_refused.xls"));
  EXPECT_EQ(twin.status, own.status);
  EXPECT_EQ(twin.records, own.records);
  EXPECT_EQ(twin.lossy_cells, own.lossy_cells);
}

INSTANTIATE_TEST_SUITE_P(Workbooks, ReadsRefusedTwin,
                         ::testing::Values("text", "numbers", "dates", "short_rows", "two_sheets", "booleans",
                                           "upper_case", "heading_only", "no_page1"));

TEST_F(FreexlSpreadsheetTest, PasswordProtectedIsUnreadable) {
  const SheetRecords got = read("password.xls");
  EXPECT_EQ(got.status, Status::Unreadable);
  EXPECT_TRUE(got.records.empty());
}

TEST_F(FreexlSpreadsheetTest, MissingSheetIsReported) {
  const SheetRecords got = read("no_page1.xls");
  EXPECT_EQ(got.status, Status::NoSuchSheet);
  EXPECT_TRUE(got.records.empty());
}

struct BadCase {
  const char* name;
  const char* file;
};

class RejectsFile : public FreexlSpreadsheetTest, public ::testing::WithParamInterface<BadCase> {};

TEST_P(RejectsFile, WithErrorStatusAndNoRecords) {
  const SheetRecords got = read(QString::fromUtf8(GetParam().file));
  EXPECT_NE(got.status, Status::Ok);
  EXPECT_NE(got.status, Status::NoSuchSheet);
  EXPECT_TRUE(got.records.empty());
}

INSTANTIATE_TEST_SUITE_P(
    NotWorkbooks, RejectsFile,
    ::testing::Values(BadCase{"Empty", "empty.xls"}, BadCase{"HtmlPage", "page.xls"},
                      BadCase{"Zip", "zipped.xls"}, BadCase{"Truncated", "truncated.xls"},
                      BadCase{"HeaderBlockOnly", "header_only.xls"},
                      BadCase{"LastSectorMissing", "last_sector_missing.xls"},
                      BadCase{"LastByteMissing", "last_byte_missing.xls"}, BadCase{"Missing", "absent.xls"},
                      BadCase{"LongTextLastSectorMissing", "long_text_last_sector_missing.xls"},
                      BadCase{"LongTextLastByteMissing", "long_text_last_byte_missing.xls"},
                      BadCase{"RowsBeyondFormat", "dims_rows_beyond.xls"},
                      BadCase{"ColumnsBeyondFormat", "dims_columns_beyond.xls"},
                      BadCase{"HundredMillionRowsNoColumns", "dims_no_columns.xls"},
                      BadCase{"RowsWithoutColumns", "dims_rows_no_columns.xls"},
                      BadCase{"BillionRows", "dims_huge.xls"},
                      BadCase{"CrashedFreexlOpen", "segv_in_open.xls"},
                      BadCase{"CrashedFreexlOpenOnRecordLength", "segv_record_length.xls"},
                      BadCase{"AbortedFreexlOpen", "abort_record_length.xls"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FreexlSpreadsheet, EmptyPathCannotOpen) {
  EXPECT_EQ(FreexlSpreadsheet().read_sheet({}, "Page1").status, SheetRecords::Status::CannotOpen);
}

// Fake readers: shell scripts in the reader's place, started as it would be.
class FakeReader : public ::testing::Test {
 protected:
  // A script running `body`, allowed `time` to finish.
  FreexlSpreadsheet reader(const QByteArray& body,
                           std::chrono::milliseconds time = std::chrono::seconds(10)) {
    const QString script = dir_.filePath(QStringLiteral("reader%1.sh").arg(++scripts_));
    QFile file(script);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("#!/bin/sh\n" + body + "\n");
    file.close();
    file.setPermissions(file.permissions() | QFileDevice::ExeOwner);
    return FreexlSpreadsheet(script, XlsReaderLimits{time});
  }
  static SheetRecords read(const FreexlSpreadsheet& spreadsheet) {
    return spreadsheet.read_sheet("/nonexistent/ce.xls", "Page1");
  }

  QTemporaryDir dir_;
  int scripts_ = 0;
};

// Streams written with printf: the header, an end frame with status 0 and no
// records, a record of one cell holding the byte 0xFF (not UTF-8).
#define STREAM_HEADER "PGLMXLS\\001"
#define END_OK_NO_RECORDS "E\\005\\000\\000\\000\\000\\000\\000\\000\\000"
#define RECORD_NOT_UTF8 "R\\007\\000\\000\\000\\001\\000\\001\\000\\000\\000\\377"
#define END_OK_ONE_RECORD "E\\005\\000\\000\\000\\000\\001\\000\\000\\000"

TEST_F(FakeReader, WellFormedStreamIsRead) {
  const SheetRecords got = read(reader("printf '" STREAM_HEADER END_OK_NO_RECORDS "'"));
  EXPECT_EQ(got.status, Status::Ok);
  EXPECT_TRUE(got.records.empty());
}

TEST_F(FakeReader, RunsUnderTheAddressSpaceLimit) {
  // ulimit -v reports KiB: 512 MiB.
  const SheetRecords got =
      read(reader("[ \"$(ulimit -v)\" = 524288 ] && printf '" STREAM_HEADER END_OK_NO_RECORDS "'"));
  EXPECT_EQ(got.status, Status::Ok);
}

struct FakeCase {
  const char* name;
  const char* body;
};

class FakeReaderFails : public FakeReader, public ::testing::WithParamInterface<FakeCase> {};

TEST_P(FakeReaderFails, ReadsAsUnreadableWithinItsTimeLimit) {
  QElapsedTimer clock;
  clock.start();
  const SheetRecords got = read(reader(GetParam().body, std::chrono::milliseconds(1500)));
  EXPECT_EQ(got.status, Status::Unreadable);
  EXPECT_TRUE(got.records.empty());
  EXPECT_LT(clock.elapsed(), 8000);
}

INSTANTIATE_TEST_SUITE_P(
    Children, FakeReaderFails,
    ::testing::Values(
        FakeCase{"Crashes", "kill -SEGV $$"},
        FakeCase{"CrashesAfterAWellFormedStream",
                 "printf '" STREAM_HEADER END_OK_NO_RECORDS "'; kill -SEGV $$"},
        FakeCase{"ExitsWithFailureAfterAWellFormedStream",
                 "printf '" STREAM_HEADER END_OK_NO_RECORDS "'; exit 3"},
        FakeCase{"Hangs", "exec sleep 30"}, FakeCase{"HangsWithItsOutputClosed", "exec >&-; exec sleep 30"},
        FakeCase{"WritesWithoutEnd", "exec cat /dev/zero"}, FakeCase{"WritesGarbage", "printf 'garbage'"},
        FakeCase{"WritesNothing", "exit 0"}, FakeCase{"StopsAfterTheHeader", "printf '" STREAM_HEADER "'"},
        FakeCase{"WritesACellThatIsNotUtf8", "printf '" STREAM_HEADER RECORD_NOT_UTF8 END_OK_ONE_RECORD "'"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FreexlSpreadsheet, MissingReaderIsUnreadable) {
  const FreexlSpreadsheet spreadsheet(QStringLiteral("/nonexistent/pagloom-xls-reader"));
  EXPECT_EQ(spreadsheet.read_sheet("/nonexistent/ce.xls", "Page1").status, Status::Unreadable);
}

}  // namespace
}  // namespace pagloom
