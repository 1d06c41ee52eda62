#include "registers/editpanel.h"

#include "shell/app/app.h"
#include "store/binder.h"

#include <QComboBox>
#include <QDateEdit>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QVariant>
#include <map>

namespace registers {
namespace {

QWidget* makeBox(const PanelControl& c, QWidget* parent) {
    QWidget* box = nullptr;
    switch (c.kind) {
    case PanelControl::Text:
    case PanelControl::DateText:
        box = new QLineEdit(parent);
        break;
    case PanelControl::ArchiveDate: {
        auto* line = new QLineEdit(parent);
        line->setReadOnly(true); // filled only from the picker
        box = line;
        break;
    }
    case PanelControl::Choice:
    case PanelControl::FreeText: {
        // Editable, so that a stored value outside the list still shows.
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setMaxVisibleItems(16);
        box = combo;
        break;
    }
    case PanelControl::Picker: {
        auto* picker = new QDateEdit(parent);
        picker->setCalendarPopup(true);
        picker->setDisplayFormat(QStringLiteral("yyyy-M-d"));
        picker->setDate(app::today());
        box = picker;
        break;
    }
    }
    box->setObjectName(c.name);
    return box;
}

QString dateShown(const QVariant& v) {
    if (v.typeId() == QMetaType::QDate)
        return app::ymdText(v.toDate());
    if (v.typeId() == QMetaType::QDateTime)
        return app::ymdText(v.toDateTime().date());
    return v.isValid() ? v.toString() : QString();
}

// The filing date as the picker writes it: 2004年3月5日.
QString archiveDateShown(const QVariant& v) {
    if (v.typeId() == QMetaType::QDate)
        return app::dateText(v.toDate());
    if (v.typeId() == QMetaType::QDateTime)
        return app::dateText(v.toDateTime().date());
    return v.isValid() ? v.toString() : QString();
}

} // namespace

QLineEdit* EditPanel::text(const QString& name) const {
    return qobject_cast<QLineEdit*>(boxes.value(name));
}

QComboBox* EditPanel::combo(const QString& name) const {
    return qobject_cast<QComboBox*>(boxes.value(name));
}

bool selectFirstEntry(QComboBox* box) {
    if (!box || box->count() == 0)
        return false;
    box->setCurrentIndex(0);
    if (box->currentText() != box->itemText(0))
        box->setEditText(box->itemText(0));
    return true;
}

EditPanel buildEditPanel(const QList<PanelControl>& controls, QWidget* parent) {
    EditPanel panel;
    panel.widget = new QWidget(parent);
    panel.widget->setObjectName(QStringLiteral("EditPanel"));
    auto* rows = new QVBoxLayout(panel.widget);
    rows->setContentsMargins(0, 0, 0, 0);
    std::map<int, QHBoxLayout*> rowLayouts;
    for (const PanelControl& c : controls) {
        QHBoxLayout*& row = rowLayouts[c.row];
        if (!row) {
            row = new QHBoxLayout;
            row->setSpacing(6);
        }
        if (!c.label.isEmpty()) {
            auto* label = new QLabel(c.labelCaption, panel.widget);
            label->setObjectName(c.label);
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            row->addWidget(label);
        }
        QWidget* box = makeBox(c, panel.widget);
        row->addWidget(box, c.stretch);
        panel.boxes.insert(c.name, box);
        panel.editable << box;
        if (c.kind == PanelControl::Picker)
            panel.picker = qobject_cast<QDateEdit*>(box);
    }
    for (auto& [index, row] : rowLayouts)
        rows->addLayout(row);
    rows->addStretch(1);
    return panel;
}

void bindEditPanel(const EditPanel& panel, const QList<PanelControl>& controls,
                   store::ControlBinder& binder) {
    for (const PanelControl& c : controls) {
        if (c.column.isEmpty())
            continue;
        if (auto* line = panel.text(c.name)) {
            if (c.kind == PanelControl::DateText)
                binder.bind(line, c.column, dateShown);
            else if (c.kind == PanelControl::ArchiveDate)
                binder.bind(line, c.column, archiveDateShown);
            else
                binder.bind(line, c.column);
        } else if (auto* combo = panel.combo(c.name)) {
            binder.bind(combo, c.column);
        }
    }
}

} // namespace registers
