#pragma once
// The title drawn across the top of the lending windows, the same band on each.

#include <QString>

class QLabel;

namespace lending {

QLabel* makeDrawnTitle(const QString& text);

} // namespace lending
