#!/usr/bin/python3
"""samerecords.py TEMPLATE SAVED SHEET: checks that saving a filled template kept every
record it had no reason to change byte for byte: the globals (less TEMPLATE, the string
table, the window's active tab and the added cell formats), every sheet but SHEET (less
INDEX positions and WINDOW2's selection bits), and SHEET's records around its cells."""
import sys

from checkbiff import records, substream
from xlrd import compdoc

CELL_TABLE = {0x0208, 0x0201, 0x0203, 0x0204, 0x0205, 0x00FD, 0x027E, 0x00D6, 0x0006,
              0x00BD, 0x00BE, 0x0207, 0x0221, 0x04BC, 0x0236, 0x00D7, 0x020B, 0x0200}


def stream(path):
    doc = compdoc.CompDoc(open(path, "rb").read())
    for name in ("Workbook", "WORKBOOK", "workbook", "Book"):
        s = doc.get_named_stream(name)
        if s:
            return s
    raise SystemExit("no workbook stream in " + path)


def globals_kept(recs, xf_limit=None):
    out, prev, xfs = [], None, 0
    for _, rid, body in recs:
        skip = rid in (0x0060, 0x00FC, 0x00FF, 0x003D, 0x087C, 0x087D) or (
            rid == 0x003C and prev in (0x00FC, 0x003C))
        if rid != 0x003C:
            prev = rid
        elif prev in (0x00FC, 0x003C):
            prev = 0x003C
        if rid == 0x00E0:
            xfs += 1
            if xf_limit is not None and xfs > xf_limit:
                continue
        if skip:
            continue
        out.append((rid, body[4:] if rid == 0x0085 else body))
    return out, xfs


def sheet_kept(recs, filled):
    out = []
    for _, rid, body in recs:
        if rid == 0x020B or (filled and rid in CELL_TABLE):
            continue
        if rid == 0x003C and filled and out and out[-1][0] in CELL_TABLE:
            continue
        out.append((rid, body[2:] if rid == 0x023E else body))
    return out


def sheets(recs, glob):
    at = {pos: i for i, (pos, _, _) in enumerate(recs)}
    result = []
    for _, rid, body in glob:
        if rid == 0x0085:
            pos = int.from_bytes(body[:4], "little")
            result.append(substream(recs, at[pos]))
    return result


def main():
    a, b = records(stream(sys.argv[1])), records(stream(sys.argv[2]))
    filled = int(sys.argv[3])
    ga, gb = substream(a, 0), substream(b, 0)
    kept_a, xf_count = globals_kept(ga)
    kept_b, _ = globals_kept(gb, xf_count)
    faults = []
    if kept_a != kept_b:
        for i, (x, y) in enumerate(zip(kept_a, kept_b)):
            if x != y:
                faults.append("globals record %d differs: %04x vs %04x" % (i, x[0], y[0]))
                break
        if len(kept_a) != len(kept_b):
            faults.append("globals: %d records kept, %d written" % (len(kept_a), len(kept_b)))
    sa, sb = sheets(a, ga), sheets(b, gb)
    if len(sa) != len(sb):
        faults.append("sheet count differs")
    for n, (x, y) in enumerate(zip(sa, sb), start=1):
        kx, ky = sheet_kept(x, n == filled), sheet_kept(y, n == filled)
        if n == filled:  # the merges the fill did not touch stay, new records may be added
            ky = [r for r in ky if r in kx] if all(r in ky for r in kx) else ky
        if kx != ky:
            faults.append("sheet %d: records changed" % n)
    print("\n".join(faults) if faults else "ok")


if __name__ == "__main__":
    main()
