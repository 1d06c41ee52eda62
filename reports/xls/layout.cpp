// The active worksheet read for printing: values as text, fonts, formats, sizes, merges
// and page setup.

#include "reports/xls/workbook_p.h"

#include <algorithm>
#include <cmath>

namespace xls {

using namespace bytes;

namespace {

QString numberText(double v) {
    if (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 1e15)
        return QString::number(qint64(v));
    return QString::number(v, 'g', 15);
}

double rkValue(uint32_t rk) {
    double v;
    if (rk & 0x02) {
        v = double(int32_t(rk) >> 2);
    } else {
        const uint64_t bits = uint64_t(rk & 0xFFFFFFFCu) << 32;
        std::memcpy(&v, &bits, sizeof v);
    }
    return (rk & 0x01) ? v / 100 : v;
}

QString errorText(uint8_t code) {
    switch (code) {
    case 0x00:
        return QStringLiteral("#NULL!");
    case 0x07:
        return QStringLiteral("#DIV/0!");
    case 0x0F:
        return QStringLiteral("#VALUE!");
    case 0x17:
        return QStringLiteral("#REF!");
    case 0x1D:
        return QStringLiteral("#NAME?");
    case 0x24:
        return QStringLiteral("#NUM!");
    default:
        return QStringLiteral("#N/A");
    }
}

// The text a cell shows; numeric set for right-aligned general values.
QString cellText(const Cell& c, const Sst& sst, bool& numeric) {
    numeric = false;
    auto fromSst = [&](uint32_t i) {
        return i < sst.strings.size() ? sst.strings[i].text : QString();
    };
    switch (c.kind) {
    case CellKind::Blank:
        return {};
    case CellKind::Rk:
        numeric = true;
        return numberText(rkValue(c.value));
    case CellKind::Number:
        numeric = true;
        return numberText(c.number);
    case CellKind::Sst:
        return fromSst(c.value);
    case CellKind::Raw:
        break;
    }
    const QByteArray& raw = c.raw;
    if (raw.size() < 10)
        return {};
    const uint16_t rid = u16(raw.constData());
    const uint16_t len = u16(raw.constData() + 2);
    const QByteArray payload = raw.mid(4, len);
    const char* p = payload.constData();
    try {
        switch (rid) {
        case id::LABELSST:
            return fromSst(u32(p + 6));
        case id::LABEL:
        case id::RSTRING:
            return xlsText(payload, 6, false);
        case id::RK:
            numeric = true;
            return numberText(rkValue(u32(p + 6)));
        case id::NUMBER:
            numeric = true;
            return numberText(f64(p + 6));
        case id::BOOLERR:
            if (payload[7])
                return errorText(uint8_t(payload[6]));
            return payload[6] ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        case id::FORMULA: {
            if (u16(p + 12) != 0xFFFF) {
                numeric = true;
                return numberText(f64(p + 6));
            }
            const uint8_t type = uint8_t(payload[6]);
            if (type == 1)
                return payload[8] ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
            if (type == 2)
                return errorText(uint8_t(payload[8]));
            if (type == 0) {
                const qsizetype next = 4 + len;
                if (next + 4 <= raw.size() && u16(raw.constData() + next) == id::STRING) {
                    const uint16_t slen = u16(raw.constData() + next + 2);
                    return xlsText(raw.mid(next + 4, slen), 0, false);
                }
            }
            return {};
        }
        default:
            return {};
        }
    } catch (const Error&) {
        return {};
    }
}

FontSpec fontSpec(const QByteArray& f) {
    FontSpec s;
    if (f.size() < 16)
        return s;
    const char* p = f.constData();
    s.points = u16(p) / 20.0;
    const uint16_t flags = u16(p + 2);
    s.italic = flags & 0x0002;
    s.strikeOut = flags & 0x0008;
    s.bold = u16(p + 6) >= 700;
    s.underline = uint8_t(f[10]) != 0;
    try {
        s.name = xlsText(f, 14, true);
    } catch (const Error&) {
    }
    if (s.points <= 0)
        s.points = 10;
    return s;
}

CellStyle cellStyle(const QByteArray& xf, int fontCount) {
    CellStyle s;
    const char* p = xf.constData();
    int font = u16(p);
    if (font >= 4)
        --font; // the format has no font number 4
    s.font = font < fontCount ? font : 0;
    const uint8_t align = uint8_t(xf[6]);
    s.hAlign = HAlign(align & 0x07);
    s.wrap = align & 0x08;
    const int v = (align >> 4) & 0x07;
    s.vAlign = v <= 4 ? VAlign(v) : VAlign::Bottom;
    const uint32_t lines = u32(p + 10);
    s.left = int(lines & 0xF);
    s.right = int((lines >> 4) & 0xF);
    s.top = int((lines >> 8) & 0xF);
    s.bottom = int((lines >> 12) & 0xF);
    return s;
}

// Rows repeated on each page: the whole-row area of the sheet's built-in Print_Titles name.
void readTitleRows(const std::vector<Record>& globals, int sheetNumber, PageSetup& page) {
    for (const Record& r : globals) {
        if (r.id != id::NAME || r.data.size() < 16)
            continue;
        const char* p = r.data.constData();
        const uint16_t flags = u16(p);
        const int cch = uint8_t(p[3]);
        const int cce = u16(p + 4);
        const int itab = u16(p + 8);
        if (!(flags & 0x0020) || cch != 1 || itab != sheetNumber)
            continue;
        const bool wide = uint8_t(p[14]) & 0x01;
        const qsizetype nameAt = 15;
        if (nameAt + (wide ? 2 : 1) > r.data.size())
            continue;
        const int builtin = wide ? u16(p + nameAt) : uint8_t(p[nameAt]);
        if (builtin != 0x07)
            continue;
        qsizetype f = nameAt + (wide ? 2 : 1);
        const qsizetype end = std::min<qsizetype>(r.data.size(), f + cce);
        while (f < end) {
            const uint8_t ptg = uint8_t(p[f]);
            if (ptg == 0x29 || ptg == 0x49 || ptg == 0x69) { // a union of areas follows
                f += 3;
            } else if (ptg == 0x10) {
                f += 1;
            } else if ((ptg == 0x3B || ptg == 0x5B || ptg == 0x7B) && f + 11 <= end) {
                const int rowFirst = u16(p + f + 3), rowLast = u16(p + f + 5);
                const int colFirst = u16(p + f + 7) & 0x00FF, colLast = u16(p + f + 9) & 0x00FF;
                if (colFirst == 0 && colLast == 0xFF) {
                    page.titleFirstRow = rowFirst;
                    page.titleLastRow = rowLast;
                    return;
                }
                f += 11;
            } else {
                break;
            }
        }
    }
}

void readPageSetup(const std::vector<Record>& recs, PageSetup& page) {
    for (const Record& r : recs) {
        const char* p = r.data.constData();
        const auto n = r.data.size();
        switch (r.id) {
        case id::SETUP:
            if (n >= 12) {
                const uint16_t flags = u16(p + 10);
                if (!(flags & 0x0004)) {
                    page.paperSize = u16(p);
                    const int scale = u16(p + 2);
                    page.scale = scale >= 10 && scale <= 400 ? scale : 100;
                    page.landscape = !(flags & 0x0002) && !(flags & 0x0040);
                }
                page.fitWidth = u16(p + 6);
                page.fitHeight = u16(p + 8);
            }
            if (n >= 32) {
                page.headerMargin = f64(p + 16);
                page.footerMargin = f64(p + 24);
            }
            break;
        case id::LEFTMARGIN:
        case id::RIGHTMARGIN:
        case id::TOPMARGIN:
        case id::BOTTOMMARGIN:
            if (n >= 8) {
                const double m = f64(p);
                if (!(m >= 0 && m < 20))
                    break;
                if (r.id == id::LEFTMARGIN)
                    page.leftMargin = m;
                else if (r.id == id::RIGHTMARGIN)
                    page.rightMargin = m;
                else if (r.id == id::TOPMARGIN)
                    page.topMargin = m;
                else
                    page.bottomMargin = m;
            }
            break;
        case id::HCENTER:
            if (n >= 2)
                page.centerHorizontally = u16(p) != 0;
            break;
        case id::VCENTER:
            if (n >= 2)
                page.centerVertically = u16(p) != 0;
            break;
        case id::WSBOOL:
            if (n >= 2)
                page.fitToPage = u16(p) & 0x0100;
            break;
        case id::PRINTGRIDLINES:
            if (n >= 2)
                page.gridLines = u16(p) != 0;
            break;
        case id::HEADER:
        case id::FOOTER:
            if (n >= 3) {
                try {
                    (r.id == id::HEADER ? page.header : page.footer) = xlsText(r.data, 0, false);
                } catch (const Error&) {
                }
            }
            break;
        default:
            break;
        }
    }
    if (page.fitWidth < 0)
        page.fitWidth = 0;
}

} // namespace

SheetLayout Workbook::layout() const {
    const int sheet = d->active >= 0 ? d->active : (d->worksheets.empty() ? -1 : d->worksheets[0]);
    SheetLayout out;
    if (sheet < 0)
        return out;
    const CellTable& t = d->tableForReading(sheet);
    out.name = d->sheets[size_t(sheet)].name;
    for (const QByteArray& f : d->fonts)
        out.fonts.push_back(fontSpec(f));
    if (out.fonts.empty())
        out.fonts.push_back(FontSpec{QStringLiteral("Arial"), 10});
    for (const QByteArray& x : d->xfs)
        out.styles.push_back(cellStyle(x, int(out.fonts.size())));
    if (out.styles.empty())
        out.styles.push_back(CellStyle{});

    for (const auto& [key, c] : t.cells) {
        LayoutCell lc;
        lc.row = int(key >> 8);
        lc.column = int(key & 0xFF);
        lc.text = cellText(c, d->sst, lc.numeric);
        lc.style = c.xf < out.styles.size() ? c.xf : 0;
        const CellStyle& st = out.styles[size_t(lc.style)];
        const bool framed = st.left || st.right || st.top || st.bottom;
        if (lc.text.isEmpty() && !framed)
            continue; // formatting alone prints nothing
        out.lastRow = std::max(out.lastRow, lc.row);
        out.lastColumn = std::max(out.lastColumn, lc.column);
        out.cells.push_back(std::move(lc));
    }
    auto addMerge = [&](int r1, int c1, int r2, int c2) {
        if (r1 > r2 || c1 > c2 || r2 >= maxRows || c2 >= maxColumns)
            return;
        out.merges.push_back({r1, c1, r2, c2});
    };
    for (const auto* list : {&t.pre, &t.post})
        for (const Record& r : *list) {
            if (r.id != id::MERGEDCELLS || r.data.size() < 2)
                continue;
            const int n = u16(r.data.constData());
            for (int k = 0; k < n && 2 + 8 * (k + 1) <= r.data.size(); ++k) {
                const char* p = r.data.constData() + 2 + 8 * k;
                addMerge(u16(p), u16(p + 4), u16(p + 2), u16(p + 6));
            }
        }
    for (const auto& m : t.newMerges)
        addMerge(m.row1, m.column1, m.row2, m.column2);

    // Column widths: the default, then COLINFO ranges.
    int defaultWidth = 8 * 256 + 5 * 256 / 7;
    std::vector<std::pair<std::pair<int, int>, int>> colinfo;
    for (const Record& r : t.pre) {
        const char* p = r.data.constData();
        if (r.id == id::DEFCOLWIDTH && r.data.size() >= 2 && defaultWidth == 8 * 256 + 5 * 256 / 7)
            defaultWidth = u16(p) * 256 + 5 * 256 / 7;
        else if (r.id == id::STANDARDWIDTH && r.data.size() >= 2)
            defaultWidth = u16(p);
        else if (r.id == id::COLINFO && r.data.size() >= 10) {
            const bool hidden = u16(p + 8) & 0x0001;
            colinfo.push_back({{u16(p), u16(p + 2)}, hidden ? 0 : u16(p + 4)});
        }
    }
    int defaultHeight = 255;
    for (const Record& r : t.pre)
        if (r.id == id::DEFAULTROWHEIGHT && r.data.size() >= 4)
            defaultHeight = u16(r.data.constData() + 2) & 0x7FFF;
    readPageSetup(t.pre, out.page);
    readPageSetup(t.post, out.page);
    readTitleRows(d->globals, sheet + 1, out.page);

    // Merges are printed within the used range only: a merged block reaching far beyond
    // the cells (or a hostile one covering the whole sheet) does not make pages of nothing.
    std::vector<MergedRange> kept;
    for (MergedRange m : out.merges) {
        if (m.row1 > out.lastRow || m.column1 > out.lastColumn)
            continue;
        m.row2 = std::min(m.row2, out.lastRow);
        m.column2 = std::min(m.column2, out.lastColumn);
        kept.push_back(m);
    }
    out.merges = std::move(kept);
    out.columnWidths.assign(size_t(out.lastColumn + 1), defaultWidth);
    for (const auto& [range, width] : colinfo)
        for (int c = range.first; c <= range.second && c <= out.lastColumn; ++c)
            out.columnWidths[size_t(c)] = width;
    out.rowHeights.assign(size_t(out.lastRow + 1), defaultHeight);
    for (const auto& [row, rr] : t.rows) {
        if (row > out.lastRow)
            break;
        const bool hidden = u16(rr.constData() + 12) & 0x0020;
        const int h = u16(rr.constData() + 6);
        out.rowHeights[row] = hidden ? 0 : (h & 0x8000) ? defaultHeight : h;
    }
    return out;
}

} // namespace xls
