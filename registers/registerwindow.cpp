#include "registers/registerwindow.h"

#include "registers/texts.h"
#include "shell/app/app.h"
#include "shell/app/ui.h"
#include "store/binder.h"
#include "store/connection.h"
#include "store/error.h"
#include "store/gridmodel.h"
#include "store/lists.h"
#include "store/recordset.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace registers {

namespace {

QPushButton* makeButton(const QString& name, const QString& caption, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setMinimumSize(88, 30);
    return b;
}

} // namespace

void RegisterWindow::trapped(const std::function<void()>& action) {
    try {
        action();
    } catch (const store::DbError& e) {
        showError(e.description());
    } catch (const std::exception& e) {
        showError(QString::fromUtf8(e.what()));
    }
}

void RegisterWindow::trappedWrite(const std::function<void()>& action) {
    try {
        action();
    } catch (const store::DbError& e) {
        showError(e.number() == store::kEngineFailure && !settings_.duplicateKeyMessage.isEmpty()
                      ? settings_.duplicateKeyMessage
                      : e.description());
    } catch (const std::exception& e) {
        showError(QString::fromUtf8(e.what()));
    }
}

RegisterWindow::RegisterWindow(RegisterSettings settings, QWidget* parent)
    : QDialog(parent), settings_(std::move(settings)), rs_(new store::Recordset) {
    setObjectName(settings_.objectName);
    setWindowTitle(settings_.caption);
    buildControls();
    connectControls();
    setEditState(false);
    trapped([this] { load(); });
}

RegisterWindow::~RegisterWindow() {
    // The grid and the boxes read the record set: let them go before it does.
    delete grid_;
    delete binder_;
    rs_.reset();
    connection_.reset();
}

bool RegisterWindow::isEditing() const {
    return !cmddep_[5]->isEnabled();
}

void RegisterWindow::buildControls() {
    auto* column = new QVBoxLayout(this);

    auto* upper = new QHBoxLayout;
    grid_ = new QTableView(this);
    grid_->setObjectName(QStringLiteral("DataGrid1"));
    upper->addWidget(grid_, 1);
    auto* depButtons = new QVBoxLayout;
    for (int i = 0; i < 6; ++i) {
        cmddep_[i] = makeButton(QStringLiteral("cmddep(%1)").arg(i), texts::kDepCaptions[i], this);
        depButtons->addWidget(cmddep_[i]);
    }
    depButtons->addStretch(1);
    upper->addLayout(depButtons);
    column->addLayout(upper, 3);

    auto* lower = new QHBoxLayout;
    panel_ = buildEditPanel(settings_.panel, this);
    lower->addWidget(panel_.widget, 1);
    auto* actButtons = new QVBoxLayout;
    for (int i = 0; i < 2; ++i) {
        cmdact_[i] = makeButton(QStringLiteral("cmdact(%1)").arg(i), texts::kActCaptions[i], this);
        actButtons->addWidget(cmdact_[i]);
    }
    actButtons->addStretch(1);
    lower->addLayout(actButtons);
    column->addLayout(lower, 0);

    if (settings_.size.isValid())
        resize(settings_.size);
}

void RegisterWindow::connectControls() {
    for (int i = 0; i < 6; ++i)
        connect(cmddep_[i], &QPushButton::clicked, this, [this, i] { depClicked(i); });
    for (int i = 0; i < 2; ++i)
        connect(cmdact_[i], &QPushButton::clicked, this, [this, i] { actClicked(i); });
    if (QComboBox* units = panel_.combo(texts::kUnitBox); units && settings_.choiceLists)
        connect(units, &QComboBox::activated, this, [this] { unitChosen(); });
    if (panel_.picker)
        connect(panel_.picker, &QDateEdit::dateChanged, this, [this] { archiveDateChanged(); });
}

void RegisterWindow::load() {
    connection_ = store::openCatalogue();
    rs_->open(settings_.query, *connection_);
    model_ = store::bindGrid(grid_, rs_.get());
    applyGridLayout();
    // The unit list is filled before the boxes are bound, so that filling it cannot
    // write into the current row.
    if (settings_.choiceLists)
        fillUnitList();
    binder_ = new store::ControlBinder(rs_.get(), this);
    bindEditPanel(panel_, settings_.panel, *binder_);
    if (rs_->recordCount() == 0)
        for (int i = 1; i <= 4; ++i)
            cmddep_[i]->setEnabled(false);
}

void RegisterWindow::setEditState(bool editing) {
    grid_->setEnabled(!editing);
    for (QWidget* box : panel_.editable)
        box->setEnabled(editing);
    for (QPushButton* b : cmdact_)
        b->setEnabled(editing);
    for (QPushButton* b : cmddep_)
        b->setEnabled(!editing);
    if (blnFilter) {
        cmddep_[0]->setEnabled(false);
        if (settings_.filterDisablesDelete)
            cmddep_[3]->setEnabled(false);
    }
}

void RegisterWindow::applyGridLayout() {
    store::applyGridLayout(grid_, settings_.grid);
    // Rows keep one height: the user cannot resize them.
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
}

void RegisterWindow::fillUnitList() {
    QComboBox* units = panel_.combo(texts::kUnitBox);
    units->addItems(store::readList(texts::kUnitListSql));
    units->setCurrentIndex(-1);
}

void RegisterWindow::fillRetentionList() {
    QComboBox* box = panel_.combo(texts::kRetentionBox);
    const QStringList entries = store::readList(texts::kRetentionListSql);
    box->clear();
    box->addItems(entries);
    selectFirstEntry(box);
}

void RegisterWindow::fillSecrecyList() {
    QComboBox* box = panel_.combo(texts::kSecrecyBox);
    const QStringList entries = store::readList(texts::kSecrecyListSql);
    box->clear();
    box->addItems(entries);
}

void RegisterWindow::archiveDateChanged() {
    if (QLineEdit* box = panel_.text(settings_.archiveDateControl))
        box->setText(app::dateText(panel_.picker->date()));
}

void RegisterWindow::showError(const QString& text) {
    app::message(this, text, app::Buttons::Ok, app::Icon::Critical, texts::kErrorTitle);
}

void RegisterWindow::reject() {
    if (isEditing()) {
        app::message(this, texts::kStillEditing, app::Buttons::Ok, app::Icon::Exclamation,
                     texts::kHintTitle);
        return;
    }
    QDialog::reject();
}

void RegisterWindow::keyPressEvent(QKeyEvent* event) {
    // Esc does not close a register window: only "退  出" and the close box do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace registers
