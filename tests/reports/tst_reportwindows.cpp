// The report windows driven offscreen over a test catalogue; exported workbooks are read
// back with xlrd.

#include "reportfixture.h"
#include "reports/reportrun.h"
#include "reports/reportsettings.h"
#include "reports/reportwindows.h"
#include "shell/app/testing.h"

#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTest>
#include <memory>

using namespace reports;
using namespace reporttest;

namespace {

enum class Window { Swbb, Fwbb, Htbb, Gdbb };

std::unique_ptr<QDialog> openWindow(Window w) {
    switch (w) {
    case Window::Swbb:
        return std::unique_ptr<QDialog>(createSwbb(nullptr));
    case Window::Fwbb:
        return std::unique_ptr<QDialog>(createFwbb(nullptr));
    case Window::Htbb:
        return std::unique_ptr<QDialog>(createHtbb(nullptr));
    case Window::Gdbb:
        return std::unique_ptr<QDialog>(createGdbb(nullptr));
    }
    return {};
}

template <class T> T* child(QDialog* window, const QString& name) {
    T* w = window->findChild<T*>(name);
    if (!w)
        qFatal("no control %s", qPrintable(name));
    return w;
}

void type(QDialog* w, const QString& name, const QString& text) {
    if (auto* box = w->findChild<QComboBox*>(name))
        box->setEditText(text);
    else
        child<QLineEdit>(w, name)->setText(text);
}

QString textOf(QDialog* w, const QString& name) {
    if (auto* box = w->findChild<QComboBox*>(name))
        return box->currentText();
    return child<QLineEdit>(w, name)->text();
}

void click(QDialog* w, const QString& name) {
    child<QPushButton>(w, name)->click();
}

const QString kOffice = QStringLiteral("办公室");

// Three documents of 办公室 in 2004, inserted out of date order, and two that must stay out.
void addOfficeYear(const QString& table) {
    addDocument(table, {"X-1", "2004", kOffice, "办[2004]5号", "五月的文件", "2004-05-12", "5",
                        "乙", "永久"});
    addDocument(table, {"X-2", "2004", kOffice, "办[2004]1号", "一月的文件", "2004-01-03", "1", "",
                        "永久"});
    addDocument(table, {"X-3", "2004", kOffice, "办[2004]3号", "三月的文件", "2004-03-20", "3",
                        "甲", "永久"});
    addDocument(table, {"X-4", "2003", kOffice, "办[2003]9号", "去年的文件", "2003-02-01", "2", "",
                        "永久"});
    addDocument(table,
                {"X-5", "2004", "一科", "科[2004]1号", "别的单位", "2004-02-01", "2", "", "永久"});
}

// The rows of addOfficeYear in order of 发文时间: number, title, pages, date, remark.
const QList<QStringList> kOfficeRows = {
    {"办[2004]1号", "一月的文件", "1", "2004-1-3", ""},
    {"办[2004]3号", "三月的文件", "3", "2004-3-20", "甲"},
    {"办[2004]5号", "五月的文件", "5", "2004-5-12", "乙"},
};

} // namespace

class ReportWindows : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void controlsAndLists();
    void exportFillsTheWorksheet_data();
    void exportFillsTheWorksheet();
    void documentInputChecks_data();
    void documentInputChecks();
    void noRecordsWritesNothing_data();
    void noRecordsWritesNothing();
    void unitNotInListIsUsedAsTyped();
    void unitWithSlashAndQuote();
    void secondExportKeepsTheFirst();
    void contractYearSelectsEightCharacters();
    void contractYearCheck_data();
    void contractYearCheck();
    void archiveByVolumeNamesEarliestDocument();
    void archiveChecks();
    void failuresAreReportedAndWindowStaysUsable();
    void printFailureRemovesPrintFile();
    void unwritablePrintFileIsReported();
    void printLeavesNoPrintFile_data();
    void printLeavesNoPrintFile();

private:
    void checkFrame(const QJsonObject& sheet, int n, int lastColumn);
    void checkPlainMessage(const QString& text);

    std::unique_ptr<app::testing::TestEnv> env;
};

