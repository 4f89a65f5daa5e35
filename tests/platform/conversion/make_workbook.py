"""Writes the workbooks of the spreadsheet reader tests into a folder.

Usage: make_workbook.py OUT_DIR   (needs Debian's python3-xlwt)
"""
import datetime
import io
import os
import struct
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


# Workbooks also written as a twin, NAME_refused.xls, with one more sheet
# holding a text FreeXL cannot read (a shared string over more than one
# CONTINUE record): FreeXL refuses the whole twin, which is then read from its
# records alone, and must give what the workbook gives.
TWINS = {"text.xls", "numbers.xls", "dates.xls", "short_rows.xls", "two_sheets.xls", "booleans.xls",
         "upper_case.xls", "heading_only.xls", "no_page1.xls"}


def workbook(path, sheets):
    book = xlwt.Workbook(encoding="utf-8")
    for name, rows in sheets:
        sheet(book, name, rows)
    book.save(path)
    if os.path.basename(path) in TWINS:
        sheet(book, "Long", [["h"], [LONG_ASCII]])
        book.save(path[:-len(".xls")] + "_refused.xls")


LONG_ASCII = "".join(chr(ord("a") + i % 26) for i in range(20000))
LONG_CHINESE = "".join(chr(0x4E00 + i % 500) for i in range(20000))
FORMULA_TEXT = "".join(chr(ord("A") + i % 26) for i in range(60)) + "中文" + "z" * 60


def sheet_records(data):
    """(offset, type, length) of the records of the first sheet's substream
    (the stream's sectors are contiguous in an xlwt file)."""
    bof = b"\x09\x08\x10\x00\x00\x06"
    pos = data.find(bof, data.find(bof) + 1)  # the sheet's BOF, after the globals'
    out = []
    while 0 <= pos and pos + 4 <= len(data):
        rtype, length = struct.unpack_from("<HH", data, pos)
        out.append((pos, rtype, length))
        if rtype == 0x000A:
            break
        pos += 4 + length
    return out


def formulas(path):
    """xlwt stores no result with a formula (it leaves that to the program
    that opens the file): the results are written here into its records.
    Row 1: 1+2 giving 3.5, a boolean TRUE, an error, a text given by a
    STRING record running on in a CONTINUE record (written over the record of
    the placeholder formula in column 4, which is of the same size)."""
    book = xlwt.Workbook(encoding="utf-8")
    ws = book.add_sheet("Page1")
    ws.write(0, 0, "h")
    ws.write(1, 0, xlwt.Formula("1+2"))
    ws.write(1, 1, xlwt.Formula("1=1"))
    ws.write(1, 2, xlwt.Formula("1/0"))
    ws.write(1, 3, xlwt.Formula('"a"&"b"'))
    ws.write(1, 4, xlwt.Formula('"' + "p" * 250 + '"'))
    ws.write(2, 0, "after")
    raw = io.BytesIO()
    book.save(raw)
    data = bytearray(raw.getvalue())
    cells = {}
    for pos, rtype, length in sheet_records(bytes(data)):
        if rtype == 0x0006:
            row, col = struct.unpack_from("<HH", data, pos + 4)
            cells[(row, col)] = (pos, length)
    results = {0: struct.pack("<d", 3.5), 1: bytes([1, 0, 1, 0, 0, 0, 0xFF, 0xFF]),
               2: bytes([2, 0, 0x07, 0, 0, 0, 0xFF, 0xFF]), 3: bytes([0, 0, 0, 0, 0, 0, 0xFF, 0xFF])}
    for col, result in results.items():
        pos, _ = cells[(1, col)]
        data[pos + 10:pos + 18] = result
    # STRING: count, flags (UTF-16 from the start), the first characters;
    # CONTINUE: flags byte (one byte per character), the rest.
    pos, length = cells[(1, 4)]
    first = FORMULA_TEXT[:62].encode("utf-16-le")
    rest = FORMULA_TEXT[62:].encode("latin-1")
    string = struct.pack("<HHHB", 0x0207, 3 + len(first), len(FORMULA_TEXT), 1) + first
    cont = struct.pack("<HHB", 0x003C, 1 + len(rest), 0) + rest
    pad = 4 + length - len(string) - len(cont)
    assert pad >= 4, pad
    # What is left of the placeholder becomes an unknown record, skipped.
    filler = struct.pack("<HH", 0x00EF, pad - 4) + bytes(pad - 4)
    data[pos:pos + 4 + length] = string + cont + filler
    with open(path, "wb") as f:
        f.write(bytes(data))


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
    # Shared strings running over several CONTINUE records.
    workbook(os.path.join(out, "long_text.xls"), [("Page1", [
        ["a", "b", "c"],
        [LONG_ASCII, "short", 7],
        [LONG_CHINESE, "后", (datetime.date(2023, 5, 6), "YYYY-MM-DD")],
    ])])
    with open(os.path.join(out, "long_text.txt"), "w", encoding="utf-8") as f:
        f.write(LONG_ASCII + "\n" + LONG_CHINESE + "\n")
    formulas(os.path.join(out, "formulas.xls"))
    workbook(os.path.join(out, "heading_only.xls"), [("Page1", [HEADING])])
    folder = os.path.join(out, "导出")
    os.makedirs(folder, exist_ok=True)
    workbook(os.path.join(folder, "ce.xls"), [("Page1", [["h"], ["中文路径"]])])


if __name__ == "__main__":
    main(sys.argv[1])
