"""Writes damaged variants of export-like workbooks into a folder: cuts,
bit flips, overwritten bytes, forged DIMENSIONS/SST/BOUNDSHEET fields, broken
compound-file headers and record lengths. The same seed gives the same files.

Usage: make_damaged_workbooks.py OUT_DIR [SEED]   (needs Debian's python3-xlwt)
"""
import io
import os
import random
import struct
import sys

import xlwt

HEADING = ["序号", "图片", "商品名称", "价格", "淘宝客链接", "佣金", "备注"]


def export_workbook(rows):
    book = xlwt.Workbook(encoding="utf-8")
    ws = book.add_sheet("Page1")
    for c, h in enumerate(HEADING):
        ws.write(0, c, h)
    for r in range(1, rows + 1):
        ws.write(r, 0, r)
        ws.write(r, 2, "红色连衣裙 夏季 %d" % r)
        ws.write(r, 3, 19.9 + r)
        ws.write(r, 4, "http://s.click.test/t?e=%d&id=%d" % (r, 1000 + r))
        ws.write(r, 5, "%d%%" % (r % 30))
        ws.write(r, 6, "备注%d" % r)
    out = io.BytesIO()
    book.save(out)
    return out.getvalue()


def records(data):
    """(offset, type, length) of the BIFF records, found by their BOF and
    walked from there, in the raw file (the stream's sectors are contiguous in
    an xlwt file)."""
    pos = data.find(b"\x09\x08\x10\x00\x00\x06")
    out = []
    while 0 <= pos and pos + 4 <= len(data):
        rtype, length = struct.unpack_from("<HH", data, pos)
        if rtype == 0 and length == 0:  # padding after the stream
            break
        out.append((pos, rtype, length))
        pos += 4 + length
    return out


def patch(data, offset, fmt, value):
    b = bytearray(data)
    struct.pack_into(fmt, b, offset, value)
    return bytes(b)


def variants(name, data, rng):
    n = len(data)
    # Cuts: at sector boundaries and spread over the file.
    cuts = sorted(set([0, 1, 8, 511, 512, 513, 1024, 1536, n - 512, n - 1] +
                      [rng.randrange(1, n) for _ in range(90)]))
    for cut in cuts:
        if 0 <= cut < n:
            yield "%s_cut_%d" % (name, cut), data[:cut]
    # Single bit flips anywhere.
    for i in range(200):
        pos = rng.randrange(n)
        bit = rng.randrange(8)
        b = bytearray(data)
        b[pos] ^= 1 << bit
        yield "%s_flip_%d_%d" % (name, pos, bit), bytes(b)
    # Runs of random bytes.
    for i in range(50):
        pos = rng.randrange(n)
        size = rng.choice([2, 4, 8, 16, 64])
        b = bytearray(data)
        b[pos:pos + size] = bytes(rng.randrange(256) for _ in range(min(size, n - pos)))
        yield "%s_bytes_%d_%d" % (name, pos, size), bytes(b)
    recs = records(data)
    # Forged DIMENSIONS: first row, row count, first column, column count.
    dims = [(o, l) for o, t, l in recs if t == 0x0200]
    forged = [(0, 65536, 0, 256), (0, 65537, 0, 7), (0, 65536, 0, 7), (0, 10, 0, 257),
              (0, 130813371, 0, 0), (0, 1711276034, 0, 7), (0, 0xFFFFFFFF, 0, 0xFFFF),
              (0, 10, 0, 0), (5, 2, 0, 7), (0, 3, 200, 7), (0, 0, 0, 0), (0, 1, 0, 1),
              (0xFFFFFFFF, 0xFFFFFFFF, 0xFFFF, 0xFFFF), (0, 40000, 0, 200), (0, 2, 0, 256)]
    for o, l in dims:
        for f in forged:
            b = bytearray(data)
            struct.pack_into("<IIHH", b, o + 4, *f)
            yield "%s_dims_%d_%d_%d_%d" % ((name,) + f), bytes(b)
    # Forged SST counts and string lengths.
    for o, t, l in recs:
        if t == 0x00FC:
            for total, unique in [(0, 0), (1, 0xFFFFFFFF), (0xFFFFFFFF, 0xFFFFFFFF), (5, 100000), (1000, 1)]:
                b = bytearray(data)
                struct.pack_into("<II", b, o + 4, total, unique)
                yield "%s_sst_%d_%d" % (name, total, unique), bytes(b)
            for length in [0, 1, 0x7FFF, 0xFFFF, 9000]:
                b = bytearray(data)
                struct.pack_into("<H", b, o + 12, length)
                yield "%s_sststr_%d" % (name, length), bytes(b)
    # Forged BOUNDSHEET offsets.
    for o, t, l in recs:
        if t == 0x0085:
            for off in [0, 1, n, n * 4, 0xFFFFFFFF, 0x7FFFFFFF, 100]:
                yield "%s_sheetoff_%d" % (name, off), patch(data, o + 4, "<I", off)
    # Record lengths.
    sample = rng.sample(recs, min(25, len(recs)))
    for o, t, l in sample:
        for length in [0, 0xFFFF, l + 1, max(0, l - 1)]:
            yield "%s_reclen_%d_%d" % (name, o, length), patch(data, o + 2, "<H", length)
    # Compound-file header fields.
    header = [(0, "<Q", 0), (24, "<H", 0xFFFF), (26, "<H", 4), (28, "<H", 0),
              (30, "<H", 0), (30, "<H", 12), (30, "<H", 31), (30, "<H", 0xFFFF), (32, "<H", 31),
              (44, "<I", 0), (44, "<I", 0xFFFF), (44, "<I", 0x7FFFFFFF), (44, "<I", 110),
              (48, "<I", 0), (48, "<I", 0xFFFFFFFE), (48, "<I", 0x7FFFFFFF), (48, "<I", 1000),
              (56, "<I", 0), (56, "<I", 0xFFFFFFFF), (60, "<I", 0), (60, "<I", 0x7FFFFFFF),
              (64, "<I", 5), (68, "<I", 0), (68, "<I", 1), (72, "<I", 0x7FFFFFFF), (72, "<I", 1),
              (76, "<I", 0), (76, "<I", 0xFFFFFFFF), (76, "<I", 0x7FFFFFFF), (80, "<I", 0),
              (80, "<I", 1)]
    for off, fmt, value in header:
        yield "%s_ole_%d_%d" % (name, off, value), patch(data, off, fmt, value)
    # Directory entries: the stream's start sector and size.
    for d in range(512, n, 512):
        if data[d:d + 10] == "Root Entry".encode("utf-16-le")[:10]:
            for e in range(4):
                base = d + 128 * e
                for start, size in [(0, 0xFFFFFFFF), (0xFFFFFFFE, 100), (0x7FFFFFFF, 100), (1, 0x7FFFFFFF),
                                    (0, 10)]:
                    b = bytearray(data)
                    struct.pack_into("<II", b, base + 116, start, size)
                    yield "%s_dir_%d_%d_%d" % (name, e, start, size), bytes(b)
            break


def main(out, seed):
    os.makedirs(out, exist_ok=True)
    rng = random.Random(seed)
    count = 0
    for name, rows in [("small", 3), ("medium", 120)]:
        data = export_workbook(rows)
        with open(os.path.join(out, "%s_valid.xls" % name), "wb") as f:
            f.write(data)
        for vname, vdata in variants(name, data, rng):
            with open(os.path.join(out, vname + ".xls"), "wb") as f:
                f.write(vdata)
            count += 1
    print(count)


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 10)
