#include "lending/jydd.h"

#include "lending/drawntitle.h"
#include "shell/app/app.h"
#include "shell/app/ui.h"
#include "store/catalogue.h"
#include "store/connection.h"
#include "store/error.h"
#include "store/recordset.h"

#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace lending {
namespace {

const QString kCaption = QStringLiteral("借阅确认");
const QString kDrawnTitle = QStringLiteral("借阅登记");
const QString kLastNumberQuery =
    QStringLiteral("select top 1 借阅编号 from 借阅记录库 order by 借阅编号 desc");
const QString kEmptyLoans = QStringLiteral("当前借阅记录为空！");
const QString kLastNumber = QStringLiteral("上一次编号为:");
const QString kBadNumber = QStringLiteral("输入的编号不符合规则,重新确认");
const QString kZeroQuantity = QStringLiteral("借阅数不能为零！重新输入");
const QString kNoBorrower = QStringLiteral("借阅人不能为空！请重新输入");
const QString kHint = QStringLiteral("提示");
const QString kOnLoan = QStringLiteral("借阅");
const QString kDigits = QStringLiteral("0123456789");

enum Box {
    YearPart = 0,
    SerialPart = 1,
    ItemTitle = 2,
    ItemSerial = 3,
    Handler = 4,
    LoanDate = 5,
    Quantity = 8,
    Borrower = 9,
    Remark = 10,
};

QString fourDigits(long long n) {
    return QStringLiteral("%1").arg(n, 4, 10, QLatin1Char('0'));
}

QLabel* makeLabel(const QString& text) {
    auto* label = new QLabel(text);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return label;
}

// A quantity is written as a whole number when it is one.
QVariant quantityValue(double q) {
    if (std::floor(q) == q && std::fabs(q) < 1e15)
        return QVariant(static_cast<qlonglong>(q));
    return QVariant(q);
}

} // namespace

Jydd::Jydd(store::Recordset& loans, QWidget* parent) : QDialog(parent), loans_(loans) {
    setWindowTitle(kCaption);
    buildControls();
}

Jydd::~Jydd() = default;

