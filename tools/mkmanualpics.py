#!/usr/bin/python3
"""Writes the pictures of the manual (data/qorva.htm) as SVG files.

Each help picture data/<name>.plt becomes data/<name>.svg, drawn as the program's help-picture
interpreter draws it: 160 x 120 mm, one plotter unit 0.025 mm, pens in the program's colours (on a
white page: pen 7, white on the screen, is drawn black, pen 2, yellow, dark yellow).

The production drawing and the Quick 3 page of the default spring come from the DXF files the
program writes for it, kept as golden files of the drawing tests (tests/drawings/data, written with
a fixed date and a placeholder for the spring's folder): fertigung.svg and quick3.svg. The same
input files always give the same bytes.

    mkmanualpics.py [data folder [output folder]]   (default: data/ of the source tree, written there)
"""
import math
import os
import sys

PICTURES = ["band", "kraftweg", "vorausl", "start"]

WIDTH, HEIGHT = 160.0, 120.0
UNIT = 0.025
PEN_COLOURS = {0: "#000000", 1: "#c00000", 2: "#a07800", 3: "#007000", 4: "#007878", 5: "#0000b0",
               6: "#a000a0", 7: "#000000"}
# Character set 3: a letter followed by "}" is its umlaut.
UMLAUTS = {"a": "ä", "o": "ö", "u": "ü", "A": "Ä", "O": "Ö", "U": "Ü", "s": "ß"}


def fmt(v):
    text = "%.3f" % v
    text = text.rstrip("0").rstrip(".")
    return "0" if text in ("-0", "") else text


def pe_numbers(data, i):
    """Decodes one encoded number (eight-bit digits, base 64) starting at data[i]."""
    value, shift = 0, 0
    while i < len(data):
        c = data[i]
        i += 1
        if 63 <= c <= 126:
            value += (c - 63) << shift
            shift += 6
        elif 191 <= c <= 254:
            value += (c - 191) << shift
            break
        else:
            raise ValueError("broken encoded number")
    number = -(value >> 1) if value & 1 else value >> 1
    return number, i


class Svg:
    def __init__(self):
        self.items = []
        self.x = self.y = None
        self.pen = 1
        self.down = False
        self.size = (0.25, 0.35)
        self.direction = (1.0, 0.0)
        self.charset = 1

    @staticmethod
    def sy(y):
        return HEIGHT - y

    def colour(self):
        return PEN_COLOURS.get(self.pen, "#000000")

    def line(self, x1, y1, x2, y2):
        self.items.append('<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="%s"/>'
                          % (fmt(x1), fmt(self.sy(y1)), fmt(x2), fmt(self.sy(y2)), self.colour()))

    def move(self, x, y):
        if self.down and self.x is not None:
            self.line(self.x, self.y, x, y)
        self.x, self.y = x, y

    def circle(self, r):
        self.items.append('<circle cx="%s" cy="%s" r="%s" stroke="%s" fill="none"/>'
                          % (fmt(self.x), fmt(self.sy(self.y)), fmt(r), self.colour()))

    def arc(self, cx, cy, sweep):
        r = math.hypot(self.x - cx, self.y - cy)
        a = math.atan2(self.y - cy, self.x - cx) + math.radians(sweep)
        ex, ey = cx + r * math.cos(a), cy + r * math.sin(a)
        if self.down:
            large = 1 if abs(sweep) > 180 else 0
            # y runs down in SVG: a counter-clockwise sweep on paper is clockwise there.
            flag = 0 if sweep > 0 else 1
            self.items.append('<path d="M %s %s A %s %s 0 %d %d %s %s" stroke="%s" fill="none"/>'
                              % (fmt(self.x), fmt(self.sy(self.y)), fmt(r), fmt(r), large, flag,
                                 fmt(ex), fmt(self.sy(ey)), self.colour()))
        self.x, self.y = ex, ey

    def label(self, raw):
        text = raw.decode("ascii")
        if self.charset == 3:
            for letter, umlaut in UMLAUTS.items():
                text = text.replace(letter + "}", umlaut)
        text = text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
        height = 10 * self.size[1]
        width = 10 * self.size[0]
        angle = -math.degrees(math.atan2(self.direction[1], self.direction[0]))
        # The program's font 2 is drawn with the given character width; the SVG font is scaled to it.
        stretch = width / (0.6 * height)
        self.items.append('<text transform="translate(%s %s) rotate(%s) scale(%s 1)" font-size="%s" fill="%s">%s</text>'
                          % (fmt(self.x), fmt(self.sy(self.y)), fmt(angle), fmt(stretch), fmt(height),
                             self.colour(), text))

    def document(self, title):
        head = ('<?xml version="1.0" encoding="UTF-8"?>\n'
                '<svg xmlns="http://www.w3.org/2000/svg" width="%smm" height="%smm" viewBox="0 0 %s %s">\n'
                '<title>%s</title>\n'
                '<rect x="0" y="0" width="%s" height="%s" fill="#ffffff"/>\n'
                '<g stroke-width="0.3" font-family="Liberation Sans, Arial, sans-serif">\n'
                % (fmt(WIDTH), fmt(HEIGHT), fmt(WIDTH), fmt(HEIGHT), title, fmt(WIDTH), fmt(HEIGHT)))
        return head + "".join(i + "\n" for i in self.items) + "</g>\n</svg>\n"


