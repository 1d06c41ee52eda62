// Printing a worksheet on the default printer: a CUPS queue with the cups-pdf backend
// (scripts/start-printer adds it) turns the job into a PDF, which pdftotext reads back.

#include "reports/sheetprinter.h"
#include "reports/spreadsheet.h"
#include "reports/xls/shippedtemplate.h"
#include "reports/xls/workbook.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinterInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

using reports::ReportError;
using reports::Spreadsheet;

namespace {

QStringList pdfFolders() {
    QStringList dirs;
    const QString configured = qEnvironmentVariable("MARROWIN_PDF_DIR");
    if (!configured.isEmpty())
        dirs << configured;
    dirs << QStringLiteral("/var/spool/cups-pdf/marrowin")
         << QDir::homePath() + QStringLiteral("/PDF")
         << QStringLiteral("/var/spool/cups-pdf/ANONYMOUS");
    return dirs;
}

// The first PDF written after `since` that pdftotext can read, waiting at most `seconds`.
QString waitForPdf(const QDateTime& since, int seconds, QString* text) {
    const QDateTime deadline = QDateTime::currentDateTime().addSecs(seconds);
    while (QDateTime::currentDateTime() < deadline) {
        for (const QString& dir : pdfFolders()) {
            const auto files =
                QDir(dir).entryInfoList({QStringLiteral("*.pdf")}, QDir::Files, QDir::Time);
            for (const QFileInfo& f : files) {
                if (f.lastModified() < since)
                    break;
                // Wait until the backend has finished writing it.
                const qint64 size = f.size();
                QThread::msleep(700);
                if (QFileInfo(f.filePath()).size() != size || size == 0)
                    continue;
                QProcess p;
                p.start(QStringLiteral("pdftotext"),
                        {QStringLiteral("-layout"), f.filePath(), QStringLiteral("-")});
                if (p.waitForFinished(60000) && p.exitCode() == 0) {
                    // Fonts may map ideographs to their compatibility forms (Kangxi radicals).
                    *text = QString::fromUtf8(p.readAllStandardOutput())
                                .normalized(QString::NormalizationForm_KC);
                    return f.filePath();
                }
            }
        }
        QThread::msleep(300);
    }
    return {};
}

} // namespace

