#include "shell/frmabout.h"

#include "shell/app/app.h"
#include "shell/app/ui.h"
#include "shell/picture.h"
#include "shell/placement.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace shell {
namespace {

const QString kCaption = QStringLiteral("关于 Marrowin");
const QString kOkCaption = QStringLiteral("确定");
const QString kSysInfoCaption = QStringLiteral("系统信息(&S)..");
const QString kNotAvailable = QStringLiteral("此时系统信息不可用");
const QString kInfoKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString kInfoValue = QStringLiteral("PATH");
const QString kLocationKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QString kLocationValue = QStringLiteral("MSINFO");
const QString kToolFile = QStringLiteral("MSINFO32.EXE");

} // namespace

QStringList sysInfoPrograms() {
    return {QStringLiteral("hardinfo"),
            QStringLiteral("hardinfo2"),
            QStringLiteral("kinfocenter"),
            QStringLiteral("gnome-system-monitor"),
            QStringLiteral("mate-system-monitor"),
            QStringLiteral("xfce4-taskmanager"),
            QStringLiteral("lxtask"),
            QStringLiteral("ksysguard")};
}

FrmAbout::FrmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    buildControls();
}

void FrmAbout::buildControls() {
    setWindowTitle(kCaption);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    auto* picIcon = new QLabel(this);
    picIcon->setObjectName(QStringLiteral("picIcon"));
    picIcon->setPixmap(programPicture());
    picIcon->setFixedSize(kPictureWidth, kPictureHeight);

    cmdOK = new QPushButton(kOkCaption, this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setDefault(true);
    cmdSysInfo = new QPushButton(kSysInfoCaption, this);
    cmdSysInfo->setObjectName(QStringLiteral("cmdSysInfo"));
    cmdSysInfo->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK);
    buttons->addWidget(cmdSysInfo);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(picIcon);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // Esc rejects the dialog, which closes it as cmdOK does.
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(cmdSysInfo, &QPushButton::clicked, this, &FrmAbout::StartSysInfo);
    centreOnScreen(this);
}

bool FrmAbout::GetKeyValue(KeyRoot, const QString& keyName, const QString& subKeyRef,
                           QString& keyVal) {
    return app::getKeyValue(keyName, subKeyRef, keyVal);
}

QString FrmAbout::findSysInfo() const {
    QString value;
    if (GetKeyValue(KeyRoot::LocalMachine, kInfoKey, kInfoValue, value) && !value.isEmpty())
        return value;
    if (GetKeyValue(KeyRoot::LocalMachine, kLocationKey, kLocationValue, value) &&
        !value.isEmpty()) {
        QString folder = value;
        folder.replace(QLatin1Char('\\'), QLatin1Char('/'));
        const QString tool = QDir(folder).filePath(kToolFile);
        if (QFileInfo(tool).isFile())
            return tool;
    }
    // Neither key names the tool: this system's own equivalent, if one is installed.
    for (const QString& program : sysInfoPrograms()) {
        const QString found = QStandardPaths::findExecutable(program);
        if (!found.isEmpty())
            return found;
    }
    return QString();
}

void FrmAbout::StartSysInfo() {
    const QString tool = findSysInfo();
    if (tool.isEmpty() || !app::startProgram(tool, {}, app::WindowStyle::Normal))
        app::inform(this, kNotAvailable);
}

} // namespace shell
