#include "shell/picture.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace shell {
namespace {

void drawBackground(QPainter& p, const QRect& r) {
    QLinearGradient sky(r.topLeft(), r.bottomLeft());
    sky.setColorAt(0.0, QColor(0x1f, 0x3a, 0x5f));
    sky.setColorAt(1.0, QColor(0x5b, 0x84, 0xb1));
    p.fillRect(r, sky);
}

// A row of file boxes standing on a shelf, each with a label strip.
void drawShelf(QPainter& p, int x, int y, int count, const QColor& base) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x6b, 0x4a, 0x2b));
    p.drawRect(x - 6, y + 62, count * 34 + 8, 7);
    for (int i = 0; i < count; ++i) {
        const QRect box(x + i * 34, y + (i % 3) * 3, 30, 62 - (i % 3) * 3);
        p.setBrush(base.lighter(100 + (i % 4) * 12));
        p.setPen(QPen(base.darker(160), 1));
        p.drawRect(box);
        p.setBrush(QColor(0xf4, 0xf1, 0xe6));
        p.setPen(Qt::NoPen);
        p.drawRect(box.x() + 6, box.y() + 10, 18, 22);
        p.setBrush(base.darker(150));
        p.drawEllipse(QPoint(box.center().x(), box.bottom() - 10), 4, 4);
    }
}

void drawTitle(QPainter& p, const QRect& r) {
    QFont latin(QStringLiteral("Noto Sans"));
    latin.setPixelSize(40);
    latin.setBold(true);
    p.setFont(latin);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(r.adjusted(2, 2, 2, 2), Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Marrowin"));
    p.setPen(Qt::white);
    p.drawText(r, Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("Marrowin"));

    QFont cjk(QStringLiteral("Noto Sans CJK SC"));
    cjk.setPixelSize(20);
    p.setFont(cjk);
    p.setPen(QColor(0xe8, 0xee, 0xf6));
    p.drawText(r.adjusted(0, 52, 0, 0), Qt::AlignHCenter | Qt::AlignTop,
               QStringLiteral("档案目录管理"));
}

QPixmap draw() {
    QPixmap pm(kPictureWidth, kPictureHeight);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRect all(0, 0, kPictureWidth, kPictureHeight);
    drawBackground(p, all);
    drawTitle(p, QRect(0, 22, kPictureWidth, 90));
    drawShelf(p, 30, 150, 5, QColor(0xc9, 0x8b, 0x3c));
    drawShelf(p, 215, 150, 5, QColor(0x4f, 0x8a, 0x5b));
    p.setPen(QPen(QColor(255, 255, 255, 120), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(all.adjusted(4, 4, -5, -5));
    return pm;
}

} // namespace

QPixmap programPicture() {
    static const QPixmap picture = draw();
    return picture;
}

} // namespace shell
