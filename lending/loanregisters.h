#pragma once
// The loan list and the four registers an item can be lent from: their queries, the
// query builder's field counts and the grid layouts.

#include "store/binder.h"

#include <QList>
#include <QString>

namespace lending {

inline constexpr const char* kLoanQuery =
    "select 流水号,借阅编号,文件资料编号,文件资料名,数量,借阅人,经办人,借阅时间,归还时间,状态,备注 "
    "from 借阅记录库 order by 流水号 desc";
inline constexpr const char* kLoanTable = "借阅记录库";
inline constexpr int kLoanFieldCount = 11;

// Every item query names the item's serial number 编号 and its title 名称.
inline constexpr const char* kItemSerial = "编号";
inline constexpr const char* kItemTitle = "名称";

struct LoanRegister {
    QString caption; // the tab's caption
    QString table;
    int fieldCount; // columns offered by the query builder
    QString itemQuery;
    QList<store::GridColumn> layout;
};

// In the order of the tabs: 文件收文, 文件发文, 合同协议, 归档数据.
const QList<LoanRegister>& loanRegisters();
const LoanRegister* loanRegister(const QString& caption);

QList<store::GridColumn> loanGridColumns();

} // namespace lending
