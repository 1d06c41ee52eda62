// The behaviour every register window shares, checked over the five configurations.

#include "fixture.h"
#include "registers/texts.h"
#include "store/gridmodel.h"
#include "store/recordset.h"

#include <QApplication>
#include <QHeaderView>

using namespace fixture;
using app::testing::TestEnv;

namespace {

void addWindows() {
    QTest::addColumn<QString>("window");
    for (const QString& name : kindNames())
        QTest::newRow(qPrintable(name)) << name;
}

// The key a test types where the window proposes none, or where it proposes one that
// is taken.
QString freshKey(const Kind& k) {
    return k.name == "dwbm" ? "新单位" : "NEW-1";
}

} // namespace

class TestRegisterPattern : public QObject {
    Q_OBJECT
private slots:
    void opensInBrowseWithItsButtons_data() { addWindows(); }
    void opensInBrowseWithItsButtons();
    void emptyTableDisablesAllButAddAndClose_data() { addWindows(); }
    void emptyTableDisablesAllButAddAndClose();
    void addProposesAndEnters_data();
    void addProposesAndEnters();
    void duplicateKeyKeepsTheEditUntilChanged_data() { addWindows(); }
    void duplicateKeyKeepsTheEditUntilChanged();
    void cancellingAnAdditionRemovesTheRow_data();
    void cancellingAnAdditionRemovesTheRow();
    void cancellingAChangeRestoresAndKeepsTheRow_data() { addWindows(); }
    void cancellingAChangeRestoresAndKeepsTheRow();
    void savingAChangeKeepsTheRow_data() { addWindows(); }
    void savingAChangeKeepsTheRow();
    void findFiltersAndAnEmptyOrCancelledFindClears_data();
    void findFiltersAndAnEmptyOrCancelledFindClears();
    void filterKeepsAddAndDeleteDisabledAfterAnEdit_data();
    void filterKeepsAddAndDeleteDisabledAfterAnEdit();
    void deleteAsksAndLands_data();
    void deleteAsksAndLands();
    void refreshKeepsTheRowAndShowsNewRows_data() { addWindows(); }
    void refreshKeepsTheRowAndShowsNewRows();
    void closingWhileEditingIsRefused_data() { addWindows(); }
    void closingWhileEditingIsRefused();
    void loadFailureIsShownAsAnError_data() { addWindows(); }
    void loadFailureIsShownAsAnError();
};

void TestRegisterPattern::opensInBrowseWithItsButtons() {
    QFETCH(QString, window);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind(window);
    fillTable(k, {"K1", "K2"});
    Window w(k);
    QVERIFY(env.messages.isEmpty());
    for (int i = 0; i < 6; ++i)
        QCOMPARE(w.dep(i)->text(), registers::texts::kDepCaptions[i]);
    QCOMPARE(w.act(0)->text(), QStringLiteral("保  存"));
    QCOMPARE(w.act(1)->text(), QStringLiteral("恢  复"));
    QCOMPARE(w.depStates(), QStringLiteral("111111"));
    QVERIFY(!w.act(0)->isEnabled() && !w.act(1)->isEnabled());
    QVERIFY(w.grid()->isEnabled());
    QVERIFY(!w.text(k.keyBox)->isEnabled());
    QCOMPARE(w.grid()->model()->rowCount(), 2);
    QCOMPARE(w.grid()->editTriggers(), QAbstractItemView::NoEditTriggers);
    QCOMPARE(w.text(k.keyBox)->text(), QStringLiteral("K1"));
}

void TestRegisterPattern::emptyTableDisablesAllButAddAndClose() {
    QFETCH(QString, window);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind(window);
    fillTable(k, {});
    Window w(k);
    QCOMPARE(w.depStates(), QStringLiteral("100001"));
}

