// The rules in which the five register windows differ: captions and grid layouts, the
// choice lists of the document windows, the date boxes, the unit window's checks.

#include "fixture.h"
#include "store/gridmodel.h"
#include "store/recordset.h"

#include <QApplication>
#include <QHeaderView>

using namespace fixture;
using app::testing::TestEnv;

namespace {

void setChoiceRows() {
    exec("delete * from 选择项");
    exec("insert into 选择项 (保管期限, 密级) values ('长期', '秘密')");
    exec("insert into 选择项 (保管期限, 密级) values ('永久', '机密')");
    exec("insert into 选择项 (保管期限, 密级) values ('短期', '绝密')");
}

void setUnits(const QStringList& units) {
    exec("delete * from 发文单位管理");
    for (const QString& u : units)
        exec(QStringLiteral("insert into 发文单位管理 (发文单位) values ('%1')").arg(u));
}

QStringList items(QComboBox* box) {
    QStringList out;
    for (int i = 0; i < box->count(); ++i)
        out << box->itemText(i);
    return out;
}

// A user's choice of the next entry, which the window sees as a click on the list.
void chooseNext(QComboBox* box) {
    QTest::keyClick(box, Qt::Key_Down);
}

} // namespace

class TestRegisterRules : public QObject {
    Q_OBJECT
private slots:
    void captions_data();
    void captions();
    void gridLayout_data();
    void gridLayout();
    void choiceListsOnAdd();
    void choosingAUnitResetsTheRetentionPeriod();
    void editingBeforeAnyAdditionShowsStoredValues();
    void emptyListRefusesTheAddition_data();
    void emptyListRefusesTheAddition();
    void retentionListFailureIsReported();
    void issueDateIsShownAndAcceptedAsYmd();
    void pickedDateIsTheArchivingDate_data();
    void pickedDateIsTheArchivingDate();
    void findOnTheFilingDateTakesThePickersDate_data();
    void findOnTheFilingDateTakesThePickersDate();
    void focusAfterAddAndEdit_data();
    void focusAfterAddAndEdit();
    void unitWindowRefusesAnEmptyName();
    void unitWindowLandsOnTheLastRowAfterAnAddition();
    void newUnitIsOfferedByTheDocumentWindows();
};

void TestRegisterRules::captions_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("caption");
    QTest::newRow("swsj") << "swsj"
                          << "文件收文数据处理";
    QTest::newRow("fwsj") << "fwsj"
                          << "文件发文数据处理";
    QTest::newRow("gdsj") << "gdsj"
                          << "归档数据管理窗口";
    QTest::newRow("htsj") << "htsj"
                          << "合同协议数据处理";
    QTest::newRow("dwbm") << "dwbm"
                          << "收发文单位编码管理窗口";
}

void TestRegisterRules::captions() {
    QFETCH(QString, window);
    QFETCH(QString, caption);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    Window w(kind(window));
    QCOMPARE(w.w()->windowTitle(), caption);
    QCOMPARE(w.w()->objectName(), window);
}

void TestRegisterRules::gridLayout_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("column");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<int>("twips");
    QTest::addColumn<QString>("bound");
    QTest::addColumn<bool>("centred");
    QTest::newRow("swsj 0") << "swsj" << 0 << " 流水号" << 1000 << "收文流水号" << false;
    QTest::newRow("swsj 1") << "swsj" << 1 << "年度" << 600 << "年度" << true;
    QTest::newRow("swsj 3") << "swsj" << 3 << "       文号" << 2000 << "文号" << true;
    QTest::newRow("swsj 4") << "swsj" << 4 << "              文件标题名" << 3600 << "文件标题名"
                            << true;
    QTest::newRow("swsj 16") << "swsj" << 16 << "备注" << 1000 << "备注" << true;
    QTest::newRow("fwsj 0") << "fwsj" << 0 << "流水号" << 1000 << "发文流水号" << false;
    QTest::newRow("fwsj 2") << "fwsj" << 2 << " 责任者" << 1500 << "责任者" << true;
    QTest::newRow("gdsj 0") << "gdsj" << 0 << "流水号" << 1000 << "流水号" << false;
    QTest::newRow("gdsj 15") << "gdsj" << 15 << "归档时间" << 1000 << "归档时间" << true;
    QTest::newRow("htsj 0") << "htsj" << 0 << "合同流水号" << 1500 << "合同流水号" << false;
    QTest::newRow("htsj 3") << "htsj" << 3 << "      名称" << 3000 << "名称" << true;
    QTest::newRow("htsj 7 filed") << "htsj" << 7 << "归档时间" << 1000 << "入档时间" << true;
    QTest::newRow("dwbm 0") << "dwbm" << 0 << "收发文单位" << 3000 << "发文单位" << false;
    QTest::newRow("dwbm 1") << "dwbm" << 1 << "单位编码" << 1500 << "单位编码" << false;
}

