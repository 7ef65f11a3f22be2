#!/usr/bin/python3
"""Prints a dBase table in a canonical text form, read with dbfread.

Usage: dbfcanon.py TABLE.DBF [ENCODING]

The form (one item per line) is shared with the engine's cross-check tests:
  fields <n>
  field <name> <type> <length> <decimals>
  records <count in header>
  live <values>        every record not marked deleted, in file order
  deleted <values>     every record marked deleted, in file order
Values are separated by "|": texts as JSON strings (non-ASCII as \\u escapes) without trailing
blanks, numbers in their shortest form (an integral float without ".0"), dates as YYYY-MM-DD,
logicals as true/false, anything empty as null.
"""
import datetime
import json
import sys

from dbfread import DBF


def canon(value):
    if value is None:
        return "null"
    if isinstance(value, bool):
        return "true" if value else "false"
    if isinstance(value, int):
        return str(value)
    if isinstance(value, float):
        if value.is_integer():
            return str(int(value))
        return repr(value)
    if isinstance(value, (datetime.date, datetime.datetime)):
        return value.strftime("%Y-%m-%d")
    if isinstance(value, bytes):
        value = value.decode("latin-1")
    return json.dumps(str(value).rstrip(" "), ensure_ascii=True)


def main():
    if len(sys.argv) < 2:
        print("usage: dbfcanon.py TABLE.DBF [ENCODING]", file=sys.stderr)
        return 2
    encoding = sys.argv[2] if len(sys.argv) > 2 else "cp437"
    table = DBF(sys.argv[1], encoding=encoding, ignore_missing_memofile=True, load=False)
    out = ["fields %d" % len(table.fields)]
    for f in table.fields:
        ftype = f.type
        # dBase keeps binary, OLE and picture data in the memo file like memo texts.
        if ftype in "BGP" and table.header.dbversion not in (0x30, 0x31, 0x32):
            ftype = "M"
        out.append("field %s %s %d %d" % (f.name, ftype, f.length, f.decimal_count))
    out.append("records %d" % table.header.numrecords)
    names = [f.name for f in table.fields]
    for rec in table:
        out.append("live " + "|".join(canon(rec[n]) for n in names))
    for rec in table.deleted:
        out.append("deleted " + "|".join(canon(rec[n]) for n in names))
    sys.stdout.write("\n".join(out) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
