#pragma once
// The report run: the one procedure every report window performs once its inputs are
// accepted. It selects the rows, fills a worksheet of the report template and saves or
// prints the workbook. No widgets here: the window supplies the parameters and shows
// the messages.

#include <QString>
#include <QStringList>
#include <functional>

namespace reports {

enum class ReportPath { Export, Print };

struct ReportParams {
    int worksheet = 1;
    // Written into columns 2, 3, … of each data row; column 1 holds the running number.
    QStringList recordColumns;
    int stampColumn = 5;
    int lastFramedColumn = 7;
    // Columns of the first selected record that lead the export file name.
    QStringList fileNameParts;
    QString suffix; // "收文报表.xls"
    QString exportMessage;
    QString printMessage;
};

inline const QString kNoRecords = QStringLiteral("没有记录!");
inline const QString kPrintFile = QStringLiteral("Temp.xls");
inline const QString kTemplateFile = QStringLiteral("dotoexcle.xlt");

struct ReportOutcome {
    bool hadRecords = false;
    int rows = 0;
    QString filePath; // the saved workbook (export) or empty
    QString message;  // the plain message that was announced
};

// Shows a plain message (OK button, no icon, the application title) at the moment the
// procedure reaches it; the print file is removed only after it returns.
using Announce = std::function<void(const QString& message)>;

// Runs the whole report. Failures of the database (store::DbError) and of the workbook
// layer, the printer or the file system (ReportError) are thrown after the spreadsheet
// instance has been ended and a print file left behind has been removed.
ReportOutcome runReport(const ReportParams& params, const QString& selection, ReportPath path,
                        const Announce& announce);

// The time stamp of row 2: the short date, "-", the long time.
QString reportStamp();

// The export file name: leading parts, the short date and the suffix joined without
// separators, with every character a file name cannot hold replaced.
QString exportFileName(const QStringList& leadingParts, const QString& suffix);
// A free path in the application directory for that name: an earlier export of the same
// name is kept, and the new one is numbered "…发文报表(2).xls", "(3)", ….
QString freeExportPath(const QString& fileName);

} // namespace reports
