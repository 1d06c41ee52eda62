#pragma once
// Test doubles for the process-wide services. A TestEnv, made at the start of a test,
// gives a temporary application directory holding fresh copies of the shipped files, a
// fixed clock, an empty settings store and registry, and answers every message box and
// file dialog from scripts; its destructor puts everything back.

#include "shell/app/app.h"
#include "shell/app/ui.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <deque>
#include <optional>

namespace app::testing {

class TestEnv {
public:
    // shippedDir: the build's application directory (MARROWIN_SHIPPED_DIR in tests); its
    // sys_kw.kwd, sy.mdb and dotoexcle.xlt are copied into the temporary directory.
    explicit TestEnv(const QString& shippedDir = QString(),
                     const QDateTime& now = QDateTime(QDate(2004, 3, 5), QTime(14, 23, 5)));
    ~TestEnv();
    TestEnv(const TestEnv&) = delete;
    TestEnv& operator=(const TestEnv&) = delete;

    QString dir() const;
    QString path(const QString& fileName) const;

    // Message boxes: each is recorded; the answer is the next scripted one, or Ok for an
    // OK box and No for a Yes/No box when the script is empty.
    QList<MessageRequest> messages;
    std::deque<Answer> answers;
    void answer(Answer a) { answers.push_back(a); }
    // The texts of the recorded boxes, for short assertions.
    QStringList messageTexts() const;
    void clearMessages() { messages.clear(); }

    // File dialogs: each is recorded; the next scripted path is returned, or a cancel when
    // the script is empty (a scripted std::nullopt is a cancel too).
    QList<FileDialogRequest> fileDialogs;
    std::deque<std::optional<QString>> filePaths;
    void choose(const std::optional<QString>& path) { filePaths.push_back(path); }

    // Programs started (nothing really starts); startSucceeds decides the result.
    QList<StartedProgram> started;
    bool startSucceeds = true;

    int beeps = 0;

    void setNow(const QDateTime& now);
    // A registry file under the temporary directory, with the given values under
    // group/key ("SOFTWARE/Microsoft/Shared Tools/MSINFO", "PATH"); clearRegistry()
    // makes it unreadable.
    void setRegistryValue(const QString& keyPath, const QString& name, const QString& value);
    void clearRegistry();
    void setSetting(const QString& section, const QString& key, const QString& value);

private:
    QTemporaryDir tmp_;
    QString registryFile_;
    QString settingsFile_;
};

} // namespace app::testing
