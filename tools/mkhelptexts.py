#!/usr/bin/python3
"""Writes the help text files kwendal.hlp and qorva.hlp and the error-help file qorva.err from their
UTF-8 sources in tools/help/.

The files are in the DOS code page (437) with CR LF line ends, as the program reads them. A source
line starting with ";" is a comment. Every further line of a topic is checked: it must not be read
as a topic line (its first four characters all digits). The error-help file is a sequence of records
of three lines (message, cause, remedy); a record is found by the first 14 characters of its message,
and every line of the file is tried, so no cause or remedy may begin like a message line.
The demonstration file qorva.dem is its source line for line: two header lines, then four lines per
step (a head line, the two flags, the text, an empty line).

    mkhelptexts.py <output folder>
"""
import pathlib
import sys

HERE = pathlib.Path(__file__).resolve().parent


def topic_of(line):
    head = line[:4]
    return int(head) if head and head.isdigit() and head.isascii() else None


# The message box shows a line of 254 characters or more as an empty line, and cuts the joined
# text of a topic (five lines, each with a blank) at 1000 characters.
LINE_LIMIT = 253
TOPIC_LIMIT = 1000
TOPIC_LINES = 5
NO_PICTURE = ":null"


def build(source):
    out = []
    expect_text = False
    topic, lines = None, []

    def close_topic():
        if topic is None:
            return
        if len(lines) > TOPIC_LINES:
            sys.exit(f"{source}: topic {topic} has {len(lines)} lines; only {TOPIC_LINES} are shown")
        if sum(len(l) + 1 for l in lines) > TOPIC_LIMIT:
            sys.exit(f"{source}: topic {topic} is longer than {TOPIC_LIMIT} characters")

    for n, line in enumerate(source.read_text(encoding="utf-8").splitlines(), 1):
        if line.startswith(";"):
            continue
        if len(line) > LINE_LIMIT:
            sys.exit(f"{source}:{n}: a line of {len(line)} characters is shown empty")
        if expect_text:
            out.append(line)
            lines.append(line)
            expect_text = False
            continue
        if topic_of(line) is not None:
            close_topic()
            topic, lines = topic_of(line), []
            expect_text = True
            # A topic without a picture of its own shows "null", which says there is none: without a
            # name its Hilfebild button would clear the drawing and leave the window black.
            if ":" not in line:
                line += NO_PICTURE
        elif topic is not None:
            lines.append(line)
        out.append(line)
    if expect_text:
        sys.exit(f"{source}: the last topic has no text line")
    close_topic()
    return "".join(l + "\r\n" for l in out).encode("cp437")


KEY = 14


def build_error_help(source):
    lines = [l for l in source.read_text(encoding="utf-8").splitlines() if not l.startswith(";")]
    if len(lines) % 3:
        sys.exit(f"{source}: {len(lines)} lines are no whole number of three-line records")
    for i, line in enumerate(lines):
        if len(line) > LINE_LIMIT:
            sys.exit(f"{source}: line {i + 1} has {len(line)} characters; the window shows it empty")
    keys = [lines[i][:KEY] for i in range(0, len(lines), 3)]
    for i, line in enumerate(lines):
        if i % 3 and line[:KEY] in keys:
            sys.exit(f"{source}: line {line!r} would be taken for a message")
    dup = {k for k in keys if keys.count(k) > 1}
    if dup:
        sys.exit(f"{source}: more than one record for {sorted(dup)}")
    return "".join(l + "\r\n" for l in lines).encode("cp437")


def build_demo(source):
    lines = source.read_text(encoding="utf-8").splitlines()
    if len(lines) < 2 or (len(lines) - 2) % 4:
        sys.exit(f"{source}: two header lines and four lines per step expected")
    for i in range(2, len(lines), 4):
        if len(lines[i + 1]) < 2 or not lines[i + 2]:
            sys.exit(f"{source}: step {(i - 2) // 4 + 1} needs two flags and a text")
        if len(lines[i + 2]) > LINE_LIMIT:
            sys.exit(f"{source}: the text of step {(i - 2) // 4 + 1} is too long to be shown")
    return "".join(l + "\r\n" for l in lines).encode("cp437")


def main():
    target = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else HERE.parent / "data")
    for name in ("kwendal", "qorva"):
        (target / f"{name}.hlp").write_bytes(build(HERE / "help" / f"{name}.txt"))
    (target / "qorva.err").write_bytes(build_error_help(HERE / "help" / "qorva-err.txt"))
    (target / "qorva.dem").write_bytes(build_demo(HERE / "help" / "qorva-dem.txt"))


if __name__ == "__main__":
    main()
