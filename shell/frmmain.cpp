#include "shell/frmmain.h"

#include "shell/app/app.h"
#include "shell/app/ui.h"
#include "shell/backup/backupcommands.h"
#include "shell/placement.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <exception>

namespace shell {
namespace {

const QString kCaption = QStringLiteral("Vellora");
const QString kUserPanel = QStringLiteral("当前用户是:");
const QString kExitQuestion = QStringLiteral("你要退出程序吗？");
const QString kExitTitle = QStringLiteral("提示");
const QString kHelpFile = QStringLiteral("Help.exe");
const QString kHelpFailed = QStringLiteral("无法启动帮助程序：\n%1");
const QString kSettingsSection = QStringLiteral("Settings");
constexpr double kDefaultLeft = 1000, kDefaultTop = 1000;
constexpr double kDefaultWidth = 6500, kDefaultHeight = 6500;
constexpr int kClockIntervalMs = 1000;

} // namespace

FrmMain::FrmMain(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kCaption);
    buildMenus();
    buildToolBar();
    buildStatusBar();
    MDIForm_Load();
}

void FrmMain::buildMenus() {
    for (const Menu& m : shell::menuBar()) {
        QMenu* menu = menuBar()->addMenu(m.caption);
        menu->setObjectName(m.name);
        for (const MenuItem& item : m.items) {
            QAction* action = nullptr;
            if (item.caption.isEmpty()) {
                action = menu->addSeparator();
            } else {
                action = menu->addAction(item.caption);
                action->setShortcut(item.shortcut);
                const Command command = item.command;
                connect(action, &QAction::triggered, this,
                        [this, command] { runFromMenu(command); });
                actions_.insert(command, action);
            }
            action->setObjectName(item.name);
        }
    }
}

QToolButton* FrmMain::addToolButton(const ToolButton& b) {
    auto* button = new QToolButton(tbToolBar);
    button->setObjectName(b.key);
    button->setText(b.key);
    button->setProperty("key", b.key);
    button->setToolTip(b.toolTip);
    button->setIcon(style()->standardIcon(b.icon));
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    buttonKeys_.insert(b.key, b.command);
    const QString key = b.key;
    connect(button, &QToolButton::clicked, this, [this, key] { tbToolBar_ButtonClick(key); });
    if (!b.entries.isEmpty()) {
        // The arrow opens the entries; the main part only reports its own key, which
        // selects nothing.
        auto* menu = new QMenu(button);
        menu->setObjectName(b.key + QStringLiteral("ButtonMenus"));
        for (const DropDownEntry& e : b.entries) {
            QAction* entry = menu->addAction(e.text);
            entry->setObjectName(e.key);
            entry->setData(e.key);
            entryKeys_.insert(e.key, e.command);
            actions_.insert(e.command, entry);
            const QString entryKey = e.key;
            connect(entry, &QAction::triggered, this,
                    [this, entryKey] { tbToolBar_ButtonMenuClick(entryKey); });
        }
        button->setMenu(menu);
        button->setPopupMode(QToolButton::MenuButtonPopup);
    }
    tbToolBar->addWidget(button);
    return button;
}

void FrmMain::buildToolBar() {
    tbToolBar = addToolBar(QStringLiteral("tbToolBar"));
    tbToolBar->setObjectName(QStringLiteral("tbToolBar"));
    tbToolBar->setMovable(false);
    tbToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    tbToolBar->setIconSize(QSize(24, 24));
    for (const ToolButton& b : shell::toolBar()) {
        QToolButton* button = addToolButton(b);
        if (b.command != Command::None)
            buttons_.insert(b.command, button);
    }
}

