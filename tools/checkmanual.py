#!/usr/bin/python3
"""Checks the manual: it is HTML without a parse error, every picture and file it links exists beside
it (pictures in SVG must be well-formed XML), every "#name" link has its target, and every message
listed in the optional messages file (one a line, UTF-8) appears in its text.

    checkmanual.py <manual.htm> [messages file]

Prints one line per fault and exits 1 when there is one.
"""
import os
import re
import sys
import urllib.parse
import xml.etree.ElementTree as ET

import html5lib

XHTML = "{http://www.w3.org/1999/xhtml}"


def words(text):
    return re.sub(r"\s+", " ", text).strip()


def check(path, messages):
    faults = []
    with open(path, "rb") as f:
        data = f.read()
    parser = html5lib.HTMLParser(strict=True)
    try:
        root = parser.parse(data)
    except Exception as e:  # html5lib raises ParseError with the first fault
        return ["%s: not valid HTML: %s" % (path, e)]
    folder = os.path.dirname(os.path.abspath(path))
    ids = {e.get("id") for e in root.iter() if e.get("id")}
    for e in root.iter():
        for attr in ("href", "src"):
            target = e.get(attr)
            if not target:
                continue
            parts = urllib.parse.urlsplit(target)
            if parts.scheme or parts.netloc:
                continue
            if not parts.path:
                if parts.fragment not in ids:
                    faults.append("%s: link to #%s has no target" % (path, parts.fragment))
                continue
            file = os.path.join(folder, urllib.parse.unquote(parts.path))
            if not os.path.isfile(file):
                faults.append("%s: %s names %s, which does not exist" % (path, attr, parts.path))
            elif file.endswith(".svg"):
                try:
                    ET.parse(file)
                except ET.ParseError as err:
                    faults.append("%s: %s" % (parts.path, err))
    body = root.find(XHTML + "body")
    text = words("".join(body.itertext())) if body is not None else ""
    for message in messages:
        if words(message) not in text:
            faults.append("%s: the message %r is not explained" % (path, message))
    return faults


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    messages = []
    if len(sys.argv) > 2:
        with open(sys.argv[2], encoding="utf-8") as f:
            messages = [l.rstrip("\n") for l in f if l.strip()]
    faults = check(sys.argv[1], messages)
    for fault in faults:
        print(fault)
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
