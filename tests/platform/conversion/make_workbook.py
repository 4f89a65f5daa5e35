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


def record(rtype, data):
    return struct.pack("<HH", rtype, len(data)) + data


def compound_file(stream):
    """A compound file of 512-byte sectors holding `stream` (over 4,096 bytes,
    so in regular sectors) as "Workbook": the stream's sectors, then one
    directory sector, then one FAT sector."""
    assert len(stream) > 4096
    stream_sectors = (len(stream) + 511) // 512
    directory_sector = stream_sectors
    fat_sector = stream_sectors + 1
    assert fat_sector < 128
    fat = list(range(1, stream_sectors)) + [0xFFFFFFFE, 0xFFFFFFFE, 0xFFFFFFFD]
    fat += [0xFFFFFFFF] * (128 - len(fat))

    def entry(name, kind, start, size):
        n = (name + "\0").encode("utf-16-le")
        return (n.ljust(64, b"\0") + struct.pack("<HBB", len(n), kind, 1) +
                struct.pack("<III", 0xFFFFFFFF, 0xFFFFFFFF, 1 if kind == 5 else 0xFFFFFFFF) +
                bytes(16 + 4 + 16) + struct.pack("<IIi", start, size, 0))

    directory = (entry("Root Entry", 5, 0xFFFFFFFE, 0) + entry("Workbook", 2, 0, len(stream))).ljust(512, b"\0")
    header = (b"\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + bytes(16) +
              struct.pack("<HHHHH", 0x3E, 3, 0xFFFE, 9, 6) + bytes(6) +
              struct.pack("<IIIIIIIII", 0, 1, directory_sector, 0, 4096, 0xFFFFFFFE, 0, 0xFFFFFFFE, 0) +
              struct.pack("<I", fat_sector) + b"\xFF" * 4 * 108)
    return header + stream.ljust(stream_sectors * 512, b"\0") + directory + struct.pack("<128I", *fat)


def handmade(path):
    """A workbook written record by record: shared strings split over
    CONTINUE records inside formatting runs, inside characters (switching
    between one and two bytes a character) and inside phonetic data; LABEL,
    RK, MULRK, MULBLANK and NUMBER cells. LONG_ASCII among the shared strings
    makes FreeXL refuse the file, so that the records are read directly."""
    bof = lambda kind: record(0x0809, struct.pack("<HHHHII", 0x0600, kind, 0x0DBB, 0x07CC, 0, 0x0206))
    # Shared strings: "h", "Rich!" (two formatting runs), "Phon" (phonetic
    # data), "ab中文cd", LONG_ASCII; record boundaries marked by the splits.
    sst = [struct.pack("<II", 5, 5) + struct.pack("<HB", 1, 0) + b"h" +
           struct.pack("<HBH", 5, 0x08, 2) + b"Rich!" + bytes([0, 0, 1])]
    sst.append(bytes([0, 3, 0, 2, 0]) +  # the rest of the runs: no width byte
               struct.pack("<HBI", 4, 0x04, 10) + b"Ph")
    sst.append(b"\x01" + "on".encode("utf-16-le") + bytes(range(4)))
    sst.append(bytes(range(4, 10)) + struct.pack("<HB", 6, 0) + b"ab")
    sst.append(b"\x01" + "中文".encode("utf-16-le"))
    sst.append(b"\x00cd" + struct.pack("<HB", len(LONG_ASCII), 0) + LONG_ASCII[:8000].encode())
    for at in range(8000, len(LONG_ASCII), 8000):
        sst.append(b"\x00" + LONG_ASCII[at:at + 8000].encode())
    sst_records = record(0x00FC, sst[0]) + b"".join(record(0x003C, piece) for piece in sst[1:])
    name = b"Page1"
    boundsheet_size = 4 + 6 + 2 + len(name)

    def cell(row, col):
        return struct.pack("<HHH", row, col, 0)

    sheet = (bof(0x0010) + record(0x0200, struct.pack("<IIHHH", 0, 4, 0, 6, 0)) +
             record(0x00FD, cell(0, 0) + struct.pack("<I", 0)) +
             b"".join(record(0x00FD, cell(1, c) + struct.pack("<I", c + 1)) for c in range(3)) +
             record(0x0204, cell(1, 3) + struct.pack("<HB", 6, 1) + "label中".encode("utf-16-le")) +
             record(0x027E, cell(1, 4) + struct.pack("<I", 7 << 2 | 2)) +
             record(0x027E, cell(1, 5) + struct.pack("<I", 123 << 2 | 3)) +
             record(0x00BD, struct.pack("<HH", 2, 0) +
                    struct.pack("<HIHIHI", 0, 1 << 2 | 2, 0, 0x40040000, 0, (-3 << 2 | 2) & 0xFFFFFFFF) +
                    struct.pack("<H", 2)) +
             record(0x00BE, struct.pack("<HHHHH", 2, 3, 0, 0, 4)) +
             record(0x0203, cell(2, 5) + struct.pack("<d", 0.1)) +
             record(0x00FD, cell(3, 0) + struct.pack("<I", 4)) +
             record(0x000A, b""))
    globals_size = len(bof(0x0005)) + boundsheet_size + len(sst_records) + 4
    globals_ = (bof(0x0005) + record(0x0085, struct.pack("<IBBBB", globals_size, 0, 0, len(name), 0) + name) +
                sst_records + record(0x000A, b""))
    assert len(globals_) == globals_size
    with open(path, "wb") as f:
        f.write(compound_file(globals_ + sheet))


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
    handmade(os.path.join(out, "handmade.xls"))
    workbook(os.path.join(out, "heading_only.xls"), [("Page1", [HEADING])])
    folder = os.path.join(out, "导出")
    os.makedirs(folder, exist_ok=True)
    workbook(os.path.join(folder, "ce.xls"), [("Page1", [["h"], ["中文路径"]])])


if __name__ == "__main__":
    main(sys.argv[1])