void ReportWindows::initTestCase() {
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
}

void ReportWindows::init() {
    env = std::make_unique<app::testing::TestEnv>(QStringLiteral(MARROWIN_SHIPPED_DIR));
    QVERIFY(QFile::exists(env->path(QStringLiteral("sys_kw.kwd"))));
    QVERIFY(QFile::exists(env->path(kTemplateFile)));
    setUnits({kOffice, QStringLiteral("一科"), QStringLiteral("二科")});
}

void ReportWindows::cleanup() {
    env.reset();
}

void ReportWindows::checkFrame(const QJsonObject& sheet, int n, int lastColumn) {
    const QList<int> framed{1, 1, 1, 1};
    for (int r = 4; r <= n + 4; ++r)
        for (int c = 1; c <= lastColumn; ++c)
            QVERIFY2(bordersOf(sheet, r, c) == framed,
                     qPrintable(QStringLiteral("cell %1,%2").arg(r).arg(c)));
    // Nothing outside the block: below its last row and right of its last column.
    for (int c = 1; c <= lastColumn + 1; ++c) {
        const QList<int> below = bordersOf(sheet, n + 5, c);
        QCOMPARE(below[1] + below[2] + below[3], 0);
    }
    for (int r = 4; r <= n + 4; ++r) {
        const QList<int> right = bordersOf(sheet, r, lastColumn + 1);
        QCOMPARE(right[0] + right[1] + right[3], 0);
    }
}

void ReportWindows::checkPlainMessage(const QString& text) {
    QVERIFY(!env->messages.isEmpty());
    const app::MessageRequest& m = env->messages.last();
    QCOMPARE(m.text, text);
    QCOMPARE(m.title, app::title());
    QCOMPARE(m.icon, app::Icon::None);
    QCOMPARE(m.buttons, app::Buttons::Ok);
}

