// frmuser driven offscreen over a catalogue whose user table the test fills.

#include "admin/admin.h"
#include "shell/app/testing.h"
#include "store/connection.h"
#include "store/recordset.h"
#include "store/sqltext.h"

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

using app::Answer;
using app::testing::TestEnv;

namespace {

QString status(int position, int count) {
    return QStringLiteral("用户: %1      共%2个用户").arg(position).arg(count);
}

void setUsers(const QStringList& names) {
    auto c = store::openCatalogue();
    c->execute(QStringLiteral("delete from 用户管理"));
    for (const auto& n : names)
        c->execute(QStringLiteral("insert into 用户管理 (用户名,密码) values (%1,%2)")
                       .arg(store::sqlQuote(n), store::sqlQuote(n + QStringLiteral("-pw"))));
}

// The table's rows as name/password pairs, in the database's order.
QStringList storedUsers() {
    auto c = store::openCatalogue();
    store::Recordset rs;
    rs.open(QStringLiteral("select 用户名,密码 from 用户管理"), *c);
    QStringList out;
    for (int r = 0; r < rs.recordCount(); ++r)
        out << rs.textAt(r, 0) + QLatin1Char('/') + rs.textAt(r, 1);
    rs.close();
    return out;
}

// Typing as the keyboard does; the text may hold characters no key code stands for.
void type(QWidget* box, const QString& text) {
    for (const QChar ch : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(box, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(ch));
        QApplication::sendEvent(box, &release);
    }
}

const QStringList kFive{QStringLiteral("甲"), QStringLiteral("乙"), QStringLiteral("丙"),
                        QStringLiteral("丁"), QStringLiteral("戊")};

struct Window {
    std::unique_ptr<QDialog> dialog;
    explicit Window() : dialog(admin::createFrmuser(nullptr)) { dialog->show(); }
    template <class T> T* get(const char* name) const {
        auto* w = dialog->findChild<T*>(QString::fromLatin1(name));
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
    void click(const char* name) const { get<QPushButton>(name)->click(); }
    QString statusLine() const { return get<QLabel>("lblStatus")->text(); }
    QLineEdit* name() const { return get<QLineEdit>("txtFields(0)"); }
    QLineEdit* password() const { return get<QLineEdit>("txtFields(1)"); }
    bool editMode() const { return get<QPushButton>("cmdUpdate")->isVisible(); }
    void moveTo(int position) const {
        click("cmdFirst");
        for (int i = 1; i < position; ++i)
            click("cmdNext");
    }
    void retype(QLineEdit* box, const QString& text) const {
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        type(box, text);
    }
};

} // namespace

class TestFrmuser : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void layoutAndBrowseMode() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        setUsers(kFive);
        Window w;
        QCOMPARE(w.dialog->windowTitle(), QStringLiteral("用户管理窗口"));
        QCOMPARE(w.get<QPushButton>("cmdAdd")->text(), QStringLiteral("新建(&N)"));
        QCOMPARE(w.get<QPushButton>("cmdClose")->text(), QStringLiteral("关闭(&C)"));
        QCOMPARE(w.get<QPushButton>("cmdCancel")->text(), QStringLiteral("取消(&C)"));
        QCOMPARE(w.statusLine(), status(1, 5));
        QCOMPARE(w.name()->text(), QStringLiteral("甲"));
        QVERIFY(w.name()->isReadOnly());
        QCOMPARE(w.password()->text(), QStringLiteral("甲-pw"));
        QCOMPARE(w.password()->displayText(), QString(4, QLatin1Char('*')));
        QVERIFY(!w.editMode());
        QVERIFY(w.get<QPushButton>("cmdClose")->isVisible());
        w.click("cmdNext");
        QCOMPARE(w.statusLine(), status(2, 5));
        QCOMPARE(w.name()->text(), QStringLiteral("乙"));
    }

    void deletingTheLastUserIsRefused() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        setUsers({QStringLiteral("甲"), QStringLiteral("乙")});
        Window w;
        env.answer(Answer::Yes);
        w.click("cmdDelete");
        QCOMPARE(env.messageTexts(), QStringList{QStringLiteral("你确认要删除吗")});
        QCOMPARE(storedUsers(), QStringList{QStringLiteral("乙/乙-pw")});
        QCOMPARE(w.statusLine(), status(1, 1));
        env.clearMessages();
        env.answer(Answer::Yes);
        w.click("cmdDelete");
        QCOMPARE(env.messageTexts(), QStringList{QStringLiteral("最后一个用户不能删除！")});
        QCOMPARE(env.messages.first().icon, app::Icon::Exclamation);
        QCOMPARE(storedUsers(), QStringList{QStringLiteral("乙/乙-pw")});
    }

    void deletingTheLastRowMovesToTheNewLast() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        setUsers(kFive);
        Window w;
        w.click("cmdLast");
        env.answer(Answer::Yes);
        w.click("cmdDelete");
        QCOMPARE(w.statusLine(), status(4, 4));
        QCOMPARE(w.name()->text(), QStringLiteral("丁"));
    }

    void browseKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("beeps");
        const int none = Qt::NoModifier, ctrl = Qt::ControlModifier;
        QTest::newRow("Home") << int(Qt::Key_Home) << none << 1 << 0;
        QTest::newRow("End") << int(Qt::Key_End) << none << 5 << 0;
        QTest::newRow("Up") << int(Qt::Key_Up) << none << 2 << 0;
        QTest::newRow("PgUp") << int(Qt::Key_PageUp) << none << 2 << 0;
        QTest::newRow("Down") << int(Qt::Key_Down) << none << 4 << 0;
        QTest::newRow("PgDn") << int(Qt::Key_PageDown) << none << 4 << 0;
        QTest::newRow("Ctrl+Up") << int(Qt::Key_Up) << ctrl << 1 << 0;
        QTest::newRow("Ctrl+PgDn") << int(Qt::Key_PageDown) << ctrl << 5 << 0;
        QTest::newRow("Shift+Ctrl+Down is Down")
            << int(Qt::Key_Down) << int(Qt::ControlModifier | Qt::ShiftModifier) << 4 << 0;
    }
    void browseKeys() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, position);
        QFETCH(int, beeps);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        setUsers(kFive);
        Window w;
        w.moveTo(3);
        // Sent to the focused box: the window sees the key first.
        QTest::keyClick(w.name(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(w.statusLine(), status(position, 5));
        QCOMPARE(env.beeps, beeps);
        QVERIFY(w.dialog->isVisible());
    }

    void movingPastEitherEndBeepsAndStays() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        setUsers(kFive);
        Window w;
        w.click("cmdLast");
        QTest::keyClick(w.name(), Qt::Key_Down);
        QCOMPARE(env.beeps, 1);
        QCOMPARE(w.statusLine(), status(5, 5));
        w.click("cmdNext");
        QCOMPARE(env.beeps, 2);
        QCOMPARE(w.name()->text(), QStringLiteral("戊"));
        w.click("cmdFirst");
        w.click("cmdPrevious");
        QCOMPARE(env.beeps, 3);
        QCOMPARE(w.statusLine(), status(1, 5));
    }

    void escapeClosesOnlyInBrowseMode() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        setUsers(kFive);
        Window w;
        w.click("cmdEdit");
        QVERIFY(w.editMode());
        QVERIFY(!w.name()->isReadOnly());
        QVERIFY(!w.get<QPushButton>("cmdClose")->isVisible());
        for (const char* nav : {"cmdFirst", "cmdPrevious", "cmdNext", "cmdLast"})
            QVERIFY2(!w.get<QPushButton>(nav)->isEnabled(), nav);
        QTest::keyClick(w.name(), Qt::Key_Escape);
        QTest::keyClick(w.dialog.get(), Qt::Key_Escape);
        QTest::keyClick(w.name(), Qt::Key_Down);
        QVERIFY(w.dialog->isVisible());
        QVERIFY(w.editMode());
        QVERIFY(env.messages.isEmpty());
        QCOMPARE(env.beeps, 0);

        env.answer(Answer::Yes);
        w.click("cmdCancel");
        QTest::keyClick(w.name(), Qt::Key_Escape);
        QVERIFY(!w.dialog->isVisible());
    }

    void savingANewUserShowsTheLastRow() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        setUsers(kFive);
        Window w;
        w.moveTo(2);
        w.click("cmdAdd");
        QCOMPARE(w.statusLine(), QStringLiteral("添加记录"));
        QVERIFY(w.name()->text().isEmpty());
        type(w.name(), QStringLiteral("甲")); // a repeated name is allowed
        type(w.password(), QStringLiteral("secret"));
        w.click("cmdUpdate");
        QVERIFY(env.messages.isEmpty());
        QVERIFY(!w.editMode());
        QCOMPARE(w.statusLine(), status(6, 6));
        QCOMPARE(w.name()->text(), QStringLiteral("甲"));
        QCOMPARE(storedUsers().last(), QStringLiteral("甲/secret"));
    }

    void savingAnEditReturnsToItsPosition() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        setUsers(kFive);
        Window w;
        w.moveTo(3);
        w.click("cmdEdit");
        QCOMPARE(w.statusLine(), QStringLiteral("编辑记录"));
        w.retype(w.password(), QStringLiteral("new"));
        w.click("cmdUpdate");
        QCOMPARE(w.statusLine(), status(3, 5));
        QCOMPARE(w.name()->text(), QStringLiteral("丙"));
        QCOMPARE(storedUsers().at(2), QStringLiteral("丙/new"));
    }

    void emptyNameOrPasswordIsRefused_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("password");
        QTest::newRow("no name") << ""
                                 << "pw";
        QTest::newRow("blank name") << "   "
                                    << "pw";
        QTest::newRow("no password") << "新人"
                                     << "";
    }
    void emptyNameOrPasswordIsRefused() {
        QFETCH(QString, name);
        QFETCH(QString, password);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        setUsers(kFive);
        Window w;
        w.click("cmdAdd");
        type(w.name(), name);
        type(w.password(), password);
        w.click("cmdUpdate");
        QCOMPARE(env.messages.size(), 1);
        QCOMPARE(env.messages.first().icon, app::Icon::Exclamation);
        QVERIFY(w.editMode());
        QCOMPARE(w.statusLine(), QStringLiteral("添加记录"));
        QCOMPARE(storedUsers().size(), 5);

        // Editing an existing user into an empty password is refused the same way.
        env.answer(Answer::Yes);
        w.click("cmdCancel");
        env.clearMessages();
        w.click("cmdEdit");
        w.retype(w.password(), QString());
        w.click("cmdUpdate");
        QCOMPARE(env.messages.size(), 1);
        QVERIFY(w.editMode());
        QCOMPARE(storedUsers().first(), QStringLiteral("甲/甲-pw"));
    }

    void cancelReturnsToTheRowOfTheLastAdd() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        setUsers(kFive);
        Window w;
        // No 新建 yet: a cancelled edit goes to the first user.
        w.moveTo(3);
        w.click("cmdEdit");
        w.retype(w.name(), QStringLiteral("改过"));
        env.answer(Answer::No);
        w.click("cmdCancel");
        QVERIFY(w.editMode());
        env.answer(Answer::Yes);
        w.click("cmdCancel");
        QCOMPARE(env.messageTexts(), (QStringList(2, QStringLiteral("你要放弃修改吗?"))));
        QVERIFY(!w.editMode());
        QCOMPARE(w.statusLine(), status(1, 5));
        QCOMPARE(storedUsers(),
                 QStringList({"甲/甲-pw", "乙/乙-pw", "丙/丙-pw", "丁/丁-pw", "戊/戊-pw"}));

        // 新建 on the fourth user, cancelled: back on the fourth, the new row gone.
        w.moveTo(4);
        w.click("cmdAdd");
        type(w.name(), QStringLiteral("x"));
        env.answer(Answer::Yes);
        w.click("cmdCancel");
        QCOMPARE(w.statusLine(), status(4, 5));
        QCOMPARE(w.name()->text(), QStringLiteral("丁"));

        // A later edit elsewhere, cancelled, also returns to that remembered row.
        w.moveTo(2);
        w.click("cmdEdit");
        env.answer(Answer::Yes);
        w.click("cmdCancel");
        QCOMPARE(w.statusLine(), status(4, 5));
        QCOMPARE(storedUsers().size(), 5);
    }

    void closingFromTheTitleBarInEditModeAsks() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        setUsers(kFive);
        Window w;
        w.click("cmdAdd");
        type(w.name(), QStringLiteral("半途"));
        env.answer(Answer::No);
        w.dialog->close();
        QCOMPARE(env.messageTexts(), QStringList{QStringLiteral("你要放弃修改吗?")});
        QVERIFY(w.dialog->isVisible());
        QVERIFY(w.editMode());
        QCOMPARE(w.name()->text(), QStringLiteral("半途"));

        env.answer(Answer::Yes);
        w.dialog->close();
        QVERIFY(!w.dialog->isVisible());
        QCOMPARE(storedUsers().size(), 5);
    }

    void refreshReadsTheTableAfresh() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        setUsers(kFive);
        Window w;
        setUsers({QStringLiteral("新")});
        w.click("cmdRefresh");
        QCOMPARE(w.statusLine(), status(1, 1));
        QCOMPARE(w.name()->text(), QStringLiteral("新"));
    }
};

QTEST_MAIN(TestFrmuser)
#include "tst_frmuser.moc"
