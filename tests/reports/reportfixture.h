#pragma once
// Rows for the report tests and the exported workbooks read back by xlrd.

#include <QJsonObject>
#include <QString>
#include <QStringList>

namespace reporttest {

void execute(const QString& sql);
void setUnits(const QStringList& units);

struct Document {
    QString serial;
    QString year;
    QString unit;
    QString number; // 文号
    QString title;
    QString issued; // 发文时间, ISO
    QString pages;
    QString remark;
    QString period = QStringLiteral("永久");
    QString fonds = {};
    QString catalogue = {};
    QString file = {};
};
// table: 文件收文库, 文件发文库 or 归档库
void addDocument(const QString& table, const Document& d);

struct Contract {
    QString serial;
    QString number;
    QString name;
    QString first;
    QString second;
    QString signedOn; // 签订日期, text as typed
    QString remark;
};
void addContract(const Contract& c);

// One worksheet as xlrd reads it: "cells" and "borders" keyed "row,column" from 1,
// borders as [top, bottom, left, right] line styles.
QJsonObject readSheet(const QString& workbook, int sheet);
QString cellText(const QJsonObject& sheet, int row, int column);
QList<int> bordersOf(const QJsonObject& sheet, int row, int column);

// Gnumeric's ssconvert converts the workbook to CSV; what it wrote to stderr (empty when
// it had nothing to warn about), or a failure note.
QString ssconvertComplaints(const QString& workbook);

// The workbooks in a folder (.xls, not the template).
QStringList workbooksIn(const QString& dir);

} // namespace reporttest
