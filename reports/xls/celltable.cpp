// A worksheet's cell table: read into a (row, column) map, written back in blocks of 32
// rows with fresh DBCELL and INDEX records.

#include "reports/xls/workbook_p.h"

#include <algorithm>

namespace xls {

using namespace bytes;

namespace {

bool isCellRecord(uint16_t rid) {
    switch (rid) {
    case id::BLANK:
    case id::NUMBER:
    case id::LABEL:
    case id::BOOLERR:
    case id::LABELSST:
    case id::RK:
    case id::RSTRING:
    case id::FORMULA:
    case id::MULRK:
    case id::MULBLANK:
        return true;
    default:
        return false;
    }
}

// Records that belong to the formula before them.
bool followsFormula(uint16_t rid) {
    return rid == id::STRING || rid == id::ARRAY || rid == id::SHRFMLA || rid == id::TABLE ||
           rid == id::CONTINUE;
}

int minimumCellPayload(uint16_t rid) {
    switch (rid) {
    case id::RK:
    case id::LABELSST:
        return 10;
    case id::NUMBER:
        return 14;
    case id::FORMULA:
        return 20;
    case id::BOOLERR:
        return 8;
    case id::LABEL:
    case id::RSTRING:
        return 9;
    default:
        return 6;
    }
}

void appendRaw(QByteArray& raw, const Record& r) {
    appendRecord(raw, r.id, r.data);
}

// A cell record's header, written straight into the stream.
void cellRecord(QByteArray& out, uint16_t rid, int row, int col, uint16_t xf, int extra) {
    append16(out, rid);
    append16(out, uint16_t(6 + extra));
    append16(out, uint16_t(row));
    append16(out, uint16_t(col));
    append16(out, xf);
}

// The used range: rows and columns from the first to one past the last.
void appendDimensions(QByteArray& out, int firstRow, int lastRow, int firstCol, int lastCol) {
    QByteArray dim;
    append32(dim, uint32_t(firstRow));
    append32(dim, uint32_t(lastRow));
    append16(dim, uint16_t(firstCol));
    append16(dim, uint16_t(lastCol));
    append16(dim, 0);
    appendRecord(out, id::DIMENSIONS, dim);
}

} // namespace

void CellTable::parse(const std::vector<Record>& records) {
    enum { Before, Inside, After } state = Before;
    int depth = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        const Record& r = records[i];
        const auto& d = r.data;
        auto& around = state == Before ? pre : post;
        if (i == 0 || depth > 1) {
            // The sheet's own BOF, or anything inside an embedded chart, passes through.
            if (r.id == id::BOF)
                ++depth;
            else if (r.id == id::EOFREC)
                --depth;
            around.push_back(r);
            continue;
        }
        if (r.id == id::BOF) {
            ++depth;
            if (state == Inside)
                state = After;
            post.push_back(r);
            continue;
        }
        if (r.id == id::INDEX || r.id == id::DBCELL)
            continue; // written afresh
        if (r.id == id::DIMENSIONS) {
            if (dimensionsAt < 0 && state == Before)
                dimensionsAt = int(pre.size());
            continue;
        }
        if (r.id == id::ROW) {
            if (d.size() < 16)
                corrupt(QStringLiteral("行记录太短"));
            rows[u16(d.constData())] = d;
            state = Inside;
            continue;
        }
        if (isCellRecord(r.id)) {
            state = Inside;
            if (d.size() < minimumCellPayload(r.id))
                corrupt(QStringLiteral("单元格记录太短"));
            const int row = u16(d.constData());
            const int col = u16(d.constData() + 2);
            if (r.id == id::MULRK || r.id == id::MULBLANK) {
                const int each = r.id == id::MULRK ? 6 : 2;
                const int n = int((d.size() - 6) / each);
                for (int k = 0; k < n && col + k < maxColumns; ++k) {
                    const char* p = d.constData() + 4 + k * each;
                    Cell c;
                    c.xf = u16(p);
                    if (r.id == id::MULRK) {
                        c.kind = CellKind::Rk;
                        c.value = u32(p + 2);
                    } else {
                        c.kind = CellKind::Blank;
                    }
                    cells[cellKey(row, col + k)] = c;
                }
                continue;
            }
            if (col >= maxColumns)
                continue; // outside any worksheet: no reader could show it
            Cell c;
            c.kind = CellKind::Raw;
            c.xf = u16(d.constData() + 4);
            appendRaw(c.raw, r);
            if (r.id == id::FORMULA) {
                while (i + 1 < records.size() && followsFormula(records[i + 1].id))
                    appendRaw(c.raw, records[++i]);
            } else {
                while (i + 1 < records.size() && records[i + 1].id == id::CONTINUE)
                    appendRaw(c.raw, records[++i]);
            }
            cells[cellKey(row, col)] = c;
            continue;
        }
        if (state == Inside && followsFormula(r.id))
            continue; // a formula's companion without its formula
        if (state == Inside)
            state = After;
        if (r.id == id::EOFREC)
            --depth;
        if (r.id == id::COLINFO && d.size() >= 10) {
            const int first = u16(d.constData()), last = u16(d.constData() + 2);
            const uint16_t xf = u16(d.constData() + 6);
            for (int c = first; c <= last && c < maxColumns; ++c)
                columnXf[uint16_t(c)] = xf;
        }
        (state == Before ? pre : post).push_back(r);
    }
    if (post.empty() || post.back().id != id::EOFREC) {
        if (!pre.empty() && pre.back().id == id::EOFREC && post.empty()) {
            post.push_back(pre.back());
            pre.pop_back();
        } else {
            corrupt(QStringLiteral("工作表缺少结束记录"));
        }
    }
    if (dimensionsAt < 0)
        dimensionsAt = int(pre.size());
    labelRefsAsRead = labelRefs();
}

