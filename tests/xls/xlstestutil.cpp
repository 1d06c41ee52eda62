#include "xlstestutil.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace xlstest {

namespace {
const QString python = QStringLiteral("/usr/bin/python3");
QString script(const char* name) {
    return QStringLiteral(MARROWIN_SOURCE_DIR "/tests/xls/") + QLatin1String(name);
}
} // namespace

RunResult run(const QString& program, const QStringList& args, int timeoutMs) {
    QProcess p;
    p.start(program, args);
    RunResult r;
    if (!p.waitForStarted(10000)) {
        r.err = "could not start " + program.toUtf8();
        return r;
    }
    p.waitForFinished(timeoutMs);
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QJsonObject readBack(const QString& path) {
    const RunResult r = run(python, {script("readback.py"), path});
    if (r.exitCode != 0)
        return QJsonObject{{QStringLiteral("error"), QString::fromUtf8(r.err)}};
    QJsonParseError e;
    const QJsonDocument doc = QJsonDocument::fromJson(r.out, &e);
    if (!doc.isObject())
        return QJsonObject{{QStringLiteral("error"), e.errorString()}};
    return doc.object();
}

QString convertWarnings(const QString& path, QString* csv) {
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("out.csv"));
    const RunResult r = run(QStringLiteral("ssconvert"), {path, target});
    if (csv) {
        QFile f(target);
        *csv = f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    QString err = QString::fromUtf8(r.err).trimmed();
    if (r.exitCode != 0 && err.isEmpty())
        err = QStringLiteral("ssconvert failed with %1").arg(r.exitCode);
    return err;
}

QString structureFaults(const QString& path) {
    const RunResult r = run(python, {script("checkbiff.py"), path});
    return QString::fromUtf8(r.out + r.err).trimmed();
}

bool hasTemplateRecord(const QString& path) {
    const RunResult r =
        run(python, {script("checkbiff.py"), QStringLiteral("--has-template"), path});
    return r.out.trimmed() == "template";
}

QString changedRecords(const QString& templatePath, const QString& saved, int filledSheet) {
    const RunResult r =
        run(python, {script("samerecords.py"), templatePath, saved, QString::number(filledSheet)});
    return QString::fromUtf8(r.out + r.err).trimmed();
}

QString fixtureDir() {
    const QString dir =
        QDir::cleanPath(QStringLiteral(MARROWIN_SOURCE_DIR "/../shared/fixtures/templates"));
    return QFileInfo::exists(dir + QStringLiteral("/libreoffice.xlt")) ? dir : QString();
}

bool haveReaders() {
    return QFileInfo::exists(python) &&
           run(python, {QStringLiteral("-c"), QStringLiteral("import xlrd")}).exitCode == 0 &&
           !QStandardPaths::findExecutable(QStringLiteral("ssconvert")).isEmpty();
}

} // namespace xlstest
