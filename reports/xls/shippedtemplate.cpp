// The report template shipped with the program: three worksheets (document, contract
// and archive catalogues), each with a merged title, the time-stamp label, bold framed
// headings, column widths, A4 landscape and rows 1 to 3 repeated on every printed page.
// The skeleton's records are laid out here; cells, frames and merges go through the
// workbook layer like any report.

#include "reports/xls/shippedtemplate.h"
#include "reports/xls/workbook.h"
#include "reports/xls/workbook_p.h"

#include <QFileInfo>

namespace xls {

using namespace bytes;

namespace {

struct Column {
    const char16_t* heading;
    int width; // characters
    bool centered;
};

struct SheetPlan {
    const char16_t* name;
    const char16_t* title;
    int stampColumn; // from 1
    std::vector<Column> columns;
};

const std::vector<SheetPlan>& plans() {
    static const std::vector<SheetPlan> p = {
        {u"文件目录",
         u"文件目录",
         5,
         {{u"序号", 6, true},
          {u"责任者", 16, false},
          {u"文号", 16, false},
          {u"文件标题名", 60, false},
          {u"页数", 7, true},
          {u"发文时间", 13, true},
          {u"备注", 14, false}}},
        {u"合同目录",
         u"合同目录",
         5,
         {{u"序号", 6, true},
          {u"合同编号", 16, false},
          {u"名称", 40, false},
          {u"甲方", 24, false},
          {u"乙方", 24, false},
          {u"签订日期", 13, true},
          {u"备注", 14, false}}},
        {u"归档目录",
         u"归档目录",
         6,
         {{u"序号", 6, true},
          {u"责任者", 14, false},
          {u"文号", 15, false},
          {u"文件标题名", 44, false},
          {u"页数", 10, true},
          {u"发文时间", 13, true},
          {u"保管期限", 10, true},
          {u"备注", 12, false}}},
    };
    return p;
}

// Cell formats added after the sixteen standard ones.
enum Xf { XfTitle = 16, XfHeading, XfText, XfCentered, XfLabel, XfStamp };

QByteArray font(const QString& name, int twips, bool bold, uint8_t charset) {
    QByteArray f;
    append16(f, uint16_t(twips));
    append16(f, bold ? 0x0001 : 0); // readers of older files look for bold here
    append16(f, 0x7FFF);
    append16(f, bold ? 700 : 400);
    append16(f, 0);
    append8(f, 0);
    append8(f, 0);
    append8(f, charset);
    append8(f, 0);
    append8(f, uint8_t(name.size()));
    append8(f, 1);
    for (QChar c : name)
        append16(f, c.unicode());
    return f;
}

QByteArray xf(int fontIndex, bool style, uint8_t align, uint8_t used, bool framed) {
    QByteArray x;
    append16(x, uint16_t(fontIndex));
    append16(x, 0);
    append16(x, style ? 0xFFF5 : 0x0001);
    append8(x, align);
    append8(x, 0);
    append8(x, 0);
    append8(x, used);
    uint32_t lines = 0, colours = 0;
    if (framed) {
        lines = 0x1111u | (0x40u << 16) | (0x40u << 23);
        colours = 0x40u | (0x40u << 7);
    }
    append32(x, lines);
    append32(x, colours);
    append16(x, 0x20C0);
    return x;
}

QByteArray u16s(std::initializer_list<uint16_t> values) {
    QByteArray b;
    for (uint16_t v : values)
        append16(b, v);
    return b;
}

QByteArray f64s(double v) {
    QByteArray b;
    appendF64(b, v);
    return b;
}

QByteArray unicodeString(const QString& s) {
    QByteArray b;
    append16(b, uint16_t(s.size()));
    append8(b, 1);
    for (QChar c : s)
        append16(b, c.unicode());
    return b;
}

QByteArray bof(uint16_t type) {
    QByteArray b = u16s({0x0600, type, 0x0DBB, 0x07CC});
    append32(b, 0x000100C1);
    append32(b, 0x00000406);
    return b;
}

QByteArray sheetSubstream(const SheetPlan& plan, bool first) {
    QByteArray s;
    appendRecord(s, id::BOF, bof(0x0010));
    appendRecord(s, 0x000D, u16s({1}));   // CALCMODE automatic
    appendRecord(s, 0x000C, u16s({100})); // CALCCOUNT
    appendRecord(s, 0x000F, u16s({1}));   // REFMODE A1
    appendRecord(s, 0x0011, u16s({0}));   // ITERATION
    appendRecord(s, 0x0010, f64s(0.001)); // DELTA
    appendRecord(s, 0x005F, u16s({1}));   // SAVERECALC
    appendRecord(s, 0x002A, u16s({0}));   // PRINTHEADERS
    appendRecord(s, id::PRINTGRIDLINES, u16s({0}));
    appendRecord(s, 0x0082, u16s({1}));          // GRIDSET
    appendRecord(s, 0x0080, u16s({0, 0, 0, 0})); // GUTS
    appendRecord(s, id::DEFAULTROWHEIGHT, u16s({0x0001, 330}));
    appendRecord(s, id::WSBOOL, u16s({0x04C1}));
    appendRecord(s, id::HEADER, QByteArray());
    appendRecord(s, id::FOOTER, unicodeString(QStringLiteral("&C第 &P 页，共 &N 页")));
    appendRecord(s, id::HCENTER, u16s({1}));
    appendRecord(s, id::VCENTER, u16s({0}));
    appendRecord(s, id::LEFTMARGIN, f64s(0.5));
    appendRecord(s, id::RIGHTMARGIN, f64s(0.5));
    appendRecord(s, id::TOPMARGIN, f64s(0.75));
    appendRecord(s, id::BOTTOMMARGIN, f64s(0.75));
    QByteArray setup = u16s({9, 100, 1, 1, 0, 0x0000, 600, 600});
    appendF64(setup, 0.3);
    appendF64(setup, 0.3);
    append16(setup, 1);
    appendRecord(s, id::SETUP, setup); // A4, landscape
    appendRecord(s, id::DEFCOLWIDTH, u16s({8}));
    for (size_t c = 0; c < plan.columns.size(); ++c) {
        const Column& col = plan.columns[c];
        const uint16_t width = uint16_t(col.width * 256 + 182);
        appendRecord(s, id::COLINFO,
                     u16s({uint16_t(c), uint16_t(c), width,
                           uint16_t(col.centered ? XfCentered : XfText), 0x0002, 0}));
    }
    appendRecord(s, id::DIMENSIONS, QByteArray(14, '\0'));
    const int heights[3] = {600, 360, 480};
    for (int r = 0; r < 3; ++r)
        appendRecord(s, id::ROW,
                     u16s({uint16_t(r), 0, 0, uint16_t(heights[r]), 0, 0, 0x0140, 0x000F}));
    QByteArray window = u16s({uint16_t(first ? 0x06B6 : 0x02B6), 0, 0, 0x0040, 0, 0, 0});
    append32(window, 0);
    appendRecord(s, id::WINDOW2, window.left(18));
    appendRecord(s, id::EOFREC, QByteArray());
    return s;
}

QByteArray skeleton() {
    const auto& sheets = plans();
    QByteArray g;
    appendRecord(g, id::BOF, bof(0x0005));
    appendRecord(g, id::TEMPLATE, QByteArray());
    appendRecord(g, 0x00E1, u16s({1200})); // INTERFACEHDR
    appendRecord(g, 0x00C1, u16s({0}));    // MMS
    appendRecord(g, 0x00E2, QByteArray()); // INTERFACEEND
    {
        QByteArray access = unicodeString(QStringLiteral("Marrowin"));
        access = access.left(3) + QByteArray("Marrowin");
        access[2] = 0;
        access.append(QByteArray(112 - access.size(), ' '));
        appendRecord(g, 0x005C, access); // WRITEACCESS
    }
    appendRecord(g, 0x0042, u16s({1200}));    // CODEPAGE
    appendRecord(g, 0x0161, u16s({0}));       // DSF
    appendRecord(g, 0x013D, u16s({1, 2, 3})); // TABID
    appendRecord(g, 0x009C, u16s({14}));      // FNGROUPCOUNT
    appendRecord(g, 0x0019, u16s({0}));       // WINDOWPROTECT
    appendRecord(g, 0x0012, u16s({0}));       // PROTECT
    appendRecord(g, 0x0013, u16s({0}));       // PASSWORD
    appendRecord(g, 0x01AF, u16s({0}));       // PROT4REV
    appendRecord(g, 0x01BC, u16s({0}));       // PROT4REVPASS
    appendRecord(g, id::WINDOW1, u16s({0x0168, 0x001E, 0x4000, 0x2000, 0x0038, 0, 0, 1, 0x0258}));
    appendRecord(g, 0x0040, u16s({0})); // BACKUP
    appendRecord(g, 0x008D, u16s({0})); // HIDEOBJ
    appendRecord(g, 0x0022, u16s({0})); // DATEMODE 1900
    appendRecord(g, 0x000E, u16s({1})); // PRECISION
    appendRecord(g, 0x01B7, u16s({0})); // REFRESHALL
    appendRecord(g, 0x00DA, u16s({0})); // BOOKBOOL
    // The default font sets the unit of column widths; readers know Arial's metrics.
    for (int i = 0; i < 4; ++i)
        appendRecord(g, id::FONT, font(QStringLiteral("Arial"), 200, false, 0));
    const QString song = QStringLiteral("宋体");
    appendRecord(g, id::FONT, font(song, 360, true, 134));  // 5: the title
    appendRecord(g, id::FONT, font(song, 240, true, 134));  // 6: the headings
    appendRecord(g, id::FONT, font(song, 220, false, 134)); // 7: the data and the stamp
    appendRecord(g, id::XF, xf(0, true, 0x20, 0x00, false));
    for (int i = 1; i < 15; ++i)
        appendRecord(g, id::XF, xf(0, true, 0x20, 0xF4, false));
    appendRecord(g, id::XF, xf(0, false, 0x20, 0x00, false)); // 15 default
    appendRecord(g, id::XF, xf(5, false, 0x12, 0x18, false)); // title
    appendRecord(g, id::XF, xf(6, false, 0x1A, 0x38, true));  // heading
    appendRecord(g, id::XF, xf(7, false, 0x10, 0x18, false)); // text
    appendRecord(g, id::XF, xf(7, false, 0x12, 0x18, false)); // centered
    appendRecord(g, id::XF, xf(7, false, 0x13, 0x18, false)); // label
    appendRecord(g, id::XF, xf(7, false, 0x11, 0x18, false)); // stamp
    appendRecord(g, 0x0293, u16s({0x8000, 0xFF00}));          // STYLE Normal
    std::vector<qsizetype> positions;
    for (const auto& plan : sheets) {
        positions.push_back(g.size() + 4);
        QByteArray b;
        append32(b, 0);
        append8(b, 0);
        append8(b, 0);
        const QString name = QString::fromUtf16(plan.name);
        append8(b, uint8_t(name.size()));
        append8(b, 1);
        for (QChar c : name)
            append16(b, c.unicode());
        appendRecord(g, id::BOUNDSHEET, b);
    }
    appendRecord(g, 0x008C, u16s({86, 86}));                          // COUNTRY
    appendRecord(g, 0x01AE, u16s({uint16_t(sheets.size()), 0x0401})); // SUPBOOK: this workbook
    {
        QByteArray x = u16s({uint16_t(sheets.size())});
        for (size_t k = 0; k < sheets.size(); ++k)
            x += u16s({0, uint16_t(k), uint16_t(k)});
        appendRecord(g, 0x0017, x); // EXTERNSHEET
    }
    for (size_t k = 0; k < sheets.size(); ++k) {
        // Print_Titles: rows 1 to 3, all columns.
        QByteArray n = u16s({0x0020});
        append8(n, 0);
        append8(n, 1);
        n += u16s({11, 0, uint16_t(k + 1)});
        n += QByteArray(4, '\0');
        append8(n, 0);
        append8(n, 0x07);
        append8(n, 0x3B);
        n += u16s({uint16_t(k), 0, 2, 0, 0x00FF});
        appendRecord(g, id::NAME, n);
    }
    appendRecord(g, id::EOFREC, QByteArray());
    for (size_t k = 0; k < sheets.size(); ++k) {
        put32(g.data() + positions[k], uint32_t(g.size()));
        g += sheetSubstream(sheets[k], k == 0);
    }
    return g;
}

} // namespace

bool writeShippedTemplate(const QString& path, QString* error) {
    try {
        auto book = Workbook::fromStream(skeleton());
        const auto& sheets = plans();
        for (size_t k = 0; k < sheets.size(); ++k) {
            const SheetPlan& plan = sheets[k];
            const int last = int(plan.columns.size());
            book->activate(int(k) + 1);
            book->setText(1, 1, QString::fromUtf16(plan.title));
            for (int c = 1; c <= last; ++c)
                book->setCellFormat(1, c, XfTitle);
            book->merge(1, 1, 1, last);
            book->setText(2, plan.stampColumn - 1, QStringLiteral("制表时间:"));
            book->setCellFormat(2, plan.stampColumn - 1, XfLabel);
            book->setCellFormat(2, plan.stampColumn, XfStamp);
            for (int c = 1; c <= last; ++c) {
                book->setText(3, c, QString::fromUtf16(plan.columns[size_t(c - 1)].heading));
                book->setCellFormat(3, c, XfHeading);
            }
        }
        book->activate(1);
        book->save(path, true);
        return true;
    } catch (const Error& e) {
        if (error)
            *error = e.description();
        return false;
    }
}

} // namespace xls
