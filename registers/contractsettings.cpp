// htsj: contracts and agreements.

#include "registers/settings.h"
#include "registers/texts.h"
#include "store/layouts.h"

namespace registers {

RegisterSettings htsjSettings() {
    using K = PanelControl::Kind;
    RegisterSettings s;
    s.objectName = QStringLiteral("htsj");
    s.caption = QStringLiteral("合同协议数据处理");
    s.table = QStringLiteral("合同协议库");
    s.query = QStringLiteral("select 合同流水号,合同编号,装盒号,名称,甲方,乙方,签订日期,入档时间,"
                             "备注 from 合同协议库 Order by 入档时间");
    s.findFieldCount = 9;
    s.keyColumn = QStringLiteral("合同流水号");
    s.keyControl = QStringLiteral("txt1(0)");
    s.serialRule = SerialRule::Counted;
    s.serialPrefix = QStringLiteral("H");
    // The contract number starts as the year.
    s.yearControl = QStringLiteral("txt1(1)");
    s.archiveDateControl = QStringLiteral("txt1(7)");
    s.grid = store::contractGridColumns();
    s.grid[0].alignment = Qt::AlignLeft | Qt::AlignVCenter;
    s.panel = {
        {"txt1(0)", K::Text, "合同流水号", "lblFieldLabel(0)", "合同流水号:", 0},
        {"txt1(1)", K::Text, "合同编号", "lblFieldLabel(1)", "合同编号:", 0},
        {"txt1(2)", K::Text, "装盒号", "lblFieldLabel(3)", "装盒号:", 0},
        {"txt1(3)", K::Text, "名称", "lblFieldLabel(4)", "合同名称:", 1, 2},
        {"txt1(4)", K::Text, "甲方", "lblFieldLabel(7)", "甲   方:", 1, 2},
        {texts::kPicker, K::Picker, "", "", "", 1},
        {"txt1(7)", K::ArchiveDate, "入档时间", "", "", 1},
        {"txt1(5)", K::Text, "乙方", "lblFieldLabel(5)", "乙   方:", 2, 2},
        {"txt1(6)", K::Text, "签订日期", "lblFieldLabel(6)", "签订日期:", 2},
        {"txt1(8)", K::Text, "备注", "lblFieldLabel(2)", "备   注:", 2, 2},
    };
    s.duplicateKeyMessage = texts::kDuplicateSerial;
    s.cancelledAdditionKey = QStringLiteral("1");
    s.size = QSize(980, 560);
    return s;
}

} // namespace registers
