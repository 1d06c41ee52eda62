#pragma once
// What the workbook tests share: the independent readers (xlrd, ssconvert), our own
// structural check, and the fixture templates made by other spreadsheet programs.

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace xlstest {

struct RunResult {
    int exitCode = -1;
    QByteArray out, err;
};

RunResult run(const QString& program, const QStringList& args, int timeoutMs = 300000);

// xlrd's reading of the workbook as JSON (see readback.py); a failure leaves "error".
QJsonObject readBack(const QString& path);
// ssconvert to CSV; returns its stderr (empty when it had nothing to warn about).
QString convertWarnings(const QString& path, QString* csv = nullptr);
// Our structural check; "ok" when nothing is wrong.
QString structureFaults(const QString& path);
bool hasTemplateRecord(const QString& path);
// Whether saving kept every record it had no reason to change; "ok" when it did.
QString changedRecords(const QString& templatePath, const QString& saved, int filledSheet);

QString fixtureDir(); // empty when the fixtures are not at hand
bool haveReaders();   // python3 with xlrd, and ssconvert

} // namespace xlstest
