#include "search/frmsql.h"

#include "search/chrome.h"
#include "shell/app/app.h"
#include "shell/app/ui.h"
#include "store/connection.h"
#include "store/error.h"
#include "store/recordset.h"
#include "store/sqltext.h"

#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <array>

namespace {

constexpr int kMaxFields = 31;
const QString kContains = QStringLiteral("包含");

// Whole numbers, currency and dates compare by value, so "contains" makes no sense there.
bool isOrderedType(int t) {
    return t == store::kSmallInt || t == store::kInteger || t == store::kCurrency ||
           t == store::kDate;
}

QStringList operatorsFor(int t) {
    if (isOrderedType(t))
        return {QStringLiteral("= "), QStringLiteral("> "),  QStringLiteral(">= "),
                QStringLiteral("< "), QStringLiteral("<= "), QStringLiteral("<> ")};
    return {kContains,
            QStringLiteral("> "),
            QStringLiteral(">= "),
            QStringLiteral("< "),
            QStringLiteral("<= "),
            QStringLiteral("<> "),
            QStringLiteral("= ")};
}

// The literal as the record set's filter reads it: 16-bit integers bare, dates between
// "#", everything else quoted with its quotes doubled.
QString literalFor(int t, const QString& value) {
    if (t == store::kSmallInt)
        return value;
    if (t == store::kDate)
        return QLatin1Char('#') + value + QLatin1Char('#');
    return QLatin1Char('\'') + store::sqlEscape(value) + QLatin1Char('\'');
}

} // namespace

struct FrmSql::Impl {
    FrmSql* q;
    std::array<int, kMaxFields> intFieldType{};
    bool answered = false;

    QComboBox* cboField = nullptr;
    QComboBox* combo1 = nullptr;
    QLineEdit* txtSql = nullptr;
    QDateEdit* dtPicker = nullptr;

    explicit Impl(FrmSql* owner) : q(owner) {}

    void build();
    QWidget* buildTitleBar();
    QWidget* buildContent();
    void load();
    void columnChosen(int position);
    void datePicked(const QDate& date);
    void ok();
    void cancel();
    int typeAt(int position) const {
        return position >= 0 && position < kMaxFields ? intFieldType[position] : store::kText;
    }
};

void FrmSql::Impl::build() {
    q->setObjectName(QStringLiteral("FrmSql"));
    q->setWindowTitle(QStringLiteral("查找"));
    q->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);

    using search::ImageBox;
    namespace c = search::chrome;
    auto* grid = new QGridLayout(q);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    grid->addWidget(buildTitleBar(), 0, 0, 1, 3);
    auto* left = new ImageBox(QStringLiteral("imgWindowLeft"), c::borderSide(), q);
    auto* right = new ImageBox(QStringLiteral("imgWindowRight"), c::borderSide(), q);
    left->setFixedWidth(c::kBorder);
    right->setFixedWidth(c::kBorder);
    grid->addWidget(left, 1, 0);
    grid->addWidget(buildContent(), 1, 1);
    grid->addWidget(right, 1, 2);
    auto* bottomLeft = new ImageBox(QStringLiteral("imgWindowBottomLeft"), c::borderCorner(), q);
    auto* bottom = new ImageBox(QStringLiteral("imgWindowBottom"), c::borderBottom(), q);
    auto* bottomRight = new ImageBox(QStringLiteral("imgWindowBottomRight"), c::borderCorner(), q);
    for (QLabel* b : {static_cast<QLabel*>(bottomLeft), static_cast<QLabel*>(bottom),
                      static_cast<QLabel*>(bottomRight)})
        b->setFixedHeight(c::kBorder);
    bottomLeft->setFixedWidth(c::kBorder);
    bottomRight->setFixedWidth(c::kBorder);
    grid->addWidget(bottomLeft, 2, 0);
    grid->addWidget(bottom, 2, 1);
    grid->addWidget(bottomRight, 2, 2);
    q->resize(460, 150);
}

