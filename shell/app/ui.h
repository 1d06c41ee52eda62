#pragma once
// Message boxes and file dialogs. Every window goes through these, so tests answer them.

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace app {

enum class Icon { None, Information, Exclamation, Critical, Question };
enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

struct MessageRequest {
    QString text;
    QString title; // as shown: an empty title given becomes the application title
    Icon icon = Icon::None;
    Buttons buttons = Buttons::Ok;
};

// Shows a modal message box; an empty title shows the application title. With Yes/No
// anything but Yes (Esc, the close box) answers No.
Answer message(QWidget* parent, const QString& text, Buttons buttons = Buttons::Ok,
               Icon icon = Icon::None, const QString& title = QString());

// Shorthands for the common forms.
void inform(QWidget* parent, const QString& text, Icon icon = Icon::None,
            const QString& title = QString());
bool confirm(QWidget* parent, const QString& text, const QString& title = QString());

struct FileDialogRequest {
    QString title;
    QString directory;
    QString proposedName;
    QString filter; // Qt form: "(数据库)*.mdb (*.mdb)"
    bool save = false;
    bool mustExist = false;
    QString defaultSuffix; // added to a name typed without an extension ("mdb")
};
// The chosen path, or nothing when cancelled.
std::optional<QString> chooseFile(QWidget* parent, const FileDialogRequest& request);

// Test hooks: while set, no box or dialog is shown; the hook records and answers.
void setMessageHandler(std::function<Answer(const MessageRequest&)> handler);
void setFileDialogHandler(std::function<std::optional<QString>(const FileDialogRequest&)> handler);

// The system beep.
void beep();
void setBeepHandler(std::function<void()> handler);

} // namespace app
