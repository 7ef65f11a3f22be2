#!/usr/bin/python3
"""Writes the shipped help pictures (plotter files in the HP-GL subset the program reads) and their
index qorva.dbh. Usage: mkhelppics.py [output folder]  (default: data/ of the source tree).

Coordinates are given in mm on the 160 x 120 mm picture area; one plotter unit is 0.025 mm.
Labels use character set 3, where a letter followed by "}" is its umlaut.
"""
import os
import sys


def pu(mm):
    return int(round(mm * 40))


def pe_number(v):
    """One signed number of an encoded polyline, eight-bit digits (base 64)."""
    v = 2 * v if v >= 0 else 2 * (-v) + 1
    out = bytearray()
    while v >= 64:
        out.append(63 + (v & 63))
        v >>= 6
    out.append(191 + v)
    return bytes(out)


class Picture:
    def __init__(self):
        self.cmds = [b"IN;", b"CS3;"]
        self.pen = None

    def add(self, text):
        self.cmds.append(text.encode("ascii") if isinstance(text, str) else text)

    def sp(self, pen):
        if pen != self.pen:
            self.add("SP%d;" % pen)
            self.pen = pen

    def polyline(self, pts, pen):
        self.sp(pen)
        x, y = pts[0]
        self.add("PU%d,%d;" % (pu(x), pu(y)))
        self.add("PD" + ",".join("%d,%d" % (pu(a), pu(b)) for a, b in pts[1:]) + ";")
        self.add("PU;")

    def rect(self, x1, y1, x2, y2, pen):
        self.polyline([(x1, y1), (x2, y1), (x2, y2), (x1, y2), (x1, y1)], pen)

    def circle(self, x, y, r, pen):
        self.sp(pen)
        self.add("PU%d,%d;CI%d;" % (pu(x), pu(y), pu(r)))

    def arc(self, cx, cy, sx, sy, sweep, pen):
        """From (sx, sy) about (cx, cy); sweep in degrees, negative runs clockwise."""
        self.sp(pen)
        self.add("PU%d,%d;PD;AA%d,%d,%d;PU;" % (pu(sx), pu(sy), pu(cx), pu(cy), sweep))

    def encoded(self, pts, pen):
        """An encoded polyline: absolute first point with the pen up, then relative steps."""
        self.sp(pen)
        cur = [pu(a) for a in pts[0]]
        body = b"<=" + pe_number(cur[0]) + pe_number(cur[1])
        for a, b in pts[1:]:
            nx, ny = pu(a), pu(b)
            body += pe_number(nx - cur[0]) + pe_number(ny - cur[1])
            cur = [nx, ny]
        self.add(b"PE" + body + b";")
        self.add("PU;")

    def label(self, x, y, text, size=(0.25, 0.35), direction=(1, 0), pen=7):
        self.sp(pen)
        self.add("PU%d,%d;SI%s,%s;DI%d,%d;" % (pu(x), pu(y), size[0], size[1], direction[0], direction[1]))
        self.add(b"LB" + text.encode("ascii") + b"\x03")

    def arrow(self, x1, y1, x2, y2, pen, both=False):
        """A dimension line with an arrowhead at (x2, y2) (and at (x1, y1) when both)."""
        pts = [(x1, y1), (x2, y2)]
        self.polyline(pts, pen)
        for (ax, ay), (bx, by) in (((x1, y1), (x2, y2)),) + ((((x2, y2), (x1, y1)),) if both else ()):
            dx, dy = bx - ax, by - ay
            n = (dx * dx + dy * dy) ** 0.5
            ux, uy = dx / n * 2.5, dy / n * 2.5
            self.polyline([(bx - ux - uy * 0.35, by - uy + ux * 0.35), (bx, by),
                           (bx - ux + uy * 0.35, by - uy - ux * 0.35)], pen)

    def frame(self, title):
        self.rect(2, 2, 158, 118, 5)
        self.label(8, 108, title, size=(0.4, 0.55), pen=1)

    def bytes(self):
        return b"\r\n".join(self.cmds) + b"\r\n"


def start_picture():
    p = Picture()
    p.rect(2, 2, 158, 118, 5)
    p.label(14, 88, "QORVA", size=(1.0, 1.4), pen=1)
    p.label(14, 72, "Konstantkraftfeder", size=(0.45, 0.6), pen=2)
    p.label(14, 62, "Berechnung, Zeichnung, Werkstoffe", size=(0.22, 0.3), pen=7)
    # The coil on its drum with the strip pulled out.
    for r, pen in ((9, 6), (12, 3), (15, 3), (18, 3), (21, 3)):
        p.circle(110, 40, r, pen)
    p.rect(111, 19, 146, 21, 3)
    p.arrow(147, 20, 156, 20, 1)
    p.label(150, 23, "F", size=(0.3, 0.4), pen=1)
    p.label(14, 10, "Hilfe in jedem Dialog   Hilfebilder: Hilfe > Hilfebild", size=(0.2, 0.28), pen=7)
    return p


def null_picture():
    p = Picture()
    p.frame("Kein Hilfebild")
    p.rect(50, 30, 110, 80, 6)
    p.polyline([(52, 32), (108, 78)], 6)
    p.polyline([(52, 78), (108, 32)], 6)
    p.label(20, 15, "Zu diesem Thema gibt es kein Hilfebild.", size=(0.25, 0.35), pen=7)
    return p