uint32_t CellTable::labelRefs() const {
    uint32_t n = 0;
    for (const auto& [key, c] : cells)
        if (c.kind == CellKind::Sst || (c.kind == CellKind::Raw && c.rawId() == id::LABELSST))
            ++n;
    return n;
}

uint16_t CellTable::defaultXf(int row, int col, int xfCount) const {
    uint16_t xf = 15;
    auto r = rows.find(uint16_t(row));
    auto c = columnXf.find(uint16_t(col));
    if (r != rows.end() && (u16(r->second.constData() + 12) & 0x0080))
        xf = u16(r->second.constData() + 14) & 0x0FFF;
    else if (c != columnXf.end())
        xf = c->second;
    if (xf >= xfCount)
        xf = xfCount > 15 ? 15 : 0;
    return xf;
}

void CellTable::write(QByteArray& out, int selected) const {
    // Rows that need a ROW record: those read, and every row holding a cell.
    std::vector<int> rowList;
    int usedFirstCol = maxColumns, usedLastCol = 0;
    rowList.reserve(rows.size() + cells.size() / 4);
    {
        auto r = rows.begin();
        int lastCellRow = -1;
        for (auto it = cells.begin(); it != cells.end(); ++it) {
            const int row = int(it->first >> 8);
            usedFirstCol = std::min(usedFirstCol, int(it->first & 0xFF));
            usedLastCol = std::max(usedLastCol, int(it->first & 0xFF) + 1);
            if (row == lastCellRow)
                continue;
            lastCellRow = row;
            while (r != rows.end() && r->first < row)
                rowList.push_back((r++)->first);
            if (r != rows.end() && r->first == row)
                ++r;
            rowList.push_back(row);
        }
        while (r != rows.end())
            rowList.push_back((r++)->first);
    }
    int blocks = 0;
    for (size_t k = 0; k < rowList.size(); ++k)
        if (k == 0 || rowList[k] / 32 != rowList[k - 1] / 32)
            ++blocks;

    uint16_t defaultHeight = 0x00FF;
    uint16_t defaultRowFlags = 0x0100;
    int firstRow = 0, lastRow = 0, firstCol = 0, lastCol = 0;
    if (!cells.empty()) {
        firstRow = int(cells.begin()->first >> 8);
        lastRow = int(cells.rbegin()->first >> 8) + 1;
        firstCol = usedFirstCol;
        lastCol = usedLastCol;
    }

    qsizetype indexAt = -1, defColWidthPos = 0;
    for (size_t k = 0; k < pre.size(); ++k) {
        if (int(k) == dimensionsAt) {
            appendDimensions(out, firstRow, lastRow, firstCol, lastCol);
        }
        const Record& r = pre[k];
        if (r.id == id::DEFCOLWIDTH)
            defColWidthPos = out.size();
        if (r.id == id::DEFAULTROWHEIGHT && r.data.size() >= 4) {
            defaultHeight = u16(r.data.constData() + 2);
            if (u16(r.data.constData()) & 0x0001)
                defaultRowFlags |= 0x0040;
        }
        appendRecord(out, r.id, r.data);
        if (k == 0) {
            indexAt = out.size();
            appendRecord(out, id::INDEX, QByteArray(16 + 4 * blocks, '\0'));
        }
    }
    if (dimensionsAt >= int(pre.size())) {
        appendDimensions(out, firstRow, lastRow, firstCol, lastCol);
    }

    std::vector<uint32_t> dbcells;
    size_t k = 0;
    auto cell = cells.begin();
    while (k < rowList.size()) {
        size_t end = k;
        while (end < rowList.size() && rowList[end] / 32 == rowList[k] / 32)
            ++end;
        const qsizetype blockStart = out.size();
        for (size_t j = k; j < end; ++j) {
            const int row = rowList[j];
            QByteArray rr;
            auto it = rows.find(uint16_t(row));
            if (it != rows.end()) {
                rr = it->second.left(16);
            } else {
                rr = QByteArray(16, '\0');
                put16(rr.data(), uint16_t(row));
                put16(rr.data() + 6, defaultHeight);
                put16(rr.data() + 12, defaultRowFlags);
                put16(rr.data() + 14, 0x000F);
            }
            auto lo = cells.lower_bound(cellKey(row, 0));
            auto hi = cells.lower_bound(cellKey(row + 1, 0));
            if (lo != hi) {
                put16(rr.data() + 2, uint16_t(lo->first & 0xFF));
                put16(rr.data() + 4, uint16_t((std::prev(hi)->first & 0xFF) + 1));
            }
            appendRecord(out, id::ROW, rr);
        }
        std::vector<uint16_t> offsets;
        qsizetype previous = blockStart + 20;
        for (size_t j = k; j < end; ++j) {
            const int row = rowList[j];
            const qsizetype first = out.size();
            offsets.push_back(uint16_t(first - previous));
            previous = first;
            const auto stop = cells.lower_bound(cellKey(row + 1, 0));
            cell = cells.lower_bound(cellKey(row, 0));
            for (; cell != stop; ++cell) {
                const int col = int(cell->first & 0xFF);
                const Cell& c = cell->second;
                switch (c.kind) {
                case CellKind::Raw: {
                    const qsizetype at = out.size();
                    out.append(c.raw);
                    put16(out.data() + at + 8, c.xf);
                    break;
                }
                case CellKind::Rk: {
                    cellRecord(out, id::RK, row, col, c.xf, 4);
                    append32(out, c.value);
                    break;
                }
                case CellKind::Number: {
                    cellRecord(out, id::NUMBER, row, col, c.xf, 8);
                    appendF64(out, c.number);
                    break;
                }
                case CellKind::Sst: {
                    cellRecord(out, id::LABELSST, row, col, c.xf, 4);
                    append32(out, c.value);
                    break;
                }
                case CellKind::Blank:
                    cellRecord(out, id::BLANK, row, col, c.xf, 0);
                    break;
                }
            }
        }
        const qsizetype dbcellPos = out.size();
        QByteArray db;
        append32(db, uint32_t(dbcellPos - blockStart));
        for (uint16_t o : offsets)
            append16(db, o);
        appendRecord(out, id::DBCELL, db);
        dbcells.push_back(uint32_t(dbcellPos));
        k = end;
    }

    if (indexAt >= 0) {
        char* p = out.data() + indexAt + 4;
        put32(p, 0);
        put32(p + 4, rowList.empty() ? 0 : uint32_t(rowList.front()));
        put32(p + 8, rowList.empty() ? 0 : uint32_t(rowList.back() + 1));
        put32(p + 12, uint32_t(defColWidthPos));
        for (size_t b = 0; b < dbcells.size(); ++b)
            put32(p + 16 + 4 * b, dbcells[b]);
    }

    for (size_t j = 0; j < post.size(); ++j) {
        const Record& r = post[j];
        if (j + 1 == post.size() && !newMerges.empty()) {
            for (size_t m = 0; m < newMerges.size(); m += 1027) {
                QByteArray mc;
                const size_t n = std::min<size_t>(1027, newMerges.size() - m);
                append16(mc, uint16_t(n));
                for (size_t q = m; q < m + n; ++q) {
                    append16(mc, uint16_t(newMerges[q].row1));
                    append16(mc, uint16_t(newMerges[q].row2));
                    append16(mc, uint16_t(newMerges[q].column1));
                    append16(mc, uint16_t(newMerges[q].column2));
                }
                appendRecord(out, id::MERGEDCELLS, mc);
            }
        }
        if (r.id == id::WINDOW2 && r.data.size() >= 2 && selected >= 0) {
            QByteArray w = r.data;
            uint16_t g = u16(w.constData());
            g = selected ? (g | 0x0600) : (g & ~0x0600);
            put16(w.data(), g);
            appendRecord(out, r.id, w);
        } else {
            appendRecord(out, r.id, r.data);
        }
    }
}

} // namespace xls
