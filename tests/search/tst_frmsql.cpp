// The query builder driven as its callers drive it: set the table and the column count,
// run it modally, act on it from the event loop, read the answer.

#include "search/frmsql.h"
#include "shell/app/testing.h"
#include "store/catalogue.h"
#include "store/connection.h"
#include "store/recordset.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

using app::testing::TestEnv;

namespace {

// One column of each type code the dialog tells apart.
const char* kSampleTable = "类型样本";
const QStringList kSampleColumns = {"短整数", "长整数", "单精度", "双精度", "货币", "日期", "文本"};

void createSampleTable() {
    auto c = store::openCatalogue();
    c->execute(QStringLiteral("create table 类型样本 (短整数 SMALLINT, 长整数 INTEGER, "
                              "单精度 SINGLE, 双精度 DOUBLE, 货币 CURRENCY, 日期 DATE, "
                              "文本 TEXT)"));
}

// Runs the dialog modally and acts on it once it is the active modal window. A dialog
// that the action leaves open is cancelled after a while so that a fault fails the test
// instead of hanging it.
void runDialog(FrmSql& dialog, const std::function<void(FrmSql*)>& act) {
    QTimer::singleShot(0, [&] {
        auto* shown = qobject_cast<FrmSql*>(QApplication::activeModalWidget());
        QVERIFY(shown == &dialog);
        act(shown);
    });
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, &dialog, [&] {
        if (dialog.isVisible())
            dialog.done(QDialog::Rejected);
    });
    watchdog.start(5000);
    dialog.exec();
}

template <typename T> T* child(QWidget* w, const char* name) {
    auto* found = w->findChild<T*>(QString::fromUtf8(name));
    if (!found)
        qWarning("no child %s", name);
    return found;
}

QStringList items(QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

void choose(QComboBox* box, const QString& text) {
    const int i = box->findText(text);
    QVERIFY2(i >= 0, qPrintable(text));
    box->setCurrentIndex(i);
}

void ok(FrmSql* d) {
    child<QPushButton>(d, "CmdSql(0)")->click();
}

const QStringList kOrdered = {"= ", "> ", ">= ", "< ", "<= ", "<> "};
const QStringList kTextual = {"包含", "> ", ">= ", "< ", "<= ", "<> ", "= "};

} // namespace

class TestFrmSql : public QObject {
    Q_OBJECT
private slots:
    void drawsItsOwnFrame();
    void listsTheTableColumnsInTheirOwnOrder_data();
    void listsTheTableColumnsInTheirOwnOrder();
    void operatorsAndOperandFollowTheColumnType_data();
    void operatorsAndOperandFollowTheColumnType();
    void operatorResetsWhenAnotherColumnIsChosen();
    void dateColumnTakesItsValueOnlyFromThePicker();
    void emptyValueAnswersMinusOne();
    void everyOtherCloseAnswersMinusTwo_data();
    void everyOtherCloseAnswersMinusTwo();
    void quoteInTheValueStillFilters_data();
    void quoteInTheValueStillFilters();
    void loadErrorIsShownAndTheDialogStaysOpen();
    void minimiseBoxMinimises();
};

