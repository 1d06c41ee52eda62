#include "lending/loanregisters.h"

#include "store/layouts.h"

namespace lending {
namespace {

QString documentItemQuery(const QString& serialColumn, const QString& table) {
    return QStringLiteral("select ") + serialColumn +
           QStringLiteral(" as 编号,年度,责任者,文号,文件标题名 as 名称,发文时间,文件页数,保管期限,"
                          "密级,全宗号,案卷目录号,案卷号,分卷号,装订页号,卷内件号,归档时间,备注 "
                          "from ") +
           table + QStringLiteral(" Order by 归档时间");
}

// All columns centred, then the second and the seventh to the left.
QList<store::GridColumn> itemLayout(QList<store::GridColumn> columns) {
    for (int i : {1, 6})
        columns[i].alignment = Qt::AlignLeft | Qt::AlignVCenter;
    return columns;
}

} // namespace

const QList<LoanRegister>& loanRegisters() {
    static const QList<LoanRegister> registers = {
        {QStringLiteral("文件收文"), QStringLiteral("文件收文库"), 17,
         documentItemQuery(QStringLiteral("收文流水号"), QStringLiteral("文件收文库")),
         itemLayout(store::documentGridColumns(QStringLiteral(" 流水号")))},
        {QStringLiteral("文件发文"), QStringLiteral("文件发文库"), 17,
         documentItemQuery(QStringLiteral("发文流水号"), QStringLiteral("文件发文库")),
         itemLayout(store::documentGridColumns(QStringLiteral("流水号")))},
        {QStringLiteral("合同协议"), QStringLiteral("合同协议库"), 9,
         QStringLiteral(
             "select 合同流水号 as 编号,合同编号,装盒号,名称,甲方,乙方,签订日期,入档时间,"
             "备注 from 合同协议库 Order by 入档时间"),
         itemLayout(store::contractGridColumns())},
        {QStringLiteral("归档数据"), QStringLiteral("归档库"), 17,
         documentItemQuery(QStringLiteral("流水号"), QStringLiteral("归档库")),
         itemLayout(store::documentGridColumns(QStringLiteral(" 流水号")))},
    };
    return registers;
}

const LoanRegister* loanRegister(const QString& caption) {
    for (const LoanRegister& r : loanRegisters()) {
        if (r.caption == caption)
            return &r;
    }
    return nullptr;
}

QList<store::GridColumn> loanGridColumns() {
    const Qt::Alignment centred = Qt::AlignCenter;
    QList<store::GridColumn> columns = {
        {QStringLiteral("流水号"), 0, centred},
        {QStringLiteral("借阅编号"), 1000, centred},
        {QStringLiteral("资料编号"), 0, centred},
        {QStringLiteral("    文件资料名"), 2480, centred},
        {QStringLiteral("数量"), 480, centred},
        {QStringLiteral("借阅人"), 750, centred},
        {QStringLiteral("经办人"), 750, centred},
        {QStringLiteral(" 借阅时间"), 1050, centred},
        {QStringLiteral(" 归还时间"), 1050, centred},
        {QStringLiteral("状态"), 600, centred},
        {QStringLiteral("备注"), 1000, centred},
    };
    columns[1].alignment = Qt::AlignLeft | Qt::AlignVCenter;
    return columns;
}

} // namespace lending
