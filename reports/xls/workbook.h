#pragma once
// An Excel 97-2003 workbook (BIFF8 in an OLE2 compound file) opened to be filled: cells
// of one worksheet are written, a block is framed, and the whole is saved as a new file.
// Every record that is not changed is written back as it was read.
//
// Rows and columns count from 1, as a spreadsheet user counts them. Every failure throws
// xls::Error with a Chinese description.

#include "reports/xls/sheetlayout.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <stdexcept>

namespace xls {

class Error : public std::runtime_error {
public:
    explicit Error(const QString& description);
    const QString& description() const noexcept { return description_; }

private:
    QString description_;
};

class Workbook {
public:
    // Reads a .xls or .xlt file; the file itself is never written.
    static std::unique_ptr<Workbook> open(const QString& path);
    // A workbook from the bytes of its "Workbook" stream alone (no other streams).
    static std::unique_ptr<Workbook> fromStream(const QByteArray& stream);
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    int worksheetCount() const;
    QString worksheetName(int position) const;
    // Makes worksheet `position` (from 1, counting worksheets only) the one written to
    // and shown first when the saved file is opened.
    void activate(int position);
    int activeWorksheet() const; // 0 before activate()

    void setNumber(int row, int column, qint64 value);
    void setReal(int row, int column, double value);
    void setText(int row, int column, const QString& text); // an empty text empties the cell
    void clear(int row, int column);
    // Continuous lines on the outline and every inner line of the block, each cell
    // keeping the rest of its formatting.
    void setBorders(int row1, int column1, int row2, int column2);

    // The workbook stream as it would be saved; keepTemplate keeps a template's TEMPLATE
    // record (only the shipped template writer wants that).
    QByteArray stream(bool keepTemplate = false) const;
    void save(const QString& path, bool keepTemplate = false) const;

    // What printing the active worksheet needs: its used range and formatting.
    SheetLayout layout() const;

    // For the template writer: the cell format (XF index) of a cell, created empty if absent.
    void setCellFormat(int row, int column, int xf);
    void merge(int row1, int column1, int row2, int column2);

    struct Impl;

private:
    explicit Workbook(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

} // namespace xls
