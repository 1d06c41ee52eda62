#pragma once
// The query builder draws its own title bar and border: each piece is a small picture
// box that may answer a click or drag the window it belongs to.

#include <QLabel>
#include <QPixmap>
#include <QPoint>

namespace search {

class ImageBox : public QLabel {
    Q_OBJECT
public:
    ImageBox(const QString& name, const QPixmap& picture, QWidget* parent);
    // A box of the title bar moves its window while the mouse drags it.
    void setDragsWindow(bool drags) { dragsWindow_ = drags; }

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool dragsWindow_ = false;
    bool pressed_ = false;
    QPoint grab_;
};

// The pictures of the drawn frame, painted here so that no image file is needed.
namespace chrome {
inline constexpr int kTitleHeight = 24;
inline constexpr int kBorder = 4;
QPixmap titleLeft();
QPixmap titleMain();
QPixmap titleRight();
QPixmap icon();
QPixmap minimizeBox();
QPixmap closeBox();
QPixmap helpBox();
QPixmap borderSide();
QPixmap borderBottom();
QPixmap borderCorner();
} // namespace chrome

} // namespace search
