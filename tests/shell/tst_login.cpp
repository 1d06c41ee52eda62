// The start-up: login rules, what ends the program, and the splash window.
#include "shell/app/testing.h"
#include "shell/frmlogin.h"
#include "shell/frmmain.h"
#include "shell/frmsplash.h"
#include "shell/startup.h"
#include "store/catalogue.h"
#include "usertable.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTimer>
#include <QtTest>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <unistd.h>

using app::testing::TestEnv;
using shelltest::User;

namespace {

const QString kWarning = QStringLiteral("输入登录信息不正确，请从新输入!");

// One press of OK: the list entry chosen (-1 leaves the selection), a name typed over
// the box's text (null: none), and the password typed.
struct Attempt {
    int entry = -1;
    QString typedName;
    QString password;
};
using Attempts = QList<Attempt>;

QDialog* loginDialog() {
    return qobject_cast<QDialog*>(QApplication::activeModalWidget());
}

// Runs the login with the script acting on the shown dialog; a script that leaves it
// open has it cancelled so that the test cannot hang.
bool login(const std::function<void(QDialog*)>& script, bool* leftOpen = nullptr) {
    QTimer::singleShot(0, [=] {
        QDialog* d = loginDialog();
        if (!d)
            return;
        script(d);
        if (QPointer<QDialog> still = loginDialog(); still && still->isVisible()) {
            if (leftOpen)
                *leftOpen = true;
            still->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
        }
    });
    return shell::runLogin();
}

// For a start-up run through to the splash: the shipped admin account, its password typed
// and Enter pressed, as soon as the login dialog shows.
void logInAsAdminWhenAsked() {
    QTimer::singleShot(0, [] {
        auto* pw = loginDialog()->findChild<QLineEdit*>(QStringLiteral("txtPassword"));
        QTest::keyClicks(pw, QStringLiteral("admin"));
        QTest::keyClick(pw, Qt::Key_Return);
    });
}

// Typed key by key where the test keyboard can (ASCII), otherwise as if pasted.
void type(QLineEdit* edit, const QString& text) {
    bool ascii = true;
    for (QChar c : text)
        ascii = ascii && c.unicode() < 0x80;
    if (ascii)
        QTest::keyClicks(edit, text);
    else
        edit->insert(text);
}

void press(QDialog* d, const Attempt& a) {
    auto* combo = d->findChild<QComboBox*>(QStringLiteral("Combo1"));
    auto* password = d->findChild<QLineEdit*>(QStringLiteral("txtPassword"));
    if (a.entry >= 0)
        combo->setCurrentIndex(a.entry);
    if (!a.typedName.isNull()) {
        combo->lineEdit()->clear();
        type(combo->lineEdit(), a.typedName);
    }
    password->clear();
    type(password, a.password);
    d->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
}

bool attempt(const Attempts& attempts) {
    bool leftOpen = false;
    const bool ok = login(
        [&](QDialog* d) {
            for (const Attempt& a : attempts) {
                if (!d->isVisible())
                    return;
                press(d, a);
            }
        },
        &leftOpen);
    return ok;
}

bool splashShown() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<shell::FrmSplash*>(w) && w->isVisible())
            return true;
    return false;
}

} // namespace

Q_DECLARE_METATYPE(Attempts)
Q_DECLARE_METATYPE(QList<User>)