void TestRegisterPattern::addProposesAndEnters_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("rows");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<QString>("yearBox");
    QTest::addColumn<QString>("year");
    QTest::newRow("swsj empty") << "swsj" << 0 << "S2004-1"
                                << "txt1(1)"
                                << "2004";
    QTest::newRow("swsj 36 rows") << "swsj" << 36 << "S2004-37"
                                  << "txt1(1)"
                                  << "2004";
    QTest::newRow("fwsj 14 rows") << "fwsj" << 14 << "F2004-15"
                                  << "txt1(1)"
                                  << "2004";
    QTest::newRow("gdsj fixed, no year") << "gdsj" << 3 << "F2000-0000"
                                         << "txt1(1)"
                                         << "";
    QTest::newRow("htsj empty") << "htsj" << 0 << "H2004-1"
                                << "txt1(1)"
                                << "2004";
    QTest::newRow("htsj 2 rows") << "htsj" << 2 << "H2004-3"
                                 << "txt1(1)"
                                 << "2004";
    QTest::newRow("dwbm nothing") << "dwbm" << 2 << ""
                                  << "txt2"
                                  << "";
}

void TestRegisterPattern::addProposesAndEnters() {
    QFETCH(QString, window);
    QFETCH(int, rows);
    QFETCH(QString, serial);
    QFETCH(QString, yearBox);
    QFETCH(QString, year);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind(window);
    QStringList keys;
    for (int i = 1; i <= rows; ++i)
        keys << QStringLiteral("K%1").arg(i);
    fillTable(k, keys);
    Window w(k);
    w.dep(0)->click();
    QVERIFY2(env.messages.isEmpty(), qPrintable(env.messageTexts().join('|')));
    QVERIFY(w.w()->isEditing());
    QVERIFY(!w.w()->isModifying());
    QCOMPARE(w.depStates(), QStringLiteral("000000"));
    QVERIFY(w.act(0)->isEnabled() && w.act(1)->isEnabled());
    QVERIFY(!w.grid()->isEnabled());
    QCOMPARE(w.rs()->recordCount(), rows + 1);
    QCOMPARE(w.text(k.keyBox)->text(), serial);
    const QString yearShown =
        w.text(yearBox) ? w.text(yearBox)->text() : w.combo(yearBox)->currentText();
    QCOMPARE(yearShown, year);
    if (!k.dateBox.isEmpty()) {
        QCOMPARE(w.text(k.dateBox)->text(), QStringLiteral("2004年3月5日"));
        QVERIFY(w.text(k.dateBox)->isReadOnly());
        QVERIFY(w.picker()->isEnabled());
    }
}

void TestRegisterPattern::duplicateKeyKeepsTheEditUntilChanged() {
    QFETCH(QString, window);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind(window);
    // Two rows, one of them the serial that counting proposes next.
    const QHash<QString, QString> taken = {{"swsj", "S2004-3"},
                                           {"fwsj", "F2004-3"},
                                           {"gdsj", "F2000-0000"},
                                           {"htsj", "H2004-3"},
                                           {"dwbm", "单位甲"}};
    fillTable(k, {"A", taken[window]});
    Window w(k);
    w.dep(0)->click();
    QVERIFY(w.w()->isEditing());
    if (window == "dwbm")
        w.type(k.keyBox, taken[window]);
    QCOMPARE(w.text(k.keyBox)->text(), taken[window]);
    if (k.textBox != k.keyBox)
        w.type(k.textBox, "新的标题");

    w.act(0)->click();
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(env.messages[0].text, window == "dwbm" ? QStringLiteral("收发文单位不能重复！")
                                                    : QStringLiteral("编号不能重复"));
    QCOMPARE(env.messages[0].title, QStringLiteral("错误"));
    QCOMPARE(env.messages[0].icon, app::Icon::Critical);
    QVERIFY(w.w()->isEditing());
    QCOMPARE(w.text(k.keyBox)->text(), taken[window]);
    if (k.textBox != k.keyBox)
        QCOMPARE(w.text(k.textBox)->text(), QStringLiteral("新的标题"));
    QCOMPARE(count(k.table), 2);

    w.type(k.keyBox, freshKey(k));
    w.act(0)->click();
    QCOMPARE(env.messages.size(), 1);
    QVERIFY(!w.w()->isEditing());
    QCOMPARE(w.depStates(), QStringLiteral("111111"));
    QCOMPARE(count(k.table), 3);
    if (k.textBox != k.keyBox)
        QCOMPARE(value(QStringLiteral("select %1 from %2 where %3 = '%4'")
                           .arg(k.textColumn, k.table, k.key, freshKey(k))),
                 QStringLiteral("新的标题"));
    if (!k.dateBox.isEmpty())
        QCOMPARE(value(QStringLiteral("select %1 from %2 where %3 = '%4'")
                           .arg(k.dateColumn, k.table, k.key, freshKey(k))),
                 QStringLiteral("2004-3-5"));
}

