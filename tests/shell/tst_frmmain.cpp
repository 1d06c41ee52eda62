// The main window: menus, toolbar, status bar, placement, the commands and the exit.
#include "shell/app/chinese.h"
#include "shell/app/testing.h"
#include "shell/frmmain.h"
#include "shell/maincommands.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QtTest>

using app::testing::TestEnv;
using shell::Command;

Q_DECLARE_METATYPE(shell::Command)

namespace {

// Records the windows the main window asks for; each is a real dialog that closes
// itself as soon as it is shown modally.
struct WindowLog {
    QList<Command> opened;
    QList<QPointer<QDialog>> windows;
    bool modalOwned = true;
    bool giveNothing = false;
    WindowLog() {
        shell::setWindowFactory([this](Command c, QWidget* owner) -> QDialog* {
            opened << c;
            if (giveNothing)
                return nullptr;
            auto* d = new QDialog(owner);
            windows << d;
            QTimer::singleShot(0, d, [this, d, owner] {
                modalOwned = modalOwned && QApplication::activeModalWidget() == d &&
                             d->parentWidget() == owner;
                d->reject();
            });
            return d;
        });
    }
    ~WindowLog() { shell::setWindowFactory({}); }
};

QAction* action(QWidget* w, const QString& name) {
    auto* a = w->findChild<QAction*>(name);
    if (!a)
        qWarning("no action %s", qPrintable(name));
    return a;
}
QToolButton* button(QWidget* w, const QString& key) {
    return w->findChild<QToolBar*>(QStringLiteral("tbToolBar"))->findChild<QToolButton*>(key);
}

} // namespace

