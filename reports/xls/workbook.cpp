#include "reports/xls/workbook_p.h"

#include <QFileInfo>
#include <algorithm>

namespace xls {

using namespace bytes;

Error::Error(const QString& description)
    : std::runtime_error(description.toStdString()), description_(description) {}

void corrupt(const QString& detail) {
    QString text = QStringLiteral("工作簿文件已损坏或被截断，无法读取");
    if (!detail.isEmpty())
        text += QStringLiteral("（%1）").arg(detail);
    throw Error(text + QStringLiteral("。"));
}

QString readUnicode(const char* p, qsizetype available, int cch, bool wide) {
    if (cch < 0 || qsizetype(cch) * (wide ? 2 : 1) > available)
        corrupt(QStringLiteral("文本超出记录"));
    QString s(cch, Qt::Uninitialized);
    QChar* out = s.data();
    for (int i = 0; i < cch; ++i)
        out[i] = wide ? QChar(u16(p + 2 * i)) : QChar(uint8_t(p[i]));
    return s;
}

QString xlsText(const QByteArray& payload, qsizetype offset, bool shortLength) {
    const qsizetype head = shortLength ? 2 : 3;
    if (offset < 0 || offset + head > payload.size())
        corrupt(QStringLiteral("文本超出记录"));
    const char* p = payload.constData() + offset;
    const int cch = shortLength ? uint8_t(p[0]) : u16(p);
    const bool wide = uint8_t(p[head - 1]) & 0x01;
    return readUnicode(p + head, payload.size() - offset - head, cch, wide);
}

namespace {

std::vector<Record> readSubstream(const QByteArray& s, qsizetype& pos) {
    std::vector<Record> recs;
    int depth = 0;
    do {
        if (pos + 4 > s.size())
            corrupt(QStringLiteral("数据在记录中途结束"));
        const uint16_t rid = u16(s.constData() + pos);
        const uint16_t len = u16(s.constData() + pos + 2);
        if (pos + 4 + len > s.size())
            corrupt(QStringLiteral("数据在记录中途结束"));
        if (recs.empty() && rid != id::BOF)
            corrupt(QStringLiteral("缺少BOF记录"));
        recs.push_back({rid, s.mid(pos + 4, len)});
        pos += 4 + len;
        if (rid == id::BOF)
            ++depth;
        else if (rid == id::EOFREC)
            --depth;
    } while (depth > 0);
    return recs;
}

void checkCell(int row, int column) {
    if (row < 1 || row > maxRows || column < 1 || column > maxColumns)
        throw Error(QStringLiteral("单元格(%1, %2)超出工作表的范围（最多%3行、%4列）。")
                        .arg(row)
                        .arg(column)
                        .arg(maxRows)
                        .arg(maxColumns));
}

// A continuous line of the weight the side already has; thin where there was none.
int continuousStyle(int style) {
    switch (style) {
    case 1:
    case 2:
    case 5:
    case 7:
        return style;
    case 8:
    case 10:
    case 12:
    case 13:
        return 2;
    default:
        return 1;
    }
}

} // namespace

void Workbook::Impl::parse(const QByteArray& s) {
    if (s.size() < 8 || u16(s.constData()) != id::BOF)
        throw Error(QStringLiteral("文件中的工作簿数据无法识别，不是Excel 97-2003工作簿。"));
    {
        const uint16_t len = u16(s.constData() + 2);
        const uint16_t vers = u16(s.constData() + 4), dt = u16(s.constData() + 6);
        if (len < 4 || vers != 0x0600 || dt != 0x0005)
            throw Error(QStringLiteral(
                "工作簿不是Excel 97-2003格式（BIFF8），可能由更早的Excel版本保存，请先另存为Excel "
                "97-2003格式。"));
    }
    qsizetype pos = 0;
    globals = readSubstream(s, pos);
    std::map<uint32_t, std::vector<Record>> substreams;
    while (pos + 4 <= s.size() && u16(s.constData() + pos) == id::BOF) {
        const auto at = uint32_t(pos);
        substreams[at] = readSubstream(s, pos);
    }

    dropWithContinue.assign(globals.size(), false);
    for (size_t i = 0; i < globals.size(); ++i) {
        const Record& r = globals[i];
        const int at = int(i);
        switch (r.id) {
        case id::TEMPLATE:
            templateAt = at;
            break;
        case id::FONT:
            fonts.push_back(r.data);
            break;
        case id::XF: {
            QByteArray xf = r.data;
            if (xf.size() < 20)
                xf.append(QByteArray(20 - xf.size(), '\0'));
            xfs.push_back(xf.left(20));
            lastXfAt = at;
            break;
        }
        case id::WINDOW1:
            if (window1At < 0)
                window1At = at;
            break;
        case id::EXTSST:
            if (extsstAt < 0)
                extsstAt = at;
            else
                dropWithContinue[i] = true;
            break;
        case id::SST: {
            std::vector<QByteArray> segments{r.data};
            size_t j = i + 1;
            while (j < globals.size() && globals[j].id == id::CONTINUE) {
                segments.push_back(globals[j].data);
                dropWithContinue[j++] = true;
            }
            if (sstAt < 0) {
                sstAt = at;
                sst.parse(segments);
            } else {
                dropWithContinue[i] = true;
            }
            break;
        }
        case id::BOUNDSHEET: {
            if (r.data.size() < 8)
                corrupt(QStringLiteral("工作表目录记录太短"));
            Sheet sheet;
            sheet.oldPosition = u32(r.data.constData());
            sheet.type = uint8_t(r.data[5]);
            sheet.name = xlsText(r.data, 6, true);
            sheet.boundsheetAt = i;
            auto it = substreams.find(sheet.oldPosition);
            if (it == substreams.end())
                corrupt(QStringLiteral("工作表“%1”的位置错误").arg(sheet.name));
            sheet.records = std::move(it->second);
            substreams.erase(it);
            const Record& bof = sheet.records.front();
            const bool worksheet =
                sheet.type == 0 && bof.data.size() >= 4 && u16(bof.data.constData() + 2) == 0x0010;
            if (worksheet)
                worksheets.push_back(int(sheets.size()));
            sheets.push_back(std::move(sheet));
            break;
        }
        default:
            break;
        }
    }
    xfsAsRead = int(xfs.size());
}

CellTable& Workbook::Impl::table(int sheet) {
    Sheet& s = sheets[size_t(sheet)];
    if (!s.table) {
        auto t = std::make_unique<CellTable>();
        t->parse(s.records);
        s.table = std::move(t);
    }
    return *s.table;
}

const CellTable& Workbook::Impl::tableForReading(int sheet) const {
    return const_cast<Impl*>(this)->table(sheet);
}

Cell& Workbook::Impl::cellAt(int row, int col) {
    CellTable& t = table(active);
    sheets[size_t(active)].changed = true;
    auto [it, inserted] = t.cells.try_emplace(cellKey(row, col));
    if (inserted) {
        it->second.kind = CellKind::Blank;
        it->second.xf = t.defaultXf(row, col, int(xfs.size()));
    }
    return it->second;
}

uint16_t Workbook::Impl::withBorders(uint16_t xf) {
    auto known = borderClone.find(xf);
    if (known != borderClone.end())
        return known->second;
    if (xf >= xfs.size())
        xf = xfs.size() > 15 ? 15 : 0;
    QByteArray clone = xfs.empty() ? QByteArray(20, '\0') : xfs[xf];
    char* p = clone.data();
    uint16_t type = u16(p + 4);
    if (type & 0x0004) // a style's format: the clone is a cell format under Normal
        type = uint16_t(type & 0x0003);
    put16(p + 4, type);
    p[9] = char(uint8_t(p[9]) | 0x20);
    uint32_t lines = u32(p + 10), colours = u32(p + 14);
    const int styleShift[4] = {0, 4, 8, 12};
    const int colourShift[4] = {16, 23, 0, 7}; // left, right in lines; top, bottom in colours
    for (int side = 0; side < 4; ++side) {
        const int old = int((lines >> styleShift[side]) & 0xF);
        lines = (lines & ~(0xFu << styleShift[side])) |
                (uint32_t(continuousStyle(old)) << styleShift[side]);
        if (old == 0) {
            uint32_t& word = side < 2 ? lines : colours;
            word = (word & ~(0x7Fu << colourShift[side])) | (0x40u << colourShift[side]);
        }
    }
    put32(p + 10, lines);
    put32(p + 14, colours);
    if (!xfs.empty() && clone == xfs[xf]) {
        borderClone[xf] = xf;
        return xf;
    }
    if (int(xfs.size()) >= maxXfs)
        throw Error(
            QStringLiteral("工作簿中的单元格格式太多（超过%1种），无法再加边框。").arg(maxXfs));
    const auto added = uint16_t(xfs.size());
    xfs.push_back(clone);
    borderClone[xf] = added;
    borderClone[added] = added;
    return added;
}

QByteArray Workbook::Impl::serialize(bool keepTemplate) const {
    QByteArray out;
    qsizetype estimate = 0;
    for (const auto& r : globals)
        estimate += 4 + r.data.size();
    for (const auto& sh : sheets) {
        if (sh.table && sh.changed)
            estimate += qsizetype(sh.table->cells.size()) * 14 + 4096;
        else
            for (const auto& r : sh.records)
                estimate += 4 + r.data.size();
    }
    out.reserve(estimate + 8192);

    int64_t refs = sst.total;
    for (const auto& sh : sheets)
        if (sh.table && sh.changed)
            refs += int64_t(sh.table->labelRefs()) - int64_t(sh.table->labelRefsAsRead);
    const auto totalRefs = uint32_t(std::clamp<int64_t>(refs, 0, UINT32_MAX));

    const bool addedXfs = int(xfs.size()) > xfsAsRead;
    std::vector<qsizetype> boundsheetPatch(sheets.size(), -1);
    std::map<size_t, size_t> sheetOfBoundsheet;
    for (size_t k = 0; k < sheets.size(); ++k)
        sheetOfBoundsheet[sheets[k].boundsheetAt] = k;
    bool sstWritten = false;
    for (size_t i = 0; i < globals.size(); ++i) {
        const Record& r = globals[i];
        if (dropWithContinue[i] || int(i) == extsstAt)
            continue;
        if (r.id == id::TEMPLATE && !keepTemplate)
            continue;
        if (addedXfs && (r.id == id::XFCRC || r.id == id::XFEXT))
            continue;
        if (int(i) == sstAt) {
            sst.write(out, totalRefs);
            sstWritten = true;
            continue;
        }
        if (i + 1 == globals.size() && !sstWritten && !sst.strings.empty()) {
            sst.write(out, totalRefs);
            sstWritten = true;
        }
        if (r.id == id::BOUNDSHEET) {
            auto k = sheetOfBoundsheet.find(i);
            if (k != sheetOfBoundsheet.end())
                boundsheetPatch[k->second] = out.size() + 4;
        }
        if (int(i) == window1At && active >= 0 && r.data.size() >= 16) {
            QByteArray w = r.data;
            const auto tab = uint16_t(active);
            put16(w.data() + 10, tab);
            if (u16(w.constData() + 12) > tab)
                put16(w.data() + 12, tab);
            put16(w.data() + 14, 1);
            appendRecord(out, r.id, w);
        } else {
            appendRecord(out, r.id, r.data);
        }
        if (int(i) == lastXfAt)
            for (size_t x = size_t(xfsAsRead); x < xfs.size(); ++x)
                appendRecord(out, id::XF, xfs[x]);
    }

    for (size_t k = 0; k < sheets.size(); ++k) {
        const Sheet& sh = sheets[k];
        const qsizetype start = out.size();
        if (boundsheetPatch[k] >= 0)
            put32(out.data() + boundsheetPatch[k], uint32_t(start));
        const int selected = active < 0 ? -1 : (int(k) == active ? 1 : 0);
        if (sh.table && sh.changed) {
            sh.table->write(out, selected);
            continue;
        }
        const int64_t shift = int64_t(start) - int64_t(sh.oldPosition);
        int depth = 0;
        for (const Record& r : sh.records) {
            if (r.id == id::BOF)
                ++depth;
            if (depth == 1 && r.id == id::INDEX && r.data.size() >= 16) {
                QByteArray index = r.data;
                for (qsizetype at = 12; at + 4 <= index.size(); at += 4) {
                    const uint32_t v = u32(index.constData() + at);
                    if (v != 0)
                        put32(index.data() + at, uint32_t(int64_t(v) + shift));
                }
                appendRecord(out, r.id, index);
            } else if (depth == 1 && r.id == id::WINDOW2 && r.data.size() >= 2 && selected >= 0) {
                QByteArray w = r.data;
                const uint16_t g = u16(w.constData());
                put16(w.data(), selected ? uint16_t(g | 0x0600) : uint16_t(g & ~0x0600));
                appendRecord(out, r.id, w);
            } else {
                appendRecord(out, r.id, r.data);
            }
            if (r.id == id::EOFREC)
                --depth;
        }
    }
    return out;
}

// ---------------------------------------------------------------------------------------

Workbook::Workbook(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
Workbook::~Workbook() = default;

std::unique_ptr<Workbook> Workbook::open(const QString& path) {
    ole::Contents contents = ole::read(path);
    auto impl = std::make_unique<Impl>();
    try {
        impl->parse(contents.workbook);
    } catch (const Error& e) {
        throw Error(QStringLiteral("“%1”：%2").arg(QFileInfo(path).fileName(), e.description()));
    }
    impl->extras = contents.extras;
    return std::unique_ptr<Workbook>(new Workbook(std::move(impl)));
}

std::unique_ptr<Workbook> Workbook::fromStream(const QByteArray& stream) {
    auto impl = std::make_unique<Impl>();
    impl->parse(stream);
    return std::unique_ptr<Workbook>(new Workbook(std::move(impl)));
}

int Workbook::worksheetCount() const {
    return int(d->worksheets.size());
}

QString Workbook::worksheetName(int position) const {
    if (position < 1 || position > worksheetCount())
        return {};
    return d->sheets[size_t(d->worksheets[size_t(position - 1)])].name;
}

void Workbook::activate(int position) {
    if (position < 1 || position > worksheetCount())
        throw Error(QStringLiteral("工作簿中没有第%1个工作表（共有%2个工作表）。")
                        .arg(position)
                        .arg(worksheetCount()));
    const int sheet = d->worksheets[size_t(position - 1)];
    d->table(sheet);
    d->active = sheet;
}

int Workbook::activeWorksheet() const {
    for (size_t k = 0; k < d->worksheets.size(); ++k)
        if (d->worksheets[k] == d->active)
            return int(k) + 1;
    return 0;
}

static void requireActive(const Workbook::Impl& d) {
    if (d.active < 0)
        throw Error(QStringLiteral("尚未选定工作表。"));
}

// The checked cell a new value goes into; the record it was read from no longer stands.
static Cell& cellForValue(Workbook::Impl& d, int row, int column) {
    requireActive(d);
    checkCell(row, column);
    Cell& c = d.cellAt(row - 1, column - 1);
    c.raw.clear();
    return c;
}

void Workbook::setNumber(int row, int column, qint64 value) {
    Cell& c = cellForValue(*d, row, column);
    if (value >= -(qint64(1) << 29) && value < (qint64(1) << 29)) {
        c.kind = CellKind::Rk;
        c.value = uint32_t((uint32_t(value) << 2) | 2u);
    } else {
        c.kind = CellKind::Number;
        c.number = double(value);
    }
}

void Workbook::setReal(int row, int column, double value) {
    Cell& c = cellForValue(*d, row, column);
    c.kind = CellKind::Number;
    c.number = value;
}

void Workbook::setText(int row, int column, const QString& text) {
    if (text.isEmpty()) {
        clear(row, column);
        return;
    }
    Cell& c = cellForValue(*d, row, column);
    QString t = text;
    if (t.size() > maxCellText) {
        qsizetype n = maxCellText;
        if (t[n - 1].isHighSurrogate())
            --n;
        t.truncate(n);
    }
    c.kind = CellKind::Sst;
    c.value = d->sst.add(t);
}

void Workbook::clear(int row, int column) {
    requireActive(*d);
    checkCell(row, column);
    CellTable& t = d->table(d->active);
    auto it = t.cells.find(cellKey(row - 1, column - 1));
    if (it == t.cells.end())
        return;
    d->sheets[size_t(d->active)].changed = true;
    it->second.kind = CellKind::Blank;
    it->second.raw.clear();
}

void Workbook::setBorders(int row1, int column1, int row2, int column2) {
    requireActive(*d);
    checkCell(row1, column1);
    checkCell(row2, column2);
    if (row1 > row2)
        std::swap(row1, row2);
    if (column1 > column2)
        std::swap(column1, column2);
    for (int r = row1 - 1; r < row2; ++r)
        for (int c = column1 - 1; c < column2; ++c) {
            Cell& cell = d->cellAt(r, c);
            cell.xf = d->withBorders(cell.xf);
        }
}

void Workbook::setCellFormat(int row, int column, int xf) {
    requireActive(*d);
    checkCell(row, column);
    if (xf < 0 || xf >= int(d->xfs.size()))
        throw Error(QStringLiteral("单元格格式编号%1不存在。").arg(xf));
    d->cellAt(row - 1, column - 1).xf = uint16_t(xf);
}

void Workbook::merge(int row1, int column1, int row2, int column2) {
    requireActive(*d);
    checkCell(row1, column1);
    checkCell(row2, column2);
    d->table(d->active).newMerges.push_back({row1 - 1, column1 - 1, row2 - 1, column2 - 1});
    d->sheets[size_t(d->active)].changed = true;
}

QByteArray Workbook::stream(bool keepTemplate) const {
    return d->serialize(keepTemplate);
}

void Workbook::save(const QString& path, bool keepTemplate) const {
    ole::write(path, d->serialize(keepTemplate), d->extras.get());
}

} // namespace xls
