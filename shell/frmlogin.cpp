#include "shell/frmlogin.h"

#include "shell/app/app.h"
#include "shell/app/ui.h"
#include "shell/placement.h"
#include "store/catalogue.h"
#include "store/connection.h"
#include "store/error.h"
#include "store/recordset.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProxyStyle>
#include <QPushButton>

namespace shell {
namespace {

const QString kCaption = QStringLiteral("程序登录");
const QString kUserLabel = QStringLiteral("用户名(&U):");
const QString kPasswordLabel = QStringLiteral("密  码(&P):");
const QString kOkCaption = QStringLiteral("确定");
const QString kCancelCaption = QStringLiteral("取消");
const QString kUsersSql = QStringLiteral("select * from 用户管理");
const QString kWrongLogin = QStringLiteral("输入登录信息不正确，请从新输入!");
const QString kCannotOpen = QStringLiteral("无法打开数据库 %2：\n%1");
const QString kNoUsers = QStringLiteral("用户管理中没有任何用户，无法登录。程序将退出。");
const QString kUserColumn = QStringLiteral("用户名");
const QString kPasswordColumn = QStringLiteral("密码");
constexpr quint16 kMaxAttempts = 3;

// Each typed character shows as "*", whatever the style's own mask character.
class PasswordStarStyle : public QProxyStyle {
public:
    explicit PasswordStarStyle(QObject* owner) : QProxyStyle() { setParent(owner); }
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* ret) const override {
        if (hint == SH_LineEdit_PasswordCharacter)
            return QLatin1Char('*').unicode();
        return QProxyStyle::styleHint(hint, option, widget, ret);
    }
};

} // namespace

FrmLogin::FrmLogin(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmLogin"));
    buildControls();
    Form_Load();
}

FrmLogin::~FrmLogin() {
    // The record set goes before the connection it reads from.
    rs_.reset();
    cn_.reset();
}

void FrmLogin::buildControls() {
    setWindowTitle(kCaption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    auto* lblLabels0 = new QLabel(kUserLabel, this);
    lblLabels0->setObjectName(QStringLiteral("lblLabels(0)"));
    auto* lblLabels1 = new QLabel(kPasswordLabel, this);
    lblLabels1->setObjectName(QStringLiteral("lblLabels(1)"));

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setEditable(true);
    // A typed name is never added to the list: the list mirrors the table's rows.
    Combo1->setInsertPolicy(QComboBox::NoInsert);
    Combo1->setMinimumWidth(180);
    lblLabels0->setBuddy(Combo1);

    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    // Made after the box and owned by the dialog, so it outlives the box.
    txtPassword->setStyle(new PasswordStarStyle(this));
    lblLabels1->setBuddy(txtPassword);

    cmdOK = new QPushButton(kOkCaption, this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdOK->setAutoDefault(true);
    cmdCancel = new QPushButton(kCancelCaption, this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(lblLabels0, 0, 0);
    grid->addWidget(Combo1, 0, 1);
    grid->addWidget(lblLabels1, 1, 0);
    grid->addWidget(txtPassword, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmdOK, &QPushButton::clicked, this, &FrmLogin::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmLogin::cmdCancel_Click);
    centreOnScreen(this);
}

void FrmLogin::Form_Load() {
    failedAttempts_ = 0;
    try {
        cn_ = store::openCatalogue();
        rs_ = std::make_unique<store::Recordset>();
        rs_->open(kUsersSql, *cn_);
        for (; !rs_->eof(); rs_->moveNext())
            Combo1->addItem(rs_->text(kUserColumn));
    } catch (const store::DbError& e) {
        app::inform(nullptr, kCannotOpen.arg(e.description(), store::cataloguePath()),
                    app::Icon::Critical);
        return;
    }
    if (Combo1->count() == 0) {
        app::inform(nullptr, kNoUsers, app::Icon::Critical);
        return;
    }
    Combo1->setCurrentIndex(0);
    txtPassword->clear();
    loaded_ = true;
    centreOnScreen(this);
}

int FrmLogin::chosenEntry() const {
    // Editing the box's text leaves the previous entry current; it only counts as chosen
    // while the text still is that entry's.
    const int index = Combo1->currentIndex();
    if (index < 0 || Combo1->currentText() != Combo1->itemText(index))
        return -1;
    return index;
}

bool FrmLogin::passwordMatches(int entry) const {
    store::Connection cn;
    cn.open(store::catalogueConnectionString());
    store::Recordset rs;
    rs.open(kUsersSql, cn);
    // The row is chosen by the entry's position, not by searching for the name.
    if (entry + 1 > rs.recordCount())
        return false;
    rs.setAbsolutePosition(entry + 1);
    const QVariant stored = rs.value(kPasswordColumn);
    const QString password = stored.isNull() ? QString() : stored.toString();
    const bool ok = rs.text(kUserColumn) == Combo1->currentText() && !stored.isNull() &&
                    !password.isEmpty() && password == txtPassword->text();
    rs.close();
    return ok;
}

void FrmLogin::cmdOK_Click() {
    const int entry = chosenEntry();
    bool ok = false;
    if (entry >= 0) {
        try {
            ok = passwordMatches(entry);
        } catch (const store::DbError& e) {
            app::inform(this, e.description(), app::Icon::Critical);
            return;
        }
    }
    if (ok) {
        app::setCurrentUser(Combo1->currentText());
        OK = true;
        hide();
        done(QDialog::Accepted);
        return;
    }
    refuse();
}

void FrmLogin::refuse() {
    ++failedAttempts_;
    if (failedAttempts_ >= kMaxAttempts) {
        done(QDialog::Rejected);
        return;
    }
    app::inform(this, kWrongLogin, app::Icon::Exclamation);
    txtPassword->setFocus();
}

void FrmLogin::cmdCancel_Click() {
    OK = false;
    done(QDialog::Rejected);
}

} // namespace shell
