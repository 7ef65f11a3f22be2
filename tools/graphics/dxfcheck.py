#!/usr/bin/python3
"""Reads a DXF file with ezdxf, audits it and prints what it holds in a canonical text form.

Usage: dxfcheck.py FILE.DXF

Exit code: 0 when ezdxf reads the file without a warning and its audit finds nothing to report;
1 when the audit reports errors or fixes (a fix may delete an entity, such as an INSERT of a block
the file does not define) or ezdxf warns (for instance of entities outside every section, which it
drops); 2 when ezdxf cannot read the file at all (the reason is printed).

Output (UTF-8, one item per line):
  warning <message>               each warning ezdxf logged while reading and auditing
  read <dxfversion> <encoding>
  audit errors=<n> fixes=<n>
  error <code> <message>          each audit error
  fix <code> <message>            each fix the audit made
  layer <name> color=<c> linetype=<name>
  style <name> font=<font>
  block <name> base=(x,y)          every block but the model and paper space blocks
    <entity>                       the entities of that block, indented by two blanks
  entities
    <entity>                       the model space entities in file order
Entities:
  LINE layer=<l> (x1,y1) (x2,y2)
  CIRCLE layer=<l> (x,y) r=<r>
  ARC layer=<l> (x,y) r=<r> from=<a1> to=<a2>
  TEXT layer=<l> (x,y) h=<h> text=<JSON string> style=<s> width=<w> rot=<a> oblique=<o>
  SOLID layer=<l> (x1,y1) (x2,y2) (x3,y3) (x4,y4)
  INSERT layer=<l> <name> (x,y) sx=<sx> sy=<sy> rot=<a>
Numbers are rounded to 6 decimals and written without trailing zeros ("10.5", "-3", "0").
"""
import json
import logging
import sys

import ezdxf


def num(v):
    t = f"{float(v):.6f}".rstrip("0").rstrip(".")
    return "0" if t in ("-0", "") else t


def pt(p):
    return f"({num(p[0])},{num(p[1])})"


def entity(e):
    t = e.dxftype()
    d = e.dxf
    head = f"{t} layer={d.layer}"
    if t == "LINE":
        return f"{head} {pt(d.start)} {pt(d.end)}"
    if t == "CIRCLE":
        return f"{head} {pt(d.center)} r={num(d.radius)}"
    if t == "ARC":
        return f"{head} {pt(d.center)} r={num(d.radius)} from={num(d.start_angle)} to={num(d.end_angle)}"
    if t == "TEXT":
        return (f"{head} {pt(d.insert)} h={num(d.height)} text={json.dumps(d.text, ensure_ascii=False)}"
                f" style={d.style} width={num(d.width)} rot={num(d.rotation)} oblique={num(d.oblique)}")
    if t == "SOLID":
        return f"{head} {pt(d.vtx0)} {pt(d.vtx1)} {pt(d.vtx2)} {pt(d.vtx3)}"
    if t == "INSERT":
        return (f"{head} {d.name} {pt(d.insert)} sx={num(d.xscale)} sy={num(d.yscale)}"
                f" rot={num(d.rotation)}")
    return head


class Collect(logging.Handler):
    def __init__(self):
        super().__init__(level=logging.WARNING)
        self.messages = []

    def emit(self, record):
        self.messages.append(record.getMessage())


def main():
    sys.stdout.reconfigure(encoding="utf-8")
    warnings = Collect()
    logging.getLogger("ezdxf").addHandler(warnings)
    logging.getLogger("ezdxf").propagate = False
    if len(sys.argv) != 2:
        print("usage: dxfcheck.py FILE.DXF")
        return 2
    try:
        doc = ezdxf.readfile(sys.argv[1])
    except Exception as exc:  # any reader failure means the file is not accepted
        print(f"unreadable {type(exc).__name__}: {exc}")
        return 2
    auditor = doc.audit()
    for message in warnings.messages:
        print(f"warning {message}")
    print(f"read {doc.dxfversion} {doc.encoding}")
    print(f"audit errors={len(auditor.errors)} fixes={len(auditor.fixes)}")
    for err in auditor.errors:
        print(f"error {err.code} {err.message}")
    for fix in auditor.fixes:
        print(f"fix {fix.code} {fix.message}")
    for layer in doc.layers:
        print(f"layer {layer.dxf.name} color={layer.dxf.color} linetype={layer.dxf.linetype}")
    for style in doc.styles:
        print(f"style {style.dxf.name} font={style.dxf.font}")
    for block in doc.blocks:
        if block.name.lower().startswith(("*model_space", "*paper_space", "$model_space", "$paper_space")):
            continue
        print(f"block {block.name} base={pt(block.block.dxf.base_point)}")
        for e in block:
            print("  " + entity(e))
    print("entities")
    for e in doc.modelspace():
        print("  " + entity(e))
    return 1 if auditor.errors or auditor.fixes or warnings.messages else 0


if __name__ == "__main__":
    sys.exit(main())
