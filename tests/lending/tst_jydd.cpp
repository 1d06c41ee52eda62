// The loan registration dialog jydd: the loan number proposal, the key filter, the
// checks in their order and the row it writes.

#include "lending/jydd.h"
#include "lending/loanregisters.h"
#include "lendingfixture.h"
#include "shell/app/testing.h"
#include "store/error.h"

#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

using app::testing::TestEnv;
using namespace lendingtest;

namespace {

// The loan list of an open loan management window, as the dialog meets it.
struct Loans {
    Loans() : connection(store::catalogueConnectionString()) {
        rs.open(QString::fromUtf8(lending::kLoanQuery), connection);
    }
    store::Connection connection;
    store::Recordset rs;
};

struct Dialog {
    explicit Dialog(store::Recordset& loans) : d(loans) {
        d.load();
        d.text1(2)->setText(QStringLiteral("年度总结"));
        d.text1(3)->setText(QStringLiteral("S2004-15"));
    }
    QLineEdit* box(int i) { return d.text1(i); }
    QString number() { return box(0)->text() + QLatin1Char('-') + box(1)->text(); }
    QString info() { return d.findChild<QLabel*>(QStringLiteral("Label4"))->text(); }
    void ok() { d.findChild<QPushButton*>(QStringLiteral("Command1"))->click(); }
    void fill(const QString& quantity, const QString& borrower) {
        box(8)->setText(quantity);
        box(9)->setText(borrower);
    }
    lending::Jydd d;
};

} // namespace

class TestJydd : public QObject {
    Q_OBJECT
private slots:
    void init() {
        env = std::make_unique<TestEnv>(QStringLiteral(MARROWIN_SHIPPED_DIR));
        app::setCurrentUser(QStringLiteral("管理员"));
        clearTables();
    }
    void cleanup() { env.reset(); }

    void controls() {
        Loans loans;
        Dialog dlg(loans.rs);
        QCOMPARE(dlg.d.windowTitle(), QStringLiteral("借阅确认"));
        QStringList labels;
        for (auto* l : dlg.d.findChildren<QLabel*>())
            labels << l->text();
        for (const char* t : {"借阅登记", "借阅编号:", "-", "文件资料编号:", "文件资料名:",
                              "经 办 人:", "借阅人:", "数量:", "借阅时间:", "备注:"})
            QVERIFY2(labels.contains(QString::fromUtf8(t)), t);
        QCOMPARE(dlg.d.findChild<QPushButton*>(QStringLiteral("Command1"))->text(),
                 QStringLiteral("确定(&Y)"));
        QCOMPARE(dlg.d.findChild<QPushButton*>(QStringLiteral("Command2"))->text(),
                 QStringLiteral("取消(&C)"));
        for (int i = 0; i <= 10; ++i)
            QVERIFY(dlg.d.findChild<QLineEdit*>(QStringLiteral("Text1(%1)").arg(i)));
        for (int i : {0, 1, 2, 3, 4, 5})
            QVERIFY2(dlg.box(i)->isReadOnly(), qPrintable(QString::number(i)));
        for (int i : {8, 9, 10})
            QVERIFY(!dlg.box(i)->isReadOnly());
        QCOMPARE(dlg.box(0)->maxLength(), 4);
        QCOMPARE(dlg.box(1)->maxLength(), 4);
        QCOMPARE(dlg.box(4)->text(), QStringLiteral("管理员"));
        QCOMPARE(dlg.box(5)->text(), QStringLiteral("2004年3月5日"));
        QCOMPARE(dlg.d.findChild<QDateEdit*>(QStringLiteral("DTPicker1"))->date(),
                 QDate(2004, 3, 5));
    }

