#!/usr/bin/python3
"""Prints the memo field of every record of a dBase table, read with dbfread.

Usage: memodump.py TABLE.DBF FIELD [ENCODING]

One line per record in file order: "<d> <hex>" where <d> is 1 for a record marked deleted, else 0,
and <hex> the memo's bytes in the table's encoding as lower-case hex ("-" for no memo).
"""
import sys

from dbfread import DBF


def main():
    if len(sys.argv) < 3:
        print("usage: memodump.py TABLE.DBF FIELD [ENCODING]", file=sys.stderr)
        return 2
    encoding = sys.argv[3] if len(sys.argv) > 3 else "latin-1"
    table = DBF(sys.argv[1], encoding=encoding, load=False)
    rows = [(0, r) for r in table] + [(1, r) for r in table.deleted]
    out = []
    for deleted, rec in rows:
        value = rec[sys.argv[2]]
        if value is None or value == "" or value == b"":
            data = "-"
        elif isinstance(value, bytes):
            data = value.hex()
        else:
            data = value.encode(encoding).hex()
        out.append("%d %s" % (deleted, data))
    sys.stdout.write("\n".join(out) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