void TestRegisterRules::gridLayout() {
    QFETCH(QString, window);
    QFETCH(int, column);
    QFETCH(QString, caption);
    QFETCH(int, twips);
    QFETCH(QString, bound);
    QFETCH(bool, centred);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind(window);
    fillTable(k, {"K1"});
    Window w(k);
    // Before and after a re-query, which rebuilds the columns.
    for (int pass = 0; pass < 2; ++pass) {
        auto* model = static_cast<store::GridModel*>(w.grid()->model());
        QCOMPARE(model->columnCount(), w.w()->settings().grid.size());
        QCOMPARE(model->headerData(column, Qt::Horizontal).toString(), caption);
        QCOMPARE(model->columnName(column), bound);
        QVERIFY(qAbs(w.grid()->columnWidth(column) - twips / 15) <= 1);
        const auto align =
            Qt::Alignment(model->data(model->index(0, column), Qt::TextAlignmentRole).toInt());
        QCOMPARE(bool(align & Qt::AlignHCenter), centred);
        QCOMPARE(w.grid()->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(w.grid()->verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);
        w.dep(4)->click();
    }
}

void TestRegisterRules::choiceListsOnAdd() {
    TestEnv env(MARROWIN_SHIPPED_DIR);
    setChoiceRows();
    setUnits({"甲单位", "乙单位"});
    const Kind& k = kind("swsj");
    fillTable(k, {"K1"});
    Window w(k);
    // The units come in the order the engine reads them.
    const QStringList units = items(w.combo("Combo1(0)"));
    QCOMPARE(QSet<QString>(units.begin(), units.end()), QSet<QString>({"甲单位", "乙单位"}));
    QCOMPARE(w.combo("Combo1(1)")->count(), 0);
    QCOMPARE(w.combo("Combo1(2)")->count(), 0);
    w.dep(0)->click();
    QCOMPARE(w.combo("Combo1(0)")->currentText(), units[0]);
    QCOMPARE(items(w.combo("Combo1(1)")), QStringList({"长期", "永久", "短期"}));
    QCOMPARE(w.combo("Combo1(1)")->currentText(), QStringLiteral("长期"));
    QCOMPARE(items(w.combo("Combo1(2)")), QStringList({"秘密", "机密", "绝密"}));
    QCOMPARE(w.combo("Combo1(2)")->currentText(), QStringLiteral("秘密"));
    w.act(0)->click();
    QVERIFY2(env.messages.isEmpty(), qPrintable(env.messageTexts().join('|')));
    QCOMPARE(value("select 责任者 from 文件收文库 where 收文流水号 = 'S2004-2'"), units[0]);
    QCOMPARE(value("select 保管期限 from 文件收文库 where 收文流水号 = 'S2004-2'"),
             QStringLiteral("长期"));
    QCOMPARE(value("select 密级 from 文件收文库 where 收文流水号 = 'S2004-2'"),
             QStringLiteral("秘密"));
    QCOMPARE(value("select 年度 from 文件收文库 where 收文流水号 = 'S2004-2'"),
             QStringLiteral("2004"));
    // A second addition does not repeat the lists.
    w.dep(0)->click();
    QCOMPARE(w.combo("Combo1(0)")->count(), 2);
    QCOMPARE(w.combo("Combo1(2)")->count(), 3);
}

void TestRegisterRules::choosingAUnitResetsTheRetentionPeriod() {
    TestEnv env(MARROWIN_SHIPPED_DIR);
    setChoiceRows();
    setUnits({"甲单位", "乙单位"});
    const Kind& k = kind("fwsj");
    fillTable(k, {});
    Window w(k);
    w.dep(0)->click();
    w.combo("Combo1(1)")->setCurrentIndex(2);
    QCOMPARE(w.combo("Combo1(1)")->currentText(), QStringLiteral("短期"));
    chooseNext(w.combo("Combo1(0)"));
    const QString second = w.combo("Combo1(0)")->itemText(1);
    QCOMPARE(w.combo("Combo1(0)")->currentText(), second);
    QCOMPARE(w.combo("Combo1(1)")->currentText(), QStringLiteral("长期"));
    QCOMPARE(w.combo("Combo1(1)")->count(), 3);
    w.act(0)->click();
    QVERIFY(env.messages.isEmpty());
    QCOMPARE(value("select 责任者 from 文件发文库"), second);
    QCOMPARE(value("select 保管期限 from 文件发文库"), QStringLiteral("长期"));
}

void TestRegisterRules::editingBeforeAnyAdditionShowsStoredValues() {
    TestEnv env(MARROWIN_SHIPPED_DIR);
    setChoiceRows();
    setUnits({"甲单位", "乙单位"});
    exec("delete * from 归档库");
    exec("insert into 归档库 (流水号, 责任者, 保管期限, 密级) values ('S2003-4', '旧单位', "
         "'三十年', "
         "'内部')");
    Window w(kind("gdsj"));
    w.dep(1)->click();
    QCOMPARE(w.combo("Combo1(0)")->currentText(), QStringLiteral("旧单位"));
    QCOMPARE(w.combo("Combo1(1)")->count(), 0);
    QCOMPARE(w.combo("Combo1(1)")->currentText(), QStringLiteral("三十年"));
    QCOMPARE(w.combo("Combo1(2)")->count(), 0);
    QCOMPARE(w.combo("Combo1(2)")->currentText(), QStringLiteral("内部"));
    chooseNext(w.combo("Combo1(0)"));
    QCOMPARE(items(w.combo("Combo1(1)")), QStringList({"长期", "永久", "短期"}));
    QCOMPARE(w.combo("Combo1(1)")->currentText(), QStringLiteral("长期"));
    QCOMPARE(w.combo("Combo1(2)")->currentText(), QStringLiteral("内部"));
}

void TestRegisterRules::emptyListRefusesTheAddition_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("emptied");
    QTest::newRow("swsj units") << "swsj"
                                << "发文单位管理";
    QTest::newRow("swsj choices") << "swsj"
                                  << "选择项";
    QTest::newRow("gdsj units") << "gdsj"
                                << "发文单位管理";
    QTest::newRow("fwsj choices") << "fwsj"
                                  << "选择项";
}