QWidget* FrmSql::Impl::buildTitleBar() {
    using search::ImageBox;
    namespace c = search::chrome;
    auto* bar = new QWidget(q);
    bar->setFixedHeight(c::kTitleHeight);
    auto* row = new QHBoxLayout(bar);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    auto* leftPiece = new ImageBox(QStringLiteral("imgTitleLeft"), c::titleLeft(), bar);
    leftPiece->setFixedWidth(6);
    auto* main = new ImageBox(QStringLiteral("imgTitleMain"), c::titleMain(), bar);
    main->setDragsWindow(true);
    auto* rightPiece = new ImageBox(QStringLiteral("imgTitleRight"), c::titleRight(), bar);
    rightPiece->setFixedWidth(6);
    row->addWidget(leftPiece);
    row->addWidget(main, 1);
    row->addWidget(rightPiece);

    // The icon, the caption and the three boxes lie on the stretched middle piece.
    auto* onMain = new QHBoxLayout(main);
    onMain->setContentsMargins(0, 0, 0, 0);
    onMain->setSpacing(1);
    auto* iconBox = new ImageBox(QStringLiteral("Imageicon"), c::icon(), main);
    iconBox->setFixedSize(c::kTitleHeight, c::kTitleHeight);
    iconBox->setDragsWindow(true);
    auto* title = new QLabel(QStringLiteral("查  找"), main);
    title->setObjectName(QStringLiteral("lblTitle"));
    title->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));
    title->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* help = new ImageBox(QStringLiteral("imgTitleHelp"), c::helpBox(), main);
    auto* minimize = new ImageBox(QStringLiteral("imgTitleMinimize"), c::minimizeBox(), main);
    auto* close = new ImageBox(QStringLiteral("imgTitleClose"), c::closeBox(), main);
    for (QLabel* b :
         {static_cast<QLabel*>(help), static_cast<QLabel*>(minimize), static_cast<QLabel*>(close)})
        b->setFixedSize(c::kTitleHeight, c::kTitleHeight);
    onMain->addWidget(iconBox);
    onMain->addWidget(title);
    onMain->addStretch(1);
    onMain->addWidget(help);
    onMain->addWidget(minimize);
    onMain->addWidget(close);

    QObject::connect(minimize, &ImageBox::clicked, q, [this] { q->showMinimized(); });
    QObject::connect(close, &ImageBox::clicked, q, [this] { cancel(); });
    return bar;
}

QWidget* FrmSql::Impl::buildContent() {
    auto* content = new QWidget(q);
    auto* column = new QVBoxLayout(content);
    column->setContentsMargins(8, 6, 8, 8);

    auto* frame = new QGroupBox(QStringLiteral("查找内容"), content);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* row = new QHBoxLayout(frame);
    cboField = new QComboBox(frame);
    cboField->setObjectName(QStringLiteral("CboField"));
    cboField->setMinimumWidth(110);
    combo1 = new QComboBox(frame);
    combo1->setObjectName(QStringLiteral("Combo1"));
    combo1->setMinimumWidth(60);
    txtSql = new QLineEdit(frame);
    txtSql->setObjectName(QStringLiteral("TxtSQL"));
    txtSql->setMinimumWidth(120);
    dtPicker = new QDateEdit(frame);
    dtPicker->setObjectName(QStringLiteral("DTPicker1"));
    dtPicker->setCalendarPopup(true);
    dtPicker->setDisplayFormat(QStringLiteral("yyyy-M-d"));
    dtPicker->setMinimumWidth(
        dtPicker->fontMetrics().horizontalAdvance(QStringLiteral("2004-12-30")) + 40);
    row->addWidget(cboField);
    row->addWidget(combo1);
    row->addWidget(txtSql, 1);
    row->addWidget(dtPicker);
    column->addWidget(frame);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* okButton = new QPushButton(QStringLiteral("确定(&Y)"), content);
    okButton->setObjectName(QStringLiteral("CmdSql(0)"));
    okButton->setDefault(true);
    auto* cancelButton = new QPushButton(QStringLiteral("取消(&C)"), content);
    cancelButton->setObjectName(QStringLiteral("CmdSql(1)"));
    buttons->addWidget(okButton);
    buttons->addWidget(cancelButton);
    column->addLayout(buttons);

    QObject::connect(cboField, &QComboBox::currentIndexChanged, q,
                     [this](int position) { columnChosen(position); });
    QObject::connect(dtPicker, &QDateEdit::dateChanged, q,
                     [this](const QDate& date) { datePicked(date); });
    QObject::connect(okButton, &QPushButton::clicked, q, [this] { ok(); });
    QObject::connect(cancelButton, &QPushButton::clicked, q, [this] { cancel(); });
    return content;
}