void ReportWindows::controlsAndLists() {
    execute(QStringLiteral("delete * from 选择项"));
    execute(QStringLiteral("insert into 选择项 (保管期限, 密级) values ('永久', '秘密')"));
    execute(QStringLiteral("insert into 选择项 (保管期限, 密级) values ('长期', '机密')"));
    execute(QStringLiteral("insert into 选择项 (保管期限, 密级) values ('短期', '绝密')"));
    const QStringList units{kOffice, QStringLiteral("一科"), QStringLiteral("二科")};

    for (Window w : {Window::Swbb, Window::Fwbb}) {
        auto win = openWindow(w);
        QCOMPARE(win->windowTitle(),
                 w == Window::Swbb ? swbbSettings().caption : fwbbSettings().caption);
        QCOMPARE(child<QGroupBox>(win.get(), "Frame1")->title(),
                 w == Window::Swbb ? QStringLiteral("请输入要生成收文报表的相关数据")
                                   : QStringLiteral("请输入要生成发文报表的相关数据"));
        QCOMPARE(child<QLabel>(win.get(), "Label1(0)")->text(), QStringLiteral("文件年度:"));
        QCOMPARE(child<QLabel>(win.get(), "Label1(1)")->text(), QStringLiteral("责任者:"));
        QCOMPARE(child<QPushButton>(win.get(), "Command2")->text(), QStringLiteral("打印报表"));
        QCOMPARE(child<QPushButton>(win.get(), "Command4")->text(),
                 QStringLiteral("导出Excel报表"));
        QVERIFY(textOf(win.get(), "Text2").isEmpty());
        auto* combo = child<QComboBox>(win.get(), "Combo1");
        QVERIFY(combo->isEditable());
        // Every unit of the table, in the order the query returns them; the first shown.
        QStringList entries;
        for (int i = 0; i < combo->count(); ++i)
            entries << combo->itemText(i);
        entries.sort();
        QStringList sortedUnits = units;
        sortedUnits.sort();
        QCOMPARE(entries, sortedUnits);
        QCOMPARE(combo->currentIndex(), 0);
        QCOMPARE(combo->currentText(), combo->itemText(0));
    }

    auto htbb = openWindow(Window::Htbb);
    QCOMPARE(htbb->windowTitle(), QStringLiteral("合同协议报表生成窗口"));
    QCOMPARE(child<QGroupBox>(htbb.get(), "Frame1")->title(),
             QStringLiteral("请输入要生成报表的合同协议关键数据"));
    QCOMPARE(child<QLabel>(htbb.get(), "Label1")->text(), QStringLiteral("合同协议签订年度:"));
    QCOMPARE(child<QPushButton>(htbb.get(), "Command1")->text(), QStringLiteral("打印年度报表"));
    QCOMPARE(child<QPushButton>(htbb.get(), "Command2")->text(),
             QStringLiteral("导出年度Excel报表"));

    auto gdbb = openWindow(Window::Gdbb);
    QCOMPARE(gdbb->windowTitle(), QStringLiteral("档案报表生成窗口"));
    QCOMPARE(child<QGroupBox>(gdbb.get(), "Frame1(0)")->title(),
             QStringLiteral("请输入要生成报表的关键数据(传统立卷)"));
    QCOMPARE(child<QGroupBox>(gdbb.get(), "Frame1(1)")->title(),
             QStringLiteral("请输入要生成报表的关键数据(新法立卷)"));
    const QStringList labels{
        "全宗号:", "案卷目录号:", "案卷号:", "文件年度:", "责任者:", "保管期限:"};
    for (int i = 0; i < labels.size(); ++i)
        QCOMPARE(child<QLabel>(gdbb.get(), QStringLiteral("Label1(%1)").arg(i))->text(), labels[i]);
    for (int i = 0; i < 3; ++i)
        QVERIFY(textOf(gdbb.get(), QStringLiteral("Text1(%1)").arg(i)).isEmpty());
    for (const char* name : {"Command1", "Command2"})
        QCOMPARE(child<QPushButton>(gdbb.get(), name)->text(), QStringLiteral("打印报表"));
    for (const char* name : {"Command3", "Command4"})
        QCOMPARE(child<QPushButton>(gdbb.get(), name)->text(), QStringLiteral("导出Excel报表"));
    auto* periods = child<QComboBox>(gdbb.get(), "Combo2");
    QCOMPARE(periods->count(), 3);
    QCOMPARE(periods->itemText(2), QStringLiteral("短期"));
    QCOMPARE(periods->currentText(), QStringLiteral("永久"));
    QCOMPARE(child<QComboBox>(gdbb.get(), "Combo1")->count(), units.size());
    QCOMPARE(child<QComboBox>(gdbb.get(), "Combo1")->currentIndex(), 0);
    QVERIFY(env->messages.isEmpty());
}

void ReportWindows::exportFillsTheWorksheet_data() {
    QTest::addColumn<Window>("window");
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("worksheet");
    QTest::addColumn<int>("lastColumn");
    QTest::addColumn<int>("stampColumn");
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("message");
    QTest::newRow("swbb") << Window::Swbb << "文件收文库" << 1 << 7 << 5
                          << "2004办公室2004-3-5收文报表.xls"
                          << "报表已新生成在本系统安装目录下!";
    QTest::newRow("fwbb") << Window::Fwbb << "文件发文库" << 1 << 7 << 5
                          << "2004办公室2004-3-5发文报表.xls"
                          << "发文报表已新生成在本系统安装目录下!";
    QTest::newRow("gdbb by item") << Window::Gdbb << "归档库" << 3 << 8 << 6
                                  << "2004办公室2004-3-5文件归档报表.xls"
                                  << "归档报表已新生成在本系统安装目录下!";
}

