// Filling report templates and saving them, checked by independent readers: xlrd reads
// back every value and line, ssconvert converts without a warning, our structural check
// finds the stream positions right, and the sheets not written stay as they were.

#include "reports/spreadsheet.h"
#include "reports/xls/ole.h"
#include "reports/xls/shippedtemplate.h"
#include "reports/xls/workbook.h"
#include "xlstestutil.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QtTest>

using reports::ReportError;
using reports::Spreadsheet;

namespace {

constexpr int maxCellText() {
    return 32767;
} // what a cell holds

QByteArray fileHash(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

// The value written into row k (from 1) of a data column; invalid means an empty cell.
QVariant dataValue(int k, int column) {
    switch (column) {
    case 1:
        return k;
    case 2:
        return QStringLiteral("办公室%1").arg(k);
    case 3:
        return QStringLiteral("No.%1/2004").arg(k);
    case 4:
        if (k % 50 == 7) // longer than one SST record, with characters outside the BMP
            return QString(3000, QChar(0x6587)) + QString::fromUtf8("𠀀𠀁").repeated(1500) +
                   QString::number(k);
        return QStringLiteral("关于第%1号文件的通知").arg(k);
    case 5:
        if (k % 7 == 3)
            return qlonglong(3000000000LL + k); // beyond what an RK holds
        return k % 11 == 5 ? -k : 3 * k;
    case 6:
        return QStringLiteral("2004-03-%1").arg(k % 28 + 1, 2, 10, QLatin1Char('0'));
    case 7:
        return k % 3 == 0 ? QVariant() : QVariant(QStringLiteral("备注 %1").arg(k));
    default:
        return QStringLiteral("永久");
    }
}

QString describe(const QJsonValue& v) {
    return QString::fromUtf8(QJsonDocument(QJsonArray{v}).toJson(QJsonDocument::Compact));
}

} // namespace

class TestXlsWorkbook : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;
    QString shipped_;

