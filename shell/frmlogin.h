#pragma once
// The login dialog: a user name from 用户管理 and its password.
#include <QDialog>
#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;

namespace store {
class Connection;
class Recordset;
} // namespace store

namespace shell {

class FrmLogin : public QDialog {
    Q_OBJECT
public:
    explicit FrmLogin(QWidget* parent = nullptr);
    ~FrmLogin() override;

    // True only after a successful check.
    bool OK = false;

    // False when the user list could not be read; the reason has been shown and the
    // dialog must not be shown.
    bool loaded() const { return loaded_; }

private:
    void buildControls();
    void Form_Load();
    void cmdOK_Click();
    void cmdCancel_Click();
    // The list entry whose row is checked, or -1 when the typed name selects none.
    int chosenEntry() const;
    bool passwordMatches(int entry) const;
    void refuse();

    QComboBox* Combo1 = nullptr;
    QLineEdit* txtPassword = nullptr;
    QPushButton* cmdOK = nullptr;
    QPushButton* cmdCancel = nullptr;

    quint16 failedAttempts_ = 0;
    bool loaded_ = false;
    std::unique_ptr<store::Connection> cn_;
    std::unique_ptr<store::Recordset> rs_;
};

} // namespace shell
