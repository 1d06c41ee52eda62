#include "reports/archivereportwindow.h"

#include "reports/reportui.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace reports {
namespace {

QLabel* makeLabel(const QString& text, int index, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QStringLiteral("Label1(%1)").arg(index));
    return label;
}

} // namespace

ArchiveReportWindow::ArchiveReportWindow(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("gdbb"));
    setWindowTitle(kGdbbCaption);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildVolumeFrame());
    layout->addWidget(buildItemFrame());
    loadLists();
}

QGroupBox* ArchiveReportWindow::buildVolumeFrame() {
    auto* frame = new QGroupBox(kGdbbVolumeFrameCaption, this);
    frame->setObjectName(QStringLiteral("Frame1(0)"));
    auto* grid = new QGridLayout(frame);
    const QString labels[3] = {QStringLiteral("全宗号:"), QStringLiteral("案卷目录号:"),
                               QStringLiteral("案卷号:")};
    for (int i = 0; i < 3; ++i) {
        volume_[i] = new QLineEdit(frame);
        volume_[i]->setObjectName(QStringLiteral("Text1(%1)").arg(i));
        grid->addWidget(makeLabel(labels[i], i, frame), i, 0);
        grid->addWidget(volume_[i], i, 1);
    }
    auto* print = makeReportButton(QStringLiteral("打印报表"), QStringLiteral("Command1"), frame);
    auto* save =
        makeReportButton(QStringLiteral("导出Excel报表"), QStringLiteral("Command3"), frame);
    grid->addWidget(print, 0, 2);
    grid->addWidget(save, 1, 2);
    connect(print, &QPushButton::clicked, this, [this] { reportByVolume(ReportPath::Print); });
    connect(save, &QPushButton::clicked, this, [this] { reportByVolume(ReportPath::Export); });
    return frame;
}

QGroupBox* ArchiveReportWindow::buildItemFrame() {
    auto* frame = new QGroupBox(kGdbbItemFrameCaption, this);
    frame->setObjectName(QStringLiteral("Frame1(1)"));
    auto* grid = new QGridLayout(frame);
    year_ = new QLineEdit(frame);
    year_->setObjectName(QStringLiteral("Text2"));
    unit_ = makeChoiceBox(QStringLiteral("Combo1"), frame);
    unit_->setMinimumWidth(200);
    period_ = makeChoiceBox(QStringLiteral("Combo2"), frame);
    grid->addWidget(makeLabel(QStringLiteral("文件年度:"), 3, frame), 0, 0);
    grid->addWidget(year_, 0, 1);
    grid->addWidget(makeLabel(QStringLiteral("责任者:"), 4, frame), 1, 0);
    grid->addWidget(unit_, 1, 1);
    grid->addWidget(makeLabel(QStringLiteral("保管期限:"), 5, frame), 2, 0);
    grid->addWidget(period_, 2, 1);
    auto* print = makeReportButton(QStringLiteral("打印报表"), QStringLiteral("Command2"), frame);
    auto* save =
        makeReportButton(QStringLiteral("导出Excel报表"), QStringLiteral("Command4"), frame);
    grid->addWidget(print, 0, 2);
    grid->addWidget(save, 1, 2);
    connect(print, &QPushButton::clicked, this, [this] { reportByItem(ReportPath::Print); });
    connect(save, &QPushButton::clicked, this, [this] { reportByItem(ReportPath::Export); });
    return frame;
}

void ArchiveReportWindow::loadLists() {
    fillList(this, unit_, kUnitListSql);
    fillList(this, period_, kPeriodListSql);
}

bool ArchiveReportWindow::volumeInputsComplete() {
    for (QLineEdit* box : volume_) {
        if (box->text().isEmpty()) {
            warn(this, kFillInAll);
            return false;
        }
    }
    return true;
}

bool ArchiveReportWindow::itemInputsComplete() {
    if (!year_->text().isEmpty() && !unit_->currentText().isEmpty() &&
        !period_->currentText().isEmpty())
        return true;
    warn(this, kFillInAll);
    year_->clear();
    return false;
}

void ArchiveReportWindow::reportByVolume(ReportPath path) {
    if (!volumeInputsComplete())
        return;
    performReport(
        this, archiveReportParams(),
        archiveVolumeSelection(volume_[0]->text(), volume_[1]->text(), volume_[2]->text()), path);
}

void ArchiveReportWindow::reportByItem(ReportPath path) {
    if (!itemInputsComplete())
        return;
    performReport(this, archiveReportParams(),
                  archiveItemSelection(year_->text(), unit_->currentText(), period_->currentText()),
                  path);
}

} // namespace reports