class TestFrmMain : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        qApp->setQuitOnLastWindowClosed(false);
        app::useChineseTexts(*qApp);
    }

    void menuBarAsDesigned() {
        TestEnv env;
        shell::FrmMain w;
        QCOMPARE(w.windowTitle(), QStringLiteral("Vellora"));
        // menu name|caption, then item name|caption|shortcut ("-" a separator)
        const QStringList expected{"mnudata1|数据维护(&D)",
                                   "mnufilebackup|文件备份(&F)|Ctrl+F",
                                   "mnufilereturn|文件转入(&G)|Ctrl+G",
                                   "mnudatabackup|数据备份(&B)|Ctrl+B",
                                   "mnudatareturn|数据恢复(&R)|Ctrl+R",
                                   "mnuFileBar0|-",
                                   "mnuFileProperties|退出系统(&Q)|Ctrl+Q",
                                   "mnudata2|基本数据(&J)",
                                   "mnuuser|用户管理(&U)|Ctrl+U",
                                   "mnuEditBar0|-",
                                   "mnubm|单位编码(&M)...|Ctrl+M",
                                   "mnudata3|数据记录(&L)",
                                   "mnufiles|文件收文(&O)|Ctrl+O",
                                   "mnufilef|文件发文(&A)|Ctrl+A",
                                   "mnuht|合同协议(&T)|Ctrl+T",
                                   "mnuzl|档案数据(&Z)|Ctrl+Z",
                                   "mnuViewBar0|-",
                                   "mnujue|借阅记录(&L)|Ctrl+L",
                                   "mnudatafind|数据报表(&X)",
                                   "mnudatafinds|收文报表|",
                                   "mnudatafindf|发文报表|",
                                   "mnuViewBar1|-",
                                   "mnudatafindh|合同报表|",
                                   "mnudatafindz|档案报表|",
                                   "mnuda|归档管理(&V)",
                                   "mnuda1|收文归档|",
                                   "mnuda2|发文归档|",
                                   "mnuHelp|帮助(&H)",
                                   "mnuHelpContents|系统帮助(&H)|Ctrl+H",
                                   "mnuHelpBar0|-",
                                   "mnuHelpAbout|关于(&A) |"};
        QStringList actual;
        for (QAction* top : w.menuBar()->actions()) {
            QMenu* m = top->menu();
            actual << m->objectName() + "|" + m->title();
            for (QAction* a : m->actions())
                actual << (a->isSeparator()
                               ? a->objectName() + "|-"
                               : a->objectName() + "|" + a->text() + "|" +
                                     a->shortcut().toString(QKeySequence::PortableText));
        }
        QCOMPARE(actual, expected);
    }

    void toolBarAsDesigned() {
        TestEnv env;
        shell::FrmMain w;
        // caption|tooltip|entries (text=key)
        const QStringList expected{"文件备份|数据备份|",
                                   "文件更新|数据恢复|",
                                   "数据处理|数据处理|文件收文=文件收文,文件发文=文件发文,合同协议="
                                   "合同协议,档案数据=资料数据",
                                   "数据报表|数据报表|收文报表=收文查询,发文报表=发文查询,合同报表="
                                   "合同查询,档案报表=资料查询",
                                   "归档管理||收文归档=收文归档,发文归档=发文归档",
                                   "借阅记录|借阅记录|",
                                   "单位编码|单位编码|",
                                   "用户管理|用户管理|",
                                   "系统帮助|系统帮助|",
                                   "关于程序|关于程序|",
                                   "退出系统|退出系统|"};
        QStringList actual;
        auto* bar = w.findChild<QToolBar*>(QStringLiteral("tbToolBar"));
        for (QToolButton* b : bar->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly)) {
            if (b->property("key").isNull())
                continue;
            QCOMPARE(b->property("key").toString(), b->text());
            QCOMPARE(b->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
            QVERIFY(!b->icon().isNull());
            QStringList entries;
            if (b->menu()) {
                QCOMPARE(b->popupMode(), QToolButton::MenuButtonPopup);
                for (QAction* a : b->menu()->actions())
                    entries << a->text() + "=" + a->data().toString();
            }
            actual << b->text() + "|" + b->toolTip() + "|" + entries.join(",");
        }
        QCOMPARE(actual, expected);
    }

    void statusBar() {
        TestEnv env;
        app::setCurrentUser(QStringLiteral("张三"));
        shell::FrmMain w;
        const auto panel = [&](int i) {
            return w.findChild<QStatusBar*>(QStringLiteral("sbStatusBar"))
                ->findChild<QLabel*>(QStringLiteral("Panels(%1)").arg(i))
                ->text();
        };
        QCOMPARE(panel(1), QStringLiteral("当前用户是:张三"));
        QCOMPARE(panel(2), QStringLiteral("2004/3/5"));
        QCOMPARE(panel(3), QStringLiteral("14:23"));
        // The date and the time follow the clock by themselves.
        env.setNow(QDateTime(QDate(2004, 12, 31), QTime(9, 7, 0)));
        QTRY_COMPARE_WITH_TIMEOUT(panel(3), QStringLiteral("09:07"), 3000);
        QCOMPARE(panel(2), QStringLiteral("2004/12/31"));
    }

    void placement_data() {
        QTest::addColumn<QStringList>("stored"); // MainLeft, MainTop, MainWidth, MainHeight
        QTest::addColumn<QRect>("geometry");
        // 1000 and 6500 twips at 15 twips a pixel.
        QTest::newRow("nothing stored") << QStringList() << QRect(67, 67, 433, 433);
        QTest::newRow("all stored")
            << QStringList{"1500", "3000", "9000", "7500"} << QRect(100, 200, 600, 500);
        QTest::newRow("fractions")
            << QStringList{"1507.5", "30", "9000.2", "7500"} << QRect(101, 2, 600, 500);
        QTest::newRow("not numbers count as absent")
            << QStringList{"abc", "", "12px", "1e40"} << QRect(67, 67, 433, 433);
        QTest::newRow("one bad value")
            << QStringList{"1500", "x", "9000", "7500"} << QRect(100, 67, 600, 500);
    }
    void placement() {
        QFETCH(QStringList, stored);
        QFETCH(QRect, geometry);
        TestEnv env;
        const QStringList keys{"MainLeft", "MainTop", "MainWidth", "MainHeight"};
        for (int i = 0; i < stored.size(); ++i)
            env.setSetting(QStringLiteral("Settings"), keys[i], stored[i]);
        shell::FrmMain w;
        w.show();
        QCOMPARE(w.geometry(), geometry);
    }

    void commands_data() {
        QTest::addColumn<QString>("menuItem"); // the menu item, or "tb:" + a drop-down entry key
        QTest::addColumn<Command>("command");
        using C = Command;
        const QList<QPair<QString, C>> rows{
            {"mnuuser", C::Users},
            {"mnubm", C::Units},
            {"mnufiles", C::Incoming},
            {"mnufilef", C::Outgoing},
            {"mnuht", C::Contracts},
            {"mnuzl", C::ArchiveData},
            {"mnujue", C::Loans},
            {"mnudatafinds", C::IncomingReport},
            {"mnudatafindf", C::OutgoingReport},
            {"mnudatafindh", C::ContractReport},
            {"mnudatafindz", C::ArchiveReport},
            {"mnuda1", C::IncomingArchiving},
            {"mnuda2", C::OutgoingArchiving},
            {"mnuHelpAbout", C::About},
            {"tb:文件收文", C::Incoming},
            {"tb:文件发文", C::Outgoing},
            {"tb:合同协议", C::Contracts},
            {"tb:资料数据", C::ArchiveData},
            {"tb:收文查询", C::IncomingReport},
            {"tb:发文查询", C::OutgoingReport},
            {"tb:合同查询", C::ContractReport},
            {"tb:资料查询", C::ArchiveReport},
            {"tb:收文归档", C::IncomingArchiving},
            {"tb:发文归档", C::OutgoingArchiving},
            {"button:借阅记录", C::Loans},
            {"button:单位编码", C::Units},
            {"button:用户管理", C::Users},
            {"button:关于程序", C::About},
        };
        for (const auto& [name, c] : rows)
            QTest::newRow(qPrintable(name)) << name << c;
    }
    void commands() {
        QFETCH(QString, menuItem);
        QFETCH(Command, command);
        TestEnv env;
        WindowLog log;
        shell::FrmMain w;
        w.show();
        if (menuItem.startsWith("button:"))
            button(&w, menuItem.mid(7))->click();
        else
            action(&w, menuItem.startsWith("tb:") ? menuItem.mid(3) : menuItem)->trigger();
        QCOMPARE(log.opened, QList<Command>{command});
        // Shown modally, owned by the main window, and gone once closed.
        QVERIFY(log.modalOwned);
        QCOMPARE(log.windows.size(), 1);
        QVERIFY(!log.windows[0]);
        // A second opening makes a new window.
        if (!menuItem.startsWith("button:")) {
            action(&w, menuItem.startsWith("tb:") ? menuItem.mid(3) : menuItem)->trigger();
            QCOMPARE(log.opened.size(), 2);
        }
        QVERIFY(env.messages.isEmpty());
    }

    // The entries whose keys differ from their texts reach the real windows.
    void entriesOpenTheRealWindows_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("window");
        QTest::newRow("档案数据") << "资料数据"
                                  << "gdsj";
        QTest::newRow("档案报表") << "资料查询"
                                  << "gdbb";
        QTest::newRow("收文报表") << "收文查询"
                                  << "swbb";
    }
    void entriesOpenTheRealWindows() {
        QFETCH(QString, key);
        QFETCH(QString, window);
        TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR));
        shell::FrmMain w;
        w.show();
        QString opened;
        QWidget* owner = nullptr;
        QTimer::singleShot(0, [&] {
            if (auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                opened = d->objectName();
                owner = d->parentWidget();
                d->reject();
            }
        });
        action(&w, key)->trigger();
        if (opened.isEmpty() && !action(&w, key)->isEnabled())
            QSKIP("that window is not built yet");
        QCOMPARE(opened, window);
        QCOMPARE(owner, &w);
    }

    void dropDownMainPartsDoNothing() {
        TestEnv env;
        WindowLog log;
        shell::FrmMain w;
        w.show();
        for (const char* key : {"数据处理", "数据报表", "归档管理"}) {
            QToolButton* b = button(&w, QString::fromUtf8(key));
            QVERIFY(b);
            // A click on the main part, not the arrow.
            QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(4, b->height() / 2));
            b->click();
        }
        QVERIFY(log.opened.isEmpty());
        QVERIFY(env.messages.isEmpty());
        QVERIFY(env.started.isEmpty());
    }

    void unavailableWindowDisablesItsCommand() {
        TestEnv env;
        WindowLog log;
        log.giveNothing = true;
        shell::FrmMain w;
        action(&w, "mnuzl")->trigger();
        QCOMPARE(log.opened, QList<Command>{Command::ArchiveData});
        QVERIFY(!action(&w, "mnuzl")->isEnabled());
        QVERIFY(!action(&w, "资料数据")->isEnabled());
        QVERIFY(action(&w, "mnufiles")->isEnabled());
        QVERIFY(env.messages.isEmpty());
    }

    void exitQuestion_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("menu") << "menu";
        QTest::newRow("toolbar") << "toolbar";
        QTest::newRow("title bar") << "close";
    }
    void exitQuestion() {
        QFETCH(QString, how);
        TestEnv env;
        shell::FrmMain w;
        w.show();
        const auto closeIt = [&] {
            if (how == "menu")
                action(&w, "mnuFileProperties")->trigger();
            else if (how == "toolbar")
                button(&w, QStringLiteral("退出系统"))->click();
            else
                w.close();
        };
        env.answer(app::Answer::No);
        closeIt();
        QVERIFY(w.isVisible());
        QCOMPARE(env.messages.size(), 1);
        QCOMPARE(env.messages[0].text, QStringLiteral("你要退出程序吗？"));
        QCOMPARE(env.messages[0].title, QStringLiteral("提示"));
        QCOMPARE(env.messages[0].icon, app::Icon::Question);
        QCOMPARE(env.messages[0].buttons, app::Buttons::YesNo);
        env.answer(app::Answer::Yes);
        closeIt();
        QVERIFY(!w.isVisible());
        QCOMPARE(env.messages.size(), 2);
    }

    void help() {
        TestEnv env;
        shell::FrmMain w;
        const QString path = app::appPath(QStringLiteral("Help.exe"));
        env.startSucceeds = false;
        action(&w, "mnuHelpContents")->trigger();
        QCOMPARE(env.started.size(), 1);
        QCOMPARE(env.started[0].program, path);
        QVERIFY(env.started[0].args.isEmpty());
        QCOMPARE(env.started[0].style, app::WindowStyle::Normal);
        QCOMPARE(env.messages.size(), 1);
        QVERIFY(env.messages[0].text.contains(path));

        button(&w, QStringLiteral("系统帮助"))->click();
        QCOMPARE(env.started.size(), 2);
        QCOMPARE(env.started[1].program, path);
        QCOMPARE(env.started[1].style, app::WindowStyle::Minimized);
        QCOMPARE(env.messages.size(), 1);

        env.startSucceeds = true;
        action(&w, "mnuHelpContents")->trigger();
        QCOMPARE(env.started.size(), 3);
        QCOMPARE(env.messages.size(), 1);
    }

    void chineseTexts() {
        QCOMPARE(QLocale().toString(QDate(2004, 5, 12), QLocale::ShortFormat),
                 QStringLiteral("2004/5/12"));
        const QString yes = QCoreApplication::translate("QPlatformTheme", "&Yes");
        QVERIFY2(yes != QStringLiteral("&Yes"), qPrintable(yes));
        QVERIFY(yes.contains(QStringLiteral("是")));
    }
};

QTEST_MAIN(TestFrmMain)
#include "tst_frmmain.moc"
