// The loan management window jygl driven offscreen: loans, returns and losses, the four
// registers, the searches through the query builder and lending through jydd.

#include "lending/lending.h"
#include "lendingfixture.h"
#include "shell/app/testing.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

using app::testing::TestEnv;
using namespace lendingtest;

namespace {

template <class T> T* childOf(QWidget* w, const QString& name) {
    T* c = w ? w->findChild<T*>(name) : nullptr;
    if (!c)
        qFatal("no control %s", qPrintable(name));
    return c;
}

// Acts on the modal window that the next click opens.
void onNextModal(std::function<void(QWidget*)> act) {
    QTimer::singleShot(0, [act] {
        QWidget* w = QApplication::activeModalWidget();
        QVERIFY(w);
        act(w);
    });
}

// Answers the query builder: a column, an operator and a value, or a cancel.
void answerQuery(int column, const QString& op, const QString& value) {
    onNextModal([=](QWidget* w) {
        childOf<QComboBox>(w, QStringLiteral("CboField"))->setCurrentIndex(column);
        auto* ops = childOf<QComboBox>(w, QStringLiteral("Combo1"));
        ops->setCurrentIndex(ops->findText(op));
        childOf<QLineEdit>(w, QStringLiteral("TxtSQL"))->setText(value);
        childOf<QPushButton>(w, QStringLiteral("CmdSql(0)"))->click();
    });
}
void cancelQuery() {
    onNextModal([](QWidget* w) { childOf<QPushButton>(w, QStringLiteral("CmdSql(1)"))->click(); });
}

struct Window {
    Window() : w(lending::createJygl(nullptr)) {}
    QPushButton* dep(int i) {
        return childOf<QPushButton>(w.get(), QStringLiteral("cmddep(%1)").arg(i));
    }
    QPushButton* ok(int i) {
        return childOf<QPushButton>(w.get(), QStringLiteral("cmdOK(%1)").arg(i));
    }
    QTableView* loans() { return childOf<QTableView>(w.get(), QStringLiteral("DataGrid1")); }
    QTableView* items() { return childOf<QTableView>(w.get(), QStringLiteral("DataGrid2")); }
    QTabBar* tabs() { return childOf<QTabBar>(w.get(), QStringLiteral("TabStrip1")); }
    int loanRows() { return loans()->model()->rowCount(); }
    int itemRows() { return items()->model()->rowCount(); }
    QString loanCell(int row, int column) {
        return loans()->model()->index(row, column).data().toString();
    }
    int loanRowOf(const QString& number) {
        for (int r = 0; r < loanRows(); ++r)
            if (loanCell(r, 1) == number)
                return r;
        return -1;
    }
    bool returnEnabled() { return dep(0)->isEnabled(); }
    bool lossEnabled() { return dep(1)->isEnabled(); }
    std::unique_ptr<QDialog> w;
};

void seedLoans() {
    addLoan(QStringLiteral("2004-0001"), QStringLiteral("S2004-1"), QStringLiteral("已还"));
    addLoan(QStringLiteral("2004-0002"), QStringLiteral("S2004-2"), QStringLiteral("借阅"));
    addLoan(QStringLiteral("2004-0003"), QStringLiteral("S2004-1"), QStringLiteral("遗失"));
    addLoan(QStringLiteral("2004-0004"), QStringLiteral("S2004-3"), QStringLiteral("借阅"));
}

} // namespace

class TestJygl : public QObject {
    Q_OBJECT
private slots:
    void init() {
        env = std::make_unique<TestEnv>(QStringLiteral(MARROWIN_SHIPPED_DIR));
        app::setCurrentUser(QStringLiteral("管理员"));
        clearTables();
    }
    void cleanup() { env.reset(); }