    void proposal_data() {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QString>("proposed");
        QTest::addColumn<QString>("info");
        QTest::newRow("empty") << QStringList{} << QDate(2004, 3, 5) << "2004-0001"
                               << "当前借阅记录为空！";
        QTest::newRow("empty later year") << QStringList{} << QDate(2007, 1, 2) << "2007-0001"
                                          << "当前借阅记录为空！";
        QTest::newRow("next serial") << QStringList{"2004-0123"} << QDate(2004, 3, 5) << "2004-0124"
                                     << "上一次编号为:2004-0123";
        QTest::newRow("year part kept")
            << QStringList{"2004-0123"} << QDate(2005, 6, 1) << "2004-0124"
            << "上一次编号为:2004-0123";
        QTest::newRow("text order") << QStringList{"2004-0010", "2004-0009", "2003-0999"}
                                    << QDate(2004, 3, 5) << "2004-0011"
                                    << "上一次编号为:2004-0010";
        QTest::newRow("serial exhausted")
            << QStringList{"2004-9999", "2004-0001"} << QDate(2004, 3, 5) << "2005-0001"
            << "上一次编号为:2004-9999";
    }
    void proposal() {
        QFETCH(QStringList, stored);
        QFETCH(QDate, today);
        QFETCH(QString, proposed);
        QFETCH(QString, info);
        env->setNow(QDateTime(today, QTime(9, 0)));
        for (const QString& n : stored)
            addLoan(n, QStringLiteral("S2004-1"), QStringLiteral("借阅"));
        Loans loans;
        Dialog dlg(loans.rs);
        QCOMPARE(dlg.number(), proposed);
        QCOMPARE(dlg.info(), info);
        // The proposal is accepted as it stands.
        dlg.fill(QStringLiteral("1"), QStringLiteral("王五"));
        dlg.ok();
        QVERIFY2(env->messages.isEmpty(), qPrintable(env->messageTexts().join('|')));
        QCOMPARE(count(QStringLiteral("借阅记录库"), "借阅编号=" + quoted(proposed)), 1);
    }

    void keyFilter_data() {
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("year") << 0 << "2a0-b4"
                              << "204";
        QTest::newRow("serial") << 1 << "x12 "
                                << "12";
        QTest::newRow("item") << 3 << "S2004-1"
                              << "20041";
        QTest::newRow("borrower") << 9 << "S2004-1"
                                  << "S2004-1";
    }
    void keyFilter() {
        QFETCH(int, box);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        Loans loans;
        Dialog dlg(loans.rs);
        QLineEdit* b = dlg.box(box);
        // The filter holds even where the box would take typing.
        b->setReadOnly(false);
        b->setMaxLength(32767);
        b->clear();
        QTest::keyClicks(b, typed);
        QCOMPARE(b->text(), kept);
        QTest::keyClick(b, Qt::Key_Backspace);
        QCOMPARE(b->text(), kept.left(kept.size() - 1));
    }

    void checks_data() {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("borrower");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("focus");
        const QString badNumber = QStringLiteral("输入的编号不符合规则,重新确认");
        const QString zero = QStringLiteral("借阅数不能为零！重新输入");
        const QString noBorrower = QStringLiteral("借阅人不能为空！请重新输入");
        const int warn = int(app::Icon::Exclamation), err = int(app::Icon::Critical);
        QTest::newRow("serial 0000") << "0000"
                                     << ""
                                     << "" << badNumber << warn << "提示" << -1;
        QTest::newRow("serial short") << "001"
                                      << "1"
                                      << "王五" << badNumber << warn << "提示" << -1;
        QTest::newRow("quantity empty") << "0001"
                                        << ""
                                        << "" << zero << err << "" << 8;
        QTest::newRow("quantity 0") << "0001"
                                    << "0"
                                    << "王五" << zero << err << "" << 8;
        QTest::newRow("quantity letters") << "0001"
                                          << "abc"
                                          << "王五" << zero << err << "" << 8;
        QTest::newRow("quantity blanks 0.0") << "0001"
                                             << "  0.0x"
                                             << "王五" << zero << err << "" << 8;
        QTest::newRow("no borrower") << "0001"
                                     << "3本"
                                     << "" << noBorrower << err << "" << 9;
    }
    void checks() {
        QFETCH(QString, serial);
        QFETCH(QString, quantity);
        QFETCH(QString, borrower);
        QFETCH(QString, text);
        QFETCH(int, icon);
        QFETCH(QString, title);
        QFETCH(int, focus);
        Loans loans;
        Dialog dlg(loans.rs);
        dlg.d.show();
        QVERIFY(QTest::qWaitForWindowActive(&dlg.d));
        dlg.box(10)->setFocus();
        dlg.box(1)->setText(serial);
        dlg.fill(quantity, borrower);
        dlg.ok();
        QCOMPARE(env->messageTexts(), QStringList{text});
        QCOMPARE(int(env->messages[0].icon), icon);
        QCOMPARE(env->messages[0].title, title.isEmpty() ? app::title() : title);
        QCOMPARE(env->messages[0].buttons, app::Buttons::Ok);
        if (focus >= 0)
            QVERIFY(dlg.box(focus)->hasFocus());
        QVERIFY(dlg.d.isVisible());
        QCOMPARE(dlg.box(8)->text(), quantity);
        QCOMPARE(dlg.box(9)->text(), borrower);
        QCOMPARE(count(QStringLiteral("借阅记录库")), 0);
        QCOMPARE(loans.rs.recordCount(), 0);
    }