void ReportWindows::exportFillsTheWorksheet() {
    QFETCH(Window, window);
    QFETCH(QString, table);
    QFETCH(int, worksheet);
    QFETCH(int, lastColumn);
    QFETCH(int, stampColumn);
    QFETCH(QString, fileName);
    QFETCH(QString, message);
    addOfficeYear(table);
    auto win = openWindow(window);
    type(win.get(), "Text2", "2004");
    type(win.get(), "Combo1", kOffice);
    if (window == Window::Gdbb)
        type(win.get(), "Combo2", "永久");
    click(win.get(), "Command4");

    checkPlainMessage(message);
    QCOMPARE(workbooksIn(env->dir()), QStringList{fileName});
    const QJsonObject sheet = readSheet(env->path(fileName), worksheet);
    QVERIFY(!sheet.isEmpty());
    const int n = kOfficeRows.size();
    for (int k = 1; k <= n; ++k) {
        const QStringList& e = kOfficeRows[k - 1];
        const int row = k + 3;
        QCOMPARE(cellText(sheet, row, 1), QString::number(k));
        QCOMPARE(cellText(sheet, row, 2), kOffice);
        QCOMPARE(cellText(sheet, row, 3), e[0]);
        QCOMPARE(cellText(sheet, row, 4), e[1]);
        QCOMPARE(cellText(sheet, row, 5), e[2]);
        QCOMPARE(cellText(sheet, row, 6), e[3]);
        if (window == Window::Gdbb) {
            QCOMPARE(cellText(sheet, row, 7), QStringLiteral("永久"));
            QCOMPARE(cellText(sheet, row, 8), e[4]);
        } else {
            QCOMPARE(cellText(sheet, row, 7), e[4]);
        }
    }
    for (int c = 1; c <= lastColumn; ++c)
        QVERIFY(cellText(sheet, n + 4, c).isEmpty());
    QCOMPARE(cellText(sheet, 2, stampColumn), QStringLiteral("2004/3/5-14:23:05"));
    checkFrame(sheet, n, lastColumn);
    QCOMPARE(ssconvertComplaints(env->path(fileName)), QString());
    // The window stays open with its inputs for another report.
    QCOMPARE(textOf(win.get(), "Text2"), QStringLiteral("2004"));
}

void ReportWindows::documentInputChecks_data() {
    QTest::addColumn<Window>("window");
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<QString>("button");
    QTest::newRow("swbb no year, export") << Window::Swbb << "" << kOffice << "Command4";
    QTest::newRow("swbb no unit, print") << Window::Swbb << "2004"
                                         << ""
                                         << "Command2";
    QTest::newRow("fwbb no unit, export") << Window::Fwbb << "2004"
                                          << ""
                                          << "Command4";
    QTest::newRow("fwbb nothing, print") << Window::Fwbb << ""
                                         << ""
                                         << "Command2";
}

void ReportWindows::documentInputChecks() {
    QFETCH(Window, window);
    QFETCH(QString, year);
    QFETCH(QString, unit);
    QFETCH(QString, button);
    addOfficeYear(window == Window::Swbb ? "文件收文库" : "文件发文库");
    auto win = openWindow(window);
    type(win.get(), "Text2", year);
    type(win.get(), "Combo1", unit);
    click(win.get(), button);
    QCOMPARE(env->messages.size(), 1);
    QCOMPARE(env->messages[0].text, QStringLiteral("请把关键数据填写完整!"));
    QCOMPARE(env->messages[0].title, QStringLiteral("提示"));
    QCOMPARE(env->messages[0].icon, app::Icon::Exclamation);
    QVERIFY(textOf(win.get(), "Text2").isEmpty());
    QCOMPARE(textOf(win.get(), "Combo1"), unit);
    QVERIFY(workbooksIn(env->dir()).isEmpty());
}

void ReportWindows::noRecordsWritesNothing_data() {
    QTest::addColumn<Window>("window");
    QTest::addColumn<QString>("button");
    QTest::newRow("swbb export") << Window::Swbb << "Command4";
    QTest::newRow("fwbb print") << Window::Fwbb << "Command2";
    QTest::newRow("htbb export") << Window::Htbb << "Command2";
    QTest::newRow("gdbb volume export") << Window::Gdbb << "Command3";
    QTest::newRow("gdbb item print") << Window::Gdbb << "Command2";
}

