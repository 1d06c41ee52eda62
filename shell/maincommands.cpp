#include "shell/maincommands.h"

#include "admin/admin.h"
#include "archiving/archiving.h"
#include "lending/lending.h"
#include "registers/registers.h"
#include "reports/reportwindows.h"
#include "shell/frmabout.h"

namespace shell {
namespace {

QKeySequence ctrl(Qt::Key key) {
    return QKeySequence(Qt::CTRL | key);
}

const MenuItem separator(const char* name) {
    return {QString::fromLatin1(name), {}, {}, {}};
}

std::function<QDialog*(Command, QWidget*)>& factoryOverride() {
    static std::function<QDialog*(Command, QWidget*)> f;
    return f;
}

} // namespace

const QList<Menu>& menuBar() {
    using C = Command;
    static const QList<Menu> menus{
        {QStringLiteral("mnudata1"),
         QStringLiteral("数据维护(&D)"),
         {
             {QStringLiteral("mnufilebackup"), QStringLiteral("文件备份(&F)"), ctrl(Qt::Key_F),
              C::DocumentBackup},
             {QStringLiteral("mnufilereturn"), QStringLiteral("文件转入(&G)"), ctrl(Qt::Key_G),
              C::DocumentTransferIn},
             {QStringLiteral("mnudatabackup"), QStringLiteral("数据备份(&B)"), ctrl(Qt::Key_B),
              C::FullBackup},
             {QStringLiteral("mnudatareturn"), QStringLiteral("数据恢复(&R)"), ctrl(Qt::Key_R),
              C::FullRestore},
             separator("mnuFileBar0"),
             {QStringLiteral("mnuFileProperties"), QStringLiteral("退出系统(&Q)"), ctrl(Qt::Key_Q),
              C::Exit},
         }},
        {QStringLiteral("mnudata2"),
         QStringLiteral("基本数据(&J)"),
         {
             {QStringLiteral("mnuuser"), QStringLiteral("用户管理(&U)"), ctrl(Qt::Key_U), C::Users},
             separator("mnuEditBar0"),
             {QStringLiteral("mnubm"), QStringLiteral("单位编码(&M)..."), ctrl(Qt::Key_M),
              C::Units},
         }},
        {QStringLiteral("mnudata3"),
         QStringLiteral("数据记录(&L)"),
         {
             {QStringLiteral("mnufiles"), QStringLiteral("文件收文(&O)"), ctrl(Qt::Key_O),
              C::Incoming},
             {QStringLiteral("mnufilef"), QStringLiteral("文件发文(&A)"), ctrl(Qt::Key_A),
              C::Outgoing},
             {QStringLiteral("mnuht"), QStringLiteral("合同协议(&T)"), ctrl(Qt::Key_T),
              C::Contracts},
             {QStringLiteral("mnuzl"), QStringLiteral("档案数据(&Z)"), ctrl(Qt::Key_Z),
              C::ArchiveData},
             separator("mnuViewBar0"),
             {QStringLiteral("mnujue"), QStringLiteral("借阅记录(&L)"), ctrl(Qt::Key_L), C::Loans},
         }},
        {QStringLiteral("mnudatafind"),
         QStringLiteral("数据报表(&X)"),
         {
             {QStringLiteral("mnudatafinds"), QStringLiteral("收文报表"), {}, C::IncomingReport},
             {QStringLiteral("mnudatafindf"), QStringLiteral("发文报表"), {}, C::OutgoingReport},
             separator("mnuViewBar1"),
             {QStringLiteral("mnudatafindh"), QStringLiteral("合同报表"), {}, C::ContractReport},
             {QStringLiteral("mnudatafindz"), QStringLiteral("档案报表"), {}, C::ArchiveReport},
         }},
        {QStringLiteral("mnuda"),
         QStringLiteral("归档管理(&V)"),
         {
             {QStringLiteral("mnuda1"), QStringLiteral("收文归档"), {}, C::IncomingArchiving},
             {QStringLiteral("mnuda2"), QStringLiteral("发文归档"), {}, C::OutgoingArchiving},
         }},
        {QStringLiteral("mnuHelp"),
         QStringLiteral("帮助(&H)"),
         {
             {QStringLiteral("mnuHelpContents"), QStringLiteral("系统帮助(&H)"), ctrl(Qt::Key_H),
              C::HelpNormal},
             separator("mnuHelpBar0"),
             {QStringLiteral("mnuHelpAbout"), QStringLiteral("关于(&A) "), {}, C::About},
         }},
    };
    return menus;
}

const QList<ToolButton>& toolBar() {
    using C = Command;
    using S = QStyle;
    static const QList<ToolButton> buttons{
        {QStringLiteral("文件备份"),
         QStringLiteral("数据备份"),
         S::SP_DialogSaveButton,
         C::DocumentBackup,
         {}},
        {QStringLiteral("文件更新"),
         QStringLiteral("数据恢复"),
         S::SP_BrowserReload,
         C::DocumentTransferIn,
         {}},
        {QStringLiteral("数据处理"),
         QStringLiteral("数据处理"),
         S::SP_FileDialogDetailedView,
         C::None,
         {
             {QStringLiteral("文件收文"), QStringLiteral("文件收文"), C::Incoming},
             {QStringLiteral("文件发文"), QStringLiteral("文件发文"), C::Outgoing},
             {QStringLiteral("合同协议"), QStringLiteral("合同协议"), C::Contracts},
             {QStringLiteral("档案数据"), QStringLiteral("资料数据"), C::ArchiveData},
         }},
        {QStringLiteral("数据报表"),
         QStringLiteral("数据报表"),
         S::SP_FileDialogContentsView,
         C::None,
         {
             {QStringLiteral("收文报表"), QStringLiteral("收文查询"), C::IncomingReport},
             {QStringLiteral("发文报表"), QStringLiteral("发文查询"), C::OutgoingReport},
             {QStringLiteral("合同报表"), QStringLiteral("合同查询"), C::ContractReport},
             {QStringLiteral("档案报表"), QStringLiteral("资料查询"), C::ArchiveReport},
         }},
        {QStringLiteral("归档管理"),
         QString(),
         S::SP_DirIcon,
         C::None,
         {
             {QStringLiteral("收文归档"), QStringLiteral("收文归档"), C::IncomingArchiving},
             {QStringLiteral("发文归档"), QStringLiteral("发文归档"), C::OutgoingArchiving},
         }},
        {QStringLiteral("借阅记录"),
         QStringLiteral("借阅记录"),
         S::SP_FileDialogListView,
         C::Loans,
         {}},
        {QStringLiteral("单位编码"), QStringLiteral("单位编码"), S::SP_DriveNetIcon, C::Units, {}},
        {QStringLiteral("用户管理"), QStringLiteral("用户管理"), S::SP_DirHomeIcon, C::Users, {}},
        {QStringLiteral("系统帮助"),
         QStringLiteral("系统帮助"),
         S::SP_DialogHelpButton,
         C::HelpMinimized,
         {}},
        {QStringLiteral("关于程序"),
         QStringLiteral("关于程序"),
         S::SP_MessageBoxInformation,
         C::About,
         {}},
        {QStringLiteral("退出系统"),
         QStringLiteral("退出系统"),
         S::SP_DialogCloseButton,
         C::Exit,
         {}},
    };
    return buttons;
}

bool opensWindow(Command command) {
    switch (command) {
    case Command::None:
    case Command::DocumentBackup:
    case Command::DocumentTransferIn:
    case Command::FullBackup:
    case Command::FullRestore:
    case Command::Exit:
    case Command::HelpNormal:
    case Command::HelpMinimized:
        return false;
    default:
        return true;
    }
}

void setWindowFactory(std::function<QDialog*(Command, QWidget*)> factory) {
    factoryOverride() = std::move(factory);
}

QDialog* createWindow(Command command, QWidget* owner) {
    if (factoryOverride())
        return factoryOverride()(command, owner);
    switch (command) {
    case Command::Users:
        return admin::createFrmuser(owner);
    case Command::Units:
        return registers::createDwbm(owner);
    case Command::Incoming:
        return registers::createSwsj(owner);
    case Command::Outgoing:
        return registers::createFwsj(owner);
    case Command::Contracts:
        return registers::createHtsj(owner);
    case Command::ArchiveData:
        return registers::createGdsj(owner);
    case Command::Loans:
        return lending::createJygl(owner);
    case Command::IncomingReport:
        return reports::createSwbb(owner);
    case Command::OutgoingReport:
        return reports::createFwbb(owner);
    case Command::ContractReport:
        return reports::createHtbb(owner);
    case Command::ArchiveReport:
        return reports::createGdbb(owner);
    case Command::IncomingArchiving:
        return archiving::createSwgd(owner);
    case Command::OutgoingArchiving:
        return archiving::createFwgd(owner);
    case Command::About:
        return new FrmAbout(owner);
    default:
        return nullptr;
    }
}

} // namespace shell
