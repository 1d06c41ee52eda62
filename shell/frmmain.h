#pragma once
// The main window: menus, toolbar and status bar from which every window and every
// backup operation is started. It holds no data.
#include "shell/maincommands.h"

#include <QHash>
#include <QMainWindow>

class QLabel;
class QMenu;
class QTimer;
class QToolBar;
class QToolButton;

namespace shell {

class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    explicit FrmMain(QWidget* parent = nullptr);

    // The file that the current backup or restore operation writes.
    QString sdest;

    // Carries out a command as the menu does.
    void run(Command command);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolBar();
    QToolButton* addToolButton(const ToolButton& button);
    void buildStatusBar();
    void MDIForm_Load();
    void updateClock();

    // The toolbar's handlers: a button's key, a drop-down entry's key.
    void tbToolBar_ButtonClick(const QString& key);
    void tbToolBar_ButtonMenuClick(const QString& key);
    void runQuietly(Command command);
    // The menu shows what went wrong.
    void runFromMenu(Command command);

    void openWindow(Command command);
    void startHelp(bool fromToolBar);
    // A command whose window is not available is switched off wherever it appears.
    void disableCommand(Command command);

    QToolBar* tbToolBar = nullptr;
    QLabel* panels_[3] = {nullptr, nullptr, nullptr};
    QTimer* clock_ = nullptr;
    QHash<QString, Command> buttonKeys_;
    QHash<QString, Command> entryKeys_;
    QMultiHash<Command, QAction*> actions_;
    QMultiHash<Command, QToolButton*> buttons_;
};

} // namespace shell
