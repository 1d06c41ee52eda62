#include "reports/contractreportwindow.h"

#include "reports/reportui.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace reports {

ContractReportWindow::ContractReportWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("htbb"));
    setWindowTitle(kHtbbCaption);
    buildControls();
}

void ContractReportWindow::buildControls() {
    auto* frame = new QGroupBox(kHtbbFrameCaption, this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* label = new QLabel(QStringLiteral("合同协议签订年度:"), frame);
    label->setObjectName(QStringLiteral("Label1"));
    year_ = new QLineEdit(frame);
    year_->setObjectName(QStringLiteral("Text1"));
    auto* row = new QHBoxLayout(frame);
    row->addWidget(label);
    row->addWidget(year_);

    auto* print =
        makeReportButton(QStringLiteral("打印年度报表"), QStringLiteral("Command1"), this);
    auto* save =
        makeReportButton(QStringLiteral("导出年度Excel报表"), QStringLiteral("Command2"), this);
    connect(print, &QPushButton::clicked, this, [this] { report(ReportPath::Print); });
    connect(save, &QPushButton::clicked, this, [this] { report(ReportPath::Export); });
    layOutFrameAndButtons(this, frame, print, save);
}

bool ContractReportWindow::yearAccepted() {
    // Only the length is checked: any four characters stand for a year.
    if (year_->text().size() == kContractYearLength)
        return true;
    warn(this, kYearForm);
    year_->clear();
    return false;
}

void ContractReportWindow::report(ReportPath path) {
    if (!yearAccepted())
        return;
    performReport(this, contractReportParams(), contractSelection(year_->text()), path);
}

} // namespace reports