void ReportWindows::noRecordsWritesNothing() {
    QFETCH(Window, window);
    QFETCH(QString, button);
    for (const char* table : {"文件收文库", "文件发文库", "归档库"})
        addOfficeYear(table);
    addContract({"H2004-1", "2004", "合同", "甲", "乙", "20040301", ""});
    auto win = openWindow(window);
    if (window == Window::Htbb) {
        type(win.get(), "Text1", "1999");
    } else if (window == Window::Gdbb && button == "Command3") {
        for (int i = 0; i < 3; ++i)
            type(win.get(), QStringLiteral("Text1(%1)").arg(i), "9");
    } else {
        type(win.get(), "Text2", "1999");
        type(win.get(), "Combo1", kOffice);
    }
    click(win.get(), button);
    QCOMPARE(env->messages.size(), 1);
    checkPlainMessage(QStringLiteral("没有记录!"));
    QVERIFY(workbooksIn(env->dir()).isEmpty());
}

void ReportWindows::unitNotInListIsUsedAsTyped() {
    const QString unit = QStringLiteral("临时工作组");
    addDocument("文件收文库", {"S-1", "2004", unit, "临[2004]1号", "临时", "2004-02-02", "1", ""});
    addOfficeYear("文件收文库");
    auto win = openWindow(Window::Swbb);
    type(win.get(), "Text2", "2004");
    type(win.get(), "Combo1", unit);
    click(win.get(), "Command4");
    const QString name = QStringLiteral("2004临时工作组2004-3-5收文报表.xls");
    QCOMPARE(workbooksIn(env->dir()), QStringList{name});
    const QJsonObject sheet = readSheet(env->path(name), 1);
    QCOMPARE(cellText(sheet, 4, 2), unit);
    QVERIFY(cellText(sheet, 5, 1).isEmpty());
    checkFrame(sheet, 1, 7);
}

void ReportWindows::unitWithSlashAndQuote() {
    const QString unit = QStringLiteral("办公室/一'科");
    addDocument("文件发文库", {"F-1", "2004", unit, "1号", "斜线", "2004-02-02", "1", ""});
    auto win = openWindow(Window::Fwbb);
    type(win.get(), "Text2", "2004");
    type(win.get(), "Combo1", unit);
    click(win.get(), "Command4");
    checkPlainMessage(fwbbSettings().params.exportMessage);
    const QString name = QStringLiteral("2004办公室-一'科2004-3-5发文报表.xls");
    QCOMPARE(workbooksIn(env->dir()), QStringList{name});
    QCOMPARE(cellText(readSheet(env->path(name), 1), 4, 2), unit);
}

void ReportWindows::secondExportKeepsTheFirst() {
    addOfficeYear("文件发文库");
    auto win = openWindow(Window::Fwbb);
    type(win.get(), "Text2", "2004");
    type(win.get(), "Combo1", kOffice);
    click(win.get(), "Command4");
    addDocument("文件发文库",
                {"X-9", "2004", kOffice, "办[2004]9号", "十二月", "2004-12-01", "9", ""});
    click(win.get(), "Command4");
    const QString first = QStringLiteral("2004办公室2004-3-5发文报表.xls");
    const QString second = QStringLiteral("2004办公室2004-3-5发文报表(2).xls");
    QCOMPARE(workbooksIn(env->dir()), (QStringList{second, first}));
    const QJsonObject a = readSheet(env->path(first), 1);
    const QJsonObject b = readSheet(env->path(second), 1);
    QCOMPARE(cellText(a, 6, 1), QStringLiteral("3"));
    QVERIFY(cellText(a, 7, 1).isEmpty());
    QCOMPARE(cellText(b, 7, 1), QStringLiteral("4"));
    QCOMPARE(cellText(b, 7, 4), QStringLiteral("十二月"));
}

