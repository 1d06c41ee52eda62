#include "lending/jygl.h"

#include "lending/drawntitle.h"
#include "lending/jydd.h"
#include "lending/loanregisters.h"
#include "search/frmsql.h"
#include "shell/app/app.h"
#include "shell/app/ui.h"
#include "store/binder.h"
#include "store/connection.h"
#include "store/error.h"
#include "store/gridmodel.h"
#include "store/recordset.h"
#include "store/sqltext.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QVBoxLayout>

namespace lending {
namespace {

const QString kCaption = QStringLiteral("借阅管理窗口");
const QString kDrawnTitle = QStringLiteral("借阅管理");
const QString kLoanGridCaption = QStringLiteral("借阅记录");
const QString kErrorTitle = QStringLiteral("错误");
const QString kConfirmReturn = QStringLiteral("确认归还!");
const QString kConfirmLoss = QStringLiteral("确认遗失!");
const QString kOnLoan = QStringLiteral("借阅");
const QString kReturned = QStringLiteral("已还");
const QString kLost = QStringLiteral("遗失");
const QString kStateColumn = QStringLiteral("状态");
const QString kReturnDateColumn = QStringLiteral("归还时间");
const QString kNotEmpty = QStringLiteral("<>''");

const char* const kLoanButtonCaptions[] = {"归  还", "遗  失", "查  询", "刷  新", "退  出"};
const char* const kItemButtonCaptions[] = {"借    阅", "借阅记录", "查    找"};

enum LoanButton { Return, Loss, FindLoans, Refresh, Close };
enum ItemButton { Lend, ItemLoans, FindItems };

// A skinned button: flat face, raised frame.
QPushButton* makeButton(const QString& name, const char* caption) {
    auto* button = new QPushButton(QString::fromUtf8(caption));
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setMinimumSize(88, 30);
    button->setStyleSheet(QStringLiteral(
        "QPushButton { background: #dfe8f3; border: 1px solid #7a93b5; border-radius: 3px; }"
        "QPushButton:hover { background: #eef3f9; }"
        "QPushButton:pressed { background: #c6d5e8; }"
        "QPushButton:disabled { color: #9aa3ad; background: #e8eaed; border-color: #b8bec6; }"));
    return button;
}

QTableView* makeGrid(const QString& name) {
    auto* grid = new QTableView;
    grid->setObjectName(name);
    return grid;
}

// A frame of the window: its grid, taking the width, and the grid's buttons beside it.
QGroupBox* makeFrame(const QString& name, QLayout* gridBox, QLayout* buttons) {
    auto* frame = new QGroupBox;
    frame->setObjectName(name);
    auto* row = new QHBoxLayout(frame);
    row->addLayout(gridBox, 1);
    row->addLayout(buttons);
    return frame;
}

// Shows every row again, staying on the row that was current when there was one.
void showAllRows(store::Recordset& rs, const QString& notEmptyFilter,
                 const std::function<void()>& applyLayout) {
    if (rs.recordCount() > 0) {
        const bool hasCurrent = !rs.bof() && !rs.eof();
        const store::Recordset::Bookmark mark = hasCurrent ? rs.bookmark() : QVariant();
        rs.setFilter(notEmptyFilter);
        rs.requery();
        applyLayout();
        if (hasCurrent)
            rs.setBookmark(mark);
    } else {
        rs.setFilter(QString());
        rs.requery();
        applyLayout();
    }
}

} // namespace

Jygl::Jygl(QWidget* parent) : QDialog(parent) {
    setWindowTitle(kCaption);
    buildControls();
    load();
}

Jygl::~Jygl() = default;

void Jygl::buildControls() {
    QLabel* title = makeDrawnTitle(kDrawnTitle);

    dataGrid1_ = makeGrid(QStringLiteral("DataGrid1"));
    dataGrid2_ = makeGrid(QStringLiteral("DataGrid2"));
    tabStrip1_ = new QTabBar;
    tabStrip1_->setObjectName(QStringLiteral("TabStrip1"));
    tabStrip1_->setExpanding(false);
    tabStrip1_->setDrawBase(true);
    for (const LoanRegister& r : loanRegisters())
        tabStrip1_->addTab(r.caption);

    auto* loanCaption = new QLabel(kLoanGridCaption);
    loanCaption->setObjectName(QStringLiteral("lblDataGrid1Caption"));
    loanCaption->setAlignment(Qt::AlignCenter);
    loanCaption->setStyleSheet(
        QStringLiteral("QLabel { background: #c6d5e8; border: 1px solid #7a93b5; }"));
    auto* loanGridBox = new QVBoxLayout;
    loanGridBox->setSpacing(0);
    loanGridBox->addWidget(loanCaption);
    loanGridBox->addWidget(dataGrid1_);

    auto* loanButtons = new QVBoxLayout;
    for (int i = 0; i < 5; ++i) {
        cmddep_[i] = makeButton(QStringLiteral("cmddep(%1)").arg(i), kLoanButtonCaptions[i]);
        loanButtons->addWidget(cmddep_[i]);
        connect(cmddep_[i], &QPushButton::clicked, this, [this, i] { onLoanButton(i); });
    }
    loanButtons->addStretch();

    QGroupBox* upper = makeFrame(QStringLiteral("Frame1"), loanGridBox, loanButtons);

    auto* itemBox = new QVBoxLayout;
    itemBox->setSpacing(0);
    itemBox->addWidget(tabStrip1_);
    itemBox->addWidget(dataGrid2_);

    auto* itemButtons = new QVBoxLayout;
    for (int i = 0; i < 3; ++i) {
        cmdOK_[i] = makeButton(QStringLiteral("cmdOK(%1)").arg(i), kItemButtonCaptions[i]);
        itemButtons->addWidget(cmdOK_[i]);
        connect(cmdOK_[i], &QPushButton::clicked, this, [this, i] { onItemButton(i); });
    }
    itemButtons->addStretch();

    QGroupBox* lower = makeFrame(QStringLiteral("Frame2"), itemBox, itemButtons);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(upper, 1);
    layout->addWidget(lower, 1);
    resize(1000, 700);
}

void Jygl::load() {
    try {
        connection_ = store::openCatalogue();
        auto rs = std::make_unique<store::Recordset>();
        connect(rs.get(), &store::Recordset::moveComplete, this, [this] {
            try {
                UpdateLoanButtons();
            } catch (const store::DbError& e) {
                app::inform(this, e.description(), app::Icon::Exclamation);
            }
        });
        rs_ = std::move(rs);
        rs_->open(QString::fromUtf8(kLoanQuery), *connection_);
        loanModel_ = store::bindGrid(dataGrid1_, rs_.get());
        ApplyLoanGridLayout();
        chooseTab(tabStrip1_->currentIndex());
    } catch (const store::DbError& e) {
        app::inform(this, e.description(), app::Icon::Critical, kErrorTitle);
    }
    // Later tab choices are the user's; the first one belongs to the load.
    connect(tabStrip1_, &QTabBar::currentChanged, this, &Jygl::onTabClicked);
}

void Jygl::chooseTab(int index) {
    strTabCaption_ = tabStrip1_->tabText(index);
    const LoanRegister* r = currentRegister();
    if (!r)
        return;
    auto rs = std::make_unique<store::Recordset>();
    rs->open(r->itemQuery, *connection_);
    itemModel_ = store::bindGrid(dataGrid2_, rs.get());
    // The old item list goes once the grid shows the new one.
    std::swap(rs1_, rs);
    connect(rs1_.get(), &store::Recordset::moveComplete, this, [this] {
        try {
            UpdateItemButtons();
        } catch (const store::DbError& e) {
            app::inform(this, e.description(), app::Icon::Exclamation);
        }
    });
    ApplyItemGridLayout();
    UpdateItemButtons();
}

void Jygl::onTabClicked(int index) {
    if (!connection_)
        return;
    try {
        chooseTab(index);
    } catch (const store::DbError& e) {
        reportActionError(e.description());
    }
}

const LoanRegister* Jygl::currentRegister() const {
    return loanRegister(strTabCaption_);
}

void Jygl::reportActionError(const QString& description) {
    app::inform(this, description, app::Icon::Critical);
}

void Jygl::ApplyLoanGridLayout() {
    store::applyGridLayout(dataGrid1_, loanGridColumns(), true);
}

void Jygl::ApplyItemGridLayout() {
    if (const LoanRegister* r = currentRegister())
        store::applyGridLayout(dataGrid2_, r->layout);
}

void Jygl::UpdateLoanButtons() {
    if (!rs_ || rs_->recordCount() == 0 || rs_->bof() || rs_->eof()) {
        cmddep_[Return]->setEnabled(false);
        cmddep_[Loss]->setEnabled(false);
        return;
    }
    cmddep_[Return]->setEnabled(true);
    cmddep_[Loss]->setEnabled(true);
    if (rs_->text(kStateColumn) != kOnLoan) {
        cmddep_[Return]->setEnabled(false);
        cmddep_[Loss]->setEnabled(false);
    }
}

void Jygl::UpdateItemButtons() {
    const bool hasItems = rs1_ && rs1_->recordCount() > 0;
    cmdOK_[Lend]->setEnabled(hasItems);
    cmdOK_[ItemLoans]->setEnabled(hasItems);
}

void Jygl::onLoanButton(int index) {
    // Without a loan list (its load failed) only closing is left.
    if (index != Close && !loanModel_)
        return;
    try {
        switch (index) {
        case Return:
            markCurrentLoan(kConfirmReturn, kReturned);
            break;
        case Loss:
            markCurrentLoan(kConfirmLoss, kLost);
            break;
        case FindLoans:
            findLoans();
            break;
        case Refresh:
            refreshLoans();
            break;
        case Close:
            close();
            break;
        default:
            break;
        }
    } catch (const store::DbError& e) {
        reportActionError(e.description());
    }
}

void Jygl::onItemButton(int index) {
    if (!itemModel_ || !loanModel_)
        return;
    try {
        switch (index) {
        case Lend:
            lendItem();
            break;
        case ItemLoans:
            showItemLoans();
            break;
        case FindItems:
            findItems();
            break;
        default:
            break;
        }
    } catch (const store::DbError& e) {
        reportActionError(e.description());
    }
}

void Jygl::markCurrentLoan(const QString& question, const QString& state) {
    if (!app::confirm(this, question))
        return;
    rs_->setValue(kStateColumn, state);
    rs_->setValue(kReturnDateColumn, app::today());
    try {
        rs_->update();
    } catch (const store::DbError&) {
        // The grid must not show a state the database refused.
        rs_->cancelUpdate();
        throw;
    }
    UpdateLoanButtons();
}

void Jygl::findLoans() {
    const search::Condition c =
        search::askCondition(this, QString::fromUtf8(kLoanTable), kLoanFieldCount);
    if (c.column == -1 || c.column == -2) {
        showAllRows(*rs_, loanModel_->columnName(1) + kNotEmpty, [this] { ApplyLoanGridLayout(); });
        return;
    }
    rs_->setFilter(loanModel_->columnName(c.column) + c.operand);
}

void Jygl::refreshLoans() {
    if (!rs_->bof() && !rs_->eof()) {
        const store::Recordset::Bookmark mark = rs_->bookmark();
        rs_->requery();
        rs_->setBookmark(mark);
    } else {
        rs_->requery();
    }
    ApplyLoanGridLayout();
}

void Jygl::lendItem() {
    Jydd dialog(*rs_, this);
    dialog.load();
    dialog.text1(2)->setText(rs1_->text(QString::fromUtf8(kItemTitle)));
    dialog.text1(3)->setText(rs1_->text(QString::fromUtf8(kItemSerial)));
    dialog.exec();
    UpdateItemButtons();
    // The new loan, if any, is the current row now and is on loan.
    UpdateLoanButtons();
}

void Jygl::showItemLoans() {
    const QString serial = rs1_->text(QString::fromUtf8(kItemSerial));
    rs_->setFilter(loanModel_->columnName(2) + QStringLiteral("='") + store::sqlEscape(serial) +
                   QStringLiteral("'"));
}

void Jygl::findItems() {
    const LoanRegister* r = currentRegister();
    if (!r || !rs1_)
        return;
    const search::Condition c = search::askCondition(this, r->table, r->fieldCount);
    if (c.column == -1 || c.column == -2) {
        showAllRows(*rs1_, itemModel_->columnName(0) + kNotEmpty,
                    [this] { ApplyItemGridLayout(); });
        return;
    }
    rs1_->setFilter(itemModel_->columnName(c.column) + c.operand);
}

} // namespace lending
