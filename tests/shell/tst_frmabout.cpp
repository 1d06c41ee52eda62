// The About box: its picture and buttons, and finding the system information tool.
#include "shell/app/testing.h"
#include "shell/frmabout.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

using app::testing::TestEnv;

namespace {

const QString kInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kNotAvailable = QStringLiteral("此时系统信息不可用");

void touch(const QString& path, bool executable = false) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write("#!/bin/sh\n");
    f.close();
    if (executable)
        f.setPermissions(f.permissions() | QFile::ExeOwner);
}

// PATH pointed at a folder of the test's own for the lifetime of the object.
struct SearchPath {
    QByteArray saved = qgetenv("PATH");
    explicit SearchPath(const QString& dir) { qputenv("PATH", QFile::encodeName(dir)); }
    ~SearchPath() { qputenv("PATH", saved); }
};

} // namespace

class TestFrmAbout : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { qApp->setQuitOnLastWindowClosed(false); }

    void layout() {
        TestEnv env;
        shell::FrmAbout d;
        QCOMPARE(d.windowTitle(), QStringLiteral("关于 Marrowin"));
        auto* ok = d.findChild<QPushButton*>(QStringLiteral("cmdOK"));
        QCOMPARE(ok->text(), QStringLiteral("确定"));
        QVERIFY(ok->isDefault());
        QCOMPARE(d.findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->text(),
                 QStringLiteral("系统信息(&S).."));
        const auto labels = d.findChildren<QLabel*>();
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels[0]->pixmap().size(), QSize(400, 274));
        QVERIFY(labels[0]->text().isEmpty());
        QVERIFY(!(d.windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(!(d.windowFlags() & Qt::WindowMaximizeButtonHint));
    }

    void keysClose_data() {
        QTest::addColumn<int>("key");
        QTest::newRow("enter") << int(Qt::Key_Return);
        QTest::newRow("keypad enter") << int(Qt::Key_Enter);
        QTest::newRow("esc") << int(Qt::Key_Escape);
    }
    void keysClose() {
        QFETCH(int, key);
        TestEnv env;
        shell::FrmAbout d;
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.findChild<QPushButton*>(QStringLiteral("cmdOK"))->setFocus();
        QTest::keyClick(&d, Qt::Key(key));
        QVERIFY(!d.isVisible());
        QVERIFY(env.messages.isEmpty());
    }

    void okCloses() {
        TestEnv env;
        shell::FrmAbout d;
        d.show();
        d.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
        QVERIFY(!d.isVisible());
    }

    // registry: "first", "second", "both", "none", "unreadable"; tool: a file in the
    // second key's folder; onPath: a Linux tool on PATH.
    void startSysInfo_data() {
        QTest::addColumn<QString>("registry");
        QTest::addColumn<bool>("toolInFolder");
        QTest::addColumn<bool>("onPath");
        QTest::addColumn<bool>("startSucceeds");
        QTest::addColumn<QString>("expectStarted"); // "first", "second", "path" or ""
        QTest::newRow("first key names the tool") << "first" << false << false << true << "first";
        QTest::newRow("first key wins over the second")
            << "both" << true << true << true << "first";
        QTest::newRow("second key, tool in its folder")
            << "second" << true << false << true << "second";
        QTest::newRow("second key, no tool in its folder")
            << "second" << false << false << true << "";
        QTest::newRow("no keys, nothing on PATH") << "none" << false << false << true << "";
        QTest::newRow("unreadable registry") << "unreadable" << false << false << true << "";
        QTest::newRow("no keys, a tool on PATH") << "none" << false << true << true << "path";
        QTest::newRow("second key without tool, a tool on PATH")
            << "second" << false << true << true << "path";
        QTest::newRow("unreadable registry, a tool on PATH")
            << "unreadable" << false << true << true << "path";
        QTest::newRow("start fails") << "first" << false << false << false << "first";
    }
    void startSysInfo() {
        QFETCH(QString, registry);
        QFETCH(bool, toolInFolder);
        QFETCH(bool, onPath);
        QFETCH(bool, startSucceeds);
        QFETCH(QString, expectStarted);
        TestEnv env;
        env.startSucceeds = startSucceeds;
        QTemporaryDir folder, bin;
        const QString first = QDir(folder.path()).filePath(QStringLiteral("msinfo32.exe"));
        if (toolInFolder)
            touch(QDir(folder.path()).filePath(QStringLiteral("MSINFO32.EXE")));
        if (onPath)
            touch(QDir(bin.path()).filePath(QStringLiteral("hardinfo")), true);
        SearchPath path(bin.path());
        if (registry == "first" || registry == "both")
            env.setRegistryValue(kInfoKey, QStringLiteral("PATH"), first);
        if (registry == "second" || registry == "both")
            env.setRegistryValue(kLocationKey, QStringLiteral("MSINFO"), folder.path());
        if (registry == "unreadable")
            env.clearRegistry();

        shell::FrmAbout d;
        d.findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->click();

        QString want;
        if (expectStarted == "first")
            want = first;
        else if (expectStarted == "second")
            want = QDir(folder.path()).filePath(QStringLiteral("MSINFO32.EXE"));
        else if (expectStarted == "path")
            want = QDir(bin.path()).filePath(QStringLiteral("hardinfo"));
        if (want.isEmpty()) {
            QVERIFY(env.started.isEmpty());
        } else {
            QCOMPARE(env.started.size(), 1);
            QCOMPARE(env.started[0].program, want);
            QVERIFY(env.started[0].args.isEmpty());
            QCOMPARE(env.started[0].style, app::WindowStyle::Normal);
        }
        const bool failed = want.isEmpty() || !startSucceeds;
        QCOMPARE(env.messages.size(), failed ? 1 : 0);
        if (failed) {
            QCOMPARE(env.messages[0].text, kNotAvailable);
            QCOMPARE(env.messages[0].icon, app::Icon::None);
            QCOMPARE(env.messages[0].buttons, app::Buttons::Ok);
            QCOMPARE(env.messages[0].title, QStringLiteral("Marrowin"));
        }
    }

    void getKeyValue() {
        TestEnv env;
        QString value = QStringLiteral("stale");
        QVERIFY(!shell::FrmAbout::GetKeyValue(shell::FrmAbout::KeyRoot::LocalMachine, kInfoKey,
                                              QStringLiteral("PATH"), value));
        QVERIFY(value.isEmpty());
        env.setRegistryValue(kInfoKey, QStringLiteral("PATH"), QStringLiteral("C:\\a b\\x.exe"));
        QVERIFY(shell::FrmAbout::GetKeyValue(shell::FrmAbout::KeyRoot::LocalMachine, kInfoKey,
                                             QStringLiteral("PATH"), value));
        QCOMPARE(value, QStringLiteral("C:\\a b\\x.exe"));
        QVERIFY(!shell::FrmAbout::GetKeyValue(shell::FrmAbout::KeyRoot::LocalMachine, kInfoKey,
                                              QStringLiteral("Other"), value));
        QVERIFY(value.isEmpty());
    }
};

QTEST_MAIN(TestFrmAbout)
#include "tst_frmabout.moc"
