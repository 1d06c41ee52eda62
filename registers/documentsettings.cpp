// swsj, fwsj and gdsj: the three windows over the document layout.

#include "registers/settings.h"
#include "registers/texts.h"
#include "store/layouts.h"

namespace registers {
namespace {

using K = PanelControl::Kind;

QList<PanelControl> documentPanel() {
    return {
        {"txt1(0)", K::Text, "", "lblFieldLabel(14)", "流水号:", 0},
        {"txt1(1)", K::Text, "年度", "lblFieldLabel(0)", "年  度:", 0},
        {texts::kUnitBox, K::Choice, "责任者", "lblFieldLabel(1)", "责任者:", 0, 2},
        {"txt1(2)", K::Text, "文号", "lblFieldLabel(2)", "文  号:", 0, 2},
        {"txt1(3)", K::Text, "文件标题名", "lblFieldLabel(4)", "文件标题:", 1},
        {"txt1(5)", K::Text, "文件页数", "lblFieldLabel(6)", "文件页数:", 2},
        {texts::kRetentionBox, K::Choice, "保管期限", "lblFieldLabel(8)", "保管期限:", 2},
        {texts::kSecrecyBox, K::Choice, "密级", "lblFieldLabel(3)", "密  级:", 2},
        {"txt1(4)", K::DateText, "发文时间", "lblFieldLabel(5)", "发文时间:", 2},
        {"txt1(6)", K::Text, "全宗号", "lblFieldLabel(7)", "全宗号:", 3},
        {"txt1(7)", K::Text, "案卷目录号", "lblFieldLabel(11)", "案卷目录号:", 3},
        {"txt1(8)", K::Text, "案卷号", "lblFieldLabel(10)", "案卷号:", 3},
        {"txt1(9)", K::Text, "分卷号", "lblFieldLabel(9)", "分卷号:", 3},
        {"txt1(10)", K::Text, "装订页号", "lblFieldLabel(12)", "装订页号:", 4},
        {"txt1(11)", K::Text, "卷内件号", "lblFieldLabel(13)", "卷内件号:", 4},
        {"txt1(13)", K::Text, "备注", "lblFieldLabel(15)", "备  注:", 4, 2},
        {texts::kPicker, K::Picker, "", "", "", 4},
        {"txt1(12)", K::ArchiveDate, "归档时间", "", "", 4},
    };
}

RegisterSettings documentSettings(const QString& objectName, const QString& caption,
                                  const QString& table, const QString& serialColumn,
                                  const QString& serialCaption) {
    RegisterSettings s;
    s.objectName = objectName;
    s.caption = caption;
    s.table = table;
    s.query = QStringLiteral("select ") + store::documentColumnList(serialColumn) +
              QStringLiteral(" from ") + table + QStringLiteral(" Order by 归档时间");
    s.findFieldCount = 17;
    s.keyColumn = serialColumn;
    s.keyControl = QStringLiteral("txt1(0)");
    s.serialRule = SerialRule::Counted;
    s.yearControl = QStringLiteral("txt1(1)");
    s.archiveDateControl = QStringLiteral("txt1(12)");
    s.choiceLists = true;
    s.grid = store::documentGridColumns(serialCaption);
    // The serial column keeps the grid's own alignment; the others are centred.
    s.grid[0].alignment = Qt::AlignLeft | Qt::AlignVCenter;
    s.panel = documentPanel();
    s.panel[0].column = serialColumn;
    s.focusAfterAddEdit = texts::kUnitBox;
    s.duplicateKeyMessage = texts::kDuplicateSerial;
    s.cancelledAdditionKey = QStringLiteral("1");
    s.size = QSize(980, 600);
    return s;
}

} // namespace

RegisterSettings swsjSettings() {
    RegisterSettings s =
        documentSettings("swsj", "文件收文数据处理", "文件收文库", "收文流水号", " 流水号");
    s.serialPrefix = QStringLiteral("S");
    return s;
}

RegisterSettings fwsjSettings() {
    RegisterSettings s =
        documentSettings("fwsj", "文件发文数据处理", "文件发文库", "发文流水号", "流水号");
    s.serialPrefix = QStringLiteral("F");
    return s;
}

// Rows normally come from archiving and keep their serial; one added by hand starts
// from a fixed serial and no year.
RegisterSettings gdsjSettings() {
    RegisterSettings s = documentSettings("gdsj", "归档数据管理窗口", "归档库", "流水号", "流水号");
    s.serialRule = SerialRule::Fixed;
    s.fixedSerial = QStringLiteral("F2000-0000");
    s.yearControl.clear();
    return s;
}

} // namespace registers
