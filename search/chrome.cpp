#include "search/chrome.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace search {

ImageBox::ImageBox(const QString& name, const QPixmap& picture, QWidget* parent) : QLabel(parent) {
    setObjectName(name);
    setPixmap(picture);
    setScaledContents(true);
}

void ImageBox::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return QLabel::mousePressEvent(event);
    pressed_ = true;
    grab_ = event->globalPosition().toPoint() - window()->frameGeometry().topLeft();
    event->accept();
}

void ImageBox::mouseMoveEvent(QMouseEvent* event) {
    if (pressed_ && dragsWindow_ && (event->buttons() & Qt::LeftButton)) {
        window()->move(event->globalPosition().toPoint() - grab_);
        event->accept();
        return;
    }
    QLabel::mouseMoveEvent(event);
}

void ImageBox::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_)
        return QLabel::mouseReleaseEvent(event);
    pressed_ = false;
    event->accept();
    // A click counts only when the button is let go over the box, as with a button.
    if (rect().contains(event->position().toPoint()))
        emit clicked();
}

namespace chrome {
namespace {

const QColor kTitleTop(0x3a, 0x6e, 0xc8);
const QColor kTitleBottom(0x1c, 0x44, 0x96);
const QColor kFrame(0x1c, 0x44, 0x96);

QPixmap titleStrip(int width) {
    QPixmap pm(width, kTitleHeight);
    QPainter p(&pm);
    QLinearGradient g(0, 0, 0, kTitleHeight);
    g.setColorAt(0, kTitleTop);
    g.setColorAt(1, kTitleBottom);
    p.fillRect(pm.rect(), g);
    return pm;
}

// A rounded box on the title strip with a glyph drawn by the caller.
template <typename Glyph> QPixmap titleButton(QColor face, Glyph glyph) {
    const int s = kTitleHeight;
    QPixmap pm = titleStrip(s);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(3, 3, s - 6, s - 6);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(face);
    p.drawRoundedRect(box, 3, 3);
    p.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::RoundCap));
    glyph(p, box.adjusted(5, 5, -5, -5));
    return pm;
}

// An end of the title strip: six pixels wide with a dark line at x.
QPixmap titleEdge(int x) {
    QPixmap pm = titleStrip(6);
    QPainter p(&pm);
    p.setPen(kFrame.darker(130));
    p.drawLine(x, 0, x, kTitleHeight);
    return pm;
}

} // namespace

QPixmap titleLeft() {
    return titleEdge(0);
}

QPixmap titleMain() {
    return titleStrip(32);
}

QPixmap titleRight() {
    return titleEdge(5);
}

QPixmap icon() {
    const int s = kTitleHeight;
    QPixmap pm = titleStrip(s);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    // A magnifying glass over a sheet: the dialog finds rows.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xf4, 0xf4, 0xe8));
    p.drawRect(QRectF(5, 4, 11, 15));
    p.setPen(QPen(QColor(0xf0, 0xc0, 0x30), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(9, 8, 8, 8));
    p.drawLine(QPointF(16, 15), QPointF(20, 19));
    return pm;
}

QPixmap minimizeBox() {
    return titleButton(QColor(0x2f, 0x5f, 0xb8), [](QPainter& p, QRectF r) {
        p.drawLine(QPointF(r.left(), r.bottom()), QPointF(r.right(), r.bottom()));
    });
}

QPixmap closeBox() {
    return titleButton(QColor(0xc8, 0x46, 0x32), [](QPainter& p, QRectF r) {
        p.drawLine(r.topLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomLeft());
    });
}

QPixmap helpBox() {
    return titleButton(QColor(0x2f, 0x5f, 0xb8), [](QPainter& p, QRectF r) {
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(int(r.height()) + 4);
        p.setFont(f);
        p.drawText(r.adjusted(-3, -3, 3, 3), Qt::AlignCenter, QStringLiteral("?"));
    });
}

QPixmap borderSide() {
    QPixmap pm(kBorder, 8);
    pm.fill(kFrame);
    return pm;
}

QPixmap borderBottom() {
    QPixmap pm(8, kBorder);
    pm.fill(kFrame);
    return pm;
}

QPixmap borderCorner() {
    QPixmap pm(kBorder, kBorder);
    pm.fill(kFrame.darker(120));
    return pm;
}

} // namespace chrome
} // namespace search
