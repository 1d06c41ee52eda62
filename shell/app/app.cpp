#include "shell/app/app.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>

namespace app {
namespace {

struct State {
    QString currentUser;
    QString appDir;
    QDateTime fixedNow;
    QString settingsFile;
    bool registryOverridden = false;
    QString registryFile;
    std::function<bool(const StartedProgram&)> starter;
};

State& state() {
    static State s;
    return s;
}

// The registry stand-in: a system-scope settings file. An override names a file of
// its own; an empty override is a registry that cannot be read at all.
std::unique_ptr<QSettings> openRegistry() {
    const State& s = state();
    if (s.registryOverridden) {
        if (s.registryFile.isEmpty() || !QFileInfo(s.registryFile).isReadable())
            return nullptr;
        return std::make_unique<QSettings>(s.registryFile, QSettings::IniFormat);
    }
    auto reg = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::SystemScope,
                                           QStringLiteral("Marrowin"), QStringLiteral("registry"));
    if (reg->status() != QSettings::NoError)
        return nullptr;
    return reg;
}

} // namespace

QString title() {
    return QStringLiteral("Marrowin");
}

QString currentUser() {
    return state().currentUser;
}
void setCurrentUser(const QString& user) {
    state().currentUser = user;
}

QString appDir() {
    if (state().appDir.isEmpty())
        return QCoreApplication::applicationDirPath();
    return state().appDir;
}
void setAppDir(const QString& dir) {
    state().appDir = dir;
}

QString appPath(const QString& fileName) {
    QString dir = appDir();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir + fileName;
}

QDateTime now() {
    if (state().fixedNow.isValid())
        return state().fixedNow;
    return QDateTime::currentDateTime();
}
QDate today() {
    return now().date();
}
void setNow(const QDateTime& fixed) {
    state().fixedNow = fixed;
}

QString dateText(const QDate& d) {
    return QStringLiteral("%1年%2月%3日").arg(d.year()).arg(d.month()).arg(d.day());
}
QString ymdText(const QDate& d) {
    return QStringLiteral("%1-%2-%3").arg(d.year()).arg(d.month()).arg(d.day());
}
QString shortDate(const QDate& d) {
    return QLocale().toString(d, QLocale::ShortFormat);
}
QString longTime(const QTime& t) {
    return t.toString(QStringLiteral("H:mm:ss"));
}
QString shortTime(const QTime& t) {
    return QLocale().toString(t, QLocale::ShortFormat);
}
QString compactDate(const QDate& d) {
    return QString::number(d.year()) + QString::number(d.month()) + QString::number(d.day());
}

QString safeFileName(const QString& name) {
    QString out = name;
    for (QChar& c : out) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7f || QStringLiteral("/\\:*?\"<>|").contains(c))
            c = QLatin1Char('-');
    }
    return out;
}

double leadingNumber(const QString& text) {
    static const QRegularExpression number(
        QStringLiteral("^[ \\t]*([+-]?(?:\\d+\\.?\\d*|\\.\\d+))"));
    const auto m = number.match(text);
    if (!m.hasMatch())
        return 0.0;
    return m.captured(1).toDouble();
}

QString setting(const QString& application, const QString& section, const QString& key,
                const QString& defaultValue) {
    std::unique_ptr<QSettings> s;
    if (!state().settingsFile.isEmpty())
        s = std::make_unique<QSettings>(state().settingsFile, QSettings::IniFormat);
    else
        s = std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, application,
                                        application);
    return s->value(section + QLatin1Char('/') + key, defaultValue).toString();
}
void setSettingsFile(const QString& iniPath) {
    state().settingsFile = iniPath;
}

bool getKeyValue(const QString& keyName, const QString& subKeyRef, QString& keyVal) {
    keyVal.clear();
    auto reg = openRegistry();
    if (!reg)
        return false;
    QString group = keyName;
    group.replace(QLatin1Char('\\'), QLatin1Char('/'));
    reg->beginGroup(group);
    if (!reg->contains(subKeyRef))
        return false;
    QString value = reg->value(subKeyRef).toString();
    const qsizetype nul = value.indexOf(QChar(0));
    if (nul >= 0)
        value.truncate(nul);
    keyVal = value;
    return true;
}
void setRegistryFile(const QString& iniPath) {
    state().registryOverridden = true;
    state().registryFile = iniPath;
}

bool startProgram(const QString& program, const QStringList& args, WindowStyle style) {
    if (state().starter)
        return state().starter({program, args, style});
    return QProcess::startDetached(program, args);
}
void setProgramStarter(std::function<bool(const StartedProgram&)> starter) {
    state().starter = std::move(starter);
}

} // namespace app
