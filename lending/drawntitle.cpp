#include "lending/drawntitle.h"

#include <QLabel>

namespace lending {

QLabel* makeDrawnTitle(const QString& text) {
    auto* title = new QLabel(text);
    title->setObjectName(QStringLiteral("lblTitle"));
    title->setStyleSheet(QStringLiteral("QLabel { background: qlineargradient(x1:0, y1:0, x2:1, "
                                        "y2:0, stop:0 #1f4e8c, stop:1 #6c9bd2); color: white; "
                                        "font-weight: bold; padding: 4px 8px; }"));
    title->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    return title;
}

} // namespace lending
