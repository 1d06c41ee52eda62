#include "reports/reportrun.h"

#include "reports/spreadsheet.h"
#include "shell/app/app.h"
#include "store/connection.h"
#include "store/recordset.h"

#include <QFile>
#include <QFileInfo>
#include <QVariant>
#include <cmath>
#include <memory>

namespace reports {
namespace {

constexpr int kFirstDataRow = 4;
constexpr int kStampRow = 2;

// The stored value as a cell takes it: whole numbers stay numbers, dates are written in
// the register windows' display form, and an empty value leaves the cell empty.
QVariant cellValue(const QVariant& stored) {
    if (!stored.isValid() || stored.isNull())
        return {};
    switch (stored.typeId()) {
    case QMetaType::QDate:
        return app::ymdText(stored.toDate());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::Bool:
        return stored.toLongLong();
    case QMetaType::Double:
    case QMetaType::Float: {
        const double d = stored.toDouble();
        if (std::isfinite(d) && std::floor(d) == d && std::fabs(d) < 1e15)
            return static_cast<qlonglong>(d);
        return QString::number(d, 'g', 15);
    }
    default: {
        const QString text = stored.toString();
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    }
}

QList<int> columnIndexes(const store::Recordset& rs, const QStringList& names) {
    QList<int> indexes;
    for (const QString& name : names) {
        const int i = rs.fieldIndex(name);
        if (i < 0)
            throw ReportError(QStringLiteral("选择的记录中没有字段“%1”").arg(name));
        indexes.append(i);
    }
    return indexes;
}

void writeRecords(Spreadsheet& sheet, store::Recordset& rs, const QList<int>& columns, int n) {
    rs.moveFirst();
    for (int k = 1; k <= n; ++k) {
        const int row = k + kFirstDataRow - 1;
        sheet.setCell(row, 1, k);
        for (int c = 0; c < columns.size(); ++c)
            sheet.setCell(row, c + 2, cellValue(rs.value(columns[c])));
        rs.moveNext();
    }
}

QString exportPathOfFirstRecord(store::Recordset& rs, const ReportParams& params) {
    rs.moveFirst();
    QStringList parts;
    for (const QString& name : params.fileNameParts)
        parts.append(rs.text(name));
    return freeExportPath(exportFileName(parts, params.suffix));
}

void removePrintFile(const QString& path) {
    if (QFile::exists(path) && !QFile::remove(path))
        throw ReportError(QStringLiteral("无法删除临时文件 %1").arg(path));
}

} // namespace

QString reportStamp() {
    return app::shortDate(app::today()) + QLatin1Char('-') + app::longTime(app::now().time());
}

QString exportFileName(const QStringList& leadingParts, const QString& suffix) {
    return app::safeFileName(leadingParts.join(QString()) + app::shortDate(app::today()) + suffix);
}

QString freeExportPath(const QString& fileName) {
    const QString first = app::appPath(fileName);
    if (!QFileInfo::exists(first))
        return first;
    const int dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString stem = dot > 0 ? fileName.left(dot) : fileName;
    const QString ext = dot > 0 ? fileName.mid(dot) : QString();
    for (int n = 2;; ++n) {
        const QString candidate =
            app::appPath(QStringLiteral("%1(%2)%3").arg(stem).arg(n).arg(ext));
        if (!QFileInfo::exists(candidate))
            return candidate;
    }
}

ReportOutcome runReport(const ReportParams& params, const QString& selection, ReportPath path,
                        const Announce& announce) {
    std::unique_ptr<store::Connection> connection = store::openCatalogue();
    auto rs = std::make_unique<store::Recordset>();
    rs->open(selection, *connection);

    ReportOutcome outcome;
    const int n = rs->recordCount();
    if (n == 0) {
        rs->close();
        connection->close();
        outcome.message = kNoRecords;
        announce(outcome.message);
        return outcome;
    }
    outcome.hadRecords = true;
    outcome.rows = n;

    const QList<int> columns = columnIndexes(*rs, params.recordColumns);
    const QString printPath = app::appPath(kPrintFile);
    try {
        Spreadsheet sheet;
        sheet.open(app::appPath(kTemplateFile));
        sheet.activateWorksheet(params.worksheet);
        writeRecords(sheet, *rs, columns, n);
        sheet.setCell(kStampRow, params.stampColumn, reportStamp());
        // One row below the last record is framed too: the table ends on an empty line.
        sheet.setBorders(kFirstDataRow, 1, n + kFirstDataRow, params.lastFramedColumn);
        if (path == ReportPath::Export) {
            outcome.filePath = exportPathOfFirstRecord(*rs, params);
            try {
                sheet.saveAs(outcome.filePath);
            } catch (...) {
                // The name was free before: a half-written workbook is ours to remove.
                QFile::remove(outcome.filePath);
                throw;
            }
        } else {
            sheet.saveAs(printPath);
            sheet.printOut();
        }
        sheet.close();
        sheet.quit();
    } catch (...) {
        // The instance has quit in its destructor; what it may have saved for printing
        // must not stay behind.
        if (path == ReportPath::Print)
            QFile::remove(printPath);
        throw;
    }
    rs->close();
    connection->close();

    outcome.message = path == ReportPath::Export ? params.exportMessage : params.printMessage;
    announce(outcome.message);
    if (path == ReportPath::Print)
        removePrintFile(printPath);
    return outcome;
}

} // namespace reports
