#!/usr/bin/python3
"""Writes the help text files kwendal.hlp and qorva.hlp from their UTF-8 sources in tools/help/.

The files are in the DOS code page (437) with CR LF line ends, as the program reads them. A source
line starting with ";" is a comment. Every further line of a topic is checked: it must not be read
as a topic line (its first four characters all digits).

    mkhelptexts.py <output folder>
"""
import pathlib
import sys

HERE = pathlib.Path(__file__).resolve().parent


def topic_of(line):
    head = line[:4]
    return int(head) if head and head.isdigit() and head.isascii() else None


def build(source):
    out = []
    expect_text = False
    for n, line in enumerate(source.read_text(encoding="utf-8").splitlines(), 1):
        if line.startswith(";"):
            continue
        if expect_text:
            out.append(line)
            expect_text = False
            continue
        if topic_of(line) is not None:
            expect_text = True
        out.append(line)
    if expect_text:
        sys.exit(f"{source}: the last topic has no text line")
    return "".join(l + "\r\n" for l in out).encode("cp437")


def main():
    target = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else HERE.parent / "data")
    for name in ("kwendal", "qorva"):
        (target / f"{name}.hlp").write_bytes(build(HERE / "help" / f"{name}.txt"))


if __name__ == "__main__":
    main()