void FrmSql::Impl::load() {
    intFieldType.fill(store::kText);
    {
        const QSignalBlocker block(dtPicker);
        dtPicker->setDate(app::today());
    }
    const QSignalBlocker block(cboField);
    cboField->clear();
    try {
        auto connection = store::openCatalogue();
        // Only the columns are needed: the rows of the table are not read.
        const QList<store::FieldInfo> fields =
            store::queryFields(QStringLiteral("select * from ") + q->sqlado, *connection);
        const int count = qMin<int>(q->intNumField, kMaxFields);
        for (int i = 0; i < count; ++i) {
            if (i >= fields.size())
                throw store::DbError(
                    store::kSqlError,
                    QStringLiteral("表 %1 只有 %2 列。").arg(q->sqlado).arg(fields.size()));
            intFieldType[i] = fields[i].type;
            cboField->addItem(fields[i].name);
        }
    } catch (const store::DbError& e) {
        app::message(q, e.description(), app::Buttons::Ok, app::Icon::Critical);
    }
    cboField->setCurrentIndex(cboField->count() > 0 ? 0 : -1);
    columnChosen(cboField->currentIndex());
}

void FrmSql::Impl::columnChosen(int position) {
    const int t = typeAt(position);
    if (t == store::kDate) {
        txtSql->setReadOnly(true);
        dtPicker->setEnabled(true);
        datePicked(dtPicker->date());
    } else {
        txtSql->setReadOnly(false);
        dtPicker->setEnabled(false);
    }
    combo1->clear();
    combo1->addItems(operatorsFor(t));
    combo1->setCurrentIndex(0);
}

// The date goes in as year-month-day without leading zeros: the filter reads it the
// same way whatever the desktop's locale writes.
void FrmSql::Impl::datePicked(const QDate& date) {
    txtSql->setText(app::ymdText(date));
}

void FrmSql::Impl::ok() {
    const QString typed = txtSql->text();
    if (typed.isEmpty()) {
        q->intNumField = -1;
    } else {
        const int position = cboField->currentIndex();
        QString op = combo1->currentText();
        QString value = typed;
        if (op == kContains) {
            op = QStringLiteral("like ");
            value = QLatin1Char('*') + value + QLatin1Char('*');
        }
        q->strSqlField = QLatin1Char(' ') + op + literalFor(typeAt(position), value);
        q->intNumField = qint16(position);
    }
    answered = true;
    q->accept();
}

void FrmSql::Impl::cancel() {
    q->intNumField = -2;
    answered = true;
    q->reject();
}

FrmSql::FrmSql(QWidget* parent) : QDialog(parent), d(new Impl(this)) {
    d->build();
}

FrmSql::~FrmSql() {
    delete d;
}

int FrmSql::exec() {
    d->answered = false;
    d->load();
    const int result = QDialog::exec();
    // Esc, the window manager's close or a reject() from outside: the caller must not
    // take the column count it gave for a position.
    if (!d->answered)
        intNumField = -2;
    return result;
}

namespace search {

Condition askCondition(QWidget* parent, const QString& table, int fieldCount) {
    FrmSql dialog(parent);
    dialog.sqlado = table;
    dialog.intNumField = qint16(fieldCount);
    dialog.exec();
    return {dialog.intNumField, dialog.strSqlField};
}

} // namespace search
