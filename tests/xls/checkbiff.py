#!/usr/bin/python3
"""Structural check of a BIFF8 workbook stream, for what readers pass over silently: cell
order, duplicate cells, cells outside DIMENSIONS, a missing WINDOW2, and the stream
positions held by BOUNDSHEET, INDEX, DBCELL and EXTSST. Prints the faults found (none:
"ok"); --has-template prints whether the globals hold a TEMPLATE record."""
import struct
import sys

from xlrd import compdoc

CELLS = {0x0201, 0x0203, 0x0204, 0x0205, 0x00FD, 0x027E, 0x00D6, 0x0006, 0x00BD, 0x00BE}


def records(data):
    pos, out = 0, []
    while pos + 4 <= len(data):
        rid, ln = struct.unpack_from("<HH", data, pos)
        out.append((pos, rid, data[pos + 4:pos + 4 + ln]))
        pos += 4 + ln
    return out


def substream(recs, start):
    depth, out = 0, []
    for i in range(start, len(recs)):
        out.append(recs[i])
        if recs[i][1] == 0x0809:
            depth += 1
        elif recs[i][1] == 0x000A:
            depth -= 1
            if depth == 0:
                break
    return out


def sst_string_starts(segments):
    """Stream positions where each string of the SST begins."""
    starts = []
    seg, off = 0, 8

    def avail():
        return len(segments[seg][1]) - off

    def take(n):
        nonlocal seg, off
        while n > 0:
            if off >= len(segments[seg][1]):
                seg, off = seg + 1, 0
            k = min(n, avail())
            off += k
            n -= k

    def byte():
        nonlocal seg, off
        if off >= len(segments[seg][1]):
            seg, off = seg + 1, 0
        v = segments[seg][1][off]
        off += 1
        return v

    total = struct.unpack_from("<I", segments[0][1], 4)[0]
    for _ in range(total):
        if off >= len(segments[seg][1]):
            seg, off = seg + 1, 0
        starts.append((segments[seg][0] + 4 + off, off + 4))
        cch = byte() | (byte() << 8)
        flags = byte()
        runs = ext = 0
        if flags & 8:
            runs = byte() | (byte() << 8)
        if flags & 4:
            ext = byte() | (byte() << 8) | (byte() << 16) | (byte() << 24)
        wide = flags & 1
        while cch > 0:
            if off >= len(segments[seg][1]):
                seg, off = seg + 1, 0
                wide = segments[seg][1][0] & 1
                off = 1
            n = min(cch, avail() // (2 if wide else 1))
            off += n * (2 if wide else 1)
            cch -= n
        take(4 * runs + ext)
    return starts


def check(data):
    faults = []
    recs = records(data)
    at = {pos: i for i, (pos, _, _) in enumerate(recs)}
    glob = substream(recs, 0)
    for pos, rid, body in glob:
        if rid == 0x0085:
            p = struct.unpack_from("<I", body)[0]
            if p not in at or recs[at[p]][1] != 0x0809:
                faults.append("BOUNDSHEET position %d is no BOF" % p)
    for i, (pos, rid, body) in enumerate(glob):
        if rid == 0x00FC:
            segs = [(pos, body)]
            j = i + 1
            while glob[j][1] == 0x003C:
                segs.append((glob[j][0], glob[j][2]))
                j += 1
            starts = sst_string_starts(segs)
            if glob[j][1] != 0x00FF:
                faults.append("no EXTSST after SST")
                continue
            ext = glob[j][2]
            per = struct.unpack_from("<H", ext)[0]
            for b in range((len(ext) - 2) // 8):
                ib, cb = struct.unpack_from("<IH", ext, 2 + 8 * b)
                if b * per >= len(starts) or starts[b * per] != (ib, cb):
                    faults.append("EXTSST bucket %d points to %d/%d" % (b, ib, cb))
    for pos, rid, body in glob:
        if rid != 0x0085:
            continue
        p = struct.unpack_from("<I", body)[0]
        if p not in at:
            continue
        sheet = substream(recs, at[p])
        name_len = body[6]
        dims = None
        seen = set()
        last = (-1, -1)
        has_window2 = False
        index = None
        for spos, srid, sbody in sheet:
            if srid == 0x0200:
                dims = struct.unpack_from("<IIHH", sbody)
            elif srid == 0x023E:
                has_window2 = True
            elif srid == 0x020B:
                index = (spos, sbody)
            elif srid in CELLS:
                row, col = struct.unpack_from("<HH", sbody)
                cols = [col]
                if srid in (0x00BD, 0x00BE):
                    each = 6 if srid == 0x00BD else 2
                    cols = [col + k for k in range((len(sbody) - 6) // each)]
                for c in cols:
                    key = (row, c)
                    if key in seen:
                        faults.append("duplicate cell %s" % (key,))
                    if key <= last:
                        faults.append("cell %s out of order" % (key,))
                    seen.add(key)
                    last = key
                    if dims and not (dims[0] <= row < dims[1] and dims[2] <= c < dims[3]):
                        faults.append("cell %s outside DIMENSIONS %s" % (key, dims))
            elif srid == 0x00D7:
                back = struct.unpack_from("<I", sbody)[0]
                if (spos - back) not in at or recs[at[spos - back]][1] != 0x0208:
                    faults.append("DBCELL at %d does not point back to a ROW" % spos)
        if not has_window2:
            faults.append("sheet at %d has no WINDOW2" % p)
        if dims is None:
            faults.append("sheet at %d has no DIMENSIONS" % p)
        if index:
            ipos, ibody = index
            defcol = struct.unpack_from("<I", ibody, 12)[0]
            if defcol and (defcol not in at or recs[at[defcol]][1] != 0x0055):
                faults.append("INDEX DEFCOLWIDTH position %d wrong" % defcol)
            for k in range((len(ibody) - 16) // 4):
                q = struct.unpack_from("<I", ibody, 16 + 4 * k)[0]
                if q not in at or recs[at[q]][1] != 0x00D7:
                    faults.append("INDEX DBCELL position %d wrong" % q)
        del name_len
    return faults


def main():
    data = open(sys.argv[-1], "rb").read()
    doc = compdoc.CompDoc(data)
    stream = None
    for name in ("Workbook", "WORKBOOK", "workbook", "Book"):
        stream = doc.get_named_stream(name)
        if stream:
            break
    if "--has-template" in sys.argv:
        glob = substream(records(stream), 0)
        print("template" if any(r[1] == 0x0060 for r in glob) else "no template")
        return
    faults = check(stream)
    print("\n".join(faults) if faults else "ok")
    sys.exit(1 if faults else 0)


if __name__ == "__main__":
    main()
