#pragma once
// Chinese throughout: the toolkit's own buttons and dialogs (Yes/No, OK, file dialogs,
// calendars) in Chinese, and the Chinese locale's date and number forms
// (short dates as 2004/5/12). Called once at start, after the application object is made;
// tests call it too.

class QCoreApplication;

namespace app {

// Installs the toolkit's zh_CN translations into the application and makes the Chinese
// (China) locale the default. Safe to call more than once. false when the translation
// files could not be loaded (the locale is set all the same).
bool useChineseTexts(QCoreApplication& application);

} // namespace app
