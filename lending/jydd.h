#pragma once
// Registering one loan: proposes the next loan number, the handler and the date, takes
// quantity, borrower and remark, and appends the loan to the loan management window's
// loan record set.

#include <QDialog>
#include <memory>

class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;

namespace store {
class Recordset;
} // namespace store

namespace lending {

class Jydd : public QDialog {
    Q_OBJECT
public:
    // loans: the loan record set of the open loan management window.
    explicit Jydd(store::Recordset& loans, QWidget* parent = nullptr);
    ~Jydd() override;

    // Proposes the loan number, the handler and the date; throws store::DbError when the
    // loans cannot be read.
    void load();
    QLineEdit* text1(int index) const { return text1_[index]; }

    // The next loan number after p, the greatest stored one: year part and serial part.
    static std::pair<QString, QString> nextLoanNumber(const QString& p);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void onDateChanged();
    void onOkClicked();
    bool checkInput();
    bool writeLoan();

    store::Recordset& loans_;
    QLineEdit* text1_[11] = {};
    QLabel* label4_ = nullptr;
    QDateEdit* dtPicker1_ = nullptr;
    QPushButton* command1_ = nullptr;
    QPushButton* command2_ = nullptr;
};

} // namespace lending