void FrmMain::buildStatusBar() {
    QStatusBar* sbStatusBar = statusBar();
    sbStatusBar->setObjectName(QStringLiteral("sbStatusBar"));
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(sbStatusBar);
        panels_[i]->setObjectName(QStringLiteral("Panels(%1)").arg(i + 1));
        panels_[i]->setContentsMargins(4, 0, 4, 0);
    }
    sbStatusBar->addWidget(panels_[0], 1);
    sbStatusBar->addPermanentWidget(panels_[1]);
    sbStatusBar->addPermanentWidget(panels_[2]);
    clock_ = new QTimer(this);
    clock_->setObjectName(QStringLiteral("clock"));
    clock_->setInterval(kClockIntervalMs);
    connect(clock_, &QTimer::timeout, this, &FrmMain::updateClock);
    clock_->start();
    updateClock();
}

void FrmMain::updateClock() {
    const QDateTime now = app::now();
    panels_[1]->setText(app::shortDate(now.date()));
    panels_[2]->setText(app::shortTime(now.time()));
}

void FrmMain::MDIForm_Load() {
    const auto read = [](const char* key, double fallback) {
        const QString stored =
            app::setting(app::title(), kSettingsSection, QString::fromLatin1(key), QString());
        return twipsSetting(stored, fallback);
    };
    const double left = read("MainLeft", kDefaultLeft);
    const double top = read("MainTop", kDefaultTop);
    const double width = read("MainWidth", kDefaultWidth);
    const double height = read("MainHeight", kDefaultHeight);
    setGeometry(twipsRect(left, top, width, height));
    panels_[0]->setText(kUserPanel + app::currentUser());
    // The client area stays empty: no background picture.
    setCentralWidget(nullptr);
}

void FrmMain::tbToolBar_ButtonClick(const QString& key) {
    runQuietly(buttonKeys_.value(key, Command::None));
}

void FrmMain::tbToolBar_ButtonMenuClick(const QString& key) {
    runQuietly(entryKeys_.value(key, Command::None));
}

void FrmMain::runQuietly(Command command) {
    // The toolbar carries on past any failure of its commands.
    try {
        run(command);
    } catch (...) {
    }
}

void FrmMain::runFromMenu(Command command) {
    try {
        run(command);
    } catch (const std::exception& e) {
        app::inform(this, QString::fromUtf8(e.what()), app::Icon::Critical);
    }
}

void FrmMain::run(Command command) {
    switch (command) {
    case Command::None:
        return;
    case Command::DocumentBackup:
        backup::documentBackup(this, sdest);
        return;
    case Command::DocumentTransferIn:
        backup::documentTransferIn(this, sdest);
        return;
    case Command::FullBackup:
        backup::fullBackup(this, sdest);
        return;
    case Command::FullRestore:
        backup::fullRestore(this, sdest);
        return;
    case Command::Exit:
        close();
        return;
    case Command::HelpNormal:
        startHelp(false);
        return;
    case Command::HelpMinimized:
        startHelp(true);
        return;
    default:
        openWindow(command);
        return;
    }
}

void FrmMain::openWindow(Command command) {
    // Each opening makes the window afresh, so it loads its data anew.
    QPointer<QDialog> window = createWindow(command, this);
    if (!window) {
        disableCommand(command);
        return;
    }
    window->setWindowModality(Qt::ApplicationModal);
    window->exec();
    delete window.data();
}

void FrmMain::disableCommand(Command command) {
    for (QAction* action : actions_.values(command))
        action->setEnabled(false);
    for (QToolButton* button : buttons_.values(command))
        button->setEnabled(false);
}

void FrmMain::startHelp(bool fromToolBar) {
    const QString help = app::appPath(kHelpFile);
    if (fromToolBar) {
        app::startProgram(help, {}, app::WindowStyle::Minimized);
        return;
    }
    if (!app::startProgram(help, {}, app::WindowStyle::Normal))
        app::inform(this, kHelpFailed.arg(help), app::Icon::Exclamation);
}

void FrmMain::closeEvent(QCloseEvent* event) {
    if (app::confirm(this, kExitQuestion, kExitTitle))
        event->accept();
    else
        event->ignore();
}

} // namespace shell