void ReportWindows::contractYearSelectsEightCharacters() {
    addContract({"H-1", "2004-07", "秋季合同", "甲方一", "乙方一", "20041115", "后"});
    addContract({"H-2", "2004-01", "春季合同", "甲方二", "乙方二", "20040301", "前"});
    addContract({"H-3", "2004-02", "七个字", "甲", "乙", "2004031", ""});
    addContract({"H-4", "2004-03", "九个字", "甲", "乙", "200403011", ""});
    addContract({"H-5", "2003-01", "去年", "甲", "乙", "20030101", ""});
    addContract({"H-6", "2005-01", "明年", "甲", "乙", "20050101", ""});
    auto win = openWindow(Window::Htbb);
    type(win.get(), "Text1", "2004");
    click(win.get(), "Command2");
    checkPlainMessage(QStringLiteral("合同报表已新生成在本系统安装目录下!"));
    const QString name = QStringLiteral("200403012004-3-5合同协议报表.xls");
    QCOMPARE(workbooksIn(env->dir()), QStringList{name});
    const QJsonObject sheet = readSheet(env->path(name), 2);
    const QList<QStringList> rows = {
        {"1", "2004-01", "春季合同", "甲方二", "乙方二", "20040301", "前"},
        {"2", "2004-07", "秋季合同", "甲方一", "乙方一", "20041115", "后"},
    };
    for (int k = 0; k < rows.size(); ++k)
        for (int c = 0; c < rows[k].size(); ++c)
            QCOMPARE(cellText(sheet, k + 4, c + 1), rows[k][c]);
    QVERIFY(cellText(sheet, 6, 1).isEmpty());
    QCOMPARE(cellText(sheet, 2, 5), QStringLiteral("2004/3/5-14:23:05"));
    checkFrame(sheet, 2, 7);
}

void ReportWindows::contractYearCheck_data() {
    QTest::addColumn<QString>("year");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("empty") << ""
                           << "Command1" << false;
    QTest::newRow("three") << "200"
                           << "Command2" << false;
    QTest::newRow("five") << "20045"
                          << "Command1" << false;
    QTest::newRow("four letters") << "abcd"
                                  << "Command2" << true;
    QTest::newRow("four Chinese characters") << "二〇〇四"
                                             << "Command1" << true;
}

void ReportWindows::contractYearCheck() {
    QFETCH(QString, year);
    QFETCH(QString, button);
    QFETCH(bool, accepted);
    auto win = openWindow(Window::Htbb);
    type(win.get(), "Text1", year);
    click(win.get(), button);
    QCOMPARE(env->messages.size(), 1);
    if (accepted) {
        checkPlainMessage(QStringLiteral("没有记录!"));
        QCOMPARE(textOf(win.get(), "Text1"), year);
    } else {
        QCOMPARE(env->messages[0].text, QStringLiteral("请填入年度数据如: 2000,2001等"));
        QCOMPARE(env->messages[0].title, QStringLiteral("提示"));
        QCOMPARE(env->messages[0].icon, app::Icon::Exclamation);
        QVERIFY(textOf(win.get(), "Text1").isEmpty());
    }
}

void ReportWindows::archiveByVolumeNamesEarliestDocument() {
    auto doc = [](QString serial, QString year, QString unit, QString title, QString issued,
                  QString file) {
        Document d{serial, year, unit, "号", title, issued, "2", "", "长期"};
        d.fonds = "1";
        d.catalogue = "2";
        d.file = file;
        return d;
    };
    addDocument("归档库", doc("A-1", "2004", kOffice, "六月", "2004-06-01", "3"));
    addDocument("归档库", doc("A-2", "2003", "一科", "年末", "2003-12-30", "3"));
    addDocument("归档库", doc("A-3", "2004", "二科", "年初", "2004-01-02", "3"));
    addDocument("归档库", doc("A-4", "2002", "二科", "别卷", "2002-01-01", "4"));
    auto win = openWindow(Window::Gdbb);
    type(win.get(), "Text1(0)", "1");
    type(win.get(), "Text1(1)", "2");
    type(win.get(), "Text1(2)", "3");
    click(win.get(), "Command3");
    checkPlainMessage(QStringLiteral("归档报表已新生成在本系统安装目录下!"));
    const QString name = QStringLiteral("2003一科2004-3-5文件归档报表.xls");
    QCOMPARE(workbooksIn(env->dir()), QStringList{name});
    const QJsonObject sheet = readSheet(env->path(name), 3);
    const QStringList titles{"年末", "年初", "六月"};
    for (int k = 0; k < titles.size(); ++k) {
        QCOMPARE(cellText(sheet, k + 4, 1), QString::number(k + 1));
        QCOMPARE(cellText(sheet, k + 4, 4), titles[k]);
        QCOMPARE(cellText(sheet, k + 4, 7), QStringLiteral("长期"));
    }
    QCOMPARE(cellText(sheet, 2, 6), QStringLiteral("2004/3/5-14:23:05"));
    checkFrame(sheet, 3, 8);
}

