#pragma once
// The grid layouts that several windows share: the 17 document columns and the 9
// contract columns, with the design's captions (leading blanks included) and widths.

#include "store/binder.h"

namespace store {

inline QList<GridColumn> documentGridColumns(const QString& serialCaption,
                                             Qt::Alignment alignment = Qt::AlignCenter) {
    const Qt::Alignment a = alignment | Qt::AlignVCenter;
    return {
        {serialCaption, 1000, a},
        {QStringLiteral("年度"), 600, a},
        {QStringLiteral(" 责任者"), 1500, a},
        {QStringLiteral("       文号"), 2000, a},
        {QStringLiteral("              文件标题名"), 3600, a},
        {QStringLiteral("发文时间"), 1000, a},
        {QStringLiteral("文件页数"), 1200, a},
        {QStringLiteral("保管期限"), 1000, a},
        {QStringLiteral("密级"), 1000, a},
        {QStringLiteral("全宗号"), 700, a},
        {QStringLiteral("案卷目录号"), 1100, a},
        {QStringLiteral("案卷号"), 700, a},
        {QStringLiteral("分卷号"), 700, a},
        {QStringLiteral("装订页号"), 1100, a},
        {QStringLiteral("卷内件号"), 1000, a},
        {QStringLiteral("归档时间"), 1000, a},
        {QStringLiteral("备注"), 1000, a},
    };
}

inline QList<GridColumn> contractGridColumns(Qt::Alignment alignment = Qt::AlignCenter) {
    const Qt::Alignment a = alignment | Qt::AlignVCenter;
    return {
        {QStringLiteral("合同流水号"), 1500, a}, {QStringLiteral("合同编号"), 1500, a},
        {QStringLiteral("装盒号"), 700, a},      {QStringLiteral("      名称"), 3000, a},
        {QStringLiteral("甲方"), 2000, a},       {QStringLiteral("乙方"), 2000, a},
        {QStringLiteral("签订日期"), 1200, a},   {QStringLiteral("归档时间"), 1000, a},
        {QStringLiteral("备注"), 1000, a},
    };
}

// The 17 document columns after the serial column, in the tables' own order.
inline QString documentColumnList(const QString& serialColumn) {
    return serialColumn +
           QStringLiteral(",年度,责任者,文号,文件标题名,发文时间,文件页数,保管期限,密级,全宗号,"
                          "案卷目录号,案卷号,分卷号,装订页号,卷内件号,归档时间,备注");
}

} // namespace store