class TestXlsPrint : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString shipped_;

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        shipped_ = dir_.filePath(QStringLiteral("dotoexcle.xlt"));
        QString error;
        QVERIFY2(xls::writeShippedTemplate(shipped_, &error), qPrintable(error));
    }

    // 200 rows over several pages: every page starts with the title rows, and the rows
    // come out complete and in order.
    void printsEveryRowUnderTitles() {
        if (QPrinterInfo::defaultPrinter().isNull())
            QSKIP("no CUPS default printer is configured (scripts/start-printer adds a PDF queue)");
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        const int rows = 200;
        const QDateTime started = QDateTime::currentDateTime().addSecs(-1);
        {
            Spreadsheet app;
            app.open(shipped_);
            app.activateWorksheet(1);
            for (int k = 1; k <= rows; ++k) {
                app.setCell(k + 3, 1, k);
                app.setCell(k + 3, 2, QStringLiteral("Office%1").arg(k));
                app.setCell(k + 3, 3, QStringLiteral("R%1").arg(k, 4, 10, QLatin1Char('0')));
                app.setCell(k + 3, 4, QStringLiteral("Notice number %1 of the year").arg(k));
                app.setCell(k + 3, 5, k % 9 + 1);
                app.setCell(k + 3, 6, QStringLiteral("2004-03-05"));
            }
            app.setCell(2, 5, QStringLiteral("2004-3-5-14:23:05"));
            app.setBorders(4, 1, rows + 4, 7);
            app.saveAs(dir_.filePath(QStringLiteral("Temp.xls")));
            app.printOut();
            app.close();
            app.quit();
        }
        QString text;
        const QString pdf = waitForPdf(started, 120, &text);
        QVERIFY2(!pdf.isEmpty(),
                 "no PDF appeared in the cups-pdf output folder within two minutes");
        QStringList pages = text.split(QLatin1Char('\f'));
        while (!pages.isEmpty() && pages.last().trimmed().isEmpty())
            pages.removeLast();
        QVERIFY2(pages.size() >= 2, qPrintable(QStringLiteral("%1 page(s)").arg(pages.size())));
        int next = 1;
        static const QRegularExpression marker(QStringLiteral("R(\\d{4})"));
        for (int p = 0; p < pages.size(); ++p) {
            const QString& page = pages[p];
            QVERIFY2(page.contains(QStringLiteral("文件目录")),
                     qPrintable(QStringLiteral("page %1 has no title").arg(p + 1)));
            QVERIFY2(page.contains(QStringLiteral("文件标题名")) &&
                         page.contains(QStringLiteral("序号")),
                     qPrintable(QStringLiteral("page %1 has no headings").arg(p + 1)));
            QVERIFY2(page.contains(QStringLiteral("制表时间")),
                     qPrintable(QStringLiteral("page %1").arg(p + 1)));
            auto it = marker.globalMatch(page);
            while (it.hasNext()) {
                const int k = it.next().captured(1).toInt();
                QVERIFY2(k == next,
                         qPrintable(QStringLiteral("row %1 printed where row %2 belongs (page %3)")
                                        .arg(k)
                                        .arg(next)
                                        .arg(p + 1)));
                ++next;
            }
        }
        QCOMPARE(next - 1, rows);
        QVERIFY(text.contains(QStringLiteral("2004-3-5-14:23:05")));
    }

    // The same pagination drawn straight into a PDF, printer or not: rows split over pages
    // of the template's paper, each page under the repeated title rows.
    void drawsPagesUnderTitles_data() {
        QTest::addColumn<QString>("templateName");
        QTest::newRow("shipped") << "shipped";
        QTest::newRow("LibreOffice") << "libreoffice.xlt";
        QTest::newRow("Gnumeric") << "gnumeric.xls";
    }

    void drawsPagesUnderTitles() {
        QFETCH(QString, templateName);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        QString source = shipped_;
        if (templateName != QLatin1String("shipped")) {
            source = QDir::cleanPath(
                QStringLiteral(MARROWIN_SOURCE_DIR "/../shared/fixtures/templates/") +
                templateName);
            if (!QFileInfo::exists(source))
                QSKIP("the fixture templates (../shared/fixtures/templates) are not at hand");
        }
        auto book = xls::Workbook::open(source);
        book->activate(3);
        const int rows = 120;
        for (int k = 1; k <= rows; ++k) {
            book->setNumber(k + 3, 1, k);
            book->setText(k + 3, 3, QStringLiteral("R%1").arg(k, 4, 10, QLatin1Char('0')));
        }
        book->setBorders(4, 1, rows + 4, 8);
        const xls::SheetLayout layout = book->layout();
        QCOMPARE(layout.page.titleFirstRow, 0);
        QCOMPARE(layout.page.titleLastRow, 2);
        QVERIFY(layout.page.landscape);
        QCOMPARE(layout.page.paperSize, 9);
        const QString path = dir_.filePath(QStringLiteral("drawn.pdf"));
        int pages = 0;
        {
            QPdfWriter pdf(path);
            pdf.setResolution(600);
            pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                          QMarginsF(36, 54, 36, 54), QPageLayout::Point));
            QPainter painter(&pdf);
            pages = reports::paintSheet(layout, pdf, painter);
        }
        QVERIFY(pages >= 3);
        QProcess p;
        p.start(QStringLiteral("pdftotext"),
                {QStringLiteral("-layout"), path, QStringLiteral("-")});
        QVERIFY(p.waitForFinished(60000));
        QStringList texts = QString::fromUtf8(p.readAllStandardOutput())
                                .normalized(QString::NormalizationForm_KC)
                                .split(QLatin1Char('\f'));
        while (!texts.isEmpty() && texts.last().trimmed().isEmpty())
            texts.removeLast();
        QCOMPARE(texts.size(), pages);
        int next = 1;
        static const QRegularExpression marker(QStringLiteral("R(\\d{4})"));
        for (const QString& page : texts) {
            QVERIFY(page.contains(QStringLiteral("保管期限")));
            QVERIFY(page.contains(QStringLiteral("制表时间")));
            auto it = marker.globalMatch(page);
            while (it.hasNext())
                QCOMPARE(it.next().captured(1).toInt(), next++);
        }
        QCOMPARE(next - 1, rows);
    }

    // Without any printer the report fails clearly instead of passing for printed.
    void noPrinterIsAnError() {
        if (!QPrinterInfo::availablePrinters().isEmpty())
            QSKIP("printers are configured (this case runs with CUPS_SERVER pointing nowhere)");
        Spreadsheet app;
        app.open(shipped_);
        app.activateWorksheet(1);
        app.setCell(4, 1, 1);
        try {
            app.printOut();
            QFAIL("printing without a printer succeeded");
        } catch (const ReportError& e) {
            QVERIFY2(e.description().contains(QStringLiteral("没有可用的打印机")),
                     qPrintable(e.description()));
        }
    }
};

QTEST_MAIN(TestXlsPrint)
#include "tst_xlsprint.moc"
