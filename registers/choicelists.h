#pragma once
// The lists a register window offers, each read through a connection of its own that
// is closed at once.

#include <QStringList>

namespace registers {

// The first column of every row of sql, in the order read.
QStringList readList(const QString& sql);

} // namespace registers
