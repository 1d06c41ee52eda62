#include "shell/app/ui.h"
#include "shell/app/app.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace app {
namespace {

struct Hooks {
    std::function<Answer(const MessageRequest&)> message;
    std::function<std::optional<QString>(const FileDialogRequest&)> file;
    std::function<void()> beep;
};
Hooks& hooks() {
    static Hooks h;
    return h;
}

QMessageBox::Icon toQt(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Exclamation:
        return QMessageBox::Warning;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

Answer message(QWidget* parent, const QString& text, Buttons buttons, Icon icon,
               const QString& title) {
    const MessageRequest request{text, title.isEmpty() ? app::title() : title, icon, buttons};
    if (hooks().message)
        return hooks().message(request);
    QMessageBox box(toQt(icon), request.title, text, QMessageBox::NoButton, parent);
    if (buttons == Buttons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? Answer::Yes : Answer::No;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return Answer::Ok;
}

void inform(QWidget* parent, const QString& text, Icon icon, const QString& title) {
    message(parent, text, Buttons::Ok, icon, title);
}

bool confirm(QWidget* parent, const QString& text, const QString& title) {
    return message(parent, text, Buttons::YesNo, Icon::Question, title) == Answer::Yes;
}

std::optional<QString> chooseFile(QWidget* parent, const FileDialogRequest& request) {
    if (hooks().file)
        return hooks().file(request);
    QFileDialog dialog(parent, request.title, request.directory, request.filter);
    dialog.setOption(QFileDialog::DontUseNativeDialog, false);
    if (!request.defaultSuffix.isEmpty())
        dialog.setDefaultSuffix(request.defaultSuffix);
    if (request.save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        // The replace question is the caller's own.
        dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
        if (!request.proposedName.isEmpty())
            dialog.selectFile(request.proposedName);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        dialog.setOption(QFileDialog::ReadOnly, false);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

void setMessageHandler(std::function<Answer(const MessageRequest&)> handler) {
    hooks().message = std::move(handler);
}
void setFileDialogHandler(std::function<std::optional<QString>(const FileDialogRequest&)> handler) {
    hooks().file = std::move(handler);
}

void beep() {
    if (hooks().beep)
        hooks().beep();
    else
        QApplication::beep();
}
void setBeepHandler(std::function<void()> handler) {
    hooks().beep = std::move(handler);
}

} // namespace app
