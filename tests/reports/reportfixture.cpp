#include "reportfixture.h"

#include "store/connection.h"
#include "store/sqltext.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>

namespace reporttest {
namespace {

QString serialColumn(const QString& table) {
    if (table == QStringLiteral("文件收文库"))
        return QStringLiteral("收文流水号");
    if (table == QStringLiteral("文件发文库"))
        return QStringLiteral("发文流水号");
    return QStringLiteral("流水号");
}

QString quoted(const QStringList& values) {
    QStringList out;
    for (const QString& v : values)
        out << store::sqlQuote(v);
    return out.join(QStringLiteral(", "));
}

} // namespace

void execute(const QString& sql) {
    auto connection = store::openCatalogue();
    connection->execute(sql);
}

void setUnits(const QStringList& units) {
    execute(QStringLiteral("delete * from 发文单位管理"));
    int code = 1;
    for (const QString& u : units)
        execute(QStringLiteral("insert into 发文单位管理 (发文单位, 单位编码) values (%1)")
                    .arg(quoted({u, QString::number(code++)})));
}

void addDocument(const QString& table, const Document& d) {
    execute(QStringLiteral("insert into %1 (%2, 年度, 责任者, 文号, 文件标题名, 发文时间, "
                           "文件页数, 保管期限, 全宗号, 案卷目录号, 案卷号, 备注) values (%3)")
                .arg(table, serialColumn(table),
                     quoted({d.serial, d.year, d.unit, d.number, d.title, d.issued, d.pages,
                             d.period, d.fonds, d.catalogue, d.file, d.remark})));
}

void addContract(const Contract& c) {
    execute(
        QStringLiteral("insert into 合同协议库 (合同流水号, 合同编号, 名称, 甲方, 乙方, "
                       "签订日期, 备注) values (%1)")
            .arg(quoted({c.serial, c.number, c.name, c.first, c.second, c.signedOn, c.remark})));
}

QJsonObject readSheet(const QString& workbook, int sheet) {
    QProcess python;
    python.start(QStringLiteral("/usr/bin/python3"),
                 {QStringLiteral(MARROWIN_SOURCE_DIR "/tests/reports/readback.py"), workbook,
                  QString::number(sheet)});
    if (!python.waitForFinished(60000) || python.exitCode() != 0) {
        qWarning() << "xlrd could not read" << workbook << python.readAllStandardError();
        return {};
    }
    return QJsonDocument::fromJson(python.readAllStandardOutput()).object();
}

QString cellText(const QJsonObject& sheet, int row, int column) {
    const QJsonValue v = sheet.value(QStringLiteral("cells"))
                             .toObject()
                             .value(QStringLiteral("%1,%2").arg(row).arg(column));
    if (v.isDouble())
        return QString::number(v.toDouble(), 'g', 15);
    return v.toString();
}

QList<int> bordersOf(const QJsonObject& sheet, int row, int column) {
    const QJsonArray a = sheet.value(QStringLiteral("borders"))
                             .toObject()
                             .value(QStringLiteral("%1,%2").arg(row).arg(column))
                             .toArray();
    if (a.isEmpty())
        return {0, 0, 0, 0};
    QList<int> out;
    for (const QJsonValue& v : a)
        out << v.toInt();
    return out;
}

QString ssconvertComplaints(const QString& workbook) {
    QProcess ssconvert;
    ssconvert.start(QStringLiteral("ssconvert"), {workbook, workbook + QStringLiteral(".csv")});
    if (!ssconvert.waitForFinished(60000) || ssconvert.exitCode() != 0)
        return QStringLiteral("ssconvert failed: ") + ssconvert.readAllStandardError();
    QFile::remove(workbook + QStringLiteral(".csv"));
    return QString::fromLocal8Bit(ssconvert.readAllStandardError()).trimmed();
}

QStringList workbooksIn(const QString& dir) {
    return QDir(dir).entryList({QStringLiteral("*.xls")}, QDir::Files, QDir::Name);
}

} // namespace reporttest
