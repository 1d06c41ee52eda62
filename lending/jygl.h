#pragma once
// The lending desk: every loan above, with return, loss and search; below, one of the
// four registers chosen by tab, from which an item is lent or its loans are listed.

#include <QDialog>
#include <QString>
#include <memory>

class QLabel;
class QPushButton;
class QTabBar;
class QTableView;

namespace store {
class Connection;
class GridModel;
class Recordset;
} // namespace store

namespace lending {

struct LoanRegister;

class Jygl : public QDialog {
    Q_OBJECT
public:
    explicit Jygl(QWidget* parent = nullptr);
    ~Jygl() override;

    // The loan record set: the registration dialog appends its new loan here, so the
    // loan grid shows it at once.
    store::Recordset* RS() const { return rs_.get(); }
    // The item record set of the chosen register.
    store::Recordset* RS1() const { return rs1_.get(); }
    QString strTabCaption() const { return strTabCaption_; }

private:
    void buildControls();
    void load();
    void chooseTab(int index);
    void onTabClicked(int index);
    void onLoanButton(int index);
    void onItemButton(int index);

    void ApplyLoanGridLayout();
    void ApplyItemGridLayout();
    void UpdateLoanButtons();
    void UpdateItemButtons();

    void markCurrentLoan(const QString& question, const QString& state);
    void findLoans();
    void refreshLoans();
    void lendItem();
    void showItemLoans();
    void findItems();
    const LoanRegister* currentRegister() const;
    void reportActionError(const QString& description);

    std::unique_ptr<store::Connection> connection_;
    std::unique_ptr<store::Recordset> rs_;
    std::unique_ptr<store::Recordset> rs1_;
    QString strTabCaption_;
    store::GridModel* loanModel_ = nullptr;
    store::GridModel* itemModel_ = nullptr;

    QTableView* dataGrid1_ = nullptr;
    QTableView* dataGrid2_ = nullptr;
    QTabBar* tabStrip1_ = nullptr;
    QPushButton* cmddep_[5] = {};
    QPushButton* cmdOK_[3] = {};
};

} // namespace lending