void TestRegisterPattern::cancellingAnAdditionRemovesTheRow_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("rows");
    for (const QString& name : kindNames()) {
        QTest::newRow(qPrintable(name + " with rows")) << name << 2;
        QTest::newRow(qPrintable(name + " empty")) << name << 0;
    }
}

void TestRegisterPattern::cancellingAnAdditionRemovesTheRow() {
    QFETCH(QString, window);
    QFETCH(int, rows);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind(window);
    fillTable(k, rows ? QStringList{"K1", "K2"} : QStringList{});
    Window w(k);
    w.dep(0)->click();
    QVERIFY(w.w()->isEditing());

    env.answer(app::Answer::No);
    w.act(1)->click();
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(env.messages[0].text, QStringLiteral("确认不作修改?"));
    QCOMPARE(env.messages[0].title, QStringLiteral("修改确认"));
    QCOMPARE(env.messages[0].icon, app::Icon::Question);
    QCOMPARE(env.messages[0].buttons, app::Buttons::YesNo);
    QVERIFY(w.w()->isEditing());

    env.answer(app::Answer::Yes);
    w.act(1)->click();
    QCOMPARE(env.messages.size(), 2);
    QVERIFY(!w.w()->isEditing());
    QCOMPARE(w.depStates(), QStringLiteral("111111"));
    QCOMPARE(w.rs()->recordCount(), rows);
    QCOMPARE(w.grid()->model()->rowCount(), rows);
    QCOMPARE(count(k.table), rows);
    if (rows)
        QCOMPARE(w.currentKey(), QStringLiteral("K1"));
}

void TestRegisterPattern::cancellingAChangeRestoresAndKeepsTheRow() {
    QFETCH(QString, window);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind(window);
    fillTable(k, {"K1", "K2", "K3"});
    Window w(k);
    w.rs()->setAbsolutePosition(2);
    const QString stored = w.text(k.textBox)->text();
    w.dep(1)->click();
    QVERIFY(w.w()->isModifying());
    QCOMPARE(w.depStates(), QStringLiteral("000000"));
    w.type(k.textBox, "改过的");
    env.answer(app::Answer::Yes);
    w.act(1)->click();
    QVERIFY(!w.w()->isEditing());
    QCOMPARE(w.depStates(), QStringLiteral("111111"));
    QCOMPARE(w.currentKey(), window == "dwbm" ? QStringLiteral("K2") : QStringLiteral("K2"));
    QCOMPARE(w.text(k.textBox)->text(), stored);
    QCOMPARE(value(QStringLiteral("select count(*) from %1 where %2 = '改过的'")
                       .arg(k.table, k.textColumn)),
             QStringLiteral("0"));
    QCOMPARE(count(k.table), 3);
}

void TestRegisterPattern::savingAChangeKeepsTheRow() {
    QFETCH(QString, window);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind(window);
    fillTable(k, {"K1", "K2", "K3"});
    Window w(k);
    w.rs()->setAbsolutePosition(2);
    w.dep(1)->click();
    w.type(k.textBox, "改过的");
    w.act(0)->click();
    QVERIFY2(env.messages.isEmpty(), qPrintable(env.messageTexts().join('|')));
    QVERIFY(!w.w()->isEditing());
    QCOMPARE(w.rs()->absolutePosition(), 2);
    QCOMPARE(w.text(k.textBox)->text(), QStringLiteral("改过的"));
    QCOMPARE(value(QStringLiteral("select count(*) from %1 where %2 = '改过的'")
                       .arg(k.table, k.textColumn)),
             QStringLiteral("1"));
}

