#include "admin/frmuser.h"

#include "shell/app/ui.h"
#include "store/binder.h"
#include "store/connection.h"
#include "store/error.h"
#include "store/recordset.h"

#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

namespace admin {
namespace {

// The window's texts.
namespace text {
const QString caption = QStringLiteral("用户管理窗口");
const QString frame = QStringLiteral("    用户信息");
const QString nameLabel = QStringLiteral("用户名称:");
const QString passwordLabel = QStringLiteral("用户密码:");
const QString add = QStringLiteral("新建(&N)");
const QString edit = QStringLiteral("编辑(&E)");
const QString remove = QStringLiteral("删除(&D)");
const QString refresh = QStringLiteral("刷新(&R)");
const QString close = QStringLiteral("关闭(&C)");
const QString update = QStringLiteral("保存(&S)");
const QString cancel = QStringLiteral("取消(&C)");
const QString adding = QStringLiteral("添加记录");
const QString editing = QStringLiteral("编辑记录");
const QString lastUser = QStringLiteral("最后一个用户不能删除！");
const QString confirmDelete = QStringLiteral("你确认要删除吗");
const QString confirmDiscard = QStringLiteral("你要放弃修改吗?");
const QString emptyName = QStringLiteral("用户名称不能为空！");
const QString emptyPassword = QStringLiteral("用户密码不能为空，没有密码的用户无法登录！");
const QString hintTitle = QStringLiteral("提示");
} // namespace text

const QString kQuery = QStringLiteral("select 用户名,密码 from 用户管理");

QString statusText(int position, int count) {
    return QStringLiteral("用户: ") + QString::number(position) + QStringLiteral("      共") +
           QString::number(count) + QStringLiteral("个用户");
}

void fail(QWidget* w, const store::DbError& e, app::Icon icon = app::Icon::Exclamation) {
    app::inform(w, e.description(), icon);
}

// A remembered bookmark counts only when one was taken and, if it is a number, above 0.
bool usableBookmark(const QVariant& bookmark) {
    if (!bookmark.isValid() || bookmark.isNull())
        return false;
    bool numeric = false;
    const qlonglong n = bookmark.toLongLong(&numeric);
    return !numeric || n > 0;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    // Enter never presses a button for the user: the window has no default button.
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

QPushButton* makePictureButton(QWidget* parent, const char* name, QStyle::StandardPixmap pixmap) {
    auto* b = makeButton(parent, name, QString());
    b->setIcon(parent->style()->standardIcon(pixmap));
    b->setFixedWidth(32);
    return b;
}

} // namespace

FrmUser::FrmUser(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmuser"));
    setWindowTitle(text::caption);
    buildControls();
    load();
    // A fixed dialog: the size that holds the browse row of buttons.
    setFixedSize(sizeHint());
}

FrmUser::~FrmUser() {
    // The bound boxes and the record set go before the connection they were read on.
    delete binder_;
    binder_ = nullptr;
    delete adoPrimaryRS;
    adoPrimaryRS = nullptr;
}

void FrmUser::buildControls() {
    auto* frame = new QGroupBox(text::frame, this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto* grid = new QGridLayout(frame);
    for (int i = 0; i < 2; ++i) {
        txtFields[i] = new QLineEdit(frame);
        txtFields[i]->setObjectName(QStringLiteral("txtFields(%1)").arg(i));
        txtFields[i]->setMinimumWidth(200);
    }
    txtFields[1]->setEchoMode(QLineEdit::Password);
    txtFields[1]->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    auto* name = new QLabel(text::nameLabel, frame);
    name->setObjectName(QStringLiteral("lblLabels(0)"));
    auto* password = new QLabel(text::passwordLabel, frame);
    password->setObjectName(QStringLiteral("lblLabels(1)"));
    grid->addWidget(name, 0, 0);
    grid->addWidget(txtFields[0], 0, 1);
    grid->addWidget(password, 1, 0);
    grid->addWidget(txtFields[1], 1, 1);

    cmdAdd = makeButton(this, "cmdAdd", text::add);
    cmdEdit = makeButton(this, "cmdEdit", text::edit);
    cmdDelete = makeButton(this, "cmdDelete", text::remove);
    cmdRefresh = makeButton(this, "cmdRefresh", text::refresh);
    cmdClose = makeButton(this, "cmdClose", text::close);
    cmdUpdate = makeButton(this, "cmdUpdate", text::update);
    cmdCancel = makeButton(this, "cmdCancel", text::cancel);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {cmdAdd, cmdEdit, cmdDelete, cmdRefresh, cmdClose, cmdUpdate, cmdCancel})
        buttons->addWidget(b);

    cmdFirst = makePictureButton(this, "cmdFirst", QStyle::SP_MediaSkipBackward);
    cmdPrevious = makePictureButton(this, "cmdPrevious", QStyle::SP_MediaSeekBackward);
    cmdNext = makePictureButton(this, "cmdNext", QStyle::SP_MediaSeekForward);
    cmdLast = makePictureButton(this, "cmdLast", QStyle::SP_MediaSkipForward);
    lblStatus = new QLabel(this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));
    lblStatus->setAutoFillBackground(true);
    QPalette white = lblStatus->palette();
    white.setColor(QPalette::Window, Qt::white);
    lblStatus->setPalette(white);
    lblStatus->setAlignment(Qt::AlignCenter);
    lblStatus->setFrameShape(QFrame::Panel);
    lblStatus->setFrameShadow(QFrame::Sunken);
    auto* navigation = new QHBoxLayout;
    navigation->setSpacing(0);
    navigation->addWidget(cmdFirst);
    navigation->addWidget(cmdPrevious);
    navigation->addWidget(lblStatus, 1);
    navigation->addWidget(cmdNext);
    navigation->addWidget(cmdLast);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    layout->addLayout(navigation);