void TestRegisterRules::emptyListRefusesTheAddition() {
    QFETCH(QString, window);
    QFETCH(QString, emptied);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    setChoiceRows();
    setUnits({"甲单位"});
    exec(QStringLiteral("delete * from ") + emptied);
    const Kind& k = kind(window);
    fillTable(k, {"K1", "K2"});
    Window w(k);
    w.rs()->moveLast();
    w.dep(0)->click();
    QCOMPARE(env.messages.size(), 1);
    QVERIFY2(env.messages[0].text.contains(emptied), qPrintable(env.messages[0].text));
    QCOMPARE(env.messages[0].icon, app::Icon::Exclamation);
    QVERIFY(!w.w()->isEditing());
    QCOMPARE(w.depStates(), QStringLiteral("111111"));
    QCOMPARE(w.rs()->recordCount(), 2);
    QCOMPARE(w.grid()->model()->rowCount(), 2);
    QCOMPARE(w.currentKey(), QStringLiteral("K2"));
    QCOMPARE(w.text("txt1(0)")->text(), QStringLiteral("K2"));
    // Nothing is left behind for a later write.
    w.dep(1)->click();
    w.act(0)->click();
    QCOMPARE(count(k.table), 2);
}

void TestRegisterRules::retentionListFailureIsReported() {
    TestEnv env(MARROWIN_SHIPPED_DIR);
    setChoiceRows();
    setUnits({"甲单位", "乙单位"});
    fillTable(kind("swsj"), {});
    Window w(kind("swsj"));
    w.dep(0)->click();
    exec("drop table 选择项");
    chooseNext(w.combo("Combo1(0)"));
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(env.messages[0].title, QStringLiteral("错误"));
    QCOMPARE(env.messages[0].icon, app::Icon::Critical);
    QVERIFY(w.w()->isEditing());
}