void TestRegisterPattern::findFiltersAndAnEmptyOrCancelledFindClears_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<bool>("cancelled");
    for (const QString& name : kindNames()) {
        QTest::newRow(qPrintable(name + " empty value")) << name << false;
        QTest::newRow(qPrintable(name + " cancelled")) << name << true;
    }
}

void TestRegisterPattern::findFiltersAndAnEmptyOrCancelledFindClears() {
    QFETCH(QString, window);
    QFETCH(bool, cancelled);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind(window);
    fillTable(k, {"A-1", "B-2", "A-3", "C-4"});
    Window w(k);
    find(w, 0, "包含", "A");
    QVERIFY2(env.messages.isEmpty(), qPrintable(env.messageTexts().join('|')));
    QVERIFY(w.w()->isFiltered());
    QCOMPARE(w.rs()->filter(), k.key + QStringLiteral(" like '*A*'"));
    QCOMPARE(w.rs()->recordCount(), 2);
    QCOMPARE(w.grid()->model()->rowCount(), 2);
    QVERIFY(!w.dep(0)->isEnabled());
    w.rs()->moveLast();
    QCOMPARE(w.currentKey(), QStringLiteral("A-3"));

    if (cancelled)
        cancelFind(w);
    else
        find(w, 0, "= ", "");
    QVERIFY(!w.w()->isFiltered());
    QVERIFY(w.rs()->filter().isEmpty());
    QCOMPARE(w.rs()->recordCount(), 4);
    QCOMPARE(w.currentKey(), QStringLiteral("A-3"));
    QCOMPARE(w.depStates(), QStringLiteral("111111"));
}

void TestRegisterPattern::filterKeepsAddAndDeleteDisabledAfterAnEdit_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("afterEdit");
    QTest::newRow("swsj") << "swsj"
                          << "011011";
    QTest::newRow("gdsj") << "gdsj"
                          << "011011";
    QTest::newRow("htsj") << "htsj"
                          << "011011";
    QTest::newRow("dwbm keeps delete") << "dwbm"
                                       << "011111";
}

void TestRegisterPattern::filterKeepsAddAndDeleteDisabledAfterAnEdit() {
    QFETCH(QString, window);
    QFETCH(QString, afterEdit);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind(window);
    fillTable(k, {"A-1", "B-2", "A-3"});
    Window w(k);
    find(w, 0, "包含", "A");
    QCOMPARE(w.depStates(), QStringLiteral("011111"));
    w.dep(1)->click();
    w.type(k.textBox, k.textBox == k.keyBox ? "A-9" : "改");
    w.act(0)->click();
    QVERIFY2(env.messages.isEmpty(), qPrintable(env.messageTexts().join('|')));
    QCOMPARE(w.depStates(), afterEdit);
    QCOMPARE(w.rs()->recordCount(), 2);
}

void TestRegisterPattern::deleteAsksAndLands_data() {
    QTest::addColumn<QString>("window");
    QTest::addColumn<QString>("landing");
    QTest::newRow("swsj first") << "swsj"
                                << "K1";
    QTest::newRow("fwsj first") << "fwsj"
                                << "K1";
    QTest::newRow("gdsj first") << "gdsj"
                                << "K1";
    QTest::newRow("htsj first") << "htsj"
                                << "K1";
    QTest::newRow("dwbm last") << "dwbm"
                               << "K4";
}

