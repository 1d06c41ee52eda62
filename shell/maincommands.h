#pragma once
// The main window's commands and the tables of its menu bar and toolbar.
#include <QKeySequence>
#include <QList>
#include <QString>
#include <QStyle>
#include <functional>

class QDialog;
class QWidget;

namespace shell {

enum class Command {
    None,
    DocumentBackup,
    DocumentTransferIn,
    FullBackup,
    FullRestore,
    Exit,
    Users,
    Units,
    Incoming,
    Outgoing,
    Contracts,
    ArchiveData,
    Loans,
    IncomingReport,
    OutgoingReport,
    ContractReport,
    ArchiveReport,
    IncomingArchiving,
    OutgoingArchiving,
    HelpNormal,
    HelpMinimized,
    About,
};

struct MenuItem {
    QString name; // control name; an item without caption is a separator
    QString caption;
    QKeySequence shortcut;
    Command command = Command::None;
};
struct Menu {
    QString name;
    QString caption;
    QList<MenuItem> items;
};
// The menu bar, menus in their order.
const QList<Menu>& menuBar();

// A drop-down entry: the text shown and the key that selects the command.
struct DropDownEntry {
    QString text;
    QString key;
    Command command;
};
struct ToolButton {
    QString key; // also the caption
    QString toolTip;
    QStyle::StandardPixmap icon;
    Command command = Command::None; // None for a drop-down's main part
    QList<DropDownEntry> entries;    // a drop-down button when not empty
};
// The toolbar, buttons from left to right.
const QList<ToolButton>& toolBar();

// The commands that open a window of their own, and the factory making that window
// (nullptr when the command opens no window or the window is not available).
bool opensWindow(Command command);
QDialog* createWindow(Command command, QWidget* owner);
// Tests see which window a command asks for; an empty factory returns to the real ones.
void setWindowFactory(std::function<QDialog*(Command, QWidget*)> factory);

} // namespace shell
