#pragma once
// frmuser: the user accounts, one at a time in two bound boxes, with browse and edit
// modes.

#include <QDialog>
#include <QVariant>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;

namespace store {
class Connection;
class ControlBinder;
class Recordset;
} // namespace store

namespace admin {

class FrmUser : public QDialog {
    Q_OBJECT
public:
    explicit FrmUser(QWidget* parent = nullptr);
    ~FrmUser() override;

    // A close in edit mode (the title bar, 关闭 never shows then) asks as 取消 does.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();
    void load();
    void SetBrowseMode(bool browsing);
    bool browsing() const { return !adding_ && !editing_; }
    void showStatus();
    bool browseKey(int key, Qt::KeyboardModifiers modifiers);
    bool askDiscard();
    void discardEdit();

    void cmdAdd_Click();
    void cmdEdit_Click();
    void cmdUpdate_Click();
    void cmdCancel_Click();
    void cmdDelete_Click();
    void cmdRefresh_Click();
    void cmdFirst_Click();
    void cmdLast_Click();
    void cmdNext_Click();
    void cmdPrevious_Click();

    std::unique_ptr<store::Connection> db_;
    store::Recordset* adoPrimaryRS = nullptr;
    store::ControlBinder* binder_ = nullptr;

    QLineEdit* txtFields[2] = {};
    QLabel* lblStatus = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdEdit = nullptr;
    QPushButton* cmdDelete = nullptr;
    QPushButton* cmdRefresh = nullptr;
    QPushButton* cmdClose = nullptr;
    QPushButton* cmdUpdate = nullptr;
    QPushButton* cmdCancel = nullptr;
    QPushButton* cmdFirst = nullptr;
    QPushButton* cmdPrevious = nullptr;
    QPushButton* cmdNext = nullptr;
    QPushButton* cmdLast = nullptr;

    bool adding_ = false;
    bool editing_ = false;
    QVariant addBookmark_; // the row current when 新建 was last pressed
    int editPosition_ = 0; // the position current when 编辑 was last pressed
    bool placed_ = false;
};

} // namespace admin