    void loadShowsLoansNewestFirst() {
        seedLoans();
        addIncoming(QStringLiteral("S2004-1"), QStringLiteral("文一"), 1);
        Window j;
        QVERIFY(env->messages.isEmpty());
        QCOMPARE(j.w->windowTitle(), QStringLiteral("借阅管理窗口"));
        QStringList labels;
        for (auto* l : j.w->findChildren<QLabel*>())
            labels << l->text();
        QVERIFY(labels.contains(QStringLiteral("借阅管理")));
        QVERIFY(labels.contains(QStringLiteral("借阅记录")));
        const QStringList dep = {"归  还", "遗  失", "查  询", "刷  新", "退  出"};
        for (int i = 0; i < 5; ++i)
            QCOMPARE(j.dep(i)->text(), dep[i]);
        const QStringList ok = {"借    阅", "借阅记录", "查    找"};
        for (int i = 0; i < 3; ++i)
            QCOMPARE(j.ok(i)->text(), ok[i]);
        QCOMPARE(j.tabs()->count(), 4);
        const QStringList tabs = {"文件收文", "文件发文", "合同协议", "归档数据"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(j.tabs()->tabText(i), tabs[i]);
        QCOMPARE(j.tabs()->currentIndex(), 0);

        QCOMPARE(j.loanRows(), 4);
        for (int r = 0; r < 4; ++r)
            QCOMPARE(j.loanCell(r, 1), QStringLiteral("2004-000%1").arg(4 - r));

        QAbstractItemModel* m = j.loans()->model();
        QCOMPARE(m->columnCount(), 11);
        const QStringList captions = {"流水号",    "借阅编号", "资料编号", "    文件资料名",
                                      "数量",      "借阅人",   "经办人",   " 借阅时间",
                                      " 归还时间", "状态",     "备注"};
        const int widths[] = {0, 1000, 0, 2480, 480, 750, 750, 1050, 1050, 600, 1000};
        for (int c = 0; c < 11; ++c) {
            QCOMPARE(m->headerData(c, Qt::Horizontal).toString(), captions[c]);
            if (widths[c] == 0)
                QVERIFY(j.loans()->isColumnHidden(c) || j.loans()->columnWidth(c) == 0);
            else
                QCOMPARE(j.loans()->columnWidth(c), widths[c] / 15);
            const int a = m->index(0, c).data(Qt::TextAlignmentRole).toInt();
            QVERIFY(c == 1 ? (a & Qt::AlignLeft) : (a & Qt::AlignHCenter));
        }
        QVERIFY(j.loans()->wordWrap());
        QCOMPARE(j.loans()->editTriggers(), QAbstractItemView::NoEditTriggers);
        QCOMPARE(j.itemRows(), 1);
    }

    void itemLayouts_data() {
        QTest::addColumn<int>("tab");
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("columns");
        QTest::addColumn<int>("firstWidth");
        QTest::newRow("文件收文") << 0 << " 流水号" << 17 << 1000;
        QTest::newRow("文件发文") << 1 << "流水号" << 17 << 1000;
        QTest::newRow("合同协议") << 2 << "合同流水号" << 9 << 1500;
        QTest::newRow("归档数据") << 3 << " 流水号" << 17 << 1000;
    }
    void itemLayouts() {
        QFETCH(int, tab);
        QFETCH(QString, first);
        QFETCH(int, columns);
        QFETCH(int, firstWidth);
        addIncoming(QStringLiteral("S2004-1"), QStringLiteral("文一"), 1);
        exec(QStringLiteral("insert into 文件发文库 select * from 文件收文库"));
        exec(QStringLiteral("insert into 归档库 select * from 文件收文库"));
        exec(QStringLiteral("insert into 合同协议库 values ('H2004-1','2004','1','合同','甲','乙',"
                            "'20040101','2004-01-02','')"));
        Window j;
        j.tabs()->setCurrentIndex(tab);
        QVERIFY(env->messages.isEmpty());
        QAbstractItemModel* m = j.items()->model();
        QCOMPARE(m->columnCount(), columns);
        QCOMPARE(m->rowCount(), 1);
        QCOMPARE(m->headerData(0, Qt::Horizontal).toString(), first);
        QCOMPARE(j.items()->columnWidth(0), firstWidth / 15);
        for (int c = 0; c < columns; ++c) {
            const int a = m->index(0, c).data(Qt::TextAlignmentRole).toInt();
            QVERIFY2((c == 1 || c == 6) ? (a & Qt::AlignLeft) : (a & Qt::AlignHCenter),
                     qPrintable(QString::number(c)));
        }
        QCOMPARE(j.items()->editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    void loanButtonsFollowTheCurrentLoan_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("已还") << "2004-0001" << false;
        QTest::newRow("借阅") << "2004-0002" << true;
        QTest::newRow("遗失") << "2004-0003" << false;
    }
    void loanButtonsFollowTheCurrentLoan() {
        QFETCH(QString, number);
        QFETCH(bool, enabled);
        seedLoans();
        Window j;
        // Each state is reached from a loan in the other kind of state.
        j.loans()->selectRow(
            j.loanRowOf(enabled ? QStringLiteral("2004-0003") : QStringLiteral("2004-0004")));
        QCOMPARE(j.returnEnabled(), !enabled);
        j.loans()->selectRow(j.loanRowOf(number));
        QCOMPARE(j.returnEnabled(), enabled);
        QCOMPARE(j.lossEnabled(), enabled);
        QVERIFY(j.dep(2)->isEnabled() && j.dep(3)->isEnabled() && j.dep(4)->isEnabled());
    }

    void noLoansDisablesReturnAndLoss() {
        Window j;
        QCOMPARE(j.loanRows(), 0);
        QVERIFY(!j.returnEnabled());
        QVERIFY(!j.lossEnabled());
    }

    void returnAndLoss_data() {
        QTest::addColumn<int>("button");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QString>("state");
        QTest::newRow("归还") << 0 << "确认归还!"
                              << "已还";
        QTest::newRow("遗失") << 1 << "确认遗失!"
                              << "遗失";
    }
    void returnAndLoss() {
        QFETCH(int, button);
        QFETCH(QString, question);
        QFETCH(QString, state);
        seedLoans();
        Window j;
        const QString number = QStringLiteral("2004-0002");
        j.loans()->selectRow(j.loanRowOf(number));

        env->answer(app::Answer::No);
        j.dep(button)->click();
        QCOMPARE(env->messageTexts(), QStringList{question});
        QCOMPARE(env->messages[0].icon, app::Icon::Question);
        QCOMPARE(env->messages[0].buttons, app::Buttons::YesNo);
        QCOMPARE(env->messages[0].title, app::title());
        QCOMPARE(loanValue(number, QStringLiteral("状态")).toString(), QStringLiteral("借阅"));
        QVERIFY(!loanValue(number, QStringLiteral("归还时间")).isValid() ||
                loanValue(number, QStringLiteral("归还时间")).toString().isEmpty());
        QVERIFY(j.returnEnabled());

        env->answer(app::Answer::Yes);
        j.dep(button)->click();
        QCOMPARE(loanValue(number, QStringLiteral("状态")).toString(), state);
        QCOMPARE(loanValue(number, QStringLiteral("归还时间")).toDate(), QDate(2004, 3, 5));
        QVERIFY(!j.returnEnabled());
        QVERIFY(!j.lossEnabled());
        QCOMPARE(j.loanCell(j.loanRowOf(number), 9), state);
        // The other loans are untouched.
        QCOMPARE(count(QStringLiteral("借阅记录库"), QStringLiteral("状态='借阅'")), 1);
    }

    void emptyRegisterDisablesLending() {
        exec(QStringLiteral("insert into 合同协议库 values ('H2004-1','2004','1','合同','甲','乙',"
                            "'20040101','2004-01-02','')"));
        Window j;
        QCOMPARE(j.itemRows(), 0);
        QVERIFY(!j.ok(0)->isEnabled());
        QVERIFY(!j.ok(1)->isEnabled());
        QVERIFY(j.ok(2)->isEnabled());
        j.tabs()->setCurrentIndex(2);
        QCOMPARE(j.itemRows(), 1);
        QVERIFY(j.ok(0)->isEnabled());
        QVERIFY(j.ok(1)->isEnabled());
        j.tabs()->setCurrentIndex(3);
        QVERIFY(!j.ok(0)->isEnabled());
        QVERIFY(j.ok(2)->isEnabled());
    }

    void itemSearchAndTabSwitch() {
        addIncoming(QStringLiteral("S2004-1"), QStringLiteral("会议纪要"), 1);
        addIncoming(QStringLiteral("S2004-2"), QStringLiteral("通知"), 2);
        addIncoming(QStringLiteral("S2004-3"), QStringLiteral("O'Neil来函"), 3);
        Window j;
        QCOMPARE(j.itemRows(), 3);
        // Column 4 is the title (名称).
        answerQuery(4, QStringLiteral("包含"), QStringLiteral("纪要"));
        j.ok(2)->click();
        QVERIFY2(env->messages.isEmpty(), qPrintable(env->messageTexts().join('|')));
        QCOMPARE(j.itemRows(), 1);
        QCOMPARE(j.items()->model()->index(0, 0).data().toString(), QStringLiteral("S2004-1"));

        answerQuery(4, QStringLiteral("= "), QStringLiteral("O'Neil来函"));
        j.ok(2)->click();
        QVERIFY2(env->messages.isEmpty(), qPrintable(env->messageTexts().join('|')));
        QCOMPARE(j.itemRows(), 1);
        QCOMPARE(j.items()->model()->index(0, 0).data().toString(), QStringLiteral("S2004-3"));

        // Another register and back: the filter is gone.
        j.tabs()->setCurrentIndex(1);
        j.tabs()->setCurrentIndex(0);
        QCOMPARE(j.itemRows(), 3);

        // A cancelled search shows every item again, staying on the current one.
        answerQuery(4, QStringLiteral("包含"), QStringLiteral("通知"));
        j.ok(2)->click();
        QCOMPARE(j.itemRows(), 1);
        cancelQuery();
        j.ok(2)->click();
        QCOMPARE(j.itemRows(), 3);
        QVERIFY(env->messages.isEmpty());
    }

    void cancelledItemSearchOnEmptyRegister() {
        Window j;
        cancelQuery();
        j.ok(2)->click();
        QVERIFY(env->messages.isEmpty());
        QCOMPARE(j.itemRows(), 0);
    }

    void loanHistoryAndLoanSearch() {
        seedLoans();
        addIncoming(QStringLiteral("S2004-1"), QStringLiteral("文一"), 1);
        addIncoming(QStringLiteral("S2004-9"), QStringLiteral("从未借出"), 2);
        addIncoming(QStringLiteral("S'2004"), QStringLiteral("引号"), 3);
        Window j;
        j.items()->selectRow(0);
        j.ok(1)->click();
        QCOMPARE(j.loanRows(), 2);
        for (int r = 0; r < 2; ++r)
            QCOMPARE(j.loanCell(r, 2), QStringLiteral("S2004-1"));

        j.items()->selectRow(1);
        j.ok(1)->click();
        QVERIFY(env->messages.isEmpty());
        QCOMPARE(j.loanRows(), 0);
        QVERIFY(!j.returnEnabled());

        j.items()->selectRow(2);
        j.ok(1)->click();
        QVERIFY2(env->messages.isEmpty(), qPrintable(env->messageTexts().join('|')));
        QCOMPARE(j.loanRows(), 0);

        cancelQuery();
        j.dep(2)->click();
        QCOMPARE(j.loanRows(), 4);

        // 状态 is column 9 of the loan table.
        answerQuery(9, QStringLiteral("= "), QStringLiteral("借阅"));
        j.dep(2)->click();
        QVERIFY2(env->messages.isEmpty(), qPrintable(env->messageTexts().join('|')));
        QCOMPARE(j.loanRows(), 2);
        QVERIFY(j.returnEnabled());

        // OK with an empty value counts as a cancel: every loan again.
        answerQuery(9, QStringLiteral("= "), QString());
        j.dep(2)->click();
        QCOMPARE(j.loanRows(), 4);
    }

    void refreshKeepsTheCurrentLoan() {
        seedLoans();
        Window j;
        j.loans()->selectRow(2);
        const QString current = j.loanCell(2, 1);
        addLoan(QStringLiteral("2004-0005"), QStringLiteral("S2004-5"), QStringLiteral("借阅"));
        j.dep(3)->click();
        QCOMPARE(j.loanRows(), 5);
        QCOMPARE(j.loanCell(0, 1), QStringLiteral("2004-0005"));
        const QModelIndex cur = j.loans()->currentIndex();
        QCOMPARE(j.loanCell(cur.row(), 1), current);
    }

    void lendShowsTheNewLoanAtOnce() {
        seedLoans();
        addIncoming(QStringLiteral("S2004-15"), QStringLiteral("年度总结"), 1);
        Window j;
        QCOMPARE(j.loanRows(), 4);
        QStringList shown;
        onNextModal([&shown](QWidget* d) {
            shown << d->windowTitle();
            for (int i : {2, 3, 1})
                shown << childOf<QLineEdit>(d, QStringLiteral("Text1(%1)").arg(i))->text();
            childOf<QLineEdit>(d, QStringLiteral("Text1(8)"))->setText(QStringLiteral("-2"));
            childOf<QLineEdit>(d, QStringLiteral("Text1(9)"))->setText(QStringLiteral("王五"));
            childOf<QPushButton>(d, QStringLiteral("Command1"))->click();
        });
        j.ok(0)->click();
        QVERIFY2(env->messages.isEmpty(), qPrintable(env->messageTexts().join('|')));
        QCOMPARE(shown, (QStringList{QStringLiteral("借阅确认"), QStringLiteral("年度总结"),
                                     QStringLiteral("S2004-15"), QStringLiteral("0005")}));
        QCOMPARE(j.loanRows(), 5);
        const int row = j.loanRowOf(QStringLiteral("2004-0005"));
        QVERIFY(row >= 0);
        QCOMPARE(j.loanCell(row, 2), QStringLiteral("S2004-15"));
        QCOMPARE(j.loanCell(row, 9), QStringLiteral("借阅"));
        QCOMPARE(loanValue(QStringLiteral("2004-0005"), QStringLiteral("数量")).toDouble(), -2.0);
        QCOMPARE(loanValue(QStringLiteral("2004-0005"), QStringLiteral("借阅人")).toString(),
                 QStringLiteral("王五"));
        QVERIFY(j.ok(0)->isEnabled());
        QCOMPARE(j.loans()->currentIndex().row(), row);
        QVERIFY(j.returnEnabled());
        j.dep(3)->click();
        QCOMPARE(j.loanCell(0, 1), QStringLiteral("2004-0005"));
    }

    void cancelledLendWritesNothing() {
        seedLoans();
        addIncoming(QStringLiteral("S2004-1"), QStringLiteral("文一"), 1);
        Window j;
        QStringList proposed;
        for (int attempt = 0; attempt < 2; ++attempt) {
            onNextModal([&proposed](QWidget* d) {
                proposed << childOf<QLineEdit>(d, QStringLiteral("Text1(0)"))->text() + "-" +
                                childOf<QLineEdit>(d, QStringLiteral("Text1(1)"))->text();
                childOf<QLineEdit>(d, QStringLiteral("Text1(8)"))->setText(QStringLiteral("1"));
                childOf<QLineEdit>(d, QStringLiteral("Text1(9)"))->setText(QStringLiteral("王五"));
                childOf<QPushButton>(d, QStringLiteral("Command2"))->click();
            });
            j.ok(0)->click();
        }
        QCOMPARE(proposed, (QStringList{QStringLiteral("2004-0005"), QStringLiteral("2004-0005")}));
        QCOMPARE(count(QStringLiteral("借阅记录库")), 4);
        QCOMPARE(j.loanRows(), 4);
    }

    void lendReportsALoadFailure() {
        addIncoming(QStringLiteral("S2004-1"), QStringLiteral("文一"), 1);
        Window j;
        QVERIFY(QFile::remove(env->path(QStringLiteral("sys_kw.kwd"))));
        j.ok(0)->click();
        QCOMPARE(env->messages.size(), 1);
        QCOMPARE(env->messages[0].icon, app::Icon::Critical);
        QVERIFY(!env->messages[0].text.isEmpty());
        QVERIFY(!QApplication::activeModalWidget());
    }

    void tabChoiceFailureIsReported() {
        Window j;
        exec(QStringLiteral("drop table 合同协议库"));
        j.tabs()->setCurrentIndex(2);
        QCOMPARE(env->messages.size(), 1);
        QCOMPARE(env->messages[0].icon, app::Icon::Critical);
        QCOMPARE(env->messages[0].title, app::title());
        QVERIFY(!env->messages[0].text.isEmpty());
    }

private:
    std::unique_ptr<TestEnv> env;
};

QTEST_MAIN(TestJygl)
#include "tst_jygl.moc"
