#!/usr/bin/python3
"""Writes a dBase III table from a JSON description, independently of the engine.

Usage: dbfwrite.py DESCRIPTION.json TABLE.DBF

DESCRIPTION: {"encoding": "cp437", "fields": [["NAME", "C", 10, 0], ...],
              "records": [{"deleted": false, "values": [...]}, ...]}
Values: C text, N/F number (or null for an empty field), D "YYYY-MM-DD" (or null),
L true/false (or null), M a block number (or null).
"""
import datetime
import json
import struct
import sys


def stored(ftype, length, decimals, value, encoding):
    if value is None:
        return b" " * length
    if ftype == "C":
        raw = str(value).encode(encoding)[:length]
        return raw.ljust(length, b" ")
    if ftype in "NF":
        text = ("%.*f" % (decimals, value)) if decimals else str(int(value))
        raw = text.encode("ascii")
        return b"*" * length if len(raw) > length else raw.rjust(length, b" ")
    if ftype == "D":
        return datetime.date.fromisoformat(value).strftime("%Y%m%d").encode("ascii")
    if ftype == "L":
        return b"T" if value else b"F"
    if ftype == "M":
        return str(int(value)).encode("ascii").rjust(length, b" ")
    raise ValueError("unsupported field type " + ftype)


def main():
    if len(sys.argv) != 3:
        print("usage: dbfwrite.py DESCRIPTION.json TABLE.DBF", file=sys.stderr)
        return 2
    with open(sys.argv[1], encoding="utf-8") as f:
        desc = json.load(f)
    encoding = desc.get("encoding", "cp437")
    fields = []
    for name, ftype, length, decimals in desc["fields"]:
        if ftype == "D":
            length = 8
        elif ftype == "L":
            length = 1
        elif ftype == "M":
            length = 10
        fields.append((name, ftype, length, decimals if ftype in "NF" else 0))
    records = desc["records"]
    has_memo = any(f[1] == "M" for f in fields)
    header_len = 32 + 32 * len(fields) + 1
    rec_len = 1 + sum(f[2] for f in fields)
    today = datetime.date.today()
    out = bytearray()
    out += struct.pack("<BBBBIHH20x", 0x83 if has_memo else 0x03, today.year - 1900, today.month, today.day,
                       len(records), header_len, rec_len)
    for name, ftype, length, decimals in fields:
        out += struct.pack("<11sc4xBB14x", name.encode("ascii"), ftype.encode("ascii"), length, decimals)
    out += b"\r"
    for rec in records:
        out += b"*" if rec.get("deleted") else b" "
        for (name, ftype, length, decimals), value in zip(fields, rec["values"]):
            out += stored(ftype, length, decimals, value, encoding)
    out += b"\x1a"
    with open(sys.argv[2], "wb") as f:
        f.write(out)
    return 0


if __name__ == "__main__":
    sys.exit(main())
