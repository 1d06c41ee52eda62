// dwbm: the sending and receiving units that the document windows offer.

#include "registers/settings.h"

namespace registers {

RegisterSettings dwbmSettings() {
    using K = PanelControl::Kind;
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    RegisterSettings s;
    s.objectName = QStringLiteral("dwbm");
    s.caption = QStringLiteral("收发文单位编码管理窗口");
    s.table = QStringLiteral("发文单位管理");
    s.query = QStringLiteral("select * from 发文单位管理");
    s.findFieldCount = 2;
    s.keyColumn = QStringLiteral("发文单位");
    s.keyControl = QStringLiteral("txt1");
    s.grid = {{QStringLiteral("收发文单位"), 3000, left}, {QStringLiteral("单位编码"), 1500, left}};
    s.panel = {
        {"txt1", K::Text, "发文单位", "lblFieldLabel(0)", "收发文单位:", 0, 2},
        {"txt2", K::FreeText, "单位编码", "lblFieldLabel(1)", "单位编码:", 0},
    };
    s.focusAfterAddEdit = QStringLiteral("txt1");
    s.afterDelete = Landing::Last;
    s.afterSavingAddition = Landing::Last;
    s.filterDisablesDelete = false;
    s.duplicateKeyMessage = QStringLiteral("收发文单位不能重复！");
    s.emptyKeyMessage = QStringLiteral("单位不能为空");
    s.cancelledAdditionKey = QStringLiteral("12_q");
    s.size = QSize(560, 460);
    return s;
}

} // namespace registers
