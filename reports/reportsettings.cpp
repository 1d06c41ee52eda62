#include "reports/reportsettings.h"

#include "store/sqltext.h"

namespace reports {
namespace {

const QStringList kDocumentColumns = {
    QStringLiteral("责任者"),   QStringLiteral("文号"),     QStringLiteral("文件标题名"),
    QStringLiteral("文件页数"), QStringLiteral("发文时间"), QStringLiteral("备注"),
};

const QStringList kYearAndUnit = {QStringLiteral("年度"), QStringLiteral("责任者")};

ReportParams documentParams(const QString& suffix, const QString& exportMessage,
                            const QString& printMessage) {
    ReportParams p;
    p.worksheet = 1;
    p.recordColumns = kDocumentColumns;
    p.stampColumn = 5;
    p.lastFramedColumn = 7;
    p.fileNameParts = kYearAndUnit;
    p.suffix = suffix;
    p.exportMessage = exportMessage;
    p.printMessage = printMessage;
    return p;
}

} // namespace

const DocumentReportSettings& swbbSettings() {
    static const DocumentReportSettings s{
        QStringLiteral("swbb"),
        QStringLiteral("文件收文生成报表窗口"),
        QStringLiteral("请输入要生成收文报表的相关数据"),
        QStringLiteral("文件收文库"),
        QStringLiteral("'  Order by 发文时间"),
        QStringLiteral("'  Order by 发文时间"),
        documentParams(QStringLiteral("收文报表.xls"),
                       QStringLiteral("报表已新生成在本系统安装目录下!"),
                       QStringLiteral("收文报表已成功打印!")),
    };
    return s;
}

const DocumentReportSettings& fwbbSettings() {
    static const DocumentReportSettings s{
        QStringLiteral("fwbb"),
        QStringLiteral("文件发文报表生成窗口"),
        QStringLiteral("请输入要生成发文报表的相关数据"),
        QStringLiteral("文件发文库"),
        QStringLiteral("' Order by 发文时间"),
        QStringLiteral("'  Order by 发文时间"),
        documentParams(QStringLiteral("发文报表.xls"),
                       QStringLiteral("发文报表已新生成在本系统安装目录下!"),
                       QStringLiteral("发文报表已成功打印!")),
    };
    return s;
}

QString documentSelection(const DocumentReportSettings& settings, const QString& year,
                          const QString& unit, ReportPath path) {
    return QStringLiteral("select * from ") + settings.table + QStringLiteral(" where 年度 ='") +
           store::sqlEscape(year) + QStringLiteral("' and 责任者='") + store::sqlEscape(unit) +
           (path == ReportPath::Export ? settings.exportClosing : settings.printClosing);
}

const ReportParams& contractReportParams() {
    static const ReportParams p = [] {
        ReportParams r;
        r.worksheet = 2;
        r.recordColumns = {QStringLiteral("合同编号"), QStringLiteral("名称"),
                           QStringLiteral("甲方"),     QStringLiteral("乙方"),
                           QStringLiteral("签订日期"), QStringLiteral("备注")};
        r.stampColumn = 5;
        r.lastFramedColumn = 7;
        r.fileNameParts = {QStringLiteral("签订日期")};
        r.suffix = QStringLiteral("合同协议报表.xls");
        r.exportMessage = QStringLiteral("合同报表已新生成在本系统安装目录下!");
        r.printMessage = QStringLiteral("合同报表已成功打印!");
        return r;
    }();
    return p;
}

QString contractSelection(const QString& year) {
    // Four single-character wildcards: the year followed by exactly four characters.
    return QStringLiteral("select * from 合同协议库 where 签订日期 like '") +
           store::sqlEscape(year) + QStringLiteral("____' Order by 签订日期");
}

const ReportParams& archiveReportParams() {
    static const ReportParams p = [] {
        ReportParams r;
        r.worksheet = 3;
        r.recordColumns = {QStringLiteral("责任者"),     QStringLiteral("文号"),
                           QStringLiteral("文件标题名"), QStringLiteral("文件页数"),
                           QStringLiteral("发文时间"),   QStringLiteral("保管期限"),
                           QStringLiteral("备注")};
        r.stampColumn = 6;
        r.lastFramedColumn = 8;
        r.fileNameParts = kYearAndUnit;
        r.suffix = QStringLiteral("文件归档报表.xls");
        r.exportMessage = QStringLiteral("归档报表已新生成在本系统安装目录下!");
        r.printMessage = QStringLiteral("档案报表已成功打印!");
        return r;
    }();
    return p;
}

QString archiveVolumeSelection(const QString& fonds, const QString& catalogue,
                               const QString& file) {
    return QStringLiteral("select * from 归档库 where 全宗号 ='") + store::sqlEscape(fonds) +
           QStringLiteral("' and 案卷目录号 ='") + store::sqlEscape(catalogue) +
           QStringLiteral("' and 案卷号 ='") + store::sqlEscape(file) +
           QStringLiteral("' Order by 发文时间");
}

QString archiveItemSelection(const QString& year, const QString& unit, const QString& period) {
    return QStringLiteral("select * from 归档库 where 年度 ='") + store::sqlEscape(year) +
           QStringLiteral("' and 责任者='") + store::sqlEscape(unit) +
           QStringLiteral("' and 保管期限='") + store::sqlEscape(period) +
           QStringLiteral("' Order by 发文时间");
}

} // namespace reports