def strip_and_coil_picture():
    p = Picture()
    p.frame("Band und Wickel")
    cx, cy = 45, 68
    # Coil: outer diameter De, inner diameter Di, layers between.
    p.circle(cx, cy, 25, 3)
    for r in (21.5, 18.5):
        p.circle(cx, cy, r, 3)
    p.circle(cx, cy, 15, 6)
    # The strip leaves the coil at the bottom, thickness t.
    p.rect(47, 43, 115, 45.5, 3)
    p.arrow(110, 37, 110, 43, 1)
    p.arrow(110, 51.5, 110, 45.5, 1)
    p.label(112, 46.5, "t", pen=1)
    # De above the coil.
    p.polyline([(20, 76), (20, 102)], 7)
    p.polyline([(70, 76), (70, 102)], 7)
    p.arrow(20.5, 99, 69.5, 99, 1, both=True)
    p.label(41, 100.5, "De", pen=1)
    # Di across the inner circle.
    p.arrow(30.6, 68, 59.4, 68, 1, both=True)
    p.label(41, 70, "Di", pen=1)
    # The free coil with its natural diameter Dn.
    p.circle(130, 88, 11, 3)
    p.circle(130, 88, 13, 3)
    p.arrow(119.4, 88, 140.6, 88, 1, both=True)
    p.label(126, 90, "Dn", pen=1)
    p.label(116, 68, "entspannt", size=(0.2, 0.28), pen=7)
    # The strip seen from the front, width b.
    p.rect(120, 22, 150, 34, 3)
    p.arrow(116, 40, 116, 34, 1)
    p.arrow(116, 16, 116, 22, 1)
    p.label(111, 27, "b", pen=1)
    legend = ["t  Banddicke", "b  Bandbreite", "De Aussendurchmesser", "Di Innendurchmesser",
              "Dn natu}rlicher Durchmesser"]
    for i, text in enumerate(legend):
        p.label(8, 34 - 6 * i, text, size=(0.2, 0.28))
    return p


def force_travel_picture():
    p = Picture()
    p.frame("Kraft-Weg-Kennlinie")
    p.arrow(20, 18, 148, 18, 7)
    p.arrow(20, 18, 20, 100, 7)
    p.label(144, 11, "s", pen=7)
    p.label(12, 96, "F", pen=7)
    # Nearly constant force after the run-in.
    p.encoded([(20, 18), (23, 45), (26, 62), (30, 72), (36, 76), (60, 77.5), (100, 78.5), (140, 79.5)], 1)
    for x in range(20, 140, 8):
        p.polyline([(x + 1, 78), (x + 5, 78)], 2)
    p.label(8, 77, "Fn", pen=2)
    p.arrow(22, 30, 36, 30, 7, both=True)
    p.label(22, 32, "Anlauf", size=(0.2, 0.28))
    p.arrow(38, 50, 140, 50, 7, both=True)
    p.label(60, 52, "Nutzweg: F nahezu konstant", size=(0.2, 0.28))
    return p


def pre_design_picture():
    p = Picture()
    p.frame("Vorauslegung")
    p.label(8, 100, "Verha}ltnisse", size=(0.25, 0.35), pen=2)
    cx, cy = 45, 60
    p.circle(cx, cy, 18, 6)
    p.circle(cx, cy, 21, 3)
    p.circle(cx, cy, 30, 3)
    p.arc(cx, cy, cx + 24, cy, 120, 3)
    p.arc(cx, cy, cx - 27, cy, -60, 3)
    p.arrow(27.6, 60, 62.4, 60, 1, both=True)
    p.label(40, 62, "Di", pen=1)
    p.label(84, 90, "Richtwerte:", size=(0.25, 0.35), pen=1)
    p.label(84, 80, "Di  =  Dn (Vorauslegung)", size=(0.18, 0.26))
    p.label(84, 72, "Dn / t  >=  E / sig.zul", size=(0.18, 0.26))
    p.label(84, 64, "b / t  =  50 ... 200", size=(0.18, 0.26))
    p.label(84, 56, "De aus Weg s + 5 Di", size=(0.18, 0.26))
    p.label(84, 44, "Hohes Dn / t: kleinere", size=(0.17, 0.25))
    p.label(84, 38, "Spannung, kleinere Kraft", size=(0.17, 0.25))
    p.label(8, 16, "Di Trommel, Dn natu}rlicher Durchmesser,", size=(0.2, 0.28))
    p.label(8, 10, "t Banddicke", size=(0.2, 0.28))
    return p


# The index lists the picture of the spring's dimensions first: the browser and the demonstration
# open on it.
PICTURES = [
    ("band", "Band und Wickel: t, b, De, Di, Dn", strip_and_coil_picture),
    ("start", "Startbild", start_picture),
    ("kraftweg", "Kraft-Weg-Kennlinie", force_travel_picture),
    ("vorausl", "Vorauslegung: Verh\x84ltnisse", pre_design_picture),
    ("start", "Startbild", start_picture),
    ("null", "Kein Hilfebild", null_picture),
]


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "data")
    os.makedirs(out, exist_ok=True)
    index = bytearray()
    for name, info, make in PICTURES:
        with open(os.path.join(out, name + ".plt"), "wb") as f:
            f.write(make().bytes())
        index += b'"' + name.encode("ascii") + b'","' + info.encode("latin-1") + b'"\r\n'
    with open(os.path.join(out, "qorva.dbh"), "wb") as f:
        f.write(bytes(index))


if __name__ == "__main__":
    main()
