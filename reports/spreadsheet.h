#pragma once
// The spreadsheet facade: the steps of a report in the order the design drives a
// spreadsheet application (start, open the template, take worksheet n, cells, borders,
// save or print, close, quit), over our own workbook layer. Every failure throws
// ReportError with a Chinese description.

#include <QString>
#include <QVariant>
#include <memory>
#include <stdexcept>

namespace reports {

class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString& description);
    const QString& description() const noexcept { return description_; }

private:
    QString description_;
};

class Spreadsheet {
public:
    Spreadsheet();  // the instance is started
    ~Spreadsheet(); // quits if quit() was not called
    Spreadsheet(const Spreadsheet&) = delete;
    Spreadsheet& operator=(const Spreadsheet&) = delete;

    void open(const QString& templatePath); // Workbooks.Open
    void activateWorksheet(int position);   // from 1
    // A whole number (int, qlonglong), a text, or an invalid QVariant for an empty cell.
    void setCell(int row, int column, const QVariant& value); // from 1
    // Continuous thin lines on the outline and every inner line of the block.
    void setBorders(int row1, int column1, int row2, int column2);
    void saveAs(const QString& path);
    void printOut(); // the active worksheet on the default printer
    void close();
    void quit();
    bool running() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace reports
