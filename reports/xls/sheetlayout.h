#pragma once
// A worksheet as printing sees it: used range, sizes, fonts, alignment, borders, merges
// and page setup, read from the workbook's records. Plain data, no painting.

#include <QString>
#include <vector>

namespace xls {

struct FontSpec {
    QString name;
    double points = 10;
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

enum class HAlign { General, Left, Center, Right, Fill, Justify, CenterAcross, Distributed };
enum class VAlign { Top, Center, Bottom, Justify, Distributed };

struct CellStyle {
    int font = 0; // index into SheetLayout::fonts
    HAlign hAlign = HAlign::General;
    VAlign vAlign = VAlign::Bottom;
    bool wrap = false;
    // Line styles as stored (0 none, 1 thin, 2 medium, 5 thick, 6 double, ...).
    int left = 0, right = 0, top = 0, bottom = 0;
};

struct LayoutCell {
    int row = 0; // from 0
    int column = 0;
    QString text;
    bool numeric = false;
    int style = 0; // index into SheetLayout::styles
};

struct MergedRange {
    int row1, column1, row2, column2; // from 0, inclusive
};

struct PageSetup {
    int paperSize = 9; // the format's paper codes: 9 A4, 1 Letter, 8 A3, 11 A5, 13 B5 ...
    bool landscape = false;
    int scale = 100;
    bool fitToPage = false;
    int fitWidth = 1, fitHeight = 1;
    double leftMargin = 0.75, rightMargin = 0.75, topMargin = 1.0, bottomMargin = 1.0; // inches
    double headerMargin = 0.5, footerMargin = 0.5;
    bool centerHorizontally = false, centerVertically = false;
    int titleFirstRow = -1, titleLastRow = -1; // rows repeated on every page, from 0
    bool gridLines = false;
    QString header, footer; // with the format's &P, &N, &L, &C, &R codes
};

struct SheetLayout {
    QString name;
    std::vector<FontSpec> fonts;
    std::vector<CellStyle> styles;
    std::vector<LayoutCell> cells; // row by row, left to right
    std::vector<MergedRange> merges;
    // Per column from 0 to lastColumn: width in 1/256 of the width of a digit of the
    // workbook's default font; 0 is a hidden column.
    std::vector<int> columnWidths;
    // Per row from 0 to lastRow: height in twips (1/20 pt); 0 is a hidden row.
    std::vector<int> rowHeights;
    int lastRow = -1, lastColumn = -1; // used range from (0, 0); -1 when the sheet is empty
    PageSetup page;
};

} // namespace xls
