#include "shell/startup.h"

#include "shell/app/app.h"
#include "shell/app/ui.h"
#include "shell/frmlogin.h"
#include "shell/frmsplash.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace shell {

namespace {

const QString kAlreadyRunning =
    QStringLiteral("本系统已经在运行，不能同时运行两个。请使用已经打开的窗口。");

// One copy of the program at a time works on the catalogue of a folder: a second copy's
// connections would go on reading a catalogue that a restore has replaced, and what that
// copy wrote afterwards would be lost. The lock is the system's own lock on an open file,
// so it ends with the process however the process ends.
struct HeldLock {
    QString path;
    int fd = -1;
};

HeldLock& heldLock() {
    static HeldLock lock;
    return lock;
}

void releaseTheCatalogueFolder() {
    HeldLock& held = heldLock();
    if (held.fd < 0)
        return;
    ::close(held.fd);
    held = HeldLock{};
}

// False when another running copy holds the folder. Where no lock file can be made the
// program runs on: nothing else would stop it, and its catalogue says what is wrong.
bool holdTheCatalogueFolder() {
    const QString path = instanceLockPath();
    if (heldLock().fd >= 0 && heldLock().path == path)
        return true;
    releaseTheCatalogueFolder();
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        ::close(fd);
        return !held;
    }
    heldLock() = HeldLock{path, fd};
    return true;
}

} // namespace

QString instanceLockPath() {
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    const QByteArray folder = QFileInfo(app::appPath(QString())).absoluteFilePath().toUtf8();
    const QString hash = QString::fromLatin1(
        QCryptographicHash::hash(folder, QCryptographicHash::Sha1).toHex().left(16));
    return QDir(dir).filePath(QStringLiteral("marrowin-%1.lock").arg(hash));
}

bool runLogin() {
    FrmLogin login;
    if (!login.loaded())
        return false;
    login.exec();
    return login.OK;
}

FrmSplash* startUp() {
    if (!holdTheCatalogueFolder()) {
        app::inform(nullptr, kAlreadyRunning, app::Icon::Exclamation);
        return nullptr;
    }
    if (!runLogin()) {
        releaseTheCatalogueFolder();
        return nullptr;
    }
    auto* splash = new FrmSplash;
    splash->show();
    return splash;
}

} // namespace shell