    void rowWritten() {
        addLoan(QStringLiteral("2004-0041"), QStringLiteral("S2004-1"), QStringLiteral("已还"));
        Loans loans;
        Dialog dlg(loans.rs);
        auto* picker = dlg.d.findChild<QDateEdit*>(QStringLiteral("DTPicker1"));
        picker->setDate(QDate(2004, 12, 31));
        QCOMPARE(dlg.box(5)->text(), QStringLiteral("2004年12月31日"));
        picker->setDate(QDate(2004, 3, 7));
        QCOMPARE(dlg.box(5)->text(), QStringLiteral("2004年3月7日"));
        dlg.fill(QStringLiteral(" 2.5册"), QStringLiteral("O'Neil"));
        dlg.box(10)->setText(QStringLiteral("急用"));
        dlg.ok();
        QVERIFY2(env->messages.isEmpty(), qPrintable(env->messageTexts().join('|')));
        QCOMPARE(dlg.d.result(), int(QDialog::Accepted));
        const QString n = QStringLiteral("2004-0042");
        QCOMPARE(loanValue(n, "文件资料编号").toString(), QStringLiteral("S2004-15"));
        QCOMPARE(loanValue(n, "文件资料名").toString(), QStringLiteral("年度总结"));
        QCOMPARE(loanValue(n, "数量").toDouble(), 2.5);
        QCOMPARE(loanValue(n, "借阅人").toString(), QStringLiteral("O'Neil"));
        QCOMPARE(loanValue(n, "经办人").toString(), QStringLiteral("管理员"));
        QCOMPARE(loanValue(n, "借阅时间").toDate(), QDate(2004, 3, 7));
        QCOMPARE(loanValue(n, "状态").toString(), QStringLiteral("借阅"));
        QCOMPARE(loanValue(n, "备注").toString(), QStringLiteral("急用"));
        QVERIFY(loanValue(n, "归还时间").toString().isEmpty());
        QVERIFY(loanValue(n, "流水号").toLongLong() > 0);
        // The loan list holds the new row without a re-query.
        QCOMPARE(loans.rs.recordCount(), 2);
    }

    void negativeQuantityIsStored() {
        Loans loans;
        Dialog dlg(loans.rs);
        dlg.fill(QStringLiteral("-2"), QStringLiteral("王五"));
        dlg.ok();
        QVERIFY(env->messages.isEmpty());
        QCOMPARE(loanValue(QStringLiteral("2004-0001"), "数量").toDouble(), -2.0);
    }

    // The database refuses the row: the failure is shown and the dialog keeps the input.
    void refusedWriteKeepsTheDialog() {
        Loans loans;
        Dialog dlg(loans.rs);
        dlg.d.show();
        exec(QStringLiteral("drop table 借阅记录库"));
        dlg.fill(QStringLiteral("1"), QStringLiteral("王五"));
        dlg.ok();
        QCOMPARE(env->messages.size(), 1);
        QCOMPARE(env->messages[0].icon, app::Icon::Critical);
        QVERIFY(!env->messages[0].text.isEmpty());
        QVERIFY(dlg.d.isVisible());
        QCOMPARE(dlg.d.result(), 0);
        QCOMPARE(dlg.box(9)->text(), QStringLiteral("王五"));
        QCOMPARE(loans.rs.recordCount(), 0);
    }

    void loadFailureThrows() {
        Loans loans;
        QFile::remove(env->path(QStringLiteral("sys_kw.kwd")));
        lending::Jydd d(loans.rs);
        QVERIFY_THROWS_EXCEPTION(store::DbError, d.load());
    }

private:
    std::unique_ptr<TestEnv> env;
};

QTEST_MAIN(TestJydd)
#include "tst_jydd.moc"
