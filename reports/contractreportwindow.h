#pragma once
// htbb: the yearly list of contracts and agreements.

#include "reports/reportsettings.h"

#include <QDialog>

class QLineEdit;

namespace reports {

class ContractReportWindow : public QDialog {
public:
    explicit ContractReportWindow(QWidget* parent);

private:
    void buildControls();
    bool yearAccepted();
    void report(ReportPath path);

    QLineEdit* year_ = nullptr; // Text1
};

} // namespace reports