    QString templatePath(const QString& name) {
        if (name == QLatin1String("shipped"))
            return shipped_;
        const QString fixtures = xlstest::fixtureDir();
        return fixtures.isEmpty() ? QString() : fixtures + QLatin1Char('/') + name;
    }

private Q_SLOTS:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        shipped_ = dir_.filePath(QStringLiteral("dotoexcle.xlt"));
        QString error;
        QVERIFY2(xls::writeShippedTemplate(shipped_, &error), qPrintable(error));
    }

    void shippedTemplateReads() {
        if (!xlstest::haveReaders())
            QSKIP("python3-xlrd or ssconvert is not installed");
        const QJsonObject book = xlstest::readBack(shipped_);
        QVERIFY2(!book.contains("error"), qPrintable(book["error"].toString()));
        const QJsonArray sheets = book["sheets"].toArray();
        QCOMPARE(sheets.size(), 3);
        const QStringList headings[3] = {
            {"序号", "责任者", "文号", "文件标题名", "页数", "发文时间", "备注"},
            {"序号", "合同编号", "名称", "甲方", "乙方", "签订日期", "备注"},
            {"序号", "责任者", "文号", "文件标题名", "页数", "发文时间", "保管期限", "备注"}};
        const int stamp[3] = {5, 5, 6};
        for (int s = 0; s < 3; ++s) {
            const QJsonArray rows = sheets[s].toObject()["cells"].toArray();
            QCOMPARE(rows.size(), 3);
            QVERIFY(!rows[0].toArray()[0].toArray()[1].toString().isEmpty());
            QCOMPARE(rows[1].toArray()[stamp[s] - 2].toArray()[1].toString(),
                     QStringLiteral("制表时间:"));
            const QJsonArray head = rows[2].toArray();
            QCOMPARE(head.size(), headings[s].size());
            for (int c = 0; c < head.size(); ++c) {
                const QJsonArray cell = head[c].toArray();
                QCOMPARE(cell[1].toString(), headings[s][c]);
                const QJsonObject f = cell[2].toObject();
                QVERIFY(f["font"].toArray()[2].toBool()); // bold
                for (const auto& line : f["lines"].toArray())
                    QCOMPARE(line.toInt(), 1);
            }
            const QJsonArray merged = sheets[s].toObject()["merged"].toArray();
            QCOMPARE(merged.size(), 1);
            QCOMPARE(describe(merged[0]), QStringLiteral("[[0,1,0,%1]]").arg(headings[s].size()));
        }
        QCOMPARE(xlstest::convertWarnings(shipped_), QString());
        QCOMPARE(xlstest::structureFaults(shipped_), QStringLiteral("ok"));
        QVERIFY(xlstest::hasTemplateRecord(shipped_));
    }

    void fill_data() {
        QTest::addColumn<QString>("templateName");
        QTest::addColumn<int>("sheet");
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("stampColumn");
        QTest::addColumn<int>("lastColumn");
        QTest::newRow("shipped, 1 row") << "shipped" << 1 << 1 << 5 << 7;
        QTest::newRow("shipped, 100 rows") << "shipped" << 1 << 100 << 5 << 7;
        QTest::newRow("shipped, 10000 rows") << "shipped" << 1 << 10000 << 5 << 7;
        QTest::newRow("shipped contracts, 100 rows") << "shipped" << 2 << 100 << 5 << 7;
        QTest::newRow("shipped archive, 100 rows") << "shipped" << 3 << 100 << 6 << 8;
        QTest::newRow("LibreOffice, 1 row") << "libreoffice.xlt" << 1 << 1 << 5 << 7;
        QTest::newRow("LibreOffice contracts, 100 rows") << "libreoffice.xlt" << 2 << 100 << 5 << 7;
        QTest::newRow("LibreOffice, 10000 rows") << "libreoffice.xlt" << 1 << 10000 << 5 << 7;
        QTest::newRow("Gnumeric archive, 100 rows") << "gnumeric.xls" << 3 << 100 << 6 << 8;
        QTest::newRow("Gnumeric, 10000 rows") << "gnumeric.xls" << 1 << 10000 << 5 << 7;
    }

    void fill() {
        QFETCH(QString, templateName);
        QFETCH(int, sheet);
        QFETCH(int, rows);
        QFETCH(int, stampColumn);
        QFETCH(int, lastColumn);
        if (!xlstest::haveReaders())
            QSKIP("python3-xlrd or ssconvert is not installed");
        const QString source = templatePath(templateName);
        if (source.isEmpty())
            QSKIP("the fixture templates (../shared/fixtures/templates) are not at hand");
        const QByteArray before = fileHash(source);
        const QString target = dir_.filePath(QStringLiteral("report-%1-%2-%3.xls")
                                                 .arg(QString(templateName).remove('.'))
                                                 .arg(sheet)
                                                 .arg(rows));
        const QString stamp = QStringLiteral("2004-3-5-14:23:05");
        {
            Spreadsheet app;
            app.open(source);
            app.activateWorksheet(sheet);
            for (int k = 1; k <= rows; ++k)
                for (int c = 1; c <= lastColumn; ++c)
                    app.setCell(k + 3, c, dataValue(k, c));
            app.setCell(2, stampColumn, stamp);
            app.setBorders(4, 1, rows + 4, lastColumn);
            app.saveAs(target);
            app.close();
            app.quit();
        }
        QCOMPARE(fileHash(source), before); // the template is never written

        const QJsonObject original = xlstest::readBack(source);
        const QJsonObject saved = xlstest::readBack(target);
        QVERIFY2(!saved.contains("error"), qPrintable(saved["error"].toString()));
        const QJsonArray sheetsBefore = original["sheets"].toArray();
        const QJsonArray sheetsAfter = saved["sheets"].toArray();
        QCOMPARE(sheetsAfter.size(), sheetsBefore.size());
        for (int s = 0; s < sheetsBefore.size(); ++s) {
            const QJsonObject a = sheetsBefore[s].toObject(), b = sheetsAfter[s].toObject();
            QCOMPARE(b["name"], a["name"]);
            if (s + 1 != sheet) {
                QVERIFY2(a == b, qPrintable(QStringLiteral("sheet %1 changed").arg(s + 1)));
                continue;
            }
            for (const char* key : {"merged", "widths", "heights", "landscape"})
                QVERIFY2(a[key] == b[key], key);
        }
        const QJsonObject filled = sheetsAfter[sheet - 1].toObject();
        const QJsonArray cells = filled["cells"].toArray();
        QCOMPARE(cells.size(), rows + 4);
        // Title, stamp row and headings as in the template, the stamp written.
        const QJsonArray templateRows = sheetsBefore[sheet - 1].toObject()["cells"].toArray();
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < templateRows[r].toArray().size(); ++c) {
                const QJsonArray was = templateRows[r].toArray()[c].toArray();
                const QJsonArray now = cells[r].toArray()[c].toArray();
                if (r == 1 && c == stampColumn - 1) {
                    QCOMPARE(now[1].toString(), stamp);
                    QCOMPARE(now[2], was[2]);
                } else {
                    QVERIFY2(now == was,
                             qPrintable(QStringLiteral("template cell (%1, %2) changed: %3 -> %4")
                                            .arg(r + 1)
                                            .arg(c + 1)
                                            .arg(describe(was), describe(now))));
                }
            }
        for (int k = 1; k <= rows + 1; ++k) {
            const QJsonArray row = cells[k + 2].toArray();
            for (int c = 1; c <= lastColumn; ++c) {
                const QJsonArray cell = row[c - 1].toArray();
                const QVariant want = k <= rows ? dataValue(k, c) : QVariant();
                const QString where = QStringLiteral("row %1, column %2").arg(k + 3).arg(c);
                if (!want.isValid()) {
                    QVERIFY2(cell[1].toString().isEmpty(), qPrintable(where));
                } else if (want.typeId() == QMetaType::QString) {
                    QVERIFY2(cell[0].toInt() == 1 && cell[1].toString() == want.toString(),
                             qPrintable(where + QStringLiteral(": ") + describe(cell[1])));
                } else {
                    QVERIFY2(cell[0].toInt() == 2 && cell[1].toDouble() == want.toDouble(),
                             qPrintable(where + QStringLiteral(": ") + describe(cell[1])));
                }
                const QJsonArray lines = cell[2].toObject()["lines"].toArray();
                for (const auto& line : lines)
                    QVERIFY2(line.toInt() >= 1,
                             qPrintable(where + QStringLiteral(" is not framed")));
            }
        }
        const QString warnings = xlstest::convertWarnings(target);
        QVERIFY2(!warnings.contains("WARNING") && !warnings.contains("CRITICAL"),
                 qPrintable(warnings));
        QCOMPARE(xlstest::structureFaults(target), QStringLiteral("ok"));
        QCOMPARE(xlstest::changedRecords(source, target, sheet), QStringLiteral("ok"));
        QVERIFY(!xlstest::hasTemplateRecord(target));
    }

    // Writing over a template's own cells keeps their formatting; an empty value empties.
    void overwriteTemplateCells() {
        if (!xlstest::haveReaders())
            QSKIP("python3-xlrd or ssconvert is not installed");
        const QString target = dir_.filePath(QStringLiteral("overwrite.xls"));
        {
            Spreadsheet app;
            app.open(shipped_);
            app.activateWorksheet(1);
            app.setCell(3, 1, QVariant());
            app.setCell(3, 2, QStringLiteral("经办单位"));
            app.setCell(3, 3, 42);
            app.setCell(3, 4, QString());
            app.saveAs(target);
        }
        const QJsonArray was = xlstest::readBack(shipped_)["sheets"][0]["cells"][2].toArray();
        const QJsonArray now = xlstest::readBack(target)["sheets"][0]["cells"][2].toArray();
        QCOMPARE(now[0].toArray()[1].toString(), QString());
        QCOMPARE(now[1].toArray()[1].toString(), QStringLiteral("经办单位"));
        QCOMPARE(now[2].toArray()[1].toDouble(), 42.0);
        QCOMPARE(now[3].toArray()[1].toString(), QString());
        for (int c = 0; c < 4; ++c)
            QCOMPARE(now[c].toArray()[2], was[c].toArray()[2]);
        QCOMPARE(xlstest::structureFaults(target), QStringLiteral("ok"));
    }

    // Texts that cross SST record boundaries at every kind of place: one-byte and two-byte
    // characters, surrogate pairs, a boundary right after a string's fixed fields.
    void textsAcrossRecords() {
        if (!xlstest::haveReaders())
            QSKIP("python3-xlrd or ssconvert is not installed");
        QStringList texts;
        for (int i = 0; i < 12; ++i)
            texts << QString(i, QLatin1Char('a')) +
                         QString::fromUtf8("𠀀").repeated(1000 + 37 * i) +
                         QStringLiteral("尾%1").arg(i);
        texts << QString(9000, QLatin1Char('x')) << QString(20000, QChar(0x00E9))
              << QString(maxCellText(), QChar(0x4E2D)) << QStringLiteral("短");
        const QString target = dir_.filePath(QStringLiteral("texts.xls"));
        {
            Spreadsheet app;
            app.open(shipped_);
            app.activateWorksheet(2);
            for (int i = 0; i < texts.size(); ++i)
                app.setCell(i + 4, 3, texts[i]);
            app.saveAs(target);
        }
        const QJsonArray rows = xlstest::readBack(target)["sheets"][1]["cells"].toArray();
        QCOMPARE(rows.size(), texts.size() + 3);
        for (int i = 0; i < texts.size(); ++i)
            QVERIFY2(rows[i + 3].toArray()[2].toArray()[1].toString() == texts[i],
                     qPrintable(QStringLiteral("text %1").arg(i)));
        // Our own reader agrees.
        auto book = xls::Workbook::open(target);
        book->activate(2);
        const xls::SheetLayout layout = book->layout();
        int found = 0;
        for (const auto& cell : layout.cells)
            if (cell.row >= 3 && cell.column == 2) {
                QCOMPARE(cell.text, texts[cell.row - 3]);
                ++found;
            }
        QCOMPARE(found, texts.size());
        QCOMPARE(xlstest::structureFaults(target), QStringLiteral("ok"));
        const QString warnings = xlstest::convertWarnings(target);
        QVERIFY2(!warnings.contains("WARNING") && !warnings.contains("CRITICAL"),
                 qPrintable(warnings));
    }

    void badFiles_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("expected");
        QTest::newRow("missing file") << "missing"
                                      << "找不到";
        QTest::newRow("empty file") << "empty"
                                    << "不是Excel 97-2003工作簿";
        QTest::newRow("text file") << "text"
                                   << "不是Excel 97-2003工作簿";
        QTest::newRow("truncated file") << "truncated"
                                        << "";
        QTest::newRow("no workbook stream") << "nostream"
                                            << "没有Excel工作簿数据";
        QTest::newRow("stream cut in a record") << "cutstream"
                                                << "损坏或被截断";
        QTest::newRow("sheet position wrong") << "position"
                                              << "位置错误";
        QTest::newRow("older Excel format") << "biff5"
                                            << "BIFF8";
        QTest::newRow("string table cut") << "sst"
                                          << "共享字符串表";
    }

    void badFiles() {
        QFETCH(QString, kind);
        QFETCH(QString, expected);
        const QString path = dir_.filePath(QStringLiteral("bad-%1.xls").arg(kind));
        QFile::remove(path);
        const QByteArray good = xls::ole::read(shipped_).workbook;
        auto writeFile = [&](const QByteArray& bytes) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(bytes);
        };
        auto writeStream = [&](const QByteArray& stream) {
            xls::ole::write(path, stream, nullptr);
        };
        if (kind == "empty") {
            writeFile({});
        } else if (kind == "text") {
            writeFile("序号,责任者\n1,办公室\n");
        } else if (kind == "truncated") {
            QFile f(shipped_);
            QVERIFY(f.open(QIODevice::ReadOnly));
            writeFile(f.readAll().left(3000));
        } else if (kind == "nostream") {
            // An OLE2 file holding something else.
            QByteArray other = good;
            writeStream(other);
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QByteArray bytes = f.readAll();
            const QByteArray name = QByteArray("W\0o\0r\0k\0b\0o\0o\0k\0", 16);
            const qsizetype at = bytes.indexOf(name);
            QVERIFY(at > 0);
            bytes.replace(at, 2, QByteArray("X\0", 2));
            f.seek(0);
            f.write(bytes);
        } else if (kind == "cutstream") {
            writeStream(good.left(good.size() * 3 / 5));
        } else if (kind == "position") {
            QByteArray bad = good;
            const qsizetype at = bad.indexOf(QByteArray("\x85\x00", 2));
            QVERIFY(at > 0);
            bad[at + 4] = char(bad[at + 4] + 1);
            writeStream(bad);
        } else if (kind == "biff5") {
            QByteArray bad = good;
            bad[5] = 0x05;
            writeStream(bad);
        } else if (kind == "sst") {
            QByteArray bad = good;
            const qsizetype at = bad.indexOf(QByteArray("\xFC\x00", 2));
            QVERIFY(at > 0);
            // A string longer than the table holds.
            bad[at + 12] = char(0xFF);
            bad[at + 13] = char(0x7F);
            writeStream(bad);
        }
        try {
            auto book = xls::Workbook::open(path);
            QFAIL("a bad file was opened");
        } catch (const xls::Error& e) {
            QVERIFY2(e.description().contains(expected), qPrintable(e.description()));
            QVERIFY2(e.description().contains(
                         QRegularExpression(QStringLiteral("[\\x{4e00}-\\x{9fff}]"))),
                     qPrintable(e.description()));
        }
        // Through the facade, the same failure is a report error.
        Spreadsheet app;
        QVERIFY_THROWS_EXCEPTION(ReportError, app.open(path));
        QVERIFY(app.running());
    }

    void missingWorksheet() {
        Spreadsheet app;
        app.open(shipped_);
        try {
            app.activateWorksheet(4);
            QFAIL("worksheet 4 was taken");
        } catch (const ReportError& e) {
            QVERIFY2(e.description().contains(QStringLiteral("没有第4个工作表")),
                     qPrintable(e.description()));
        }
        QVERIFY_THROWS_EXCEPTION(ReportError, app.activateWorksheet(0));
        QVERIFY_THROWS_EXCEPTION(ReportError, app.setCell(4, 1, 1));
    }

    void facadeSteps() {
        Spreadsheet app;
        QVERIFY(app.running());
        try {
            app.open(dir_.filePath(QStringLiteral("nowhere.xlt")));
            QFAIL("a missing template was opened");
        } catch (const ReportError& e) {
            QVERIFY(e.description().contains(QStringLiteral("找不到报表模板")));
        }
        QVERIFY_THROWS_EXCEPTION(ReportError, app.activateWorksheet(1));
        app.open(shipped_);
        app.activateWorksheet(2);
        app.setCell(4, 1, 1);
        // The template itself is never written.
        const QByteArray before = fileHash(shipped_);
        QVERIFY_THROWS_EXCEPTION(ReportError, app.saveAs(shipped_));
        QCOMPARE(fileHash(shipped_), before);
        try {
            app.saveAs(dir_.filePath(QStringLiteral("no/such/folder/report.xls")));
            QFAIL("saved into a missing folder");
        } catch (const ReportError& e) {
            QVERIFY2(e.description().contains(QStringLiteral("无法写入")),
                     qPrintable(e.description()));
        }
        QVERIFY_THROWS_EXCEPTION(ReportError, app.setCell(0, 1, 1));
        QVERIFY_THROWS_EXCEPTION(ReportError, app.setCell(1, 257, 1));
        app.close();
        QVERIFY_THROWS_EXCEPTION(ReportError, app.setCell(4, 1, 1));
        app.quit();
        QVERIFY(!app.running());
        QVERIFY_THROWS_EXCEPTION(ReportError, app.open(shipped_));
    }
};

QTEST_GUILESS_MAIN(TestXlsWorkbook)
#include "tst_xlsworkbook.moc"