def numbers(params):
    return [float(p) for p in params.split(b",") if p.strip()]


def convert(data):
    svg = Svg()
    i = 0
    while i < len(data):
        if data[i] in b" \r\n;":
            i += 1
            continue
        cmd = data[i:i + 2].upper()
        i += 2
        if cmd == b"LB":
            end = data.index(b"\x03", i)
            svg.label(data[i:end])
            i = end + 1
            continue
        if cmd == b"PE":
            i = encoded(svg, data, i)
            continue
        end = data.find(b";", i)
        end = len(data) if end < 0 else end
        params, i = data[i:end], end + 1
        v = numbers(params)
        if cmd in (b"PU", b"PD", b"PA"):
            if cmd != b"PA":
                svg.down = cmd == b"PD"
            for k in range(0, len(v) - 1, 2):
                svg.move(v[k] * UNIT, v[k + 1] * UNIT)
        elif cmd == b"SP":
            svg.pen = int(v[0]) if v else 1
        elif cmd == b"CI":
            svg.circle(v[0] * UNIT)
        elif cmd == b"AA":
            svg.arc(v[0] * UNIT, v[1] * UNIT, v[2])
        elif cmd == b"SI":
            svg.size = (v[0], v[1])
        elif cmd == b"DI":
            svg.direction = (v[0], v[1])
        elif cmd == b"CS":
            svg.charset = int(v[0]) if v else 0
        elif cmd == b"IN":
            svg.down = False
        else:
            raise ValueError("command %r is not one the help pictures use" % cmd)
    return svg


def encoded(svg, data, i):
    """An encoded polyline up to ";": "<" moves with the pen up, "=" makes the next pair absolute."""
    svg.down = True
    up = absolute = False
    while data[i:i + 1] != b";":
        c = data[i]
        if c == ord("<"):
            up, i = True, i + 1
        elif c == ord("="):
            absolute, i = True, i + 1
        else:
            x, i = pe_numbers(data, i)
            y, i = pe_numbers(data, i)
            nx, ny = (x * UNIT, y * UNIT) if absolute else (svg.x + x * UNIT, svg.y + y * UNIT)
            svg.down = not up
            svg.move(nx, ny)
            svg.down = True
            up = absolute = False
    return i + 1


# DXF colour numbers on a white page.
ACI = {1: "#c00000", 2: "#a07800", 3: "#007000", 4: "#007878", 5: "#0000b0", 6: "#a000a0", 7: "#000000"}
VIEWS = [("null_view1.dxf", "fertigung", "Fertigungszeichnung der Standardfeder"),
         ("null_view6.dxf", "quick3", "Quick 3 der Standardfeder")]
# The golden files name the spring's file in a test folder; the picture names the file alone.
FOLDER_PLACEHOLDER = "MOLVA/<dir>/"


def escape(text):
    return text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")


