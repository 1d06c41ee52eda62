#include "shell/startup.h"

#include "shell/frmlogin.h"
#include "shell/frmsplash.h"

namespace shell {

bool runLogin() {
    FrmLogin login;
    if (!login.loaded())
        return false;
    login.exec();
    return login.OK;
}

FrmSplash* startUp() {
    if (!runLogin())
        return nullptr;
    auto* splash = new FrmSplash;
    splash->show();
    return splash;
}

} // namespace shell
