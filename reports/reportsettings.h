#pragma once
// The texts and report parameters of the report windows, and their selection texts.
// Every value typed by the user passes through the escaping helper before it stands
// between quotes.

#include "reports/reportrun.h"

#include <QString>

namespace reports {

// The unit and retention period lists.
inline const QString kUnitListSql = QStringLiteral("select 发文单位 from 发文单位管理  ");
inline const QString kPeriodListSql = QStringLiteral("select 保管期限 from 选择项  ");

inline const QString kHintTitle = QStringLiteral("提示");
inline const QString kFillInAll = QStringLiteral("请把关键数据填写完整!");
inline const QString kYearForm = QStringLiteral("请填入年度数据如: 2000,2001等");
inline const QString kErrorTitle = QStringLiteral("错误");

// swbb and fwbb: one window, two configurations.
struct DocumentReportSettings {
    QString objectName; // "swbb"
    QString caption;
    QString frameCaption;
    QString table;
    QString exportClosing; // the piece after the unit on the export path
    QString printClosing;
    ReportParams params;
};
const DocumentReportSettings& swbbSettings();
const DocumentReportSettings& fwbbSettings();

QString documentSelection(const DocumentReportSettings& settings, const QString& year,
                          const QString& unit, ReportPath path);

// htbb
inline const QString kHtbbCaption = QStringLiteral("合同协议报表生成窗口");
inline const QString kHtbbFrameCaption = QStringLiteral("请输入要生成报表的合同协议关键数据");
inline constexpr int kContractYearLength = 4;
const ReportParams& contractReportParams();
QString contractSelection(const QString& year);

// gdbb
inline const QString kGdbbCaption = QStringLiteral("档案报表生成窗口");
inline const QString kGdbbVolumeFrameCaption =
    QStringLiteral("请输入要生成报表的关键数据(传统立卷)");
inline const QString kGdbbItemFrameCaption = QStringLiteral("请输入要生成报表的关键数据(新法立卷)");
const ReportParams& archiveReportParams();
QString archiveVolumeSelection(const QString& fonds, const QString& catalogue, const QString& file);
QString archiveItemSelection(const QString& year, const QString& unit, const QString& period);

} // namespace reports
