#pragma once
// The splash window: the program's picture until a mouse button is released over it.
#include <QWidget>

namespace shell {

class FrmSplash : public QWidget {
    Q_OBJECT
public:
    explicit FrmSplash(QWidget* parent = nullptr);

Q_SIGNALS:
    // The main window has been shown.
    void mainWindowShown(QWidget* mainWindow);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void showMainWindow();
    bool mainShown_ = false;
};

} // namespace shell
