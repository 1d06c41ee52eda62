// The selection texts and export names of the report windows, without a database.

#include "reports/reportrun.h"
#include "reports/reportsettings.h"
#include "shell/app/testing.h"

#include <QFile>
#include <QLocale>
#include <QTest>

using namespace reports;

class ReportTexts : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China)); }

    void selections_data();
    void selections();
    void exportNames_data();
    void exportNames();
    void secondExportKeepsTheFirst();
    void stampIsShortDateAndLongTime();
};

void ReportTexts::selections_data() {
    QTest::addColumn<QString>("built");
    QTest::addColumn<QString>("expected");
    const auto ex = ReportPath::Export;
    const auto pr = ReportPath::Print;
    const QString year = QStringLiteral("2004");
    const QString unit = QStringLiteral("办公室");
    QTest::newRow("swbb export, two blanks")
        << documentSelection(swbbSettings(), year, unit, ex)
        << QStringLiteral("select * from 文件收文库 where 年度 ='2004' and 责任者='办公室'  "
                          "Order by 发文时间");
    QTest::newRow("swbb print, two blanks")
        << documentSelection(swbbSettings(), year, unit, pr)
        << QStringLiteral("select * from 文件收文库 where 年度 ='2004' and 责任者='办公室'  "
                          "Order by 发文时间");
    QTest::newRow("fwbb export, one blank")
        << documentSelection(fwbbSettings(), year, unit, ex)
        << QStringLiteral("select * from 文件发文库 where 年度 ='2004' and 责任者='办公室' "
                          "Order by 发文时间");
    QTest::newRow("fwbb print, two blanks")
        << documentSelection(fwbbSettings(), year, unit, pr)
        << QStringLiteral("select * from 文件发文库 where 年度 ='2004' and 责任者='办公室'  "
                          "Order by 发文时间");
    QTest::newRow("quotes cannot end the literal")
        << documentSelection(swbbSettings(), QStringLiteral("20'4"), QStringLiteral("O'Neil"), ex)
        << QStringLiteral("select * from 文件收文库 where 年度 ='20''4' and 责任者='O''Neil'  "
                          "Order by 发文时间");
    QTest::newRow("htbb, four wildcards")
        << contractSelection(year)
        << QStringLiteral(
               "select * from 合同协议库 where 签订日期 like '2004____' Order by 签订日期");
    QTest::newRow("htbb quote")
        << contractSelection(QStringLiteral("2'04"))
        << QStringLiteral(
               "select * from 合同协议库 where 签订日期 like '2''04____' Order by 签订日期");
    QTest::newRow("gdbb by volume")
        << archiveVolumeSelection(QStringLiteral("1"), QStringLiteral("2'"), QStringLiteral("3"))
        << QStringLiteral("select * from 归档库 where 全宗号 ='1' and 案卷目录号 ='2''' and "
                          "案卷号 ='3' Order by 发文时间");
    QTest::newRow("gdbb by item")
        << archiveItemSelection(year, unit, QStringLiteral("永'久"))
        << QStringLiteral("select * from 归档库 where 年度 ='2004' and 责任者='办公室' and "
                          "保管期限='永''久' Order by 发文时间");
}

void ReportTexts::selections() {
    QFETCH(QString, built);
    QFETCH(QString, expected);
    QCOMPARE(built, expected);
}

void ReportTexts::exportNames_data() {
    QTest::addColumn<QStringList>("parts");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("expected");
    const QLocale zh(QLocale::Chinese, QLocale::China);
    QTest::newRow("outgoing") << QStringList{"2004", "办公室"} << fwbbSettings().params.suffix << zh
                              << QStringLiteral("2004办公室2004-3-5发文报表.xls");
    QTest::newRow("incoming") << QStringList{"2004", "办公室"} << swbbSettings().params.suffix << zh
                              << QStringLiteral("2004办公室2004-3-5收文报表.xls");
    QTest::newRow("unit holding a slash")
        << QStringList{"2004", "办公室/一科"} << fwbbSettings().params.suffix << zh
        << QStringLiteral("2004办公室-一科2004-3-5发文报表.xls");
    QTest::newRow("contract date first")
        << QStringList{"20040301"} << contractReportParams().suffix << zh
        << QStringLiteral("200403012004-3-5合同协议报表.xls");
    QTest::newRow("archive") << QStringList{"2003", "一科"} << archiveReportParams().suffix << zh
                             << QStringLiteral("2003一科2004-3-5文件归档报表.xls");
    QTest::newRow("a date form with slashes and a colon")
        << QStringList{"2004", "a:b"} << fwbbSettings().params.suffix << QLocale(QLocale::C)
        << QStringLiteral("2004a-b") +
               app::safeFileName(QLocale::c().toString(QDate(2004, 3, 5), QLocale::ShortFormat)) +
               QStringLiteral("发文报表.xls");
}

void ReportTexts::exportNames() {
    QFETCH(QStringList, parts);
    QFETCH(QString, suffix);
    QFETCH(QLocale, locale);
    QFETCH(QString, expected);
    app::testing::TestEnv env;
    QLocale::setDefault(locale);
    const QString name = exportFileName(parts, suffix);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    QCOMPARE(name, expected);
    QVERIFY(!name.contains(QLatin1Char('/')));
    QCOMPARE(freeExportPath(name), env.path(name));
}

void ReportTexts::secondExportKeepsTheFirst() {
    app::testing::TestEnv env;
    const QString name = QStringLiteral("2004办公室2004-3-5发文报表.xls");
    auto touch = [](const QString& path) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
    };
    touch(env.path(name));
    QCOMPARE(freeExportPath(name), env.path(QStringLiteral("2004办公室2004-3-5发文报表(2).xls")));
    touch(env.path(QStringLiteral("2004办公室2004-3-5发文报表(2).xls")));
    QCOMPARE(freeExportPath(name), env.path(QStringLiteral("2004办公室2004-3-5发文报表(3).xls")));
}

void ReportTexts::stampIsShortDateAndLongTime() {
    app::testing::TestEnv env;
    QCOMPARE(reportStamp(), QStringLiteral("2004/3/5-14:23:05"));
}

QTEST_GUILESS_MAIN(ReportTexts)
#include "tst_reporttexts.moc"
