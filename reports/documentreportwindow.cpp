#include "reports/documentreportwindow.h"

#include "reports/reportui.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace reports {

DocumentReportWindow::DocumentReportWindow(const DocumentReportSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setObjectName(settings.objectName);
    setWindowTitle(settings.caption);
    buildControls();
    loadUnits();
}

void DocumentReportWindow::buildControls() {
    auto* frame = new QGroupBox(settings_.frameCaption, this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* yearLabel = new QLabel(QStringLiteral("文件年度:"), frame);
    yearLabel->setObjectName(QStringLiteral("Label1(0)"));
    auto* unitLabel = new QLabel(QStringLiteral("责任者:"), frame);
    unitLabel->setObjectName(QStringLiteral("Label1(1)"));
    year_ = new QLineEdit(frame);
    year_->setObjectName(QStringLiteral("Text2"));
    unit_ = makeChoiceBox(QStringLiteral("Combo1"), frame);
    unit_->setMinimumWidth(200);

    auto* grid = new QGridLayout(frame);
    grid->addWidget(yearLabel, 0, 0);
    grid->addWidget(year_, 0, 1);
    grid->addWidget(unitLabel, 1, 0);
    grid->addWidget(unit_, 1, 1);

    auto* print = makeReportButton(QStringLiteral("打印报表"), QStringLiteral("Command2"), this);
    auto* save =
        makeReportButton(QStringLiteral("导出Excel报表"), QStringLiteral("Command4"), this);
    connect(print, &QPushButton::clicked, this, [this] { report(ReportPath::Print); });
    connect(save, &QPushButton::clicked, this, [this] { report(ReportPath::Export); });
    layOutFrameAndButtons(this, frame, print, save);
}

void DocumentReportWindow::loadUnits() {
    fillList(this, unit_, kUnitListSql);
}

bool DocumentReportWindow::inputsComplete() {
    if (!year_->text().isEmpty() && !unit_->currentText().isEmpty())
        return true;
    warn(this, kFillInAll);
    year_->clear();
    return false;
}

void DocumentReportWindow::report(ReportPath path) {
    if (!inputsComplete())
        return;
    performReport(this, settings_.params,
                  documentSelection(settings_, year_->text(), unit_->currentText(), path), path);
}

} // namespace reports
