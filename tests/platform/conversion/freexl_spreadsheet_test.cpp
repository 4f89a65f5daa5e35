// The FreeXL reader on workbooks written at test time by make_workbook.py
// (Debian's python3-xlwt), and on files that are not workbooks.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <memory>

#include "platform/qt/freexl_spreadsheet.h"
#include "platform/qt/gbk.h"

namespace pagloom {
namespace {

using Records = std::vector<std::vector<Text>>;
using Status = SheetRecords::Status;

class FreexlSpreadsheetTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(dir_->isValid());
    const QString script =
        QFileInfo(QStringLiteral(__FILE__)).dir().filePath(QStringLiteral("make_workbook.py"));
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
    ::testing::Values(ReadCase{"ChineseText",
                               "text.xls",
                               {gbk_row({"1.00000000", "", "红色连衣裙 夏季", "",
                                         "http://s.click.test/t?e=1&id=9", "", "备注一"}),
                                gbk_row({"2.00000000", "", "笑脸?裙", "", "http://s.click.test/t?e=2"})}},
                      ReadCase{"NumbersIntegerOrNotAsFixedEight",
                               "numbers.xls",
                               {gbk_row({"12.00000000", "-3.00000000", "2.50000000", "0.10000000",
                                         "1000000000000000.00000000", "123456789012.00000000"})}},
                      ReadCase{
                          "DatesAndTimes",
                          "dates.xls",
                          {gbk_row({"2023-05-06 00:00:00", "2023-05-06 07:08:09", "1899-12-30 07:08:09"})}},
                      ReadCase{"RecordsEndWithTheirLastNonEmptyCell",
                               "short_rows.xls",
                               {gbk_row({"a", "b", "c", "d", "e", "f", "g"}), gbk_row({"x", "", "y"}),
                                gbk_row({}), gbk_row({"", "", "", "", "z"})}},
                      ReadCase{"Page1AfterAnotherSheet", "two_sheets.xls", {gbk_row({"right sheet"})}},
                      ReadCase{"SheetNameInOtherLetterCase", "upper_case.xls", {gbk_row({"found"})}},
                      ReadCase{"HeadingOnly", "heading_only.xls", {}},
                      ReadCase{"ChinesePath", "导出/ce.xls", {gbk_row({"中文路径"})}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FreexlSpreadsheetTest, UnrepresentableCharacterCountsAsLossy) {
  EXPECT_EQ(read("text.xls").lossy_cells, 1);
  EXPECT_EQ(read("numbers.xls").lossy_cells, 0);
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

INSTANTIATE_TEST_SUITE_P(NotWorkbooks, RejectsFile,
                         ::testing::Values(BadCase{"Empty", "empty.xls"}, BadCase{"HtmlPage", "page.xls"},
                                           BadCase{"Zip", "zipped.xls"},
                                           BadCase{"Truncated", "truncated.xls"},
                                           BadCase{"HeaderBlockOnly", "header_only.xls"},
                                           BadCase{"Missing", "absent.xls"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(FreexlSpreadsheet, EmptyPathCannotOpen) {
  EXPECT_EQ(FreexlSpreadsheet().read_sheet({}, "Page1").status, SheetRecords::Status::CannotOpen);
}

}  // namespace
}  // namespace pagloom
