#pragma once
#include <QString>
// The program's start: the login dialog, then the splash window.

namespace shell {

class FrmSplash;

// Shows the login dialog modally with no owner; true when a user was accepted (the
// current user is then set). Cancel, the close box, a third failure and a catalogue that
// cannot be read all answer false.
bool runLogin();

// The login, then the splash window shown without an owner; nullptr when the program
// is to end at once (another running copy holds the application folder: it is told so).
FrmSplash* startUp();

// The file whose lock a running copy of the program holds for its application folder.
QString instanceLockPath();

} // namespace shell