void TestRegisterRules::issueDateIsShownAndAcceptedAsYmd() {
    TestEnv env(MARROWIN_SHIPPED_DIR);
    exec("delete * from 文件收文库");
    exec("insert into 文件收文库 (收文流水号, 发文时间, 归档时间) values ('S1', '2004-05-03', "
         "'2004-01-01')");
    Window w(kind("swsj"));
    QCOMPARE(w.text("txt1(4)")->text(), QStringLiteral("2004-5-3"));
    w.dep(1)->click();
    w.type("txt1(4)", "2004-6-7");
    w.act(0)->click();
    QVERIFY2(env.messages.isEmpty(), qPrintable(env.messageTexts().join('|')));
    QCOMPARE(value("select count(*) from 文件收文库 where 发文时间 = '2004-06-07'"),
             QStringLiteral("1"));
    QCOMPARE(w.text("txt1(4)")->text(), QStringLiteral("2004-6-7"));
}

void TestRegisterRules::pickedDateIsTheArchivingDate_data() {
    QTest::addColumn<QString>("window");
    QTest::newRow("swsj") << "swsj";
    QTest::newRow("gdsj") << "gdsj";
    QTest::newRow("htsj") << "htsj";
}

void TestRegisterRules::pickedDateIsTheArchivingDate() {
    QFETCH(QString, window);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind(window);
    fillTable(k, {"K1"});
    Window w(k);
    QVERIFY(!w.picker()->isEnabled());
    w.dep(0)->click();
    w.picker()->setDate(QDate(2004, 5, 3));
    QCOMPARE(w.text(k.dateBox)->text(), QStringLiteral("2004年5月3日"));
    w.type(k.keyBox, "NEW-1");
    w.act(0)->click();
    QVERIFY2(env.messages.isEmpty(), qPrintable(env.messageTexts().join('|')));
    QCOMPARE(value(QStringLiteral("select count(*) from %1 where %2 = '2004-05-03'")
                       .arg(k.table, k.dateColumn)),
             QStringLiteral("1"));
    // The picker keeps its date: it does not follow the current row.
    w.rs()->moveFirst();
    QCOMPARE(w.picker()->date(), QDate(2004, 5, 3));
    QCOMPARE(w.text(k.dateBox)->text(), QStringLiteral("2004年1月2日"));
}

void TestRegisterRules::findOnTheFilingDateTakesThePickersDate_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("column");
    QTest::newRow("swsj 归档时间") << "swsj" << 15;
    QTest::newRow("htsj 入档时间") << "htsj" << 7;
}

