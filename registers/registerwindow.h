#pragma once
// The register window: a grid and an edit panel bound to one record set, the six
// browse buttons and the two edit buttons, a browse and an edit state. Each of the five
// windows is this class with its own settings.

#include "registers/editpanel.h"
#include "registers/settings.h"

#include <QDialog>
#include <array>
#include <functional>
#include <memory>

class QPushButton;
class QTableView;

namespace store {
class Connection;
class ControlBinder;
class GridModel;
class Recordset;
} // namespace store

namespace registers {

class RegisterWindow : public QDialog {
    Q_OBJECT
public:
    explicit RegisterWindow(RegisterSettings settings, QWidget* parent = nullptr);
    ~RegisterWindow() override;

    const RegisterSettings& settings() const { return settings_; }
    store::Recordset* recordset() const { return rs_.get(); }
    bool isModifying() const { return blnModify; }
    bool isFiltered() const { return blnFilter; }
    bool isEditing() const;

public Q_SLOTS:
    // The unload guard: refused while editing.
    void reject() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Building (registerwindow.cpp).
    void buildControls();
    void connectControls();
    void load();
    void setEditState(bool editing);
    void applyGridLayout();
    void fillUnitList();
    void fillRetentionList();
    void fillSecrecyList();
    void archiveDateChanged();
    void showError(const QString& text);
    // Runs a handler, showing any failure as the window's other failures are shown.
    void trapped(const std::function<void()>& action);
    // Failures of save and cancel: a refused write is the duplicate-key message.
    void trappedWrite(const std::function<void()>& action);

    // The actions (registeractions.cpp).
    void depClicked(int index);
    void actClicked(int index);
    void add();
    bool beginAdd();
    void edit();
    void find();
    void deleteRow();
    void refresh();
    void save();
    void cancel();
    void unitChosen();
    void land(Landing where);
    void proposeSerial();
    bool hasCurrentRow() const;

    RegisterSettings settings_;
    bool blnModify = false;
    bool blnFilter = false;

    std::unique_ptr<store::Connection> connection_;
    std::unique_ptr<store::Recordset> rs_;
    store::ControlBinder* binder_ = nullptr;
    store::GridModel* model_ = nullptr;
    QTableView* grid_ = nullptr;
    EditPanel panel_;
    std::array<QPushButton*, 6> cmddep_{};
    std::array<QPushButton*, 2> cmdact_{};
};

} // namespace registers
