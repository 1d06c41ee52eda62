// Report workbook speed: filling and saving a 10,000-row, 8-column report from the
// shipped template, against ssconvert writing the same rows from CSV into an .xls; and
// printing 1,000 rows (drawn into a PDF, and sent to the default printer).

#include "reports/sheetprinter.h"
#include "reports/spreadsheet.h"
#include "reports/xls/shippedtemplate.h"
#include "reports/xls/workbook.h"

#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinterInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

namespace {

constexpr int columns = 8;

QVariant value(int k, int c) {
    switch (c) {
    case 1:
        return k;
    case 2:
        return QStringLiteral("办公室%1").arg(k % 40);
    case 3:
        return QStringLiteral("办发〔2004〕%1号").arg(k);
    case 4:
        return QStringLiteral("关于做好%1年度档案整理归档工作的通知").arg(2000 + k % 5);
    case 5:
        return k % 17 + 1;
    case 6:
        return QStringLiteral("2004-%1-%2").arg(k % 12 + 1).arg(k % 28 + 1);
    case 7:
        return k % 3 ? QStringLiteral("永久") : QStringLiteral("长期");
    default:
        return k % 4 ? QVariant() : QVariant(QStringLiteral("备注%1").arg(k));
    }
}

void fill(reports::Spreadsheet& app, int rows) {
    app.activateWorksheet(3);
    for (int k = 1; k <= rows; ++k)
        for (int c = 1; c <= columns; ++c)
            app.setCell(k + 3, c, value(k, c));
    app.setCell(2, 6, QStringLiteral("2004-3-5-14:23:05"));
    app.setBorders(4, 1, rows + 4, columns);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication qapp(argc, argv);
    QTemporaryDir dir;
    const QString shipped = dir.filePath(QStringLiteral("dotoexcle.xlt"));
    QString error;
    if (!xls::writeShippedTemplate(shipped, &error)) {
        std::printf("cannot write the template: %s\n", qPrintable(error));
        return 1;
    }
    const int rows = 10000;

    std::vector<double> ours;
    for (int run = 0; run < 5; ++run) {
        QElapsedTimer t;
        t.start();
        reports::Spreadsheet app;
        app.open(shipped);
        fill(app, rows);
        app.saveAs(dir.filePath(QStringLiteral("report.xls")));
        app.quit();
        ours.push_back(t.nsecsElapsed() / 1e9);
    }
    const double mine = median(ours);
    std::printf(
        "fill and save %d rows x %d columns from the shipped template: %.3f s (goal < 0.3 s)\n",
        rows, columns, mine);

    if (!QStandardPaths::findExecutable(QStringLiteral("ssconvert")).isEmpty()) {
        const QString csv = dir.filePath(QStringLiteral("rows.csv"));
        {
            QFile f(csv);
            f.open(QIODevice::WriteOnly);
            for (int k = 1; k <= rows; ++k) {
                QStringList line;
                for (int c = 1; c <= columns; ++c)
                    line << value(k, c).toString();
                f.write(line.join(QLatin1Char(',')).toUtf8() + '\n');
            }
        }
        std::vector<double> theirs;
        for (int run = 0; run < 3; ++run) {
            QElapsedTimer t;
            t.start();
            QProcess p;
            p.start(QStringLiteral("ssconvert"),
                    {QStringLiteral("--export-type=Gnumeric_Excel:excel_biff8"), csv,
                     dir.filePath(QStringLiteral("peer.xls"))});
            p.waitForFinished(300000);
            theirs.push_back(t.nsecsElapsed() / 1e9);
        }
        const double peer = median(theirs);
        std::printf("ssconvert, the same rows from CSV to .xls: %.3f s; ours is %.1fx faster (goal "
                    ">= 10x)\n",
                    peer, peer / mine);
    } else {
        std::printf("ssconvert is not installed: no peer figure\n");
    }

    // Printing 1,000 rows.
    reports::Spreadsheet app;
    app.open(shipped);
    app.activateWorksheet(3);
    for (int k = 1; k <= 1000; ++k)
        for (int c = 1; c <= columns; ++c)
            app.setCell(k + 3, c, value(k, c));
    app.setBorders(4, 1, 1004, columns);
    app.saveAs(dir.filePath(QStringLiteral("Temp.xls")));
    {
        auto book = xls::Workbook::open(dir.filePath(QStringLiteral("Temp.xls")));
        book->activate(3);
        const xls::SheetLayout layout = book->layout();
        QElapsedTimer t;
        t.start();
        QPdfWriter pdf(dir.filePath(QStringLiteral("print.pdf")));
        pdf.setResolution(1200);
        pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                      QMarginsF(36, 54, 36, 54), QPageLayout::Point));
        QPainter painter(&pdf);
        const int pages = reports::paintSheet(layout, pdf, painter);
        painter.end();
        std::printf("drawing 1000 rows into a PDF: %.3f s, %d pages\n", t.nsecsElapsed() / 1e9,
                    pages);
    }
    if (!QPrinterInfo::defaultPrinter().isNull()) {
        QElapsedTimer t;
        t.start();
        app.printOut();
        std::printf("printing 1000 rows on the default printer \"%s\" (until spooled): %.3f s\n",
                    qPrintable(QPrinterInfo::defaultPrinter().printerName()),
                    t.nsecsElapsed() / 1e9);
    } else {
        std::printf("no default printer: printing to a printer not measured\n");
    }
    app.quit();
    return 0;
}