void TestRegisterPattern::deleteAsksAndLands() {
    QFETCH(QString, window);
    QFETCH(QString, landing);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind(window);
    fillTable(k, {"K1", "K2", "K3", "K4"});
    Window w(k);
    w.rs()->setAbsolutePosition(2);

    env.answer(app::Answer::No);
    w.dep(3)->click();
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(env.messages[0].text, QStringLiteral("确认删除当前记录吗?"));
    QCOMPARE(env.messages[0].title, QStringLiteral("删除确认"));
    QCOMPARE(env.messages[0].icon, app::Icon::Question);
    QCOMPARE(count(k.table), 4);

    env.answer(app::Answer::Yes);
    w.dep(3)->click();
    QCOMPARE(count(k.table), 3);
    QCOMPARE(value(QStringLiteral("select count(*) from %1 where %2 = 'K2'").arg(k.table, k.key)),
             QStringLiteral("0"));
    QCOMPARE(w.currentKey(), landing);
    QCOMPARE(w.grid()->model()->rowCount(), 3);

    // Deleting the last row leaves only add, find and close.
    for (int i = 0; i < 3; ++i) {
        env.answer(app::Answer::Yes);
        w.dep(3)->click();
    }
    QCOMPARE(count(k.table), 0);
    QCOMPARE(w.depStates(), QStringLiteral("101001"));
    QCOMPARE(env.messages.size(), 5);
}

void TestRegisterPattern::refreshKeepsTheRowAndShowsNewRows() {
    QFETCH(QString, window);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind(window);
    fillTable(k, {"K1", "K2", "K3"});
    Window w(k);
    w.rs()->setAbsolutePosition(3);
    if (window == "dwbm")
        exec("insert into 发文单位管理 (发文单位) values ('K9')");
    else
        exec(QStringLiteral("insert into %1 (%2, %3) values ('K0', '2003-01-01')")
                 .arg(k.table, k.key, k.dateColumn));
    w.dep(4)->click();
    QVERIFY(env.messages.isEmpty());
    QCOMPARE(w.rs()->recordCount(), 4);
    QCOMPARE(w.currentKey(), QStringLiteral("K3"));
    QCOMPARE(w.grid()->model()->rowCount(), 4);
    // Re-querying rebuilds the grid's columns: the layout is applied again.
    auto* model = static_cast<store::GridModel*>(w.grid()->model());
    QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), w.w()->settings().grid[0].caption);
}

void TestRegisterPattern::closingWhileEditingIsRefused() {
    QFETCH(QString, window);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind(window);
    fillTable(k, {"K1"});
    Window w(k);
    w.dep(1)->click();
    w.w()->close();
    QVERIFY(w.w()->isVisible());
    w.w()->reject();
    QVERIFY(w.w()->isVisible());
    QTest::keyClick(w.w(), Qt::Key_Escape);
    QVERIFY(w.w()->isVisible());
    QCOMPARE(env.messages.size(), 2);
    for (const auto& m : env.messages) {
        QCOMPARE(m.text, QStringLiteral("请先退出编辑状态后再退出该程序!"));
        QCOMPARE(m.title, QStringLiteral("提示"));
        QCOMPARE(m.icon, app::Icon::Exclamation);
    }
    env.answer(app::Answer::Yes);
    w.act(1)->click();
    w.dep(5)->click();
    QVERIFY(!w.w()->isVisible());
    QCOMPARE(w.w()->result(), int(QDialog::Rejected));
}

void TestRegisterPattern::loadFailureIsShownAsAnError() {
    QFETCH(QString, window);
    TestEnv env(MARROWIN_SHIPPED_DIR);
    const Kind& k = kind(window);
    exec(QStringLiteral("drop table ") + k.table);
    Window w(k);
    QCOMPARE(env.messages.size(), 1);
    QCOMPARE(env.messages[0].title, QStringLiteral("错误"));
    QCOMPARE(env.messages[0].icon, app::Icon::Critical);
    QVERIFY(!env.messages[0].text.isEmpty());
    // The window stays open, and its buttons report failures instead of failing.
    w.dep(4)->click();
    QVERIFY(w.w()->isVisible());
}

QTEST_MAIN(TestRegisterPattern)
#include "tst_registerpattern.moc"
