#pragma once
// The texts that every register window shares.

#include <QString>

namespace registers::texts {

inline const QString kDepCaptions[6] = {
    QStringLiteral("新  增"), QStringLiteral("编  辑"), QStringLiteral("查  找"),
    QStringLiteral("删  除"), QStringLiteral("刷  新"), QStringLiteral("退  出"),
};
inline const QString kActCaptions[2] = {QStringLiteral("保  存"), QStringLiteral("恢  复")};

inline const QString kErrorTitle = QStringLiteral("错误");
inline const QString kHintTitle = QStringLiteral("提示");
inline const QString kDeleteQuestion = QStringLiteral("确认删除当前记录吗?");
inline const QString kDeleteTitle = QStringLiteral("删除确认");
inline const QString kCancelQuestion = QStringLiteral("确认不作修改?");
inline const QString kCancelTitle = QStringLiteral("修改确认");
inline const QString kStillEditing = QStringLiteral("请先退出编辑状态后再退出该程序!");
inline const QString kDuplicateSerial = QStringLiteral("编号不能重复");

inline const QString kUnitListSql = QStringLiteral("select 发文单位 from 发文单位管理 ");
inline const QString kRetentionListSql = QStringLiteral("select 保管期限 from 选择项  ");
inline const QString kSecrecyListSql = QStringLiteral("select 密级 from 选择项  ");

// An addition needs an entry in each choice list; these name the list that has none.
inline const QString kNoUnits =
    QStringLiteral("发文单位管理中没有收发文单位，无法新增。请先在收发文单位编码管理中添加单位。");
inline const QString kNoRetention = QStringLiteral("选择项中没有保管期限，无法新增。");
inline const QString kNoSecrecy = QStringLiteral("选择项中没有密级，无法新增。");

// The boxes of the three choice lists.
inline const QString kUnitBox = QStringLiteral("Combo1(0)");
inline const QString kRetentionBox = QStringLiteral("Combo1(1)");
inline const QString kSecrecyBox = QStringLiteral("Combo1(2)");
inline const QString kPicker = QStringLiteral("DTPicker1");

} // namespace registers::texts