    connect(cmdAdd, &QPushButton::clicked, this, &FrmUser::cmdAdd_Click);
    connect(cmdEdit, &QPushButton::clicked, this, &FrmUser::cmdEdit_Click);
    connect(cmdUpdate, &QPushButton::clicked, this, &FrmUser::cmdUpdate_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmUser::cmdCancel_Click);
    connect(cmdDelete, &QPushButton::clicked, this, &FrmUser::cmdDelete_Click);
    connect(cmdRefresh, &QPushButton::clicked, this, &FrmUser::cmdRefresh_Click);
    connect(cmdClose, &QPushButton::clicked, this, &FrmUser::close);
    connect(cmdFirst, &QPushButton::clicked, this, &FrmUser::cmdFirst_Click);
    connect(cmdPrevious, &QPushButton::clicked, this, &FrmUser::cmdPrevious_Click);
    connect(cmdNext, &QPushButton::clicked, this, &FrmUser::cmdNext_Click);
    connect(cmdLast, &QPushButton::clicked, this, &FrmUser::cmdLast_Click);

    // The window sees every key before its controls do.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
}

void FrmUser::load() {
    adoPrimaryRS = new store::Recordset;
    connect(adoPrimaryRS, &store::Recordset::moveComplete, this, &FrmUser::showStatus);
    binder_ = new store::ControlBinder(adoPrimaryRS);
    try {
        db_ = store::openCatalogue();
        adoPrimaryRS->open(kQuery, *db_);
        binder_->bind(txtFields[0], QStringLiteral("用户名"));
        binder_->bind(txtFields[1], QStringLiteral("密码"));
        SetBrowseMode(true);
    } catch (const store::DbError& e) {
        fail(this, e, app::Icon::Critical);
    }
}

void FrmUser::SetBrowseMode(bool browsing) {
    for (QPushButton* b : {cmdAdd, cmdEdit, cmdDelete, cmdRefresh, cmdClose})
        b->setVisible(browsing);
    for (QPushButton* b : {cmdUpdate, cmdCancel})
        b->setVisible(!browsing);
    for (QPushButton* b : {cmdFirst, cmdPrevious, cmdNext, cmdLast})
        b->setEnabled(browsing);
    for (QLineEdit* box : txtFields) {
        box->setReadOnly(browsing);
        box->setFrame(browsing);
    }
}

void FrmUser::showStatus() {
    try {
        const int position = adoPrimaryRS->absolutePosition();
        lblStatus->setText(statusText(position > 0 ? position : 0, adoPrimaryRS->recordCount()));
    } catch (const store::DbError& e) {
        fail(this, e);
    }
}

void FrmUser::cmdAdd_Click() {
    try {
        if (adoPrimaryRS->recordCount() > 0)
            addBookmark_ = adoPrimaryRS->bookmark();
        adoPrimaryRS->addNew();
        binder_->refresh();
        lblStatus->setText(text::adding);
        adding_ = true;
        SetBrowseMode(false);
        txtFields[0]->setFocus();
    } catch (const store::DbError& e) {
        fail(this, e);
    }
}

void FrmUser::cmdEdit_Click() {
    try {
        editPosition_ = adoPrimaryRS->absolutePosition();
        lblStatus->setText(text::editing);
        editing_ = true;
        SetBrowseMode(false);
        txtFields[0]->setFocus();
    } catch (const store::DbError& e) {
        fail(this, e);
    }
}

void FrmUser::cmdUpdate_Click() {
    // An account without a name or password can never log in; saving one could lose the
    // last usable account.
    if (txtFields[0]->text().trimmed().isEmpty()) {
        app::inform(this, text::emptyName, app::Icon::Exclamation, text::hintTitle);
        txtFields[0]->setFocus();
        return;
    }
    if (txtFields[1]->text().isEmpty()) {
        app::inform(this, text::emptyPassword, app::Icon::Exclamation, text::hintTitle);
        txtFields[1]->setFocus();
        return;
    }
    try {
        adoPrimaryRS->updateBatch();
        if (adding_) {
            adoPrimaryRS->moveLast();
        } else {
            adoPrimaryRS->moveFirst();
            if (editPosition_ > 1 && editPosition_ <= adoPrimaryRS->recordCount())
                adoPrimaryRS->setAbsolutePosition(editPosition_);
        }
        adding_ = false;
        editing_ = false;
        SetBrowseMode(true);
    } catch (const store::DbError& e) {
        fail(this, e);
    }
}

bool FrmUser::askDiscard() {
    return app::confirm(this, text::confirmDiscard);
}

void FrmUser::discardEdit() {
    SetBrowseMode(true);
    adding_ = false;
    editing_ = false;
    try {
        adoPrimaryRS->cancelUpdate();
    } catch (const store::DbError&) {
    }
    bool moved = false;
    try {
        if (usableBookmark(addBookmark_)) {
            adoPrimaryRS->setBookmark(addBookmark_);
            moved = true;
        }
    } catch (const store::DbError&) {
    }
    try {
        if (!moved)
            adoPrimaryRS->moveFirst();
    } catch (const store::DbError&) {
    }
    try {
        binder_->refresh();
    } catch (const store::DbError&) {
    }
}

void FrmUser::cmdCancel_Click() {
    if (!askDiscard())
        return;
    discardEdit();
}

void FrmUser::reject() {
    if (!browsing()) {
        if (!askDiscard())
            return;
        discardEdit();
    }
    QDialog::reject();
}

void FrmUser::cmdDelete_Click() {
    try {
        if (adoPrimaryRS->recordCount() == 1) {
            app::inform(this, text::lastUser, app::Icon::Exclamation);
            return;
        }
        if (!app::confirm(this, text::confirmDelete))
            return;
        adoPrimaryRS->deleteCurrent();
        adoPrimaryRS->moveNext();
        if (adoPrimaryRS->eof())
            adoPrimaryRS->moveLast();
    } catch (const store::DbError& e) {
        fail(this, e);
    }
}

void FrmUser::cmdRefresh_Click() {
    try {
        adoPrimaryRS->requery();
    } catch (const store::DbError& e) {
        fail(this, e);
    }
}

void FrmUser::cmdFirst_Click() {
    try {
        adoPrimaryRS->moveFirst();
    } catch (const store::DbError& e) {
        fail(this, e);
    }
}

void FrmUser::cmdLast_Click() {
    try {
        adoPrimaryRS->moveLast();
    } catch (const store::DbError& e) {
        fail(this, e);
    }
}

void FrmUser::cmdNext_Click() {
    try {
        if (!adoPrimaryRS->eof())
            adoPrimaryRS->moveNext();
        if (adoPrimaryRS->eof() && adoPrimaryRS->recordCount() > 0) {
            app::beep();
            adoPrimaryRS->moveLast();
        }
    } catch (const store::DbError& e) {
        fail(this, e);
    }
}

void FrmUser::cmdPrevious_Click() {
    try {
        if (!adoPrimaryRS->bof())
            adoPrimaryRS->movePrevious();
        if (adoPrimaryRS->bof() && adoPrimaryRS->recordCount() > 0) {
            app::beep();
            adoPrimaryRS->moveFirst();
        }
    } catch (const store::DbError& e) {
        fail(this, e);
    }
}

void FrmUser::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (placed_)
        return;
    placed_ = true;
    if (const QScreen* screen = this->screen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
}

bool FrmUser::browseKey(int key, Qt::KeyboardModifiers modifiers) {
    const bool ctrlAlone = (modifiers & ~Qt::KeypadModifier) == Qt::ControlModifier;
    switch (key) {
    case Qt::Key_Escape:
        close();
        return true;
    case Qt::Key_End:
        cmdLast_Click();
        return true;
    case Qt::Key_Home:
        cmdFirst_Click();
        return true;
    case Qt::Key_Up:
    case Qt::Key_PageUp:
        ctrlAlone ? cmdFirst_Click() : cmdPrevious_Click();
        return true;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        ctrlAlone ? cmdLast_Click() : cmdNext_Click();
        return true;
    default:
        return false;
    }
}

bool FrmUser::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (browsing())
            return browseKey(key->key(), key->modifiers());
        // In edit mode Esc does nothing at all; above all it does not close the window.
        if (key->key() == Qt::Key_Escape)
            return true;
    }
    return QDialog::eventFilter(watched, event);
}

} // namespace admin
