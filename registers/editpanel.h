#pragma once
// The edit panel of a register window, built from its settings: rows of labelled boxes,
// each box named as the settings name it.

#include "registers/settings.h"

#include <QHash>
#include <QList>

class QComboBox;
class QDateEdit;
class QLineEdit;
class QWidget;

namespace store {
class ControlBinder;
}

namespace registers {

struct EditPanel {
    QWidget* widget = nullptr;
    QHash<QString, QWidget*> boxes; // every bound box and the picker, by object name
    QList<QWidget*> editable;       // what the edit state enables, in panel order
    QDateEdit* picker = nullptr;

    QLineEdit* text(const QString& name) const;
    QComboBox* combo(const QString& name) const;
    QWidget* box(const QString& name) const { return boxes.value(name); }
};

EditPanel buildEditPanel(const QList<PanelControl>& controls, QWidget* parent);
// Chooses the first entry of a list box and writes it into the bound column, also when
// the box had that entry selected while it showed another row's value. false when the
// list is empty.
bool selectFirstEntry(QComboBox* box);

// Binds every box of the panel to its column of the binder's record set.
void bindEditPanel(const EditPanel& panel, const QList<PanelControl>& controls,
                   store::ControlBinder& binder);

} // namespace registers