void ReportWindows::archiveChecks() {
    auto win = openWindow(Window::Gdbb);
    type(win.get(), "Text1(0)", "1");
    type(win.get(), "Text1(1)", "2");
    for (const char* button : {"Command1", "Command3"}) {
        env->clearMessages();
        click(win.get(), button);
        QCOMPARE(env->messageTexts(), QStringList{"请把关键数据填写完整!"});
        QCOMPARE(env->messages[0].icon, app::Icon::Exclamation);
        QCOMPARE(env->messages[0].title, QStringLiteral("提示"));
        QCOMPARE(textOf(win.get(), "Text1(0)"), QStringLiteral("1"));
        QCOMPARE(textOf(win.get(), "Text1(1)"), QStringLiteral("2"));
        QVERIFY(textOf(win.get(), "Text1(2)").isEmpty());
    }
    for (const char* button : {"Command2", "Command4"}) {
        env->clearMessages();
        type(win.get(), "Text2", "2004");
        type(win.get(), "Combo1", kOffice);
        type(win.get(), "Combo2", "");
        click(win.get(), button);
        QCOMPARE(env->messageTexts(), QStringList{"请把关键数据填写完整!"});
        QVERIFY(textOf(win.get(), "Text2").isEmpty());
        QCOMPARE(textOf(win.get(), "Combo1"), kOffice);
    }
    QVERIFY(workbooksIn(env->dir()).isEmpty());
}

void ReportWindows::failuresAreReportedAndWindowStaysUsable() {
    addOfficeYear("文件收文库");
    auto win = openWindow(Window::Swbb);
    type(win.get(), "Text2", "2004");
    type(win.get(), "Combo1", kOffice);

    // The catalogue cannot be opened.
    const QString catalogue = env->path("sys_kw.kwd");
    QVERIFY(QFile::rename(catalogue, catalogue + ".away"));
    click(win.get(), "Command4");
    QCOMPARE(env->messages.size(), 1);
    QCOMPARE(env->messages[0].icon, app::Icon::Critical);
    QCOMPARE(env->messages[0].title, QStringLiteral("错误"));
    QVERIFY(!env->messages[0].text.isEmpty());
    QVERIFY(workbooksIn(env->dir()).isEmpty());
    QVERIFY(QFile::rename(catalogue + ".away", catalogue));

    // The template is gone: the workbook layer fails after the rows were selected.
    const QString templ = env->path(kTemplateFile);
    QVERIFY(QFile::rename(templ, templ + ".away"));
    env->clearMessages();
    click(win.get(), "Command4");
    QCOMPARE(env->messages.size(), 1);
    QCOMPARE(env->messages[0].icon, app::Icon::Critical);
    QVERIFY(!env->messages[0].text.isEmpty());
    QVERIFY(workbooksIn(env->dir()).isEmpty());
    QVERIFY(QFile::rename(templ + ".away", templ));

    // Both mended, the same window reports.
    env->clearMessages();
    click(win.get(), "Command4");
    checkPlainMessage(swbbSettings().params.exportMessage);
    QCOMPARE(workbooksIn(env->dir()).size(), 1);
}

