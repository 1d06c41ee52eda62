#include "archiving/archivingwindow.h"

#include "shell/app/app.h"
#include "shell/app/ui.h"
#include "store/binder.h"
#include "store/catalogue.h"
#include "store/connection.h"
#include "store/error.h"
#include "store/layouts.h"
#include "store/lists.h"
#include "store/recordset.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableView>
#include <QVBoxLayout>

namespace archiving {
namespace {

const QString kArchiveSerial = QStringLiteral("流水号");
const QString kArchiveDate = QStringLiteral("归档时间");
const QString kRemark = QStringLiteral("备注");
// Carried over as stored; the serial, the filing date and the remark are set apart.
const QStringList kCopiedColumns = {
    QStringLiteral("年度"),       QStringLiteral("责任者"),   QStringLiteral("文号"),
    QStringLiteral("文件标题名"), QStringLiteral("发文时间"), QStringLiteral("文件页数"),
    QStringLiteral("保管期限"),   QStringLiteral("密级"),     QStringLiteral("全宗号"),
    QStringLiteral("案卷目录号"), QStringLiteral("案卷号"),   QStringLiteral("分卷号"),
    QStringLiteral("装订页号"),   QStringLiteral("卷内件号"),
};

const QString kIncomplete = QStringLiteral("请把关键数据填写完整!");
const QString kHint = QStringLiteral("提示");
const QString kNoRecords = QStringLiteral("没有记录!");
const QString kConfirmPick = QStringLiteral("确认加此记录入归档库!");
const QString kNoCurrentRow = QStringLiteral("没有选中要归档的记录!");
const QString kErrorTitle = QStringLiteral("错误");

QString confirmBatchText(int n) {
    return QStringLiteral("确认加") + QString::number(n) + QStringLiteral("条记录入归档库!");
}

void rollbackQuietly(store::Connection& connection) {
    try {
        if (connection.inTransaction())
            connection.rollback();
    } catch (const store::DbError&) {
        // The reload that follows shows whatever the database holds.
    }
}

QTableView* makeGrid(const QString& name) {
    auto* grid = new QTableView;
    grid->setObjectName(name);
    return grid;
}

QPushButton* makeButton(const QString& name, const QString& caption) {
    auto* button = new QPushButton(caption);
    button->setObjectName(name);
    button->setAutoDefault(false);
    return button;
}

} // namespace

ArchivingWindow::ArchivingWindow(const ArchivingSettings& settings, QWidget* parent)
    : QDialog(parent), settings_(settings) {
    setWindowTitle(settings_.caption);
    buildControls();
    load();
}

ArchivingWindow::~ArchivingWindow() = default;

void ArchivingWindow::buildControls() {
    dataGrid1_ = makeGrid(QStringLiteral("DataGrid1"));
    dataGrid2_ = makeGrid(QStringLiteral("DataGrid2"));
    command1_ = makeButton(QStringLiteral("Command1"), QStringLiteral("归  档"));
    command2_ = makeButton(QStringLiteral("Command2"), QStringLiteral("归  档"));
    command3_ = makeButton(QStringLiteral("Command3"), QStringLiteral("退  出"));
    text1_ = new QLineEdit;
    text1_->setObjectName(QStringLiteral("Text1"));
    combo1_ = new QComboBox;
    combo1_->setObjectName(QStringLiteral("Combo1"));
    combo1_->setEditable(true);
    combo1_->setInsertPolicy(QComboBox::NoInsert);
    combo1_->setMinimumContentsLength(12);

    auto* sourceFrame = new QGroupBox(settings_.sourceFrame);
    sourceFrame->setObjectName(QStringLiteral("fraSource"));
    (new QVBoxLayout(sourceFrame))->addWidget(dataGrid1_);

    auto* pickFrame = new QGroupBox(QStringLiteral("点选归档"));
    pickFrame->setObjectName(QStringLiteral("fraPick"));
    (new QHBoxLayout(pickFrame))->addWidget(command2_);

    auto* batchFrame = new QGroupBox(QStringLiteral("批量归档"));
    batchFrame->setObjectName(QStringLiteral("fraBatch"));
    auto* batchRow = new QHBoxLayout(batchFrame);
    batchRow->addWidget(new QLabel(QStringLiteral("归档年度")));
    batchRow->addWidget(text1_);
    batchRow->addWidget(new QLabel(QStringLiteral("归档单位")));
    batchRow->addWidget(combo1_, 1);
    batchRow->addWidget(command1_);

    auto* band = new QHBoxLayout;
    band->addWidget(pickFrame);
    band->addWidget(batchFrame, 1);
    band->addStretch();
    band->addWidget(command3_);

    auto* archiveFrame = new QGroupBox(QStringLiteral("文件归档库"));
    archiveFrame->setObjectName(QStringLiteral("fraArchive"));
    (new QVBoxLayout(archiveFrame))->addWidget(dataGrid2_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(sourceFrame, 1);
    layout->addLayout(band);
    layout->addWidget(archiveFrame, 1);
    resize(960, 640);

    connect(command1_, &QPushButton::clicked, this, &ArchivingWindow::onBatchClicked);
    connect(command2_, &QPushButton::clicked, this, &ArchivingWindow::onPickClicked);
    connect(command3_, &QPushButton::clicked, this, &QDialog::close);
}

void ArchivingWindow::load() {
    try {
        std::shared_ptr<store::Connection> connection = store::openCatalogue();
        replaceList(source_, dataGrid1_, connection, settings_.sourceQuery);
        replaceList(archive_, dataGrid2_, connection, archiveQuery());
        FillUnitList();
        if (source_.rs->recordCount() == 0)
            DisableArchiving();
    } catch (const store::DbError& e) {
        app::inform(this, e.description(), app::Icon::Critical, kErrorTitle);
    }
}

void ArchivingWindow::ApplyArchivingGridLayout(QTableView* grid) {
    store::applyGridLayout(grid, store::documentGridColumns(QStringLiteral("流水号")));
}

void ArchivingWindow::FillUnitList() {
    combo1_->addItems(store::readList(QString::fromUtf8(kUnitListQuery)));
    // Filling the list proposes no unit; the user picks or types one.
    combo1_->setCurrentIndex(-1);
    combo1_->clearEditText();
}

void ArchivingWindow::DisableArchiving() {
    command1_->setEnabled(false);
    command2_->setEnabled(false);
    combo1_->setEnabled(false);
    text1_->setEnabled(false);
}

void ArchivingWindow::replaceList(List& list, QTableView* grid,
                                  std::shared_ptr<store::Connection> connection,
                                  const QString& sql) {
    auto rs = std::make_unique<store::Recordset>();
    rs->open(sql, *connection);
    store::bindGrid(grid, rs.get());
    ApplyArchivingGridLayout(grid);
    // The grid no longer shows the old record set, which goes (and its connection with
    // it, when no list uses that any more).
    List old = std::move(list);
    list.connection = std::move(connection);
    list.rs = std::move(rs);
}

void ArchivingWindow::rebindLists() {
    if (source_.rs) {
        store::bindGrid(dataGrid1_, source_.rs.get());
        ApplyArchivingGridLayout(dataGrid1_);
    }
    if (archive_.rs) {
        store::bindGrid(dataGrid2_, archive_.rs.get());
        ApplyArchivingGridLayout(dataGrid2_);
    }
}

void ArchivingWindow::archiveCurrentRow() {
    store::Recordset& source = *source_.rs;
    store::Recordset& archive = *archive_.rs;
    archive.addNew();
    archive.setValue(kArchiveSerial, source.value(settings_.sourceSerial));
    for (const QString& column : kCopiedColumns)
        archive.setValue(column, source.value(column));
    archive.setValue(kArchiveDate, app::today());
    archive.setValue(kRemark, source.value(kRemark));
    archive.update();
    source.deleteCurrent();
}

void ArchivingWindow::reloadLists() {
    for (List* list : {&source_, &archive_}) {
        if (!list->rs)
            continue;
        try {
            if (list->rs->hasPendingChanges())
                list->rs->cancelUpdate();
            list->rs->requery();
        } catch (const store::DbError& e) {
            app::inform(this, e.description(), app::Icon::Critical, kErrorTitle);
        }
    }
    ApplyArchivingGridLayout(dataGrid1_);
    ApplyArchivingGridLayout(dataGrid2_);
}

bool ArchivingWindow::sameConnection() const {
    return source_.connection && source_.connection == archive_.connection;
}

void ArchivingWindow::reportMoveFailure(const QString& serial, const QString& description) {
    app::inform(this,
                QStringLiteral("编号为 %1 的记录不能归档，本次没有移动任何记录。\n%2")
                    .arg(serial, description),
                app::Icon::Critical, kErrorTitle);
}

void ArchivingWindow::clearBatchBoxes() {
    text1_->clear();
    combo1_->setCurrentIndex(-1);
    combo1_->clearEditText();
}

void ArchivingWindow::onBatchClicked() {
    const QString year = text1_->text();
    const QString unit = combo1_->currentText();
    if (unit.isEmpty() || year.isEmpty()) {
        app::inform(this, kIncomplete, app::Icon::Exclamation, kHint);
        text1_->clear();
        return;
    }
    try {
        std::shared_ptr<store::Connection> connection = store::openCatalogue();
        replaceList(source_, dataGrid1_, connection, batchQuery(settings_, year, unit));
        if (source_.rs->recordCount() == 0) {
            app::inform(this, kNoRecords);
            return;
        }
        replaceList(archive_, dataGrid2_, connection, archiveQuery());
        const int n = source_.rs->recordCount();
        if (app::confirm(this, confirmBatchText(n)))
            moveBatch(n);
        clearBatchBoxes();
        rebindLists();
        if (source_.rs->recordCount() == 0)
            DisableArchiving();
    } catch (const store::DbError& e) {
        app::inform(this, e.description(), app::Icon::Critical, kErrorTitle);
    }
}

void ArchivingWindow::moveBatch(int n) {
    store::Connection& connection = *source_.connection;
    QString serial;
    connection.beginTransaction();
    try {
        // The grids are bound afresh once the move is over; they need not follow each row.
        const QSignalBlocker quietSource(source_.rs.get());
        const QSignalBlocker quietArchive(archive_.rs.get());
        source_.rs->moveFirst();
        for (int i = 0; i < n; ++i) {
            serial = source_.rs->text(settings_.sourceSerial);
            archiveCurrentRow();
            source_.rs->moveFirst();
        }
        connection.commit();
    } catch (const store::DbError& e) {
        rollbackQuietly(connection);
        reloadLists();
        reportMoveFailure(serial, e.description());
    }
}

void ArchivingWindow::onPickClicked() {
    store::Recordset* source = source_.rs.get();
    if (!source || !archive_.rs || source->bof() || source->eof()) {
        app::inform(this, kNoCurrentRow, app::Icon::Exclamation, kHint);
        return;
    }
    if (app::confirm(this, kConfirmPick)) {
        try {
            // Both lists must be on one connection for the move to be one transaction.
            if (!sameConnection())
                replaceList(archive_, dataGrid2_, source_.connection, archiveQuery());
            movePick();
        } catch (const store::DbError& e) {
            app::inform(this, e.description(), app::Icon::Critical, kErrorTitle);
        }
    }
    if (source_.rs->recordCount() == 0)
        DisableArchiving();
}

void ArchivingWindow::movePick() {
    store::Recordset& source = *source_.rs;
    store::Connection& connection = *source_.connection;
    const QString serial = source.text(settings_.sourceSerial);
    const store::Recordset::Bookmark mark = source.bookmark();
    connection.beginTransaction();
    try {
        archiveCurrentRow();
        connection.commit();
    } catch (const store::DbError& e) {
        rollbackQuietly(connection);
        reloadLists();
        try {
            source.setBookmark(mark);
        } catch (const store::DbError&) {
            // The row is shown from the top again.
        }
        reportMoveFailure(serial, e.description());
        return;
    }
    // Leave the deleted row for its neighbour, so that the next pick has a row to take.
    if (source.recordCount() > 0) {
        source.moveNext();
        if (source.eof())
            source.moveLast();
    }
}

} // namespace archiving