class TestLogin : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { qApp->setQuitOnLastWindowClosed(false); }

    void dialogShowsTheUsers() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        shelltest::setUsers({{QStringLiteral("admin"), QStringLiteral("admin")},
                             {QStringLiteral("张三"), QStringLiteral("1")}});
        shell::FrmLogin d;
        QVERIFY(d.loaded());
        QCOMPARE(d.windowTitle(), QStringLiteral("程序登录"));
        auto* combo = d.findChild<QComboBox*>(QStringLiteral("Combo1"));
        QVERIFY(combo->isEditable());
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->currentText(), QStringLiteral("admin"));
        QCOMPARE(combo->itemText(1), QStringLiteral("张三"));
        auto* password = d.findChild<QLineEdit*>(QStringLiteral("txtPassword"));
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QCOMPARE(
            password->style()->styleHint(QStyle::SH_LineEdit_PasswordCharacter, nullptr, password),
            int('*'));
        QVERIFY(password->text().isEmpty());
        QVERIFY(d.findChild<QPushButton*>(QStringLiteral("cmdOK"))->isDefault());
        QCOMPARE(d.findChild<QPushButton*>(QStringLiteral("cmdOK"))->text(),
                 QStringLiteral("确定"));
        QCOMPARE(d.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->text(),
                 QStringLiteral("取消"));
        QStringList labels;
        for (auto* l : d.findChildren<QLabel*>())
            labels << l->text();
        QVERIFY(labels.contains(QStringLiteral("用户名(&U):")));
        QVERIFY(labels.contains(QStringLiteral("密  码(&P):")));
        QVERIFY(!d.OK);
    }

    void check_data() {
        QTest::addColumn<QList<User>>("users");
        QTest::addColumn<Attempts>("attempts");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("warnings");
        QTest::addColumn<QString>("user");
        const QString admin = QStringLiteral("admin");
        const QList<User> shipped{{admin, admin}};
        const QList<User> twins{{QStringLiteral("李"), QStringLiteral("one")},
                                {QStringLiteral("李"), QStringLiteral("two")}};
        const QList<User> two{{admin, admin}, {QStringLiteral("guest"), QStringLiteral("g")}};
        QTest::newRow("right first time")
            << shipped << Attempts{{-1, {}, admin}} << true << 0 << admin;
        QTest::newRow("right after two wrong")
            << shipped << Attempts{{-1, {}, "x"}, {-1, {}, "y"}, {-1, {}, admin}} << true << 2
            << admin;
        QTest::newRow("three wrong end it silently")
            << shipped << Attempts{{-1, {}, "x"}, {-1, {}, "y"}, {-1, {}, "z"}} << false << 2
            << QString();
        QTest::newRow("letter case differs")
            << shipped << Attempts{{-1, {}, "Admin"}, {-1, {}, "ADMIN"}, {-1, {}, "admiN"}} << false
            << 2 << QString();
        QTest::newRow("trailing blank")
            << shipped << Attempts{{-1, {}, "admin "}} << false << 1 << QString();
        QTest::newRow("leading blank")
            << shipped << Attempts{{-1, {}, " admin"}} << false << 1 << QString();
        QTest::newRow("full-width letters")
            << shipped << Attempts{{-1, {}, QStringLiteral("ａｄｍｉｎ")}} << false << 1
            << QString();
        QTest::newRow("row without password, nothing typed")
            << QList<User>{{admin, std::nullopt}} << Attempts{{-1, {}, ""}} << false << 1
            << QString();
        QTest::newRow("row without password, something typed")
            << QList<User>{{admin, std::nullopt}} << Attempts{{-1, {}, "null"}} << false << 1
            << QString();
        QTest::newRow("row with an empty password")
            << QList<User>{{admin, QString("")}} << Attempts{{-1, {}, ""}} << false << 1
            << QString();
        QTest::newRow("same name, second row's password at second entry")
            << twins << Attempts{{1, {}, "two"}} << true << 0 << QStringLiteral("李");
        QTest::newRow("same name, second row's password at first entry")
            << twins << Attempts{{0, {}, "two"}} << false << 1 << QString();
        QTest::newRow("same name, first row's password at second entry")
            << twins << Attempts{{1, {}, "one"}} << false << 1 << QString();
        QTest::newRow("second entry")
            << two << Attempts{{1, {}, "g"}} << true << 0 << QStringLiteral("guest");
        QTest::newRow("other user's password")
            << two << Attempts{{1, {}, admin}} << false << 1 << QString();
        QTest::newRow("typed name not in the list")
            << two << Attempts{{-1, QStringLiteral("nobody"), admin}} << false << 1 << QString();
        QTest::newRow("typed name edited from the chosen entry")
            << two << Attempts{{0, QStringLiteral("admi"), admin}} << false << 1 << QString();
        QTest::newRow("typed name equal to the chosen entry")
            << two << Attempts{{0, admin, admin}} << true << 0 << admin;
        QTest::newRow("typed names count towards the three")
            << two
            << Attempts{{-1, QStringLiteral("x"), "x"},
                        {-1, QStringLiteral("y"), "y"},
                        {0, admin, "z"}}
            << false << 2 << QString();
    }
    void check() {
        QFETCH(QList<User>, users);
        QFETCH(Attempts, attempts);
        QFETCH(bool, accepted);
        QFETCH(int, warnings);
        QFETCH(QString, user);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        shelltest::setUsers(users);
        QCOMPARE(attempt(attempts), accepted);
        QCOMPARE(env.messages.size(), warnings);
        for (const auto& m : env.messages) {
            QCOMPARE(m.text, kWarning);
            QCOMPARE(m.icon, app::Icon::Exclamation);
            QCOMPARE(m.buttons, app::Buttons::Ok);
            QCOMPARE(m.title, QStringLiteral("Marrowin"));
        }
        QCOMPARE(app::currentUser(), user);
    }

    void warningKeepsTheTextsAndFocusesThePassword() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        QString name, password;
        QWidget* focus = nullptr;
        login([&](QDialog* d) {
            d->findChild<QComboBox*>(QStringLiteral("Combo1"))->setFocus();
            press(d, {-1, {}, QStringLiteral("wrong")});
            name = d->findChild<QComboBox*>(QStringLiteral("Combo1"))->currentText();
            password = d->findChild<QLineEdit*>(QStringLiteral("txtPassword"))->text();
            focus = d->focusWidget();
        });
        QCOMPARE(env.messageTexts(), QStringList{kWarning});
        QCOMPARE(name, QStringLiteral("admin"));
        QCOMPARE(password, QStringLiteral("wrong"));
        QVERIFY(focus);
        QCOMPARE(focus->objectName(), QStringLiteral("txtPassword"));
    }

    void keys() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        QVERIFY(login([](QDialog* d) {
            auto* pw = d->findChild<QLineEdit*>(QStringLiteral("txtPassword"));
            QTest::keyClicks(pw, QStringLiteral("admin"));
            QTest::keyClick(pw, Qt::Key_Return);
        }));
        app::setCurrentUser(QString());
        bool leftOpen = false;
        QVERIFY(!login(
            [](QDialog* d) {
                auto* pw = d->findChild<QLineEdit*>(QStringLiteral("txtPassword"));
                QTest::keyClicks(pw, QStringLiteral("admin"));
                QTest::keyClick(pw, Qt::Key_Escape);
            },
            &leftOpen));
        QVERIFY(!leftOpen);
        QVERIFY(app::currentUser().isEmpty());
    }

    void endings_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("cancel") << 0;
        QTest::newRow("close box") << 1;
        QTest::newRow("three failures") << 2;
    }
    void endings() {
        QFETCH(int, how);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        QTimer::singleShot(0, [how] {
            QDialog* d = loginDialog();
            QVERIFY(d);
            if (how == 0)
                d->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
            else if (how == 1)
                d->close();
            else
                for (int i = 0; i < 3; ++i)
                    press(d, {-1, {}, QStringLiteral("no")});
        });
        QCOMPARE(shell::startUp(), nullptr);
        QVERIFY(!splashShown());
        QVERIFY(app::currentUser().isEmpty());
    }

    void splashStaysUntilAButtonIsReleased_data() {
        QTest::addColumn<Qt::MouseButton>("button");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::newRow("left") << Qt::LeftButton << Qt::KeyboardModifiers();
        QTest::newRow("right with shift")
            << Qt::RightButton << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("middle with ctrl")
            << Qt::MiddleButton << Qt::KeyboardModifiers(Qt::ControlModifier);
    }
    void splashStaysUntilAButtonIsReleased() {
        QFETCH(Qt::MouseButton, button);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        logInAsAdminWhenAsked();
        QPointer<shell::FrmSplash> splash = shell::startUp();
        QVERIFY(splash);
        QVERIFY(splash->isVisible());
        QCOMPARE(splash->size(), QSize(400, 274));
        QCOMPARE(app::currentUser(), QStringLiteral("admin"));
        QWidget* shown = nullptr;
        connect(splash, &shell::FrmSplash::mainWindowShown, this, [&](QWidget* w) { shown = w; });

        QTest::qWait(50);
        QTest::mousePress(splash, button, modifiers, QPoint(200, 137));
        QTest::mouseMove(splash, QPoint(100, 100));
        QVERIFY(splash->isVisible());
        QVERIFY(!shown);
        QTest::mouseRelease(splash, button, modifiers, QPoint(100, 100));
        QVERIFY(shown);
        QVERIFY(qobject_cast<shell::FrmMain*>(shown));
        QVERIFY(shown->isVisible());
        QTRY_VERIFY(!splash);
        auto* panel = shown->findChild<QLabel*>(QStringLiteral("Panels(1)"));
        QCOMPARE(panel->text(), QStringLiteral("当前用户是:admin"));
        delete shown;
    }

    // The real program quits when its last window closes: the login dialog going away
    // must not end it before the splash has been clicked, and the splash going must not
    // either, since the main window takes over.
    void programRunsOnAfterTheLogin() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        qApp->setQuitOnLastWindowClosed(true);
        logInAsAdminWhenAsked();
        QPointer<shell::FrmSplash> splash = shell::startUp();
        QVERIFY(splash);
        QWidget* main = nullptr;
        connect(splash, &shell::FrmSplash::mainWindowShown, this, [&](QWidget* w) { main = w; });
        QTimer::singleShot(200, splash, [&] { QTest::mouseClick(splash, Qt::LeftButton); });
        QTimer::singleShot(500, qApp, [&] {
            const bool ok = main && main->isVisible() && !splash;
            env.answer(app::Answer::Yes);
            QCoreApplication::exit(ok ? 7 : 8);
        });
        const int rc = QApplication::exec();
        qApp->setQuitOnLastWindowClosed(false);
        QCOMPARE(rc, 7);
        delete main;
    }

    // A second copy of the program on the same catalogue ends before its login; once the
    // first has gone, the next one starts. (A login dialog shown by mistake is cancelled
    // so that the test cannot hang.)
    void secondCopyEndsBeforeTheLogin() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        const auto lockedByAnother = [] {
            const int fd = ::open(QFile::encodeName(shell::instanceLockPath()).constData(),
                                  O_RDWR | O_CREAT | O_CLOEXEC, 0600);
            if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
                return fd;
            if (fd >= 0)
                ::close(fd);
            return -1;
        };
        const int first = lockedByAnother();
        QVERIFY(first >= 0);
        QTimer cancelLogin;
        cancelLogin.setSingleShot(true);
        bool asked = false;
        connect(&cancelLogin, &QTimer::timeout, this, [&] {
            if (QDialog* d = loginDialog()) {
                asked = true;
                d->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
            }
        });
        cancelLogin.start(0);
        QCOMPARE(shell::startUp(), nullptr);
        cancelLogin.stop();
        QVERIFY(!asked);
        QCOMPARE(env.messageTexts(),
                 QStringList{
                     QStringLiteral("本系统已经在运行，不能同时运行两个。请使用已经打开的窗口。")});
        QCOMPARE(env.messages[0].icon, app::Icon::Exclamation);

        ::close(first);
        logInAsAdminWhenAsked();
        QPointer<shell::FrmSplash> splash = shell::startUp();
        QVERIFY(splash);
        // This copy now holds the folder against the next.
        QCOMPARE(lockedByAnother(), -1);
        delete splash;
    }

    void catalogueCannotBeOpened_data() {
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<bool>("present");
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("not a database")
            << QByteArray("this is no database file at all", 31).repeated(200) << true;
    }
    void catalogueCannotBeOpened() {
        QFETCH(QByteArray, contents);
        QFETCH(bool, present);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        const QString path = env.path(QStringLiteral("sys_kw.kwd"));
        QFile::remove(path);
        if (present) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(contents);
        }
        const auto files = [&] {
            return QDir(env.dir()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
        };
        const QStringList before = files();
        QCOMPARE(shell::startUp(), nullptr);
        QCOMPARE(env.messages.size(), 1);
        QVERIFY2(env.messages[0].text.contains(path), qPrintable(env.messages[0].text));
        QCOMPARE(env.messages[0].icon, app::Icon::Critical);
        QVERIFY(!splashShown());
        // Nothing was written: no file appeared, the bad one is untouched.
        QCOMPARE(QFile::exists(path), present);
        if (present) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), contents);
        }
        QCOMPARE(files(), before);
    }

    void noUsersEndsTheProgram() {
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        shelltest::setUsers({});
        QCOMPARE(shell::startUp(), nullptr);
        QCOMPARE(env.messages.size(), 1);
        QVERIFY(env.messages[0].text.contains(QStringLiteral("用户")));
        QVERIFY(!splashShown());
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
