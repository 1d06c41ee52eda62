#include "archiving/archivingsettings.h"

#include "store/sqltext.h"

namespace archiving {

const ArchivingSettings& swgdSettings() {
    static const ArchivingSettings s{
        QStringLiteral("文件收文归档窗口"),
        QStringLiteral("文件收文库"),
        QStringLiteral("收文流水号"),
        QStringLiteral("文件收文库"),
        QStringLiteral("select 收文流水号,年度,责任者,文号,文件标题名,发文时间,文件页数,保管期限,"
                       "密级,全宗号,案卷目录号,案卷号,分卷号,装订页号,卷内件号,归档时间,备注 "
                       "from 文件收文库 Order by 归档时间"),
        QStringLiteral("select 收文流水号,年度,责任者,文号,文件标题名,发文时间,文件页数,保管期限,"
                       "密级,全宗号,案卷目录号,案卷号,分卷号,装订页号,卷内件号,归档时间,备注 "
                       "from 文件收文库 where 年度 ='"),
    };
    return s;
}

const ArchivingSettings& fwgdSettings() {
    static const ArchivingSettings s{
        QStringLiteral("文件发文归档窗口"),
        QStringLiteral("文件发文库"),
        QStringLiteral("发文流水号"),
        QStringLiteral("文件发文库"),
        QStringLiteral("select 发文流水号,年度,责任者,文号,文件标题名,发文时间,文件页数,保管期限,"
                       "密级,全宗号,案卷目录号,案卷号,分卷号,装订页号,卷内件号,归档时间,备注 "
                       "from 文件发文库 Order by 归档时间"),
        QStringLiteral("select 发文流水号,年度,责任者,文号,文件标题名,发文时间,文件页数,保管期限,"
                       "密级,全宗号,案卷目录号,案卷号,分卷号,装订页号,卷内件号,归档时间,备注 "
                       "from 文件发文库 where 年度 ='"),
    };
    return s;
}

QString archiveQuery() {
    return QStringLiteral("select 流水号,年度,责任者,文号,文件标题名,发文时间,文件页数,保管期限,"
                          "密级,全宗号,案卷目录号,案卷号,分卷号,装订页号,卷内件号,归档时间,备注 "
                          "from 归档库 Order by 归档时间");
}

QString batchQuery(const ArchivingSettings& settings, const QString& year, const QString& unit) {
    return settings.batchQueryHead + store::sqlEscape(year) + QStringLiteral("' and 责任者='") +
           store::sqlEscape(unit) + QStringLiteral("' Order by 发文时间");
}

} // namespace archiving
