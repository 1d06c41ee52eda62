#include "shell/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace shell {

int twipsToPixels(double twips) {
    return static_cast<int>(std::lround(twips / kTwipsPerPixel));
}

double twipsSetting(const QString& stored, double defaultTwips) {
    bool ok = false;
    // Single precision, as the placement has always been read.
    const float value = stored.trimmed().toFloat(&ok);
    // Beyond any screen: no usable placement either.
    constexpr float kLimit = 1.0e7f;
    if (!ok || !std::isfinite(value) || std::fabs(value) > kLimit)
        return defaultTwips;
    return value;
}

QRect twipsRect(double left, double top, double width, double height) {
    return QRect(twipsToPixels(left), twipsToPixels(top), twipsToPixels(width),
                 twipsToPixels(height));
}

void centreOnScreen(QWidget* window) {
    QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QSize size = window->sizeHint().expandedTo(window->minimumSize());
    const QRect area = screen->availableGeometry();
    window->move(area.center() - QPoint(size.width() / 2, size.height() / 2));
}

} // namespace shell