def dxf_to_svg(path, title):
    import ezdxf  # only the view pictures need it (Debian: python3-ezdxf)

    doc = ezdxf.readfile(path)
    xmin, ymin = doc.header["$EXTMIN"][:2]
    xmax, ymax = doc.header["$EXTMAX"][:2]
    layers = {layer.dxf.name: abs(layer.dxf.color) for layer in doc.layers}
    items = []

    def colour(e, parent):
        c = e.dxf.get("color", 256)
        if c == 256:
            c = layers.get(e.dxf.layer, 7)
        elif c == 0:
            c = parent
        return c

    def y(v):
        return ymax - v

    def walk(entities, parent):
        for e in entities:
            kind = e.dxftype()
            c = colour(e, parent)
            stroke = ACI.get(c, "#404040")
            if kind == "INSERT":
                walk(e.virtual_entities(), c)
            elif kind == "LINE":
                a, b = e.dxf.start, e.dxf.end
                items.append('<line x1="%s" y1="%s" x2="%s" y2="%s" stroke="%s"/>'
                             % (fmt(a[0]), fmt(y(a[1])), fmt(b[0]), fmt(y(b[1])), stroke))
            elif kind == "SOLID":
                pts = [e.dxf.vtx0, e.dxf.vtx1, e.dxf.vtx3, e.dxf.vtx2]
                items.append('<polygon points="%s" fill="%s" stroke="none"/>'
                             % (" ".join("%s,%s" % (fmt(p[0]), fmt(y(p[1]))) for p in pts), stroke))
            elif kind == "ELLIPSE":
                pts = list(e.flattening(0.05))
                items.append('<polyline points="%s" fill="none" stroke="%s"/>'
                             % (" ".join("%s,%s" % (fmt(p[0]), fmt(y(p[1]))) for p in pts), stroke))
            elif kind == "TEXT":
                text = e.dxf.text.replace(FOLDER_PLACEHOLDER, "")
                p = e.dxf.insert
                items.append('<text transform="translate(%s %s) rotate(%s) scale(%s 1)" font-size="%s" fill="%s">%s</text>'
                             % (fmt(p[0]), fmt(y(p[1])), fmt(-e.dxf.rotation), fmt(e.dxf.get("width", 1.0)),
                                fmt(e.dxf.height), stroke, escape(text)))
            else:
                raise ValueError("%s: entity %s is not one the pictures know" % (path, kind))

    walk(doc.modelspace(), 7)
    w, h = xmax - xmin, ymax - ymin
    head = ('<?xml version="1.0" encoding="UTF-8"?>\n'
            '<svg xmlns="http://www.w3.org/2000/svg" width="%smm" height="%smm" viewBox="%s 0 %s %s">\n'
            '<title>%s</title>\n'
            '<rect x="%s" y="0" width="%s" height="%s" fill="#ffffff"/>\n'
            '<g stroke-width="0.2" font-family="Liberation Sans, Arial, sans-serif">\n'
            % (fmt(w), fmt(h), fmt(xmin), fmt(w), fmt(h), title, fmt(xmin), fmt(w), fmt(h)))
    return head + "".join(i + "\n" for i in items) + "</g>\n</svg>\n"


def main():
    folder = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
    out = sys.argv[2] if len(sys.argv) > 2 else folder
    index = {}
    with open(os.path.join(folder, "qorva.dbh"), "rb") as f:
        for line in f.read().decode("cp437").splitlines():
            name, _, info = line.partition(",")
            index[name.strip('"')] = info.strip('"')
    for name in PICTURES:
        with open(os.path.join(folder, name + ".plt"), "rb") as f:
            svg = convert(f.read())
        with open(os.path.join(out, name + ".svg"), "w", encoding="utf-8", newline="\n") as f:
            f.write(svg.document(index.get(name, name)))
    views = os.path.join(folder, "..", "tests", "drawings", "data")
    for source, name, title in VIEWS:
        with open(os.path.join(out, name + ".svg"), "w", encoding="utf-8", newline="\n") as f:
            f.write(dxf_to_svg(os.path.join(views, source), title))


if __name__ == "__main__":
    main()
