#pragma once
// Inside the workbook: records kept as read, and the parsed parts that get rewritten.

#include "reports/xls/bytes.h"
#include "reports/xls/ole.h"
#include "reports/xls/workbook.h"

#include <QHash>
#include <QString>
#include <map>
#include <memory>
#include <vector>

namespace xls {

namespace id {
constexpr uint16_t BOF = 0x0809, EOFREC = 0x000A, CONTINUE = 0x003C, TEMPLATE = 0x0060;
constexpr uint16_t SST = 0x00FC, EXTSST = 0x00FF, XF = 0x00E0, XFCRC = 0x087C, XFEXT = 0x087D;
constexpr uint16_t BOUNDSHEET = 0x0085, WINDOW1 = 0x003D, WINDOW2 = 0x023E, FONT = 0x0031;
constexpr uint16_t NAME = 0x0018, INDEX = 0x020B, DBCELL = 0x00D7, DIMENSIONS = 0x0200;
constexpr uint16_t ROW = 0x0208, BLANK = 0x0201, NUMBER = 0x0203, LABEL = 0x0204;
constexpr uint16_t BOOLERR = 0x0205, FORMULA = 0x0006, STRING = 0x0207, RK = 0x027E;
constexpr uint16_t MULRK = 0x00BD, MULBLANK = 0x00BE, LABELSST = 0x00FD, RSTRING = 0x00D6;
constexpr uint16_t ARRAY = 0x0221, SHRFMLA = 0x04BC, TABLE = 0x0236, COLINFO = 0x007D;
constexpr uint16_t DEFCOLWIDTH = 0x0055, STANDARDWIDTH = 0x0099, DEFAULTROWHEIGHT = 0x0225;
constexpr uint16_t MERGEDCELLS = 0x00E5, SETUP = 0x00A1, LEFTMARGIN = 0x0026;
constexpr uint16_t RIGHTMARGIN = 0x0027, TOPMARGIN = 0x0028, BOTTOMMARGIN = 0x0029;
constexpr uint16_t HCENTER = 0x0083, VCENTER = 0x0084, HEADER = 0x0014, FOOTER = 0x0015;
constexpr uint16_t WSBOOL = 0x0081, PRINTGRIDLINES = 0x002B;
} // namespace id

constexpr int maxRecordPayload = 8224;
constexpr int maxRows = 65536, maxColumns = 256;
constexpr int maxXfs = 4050;
constexpr int maxCellText = 32767;

struct Record {
    uint16_t id = 0;
    QByteArray data;
};

struct SstString {
    QString text;
    uint16_t runCount = 0;
    QByteArray runs; // 4 bytes a run
    QByteArray ext;  // phonetic data, kept as read
};

struct Sst {
    std::vector<SstString> strings;
    QHash<QString, uint32_t> plainIndex;                 // plain strings by text
    uint32_t total = 0;                                  // references as read
    void parse(const std::vector<QByteArray>& segments); // throws Error
    uint32_t add(const QString& text);
    // Appends SST (with CONTINUE) and EXTSST to out, whose size is the stream position.
    void write(QByteArray& out, uint32_t totalRefs) const;
};

enum class CellKind : uint8_t { Raw, Rk, Number, Sst, Blank };

struct Cell {
    CellKind kind = CellKind::Blank;
    uint16_t xf = 0;
    uint32_t value = 0; // RK value or SST index
    double number = 0;
    QByteArray raw; // Raw: the cell's records with their headers (a formula with its STRING)
    uint16_t rawId() const { return raw.size() >= 2 ? bytes::u16(raw.constData()) : 0; }
};

inline uint32_t cellKey(int row, int col) {
    return (uint32_t(row) << 8) | uint32_t(col);
}

// A worksheet's records taken apart into the cell table and the records around it.
struct CellTable {
    std::vector<Record> pre;             // BOF up to the cell table, without INDEX and DIMENSIONS
    std::vector<Record> post;            // after the cell table, up to and with EOF
    int dimensionsAt = -1;               // where DIMENSIONS goes in pre
    std::map<uint16_t, QByteArray> rows; // ROW payloads
    std::map<uint32_t, Cell> cells;
    std::map<uint16_t, uint16_t> columnXf;
    uint32_t labelRefsAsRead = 0;
    std::vector<MergedRange> newMerges;

    void parse(const std::vector<Record>& records); // throws Error
    uint32_t labelRefs() const;
    uint16_t defaultXf(int row, int col, int xfCount) const;
    // Appends the substream to out (positions are out's own offsets).
    // selected: 1 the sheet is the one shown, 0 it is not, -1 leave its window as read.
    void write(QByteArray& out, int selected) const;
};

struct Sheet {
    QString name;
    uint8_t type = 0; // BOUNDSHEET's sheet type: 0 worksheet
    size_t boundsheetAt = 0;
    uint32_t oldPosition = 0;
    std::vector<Record> records;
    std::unique_ptr<CellTable> table; // once parsed
    bool changed = false;
};

struct Workbook::Impl {
    std::vector<Record> globals;
    std::vector<bool> dropWithContinue; // globals records written only as SST's CONTINUE
    int templateAt = -1, sstAt = -1, extsstAt = -1, lastXfAt = -1, window1At = -1;
    std::vector<QByteArray> fonts;
    std::vector<QByteArray> xfs; // as read, then the added clones
    int xfsAsRead = 0;
    std::map<uint16_t, uint16_t> borderClone;
    Sst sst;
    std::vector<Sheet> sheets;
    std::vector<int> worksheets; // sheet indices of the worksheets, in order
    int active = -1;             // sheet index
    std::shared_ptr<ole::Extras> extras;

    void parse(const QByteArray& stream);
    CellTable& table(int sheet);
    const CellTable& tableForReading(int sheet) const;
    Cell& cellAt(int row, int col); // created blank with the default format
    uint16_t withBorders(uint16_t xf);
    QByteArray serialize(bool keepTemplate) const;
};

QString readUnicode(const char* p, qsizetype available, int cch, bool wide);
QString xlsText(const QByteArray& payload, qsizetype offset, bool shortLength); // XLUnicodeString
[[noreturn]] void corrupt(const QString& detail = QString());

} // namespace xls
