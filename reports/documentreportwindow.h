#pragma once
// swbb and fwbb: the yearly catalogue of one unit's incoming or outgoing documents.

#include "reports/reportsettings.h"

#include <QDialog>

class QComboBox;
class QLineEdit;

namespace reports {

class DocumentReportWindow : public QDialog {
public:
    DocumentReportWindow(const DocumentReportSettings& settings, QWidget* parent);

private:
    void buildControls();
    void loadUnits();
    bool inputsComplete();
    void report(ReportPath path);

    const DocumentReportSettings& settings_;
    QLineEdit* year_ = nullptr; // Text2
    QComboBox* unit_ = nullptr; // Combo1
};

} // namespace reports