void TestRegisterRules::findOnTheFilingDateTakesThePickersDate() {
    QFETCH(QString, window);
    QFETCH(int, column);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind(window);
    fillTable(k, {"K1", "K2", "K3", "K4"}); // filed 2004-1-2 … 2004-1-5
    Window w(k);
    whenFrmSqlShows([column](FrmSql* d) {
        d->findChild<QComboBox*>("CboField")->setCurrentIndex(column);
        auto* txt = d->findChild<QLineEdit*>("TxtSQL");
        QVERIFY(txt->isReadOnly());
        QTest::keyClicks(txt, "2004");
        d->findChild<QDateEdit*>("DTPicker1")->setDate(QDate(2004, 1, 4));
        auto* ops = d->findChild<QComboBox*>("Combo1");
        ops->setCurrentIndex(ops->findText(">= "));
        d->findChild<QPushButton*>("CmdSql(0)")->click();
    });
    w.dep(2)->click();
    QVERIFY2(env.messages.isEmpty(), qPrintable(env.messageTexts().join('|')));
    QCOMPARE(w.rs()->filter(), k.dateColumn + QStringLiteral(" >= #2004-1-4#"));
    QCOMPARE(w.rs()->recordCount(), 2);
    QCOMPARE(w.currentKey(), QStringLiteral("K3"));
}

void TestRegisterRules::focusAfterAddAndEdit_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("box");
    QTest::newRow("swsj") << "swsj"
                          << "Combo1(0)";
    QTest::newRow("gdsj") << "gdsj"
                          << "Combo1(0)";
    QTest::newRow("dwbm") << "dwbm"
                          << "txt1";
}

void TestRegisterRules::focusAfterAddAndEdit() {
    QFETCH(QString, window);
    QFETCH(QString, box);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind(window);
    fillTable(k, {"K1"});
    Window w(k);
    w.w()->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(w.w()));
    QWidget* target = w.w()->findChild<QWidget*>(box);
    w.dep(0)->click();
    QVERIFY(target->hasFocus() || target->isAncestorOf(QApplication::focusWidget()));
    env.answer(app::Answer::Yes);
    w.act(1)->click();
    w.grid()->setFocus();
    w.dep(1)->click();
    QVERIFY(target->hasFocus() || target->isAncestorOf(QApplication::focusWidget()));
}

void TestRegisterRules::unitWindowRefusesAnEmptyName() {
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind("dwbm");
    fillTable(k, {"K1", "K2"});
    Window w(k);
    QVERIFY(w.combo("txt2"));
    QCOMPARE(w.combo("txt2")->count(), 0);
    QCOMPARE(w.combo("txt2")->currentText(), QStringLiteral("1"));
    w.dep(0)->click();
    QCOMPARE(w.text("txt1")->text(), QString());
    QCOMPARE(w.combo("txt2")->currentText(), QString());
    w.type("txt2", "77");
    w.act(0)->click();
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(env.messages[0].text, QStringLiteral("单位不能为空"));
    QCOMPARE(env.messages[0].title, QStringLiteral("错误"));
    QCOMPARE(env.messages[0].icon, app::Icon::Critical);
    QVERIFY(w.w()->isEditing());
    QCOMPARE(count("发文单位管理"), 2);
}

void TestRegisterRules::unitWindowLandsOnTheLastRowAfterAnAddition() {
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind("dwbm");
    fillTable(k, {"K1", "K2"});
    Window w(k);
    w.dep(0)->click();
    w.type("txt1", "新单位");
    w.type("txt2", "77");
    w.act(0)->click();
    QVERIFY2(env.messages.isEmpty(), qPrintable(env.messageTexts().join('|')));
    QCOMPARE(w.rs()->absolutePosition(), 3);
    QCOMPARE(w.currentKey(), QStringLiteral("新单位"));
    QCOMPARE(value("select 单位编码 from 发文单位管理 where 发文单位 = '新单位'"),
             QStringLiteral("77"));
}

void TestRegisterRules::newUnitIsOfferedByTheDocumentWindows() {
    TestEnv env(MARROWIN_SHIPPED_DIR);
    setUnits({"甲单位"});
    {
        Window unitWindow(kind("dwbm"));
        unitWindow.dep(0)->click();
        unitWindow.type("txt1", "新单位");
        unitWindow.act(0)->click();
        unitWindow.dep(5)->click();
    }
    Window w(kind("swsj"));
    const QStringList units = items(w.combo("Combo1(0)"));
    QCOMPARE(units.size(), 2);
    QVERIFY(units.contains("新单位"));
}

QTEST_MAIN(TestRegisterRules)
#include "tst_registerrules.moc"
