// What the picture programs share: the folder named on their command line, saving one PNG
// per window into it, letting the windows paint, and an exit code that tells whether every
// picture was made. Not a test; the programs are run by hand or by scripts/screenshot.
#pragma once

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QPixmap>
#include <QString>
#include <QTimer>
#include <cstdio>

namespace pictures {

inline QString& folder() {
    static QString path;
    return path;
}

inline int& failures() {
    static int count = 0;
    return count;
}

// Takes the folder from the first argument and makes it; false, after the usage line,
// when none is given.
inline bool takeFolder(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return false;
    }
    folder() = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(folder());
    return true;
}

// A picture that could not be made is reported and counted, so that the others still are.
inline void fail(const QString& what) {
    std::fprintf(stderr, "%s\n", qPrintable(what));
    ++failures();
}

inline void save(const QPixmap& pm, const QString& name) {
    const QString file = QDir(folder()).filePath(name + QStringLiteral(".png"));
    if (pm.isNull() || !pm.save(file)) {
        fail(QStringLiteral("could not save ") + file);
        return;
    }
    std::printf("%s\n", qPrintable(file));
}

// Enough rounds of pending events for an offscreen window to lay itself out and paint.
inline void processPending() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

// On a real display the window manager and timers need real time, not just a few rounds.
inline void waitFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

inline int exitCode() {
    return failures() == 0 ? 0 : 1;
}

} // namespace pictures
