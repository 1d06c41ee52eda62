// Pictures of the program's windows for people to look at: run on a real display (Xvfb)
// by scripts/screenshot, it logs in with the first account and saves one PNG per window
// into the folder given as its argument.
#include "shell/app/chinese.h"
#include "shell/app/testing.h"
#include "shell/frmmain.h"
#include "shell/frmsplash.h"
#include "shell/startup.h"
#include "tests/common/pictures.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <cstdio>

namespace {

// The windows that the main window opens modally: the picture's name and the menu item
// that opens it. A new window gets a line here.
struct ModalShot {
    const char* picture;
    const char* menuItem;
};
const ModalShot kModalShots[] = {
    {"about", "mnuHelpAbout"}, {"swbb", "mnudatafinds"}, {"fwbb", "mnudatafindf"},
    {"htbb", "mnudatafindh"},  {"gdbb", "mnudatafindz"},
};

constexpr int kSettleMs = 400;

void settle(int ms = kSettleMs) {
    pictures::waitFor(ms);
}

// The screen's pixels under a rectangle, so that popups above the window are included.
void saveRect(const QRect& area, QWidget* fallback, const QString& name) {
    QScreen* screen = QGuiApplication::primaryScreen();
    QPixmap pm =
        screen ? screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()) : QPixmap();
    if (pm.isNull() && fallback)
        pm = fallback->grab();
    pictures::save(pm, name);
}

void saveWindow(QWidget* w, const QString& name) {
    w->raise();
    w->activateWindow();
    settle();
    saveRect(w->frameGeometry(), w, name);
}

void loginShot() {
    auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (!d) {
        pictures::fail(QStringLiteral("no login dialog"));
        return;
    }
    auto* combo = d->findChild<QComboBox*>(QStringLiteral("Combo1"));
    auto* password = d->findChild<QLineEdit*>(QStringLiteral("txtPassword"));
    combo->setCurrentIndex(0);
    // The first account's password is its name.
    password->setText(combo->currentText());
    saveWindow(d, QStringLiteral("login"));
    d->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
}

void mainShots(QWidget* main) {
    saveWindow(main, QStringLiteral("main"));
    auto* bar = main->findChild<QToolBar*>(QStringLiteral("tbToolBar"));
    auto* button = bar->findChild<QToolButton*>(QStringLiteral("数据处理"));
    QMenu* menu = button->menu();
    menu->popup(button->mapToGlobal(QPoint(0, button->height())));
    settle();
    saveRect(main->frameGeometry().united(menu->geometry()), main, QStringLiteral("main-menu"));
    menu->hide();
    settle(100);

    for (const ModalShot& shot : kModalShots) {
        auto* item = main->findChild<QAction*>(QString::fromLatin1(shot.menuItem));
        if (!item || !item->isEnabled()) {
            std::fprintf(stderr, "no window for %s\n", shot.picture);
            continue;
        }
        const QString picture = QString::fromLatin1(shot.picture);
        QTimer::singleShot(kSettleMs, main, [picture, main] {
            auto* w = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!w || w == main) {
                pictures::fail(picture + QStringLiteral(" did not open"));
                return;
            }
            saveWindow(w, picture);
            w->reject();
        });
        item->trigger();
    }
}

} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    app::useChineseTexts(application);
    if (!pictures::takeFolder(argc, argv))
        return 2;
    // A copy of the shipped files, the real clock; message boxes are answered at once.
    app::testing::TestEnv env(QStringLiteral(MARROWIN_SHIPPED_DIR), QDateTime());

    QTimer::singleShot(kSettleMs, &loginShot);
    QPointer<shell::FrmSplash> splash = shell::startUp();
    if (!splash) {
        std::fprintf(stderr, "login failed\n");
        return 1;
    }
    QWidget* main = nullptr;
    QObject::connect(splash, &shell::FrmSplash::mainWindowShown, [&](QWidget* w) { main = w; });
    saveWindow(splash, QStringLiteral("splash"));
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(200, 137),
                        splash->mapToGlobal(QPointF(200, 137)), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(splash, &release);
    if (!main) {
        std::fprintf(stderr, "the splash did not show the main window\n");
        return 1;
    }
    mainShots(main);
    delete main;
    return pictures::exitCode();
}
