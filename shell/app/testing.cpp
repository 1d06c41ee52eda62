#include "shell/app/testing.h"

#include <QDir>
#include <QFile>
#include <QSettings>

namespace app::testing {

TestEnv::TestEnv(const QString& shippedDir, const QDateTime& now) {
    const QString d = tmp_.path();
    if (!shippedDir.isEmpty()) {
        for (const char* name : {"sys_kw.kwd", "sy.mdb", "dotoexcle.xlt"}) {
            const QString from = QDir(shippedDir).filePath(QString::fromLatin1(name));
            if (QFile::exists(from))
                QFile::copy(from, QDir(d).filePath(QString::fromLatin1(name)));
            QFile::setPermissions(QDir(d).filePath(QString::fromLatin1(name)),
                                  QFile::ReadOwner | QFile::WriteOwner);
        }
    }
    app::setAppDir(d);
    app::setNow(now);
    registryFile_ = QDir(d).filePath(QStringLiteral(".registry.ini"));
    settingsFile_ = QDir(d).filePath(QStringLiteral(".settings.ini"));
    app::setRegistryFile(registryFile_);
    app::setSettingsFile(settingsFile_);
    app::setMessageHandler([this](const MessageRequest& r) {
        messages.append(r);
        if (!answers.empty()) {
            const Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        return r.buttons == Buttons::YesNo ? Answer::No : Answer::Ok;
    });
    app::setFileDialogHandler([this](const FileDialogRequest& r) -> std::optional<QString> {
        fileDialogs.append(r);
        if (filePaths.empty())
            return std::nullopt;
        const bool chosen = filePaths.front().has_value();
        const QString path = chosen ? *filePaths.front() : QString();
        filePaths.pop_front();
        if (!chosen)
            return std::nullopt;
        return path;
    });
    app::setProgramStarter([this](const StartedProgram& p) {
        started.append(p);
        return startSucceeds;
    });
    app::setBeepHandler([this] { ++beeps; });
}

TestEnv::~TestEnv() {
    app::setMessageHandler({});
    app::setFileDialogHandler({});
    app::setProgramStarter({});
    app::setBeepHandler({});
    app::setNow(QDateTime());
    app::setAppDir(QString());
    app::setSettingsFile(QString());
    app::setCurrentUser(QString());
}

QString TestEnv::dir() const {
    return tmp_.path();
}
QString TestEnv::path(const QString& fileName) const {
    return QDir(tmp_.path()).filePath(fileName);
}

QStringList TestEnv::messageTexts() const {
    QStringList out;
    for (const auto& m : messages)
        out << m.text;
    return out;
}

void TestEnv::setNow(const QDateTime& now) {
    app::setNow(now);
}

void TestEnv::setRegistryValue(const QString& keyPath, const QString& name, const QString& value) {
    app::setRegistryFile(registryFile_);
    QSettings reg(registryFile_, QSettings::IniFormat);
    QString group = keyPath;
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    reg.setValue(group + QLatin1Char('/') + name, value);
    reg.sync();
}

void TestEnv::clearRegistry() {
    app::setRegistryFile(QString());
}

void TestEnv::setSetting(const QString& section, const QString& key, const QString& value) {
    QSettings s(settingsFile_, QSettings::IniFormat);
    s.setValue(section + QLatin1Char('/') + key, value);
    s.sync();
}

} // namespace app::testing