void ReportWindows::printFailureRemovesPrintFile() {
    addOfficeYear("文件收文库");
    const QString printFile = env->path(kPrintFile);
    {
        QFile stale(printFile);
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write("left behind");
    }
    QVERIFY(QFile::remove(env->path(kTemplateFile)));
    auto win = openWindow(Window::Swbb);
    type(win.get(), "Text2", "2004");
    type(win.get(), "Combo1", kOffice);
    click(win.get(), "Command2");
    QCOMPARE(env->messages.size(), 1);
    QCOMPARE(env->messages[0].icon, app::Icon::Critical);
    QVERIFY(!QFile::exists(printFile));
}

void ReportWindows::unwritablePrintFileIsReported() {
    addContract({"H-1", "2004-01", "合同", "甲", "乙", "20040301", ""});
    // A folder where the print file should go: the workbook cannot be saved.
    QVERIFY(QDir(env->dir()).mkdir(kPrintFile));
    auto win = openWindow(Window::Htbb);
    type(win.get(), "Text1", "2004");
    click(win.get(), "Command1");
    QCOMPARE(env->messages.size(), 1);
    QCOMPARE(env->messages[0].icon, app::Icon::Critical);
    QCOMPARE(env->messages[0].title, QStringLiteral("错误"));
    QVERIFY(!env->messages[0].text.isEmpty());

    // Once the folder is gone the same window exports.
    QVERIFY(QDir(env->dir()).rmdir(kPrintFile));
    env->clearMessages();
    click(win.get(), "Command2");
    checkPlainMessage(QStringLiteral("合同报表已新生成在本系统安装目录下!"));
}

void ReportWindows::printLeavesNoPrintFile_data() {
    QTest::addColumn<Window>("window");
    QTest::addColumn<QString>("message");
    QTest::newRow("swbb") << Window::Swbb << "收文报表已成功打印!";
    QTest::newRow("htbb") << Window::Htbb << "合同报表已成功打印!";
    QTest::newRow("gdbb") << Window::Gdbb << "档案报表已成功打印!";
}

void ReportWindows::printLeavesNoPrintFile() {
    QFETCH(Window, window);
    QFETCH(QString, message);
    if (QPrinterInfo::defaultPrinter().isNull())
        QSKIP("no default printer: scripts/start-printer sets up the cups-pdf test queue");
    addOfficeYear("文件收文库");
    addOfficeYear("归档库");
    addContract({"H-1", "2004-01", "合同", "甲", "乙", "20040301", ""});
    const qsizetype pdfsBefore = QDir(QStringLiteral("/var/spool/cups-pdf/marrowin"))
                                     .entryList({"*.pdf"}, QDir::Files)
                                     .size();
    auto win = openWindow(window);
    bool printFileDuringMessage = false;
    app::setMessageHandler([&](const app::MessageRequest& r) {
        env->messages.append(r);
        printFileDuringMessage = QFile::exists(env->path(kPrintFile));
        return app::Answer::Ok;
    });
    if (window == Window::Htbb) {
        type(win.get(), "Text1", "2004");
        click(win.get(), "Command1");
    } else {
        type(win.get(), "Text2", "2004");
        type(win.get(), "Combo1", kOffice);
        if (window == Window::Gdbb)
            type(win.get(), "Combo2", "永久");
        click(win.get(), "Command2");
    }
    checkPlainMessage(message);
    QCOMPARE(env->messages.size(), 1);
    // The print file stands until its message has been seen, then it goes.
    QVERIFY(printFileDuringMessage);
    QVERIFY(!QFile::exists(env->path(kPrintFile)));
    QVERIFY(workbooksIn(env->dir()).isEmpty());

    // The job reached the queue: the cups-pdf folder of the test queue gets a new PDF.
    const QDir spool(QStringLiteral("/var/spool/cups-pdf/marrowin"));
    if (!spool.exists())
        return;
    QTRY_VERIFY_WITH_TIMEOUT(spool.entryList({"*.pdf"}, QDir::Files).size() > pdfsBefore, 30000);
}

QTEST_MAIN(ReportWindows)
#include "tst_reportwindows.moc"
