#include "shell/frmsplash.h"

#include "shell/frmmain.h"
#include "shell/picture.h"
#include "shell/placement.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace shell {

FrmSplash::FrmSplash(QWidget* parent) : QWidget(parent, Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* imgPicture = new QLabel(this);
    imgPicture->setObjectName(QStringLiteral("imgPicture"));
    imgPicture->setPixmap(programPicture());
    // Clicks go to the window itself.
    imgPicture->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(imgPicture);
    setFixedSize(kPictureWidth, kPictureHeight);
    centreOnScreen(this);
}

void FrmSplash::mouseReleaseEvent(QMouseEvent* event) {
    event->accept();
    close();
}

void FrmSplash::closeEvent(QCloseEvent* event) {
    // However the splash goes, the main window follows it; otherwise closing it by the
    // keyboard would end the program with nothing shown.
    showMainWindow();
    event->accept();
}

void FrmSplash::showMainWindow() {
    if (mainShown_)
        return;
    mainShown_ = true;
    auto* main = new FrmMain;
    main->setAttribute(Qt::WA_DeleteOnClose);
    main->show();
    Q_EMIT mainWindowShown(main);
}

} // namespace shell
