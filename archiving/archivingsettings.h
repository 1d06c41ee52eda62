#pragma once
// What tells the incoming and the outgoing archiving window apart.

#include <QString>

namespace archiving {

struct ArchivingSettings {
    QString caption;        // window caption
    QString sourceTable;    // the register the documents leave
    QString sourceSerial;   // its serial column, kept as 流水号 in 归档库
    QString sourceFrame;    // caption of the frame around the source grid
    QString sourceQuery;    // the whole register, at load
    QString batchQueryHead; // the batch selection up to the year literal
};

const ArchivingSettings& swgdSettings();
const ArchivingSettings& fwgdSettings();

// Texts shared by both windows.
QString archiveQuery();
// The batch selection for a year and a unit, both escaped.
QString batchQuery(const ArchivingSettings& settings, const QString& year, const QString& unit);
inline constexpr const char* kUnitListQuery = "select 发文单位 from 发文单位管理 ";

} // namespace archiving
