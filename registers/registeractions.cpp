// What the buttons of a register window do.

#include "registers/registerwindow.h"

#include "registers/texts.h"
#include "search/frmsql.h"
#include "shell/app/app.h"
#include "shell/app/ui.h"
#include "store/binder.h"
#include "store/gridmodel.h"
#include "store/recordset.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace registers {

void RegisterWindow::depClicked(int index) {
    switch (index) {
    case 0:
        add();
        break;
    case 1:
        trapped([this] { edit(); });
        break;
    case 2:
        trapped([this] { find(); });
        break;
    case 3:
        trapped([this] { deleteRow(); });
        break;
    case 4:
        trapped([this] { refresh(); });
        break;
    case 5:
        close();
        break;
    }
}

void RegisterWindow::actClicked(int index) {
    if (index == 0)
        save();
    else
        cancel();
}

bool RegisterWindow::hasCurrentRow() const {
    return rs_->isOpen() && !rs_->bof() && !rs_->eof();
}

void RegisterWindow::land(Landing where) {
    if (where == Landing::Last)
        rs_->moveLast();
    else
        rs_->moveFirst();
}

void RegisterWindow::add() {
    trapped([this] {
        blnModify = false;
        beginAdd();
    });
}

bool RegisterWindow::beginAdd() {
    const store::Recordset::Bookmark before = hasCurrentRow() ? rs_->bookmark() : QVariant();
    rs_->addNew();
    // Whatever stops the addition takes its row away again, and the window stays in
    // browse on the row it was on.
    auto dropAppended = [&] {
        if (hasCurrentRow())
            rs_->cancelUpdate();
        if (before.isValid())
            rs_->setBookmark(before);
        if (binder_)
            binder_->refresh();
    };
    auto refuse = [&](const QString& why) {
        dropAppended();
        app::message(this, why, app::Buttons::Ok, app::Icon::Exclamation, texts::kHintTitle);
        return false;
    };
    try {
        if (settings_.choiceLists) {
            QComboBox* units = panel_.combo(texts::kUnitBox);
            if (units->count() == 0)
                return refuse(texts::kNoUnits);
            selectFirstEntry(units);
            fillRetentionList();
            if (panel_.combo(texts::kRetentionBox)->count() == 0)
                return refuse(texts::kNoRetention);
            fillSecrecyList();
            if (!selectFirstEntry(panel_.combo(texts::kSecrecyBox)))
                return refuse(texts::kNoSecrecy);
        }
        proposeSerial();
        const QString year = QString::number(app::today().year());
        if (QLineEdit* box = panel_.text(settings_.yearControl))
            box->setText(year);
        if (panel_.picker) {
            const QSignalBlocker block(panel_.picker);
            panel_.picker->setDate(app::today());
        }
        archiveDateChanged();
    } catch (...) {
        dropAppended();
        throw;
    }
    setEditState(true);
    if (QWidget* box = panel_.box(settings_.focusAfterAddEdit))
        box->setFocus();
    return true;
}

void RegisterWindow::proposeSerial() {
    QLineEdit* box = panel_.text(settings_.keyControl);
    switch (settings_.serialRule) {
    case SerialRule::None:
        return;
    case SerialRule::Fixed:
        box->setText(settings_.fixedSerial);
        return;
    case SerialRule::Counted:
        // The count is read after the append, so it counts the new row.
        box->setText(settings_.serialPrefix + QString::number(app::today().year()) +
                     QLatin1Char('-') + QString::number(rs_->recordCount()));
        return;
    }
}

void RegisterWindow::edit() {
    // With no current row there is nothing the panel could change.
    if (!hasCurrentRow())
        return;
    blnModify = true;
    setEditState(true);
    if (QWidget* box = panel_.box(settings_.focusAfterAddEdit))
        box->setFocus();
}

void RegisterWindow::find() {
    const search::Condition answer =
        search::askCondition(this, settings_.table, settings_.findFieldCount);
    if (answer.column < 0) {
        blnFilter = false;
        for (int i = 0; i <= 4; ++i)
            cmddep_[i]->setEnabled(true);
        if (!hasCurrentRow()) {
            rs_->setFilter(QString());
            rs_->requery();
            applyGridLayout();
        } else {
            const store::Recordset::Bookmark mark = rs_->bookmark();
            rs_->setFilter(QString());
            rs_->requery();
            applyGridLayout();
            rs_->setBookmark(mark);
        }
        return;
    }
    rs_->setFilter(model_->columnName(answer.column) + answer.operand);
    blnFilter = true;
    cmddep_[0]->setEnabled(false);
}

void RegisterWindow::deleteRow() {
    if (!app::confirm(this, texts::kDeleteQuestion, texts::kDeleteTitle))
        return;
    rs_->deleteCurrent();
    rs_->updateBatch();
    if (rs_->recordCount() > 0) {
        land(settings_.afterDelete);
    } else {
        for (int i = 1; i <= 4; ++i)
            cmddep_[i]->setEnabled(false);
        cmddep_[2]->setEnabled(true);
    }
}

void RegisterWindow::refresh() {
    if (!hasCurrentRow()) {
        rs_->requery();
        applyGridLayout();
        return;
    }
    const store::Recordset::Bookmark mark = rs_->bookmark();
    rs_->requery();
    rs_->setBookmark(mark);
    applyGridLayout();
}

void RegisterWindow::save() {
    if (!settings_.emptyKeyMessage.isEmpty() &&
        panel_.text(settings_.keyControl)->text().isEmpty()) {
        showError(settings_.emptyKeyMessage);
        return;
    }
    trappedWrite([this] {
        rs_->updateBatch();
        if (blnModify) {
            refresh();
        } else {
            rs_->requery();
            applyGridLayout();
            land(settings_.afterSavingAddition);
        }
        setEditState(false);
    });
}

void RegisterWindow::cancel() {
    if (!app::confirm(this, texts::kCancelQuestion, texts::kCancelTitle))
        return;
    trappedWrite([this] {
        if (!blnModify) {
            // The pending row's key is set so that dropping it can never trip over an
            // empty key.
            if (hasCurrentRow()) {
                rs_->setValue(settings_.keyColumn, settings_.cancelledAdditionKey);
                rs_->deleteCurrent();
            }
            rs_->updateBatch();
            if (rs_->recordCount() > 0)
                rs_->moveFirst();
        } else if (hasCurrentRow()) {
            rs_->cancelUpdate();
        }
        if (rs_->recordCount() > 0)
            refresh();
        if (binder_)
            binder_->refresh();
        setEditState(false);
    });
}

void RegisterWindow::unitChosen() {
    // Choosing a responsible party always resets the retention period.
    trapped([this] { fillRetentionList(); });
}

} // namespace registers
