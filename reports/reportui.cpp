#include "reports/reportui.h"

#include "reports/reportsettings.h"
#include "reports/spreadsheet.h"
#include "shell/app/ui.h"
#include "store/error.h"
#include "store/lists.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <QWidget>
#include <exception>

namespace reports {
namespace {

void showFailure(QWidget* window, const QString& description) {
    app::message(window, description, app::Buttons::Ok, app::Icon::Critical, kErrorTitle);
}

// The run blocks the window; the wait cursor says so, and goes before any message.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { release(); }
    void release() {
        if (active_)
            QGuiApplication::restoreOverrideCursor();
        active_ = false;
    }

private:
    bool active_ = true;
};

} // namespace

QPushButton* makeReportButton(const QString& text, const QString& objectName, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    return button;
}

void layOutFrameAndButtons(QWidget* window, QWidget* frame, QPushButton* print, QPushButton* save) {
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(print);
    buttons->addWidget(save);
    auto* layout = new QVBoxLayout(window);
    layout->addWidget(frame);
    layout->addLayout(buttons);
}

QComboBox* makeChoiceBox(const QString& objectName, QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(objectName);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    return box;
}

void fillList(QWidget* window, QComboBox* box, const QString& sql) {
    box->clear();
    try {
        QStringList entries = store::readList(sql);
        // A row without a value offers nothing to choose.
        entries.removeAll(QString());
        box->addItems(entries);
        if (box->count() > 0)
            box->setCurrentIndex(0);
    } catch (const store::DbError& e) {
        showFailure(window, e.description());
    }
}

void warn(QWidget* window, const QString& text) {
    app::message(window, text, app::Buttons::Ok, app::Icon::Exclamation, kHintTitle);
}

void performReport(QWidget* window, const ReportParams& params, const QString& selection,
                   ReportPath path) {
    WaitCursor wait;
    const Announce announce = [&](const QString& message) {
        wait.release();
        app::inform(window, message);
    };
    QString failure;
    try {
        runReport(params, selection, path, announce);
    } catch (const store::DbError& e) {
        failure = e.description();
    } catch (const ReportError& e) {
        failure = e.description();
    } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
    }
    wait.release();
    if (!failure.isEmpty())
        showFailure(window, failure);
}

} // namespace reports