void Jydd::buildControls() {
    for (int i = 0; i < 11; ++i) {
        text1_[i] = new QLineEdit(this);
        text1_[i]->setObjectName(QStringLiteral("Text1(%1)").arg(i));
    }
    for (int i : {YearPart, SerialPart, ItemSerial, ItemTitle, Handler, LoanDate})
        text1_[i]->setReadOnly(true);
    for (int i : {YearPart, SerialPart}) {
        text1_[i]->setMaxLength(4);
        QFont f = text1_[i]->font();
        f.setPointSizeF(10.5);
        text1_[i]->setFont(f);
        text1_[i]->setMaximumWidth(64);
    }
    for (int i : {YearPart, SerialPart, ItemSerial})
        text1_[i]->installEventFilter(this);
    // Boxes 6 and 7 belong to the array but are never shown.
    text1_[6]->hide();
    text1_[7]->hide();

    label4_ = new QLabel;
    label4_->setObjectName(QStringLiteral("Label4"));
    label4_->setStyleSheet(QStringLiteral("QLabel { color: #000080; }"));

    dtPicker1_ = new QDateEdit;
    dtPicker1_->setObjectName(QStringLiteral("DTPicker1"));
    dtPicker1_->setCalendarPopup(true);
    dtPicker1_->setDisplayFormat(QStringLiteral("yyyy-M-d"));
    dtPicker1_->setDate(app::today());
    connect(dtPicker1_, &QDateEdit::dateChanged, this, &Jydd::onDateChanged);

    command1_ = new QPushButton(QStringLiteral("确定(&Y)"));
    command1_->setObjectName(QStringLiteral("Command1"));
    command2_ = new QPushButton(QStringLiteral("取消(&C)"));
    command2_->setObjectName(QStringLiteral("Command2"));
    command1_->setAutoDefault(false);
    command2_->setAutoDefault(false);
    connect(command1_, &QPushButton::clicked, this, &Jydd::onOkClicked);
    connect(command2_, &QPushButton::clicked, this, &QDialog::reject);

    QLabel* title = makeDrawnTitle(kDrawnTitle);

    auto* frame = new QGroupBox(QStringLiteral("资料借阅"));
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* grid = new QGridLayout(frame);
    // Row 1: loan number, item serial.
    auto* number = new QHBoxLayout;
    number->addWidget(text1_[YearPart]);
    number->addWidget(new QLabel(QStringLiteral("-")));
    number->addWidget(text1_[SerialPart]);
    number->addStretch();
    grid->addWidget(makeLabel(QStringLiteral("借阅编号:")), 0, 0);
    grid->addLayout(number, 0, 1);
    grid->addWidget(makeLabel(QStringLiteral("文件资料编号:")), 0, 2);
    grid->addWidget(text1_[ItemSerial], 0, 3, 1, 3);
    // Row 2: what the proposal was based on.
    grid->addWidget(label4_, 1, 1, 1, 5);
    // Row 3: item title.
    grid->addWidget(makeLabel(QStringLiteral("文件资料名:")), 2, 0);
    grid->addWidget(text1_[ItemTitle], 2, 1, 1, 5);
    // Row 4: handler, borrower, quantity.
    grid->addWidget(makeLabel(QStringLiteral("经 办 人:")), 3, 0);
    grid->addWidget(text1_[Handler], 3, 1);
    grid->addWidget(makeLabel(QStringLiteral("借阅人:")), 3, 2);
    grid->addWidget(text1_[Borrower], 3, 3);
    grid->addWidget(makeLabel(QStringLiteral("数量:")), 3, 4);
    grid->addWidget(text1_[Quantity], 3, 5);
    // Row 5: loan date with the picker, remark.
    auto* date = new QHBoxLayout;
    date->addWidget(text1_[LoanDate], 1);
    date->addWidget(dtPicker1_);
    grid->addWidget(makeLabel(QStringLiteral("借阅时间:")), 4, 0);
    grid->addLayout(date, 4, 1);
    grid->addWidget(makeLabel(QStringLiteral("备注:")), 4, 2);
    grid->addWidget(text1_[Remark], 4, 3, 1, 3);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(command1_);
    buttons->addWidget(command2_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(title);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    resize(620, sizeHint().height());
}

std::pair<QString, QString> Jydd::nextLoanNumber(const QString& p) {
    const long long serial = static_cast<long long>(app::leadingNumber(p.right(4))) + 1;
    if (serial <= 9999)
        return {p.left(4), fourDigits(serial)};
    // The serial part has run out: the year part moves on, so the number stays nine
    // characters long and is still the greatest in text order.
    bool ok = false;
    const int year = p.left(4).toInt(&ok);
    return {fourDigits(ok ? year + 1 : app::today().year()), fourDigits(1)};
}

void Jydd::load() {
    store::Connection connection(store::catalogueConnectionString());
    store::Recordset last;
    last.open(kLastNumberQuery, connection);
    if (last.recordCount() == 0) {
        label4_->setText(kEmptyLoans);
        text1_[YearPart]->setText(fourDigits(app::today().year()));
        text1_[SerialPart]->setText(QStringLiteral("0001"));
    } else {
        const QString p = last.text(0);
        label4_->setText(kLastNumber + p);
        const auto [year, serial] = nextLoanNumber(p);
        text1_[YearPart]->setText(year);
        text1_[SerialPart]->setText(serial);
    }
    last.close();
    connection.close();
    text1_[Handler]->setText(app::currentUser());
    {
        const QSignalBlocker block(dtPicker1_);
        dtPicker1_->setDate(app::today());
    }
    text1_[LoanDate]->setText(app::dateText(app::today()));
}

void Jydd::onDateChanged() {
    text1_[LoanDate]->setText(app::dateText(dtPicker1_->date()));
}

bool Jydd::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const QString key = static_cast<QKeyEvent*>(event)->text();
        // Control characters (backspace and the like) pass; other characters only as digits.
        if (!key.isEmpty() && key.at(0).unicode() > 26 && !kDigits.contains(key.at(0)))
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool Jydd::checkInput() {
    const QString number =
        text1_[YearPart]->text() + QStringLiteral("-") + text1_[SerialPart]->text();
    if (number.size() != 9 || text1_[SerialPart]->text() == QStringLiteral("0000")) {
        app::inform(this, kBadNumber, app::Icon::Exclamation, kHint);
        return false;
    }
    if (app::leadingNumber(text1_[Quantity]->text()) == 0) {
        app::inform(this, kZeroQuantity, app::Icon::Critical);
        text1_[Quantity]->setFocus();
        return false;
    }
    if (text1_[Borrower]->text().isEmpty()) {
        app::inform(this, kNoBorrower, app::Icon::Critical);
        text1_[Borrower]->setFocus();
        return false;
    }
    return true;
}

bool Jydd::writeLoan() {
    try {
        loans_.addNew();
        loans_.setValue(QStringLiteral("借阅编号"), text1_[YearPart]->text() + QStringLiteral("-") +
                                                        text1_[SerialPart]->text());
        loans_.setValue(QStringLiteral("文件资料编号"), text1_[ItemSerial]->text());
        loans_.setValue(QStringLiteral("文件资料名"), text1_[ItemTitle]->text());
        loans_.setValue(QStringLiteral("数量"),
                        quantityValue(app::leadingNumber(text1_[Quantity]->text())));
        loans_.setValue(QStringLiteral("备注"), text1_[Remark]->text());
        loans_.setValue(QStringLiteral("借阅人"), text1_[Borrower]->text());
        loans_.setValue(QStringLiteral("经办人"), text1_[Handler]->text());
        loans_.setValue(QStringLiteral("借阅时间"), text1_[LoanDate]->text());
        loans_.setValue(QStringLiteral("状态"), kOnLoan);
        loans_.update();
        return true;
    } catch (const store::DbError& e) {
        // The refused row leaves the loan list; what was typed stays for another try.
        try {
            if (loans_.hasPendingChanges())
                loans_.cancelUpdate();
        } catch (const store::DbError&) {
        }
        app::inform(this, e.description(), app::Icon::Critical);
        return false;
    }
}

void Jydd::onOkClicked() {
    if (checkInput() && writeLoan())
        accept();
}

} // namespace lending