void TestFrmSql::drawsItsOwnFrame() {
    TestEnv env(MARROWIN_SHIPPED_DIR);
    FrmSql d;
    QCOMPARE(d.windowTitle(), QStringLiteral("查找"));
    QVERIFY(d.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(child<QLabel>(&d, "lblTitle")->text(), QStringLiteral("查  找"));
    for (const char* name :
         {"imgTitleLeft", "imgTitleMain", "imgTitleRight", "Imageicon", "imgTitleMinimize",
          "imgTitleClose", "imgTitleHelp", "imgWindowLeft", "imgWindowRight", "imgWindowBottom",
          "imgWindowBottomLeft", "imgWindowBottomRight"}) {
        auto* img = child<QLabel>(&d, name);
        QVERIFY2(img, name);
        QVERIFY2(!img->pixmap().isNull(), name);
    }
    QCOMPARE(child<QPushButton>(&d, "CmdSql(0)")->text(), QStringLiteral("确定(&Y)"));
    QCOMPARE(child<QPushButton>(&d, "CmdSql(1)")->text(), QStringLiteral("取消(&C)"));
    QVERIFY(child<QDateEdit>(&d, "DTPicker1")->calendarPopup());
}

void TestFrmSql::listsTheTableColumnsInTheirOwnOrder_data() {
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("count");
    QTest::newRow("swsj") << "文件收文库" << 17;
    QTest::newRow("fwsj") << "文件发文库" << 17;
    QTest::newRow("gdsj") << "归档库" << 17;
    QTest::newRow("htsj") << "合同协议库" << 9;
    QTest::newRow("dwbm") << "发文单位管理" << 2;
    QTest::newRow("jygl") << "借阅记录库" << 11;
    QTest::newRow("first columns only") << "文件收文库" << 5;
}

void TestFrmSql::listsTheTableColumnsInTheirOwnOrder() {
    QFETCH(QString, table);
    QFETCH(int, count);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    QStringList expected;
    for (const auto& column : store::tableDef(table)->columns)
        expected << column.name;
    expected = expected.mid(0, count);

    FrmSql d;
    d.sqlado = table;
    d.intNumField = qint16(count);
    QStringList listed;
    runDialog(d, [&](FrmSql* shown) {
        auto* fields = child<QComboBox>(shown, "CboField");
        listed = items(fields);
        QCOMPARE(fields->currentIndex(), 0);
        shown->reject();
    });
    QCOMPARE(listed, expected);
    QVERIFY(env.messages.isEmpty());
}

void TestFrmSql::operatorsAndOperandFollowTheColumnType_data() {
    QTest::addColumn<int>("column");
    QTest::addColumn<QStringList>("operators");
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("operand");
    QTest::newRow("16-bit integer bare") << 0 << kOrdered << ">= "
                                         << "12"
                                         << " >= 12";
    QTest::newRow("32-bit integer quoted") << 1 << kOrdered << "= "
                                           << "12"
                                           << " = '12'";
    QTest::newRow("single contains") << 2 << kTextual << "包含"
                                     << "1.5"
                                     << " like '*1.5*'";
    QTest::newRow("double compared") << 3 << kTextual << "< "
                                     << "2"
                                     << " < '2'";
    QTest::newRow("currency quoted") << 4 << kOrdered << "<> "
                                     << "7"
                                     << " <> '7'";
    QTest::newRow("text contains") << 6 << kTextual << "包含"
                                   << "办"
                                   << " like '*办*'";
    QTest::newRow("text equal") << 6 << kTextual << "= "
                                << "12"
                                << " = '12'";
}

void TestFrmSql::operatorsAndOperandFollowTheColumnType() {
    QFETCH(int, column);
    QFETCH(QStringList, operators);
    QFETCH(QString, op);
    QFETCH(QString, value);
    QFETCH(QString, operand);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    createSampleTable();
    FrmSql d;
    d.sqlado = QString::fromUtf8(kSampleTable);
    d.intNumField = 7;
    runDialog(d, [&](FrmSql* shown) {
        auto* fields = child<QComboBox>(shown, "CboField");
        QCOMPARE(items(fields), kSampleColumns);
        fields->setCurrentIndex(column);
        auto* ops = child<QComboBox>(shown, "Combo1");
        QCOMPARE(items(ops), operators);
        QCOMPARE(ops->currentIndex(), 0);
        auto* txt = child<QLineEdit>(shown, "TxtSQL");
        QVERIFY(!txt->isReadOnly());
        QVERIFY(!child<QDateEdit>(shown, "DTPicker1")->isEnabled());
        choose(ops, op);
        txt->insert(value); // typed: keyClicks takes Latin-1 only
        ok(shown);
    });
    QCOMPARE(d.result(), int(QDialog::Accepted));
    QCOMPARE(int(d.intNumField), column);
    QCOMPARE(d.strSqlField, operand);
}

void TestFrmSql::operatorResetsWhenAnotherColumnIsChosen() {
    TestEnv env(MARROWIN_SHIPPED_DIR);
    createSampleTable();
    FrmSql d;
    d.sqlado = QString::fromUtf8(kSampleTable);
    d.intNumField = 7;
    runDialog(d, [&](FrmSql* shown) {
        auto* fields = child<QComboBox>(shown, "CboField");
        auto* ops = child<QComboBox>(shown, "Combo1");
        auto* txt = child<QLineEdit>(shown, "TxtSQL");
        fields->setCurrentIndex(6);
        choose(ops, "<= ");
        QTest::keyClicks(txt, "abc");
        fields->setCurrentIndex(3);
        QCOMPARE(ops->currentText(), QStringLiteral("包含"));
        QCOMPARE(txt->text(), QStringLiteral("abc")); // the value box keeps its text
        fields->setCurrentIndex(1);
        QCOMPARE(items(ops), kOrdered);
        QCOMPARE(ops->currentText(), QStringLiteral("= "));
        shown->reject();
    });
}

void TestFrmSql::dateColumnTakesItsValueOnlyFromThePicker() {
    TestEnv env(MARROWIN_SHIPPED_DIR);
    createSampleTable();
    FrmSql d;
    d.sqlado = QString::fromUtf8(kSampleTable);
    d.intNumField = 7;
    runDialog(d, [&](FrmSql* shown) {
        auto* fields = child<QComboBox>(shown, "CboField");
        auto* txt = child<QLineEdit>(shown, "TxtSQL");
        auto* picker = child<QDateEdit>(shown, "DTPicker1");
        QCOMPARE(picker->date(), QDate(2004, 3, 5));
        fields->setCurrentIndex(5);
        QCOMPARE(items(child<QComboBox>(shown, "Combo1")), kOrdered);
        QVERIFY(txt->isReadOnly());
        QVERIFY(picker->isEnabled());
        QCOMPARE(txt->text(), QStringLiteral("2004-3-5"));
        QTest::keyClicks(txt, "xyz");
        QCOMPARE(txt->text(), QStringLiteral("2004-3-5"));
        picker->setDate(QDate(2004, 5, 3));
        QCOMPARE(txt->text(), QStringLiteral("2004-5-3"));
        choose(child<QComboBox>(shown, "Combo1"), ">= ");
        ok(shown);
    });
    QCOMPARE(int(d.intNumField), 5);
    QCOMPARE(d.strSqlField, QStringLiteral(" >= #2004-5-3#"));

    // The operand makes a working filter on the caller's record set.
    auto c = store::openCatalogue();
    c->execute("insert into 类型样本 (日期, 文本) values ('2004-05-02', 'a')");
    c->execute("insert into 类型样本 (日期, 文本) values ('2004-05-03', 'b')");
    c->execute("insert into 类型样本 (日期, 文本) values ('2004-06-01', 'c')");
    store::Recordset rs;
    rs.open("select * from 类型样本", *c);
    rs.setFilter(QStringLiteral("日期") + d.strSqlField);
    QCOMPARE(rs.recordCount(), 2);
}

void TestFrmSql::emptyValueAnswersMinusOne() {
    TestEnv env(MARROWIN_SHIPPED_DIR);
    FrmSql d;
    d.sqlado = QStringLiteral("文件收文库");
    d.intNumField = 17;
    d.strSqlField = QStringLiteral(" = 'kept'");
    runDialog(d, [&](FrmSql* shown) {
        child<QComboBox>(shown, "CboField")->setCurrentIndex(3);
        ok(shown);
    });
    QCOMPARE(int(d.intNumField), -1);
    const auto answer = [&] {
        search::Condition result{};
        QTimer::singleShot(0, [] {
            auto* shown = QApplication::activeModalWidget();
            QVERIFY(shown);
            child<QPushButton>(shown, "CmdSql(0)")->click();
        });
        result = search::askCondition(nullptr, QStringLiteral("文件收文库"), 17);
        return result;
    }();
    QCOMPARE(answer.column, -1);
}

void TestFrmSql::everyOtherCloseAnswersMinusTwo_data() {
    QTest::addColumn<QString>("way");
    QTest::newRow("cancel button") << "cancel";
    QTest::newRow("drawn close box") << "closebox";
    QTest::newRow("escape key") << "escape";
    QTest::newRow("window manager close") << "close";
    QTest::newRow("reject from outside") << "reject";
}

void TestFrmSql::everyOtherCloseAnswersMinusTwo() {
    QFETCH(QString, way);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    FrmSql d;
    d.sqlado = QStringLiteral("文件收文库");
    d.intNumField = 17;
    runDialog(d, [&](FrmSql* shown) {
        child<QComboBox>(shown, "CboField")->setCurrentIndex(3);
        QTest::keyClicks(child<QLineEdit>(shown, "TxtSQL"), "12");
        if (way == "cancel")
            child<QPushButton>(shown, "CmdSql(1)")->click();
        else if (way == "closebox")
            QTest::mouseClick(child<QLabel>(shown, "imgTitleClose"), Qt::LeftButton);
        else if (way == "escape")
            QTest::keyClick(child<QLineEdit>(shown, "TxtSQL"), Qt::Key_Escape);
        else if (way == "close")
            shown->close();
        else
            shown->reject();
    });
    QVERIFY(!d.isVisible());
    QCOMPARE(int(d.intNumField), -2);
}

void TestFrmSql::quoteInTheValueStillFilters_data() {
    QTest::addColumn<QString>("op");
    QTest::addColumn<QString>("operand");
    QTest::addColumn<int>("matches");
    QTest::newRow("contains") << "包含"
                              << " like '*O''Brien*'" << 2;
    QTest::newRow("equal") << "= "
                           << " = 'O''Brien'" << 1;
}

void TestFrmSql::quoteInTheValueStillFilters() {
    QFETCH(QString, op);
    QFETCH(QString, operand);
    QFETCH(int, matches);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    auto c = store::openCatalogue();
    c->execute("delete * from 文件收文库");
    c->execute("insert into 文件收文库 (收文流水号, 文号) values ('S2004-1', 'O''Brien')");
    c->execute("insert into 文件收文库 (收文流水号, 文号) values ('S2004-2', 'O''Brien 2')");
    c->execute("insert into 文件收文库 (收文流水号, 文号) values ('S2004-3', 'Brien')");
    FrmSql d;
    d.sqlado = QStringLiteral("文件收文库");
    d.intNumField = 17;
    runDialog(d, [&](FrmSql* shown) {
        child<QComboBox>(shown, "CboField")->setCurrentIndex(3);
        choose(child<QComboBox>(shown, "Combo1"), op);
        QTest::keyClicks(child<QLineEdit>(shown, "TxtSQL"), "O'Brien");
        ok(shown);
    });
    QCOMPARE(int(d.intNumField), 3);
    QCOMPARE(d.strSqlField, operand);
    store::Recordset rs;
    rs.open("select * from 文件收文库", *c);
    rs.setFilter(rs.fieldName(d.intNumField) + d.strSqlField);
    QCOMPARE(rs.recordCount(), matches);
}

void TestFrmSql::loadErrorIsShownAndTheDialogStaysOpen() {
    TestEnv env(MARROWIN_SHIPPED_DIR);
    FrmSql d;
    d.sqlado = QStringLiteral("没有这个表");
    d.intNumField = 3;
    bool stayedOpen = false;
    runDialog(d, [&](FrmSql* shown) {
        stayedOpen = shown->isVisible();
        child<QPushButton>(shown, "CmdSql(1)")->click();
    });
    QVERIFY(stayedOpen);
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(env.messages[0].icon, app::Icon::Critical);
    QCOMPARE(env.messages[0].title, app::title());
    QVERIFY(!env.messages[0].text.isEmpty());
    QCOMPARE(int(d.intNumField), -2);
}

void TestFrmSql::minimiseBoxMinimises() {
    TestEnv env(MARROWIN_SHIPPED_DIR);
    FrmSql d;
    d.sqlado = QStringLiteral("发文单位管理");
    d.intNumField = 2;
    bool minimised = false;
    runDialog(d, [&](FrmSql* shown) {
        QTest::mouseClick(child<QLabel>(shown, "imgTitleMinimize"), Qt::LeftButton);
        minimised = shown->windowState() & Qt::WindowMinimized;
        QTest::mouseClick(child<QLabel>(shown, "imgTitleHelp"), Qt::LeftButton);
        QVERIFY(shown->isVisible()); // the help box does nothing
        shown->reject();
    });
    QVERIFY(minimised);
}

QTEST_MAIN(TestFrmSql)
#include "tst_frmsql.moc"
