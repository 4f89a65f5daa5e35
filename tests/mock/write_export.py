#!/usr/bin/python3
"""Writes the mock affiliate export: a BIFF8 workbook (.xls).

Reads {"sheet": name, "header": [...], "rows": [[...], ...]} as UTF-8 JSON on
standard input (cells are strings or numbers) and writes the workbook to
standard output. Needs python3-xlwt (Debian's python3).
"""
import io
import json
import sys

import xlwt


def main():
    data = json.loads(sys.stdin.buffer.read().decode("utf-8"))
    book = xlwt.Workbook(encoding="utf-8")
    sheet = book.add_sheet(data.get("sheet", "Page1"))
    for column, heading in enumerate(data["header"]):
        sheet.write(0, column, heading)
    for row, cells in enumerate(data["rows"], start=1):
        for column, value in enumerate(cells):
            sheet.write(row, column, value)
    out = io.BytesIO()
    book.save(out)
    sys.stdout.buffer.write(out.getvalue())


if __name__ == "__main__":
    main()
