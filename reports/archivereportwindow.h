#pragma once
// gdbb: catalogue reports of archived documents, chosen by volume (fonds, catalogue and
// file number) or by item (year, unit and retention period).

#include "reports/reportsettings.h"

#include <QDialog>

class QComboBox;
class QGroupBox;
class QLineEdit;

namespace reports {

class ArchiveReportWindow : public QDialog {
public:
    explicit ArchiveReportWindow(QWidget* parent);

private:
    QGroupBox* buildVolumeFrame();
    QGroupBox* buildItemFrame();
    void loadLists();
    bool volumeInputsComplete();
    bool itemInputsComplete();
    void reportByVolume(ReportPath path);
    void reportByItem(ReportPath path);

    QLineEdit* volume_[3] = {};   // Text1(0..2): fonds, catalogue and file number
    QLineEdit* year_ = nullptr;   // Text2
    QComboBox* unit_ = nullptr;   // Combo1
    QComboBox* period_ = nullptr; // Combo2
};

} // namespace reports
