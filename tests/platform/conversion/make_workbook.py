"""Writes the workbooks of the spreadsheet reader tests into a folder.

Usage: make_workbook.py OUT_DIR   (needs Debian's python3-xlwt)
"""
import datetime
import os
import sys

import xlwt

HEADING = ["序号", "图片", "商品名称", "价格", "淘宝客链接", "佣金", "备注"]


def sheet(book, name, rows):
    ws = book.add_sheet(name)
    for r, row in enumerate(rows):
        for c, value in enumerate(row):
            if value is None:
                continue
            if isinstance(value, tuple):  # (value, number format)
                ws.write(r, c, value[0], xlwt.easyxf(num_format_str=value[1]))
            else:
                ws.write(r, c, value)


def workbook(path, sheets):
    book = xlwt.Workbook(encoding="utf-8")
    for name, rows in sheets:
        sheet(book, name, rows)
    book.save(path)


def main(out):
    workbook(os.path.join(out, "text.xls"), [("Page1", [
        HEADING,
        [1, None, "红色连衣裙 夏季", None, "http://s.click.test/t?e=1&id=9", None, "备注一"],
        [2, None, "笑脸😀裙", None, "http://s.click.test/t?e=2", None, ""],
    ])])
    workbook(os.path.join(out, "numbers.xls"), [("Page1", [
        ["a", "b", "c", "d", "e", "f"],
        [12, -3, 2.5, 0.1, 1e15, 123456789012],
    ])])
    workbook(os.path.join(out, "dates.xls"), [("Page1", [
        ["date", "datetime", "time"],
        [(datetime.date(2023, 5, 6), "YYYY-MM-DD"),
         (datetime.datetime(2023, 5, 6, 7, 8, 9), "YYYY-MM-DD hh:mm:ss"),
         (datetime.time(7, 8, 9), "hh:mm:ss")],
    ])])
    workbook(os.path.join(out, "short_rows.xls"), [("Page1", [
        HEADING,
        ["a", "b", "c", "d", "e", "f", "g"],
        ["x", None, "y"],
        [],
        [None, None, None, None, "z"],
    ])])
    workbook(os.path.join(out, "two_sheets.xls"), [
        ("Other", [["h"], ["wrong sheet"]]),
        ("Page1", [["h"], ["right sheet"]]),
    ])
    workbook(os.path.join(out, "upper_case.xls"), [("PAGE1", [["h"], ["found"]])])
    workbook(os.path.join(out, "no_page1.xls"), [("Sheet1", [["h"], ["x"]])])
    workbook(os.path.join(out, "booleans.xls"), [("Page1", [
        ["a", "b", "c", "d"],
        [True, False, "x", 1],
        [None, "y", None, True],
    ])])
    workbook(os.path.join(out, "heading_only.xls"), [("Page1", [HEADING])])
    folder = os.path.join(out, "导出")
    os.makedirs(folder, exist_ok=True)
    workbook(os.path.join(folder, "ce.xls"), [("Page1", [["h"], ["中文路径"]])])


if __name__ == "__main__":
    main(sys.argv[1])
